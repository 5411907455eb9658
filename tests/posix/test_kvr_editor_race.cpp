// kvr.conf saved by a text editor, a real second process, while adds and
// removals go on: each of the editor's ways of saving against real adds and
// removals. At the end every entry that neither side removed is there, and
// no line is torn. An editor that saves a copy it read before an add landed
// overwrites that add: that is the editor's doing, told apart by its log.
#include "fakes/list_texts.h"
#include "platform/controls/list_view.h"
#include "trusted/trusted_file.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <random>
#include <unistd.h>

using namespace zerva;
using namespace zerva::test;
using Result = TrustedFile::AddResult;

namespace {

constexpr int kBase = 50;
// Bounds of one race, by count and by time: a busy machine makes it shorter.
constexpr int kMaxSaves = 500;
constexpr int kEditorMs = 10'000;
constexpr int kMaxEdits = 120;
constexpr auto kWait = std::chrono::milliseconds(1'000);

qint64 NowNs()
{
    timespec t {};
    ::clock_gettime(CLOCK_REALTIME, &t);
    return qint64(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

QByteArray Base(int i)
{
    return "/opt/base/" + QByteArray::number(i);
}

bool ReadFile(const char* name, QByteArray& bytes)
{
    const int fd = ::open(name, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bytes.clear();
    char buffer[65536];
    ssize_t n = 0;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        bytes.append(buffer, n);
    ::close(fd);
    return n == 0;
}

bool WriteFd(int fd, const char* data, qsizetype size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, std::size_t(size));
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

// The editor, run in a second process: "WAY LOG". It reads kvr.conf of the
// working folder, puts its own line /opt/ed/N at the end and saves it WAY:
// "one" (truncate, then one write), "two" (truncate, then two writes with a
// pause between, the first ending mid-line) or "rename" (a temporary file
// that then takes the name). It pauses a little before saving, as a user
// does, and between saves; it stops after kMaxSaves saves or kEditorMs.
// Per save, LOG gets "N READ-END WRITE-START WRITE-END" (clock times in ns)
// and the /opt/zv/ entries of what it read.
int RunEditor(const QList<QByteArray>& args)
{
    const QByteArray way = args.value(0);
    QFile log(QString::fromLocal8Bit(args.value(1)));
    if (!log.open(QIODevice::WriteOnly))
        return 2;
    std::mt19937 random(unsigned(::getpid()));
    const auto pause = [&](int low, int high) {
        QThread::usleep(std::uniform_int_distribution<unsigned long>(ulong(low), ulong(high))(random));
    };
    QElapsedTimer time;
    time.start();
    for (int n = 0; n < kMaxSaves && time.elapsed() < kEditorMs; ++n) {
        QByteArray bytes;
        if (!ReadFile("kvr.conf", bytes))
            return 3;
        const qint64 readEnd = NowNs();
        QByteArray zv;
        for (const QByteArray& line : bytes.split('\n')) {
            if (line.startsWith("/opt/zv/"))
                zv += ' ' + line.trimmed();
        }
        const QByteArray saved = bytes + "/opt/ed/" + QByteArray::number(n) + "\r\n";
        pause(0, 3'000);   // the copy goes stale meanwhile
        const qint64 writeStart = NowNs();
        if (way == "rename") {
            const int fd = ::open(".kvr.conf.ed", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
            if (fd < 0 || !WriteFd(fd, saved.constData(), saved.size()) || ::close(fd) != 0
                || ::rename(".kvr.conf.ed", "kvr.conf") != 0)
                return 4;
        } else {
            const int fd = ::open("kvr.conf", O_WRONLY | O_TRUNC | O_CLOEXEC);
            if (fd < 0)
                return 4;
            const qsizetype first = way == "two" ? saved.size() / 2 : saved.size();
            bool ok = WriteFd(fd, saved.constData(), first);
            if (way == "two") {
                pause(0, 20'000);   // well under a moment, as any editor's save
                ok = ok && WriteFd(fd, saved.constData() + first, saved.size() - first);
            }
            if (::close(fd) != 0 || !ok)
                return 4;
        }
        const qint64 writeEnd = NowNs();
        log.write(QByteArray::number(n) + ' ' + QByteArray::number(readEnd) + ' ' + QByteArray::number(writeStart)
                  + ' ' + QByteArray::number(writeEnd) + zv + '\n');
        // Mostly quick saves; now and then a quiet spell long enough for an
        // add to land.
        if (std::uniform_int_distribution<int>(0, 9)(random) < 6)
            pause(0, 30'000);
        else
            pause(220'000, 400'000);
    }
    return 0;
}

// A save in place that takes longer than this, its file half written all
// the while, can pass for one that is over: the machine held the editor
// up between its truncate and its last write.
constexpr qint64 kStalledNs = 150'000'000;

struct Save {
    qint64 readEnd = 0;
    qint64 writeStart = 0;
    qint64 writeEnd = 0;
    QSet<QByteArray> read;   // our entries in what it read
};

struct Add {
    QByteArray entry;
    qint64 start = 0;
    qint64 end = 0;
};

} // namespace

class TestKvrEditorRace : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void editorSaves_data()
    {
        QTest::addColumn<QByteArray>("way");
        QTest::newRow("truncate, then one write") << QByteArray("one");
        QTest::newRow("truncate, then two writes") << QByteArray("two");
        QTest::newRow("temporary file, then rename") << QByteArray("rename");
    }
    void editorSaves()
    {
        QFETCH(QByteArray, way);
        QTemporaryDir dir;
        const QString path = dir.filePath("kvr.conf");
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            for (int i = 0; i < kBase; ++i)
                f.write(Base(i) + "\r\n");
        }
        QProcess editor;
        editor.setWorkingDirectory(dir.path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("ZERVA_EDITOR_JOB", QString::fromLatin1(way + ' ' + QFile::encodeName(dir.filePath("editor.log"))));
        editor.setProcessEnvironment(env);
        editor.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(editor.waitForStarted());

        const TrustedFile file(path);
        ListView trList;
        std::mt19937 random(7);
        QList<Add> added;
        QSet<QByteArray> removed;
        int refused = 0;
        int nextBase = 0;
        for (int k = 0; k < kMaxEdits && editor.state() != QProcess::NotRunning; ++k) {
            QThread::msleep(std::uniform_int_distribution<unsigned long>(0, 60)(random));
            if (k % 4 != 3) {
                Add add{"/opt/zv/" + QByteArray::number(k), NowNs(), 0};
                const Result r = file.add(QString::fromLatin1(add.entry), trList, kWait);
                add.end = NowNs();
                if (r == Result::Changing) {
                    ++refused;
                    continue;
                }
                QCOMPARE(r, Result::Added);
                added.push_back(add);
                continue;
            }
            // Alternately one of the entries the file held and one of ours.
            QByteArray target = Base(nextBase);
            if (k % 8 == 7 && !added.isEmpty())
                target = added[std::uniform_int_distribution<qsizetype>(0, added.size() - 1)(random)].entry;
            file.reload(trList);
            const QStringList listed = ListTexts(trList);
            const int row = int(listed.indexOf(QString::fromLatin1(target)));
            if (row < 0 || removed.contains(target))
                continue;
            const Result r = file.remove(listed, {row}, trList, kWait);
            if (r == Result::Changing) {
                ++refused;
                continue;
            }
            QVERIFY2(r == Result::Removed || r == Result::Gone, qPrintable(QString::number(int(r))));
            if (r == Result::Removed) {
                removed << target;
                if (target == Base(nextBase))
                    ++nextBase;
            }
        }
        QVERIFY2(editor.waitForFinished(60'000), "the editor did not finish in a minute");
        QCOMPARE(editor.exitCode(), 0);

        QList<Save> saves;
        {
            QFile log(dir.filePath("editor.log"));
            QVERIFY(log.open(QIODevice::ReadOnly));
            for (const QByteArray& line : log.readAll().split('\n')) {
                const QList<QByteArray> f = line.split(' ');
                if (f.size() < 4)
                    continue;
                QCOMPARE(f[0].toInt(), saves.size());
                Save save{f[1].toLongLong(), f[2].toLongLong(), f[3].toLongLong(), {}};
                for (qsizetype i = 4; i < f.size(); ++i)
                    save.read << f[i];
                saves.push_back(save);
            }
        }

        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QVERIFY(bytes.endsWith("\r\n"));
        QSet<QByteArray> known;
        for (int i = 0; i < kBase; ++i)
            known << Base(i);
        for (int k = 0; k < kMaxEdits; ++k)
            known << "/opt/zv/" + QByteArray::number(k);
        for (int n = 0; n < saves.size(); ++n)
            known << "/opt/ed/" + QByteArray::number(n);
        QSet<QByteArray> lines;
        QByteArrayList torn;
        QByteArrayList all = bytes.split('\n');
        all.removeLast();   // after the last line end
        for (const QByteArray& line : all) {
            if (!line.endsWith('\r') || !known.contains(line.chopped(1)))
                torn << line;
            else
                lines << line.chopped(1);
        }

        QByteArrayList lost;
        for (int i = 0; i < kBase; ++i) {
            if (!removed.contains(Base(i)) && !lines.contains(Base(i)))
                lost << Base(i);
        }
        int editorLost = 0;
        for (int n = 0; n < saves.size(); ++n)
            editorLost += lines.contains("/opt/ed/" + QByteArray::number(n)) ? 0 : 1;
        // An add missing at the end is the editor's doing when a save of its
        // read the file before the add was over, without the add, and wrote
        // after the add began.
        int overwritten = 0;
        for (const Add& add : added) {
            if (removed.contains(add.entry) || lines.contains(add.entry))
                continue;
            const bool editors = std::any_of(saves.begin(), saves.end(), [&](const Save& s) {
                return s.readEnd < add.end && s.writeEnd > add.start && !s.read.contains(add.entry);
            });
            if (editors)
                ++overwritten;
            else
                lost << add.entry;
        }
        const qsizetype stalled = way == "rename" ? 0 : std::count_if(saves.begin(), saves.end(), [](const Save& s) {
            return s.writeEnd - s.writeStart > kStalledNs;
        });
        qInfo("%s: %d editor saves, %lld adds done, %d adds or removals refused as changing, %lld removals, "
              "%lld entries lost, %lld torn lines, %d editor saves overwritten, %d adds overwritten by a stale save, "
              "%lld saves held up mid-save",
              way.constData(), int(saves.size()), qint64(added.size()), refused, qint64(removed.size()),
              qint64(lost.size()), qint64(torn.size()), editorLost, overwritten, qint64(stalled));
        if (stalled > 0 && (!torn.isEmpty() || !lost.isEmpty() || editorLost > 0))
            QSKIP("the machine held the editor up in the middle of a save for longer than a moment: a save that "
                  "slow cannot be told from one that is over");
        QVERIFY2(torn.isEmpty(), torn.join(" | ").constData());
        QVERIFY2(lost.isEmpty(), lost.join(' ').constData());
        QCOMPARE(editorLost, 0);
        if (added.isEmpty())
            QSKIP("the machine is busy: no add landed between the editor's saves");
    }
};

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (const QByteArray job = qgetenv("ZERVA_EDITOR_JOB"); !job.isEmpty())
        return RunEditor(job.split(' '));
    TestKvrEditorRace test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_kvr_editor_race.moc"
