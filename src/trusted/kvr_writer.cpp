#include "trusted/kvr_writer.h"

namespace zerva {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// U+FEFF at the very start of the file would be taken for a byte order mark
// and dropped on reading; quoted, it is not at the start.
bool needsQuotes(QStringView entry)
{
    return !entry.isEmpty()
        && (entry.contains(u',') || isBlank(entry.front()) || isBlank(entry.back()) || entry.front() == u'"'
            || entry.front() == QChar(0xFEFF));
}

bool holdsLineEnd(QStringView entry)
{
    return entry.contains(u'\r') || entry.contains(u'\n');
}

} // namespace

bool KvrCanHold(QStringView entry)
{
    if (holdsLineEnd(entry))
        return false;
    if (!needsQuotes(entry))
        return true;
    for (qsizetype i = 0; i < entry.size(); ++i) {
        if (entry[i] != u'"')
            continue;
        qsizetype after = i + 1;
        while (after < entry.size() && isBlank(entry[after]))
            ++after;
        if (after < entry.size() && entry[after] == u',')
            return false;
    }
    return true;
}

std::optional<QString> FormatKvrEntry(QStringView entry)
{
    if (!KvrCanHold(entry))
        return std::nullopt;
    if (needsQuotes(entry))
        return u'"' + entry.toString() + u'"';
    return entry.toString();
}

std::optional<QString> FormatKvr(const QStringList& entries)
{
    QString text;
    qsizetype size = 0;
    for (const QString& e : entries)
        size += e.size() + 4;
    text.reserve(size);
    for (const QString& e : entries) {
        const std::optional<QString> line = FormatKvrEntry(e);
        if (!line)
            return std::nullopt;
        text += *line;
        text += u"\r\n";
    }
    return text;
}

bool KvrAcceptsNewEntry(QStringView entry)
{
    return !entry.isEmpty() && !holdsLineEnd(entry) && !(entry.contains(u'"') && entry.contains(u','));
}

} // namespace zerva
