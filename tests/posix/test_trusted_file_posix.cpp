#include "platform/controls/list_view.h"
#include "trusted/trusted_file.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zerva;
using Result = TrustedFile::AddResult;

class TestTrustedFilePosix : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // File modes mean nothing to root: run as nobody.
    void initTestCase()
    {
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
            QSKIP("running as root and cannot become nobody");
        // A write beyond RLIMIT_FSIZE must fail with EFBIG, not kill us.
        std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &m_fsize), 0);
    }
    void cleanup() { ::setrlimit(RLIMIT_FSIZE, &m_fsize); }

    // kvr.conf is, or is linked to, something that cannot be read or
    // replaced. Start-up and the add go on, list what was read and leave the
    // thing as it was, byte for byte; or, where only the folder is
    // read-only, write the file in place.
    void cannotWrite_data()
    {
        QTest::addColumn<QString>("kind");   // a file mode, "fifo", or a link target
        QTest::addColumn<int>("dirMode");
        QTest::addColumn<int>("items");
        QTest::addColumn<Result>("add");
        QTest::addColumn<bool>("sizeLimit");   // no write beyond the present size
        QTest::newRow("read-only file") << "0444" << 0755 << 2 << Result::ReadOnly << false;
        QTest::newRow("read-only folder: in place") << "0644" << 0555 << 2 << Result::Added << false;
        QTest::newRow("read-only folder, write fails: old content back")
            << "0644" << 0555 << 2 << Result::WriteFailed << true;
        QTest::newRow("read-only folder, no file") << "" << 0555 << 0 << Result::NoPermission << false;
        QTest::newRow("unreadable file") << "0000" << 0755 << 0 << Result::Unreadable << false;
        QTest::newRow("write-only file") << "0200" << 0755 << 0 << Result::Unreadable << false;
        QTest::newRow("named pipe") << "fifo" << 0755 << 0 << Result::Unreadable << false;
        QTest::newRow("link to an endless device") << "/dev/zero" << 0755 << 0 << Result::Unreadable << false;
        // Root's and without write permission: never written, whatever it is.
        QTest::newRow("link to a file of no size") << "/proc/self/status" << 0755 << 0 << Result::ReadOnly << false;
        QTest::newRow("dangling link") << "/nonexistent" << 0755 << 0 << Result::Unreadable << false;
    }
    void cannotWrite()
    {
        QFETCH(QString, kind);
        QFETCH(int, dirMode);
        QFETCH(int, items);
        QFETCH(Result, add);
        QFETCH(bool, sizeLimit);
        QTemporaryDir dir;
        const QString path = dir.filePath("kvr.conf");
        const QByteArray old("\"c:\\x,y\"\r\nb\r\n");
        const QByteArray name = QFile::encodeName(path);
        if (kind == "fifo") {
            QCOMPARE(::mkfifo(name.constData(), 0644), 0);
        } else if (kind.startsWith('/')) {
            QVERIFY(QFile::link(kind, path));
        } else if (!kind.isEmpty()) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(old) == old.size());
            f.close();
            QCOMPARE(::chmod(name.constData(), mode_t(kind.toInt(nullptr, 8))), 0);
        }
        const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        QCOMPARE(::chmod(QFile::encodeName(dir.path()).constData(), mode_t(dirMode)), 0);

        const TrustedFile file(path);
        ListView trList;
        trList.add("stale");
        file.createIfMissing();
        file.reload(trList);
        QCOMPARE(trList.count(), items);
        rlimit limit = m_fsize;
        limit.rlim_cur = rlim_t(old.size());
        QVERIFY(!sizeLimit || ::setrlimit(RLIMIT_FSIZE, &limit) == 0);
        QCOMPARE(file.add("c:\\new.exe", trList), add);
        ::setrlimit(RLIMIT_FSIZE, &m_fsize);
        QCOMPARE(trList.count(), items + (add == Result::Added ? 1 : 0));

        ::chmod(QFile::encodeName(dir.path()).constData(), 0700);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot), before);
        if (kind.startsWith('0')) {
            ::chmod(name.constData(), 0600);
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), add == Result::Added ? "c:\\new.exe\r\n" + old : old);
        } else if (kind.startsWith('/')) {
            QCOMPARE(QFileInfo(path).symLinkTarget(), kind);
        }
    }

private:
    rlimit m_fsize{};
};

QTEST_MAIN(TestTrustedFilePosix)
#include "test_trusted_file_posix.moc"
