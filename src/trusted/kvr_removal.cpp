#include "trusted/kvr_removal.h"

#include "platform/os/conf_codec.h"
#include "trusted/kvr_reader.h"
#include "trusted/kvr_writer.h"

#include <algorithm>
#include <vector>

namespace zerva {

namespace {

// One line: its text and its line end (CR LF, CR, LF, or none at the end).
struct Span {
    qsizetype start = 0;
    qsizetype length = 0;
    qsizetype endLength = 0;
};

// The lines of a text or of its bytes, split as KvrReader splits them. CR
// and LF are the same single bytes in UTF-8, Windows-1254 and the ANSI
// code pages, so both splits give the same lines there.
template <typename View>
std::vector<Span> Lines(View text)
{
    std::vector<Span> lines;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n')
            ++end;
        qsizetype after = end;
        if (after < text.size())
            after += text[after] == '\r' && after + 1 < text.size() && text[after + 1] == '\n' ? 2 : 1;
        lines.push_back({start, end - start, after - end});
        start = after;
    }
    return lines;
}

// The entries of one line: an empty line is one empty entry.
QStringList LineEntries(QStringView line)
{
    return line.isEmpty() ? QStringList{QString()} : ReadKvr(line);
}

} // namespace

KvrRemoval::KvrRemoval(const QStringList& listed, const QList<int>& rows)
{
    QList<int> sorted = rows;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    sorted.erase(sorted.begin(), std::lower_bound(sorted.begin(), sorted.end(), 0));
    QHash<QString, qsizetype> seen;
    qsizetype next = 0;
    for (qsizetype r = 0; r < listed.size() && next < sorted.size(); ++r) {
        const qsizetype copy = seen[listed[r]]++;
        if (sorted[next] == r) {
            m_wanted[listed[r]].push_back(copy);
            ++next;
        }
    }
}

std::optional<QByteArray> KvrRemoval::apply(const QByteArray& old, const QString& oldText)
{
    m_removed = 0;
    m_unencodable = false;

    const std::vector<Span> textLines = Lines(QStringView(oldText));
    // Every entry, with the line it stands on.
    QStringList entries;
    std::vector<std::size_t> lineOf;
    QHash<QString, QList<qsizetype>> copies;   // entry text -> its positions
    for (std::size_t l = 0; l < textLines.size(); ++l) {
        for (QString& e : LineEntries(QStringView(oldText).sliced(textLines[l].start, textLines[l].length))) {
            if (m_wanted.contains(e))
                copies[e].push_back(entries.size());
            entries.push_back(std::move(e));
            lineOf.push_back(l);
        }
    }

    std::vector<bool> gone(std::size_t(entries.size()), false);
    for (auto it = m_wanted.cbegin(); it != m_wanted.cend(); ++it) {
        const QList<qsizetype> at = copies.value(it.key());
        qsizetype missing = 0;
        for (const qsizetype n : it.value()) {
            if (n < at.size())
                gone[std::size_t(at[n])] = true;
            else
                ++missing;
        }
        // Fewer copies than listed: the last ones that are left.
        for (qsizetype i = at.size() - 1; i >= 0 && missing > 0; --i) {
            if (!gone[std::size_t(at[i])]) {
                gone[std::size_t(at[i])] = true;
                --missing;
            }
        }
    }
    QStringList kept;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (gone[std::size_t(i)])
            ++m_removed;
        else
            kept.push_back(entries[i]);
    }
    if (m_removed == 0)
        return std::nullopt;

    // A byte order mark stands before the first line and stays.
    QByteArrayView bytes(old);
    qsizetype mark = 0;
    if (bytes.startsWith("\xef\xbb\xbf") && DecodeConfText(QByteArrayLiteral("\xef\xbb\xbf")).isEmpty())
        mark = 3;
    const std::vector<Span> byteLines = Lines(bytes.sliced(mark));

    std::optional<QByteArray> out;
    if (byteLines.size() == textLines.size()) {
        out.emplace(old.left(mark));
        out->reserve(old.size());
        std::size_t e = 0;
        for (std::size_t l = 0; l < byteLines.size() && out; ++l) {
            QStringList left;
            bool changed = false;
            for (; e < lineOf.size() && lineOf[e] == l; ++e) {
                if (gone[e])
                    changed = true;
                else
                    left.push_back(entries[qsizetype(e)]);
            }
            const Span& b = byteLines[l];
            if (!changed) {
                out->append(bytes.sliced(mark + b.start, b.length + b.endLength));
                continue;
            }
            if (left.isEmpty())
                continue;
            // The others of the line, on a line of their own.
            QStringList fields;
            for (const QString& entry : left) {
                const std::optional<QString> field = FormatKvrEntry(entry);
                if (!field) {
                    out.reset();
                    break;
                }
                fields.push_back(*field);
            }
            const QString line = fields.join(u',');
            bool encoded = false;
            const QByteArray lineBytes = out ? EncodeConfText(line, &encoded) : QByteArray();
            if (!encoded) {
                out.reset();
                break;
            }
            out->append(lineBytes);
            out->append(b.endLength ? bytes.sliced(mark + b.start + b.length, b.endLength) : QByteArrayView("\r\n"));
        }
    }
    // Only what reads back as exactly the entries that are left is written.
    if (out && ReadKvr(DecodeConfText(*out)) == kept)
        return out;

    const std::optional<QString> text = FormatKvr(kept);
    bool encoded = false;
    QByteArray whole = text ? EncodeConfText(*text, &encoded) : QByteArray();
    if (!encoded) {
        m_unencodable = true;
        return std::nullopt;
    }
    return whole;
}

} // namespace zerva
