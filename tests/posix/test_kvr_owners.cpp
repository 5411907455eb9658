// kvr.conf in a folder that others can write, as /tmp: only the user's own
// file (or root's) is used, links planted by someone else are not followed,
// and two programs adding at once lose nothing. The other user is real: the
// program runs as "nobody" through setpriv, or as root against a file of
// "nobody"; the test is skipped when the machine allows neither.
#include "fakes/list_texts.h"
#include "fakes/zerva_fixture.h"
#include "platform/controls/list_view.h"
#include "platform/os/conf_file.h"
#include "platform/os/posix/posix_add_lock.h"
#include "trusted/lock_place_text.h"
#include "trusted/trusted_file.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace zerva;
using namespace zerva::test;
using Result = TrustedFile::AddResult;

namespace {

constexpr uid_t kNobody = 65534;
constexpr uid_t kDaemon = 1;
const QByteArray kOld("/bin/p1\r\n/bin/p2\r\n");

// The helper run in a second process: "once" loads kvr.conf of the working
// folder and adds /opt/new, printing the items loaded and the result;
// "adds TAG COUNT SECONDS" adds /opt/TAG/0, /opt/TAG/1, ... until COUNT or
// SECONDS is reached and prints how many it added and why it stopped: "done",
// "time", or the result of an add that failed.
int RunHelper(const QByteArray& job)
{
    const QList<QByteArray> args = job.split(' ');
    ListView trList;
    const TrustedFile file;
    file.reload(trList);
    if (args.value(0) == "refused") {
        // An add from the window's menu that finds no place for its lock,
        // and what the window then tells.
        QStringList messages;
        ZervaFixture z(ZervaFixture::Pieces{
            .inputBox = [](const QString&, const QString&) { return QStringLiteral("/opt/new"); },
            .messageBox = [&](const QString& text) { messages << text; },
            .lockPlaces = LockPlaces});
        z.window->Form_Load();
        z.window->GPE_Click();
        QElapsedTimer wait;
        wait.start();
        while (!z.window->pendingAdds().isEmpty() && wait.elapsed() < 10'000)
            QTest::qWait(20);
        std::printf("%s\n", messages.join(u'\n').toUtf8().constData());
        return 0;
    }
    if (args.value(0) == "once") {
        const int items = trList.count();
        std::printf("%d %d\n", items, int(file.add(QStringLiteral("/opt/new"), trList)));
        return 0;
    }
    const int count = args.value(2).toInt();
    QElapsedTimer time;
    time.start();
    int added = 0;
    QByteArray why = "done";
    while (added < count) {
        if (time.elapsed() > args.value(3).toLongLong() * 1000) {
            why = "time";
            break;
        }
        const Result r = file.add(QStringLiteral("/opt/%1/%2").arg(QString::fromLatin1(args.value(1))).arg(added), trList);
        if (r != Result::Added) {
            why = QByteArray::number(int(r));
            break;
        }
        ++added;
    }
    std::printf("%d %s\n", added, why.constData());
    return 0;
}

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

bool Own(const QString& path, uid_t uid)
{
    return ::lchown(QFile::encodeName(path).constData(), uid, uid == 0 ? 0 : gid_t(65534)) == 0;
}

} // namespace

class TestKvrOwners : public QObject {
    Q_OBJECT
    QTemporaryDir m_bin;
    QString m_helper;
    QString m_setpriv;

private Q_SLOTS:
    void initTestCase()
    {
        // A copy of this program that the other user may run whatever
        // folder the build lies in.
        m_helper = m_bin.filePath(QStringLiteral("helper"));
        QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), m_helper));
        // Nor may it load anything from the build tree, which may lie in a
        // folder that only we may enter (a clone in a private folder).
        const QString tree = QFileInfo(QCoreApplication::applicationDirPath()).canonicalPath() + u'/';
        QFile maps(QStringLiteral("/proc/self/maps"));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        const QString self = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
        for (const QByteArray& line : maps.readAll().split('\n')) {
            const qsizetype slash = line.indexOf('/');
            const QString file = slash < 0 ? QString() : QString::fromUtf8(line.mid(slash));
            QVERIFY2(file.isEmpty() || file == self || !file.startsWith(tree),
                     qPrintable(QStringLiteral("the helper would load %1 from the build tree").arg(file)));
        }
        QVERIFY(::chmod(QFile::encodeName(m_bin.path()).constData(), 0755) == 0);
        m_setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    }

    // Who runs the program ("nobody", through setpriv, or "root", here);
    // kvr.conf in a sticky folder open to all, either the file itself or a
    // chain of links to a file in the user's own folder, as dotfiles are kept.
    // "us" is the user running the program, "other" another one.
    void owners_data()
    {
        QTest::addColumn<QString>("runner");
        QTest::addColumn<QStringList>("links");   // owners of the links on the way, from kvr.conf
        QTest::addColumn<QString>("owner");       // of the file: "us", "other" or "root"
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("items");
        QTest::addColumn<Result>("add");
        QTest::addColumn<bool>("hardLink");   // kvr.conf a second name of the file, not a symbolic link
        const QStringList none;
        QTest::newRow("own file (control)") << "nobody" << none << "us" << 0644 << 2 << Result::Added << false;
        QTest::newRow("root's file: used, not written")
            << "nobody" << none << "root" << 0644 << 2 << Result::NoPermission << false;
        QTest::newRow("another user's file") << "nobody" << none << "other" << 0644 << 0 << Result::Foreign << false;
        QTest::newRow("own file, group may write") << "nobody" << none << "us" << 0664 << 0 << Result::Foreign << false;
        QTest::newRow("own file, others may write") << "nobody" << none << "us" << 0606 << 0 << Result::Foreign << false;
        QTest::newRow("own link to own file: link kept")
            << "nobody" << QStringList{"us"} << "us" << 0600 << 2 << Result::Added << false;
        QTest::newRow("planted link to the user's file")
            << "nobody" << QStringList{"other"} << "us" << 0600 << 0 << Result::Foreign << false;
        QTest::newRow("own link through a planted link")
            << "nobody" << QStringList{"us", "other"} << "us" << 0600 << 0 << Result::Foreign << false;
        QTest::newRow("root: another user's file") << "root" << none << "other" << 0644 << 0 << Result::Foreign << false;
        QTest::newRow("root: planted link to root's file")
            << "root" << QStringList{"other"} << "root" << 0600 << 0 << Result::Foreign << false;
        QTest::newRow("root: own file (control)") << "root" << none << "us" << 0644 << 2 << Result::Added << false;
        // A second name of root's file is no list of the user's.
        QTest::newRow("hard link to root's file") << "nobody" << none << "root" << 0644 << 0 << Result::Foreign << true;
        QTest::newRow("hard link to own file") << "nobody" << none << "us" << 0644 << 2 << Result::Added << true;
        QTest::newRow("root: hard link to root's file") << "root" << none << "us" << 0644 << 2 << Result::Added << true;
        QTest::newRow("root: hard link to another user's file")
            << "root" << none << "other" << 0644 << 0 << Result::Foreign << true;
        // Read-only means read-only for root too.
        QTest::newRow("root: read-only own file") << "root" << none << "us" << 0444 << 2 << Result::ReadOnly << false;
    }
    void owners()
    {
        QFETCH(QString, runner);
        QFETCH(QStringList, links);
        QFETCH(QString, owner);
        QFETCH(int, mode);
        QFETCH(int, items);
        QFETCH(Result, add);
        QFETCH(bool, hardLink);
        if (::geteuid() != 0)
            QSKIP("needs root to give files to a second user (nobody, daemon); run the tests as root");
        if (runner == "nobody" && m_setpriv.isEmpty())
            QSKIP("setpriv (util-linux) is not installed: cannot run as a second user");
        const uid_t us = runner == "root" ? 0 : kNobody;
        const uid_t other = runner == "root" ? kNobody : kDaemon;
        const auto uidOf = [&](const QString& who) { return who == "us" ? us : who == "other" ? other : 0; };

        QTemporaryDir dir;
        const QString shared = dir.filePath("shared");
        const QString home = dir.filePath("home");
        QVERIFY(QDir().mkdir(shared) && QDir().mkdir(home));
        QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0755) == 0);
        QVERIFY(::chmod(QFile::encodeName(shared).constData(), 01777) == 0);
        QVERIFY(Own(home, us));
        QVERIFY(::chmod(QFile::encodeName(home).constData(), 0700) == 0);
        const QString conf = shared + "/kvr.conf";
        const QString target = links.isEmpty() && !hardLink ? conf : home + "/kvr.conf";
        {
            QFile f(target);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(kOld) == kOld.size());
        }
        QVERIFY(Own(target, uidOf(owner)));
        QVERIFY(::chmod(QFile::encodeName(target).constData(), mode_t(mode)) == 0);
        // kvr.conf -> relay1 -> ... -> the file, each link owned as the row says.
        QStringList chain;
        for (int i = 0; i < links.size(); ++i)
            chain << (i == 0 ? shared + "/kvr.conf" : shared + QStringLiteral("/relay%1").arg(i));
        for (int i = 0; i < links.size(); ++i) {
            QVERIFY(QFile::link(i + 1 < links.size() ? chain[i + 1] : target, chain[i]));
            QVERIFY(Own(chain[i], uidOf(links[i])));
        }
        if (hardLink)
            QVERIFY(::link(QFile::encodeName(target).constData(), QFile::encodeName(conf).constData()) == 0);
        // What the add replaces: a hard link is a name of its own.
        const QString written = hardLink ? conf : target;
        struct stat before {};
        QCOMPARE(::stat(QFile::encodeName(written).constData(), &before), 0);

        int loaded = -1;
        int result = -1;
        if (runner == "root") {
            const QString cwd = QDir::currentPath();
            QVERIFY(QDir::setCurrent(shared));
            ListView trList;
            TrustedFile().reload(trList);
            loaded = trList.count();
            result = int(TrustedFile().add(QStringLiteral("/opt/new"), trList));
            // A removal is refused alike.
            if (Result(result) == Result::Foreign)
                QCOMPARE(TrustedFile().remove({"/bin/p1"}, {0}, trList), TrustedFile::RemoveResult::Foreign);
            QDir::setCurrent(cwd);
        } else {
            QProcess helper;
            helper.setWorkingDirectory(shared);
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("ZERVA_KVR_HELPER", "once");
            env.insert("QT_QPA_PLATFORM", "offscreen");
            env.insert("XDG_RUNTIME_DIR", home);
            helper.setProcessEnvironment(env);
            helper.start(m_setpriv, {"--reuid=65534", "--regid=65534", "--clear-groups", "--", m_helper});
            QVERIFY2(helper.waitForFinished(60'000), "the helper did not finish within a minute");
            const QList<QByteArray> out = helper.readAllStandardOutput().trimmed().split(' ');
            QVERIFY2(out.size() == 2, helper.readAllStandardError().constData());
            loaded = out[0].toInt();
            result = out[1].toInt();
        }
        QCOMPARE(loaded, items);
        QCOMPARE(Result(result), add);

        // The file: the new entry first where the add was taken, else byte
        // for byte as it was; never a link turned into a file.
        QCOMPARE(ReadAll(written), add == Result::Added ? "/opt/new\r\n" + kOld : kOld);
        for (int i = 0; i < links.size(); ++i)
            QCOMPARE(QFileInfo(chain[i]).symLinkTarget(), i + 1 < links.size() ? chain[i + 1] : target);
        struct stat after {};
        QCOMPARE(::stat(QFile::encodeName(written).constData(), &after), 0);
        QCOMPARE(int(after.st_uid), int(before.st_uid));
        QCOMPARE(int(after.st_mode), int(before.st_mode));
        // Replaced in one step: a new file took the name.
        QCOMPARE(after.st_ino != before.st_ino, add == Result::Added);
        QCOMPARE(QDir(shared).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).size(),
                 qMax(1, int(links.size())));   // kvr.conf and the relays, no temporary file
    }

    // A folder that cannot hold the lock is told by its name and by what is
    // wrong with it, for the user to fix. Another account's folder is given
    // away by root, or (for a user) is root's own /usr.
    void lockPlaces_data()
    {
        QTest::addColumn<QString>("make");   // what is at the folder's place
        QTest::addColumn<int>("fault");
        QTest::addColumn<QString>("told");
        using F = LockPlace::Fault;
        QTest::newRow("ours, 0700") << "0700" << int(F::None) << "";
        QTest::newRow("ours, 0755") << "0755" << int(F::OpenToOthers) << "izinleri 0755, baskalari da girebilir";
        QTest::newRow("ours, 0710") << "0710" << int(F::OpenToOthers) << "izinleri 0710";
        QTest::newRow("another account's") << "other" << int(F::OtherOwner) << "sahibi baska bir hesap";
        QTest::newRow("a link to our folder") << "link" << int(F::Link) << "klasor degil, sembolik baglanti";
        QTest::newRow("a file") << "file" << int(F::NotFolder) << "klasor degil.";
        QTest::newRow("nothing") << "none" << int(F::Missing) << "klasor yok.";
        QTest::newRow("ours, 0500") << "0500" << int(F::NotWritable) << "izinleri 0500, icine yazilamiyor";
    }
    void lockPlaces()
    {
        QFETCH(QString, make);
        QFETCH(int, fault);
        QFETCH(QString, told);
        const bool root = ::geteuid() == 0;
        if (make == "0500" && root)
            QSKIP("root may write in any folder");
        QTemporaryDir dir;
        QString folder = dir.filePath("zerva-lock");
        const QByteArray name = QFile::encodeName(folder);
        if (make.startsWith('0') || make == "other") {
            QVERIFY(::mkdir(name.constData(), 0700) == 0);
            QVERIFY(::chmod(name.constData(), make == "other" ? 0700 : make.toUInt(nullptr, 8)) == 0);
            if (make == "other" && !root)
                folder = QStringLiteral("/usr");
            else if (make == "other")
                QVERIFY(Own(folder, kNobody));
        } else if (make == "link") {
            QVERIFY(QDir().mkdir(dir.filePath("real")));
            QVERIFY(QFile::setPermissions(dir.filePath("real"), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                                    | QFileDevice::ExeOwner));
            QVERIFY(QFile::link(dir.filePath("real"), folder));
        } else if (make == "file") {
            QFile f(folder);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        const LockPlace place = LookAtLockPlace(QFile::encodeName(folder).toStdString());
        QCOMPARE(place.folder, QFile::encodeName(folder).toStdString());
        QCOMPARE(int(place.fault), fault);
        const QString text = LockPlaceText({place});
        if (told.isEmpty()) {
            QCOMPARE(text, QString());
        } else {
            QVERIFY2(text.startsWith(folder + ": ") && text.contains(told), qPrintable(text));
            for (const QChar c : text)
                QVERIFY2(c.unicode() < 0x80, "Turkish without Turkish letters");
        }
        ::chmod(name.constData(), 0700);
    }

    // The places an add looks at, in its order: $XDG_RUNTIME_DIR, then
    // ~/.cache/zerva, then /tmp/zerva-UID, as far as the first usable one.
    void lockPlacesInOrder()
    {
        QTemporaryDir dir;
        const QString runtime = dir.filePath("runtime");
        const QString home = dir.filePath("home");
        QVERIFY(QDir().mkpath(home + "/.cache") && QDir().mkdir(runtime));
        QVERIFY(::chmod(QFile::encodeName(runtime).constData(), 0755) == 0);
        QVERIFY(QFile::link(runtime, home + "/.cache/zerva"));
        const QByteArray oldHome = qgetenv("HOME");
        const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("HOME", QFile::encodeName(home));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
        const std::vector<LockPlace> places = LockPlaces();
        qputenv("HOME", oldHome);
        oldRuntime.isNull() ? qunsetenv("XDG_RUNTIME_DIR") : qputenv("XDG_RUNTIME_DIR", oldRuntime);
        QVERIFY(places.size() >= 2);
        QCOMPARE(places[0].folder, QFile::encodeName(runtime).toStdString());
        QCOMPARE(int(places[0].fault), int(LockPlace::Fault::OpenToOthers));
        QCOMPARE(places[1].folder, QFile::encodeName(home + "/.cache/zerva").toStdString());
        QCOMPARE(int(places[1].fault), int(LockPlace::Fault::Link));
        // The last is the one an add takes: this machine's /tmp/zerva-UID.
        QVERIFY(places.size() == 3);
        QCOMPARE(places[2].folder, "/tmp/zerva-" + std::to_string(::geteuid()));
        const QStringList told = LockPlaceText(places).split(u'\n');
        QCOMPARE(told.size(), places[2].fault == LockPlace::Fault::None ? 2 : 3);
        QVERIFY2(told[0].startsWith(runtime + ": izinleri 0755"), qPrintable(told[0]));
        QVERIFY2(told[1].startsWith(home + "/.cache/zerva: klasor degil, sembolik baglanti"), qPrintable(told[1]));
    }

    // The whole way, as root in a mount namespace of its own: every place
    // is unusable (~/.cache/zerva open to others, /tmp/zerva-0 covered by a
    // folder of the row's kind), the add from the menu is refused, kvr.conf
    // stays as it was, and the message names both folders and their faults.
    void refusedAdd_data()
    {
        QTest::addColumn<QString>("options");   // of the folder over /tmp/zerva-0
        QTest::addColumn<QString>("told");
        QTest::newRow("mode 0755") << "mode=0755" << "/tmp/zerva-0: izinleri 0755, baskalari da girebilir";
        QTest::newRow("another account's") << "mode=0700,uid=65534"
                                           << "/tmp/zerva-0: sahibi baska bir hesap: nobody (kullanici 65534)";
    }
    void refusedAdd()
    {
        QFETCH(QString, options);
        QFETCH(QString, told);
        if (::geteuid() != 0)
            QSKIP("needs root to cover /tmp/zerva-0 in a mount namespace of its own");
        const QString unshare = QStandardPaths::findExecutable(QStringLiteral("unshare"));
        if (unshare.isEmpty())
            QSKIP("unshare (util-linux) is not installed");
        QTemporaryDir dir;
        const QString home = dir.filePath("home");
        QVERIFY(QDir().mkpath(home + "/.cache/zerva"));
        QVERIFY(::chmod(QFile::encodeName(home + "/.cache/zerva").constData(), 0755) == 0);
        QFile conf(dir.filePath("kvr.conf"));
        QVERIFY(conf.open(QIODevice::WriteOnly) && conf.write(kOld) == kOld.size());
        conf.close();
        ::mkdir("/tmp/zerva-0", 0700);   // as any add of root's makes it

        QProcess helper;
        helper.setWorkingDirectory(dir.path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("ZERVA_KVR_HELPER", "refused");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("HOME", home);
        env.remove("XDG_RUNTIME_DIR");
        helper.setProcessEnvironment(env);
        helper.start(unshare, {"--mount", "--propagation", "private", "sh", "-c",
                               "mount -t tmpfs -o " + options + " zerva-test /tmp/zerva-0 && exec \"$0\"", m_helper});
        QVERIFY2(helper.waitForFinished(60'000), "the helper did not finish within a minute");
        const QByteArray err = helper.readAllStandardError();
        if (err.contains("mount") || err.contains("unshare"))
            QSKIP(qPrintable("the kernel refuses a mount namespace here: " + QString::fromLocal8Bit(err)));
        const QStringList out = QString::fromUtf8(helper.readAllStandardOutput()).trimmed().split(u'\n');
        QVERIFY2(out.size() == 4, qPrintable(out.join(u'|') + QString::fromLocal8Bit(err)));
        QCOMPARE(out[0], QStringLiteral("Program eklenemedi: kilit alinamadi."));
        QCOMPARE(out[1], QStringLiteral("Kilit icin kullanilabilecek bir klasor yok:"));
        QVERIFY2(out[2].startsWith(home + "/.cache/zerva: izinleri 0755"), qPrintable(out[2]));
        QVERIFY2(out[3].startsWith(told), qPrintable(out[3]));
        QCOMPARE(ReadAll(dir.filePath("kvr.conf")), kOld);
    }

    // While one add holds the lock, a second one waits and then gives up
    // without writing; a plain read is not held up.
    void lockHeld()
    {
        QTemporaryDir dir;
        const std::filesystem::path path = QFile::encodeName(dir.filePath("kvr.conf")).toStdString();
        CreateConfFile(path);
        const auto wait = std::chrono::milliseconds(100);
        ConfFileStatus inner = ConfFileStatus::Ok;
        std::string seen = "<not read>";
        QCOMPARE(RewriteConfFile(path, 1 << 20, wait, [&](const std::string& old) -> std::optional<std::string> {
                     inner = RewriteConfFile(path, 1 << 20, wait, [](const std::string&) { return std::string("x"); });
                     ReadConfFile(path, 1 << 20, seen);
                     return old + "a\r\n";
                 }),
                 ConfFileStatus::Ok);
        QVERIFY(inner == ConfFileStatus::Busy);
        QCOMPARE(seen, std::string());
        QCOMPARE(ReadAll(dir.filePath("kvr.conf")), QByteArray("a\r\n"));
    }

    // Two programs adding at once: every add that reported success is in the
    // file, and nothing else is. Bound by time as well as by count, so that a
    // busy machine makes the race shorter, not the test fail.
    void concurrentAdds()
    {
        QTemporaryDir dir;
        {
            QFile f(dir.filePath("kvr.conf"));
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(kOld) == kOld.size());
        }
        constexpr int kCount = 300;
        std::vector<std::unique_ptr<QProcess>> adders;
        for (const char* tag : {"a", "b"}) {
            auto p = std::make_unique<QProcess>();
            p->setWorkingDirectory(dir.path());
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("ZERVA_KVR_HELPER", QStringLiteral("adds %1 %2 90").arg(QLatin1String(tag)).arg(kCount));
            p->setProcessEnvironment(env);
            p->start(m_helper, {});
            adders.push_back(std::move(p));
        }
        QSet<QString> reported;
        bool outOfTime = false;
        for (int i = 0; i < 2; ++i) {
            QProcess& adder = *adders[std::size_t(i)];
            QVERIFY2(adder.waitForFinished(180'000), "an adder did not finish in three minutes");
            const QList<QByteArray> out = adder.readAllStandardOutput().trimmed().split(' ');
            QCOMPARE(out.size(), 2);
            const int added = out[0].toInt();
            // A refused add (the lock not free within its wait) is a fault;
            // running out of time on a busy machine is not.
            QVERIFY2(out[1] == "done" || out[1] == "time", "an add failed: " + out[1]);
            outOfTime = outOfTime || out[1] == "time";
            for (int n = 0; n < added; ++n)
                reported << QStringLiteral("/opt/%1/%2").arg(i == 0 ? "a" : "b").arg(n);
        }
        ListView trList;
        TrustedFile(dir.filePath("kvr.conf")).reload(trList);
        const QStringList texts = ListTexts(trList);
        const QSet<QString> inFile(texts.begin(), texts.end());
        QCOMPARE(trList.count(), reported.size() + 2);
        QCOMPARE(inFile, reported + QSet<QString>({"/bin/p1", "/bin/p2"}));
        // The lock is in the user's private folder: nothing else is left here.
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
                 QStringList{"kvr.conf"});
        if (outOfTime)
            QSKIP(qPrintable(QStringLiteral("the machine is busy: %1 of %2 adds in 90 s, none lost")
                                 .arg(reported.size()).arg(2 * kCount)));
        QCOMPARE(reported.size(), 2 * kCount);
    }
};

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (const QByteArray job = qgetenv("ZERVA_KVR_HELPER"); !job.isEmpty())
        return RunHelper(job);
    TestKvrOwners test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_kvr_owners.moc"
