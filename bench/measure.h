#pragma once

#include <functional>
#include <string>
#include <vector>

namespace zerva::bench {

// One measured piece of work. Figures are medians over the rounds; the
// CPU figure is the calling thread's user+system time, which a busy shared
// machine disturbs far less than the wall clock.
struct Case {
    std::string name;
    std::function<void()> run;
    std::vector<double> wallMs;
    std::vector<double> cpuMs;

    double medianWallMs() const;
    double medianCpuMs() const;
};

// Runs every case once per round, in turn, so that all of them see the same
// processes and the same load. One warm-up round is not counted.
void RunRounds(std::vector<Case>& cases, int rounds);

// Resident memory of this process, or of process `pid`, in KiB; -1 when it
// cannot be read.
long ResidentKiB(long pid = 0);

} // namespace zerva::bench
