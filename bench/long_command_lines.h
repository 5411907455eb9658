#pragma once

namespace zerva::bench {

// Zerva's resident memory (the real program, refreshing on its own timer)
// before, while and after `processes` processes with command lines of
// `bytes` bytes run: a baseline, the most while they run, and ten seconds
// after they ended. KiB; -1 when Zerva could not be started.
struct LongCommandLines {
    long baselineKiB = -1;
    long duringKiB = -1;
    long afterKiB = -1;
    int started = 0;
};

LongCommandLines MeasureLongCommandLines(const char* exe, int processes, int bytes);

} // namespace zerva::bench
