#include "platform/banner/banner.h"
#include "platform/banner/webengine/webengine_banner.h"

namespace zerva {

// Builds with the full browser show the banner in it.
Banner* MakeSystemBanner(QWidget* parent, Shell* shell)
{
    return new WebEngineBanner(parent, shell);
}

} // namespace zerva
