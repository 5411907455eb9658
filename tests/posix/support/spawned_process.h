#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

namespace zerva::test {

// A real child process for tests that look at the live process list. It is
// started with posix_spawn, which returns only once the program has been
// exec'd, so /proc already shows its executable. The destructor kills and
// reaps it.
class SpawnedProcess {
public:
    // Its standard input: this process's own, or a pipe fed by writeInput.
    enum class Input { Inherited, Pipe };

    // Runs `program` (a path, not searched in PATH) with `args` after it.
    SpawnedProcess(const std::string& program, const std::vector<std::string>& args,
                   Input input = Input::Inherited);
    ~SpawnedProcess();
    SpawnedProcess(const SpawnedProcess&) = delete;
    SpawnedProcess& operator=(const SpawnedProcess&) = delete;

    pid_t pid() const { return m_pid; }
    bool started() const { return m_pid > 0; }
    // The executable path the kernel reports for it now.
    std::string exePath() const;
    // Writes `bytes` to its standard input (Input::Pipe only).
    bool writeInput(const std::string& bytes);
    // Kills and reaps it now.
    void end();

private:
    pid_t m_pid = -1;
    int m_input = -1;
};

// Copies the file at `from` to a new file `to` (mode 0755) the way cp, a
// compiler or a download writes it: its pages are left for the system to
// write back later, as a program run a moment after it was made finds them.
// (QFile::copy has them written first.) False when it could not.
bool CopyUnsynced(const std::string& from, const std::string& to);

} // namespace zerva::test
