#include "trusted/mixed_script.h"

namespace zerva {

namespace {

enum Scripts { Latin = 1, Cyrillic = 2, Greek = 4 };

// The scripts of the letters in one component.
int scriptsOf(QStringView part)
{
    int found = 0;
    for (qsizetype i = 0; i < part.size(); ++i) {
        char32_t cp = part[i].unicode();
        if (cp < 0x80) {
            if ((cp | 0x20) >= 'a' && (cp | 0x20) <= 'z')
                found |= Latin;
            continue;
        }
        if (QChar::isHighSurrogate(cp) && i + 1 < part.size() && part[i + 1].isLowSurrogate()) {
            cp = QChar::surrogateToUcs4(part[i].unicode(), part[i + 1].unicode());
            ++i;
        }
        if (!QChar::isLetter(cp))
            continue;
        switch (QChar::script(cp)) {
        case QChar::Script_Latin:
            found |= Latin;
            break;
        case QChar::Script_Cyrillic:
            found |= Cyrillic;
            break;
        case QChar::Script_Greek:
            found |= Greek;
            break;
        default:
            break;
        }
    }
    return found;
}

} // namespace

QString MixedScriptReason(const QString& path)
{
    qsizetype start = 0;
    while (start <= path.size()) {
        qsizetype end = start;
        while (end < path.size() && path[end] != u'/' && path[end] != u'\\')
            ++end;
        const QStringView part = QStringView(path).sliced(start, end - start);
        const int scripts = scriptsOf(part);
        if ((scripts & Latin) && (scripts & (Cyrillic | Greek))) {
            const QString other = (scripts & Cyrillic) ? QStringLiteral("Kiril") : QStringLiteral("Yunan");
            return QStringLiteral("Dikkat: \"%1\" adinda Latin ve %2 harfleri karisik; baska bir dosyaya "
                                  "benzetilmis olabilir.")
                .arg(part.toString(), other);
        }
        start = end + 1;
    }
    return {};
}

} // namespace zerva
