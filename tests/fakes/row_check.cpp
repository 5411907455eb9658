#include "fakes/row_check.h"

#include "platform/controls/list_view.h"

#include <QStringList>

namespace zerva::test {

namespace {

const QStringList& labels()
{
    static const QStringList l{
        QStringLiteral("Oncelik derecesi(dusuk < yuksek): "), QStringLiteral("Komut satiri: "),
        QStringLiteral("Hafiza kullanimi: "), QStringLiteral("Thread sayisi: "),
        QStringLiteral("Isim: "), QStringLiteral("Baslik: "), QStringLiteral("Aciklama: ")};
    return l;
}

} // namespace

QString RowFault(const ListView& list, int row, bool captionOnlyAllowed)
{
    const QString caption = list.text(row);
    const QString path = list.subItem(row, 1);
    const QString block = list.subItem(row, 2);
    if (list.key(row) <= 0)
        return QStringLiteral("no process id");
    if (path.isEmpty() && block.isEmpty()) {
        if (!captionOnlyAllowed)
            return QStringLiteral("row without a path");
        return caption.isEmpty() ? QStringLiteral("empty caption-only row") : QString();
    }
    // An empty path with details is a process that hid its program: it is
    // listed on purpose, and its details are checked like any others.
    // A command line may itself hold line breaks, so the lines are found by
    // their labels, in order, each right after a CR LF.
    if (!block.startsWith(labels().first()))
        return QStringLiteral("details do not start with the first line");
    qsizetype at = 0;
    for (int i = 1; i < labels().size(); ++i) {
        at = block.indexOf(QStringLiteral("\r\n") + labels().at(i), at);
        if (at < 0)
            return QStringLiteral("details line %1 missing").arg(i + 1);
    }
    if (!block.endsWith(QStringLiteral("\r\n")))
        return QStringLiteral("last details line not ended");
    if (!block.contains(QStringLiteral("\r\nBaslik: ") + caption + QStringLiteral("\r\n")))
        return QStringLiteral("details caption differs from the row's");
    return {};
}

QString ListFault(const ListView& list, bool captionOnlyAllowed)
{
    for (int row = 0; row < list.count(); ++row) {
        const QString fault = RowFault(list, row, captionOnlyAllowed);
        if (!fault.isEmpty())
            return list.text(row) + QStringLiteral(": ") + fault;
    }
    return {};
}

} // namespace zerva::test
