#pragma once

#include <QString>

namespace zerva {

// A text made only when it is read. A list of thousands keeps, for a long
// text that few rows ever show (a process's details), the values it is made
// from rather than the text. It must give the same text every time.
class DeferredText {
public:
    virtual ~DeferredText() = default;
    virtual QString text() const = 0;
};

} // namespace zerva
