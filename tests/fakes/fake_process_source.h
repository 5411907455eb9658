#pragma once

#include "platform/os/process_source.h"

#include <map>
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

    // File identities, once a test sets `identifies`: the file each path
    // names and the file each process runs.
    bool identifies = false;
    std::map<std::string, FileId> files;
    std::map<std::int64_t, FileId> running;

    bool identifiesFiles() const override { return identifies; }
    std::optional<FileId> fileAt(const std::string& path) const override
    {
        const auto it = files.find(path);
        return it == files.end() ? std::nullopt : std::optional<FileId>(it->second);
    }
    std::optional<FileId> runningFile(const ProcessInfo& process, bool& ended) const override
    {
        ended = false;
        const auto it = running.find(process.pid);
        return it == running.end() ? std::nullopt : std::optional<FileId>(it->second);
    }

    // What runs inside each process, once a test sets `inspects`; a
    // process without an entry cannot be inspected.
    bool inspects = false;
    std::map<std::int64_t, ProcessInside> inside;
    bool preloaded = false;
    mutable int inspections = 0;

    bool inspectsProcesses() const override { return inspects; }
    std::optional<ProcessInside> inspect(const ProcessInfo& process) const override
    {
        ++inspections;
        const auto it = inside.find(process.pid);
        return it == inside.end() ? std::nullopt : std::optional<ProcessInside>(it->second);
    }
    bool systemPreload() const override { return preloaded; }

    // Whether the kernel's record of each process (ProcessInfo::kernel, set
    // by the test) covers the execs of every file.
    bool reportsExecs = false;
    bool execsReported(const FileId& file) const override
    {
        static_cast<void>(file);
        return reportsExecs;
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
