#include "platform/controls/left_to_right.h"

#include <algorithm>

namespace zerva {

namespace {

constexpr QChar kLri(0x2066);
constexpr QChar kFsi(0x2068);
constexpr QChar kPdi(0x2069);

// Whether the text holds a right-to-left letter (Hebrew, Arabic, and the
// right-to-left scripts beyond the BMP).
bool hasRightToLeft(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t cp = text[i].unicode();
        if (cp < 0x0590)
            continue;   // all of Latin, Greek, Cyrillic
        if (QChar::isHighSurrogate(cp) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            cp = QChar::surrogateToUcs4(text[i].unicode(), text[i + 1].unicode());
            ++i;
        }
        const QChar::Direction d = QChar::direction(cp);
        if (d == QChar::DirR || d == QChar::DirAL)
            return true;
    }
    return false;
}

bool separator(QChar c)
{
    return c == u'/' || c == u'\\' || c == u' ';
}

} // namespace

QString LeftToRight(const QString& text)
{
    if (!hasRightToLeft(text))
        return text;
    QString out;
    out.reserve(text.size() + 16);
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype next = text.indexOf(u'\n', i);
        if (next < 0)
            next = text.size();
        // A line ends before its "\r\n", which stays outside the isolate.
        const qsizetype end = next > i && text[next - 1] == u'\r' ? next - 1 : next;
        out.append(kLri);
        for (qsizetype run = i; run < end;) {
            qsizetype stop = run;
            while (stop < end && !separator(text[stop]))
                ++stop;
            const QStringView part = QStringView(text).sliced(run, stop - run);
            if (hasRightToLeft(part))
                out.append(kFsi).append(part).append(kPdi);
            else
                out.append(part);
            if (stop < end)
                out.append(text[stop++]);
            run = stop;
        }
        out.append(kPdi);
        out.append(QStringView(text).sliced(end, std::min(next + 1, text.size()) - end));
        i = next + 1;
    }
    return out;
}

QString StripIsolates(QString text)
{
    text.removeIf([](QChar c) { return c.unicode() >= 0x2066 && c.unicode() <= 0x2069; });
    return text;
}

} // namespace zerva
