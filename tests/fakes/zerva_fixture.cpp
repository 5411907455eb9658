#include "fakes/zerva_fixture.h"

namespace zerva::test {

ZervaFixture::ZervaFixture(std::vector<ProcessInfo> processes, int intervalMs)
    : ZervaFixture(Pieces{.processes = std::move(processes), .intervalMs = intervalMs})
{
}

ZervaFixture::ZervaFixture(Pieces pieces)
{
    auto fake = std::make_unique<FakeProcessSource>();
    fake->processes = std::move(pieces.processes);
    source = fake.get();
    ZervaPlatform platform;
    platform.processes = std::move(fake);
    platform.refreshIntervalMs = pieces.intervalMs;
    platform.aboutFrameMs = pieces.aboutFrameMs;
    platform.inputBox = std::move(pieces.inputBox);
    platform.messageBox = std::move(pieces.messageBox);
    platform.questionBox = std::move(pieces.questionBox);
    platform.listedShells = std::move(pieces.listedShells);
    platform.lockPlaces = std::move(pieces.lockPlaces);
    platform.addRetryMs = pieces.addRetryMs;
    platform.addWaitMs = pieces.addWaitMs;
    platform.execWatch = std::move(pieces.execWatch);
    if (pieces.shell) {
        auto fakeShell = std::make_unique<FakeShell>();
        shell = fakeShell.get();
        platform.shell = std::move(fakeShell);
    }
    platform.banner = std::move(pieces.banner);
    if (pieces.fakeBanner) {
        platform.banner = [this](QWidget* parent, Shell* s) {
            banner = new FakeBanner(parent, s);
            return banner;
        };
    }
    window = std::make_unique<Zerva>(std::move(platform));
}

std::vector<ProcessInfo> ManyProcesses(int n)
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
