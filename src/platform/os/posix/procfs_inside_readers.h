#pragma once

#include "platform/os/process_source.h"

#include <optional>
#include <string_view>
#include <vector>

namespace zerva {

// Parsers for the /proc files that tell what runs in a process besides its
// program. Each takes the file's whole text.

// /proc/PID/task/TID/status: the tracer (TracerPid) and state letter.
struct TaskStatus {
    std::int64_t tracerPid = 0;
    char state = '?';
    std::optional<unsigned> realUser;   // the first of "Uid:"
};
std::optional<TaskStatus> ParseTaskStatus(std::string_view status);

// /proc/PID/environ: whether LD_PRELOAD or LD_AUDIT names a library (an
// empty value loads nothing).
bool EnvironLoadsLibrary(std::string_view environ);

// /proc/PID/smaps: the executable mappings with their pages copied on write
// (Anonymous), owner unknown. False when the text is not smaps.
// The kernel's own code pages ([vdso], [vsyscall]) are left out.
bool ParseCodeMappings(std::string_view smaps, std::vector<CodeMapping>& out);

} // namespace zerva
