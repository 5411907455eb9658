#pragma once

#include "platform/os/process_source.h"

#include <string>
#include <vector>

namespace zerva::test {

// A process source that returns what the test put into it.
class FakeProcessSource : public ProcessSource {
public:
    std::vector<ProcessInfo> processes;
    bool available = true;
    int snapshots = 0;

    bool snapshot(std::vector<ProcessInfo>& out) override
    {
        ++snapshots;
        out.clear();
        if (!available)
            return false;
        out = processes;
        return true;
    }
};

// A full process with a path; the other properties get plain values.
inline ProcessInfo MakeProcess(std::int64_t pid, const std::string& caption, std::optional<std::string> path)
{
    ProcessInfo p;
    p.pid = pid;
    p.caption = caption;
    p.executablePath = std::move(path);
    p.priority = 20;
    p.commandLine = caption + " --flag";
    p.pageFileUsage = 123456;
    p.threadCount = 3;
    p.name = caption;
    p.description = caption;
    return p;
}

// The process with id `pid` in `ps`, or null.
inline const ProcessInfo* FindPid(const std::vector<ProcessInfo>& ps, std::int64_t pid)
{
    for (const auto& p : ps)
        if (p.pid == pid)
            return &p;
    return nullptr;
}

} // namespace zerva::test
