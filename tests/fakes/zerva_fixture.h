#pragma once

#include "fakes/fake_banner.h"
#include "fakes/fake_process_source.h"
#include "fakes/fake_shell.h"
#include "main_window/zerva.h"

#include <functional>
#include <memory>

namespace zerva::test {

// A main window on fakes. Every platform piece the window takes can be set
// through Pieces; what is left unset stays absent (no shell, no banner, no
// input box), as for a window that never needs it.
struct ZervaFixture {
    struct Pieces {
        std::vector<ProcessInfo> processes{};
        // Slow unless a test asks otherwise, so that no tick lands in the
        // middle of a test.
        int intervalMs = 3600 * 1000;
        // A FakeShell that records what it is asked to start.
        bool shell = false;
        // A FakeBanner that records where it is sent, or this factory.
        bool fakeBanner = false;
        BannerFactory banner{};
        // 0: the About window types in as fast as it can.
        int aboutFrameMs = 16;
        std::function<QString(const QString& prompt, const QString& text)> inputBox{};
        std::function<void(const QString& text)> messageBox{};
        std::function<bool(const QString& text)> questionBox{};
        std::function<std::vector<std::string>()> listedShells{};
        std::function<std::vector<LockPlace>()> lockPlaces{};
        int addRetryMs = 50;
        int addWaitMs = 5000;
        // None: nothing is recorded (as without root).
        std::shared_ptr<ExecWatch> execWatch{};
    };

    FakeProcessSource* source = nullptr;
    FakeShell* shell = nullptr;
    FakeBanner* banner = nullptr;
    std::unique_ptr<Zerva> window;

    explicit ZervaFixture(std::vector<ProcessInfo> processes = {}, int intervalMs = 3600 * 1000);
    explicit ZervaFixture(Pieces pieces);

    const ZervaForm& form() const { return window->form(); }
};

// n processes with paths /bin/p<i>, ids 1000 + i.
std::vector<ProcessInfo> ManyProcesses(int n);

} // namespace zerva::test
