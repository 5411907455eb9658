#pragma once

#include <stdexcept>
#include <utility>

namespace zerva {

// A toolkit operation that the toolkit refuses (a negative size, an item
// that does not exist). Caught by Trap.
class ToolkitError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Runs one step of a handler whose failures are skipped silently: the step
// is abandoned and the caller goes on with the next one. Returns whether
// the step completed.
template <typename Step>
bool Trap(Step&& step) noexcept
{
    try {
        std::forward<Step>(step)();
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace zerva
