#pragma once

#include "platform/os/process_source.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <string_view>

namespace zerva {

// The values of the details block, in its order.
struct DetailsValues {
    std::optional<std::int64_t> priority;
    std::optional<std::string_view> commandLine;
    std::optional<std::int64_t> pageFileUsage;
    std::optional<std::int64_t> threadCount;
    std::optional<std::string_view> name;
    std::optional<std::string_view> caption;
    std::optional<std::string_view> description;
};

// The seven-line details block of a process row; every line ends with CR LF.
// Texts are shown as DisplayText shows them, so no value can add a line.
QString DetailsBlock(const DetailsValues& values);
QString DetailsBlock(const ProcessInfo& process);

// `block` with the command line `whole` in place of the one it shows (the
// lists keep only its head); `block` as it is when there is none.
QString WithCommandLine(const QString& block, const std::optional<std::string>& whole);

// PageFileUsage / 1000 rounded half to even ("2.5" gives 2, "3.5" gives 4);
// null gives empty text.
QString KilobytesText(const std::optional<std::int64_t>& bytes);

} // namespace zerva
