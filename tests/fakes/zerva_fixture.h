#pragma once

#include "fakes/fake_process_source.h"
#include "main_window/zerva.h"

#include <memory>

namespace zerva::test {

// A main window on a fake process source. The timer is slow unless a test
// asks otherwise, so that no tick lands in the middle of a test.
struct ZervaFixture {
    FakeProcessSource* source = nullptr;
    std::unique_ptr<Zerva> window;

    explicit ZervaFixture(std::vector<ProcessInfo> processes = {}, int intervalMs = 3600 * 1000)
    {
        auto fake = std::make_unique<FakeProcessSource>();
        fake->processes = std::move(processes);
        source = fake.get();
        ZervaPlatform platform;
        platform.processes = std::move(fake);
        platform.refreshIntervalMs = intervalMs;
        window = std::make_unique<Zerva>(std::move(platform));
    }

    const ZervaForm& form() const { return window->form(); }
};

// n processes with paths /bin/p<i>, ids 1000 + i.
inline std::vector<ProcessInfo> ManyProcesses(int n)
{
    std::vector<ProcessInfo> ps;
    for (int i = 0; i < n; ++i) {
        // Appended rather than "p" + to_string(i): MinGW's GCC 12 warns
        // falsely (-Wrestrict) about the inlined prepend.
        const std::string name = std::string("p").append(std::to_string(i));
        ps.push_back(MakeProcess(1000 + i, name, std::string("/bin/").append(name)));
    }
    return ps;
}

} // namespace zerva::test
