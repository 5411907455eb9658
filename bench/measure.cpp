#include "measure.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <ctime>

namespace zerva::bench {

namespace {

double threadCpuMs()
{
    timespec ts{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

} // namespace

double Case::medianWallMs() const { return median(wallMs); }
double Case::medianCpuMs() const { return median(cpuMs); }

void RunRounds(std::vector<Case>& cases, int rounds)
{
    using Clock = std::chrono::steady_clock;
    for (int r = -1; r < rounds; ++r) {
        for (Case& c : cases) {
            const double cpu0 = threadCpuMs();
            const auto t0 = Clock::now();
            c.run();
            const auto t1 = Clock::now();
            const double cpu1 = threadCpuMs();
            if (r < 0)
                continue;
            c.wallMs.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
            c.cpuMs.push_back(cpu1 - cpu0);
        }
    }
}

long ResidentKiB(long pid)
{
    long kib = -1;
    const std::string path = pid ? "/proc/" + std::to_string(pid) + "/status" : std::string("/proc/self/status");
    if (FILE* f = std::fopen(path.c_str(), "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f))
            if (std::sscanf(line, "VmRSS: %ld kB", &kib) == 1)
                break;
        std::fclose(f);
    }
    return kib;
}

} // namespace zerva::bench
