#include "platform/controls/warning_icon.h"

#include <QApplication>
#include <QStyle>

namespace zerva {

QIcon WarningIcon()
{
    static const QIcon icon = QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
    return icon;
}

} // namespace zerva
