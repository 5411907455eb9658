// Any list of entries: when the writer says it can hold them all, the file
// it writes reads back as exactly that list; when it says it cannot, one of
// them really is refused. Whatever the add command takes as a new entry,
// lower-cased, the writer can hold.
#include "platform/os/conf_codec.h"
#include "trusted/kvr_reader.h"
#include "trusted/kvr_writer.h"
#include "trusted/lower_case.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char* what, const QStringList& entries)
{
    std::fprintf(stderr, "kvr write: %s:\n", what);
    for (const QString& e : entries)
        std::fprintf(stderr, "  [%s]\n", e.toUtf8().toHex(' ').constData());
    std::abort();
}

// An entry from the fuzzer's bytes: mostly as UTF-8 text, sometimes as raw
// UTF-16 code units (lone surrogates included).
QString entryFrom(FuzzedDataProvider& in)
{
    const bool raw = in.ConsumeBool();
    const std::string bytes = in.ConsumeRandomLengthString(256);
    if (!raw)
        return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return QString(reinterpret_cast<const QChar*>(bytes.data()), static_cast<qsizetype>(bytes.size() / 2));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    QStringList entries;
    const int count = in.ConsumeIntegralInRange(0, 32);
    for (int i = 0; i < count && in.remaining_bytes() > 0; ++i)
        entries.push_back(entryFrom(in));

    bool holdable = true;
    for (const QString& e : entries) {
        holdable = holdable && zerva::KvrCanHold(e);
        const QString typed = zerva::LowerCase(e);
        if (zerva::KvrAcceptsNewEntry(typed) && !zerva::KvrCanHold(typed))
            fail("a new entry is taken but cannot be written", {e});
    }
    const std::optional<QString> text = zerva::FormatKvr(entries);
    if (text.has_value() != holdable)
        fail("writer and KvrCanHold disagree", entries);
    if (!text)
        return 0;

    bool encoded = false;
    const QByteArray bytes = zerva::EncodeConfText(*text, &encoded);
    if (!encoded)
        return 0;   // refused before anything is written
    if (zerva::ReadKvr(zerva::DecodeConfText(bytes)) != entries)
        fail("written file reads back differently", entries);
    return 0;
}
