// Zerva's benchmarks: the cost of one refresh against the plainest possible
// walk of /proc, the trust test, start-up and a memory soak, all over the
// same processes (the machine's own plus a thousand sleepers of ours).
//
// Environment: ZERVA_BENCH_SLEEPERS (1000), ZERVA_BENCH_ROUNDS (40),
// ZERVA_BENCH_SOAK (10000 refreshes), ZERVA_BENCH_STARTS (5), and for
// profiling ZERVA_BENCH_ONLY (the name of the one case to run).

#include "floor_scan.h"
#include "measure.h"
#include "sleepers.h"
#include "startup.h"

#include "main_window/zerva.h"
#include "platform/controls/check_box.h"
#include "platform/controls/list_view.h"
#include "platform/os/system_process_source.h"
#include "process/list_processes.h"
#include "trusted/is_trusted.h"

#include <QApplication>
#include <QLabel>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace zerva;
using namespace zerva::bench;

namespace {

int envInt(const char* name, int fallback)
{
    const char* v = std::getenv(name);
    return v && *v ? std::atoi(v) : fallback;
}

// Trusted entries that match none of the running programs, so that every
// process is still listed and tested.
void fillTrusted(ListView& list, int entries)
{
    list.clear();
    for (int i = 0; i < entries; ++i)
        list.add(QStringLiteral("/opt/vendor%1/bin/tool%1").arg(i));
}

void row(const Case& c, double floorCpu, int processes)
{
    std::printf("%-30s %9.2f %9.2f %9.1f %8.2f\n", c.name.c_str(), c.medianWallMs(), c.medianCpuMs(),
                processes ? 1000.0 * c.medianCpuMs() / processes : 0.0,
                floorCpu > 0 ? c.medianCpuMs() / floorCpu : 0.0);
}

} // namespace

int main(int argc, char* argv[])
{
    const int sleeperCount = envInt("ZERVA_BENCH_SLEEPERS", 1000);
    const int rounds = std::max(1, envInt("ZERVA_BENCH_ROUNDS", 40));
    const int soak = envInt("ZERVA_BENCH_SOAK", 10000);
    const int starts = envInt("ZERVA_BENCH_STARTS", 5);

    // Headless, and before any thread exists: the sleepers are forked.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Sleepers sleepers(sleeperCount);

    // Start-up: launch to first paint of the main window.
    std::vector<double> startMs, startCpuMs;
    for (int i = 0; i < starts; ++i) {
        const StartUp s = TimeToFirstPaint(ZERVA_EXE);
        startMs.push_back(s.wallMs);
        startCpuMs.push_back(s.cpuMs);
    }
    std::sort(startMs.begin(), startMs.end());
    std::sort(startCpuMs.begin(), startCpuMs.end());

    QApplication app(argc, argv);

    std::unique_ptr<ProcessSource> source = MakeSystemProcessSource();
    std::vector<ProcessInfo> snapshot;
    source->snapshot(snapshot);
    const int processes = static_cast<int>(snapshot.size());

    // A hidden list, the check box unticked, as the refresh uses them.
    ListView hidden;
    hidden.setColumns({QStringLiteral("Dosya"), QStringLiteral("Path"), QStringLiteral("Modules")});
    CheckBox check1(QStringLiteral("Guvenilirleri goster"));
    ListView noTrusted, trusted10, trusted10k;
    fillTrusted(trusted10, 10);
    fillTrusted(trusted10k, 10000);

    // The main window, shown, on the real process source; its own timer is
    // too slow to tick during the run.
    ZervaPlatform platform;
    platform.processes = MakeSystemProcessSource();
    platform.refreshIntervalMs = 24 * 3600 * 1000;
    Zerva window(std::move(platform));
    window.show();
    window.cmdRefresh_Click();

    std::vector<QString> paths;
    for (const ProcessInfo& p : snapshot)
        if (p.executablePath)
            paths.push_back(QString::fromStdString(*p.executablePath));
    auto trustPass = [&paths](const ListView& list) {
        int trusted = 0;
        for (const QString& path : paths) {
            QString copy = path;
            trusted += IsTrusted(copy, 0, list) ? 1 : 0;
        }
        return trusted;
    };

    std::vector<std::vector<ProcessInfo>> keep(1);
    std::vector<Case> cases = {
        {"floor (plain /proc walk)", [] { FloorScan(); }, {}, {}},
        {"process source scan", [&] { source->snapshot(keep[0]); }, {}, {}},
        {"ListProcesses, hidden list", [&] { ListProcesses(hidden, *source, check1, noTrusted); }, {}, {}},
        {"full refresh", [&] { window.cmdRefresh_Click(); }, {}, {}},
        {"ListProcesses, 10 trusted", [&] { ListProcesses(hidden, *source, check1, trusted10); }, {}, {}},
        {"ListProcesses, 10000 trusted", [&] { ListProcesses(hidden, *source, check1, trusted10k); }, {}, {}},
        {"trust test x all, 10 entries", [&] { trustPass(trusted10); }, {}, {}},
        {"trust test x all, 10000", [&] { trustPass(trusted10k); }, {}, {}},
    };
    if (const char* only = std::getenv("ZERVA_BENCH_ONLY")) {
        std::vector<Case> one;
        for (Case& c : cases)
            if (c.name == only)
                one.push_back(std::move(c));
        RunRounds(one, rounds);
        for (const Case& c : one)
            row(c, 0, processes);
        return 0;
    }
    RunRounds(cases, rounds);

    const Case& floor = cases[0];
    const Case& refresh = cases[3];
    std::printf("Zerva benchmarks: %d processes (%d sleepers of ours), %d rounds, median per run\n",
                processes, sleepers.count(), rounds);
    std::printf("rows listed by the last refresh: %s\n", qPrintable(window.form().lblOS->text()));
    std::printf("%-30s %9s %9s %9s %8s\n", "case", "wall ms", "cpu ms", "cpu us/p", "/floor");
    for (const Case& c : cases)
        row(c, floor.medianCpuMs(), processes);
    std::printf("trust test, 10 entries: %.2f %% of a refresh\n", 100.0 * cases[6].medianCpuMs() / refresh.medianCpuMs());
    std::printf("trust test, 10000 entries: %.2f %% of a refresh\n", 100.0 * cases[7].medianCpuMs() / refresh.medianCpuMs());
    std::printf("10000 trusted entries add %.2f %% to a fill\n",
                100.0 * (cases[5].medianCpuMs() - cases[2].medianCpuMs()) / refresh.medianCpuMs());
    if (!startMs.empty())
        std::printf("start-up to first paint: median %.0f ms wall (min %.0f, max %.0f), %.0f ms CPU, %d launches\n",
                    startMs[startMs.size() / 2], startMs.front(), startMs.back(), startCpuMs[startCpuMs.size() / 2],
                    starts);

    if (soak > 0) {
        const long before = ResidentKiB();
        for (int i = 0; i < soak; ++i)
            window.cmdRefresh_Click();
        const long after = ResidentKiB();
        std::printf("soak: %d refreshes, resident %ld KiB before, %ld KiB after, growth %ld KiB\n", soak, before,
                    after, after - before);
    }
    std::printf("refresh/floor = %.2f (cpu; wall %.2f)\n", refresh.medianCpuMs() / floor.medianCpuMs(),
                refresh.medianWallMs() / floor.medianWallMs());
    return 0;
}
