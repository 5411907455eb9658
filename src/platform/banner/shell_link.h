#pragma once

class QUrl;

namespace zerva {

class Shell;

// Opens a web address that a page asked for (a click in the banner) the way
// the links menu opens its own: "explorer " + address, minimized with focus.
// Only http and https addresses are handed on; anything else a page may
// carry (file:, javascript:, custom schemes) is dropped. False when nothing
// was started.
bool OpenWebLink(Shell* shell, const QUrl& url);

} // namespace zerva
