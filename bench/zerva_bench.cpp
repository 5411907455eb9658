// Zerva's benchmarks: the cost of one refresh against the plainest possible
// walk of /proc, the trust test, start-up and a memory soak, all over the
// same processes (the machine's own plus a thousand sleepers of ours).
//
// Then a kvr.conf of a million entries, and the light banner against hostile
// pages.
//
// Environment: ZERVA_BENCH_SLEEPERS (1000), ZERVA_BENCH_ROUNDS (40),
// ZERVA_BENCH_SOAK (10000 refreshes), ZERVA_BENCH_STARTS (5), and for
// profiling ZERVA_BENCH_ONLY (the names of the cases to run, separated by
// semicolons, or "banner" for the banner pages alone, "memory" for Zerva's
// memory with long command lines).

#include "banner_block.h"
#include "fakes/jpeg_bomb.h"
#include "floor_scan.h"
#include "kvr_load.h"
#include "long_command_lines.h"
#include "measure.h"
#include "sleepers.h"
#include "startup.h"

#include "main_window/zerva.h"
#include "platform/banner/light_banner.h"
#include "platform/controls/check_box.h"
#include "platform/controls/list_view.h"
#include "platform/os/system_process_source.h"
#include "process/list_processes.h"
#include "process/row_texts.h"
#include "trusted/is_trusted.h"
#include "trusted/same_file.h"
#include "trusted/trust_memory.h"
#include "trusted/trusted_file.h"

#include <QApplication>
#include <QLabel>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace zerva;
using namespace zerva::bench;

