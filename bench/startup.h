#pragma once

namespace zerva::bench {

struct StartUp {
    double wallMs = -1;   // launch to the report of the first paint
    double cpuMs = -1;    // user+system time the program used for it
};

// Launches the program with ZERVA_EXIT_AFTER_FIRST_PAINT set; negative
// figures when it did not report a paint.
StartUp TimeToFirstPaint(const char* exe);

} // namespace zerva::bench
