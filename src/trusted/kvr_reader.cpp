#include "trusted/kvr_reader.h"

namespace zerva {

// Small enough to be inlined into the scanning loops, which a million-entry
// file runs through tens of millions of times.
bool KvrReader::isLineEnd(qsizetype i) const
{
    const char16_t c = m_text[i].unicode();
    return c == u'\r' || c == u'\n';
}

bool KvrReader::isBlank(qsizetype i) const
{
    const char16_t c = m_text[i].unicode();
    return c == u' ' || c == u'\t';
}

void KvrReader::skipDelimiter()
{
    m_fieldDue = false;
    if (m_pos >= m_text.size())
        return;
    if (m_text[m_pos] == u',') {
        ++m_pos;
        m_fieldDue = true;
    } else if (m_text[m_pos] == u'\r') {
        ++m_pos;
        if (m_pos < m_text.size() && m_text[m_pos] == u'\n')
            ++m_pos;
    } else if (m_text[m_pos] == u'\n') {
        ++m_pos;
    }
}

QString KvrReader::next()
{
    while (m_pos < m_text.size() && isBlank(m_pos))
        ++m_pos;
    QString field = m_pos < m_text.size() && m_text[m_pos] == u'"' ? quoted() : unquoted();
    skipDelimiter();
    return field;
}

QString KvrReader::unquoted()
{
    const qsizetype start = m_pos;
    const qsizetype size = m_text.size();
    const QChar* text = m_text.data();
    while (m_pos < size) {
        const char16_t c = text[m_pos].unicode();
        if (c == u',' || c == u'\r' || c == u'\n')
            break;
        ++m_pos;
    }
    qsizetype end = m_pos;
    while (end > start && isBlank(end - 1))
        --end;
    return m_text.sliced(start, end - start).toString();
}

QString KvrReader::quoted()
{
    const qsizetype start = m_pos + 1;
    qsizetype i = start;
    while (i < m_text.size() && !isLineEnd(i)) {
        if (m_text[i] != u'"') {
            ++i;
            continue;
        }
        qsizetype after = i + 1;
        while (after < m_text.size() && isBlank(after))
            ++after;
        if (after == m_text.size() || m_text[after] == u',' || isLineEnd(after)) {
            m_pos = after;
            return m_text.sliced(start, i - start).toString();
        }
        // A quote inside the field; the blanks after it hold no quote.
        i = after;
    }
    // Never closed: the rest of the line.
    m_pos = i;
    return m_text.sliced(start, i - start).toString();
}

QStringList ReadKvr(QStringView text)
{
    QStringList entries;
    KvrReader reader(text);
    while (!reader.atEnd())
        entries.push_back(reader.next());
    return entries;
}

} // namespace zerva