namespace {

int envInt(const char* name, int fallback)
{
    const char* v = std::getenv(name);
    return v && *v ? std::atoi(v) : fallback;
}

// Trusted entries: first `named` (the programs that run), then ones that
// match none of the running programs, `entries` in all.
void fillTrusted(ListView& list, int entries, const QStringList& named = {})
{
    list.clear();
    for (const QString& path : named)
        list.add(path);
    for (int i = static_cast<int>(named.size()); i < entries; ++i)
        list.add(QStringLiteral("/opt/vendor%1/bin/tool%1").arg(i));
}

void row(const Case& c, double floorCpu, int processes)
{
    std::printf("%-30s %9.2f %9.2f %9.1f %8.2f\n", c.name.c_str(), c.medianWallMs(), c.medianCpuMs(),
                processes ? 1000.0 * c.medianCpuMs() / processes : 0.0,
                floorCpu > 0 ? c.medianCpuMs() / floorCpu : 0.0);
}

// Start-up reads the whole list: a million entries, the most that is read.
void largeKvr()
{
    const LargeKvr kvr(1'000'000);
    ListView trList;
    std::vector<Case> cases = {
        {"load 1000000 entries", [&] { TrustedFile(kvr.path()).reload(trList); }, {}, {}},
        {"load, then one trust test", [&] {
             TrustedFile(kvr.path()).reload(trList);
             QString path = QStringLiteral("/usr/bin/none");
             IsTrusted(path, 0, trList, [](const QString&) { return true; });
         }, {}, {}},
    };
    RunRounds(cases, 5);
    std::printf("kvr.conf of %d entries (%.1f MB): load median %.0f ms wall, %.0f ms CPU; "
                "with the first trust test after it %.0f ms wall\n",
                trList.count(), double(kvr.bytes()) / 1e6, cases[0].medianWallMs(), cases[0].medianCpuMs(),
                cases[1].medianWallMs());
}

// The banner's page comes over plain HTTP from anyone on the way.
void hostileBanners()
{
    const int size = 1024 * 1024 - 64;
    const struct {
        const char* name;
        QByteArray page;
    } pages[] = {
        {"nested <div>", QByteArray("<div>").repeated(size / 5)},
        {"nested tables", QByteArray("<table><tr><td>").repeated(size / 15)},
        {"nested inline marks", QByteArray("<b><i><u><font color=red><span>").repeated(size / 33)},
        {"unclosed quote", "<p title=\"" + QByteArray(size, 'x')},
    };
    double worst = 0;
    for (const auto& p : pages) {
        const BannerBlock b = MeasureBannerBlock("Reklam" + p.page.left(size));
        worst = std::max(worst, b.worstMs);
        std::printf("banner, 1 MiB page of %-20s shown after %6.0f ms, longest UI-thread block %5.1f ms\n", p.name,
                    b.shownAfterMs, b.worstMs);
    }
    // A progressive JPEG of 60000 empty scans: under a megabyte, seconds to
    // decode. The page asks for as many different ones as it may.
    const QByteArray bomb = test::ProgressiveJpegBomb(1024, 1024, 60000);
    QByteArray bombPage = "Reklam";
    QHash<QByteArray, QByteArray> bombs;
    for (int i = 0; i < LightBanner::kMaxResources; ++i) {
        const QByteArray path = "/bomb" + QByteArray::number(i) + ".jpg";
        bombPage += "<img src=" + path + ">";
        bombs.insert(path, bomb);
    }
    const BannerBlock b = MeasureBannerBlock(bombPage, bombs);
    worst = std::max(worst, b.worstMs);
    std::printf("banner, %d decoder bombs (%.0f KB each) shown after %6.0f ms, longest UI-thread block %5.1f ms, "
                "closed in %.1f ms\n",
                int(bombs.size()), double(bomb.size()) / 1e3, b.shownAfterMs, b.worstMs, b.closedInMs);
    std::printf("banner: worst UI-thread block %.1f ms over the hostile pages\n", worst);
}

// Zerva itself, refreshing on its own, while 1500 processes with 32 KB
// command lines come and go.
void longCommandLines()
{
    const LongCommandLines m = MeasureLongCommandLines(ZERVA_EXE, envInt("ZERVA_BENCH_LONG", 1500), 32 * 1024);
    std::printf("memory: Zerva resident %.1f MB at first, %.1f MB at most with %d processes of 32 KB command "
                "lines, %.1f MB 10 s after they ended (%+.1f %% of the first)\n",
                double(m.baselineKiB) / 1024, double(m.duringKiB) / 1024, m.started, double(m.afterKiB) / 1024,
                100.0 * double(m.afterKiB - m.baselineKiB) / double(std::max(1L, m.baselineKiB)));
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

    // One process source for every case, the window's: the files it keeps
    // open between scans take most of the program's file budget, which a
    // second source would have to do without.
    ZervaPlatform platform;
    platform.processes = MakeSystemProcessSource();
    ProcessSource* const source = platform.processes.get();
    std::vector<ProcessInfo> snapshot;
    source->snapshot(snapshot);
    const int processes = static_cast<int>(snapshot.size());

    // A hidden list, the check box unticked, as the refresh uses them.
    ListView hidden;
    hidden.setColumns({QStringLiteral("Dosya"), QStringLiteral("Path"), QStringLiteral("Modules")});
    CheckBox check1(QStringLiteral("Guvenilirleri goster"));
    ListView noTrusted, trusted10, trusted10k, running10, running10k;
    fillTrusted(trusted10, 10);
    fillTrusted(trusted10k, 10000);
    // Up to ten of the running programs, the sleepers' among them: every
    // process running one of them matches an entry by path, and takes the
    // test of its file.
    QStringList programs;
    for (const ProcessInfo& p : snapshot)
        if (p.executablePath && programs.size() < 10 && !programs.contains(QString::fromStdString(*p.executablePath)))
            programs.push_back(QString::fromStdString(*p.executablePath));
    if (!programs.contains(QStringLiteral("/usr/bin/sleep")))
        programs.back() = QStringLiteral("/usr/bin/sleep");
    fillTrusted(running10, 10, programs);
    fillTrusted(running10k, 10000, programs);

    // The main window, shown, on the real process source; its own timer is
    // too slow to tick during the run.
    platform.refreshIntervalMs = 24 * 3600 * 1000;
    Zerva window(std::move(platform));
    window.show();
    window.cmdRefresh_Click();

    std::vector<QString> paths;
    for (const ProcessInfo& p : snapshot)
        if (p.executablePath)
            paths.push_back(QString::fromStdString(*p.executablePath));
    std::vector<const ProcessInfo*> withPath;
    for (const ProcessInfo& p : snapshot)
        if (p.executablePath)
            withPath.push_back(&p);
    // As a refresh makes it: the file tests of one pass share their cache.
    auto trustPass = [&](const ListView& list) {
        int trusted = 0;
        SameFile sameFile(*source);
        for (std::size_t i = 0; i < paths.size(); ++i) {
            QString copy = paths[i];
            const ProcessInfo& p = *withPath[i];
            trusted += IsTrusted(copy, 0, list, [&](const QString& e) { return sameFile.runs(p, e); }) ? 1 : 0;
        }
        return trusted;
    };

    // What the trust test keeps between refreshes, as the window keeps it;
    // and one whose every inspection is always due.
    TrustMemory memory, dueMemory;
    dueMemory.recheckAfter = std::chrono::milliseconds(0);

    std::vector<std::vector<ProcessInfo>> keep(1);
    // Kept between fills, as the window keeps them.
    RowTexts texts;
    std::vector<Case> cases = {
        {"floor (plain /proc walk)", [] { FloorScan(); }, {}, {}},
        {"process source scan", [&] { source->snapshot(keep[0]); }, {}, {}},
        {"ListProcesses, hidden list", [&] { ListProcesses(hidden, *source, check1, noTrusted, nullptr, &texts); }, {}, {}},
        {"full refresh", [&] { window.cmdRefresh_Click(); }, {}, {}},
        {"ListProcesses, 10 trusted", [&] { ListProcesses(hidden, *source, check1, trusted10, nullptr, &texts); }, {}, {}},
        {"ListProcesses, 10000 trusted", [&] { ListProcesses(hidden, *source, check1, trusted10k, nullptr, &texts); }, {}, {}},
        {"trust test x all, 10 entries", [&] { trustPass(trusted10); }, {}, {}},
        {"trust test x all, 10000", [&] { trustPass(trusted10k); }, {}, {}},
        {"trust test, 10 running", [&] { trustPass(running10); }, {}, {}},
        {"trust test, 10000 (10 running)", [&] { trustPass(running10k); }, {}, {}},
        {"ListProcesses, 10000 (10 run.)", [&] { ListProcesses(hidden, *source, check1, running10k, nullptr, &texts); }, {}, {}},
        // The sleepers trusted, the way the window refreshes.
        {"refresh, sleepers trusted", [&] { ListProcesses(hidden, *source, check1, running10, &memory, &texts); }, {}, {}},
        {"same, every inspection due", [&] { ListProcesses(hidden, *source, check1, running10, &dueMemory, &texts); }, {}, {}},
    };
    if (const char* only = std::getenv("ZERVA_BENCH_ONLY"); only && std::string(only) == "banner") {
        hostileBanners();
        return 0;
    }
    if (const char* only = std::getenv("ZERVA_BENCH_ONLY"); only && std::string(only) == "memory") {
        longCommandLines();
        return 0;
    }
    if (const char* only = std::getenv("ZERVA_BENCH_ONLY")) {
        // One name, or several separated by semicolons.
        const QStringList names = QString::fromLocal8Bit(only).split(QLatin1Char(';'));
        std::vector<Case> one;
        for (Case& c : cases)
            if (names.contains(QString::fromStdString(c.name)))
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
    std::printf("trust test with file checks, 10 entries naming running programs: %.2f %% of a refresh\n",
                100.0 * cases[8].medianCpuMs() / refresh.medianCpuMs());
    std::printf("trust test with file checks, 10000 entries, 10 naming running programs: %.2f %% of a refresh\n",
                100.0 * cases[9].medianCpuMs() / refresh.medianCpuMs());
    std::printf("processes trusted by the running programs' entries (each took a file check): %d of %d with a path\n",
                trustPass(running10), static_cast<int>(paths.size()));
    std::printf("refresh with the %d sleepers trusted: %.2f ms cpu; with every inspection due: %.2f ms cpu\n",
                sleepers.count(), cases[11].medianCpuMs(), cases[12].medianCpuMs());
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
    longCommandLines();
    largeKvr();
    hostileBanners();
    std::printf("refresh/floor = %.2f (cpu; wall %.2f)\n", refresh.medianCpuMs() / floor.medianCpuMs(),
                refresh.medianWallMs() / floor.medianWallMs());
    return 0;
}
