// Any bytes as kvr.conf: reading never crashes or hangs, and every entry
// it gives is a piece of the file's text, in file order, holding no line
// end. Entries the writer can hold come back unchanged from a rewrite.
#include "platform/os/conf_codec.h"
#include "trusted/kvr_reader.h"
#include "trusted/kvr_writer.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char* what, const QString& entry)
{
    std::fprintf(stderr, "kvr read: %s: \"%s\"\n", what, entry.toUtf8().constData());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString text = zerva::DecodeConfText(bytes);
    const QStringList entries = zerva::ReadKvr(text);

    // Each field ends at a comma or a line end, so there can be no more
    // fields than delimiters plus one.
    qsizetype delimiters = 0;
    for (qsizetype i = 0; i < text.size(); ++i)
        delimiters += text[i] == u',' || text[i] == u'\n' || (text[i] == u'\r' && (i + 1 == text.size() || text[i + 1] != u'\n'));
    if (entries.size() > delimiters + 1)
        fail("more entries than fields", QString::number(entries.size()));

    qsizetype at = 0;
    for (const QString& e : entries) {
        if (e.contains(u'\r') || e.contains(u'\n'))
            fail("entry holds a line end", e);
        const qsizetype found = text.indexOf(e, at);
        if (found < 0)
            fail("entry is not in the file, in order", e);
        at = found + e.size();
    }

    // The add command rewrites what it read: whatever it can write must
    // read back the same.
    if (const std::optional<QString> rewritten = zerva::FormatKvr(entries)) {
        bool encoded = false;
        const QByteArray again = zerva::EncodeConfText(*rewritten, &encoded);
        if (encoded && zerva::ReadKvr(zerva::DecodeConfText(again)) != entries)
            fail("rewrite reads back differently", *rewritten);
    }
    return 0;
}
