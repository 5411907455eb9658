#pragma once

#include "platform/os/process_source.h"

#include <memory>

namespace zerva {

// The process source of the platform the program was built for.
std::unique_ptr<ProcessSource> MakeSystemProcessSource();

} // namespace zerva
