#pragma once

#include <functional>

class QString;
class QWidget;

namespace zerva {

class Shell;

// The browser control that shows the banner page. Which one is built in is
// chosen when the program is built (MakeSystemBanner).
class Banner {
public:
    virtual ~Banner() = default;

    // The control itself; it belongs to the parent it was made for.
    virtual QWidget* widget() = 0;

    // Starts loading the page at `address` and returns at once. A page that
    // cannot be loaded leaves the control as it is, without a message.
    virtual void Navigate(const QString& address) = 0;
};

// Makes a banner as a child of `parent`. A click on a link of the page
// opens it through `shell` (which may be null: clicks then do nothing).
using BannerFactory = std::function<Banner*(QWidget* parent, Shell* shell)>;

// The banner control this build comes with.
Banner* MakeSystemBanner(QWidget* parent, Shell* shell);

} // namespace zerva
