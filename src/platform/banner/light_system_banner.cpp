#include "platform/banner/banner.h"
#include "platform/banner/light_banner.h"

namespace zerva {

// The default build shows the banner in the light control; builds with the
// full browser replace this file.
Banner* MakeSystemBanner(QWidget* parent, Shell* shell)
{
    return new LightBanner(parent, shell);
}

} // namespace zerva
