#include "platform/controls/list_view.h"
#include "trusted/trusted_file.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <grp.h>
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
    }

    // kvr.conf is, or is linked to, something that cannot be read or
    // replaced. Start-up and the add go on, list what was read and leave the
    // thing as it was, byte for byte.
    void cannotWrite_data()
    {
        QTest::addColumn<QString>("kind");   // a file mode, "fifo", or a link target
        QTest::addColumn<int>("dirMode");
        QTest::addColumn<int>("items");
        QTest::addColumn<Result>("add");
        QTest::newRow("read-only file") << "0444" << 0755 << 2 << Result::WriteFailed;
        QTest::newRow("read-only folder") << "0644" << 0555 << 2 << Result::WriteFailed;
        QTest::newRow("read-only folder, no file") << "" << 0555 << 0 << Result::WriteFailed;
        QTest::newRow("unreadable file") << "0000" << 0755 << 0 << Result::Unreadable;
        QTest::newRow("write-only file") << "0200" << 0755 << 0 << Result::Unreadable;
        QTest::newRow("named pipe") << "fifo" << 0755 << 0 << Result::Unreadable;
        QTest::newRow("link to an endless device") << "/dev/zero" << 0755 << 0 << Result::Unreadable;
        QTest::newRow("link to a file of no size") << "/proc/self/status" << 0755 << 0 << Result::Unreadable;
        QTest::newRow("dangling link") << "/nonexistent" << 0755 << 0 << Result::Unreadable;
    }
    void cannotWrite()
    {
        QFETCH(QString, kind);
        QFETCH(int, dirMode);
        QFETCH(int, items);
        QFETCH(Result, add);
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
        QCOMPARE(file.add("c:\\new.exe", trList), add);
        QCOMPARE(trList.count(), items);

        ::chmod(QFile::encodeName(dir.path()).constData(), 0700);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot), before);
        if (kind.startsWith('0')) {
            ::chmod(name.constData(), 0600);
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), old);
        } else if (kind.startsWith('/')) {
            QCOMPARE(QFileInfo(path).symLinkTarget(), kind);
        }
    }
};

QTEST_MAIN(TestTrustedFilePosix)
#include "test_trusted_file_posix.moc"
