#include "trusted/kvr_text.h"

#include "platform/os/conf_codec.h"
#include "trusted/kvr_writer.h"

#include <QHash>
#include <QStringDecoder>
#include <QStringEncoder>

#include <optional>

namespace zerva {

namespace {

const QByteArray kUtf8Bom("\xef\xbb\xbf");
const QByteArray kUtf16LeBom("\xff\xfe");
const QByteArray kUtf16BeBom("\xfe\xff");

std::optional<QStringConverter::Encoding> Utf16(KvrText::Encoding e)
{
    if (e == KvrText::Encoding::Utf16Le)
        return QStringConverter::Utf16LE;
    if (e == KvrText::Encoding::Utf16Be)
        return QStringConverter::Utf16BE;
    return std::nullopt;
}

// The encoding and the length of its byte order mark; false for no text.
bool Detect(QByteArrayView bytes, KvrText::Encoding& encoding, qsizetype& bom)
{
    encoding = KvrText::Encoding::System;
    bom = 0;
    if (bytes.startsWith(kUtf16LeBom))
        encoding = KvrText::Encoding::Utf16Le, bom = 2;
    else if (bytes.startsWith(kUtf16BeBom))
        encoding = KvrText::Encoding::Utf16Be, bom = 2;
    else if (bytes.startsWith(kUtf8Bom))
        encoding = KvrText::Encoding::Utf8, bom = 3;
    const QByteArrayView rest = bytes.sliced(bom);
    return Utf16(encoding) ? rest.size() % 2 == 0 : !rest.contains('\0');
}

} // namespace

bool KvrText::parse(const QByteArray& bytes)
{
    m_lines.clear();
    m_removed.clear();
    qsizetype bom = 0;
    const bool text = Detect(bytes, m_encoding, bom);
    m_bom = bytes.left(bom);
    if (!text)
        return false;
    const int u = unit();
    const QByteArrayView rest = QByteArrayView(bytes).sliced(bom);

    // Lines end at CR LF, a lone CR or a lone LF, as KvrReader reads them.
    const auto at = [&](qsizetype i) -> char16_t {
        if (u == 1)
            return char16_t(uchar(rest[i]));
        const char16_t a = uchar(rest[i]);
        const char16_t b = uchar(rest[i + 1]);
        return m_encoding == Encoding::Utf16Le ? char16_t(a | b << 8) : char16_t(b | a << 8);
    };
    qsizetype start = 0;
    for (qsizetype i = 0; i < rest.size(); i += u) {
        const char16_t c = at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        if (c == u'\r' && i + u < rest.size() && at(i + u) == u'\n')
            i += u;
        m_lines.push_back(rest.sliced(start, i + u - start).toByteArray());
        start = i + u;
    }
    if (start < rest.size())
        m_lines.push_back(rest.sliced(start).toByteArray());
    return true;
}

QString KvrText::decode(const QByteArray& bytes) const
{
    if (const auto utf16 = Utf16(m_encoding)) {
        QStringDecoder decoder(*utf16, QStringConverter::Flag::Stateless);
        return decoder.decode(bytes);
    }
    if (m_encoding == Encoding::Utf8 && QByteArrayView(bytes).isValidUtf8())
        return QString::fromUtf8(bytes);
    return DecodeConfText(bytes);
}

bool KvrText::encode(const QString& text, QByteArray& bytes) const
{
    if (const auto utf16 = Utf16(m_encoding)) {
        QStringEncoder encoder(*utf16, QStringConverter::Flag::Stateless);
        bytes = encoder.encode(text);
        return !encoder.hasError();
    }
    if (m_encoding == Encoding::Utf8) {
        QStringEncoder encoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        bytes = encoder.encode(text);
        return !encoder.hasError();
    }
    bool ok = false;
    bytes = EncodeConfText(text, &ok);
    return ok;
}

QString KvrText::text() const
{
    QByteArray all;
    qsizetype size = 0;
    for (const QByteArray& l : m_lines)
        size += l.size();
    all.reserve(size);
    for (const QByteArray& l : m_lines)
        all += l;
    return decode(all);
}

QString KvrText::line(qsizetype i) const
{
    QString text = decode(m_lines.at(i));
    while (text.endsWith(u'\n') || text.endsWith(u'\r'))
        text.chop(1);
    return text;
}

void KvrText::removeLine(qsizetype i)
{
    m_removed.push_back(m_lines.takeAt(i));
}

bool KvrText::insertEntry(qsizetype i, const QString& entry)
{
    const std::optional<QString> line = FormatKvrEntry(entry);
    QByteArray bytes;
    QByteArray lineEnd;
    if (!line || !encode(*line + QStringLiteral("\r\n"), bytes) || !encode(QStringLiteral("\r\n"), lineEnd))
        return false;
    // A last line without its line end gets one before a line goes after it.
    if (i == m_lines.size() && i > 0) {
        const QString last = decode(m_lines.back());
        if (!last.endsWith(u'\r') && !last.endsWith(u'\n'))
            m_lines.back() += lineEnd;
    }
    m_lines.insert(i, bytes);
    return true;
}

QByteArray KvrText::bytes() const
{
    QByteArray all = m_bom;
    for (const QByteArray& l : m_lines)
        all += l;
    return all;
}

bool KvrText::keepsLinesOf(const KvrText& read) const
{
    if (m_bom != read.m_bom || m_encoding != read.m_encoding)
        return false;
    QHash<QByteArray, qsizetype> removed;
    for (const QByteArray& l : m_removed)
        ++removed[l];
    // One pass: a line read is the next one here, or one that was taken
    // out; lines here that match none were put in.
    qsizetype here = 0;
    for (const QByteArray& l : read.m_lines) {
        if (here < m_lines.size() && m_lines[here] == l) {
            ++here;
            continue;
        }
        if (const auto gone = removed.find(l); gone != removed.end() && *gone > 0) {
            --*gone;
            continue;
        }
        while (here < m_lines.size() && m_lines[here] != l)
            ++here;
        if (here == m_lines.size())
            return false;
        ++here;
    }
    return true;
}

bool DecodeKvr(const QByteArray& bytes, QString& text)
{
    // As parse() and text() read it, without splitting a large file into
    // lines first.
    KvrText kvr;
    qsizetype bom = 0;
    if (!Detect(bytes, kvr.m_encoding, bom))
        return false;
    const QByteArray rest = bytes.sliced(bom);
    text = kvr.decode(rest);
    return rest.isEmpty() || !text.isEmpty();
}

} // namespace zerva
