#pragma once

#include <sys/types.h>

#include <vector>

namespace zerva::bench {

// Extra sleeping processes, so that every figure is taken over a process
// list of a known size. They die with the benchmark, and the destructor ends
// exactly these, by their ids.
class Sleepers {
public:
    explicit Sleepers(int count);
    ~Sleepers();
    Sleepers(const Sleepers&) = delete;
    Sleepers& operator=(const Sleepers&) = delete;

    int count() const { return static_cast<int>(m_pids.size()); }

private:
    std::vector<pid_t> m_pids;
};

} // namespace zerva::bench
