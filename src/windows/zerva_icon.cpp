#include "windows/zerva_icon.h"

#include <QPixmap>

// The resources live in a static library: registering them here pulls them
// into every program that shows the icon.
static void InitZervaResources()
{
    Q_INIT_RESOURCE(zerva);
}

namespace zerva {

QIcon ZervaIcon()
{
    InitZervaResources();
    return QIcon(QPixmap(QStringLiteral(":/icons/zerva.xpm")));
}

} // namespace zerva
