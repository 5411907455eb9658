#pragma once

#include "platform/os/process_source.h"

#include <QString>

#include <optional>

namespace zerva {

// The seven-line details block of a process row; every line ends with CR LF.
// Texts are shown as DisplayText shows them, so no value can add a line.
QString DetailsBlock(const ProcessInfo& process);

// `block` with the command line `whole` in place of the one it shows (the
// lists keep only its head); `block` as it is when there is none.
QString WithCommandLine(const QString& block, const std::optional<std::string>& whole);

// PageFileUsage / 1000 rounded half to even ("2.5" gives 2, "3.5" gives 4);
// null gives empty text.
QString KilobytesText(const std::optional<std::int64_t>& bytes);

} // namespace zerva
