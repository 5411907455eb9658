// The record of execs: its bound, and which programs count as having run
// unseen.
#include "trusted/exec_record.h"

#include <QTest>

using namespace zerva;
using Clock = std::chrono::steady_clock;
using Fate = ExecRecord::Fate;
using Judgement = ExecRecord::Judgement;

Q_DECLARE_METATYPE(ExecRecord::Fate)
Q_DECLARE_METATYPE(ExecRecord::Judgement)

namespace {

const Clock::time_point T0 = Clock::time_point(std::chrono::hours(1));

Clock::time_point At(int ms)
{
    return T0 + std::chrono::milliseconds(ms);
}

ExecSeen Exec(std::int64_t pid, int atMs, std::optional<std::uint64_t> start = 7, const char* path = "/tmp/x/kisa")
{
    ExecSeen e;
    e.pid = pid;
    e.at = At(atMs);
    e.when = std::chrono::system_clock::now();
    e.startTime = start;
    if (path)
        e.path = path;
    e.commandLine = "kisa --bir";
    return e;
}

ExecRecord::Judge JudgeAs(Judgement j)
{
    return [j](const ExecSeen&) { return j; };
}

} // namespace

class TestExecRecord : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // One exec of process 10 at 100 ms, then two refreshes; what the record
    // makes of it.
    void fate_data()
    {
        QTest::addColumn<bool>("startKnown");
        QTest::addColumn<int>("replacedAtMs");   // -1: no later exec
        QTest::addColumn<int>("scan1Ms");
        QTest::addColumn<bool>("scan1Sees");
        QTest::addColumn<int>("addAfterScan");   // 1: read only after the first scan
        QTest::addColumn<bool>("scan2Sees");
        QTest::addColumn<Judgement>("judgement");
        QTest::addColumn<Fate>("fate");
        // scan 2 begins at 1000 ms.
        QTest::newRow("ended before the scan, untrusted: shown")
            << true << -1 << 500 << false << 0 << false << Judgement::NotTrusted << Fate::Shown;
        QTest::newRow("ended before the scan, trusted: only counted")
            << true << -1 << 500 << false << 0 << false << Judgement::Trusted << Fate::Trusted;
        QTest::newRow("seen by the scan: listed")
            << true << -1 << 500 << true << 0 << false << Judgement::NotTrusted << Fate::Listed;
        QTest::newRow("exec after the scan began: the next scan judges, seen")
            << true << -1 << 50 << false << 0 << true << Judgement::NotTrusted << Fate::Listed;
        QTest::newRow("exec after the scan began: the next scan judges, gone")
            << true << -1 << 50 << true << 0 << false << Judgement::NotTrusted << Fate::Shown;
        QTest::newRow("read late, seen by the scan before: listed")
            << true << -1 << 500 << true << 1 << false << Judgement::NotTrusted << Fate::Listed;
        QTest::newRow("read late, unseen by either: shown")
            << true << -1 << 500 << false << 1 << false << Judgement::NotTrusted << Fate::Shown;
        QTest::newRow("start time unreadable (already ended): shown although its id is seen")
            << false << -1 << 500 << true << 0 << true << Judgement::NoPath << Fate::Shown;
        QTest::newRow("replaced by another exec before the scan: shown although its process is seen")
            << true << 300 << 500 << true << 0 << true << Judgement::NotTrusted << Fate::Shown;
        QTest::newRow("replaced after the scan saw it: listed")
            << true << 700 << 500 << true << 0 << true << Judgement::NotTrusted << Fate::Listed;
        QTest::newRow("its path trusted but another file ran: shown")
            << true << -1 << 500 << false << 0 << false << Judgement::OtherFile << Fate::Shown;
    }
    void fate()
    {
        QFETCH(bool, startKnown);
        QFETCH(int, replacedAtMs);
        QFETCH(int, scan1Ms);
        QFETCH(bool, scan1Sees);
        QFETCH(int, addAfterScan);
        QFETCH(bool, scan2Sees);
        QFETCH(Judgement, judgement);
        QFETCH(Fate, fate);
        ExecRecord record(16);
        const auto judge = JudgeAs(judgement);
        const std::vector<ExecRecord::Seen> sees{{3, 1}, {10, 7}, {11, 7}};
        const auto add = [&] {
            record.add(Exec(10, 100, startKnown ? std::optional<std::uint64_t>(7) : std::nullopt));
            if (replacedAtMs >= 0)
                record.add(Exec(10, replacedAtMs, 7, "/bin/sonraki"));
        };
        if (!addAfterScan)
            add();
        record.refreshed(At(scan1Ms), scan1Sees ? sees : std::vector<ExecRecord::Seen>{}, judge);
        if (addAfterScan)
            add();
        record.refreshed(At(1000), scan2Sees ? sees : std::vector<ExecRecord::Seen>{}, judge);
        const ExecRecord::Entry* e = record.entry(1);
        QVERIFY(e);
        QCOMPARE(e->fate, fate);
        QCOMPARE(record.shownTotal(), std::uint64_t(fate == Fate::Shown));
        QCOMPARE(record.trustedTotal(), std::uint64_t(fate == Fate::Trusted));
        int shown = 0;
        record.shownAfter(0, [&](const ExecRecord::Entry& s) { shown += s.number == 1; });
        QCOMPARE(shown, int(fate == Fate::Shown));
        // Only what is shown keeps its texts.
        QCOMPARE(e->exec.path.has_value(), fate == Fate::Shown);
        if (fate == Fate::Shown)
            QCOMPARE(e->judgement, judgement);
    }

    // The ring at its bound: the oldest go, each exec costs one slot.
    void bound_data()
    {
        QTest::addColumn<int>("capacity");
        QTest::addColumn<int>("execs");
        QTest::addColumn<bool>("judgedBetween");   // a refresh after each exec
        QTest::addColumn<bool>("lost");
        QTest::newRow("below the bound") << 8 << 5 << false << false;
        QTest::newRow("at the bound") << 8 << 8 << false << false;
        QTest::newRow("past the bound, judged in time") << 8 << 21 << true << false;
        QTest::newRow("past the bound, pushed out unjudged: told as lost") << 8 << 21 << false << true;
        QTest::newRow("ten thousand and one") << 10000 << 10001 << true << false;
    }
    void bound()
    {
        QFETCH(int, capacity);
        QFETCH(int, execs);
        QFETCH(bool, judgedBetween);
        QFETCH(bool, lost);
        ExecRecord record(static_cast<std::size_t>(capacity));
        const auto judge = JudgeAs(Judgement::NotTrusted);
        for (int i = 0; i < execs; ++i) {
            record.add(Exec(100 + i, i));
            if (judgedBetween)
                record.refreshed(At(i + 1), {}, judge);
        }
        record.refreshed(At(execs + 1), {}, judge);
        const std::uint64_t kept = std::uint64_t(std::min(capacity, execs));
        QCOMPARE(record.newestNumber(), std::uint64_t(execs));
        QCOMPARE(record.oldestNumber(), std::uint64_t(execs) - kept + 1);
        QVERIFY(!record.entry(record.oldestNumber() - 1));
        QCOMPARE(record.entry(record.newestNumber())->exec.pid, std::int64_t(100 + execs - 1));
        QCOMPARE(record.lastLoss().has_value(), lost);
        std::uint64_t shown = 0;
        std::uint64_t previous = 0;
        bool ordered = true;
        record.shownAfter(0, [&](const ExecRecord::Entry& e) {
            ++shown;
            ordered = ordered && e.number > previous;
            previous = e.number;
        });
        QCOMPARE(shown, kept);
        QVERIFY(ordered);
        // What came since a serial is what is new.
        const std::uint64_t serial = record.shownAfter(0, [](const ExecRecord::Entry&) {});
        record.add(Exec(1, execs + 2));
        record.refreshed(At(execs + 3), {}, judge);
        int fresh = 0;
        record.shownAfter(serial, [&](const ExecRecord::Entry& e) { fresh += e.exec.pid == 1; });
        QCOMPARE(fresh, 1);
    }

    void lostAndRecent()
    {
        ExecRecord record;
        QVERIFY(!record.lastLoss());
        const auto now = std::chrono::system_clock::now();
        record.lose(now);
        QCOMPARE(*record.lastLoss(), now);
        const Clock::time_point base = Clock::now();
        for (int i = 0; i < 5; ++i) {
            ExecSeen e = Exec(500 + i, 0);
            e.at = base - std::chrono::seconds(90) + std::chrono::seconds(20 * i);   // -90 -70 -50 -30 -10
            record.add(std::move(e));
        }
        record.refreshed(base, {}, JudgeAs(Judgement::NotTrusted));
        QCOMPARE(record.shownSince(base - std::chrono::minutes(1)), std::size_t(3));
        QCOMPARE(record.shownTotal(), std::uint64_t(5));
    }
};

QTEST_GUILESS_MAIN(TestExecRecord)
#include "test_exec_record.moc"
