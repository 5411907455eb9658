#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace zerva {

// The threads of one process in /proc/PID/task, for a process whose own
// entry gives nothing (its first thread has ended). A process has ended only
// when no thread of it is alive: threads beyond MaxTasks, or threads that
// cannot be read, count as alive, so that no failed read hides a process.
struct TaskWalk {
    // What tryTask answers for one thread's folder ("PID/task/TID").
    enum class Answer { Found, Absent, Denied };

    bool found = false;   // tryTask found what it looked for
    std::string dir;      // the folder where it did
    bool denied = false;  // a thread refused to be read
    bool alive = false;   // a thread is alive, or might be
    bool capped = false;  // more than MaxTasks threads: not all were tried
};

// Threads looked at, at most, so that a process with a million costs no
// more; a process with more is taken to be alive.
inline constexpr int MaxTasks = 1024;

// Calls `tryTask` for each thread of process `pid` (relative to `rootFd`)
// until it answers Found. A thread that answers Absent is alive unless its
// stat says it is a zombie or exiting.
TaskWalk WalkTasks(int rootFd, std::string_view pid, const std::function<TaskWalk::Answer(const std::string&)>& tryTask);

// Whether the first thread of process `pid` has ended or is gone (or its
// process); with a walk that found no live thread, the process has ended.
bool LeaderEnded(int rootFd, std::string_view pid);

// What a failed look into folder `dir` ("PID" or "PID/task/TID") with
// error `err` tells: Absent when the thread or process has gone (the
// kernel answers EACCES, not ENOENT, when it goes in the middle of the
// look), Denied otherwise.
TaskWalk::Answer FailedLook(int rootFd, const std::string& dir, int err);

// Whether a /proc folder name is a process or thread id: digits only.
bool IsProcId(const char* name);

// Whether the thread or process whose stat line this is has ended or is
// ending: a zombie (state Z or X), or on its way out (PF_EXITING). It runs
// nothing of its own any more.
bool StatEnding(std::string_view stat);

} // namespace zerva
