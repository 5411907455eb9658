#pragma once

#include <QString>

namespace zerva {

// Why a path reads like another one, or nothing: a component of it (between
// '/' or '\\') that mixes Latin letters with Cyrillic or Greek ones, the
// classic look-alike ("/usr/bin/sl\u0435ep" with a Cyrillic e reads as
// "/usr/bin/sleep"). The reason names the component, as shown. A path with
// such a component is trusted only by an entry written exactly as it is
// (see IsTrusted): no folding of letter case may bring a Latin entry and it
// together.
QString MixedScriptReason(const QString& path);

} // namespace zerva
