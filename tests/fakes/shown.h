#pragma once

#include "main_window/zerva_form.h"
#include "platform/controls/list_view.h"

#include <QByteArray>
#include <QFile>
#include <QStringList>

namespace zerva::test {

// The one of the two process lists that is on show.
inline const ListView& ShownList(const ZervaForm& f)
{
    return f.List1->isHidden() ? *f.BufList : *f.List1;
}

// The paths of the processes on show.
inline QStringList ShownPaths(const ZervaForm& f)
{
    const ListView& list = ShownList(f);
    QStringList paths;
    for (int i = 0; i < list.count(); ++i)
        paths << list.subItem(i, 1);
    return paths;
}

// The bytes of kvr.conf in the working folder.
inline QByteArray ConfBytes()
{
    QFile f("kvr.conf");
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

} // namespace zerva::test
