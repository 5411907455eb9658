#include "process/display_text.h"

namespace zerva {

namespace {

void appendEscape(QString& out, unsigned char byte)
{
    switch (byte) {
    case '\r':
        out.append(QLatin1String("\\r"));
        return;
    case '\n':
        out.append(QLatin1String("\\n"));
        return;
    case '\t':
        out.append(QLatin1String("\\t"));
        return;
    default:
        break;
    }
    static const char hex[] = "0123456789ABCDEF";
    const char escape[4] = {'\\', 'x', hex[byte >> 4], hex[byte & 0xF]};
    out.append(QLatin1String(escape, 4));
}

bool isContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

// Length of the well-formed UTF-8 sequence at the start of `s` (RFC 3629:
// no overlong forms, no surrogates, nothing above U+10FFFF), or 0.
std::size_t sequenceLength(std::string_view s, char32_t& cp)
{
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char c = at(0);
    std::size_t len = 0;
    unsigned char lo = 0x80, hi = 0xBF;   // allowed range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        cp = c & 0x0F;
        if (c == 0xE0)
            lo = 0xA0;
        else if (c == 0xED)
            hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        cp = c & 0x07;
        if (c == 0xF0)
            lo = 0x90;
        else if (c == 0xF4)
            hi = 0x8F;
    } else {
        return 0;
    }
    if (s.size() < len || at(1) < lo || at(1) > hi)
        return 0;
    for (std::size_t i = 1; i < len; ++i) {
        if (!isContinuation(at(i)))
            return 0;
        cp = (cp << 6) | (at(i) & 0x3F);
    }
    return len;
}

// Unicode's default-ignorable code points that are not format characters:
// a font draws nothing for them, so "sleep" and "sle\u034Fep" read alike.
bool defaultIgnorable(char32_t cp)
{
    return cp == 0x034F || cp == 0x115F || cp == 0x1160 || cp == 0x17B4 || cp == 0x17B5
        || (cp >= 0x180B && cp <= 0x180F) || (cp >= 0x2060 && cp <= 0x206F) || cp == 0x3164
        || (cp >= 0xFE00 && cp <= 0xFE0F) || cp == 0xFFA0 || (cp >= 0xFFF0 && cp <= 0xFFF8)
        || (cp >= 0x1BCA0 && cp <= 0x1BCA3) || (cp >= 0x1D173 && cp <= 0x1D17A)
        || (cp >= 0xE0000 && cp <= 0xE0FFF);
}

// What draws nothing, or a blank, or whatever a fallback font happens to
// have: controls, format characters, separators (every space but U+0020),
// default-ignorables, the braille blank, private-use and unassigned code
// points.
bool invisible(char32_t cp)
{
    switch (QChar::category(cp)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_PrivateUse:
    case QChar::Other_NotAssigned:
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return cp == 0x2800 || defaultIgnorable(cp);
    }
}

} // namespace

void AppendDisplayText(QString& out, std::string_view s)
{
    // Blanks at either end would not be seen at all.
    std::size_t i = 0;
    for (; i < s.size() && s[i] == ' '; ++i)
        appendEscape(out, ' ');
    std::size_t last = s.size();
    while (last > i && s[last - 1] == ' ')
        --last;
    while (i < s.size()) {
        // Printable ASCII, by far the usual case, is copied a run at a time.
        std::size_t end = i;
        while (end < last && s[end] >= 0x20 && s[end] < 0x7F)
            ++end;
        if (end > i) {
            out.append(QLatin1String(s.data() + i, static_cast<qsizetype>(end - i)));
            i = end;
            continue;
        }
        const auto c = static_cast<unsigned char>(s[i]);
        char32_t cp = 0;
        const std::size_t len = c < 0x80 ? 0 : sequenceLength(s.substr(i), cp);
        if (len == 0) {
            appendEscape(out, c);   // a control character or a byte that is not UTF-8
            ++i;
        } else if (invisible(cp)) {
            for (std::size_t k = 0; k < len; ++k)
                appendEscape(out, static_cast<unsigned char>(s[i + k]));
            i += len;
        } else {
            if (QChar::requiresSurrogates(cp)) {
                out.append(QChar(QChar::highSurrogate(cp)));
                out.append(QChar(QChar::lowSurrogate(cp)));
            } else {
                out.append(QChar(static_cast<char16_t>(cp)));
            }
            i += len;
        }
    }
}

QString DisplayText(std::string_view utf8)
{
    QString out;
    out.reserve(static_cast<qsizetype>(utf8.size()));
    AppendDisplayText(out, utf8);
    return out;
}

} // namespace zerva
