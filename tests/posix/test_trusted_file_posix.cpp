#include "platform/code_page_1254.h"
#include "platform/list_view.h"
#include "trusted/kvr_reader.h"
#include "trusted/trusted_file.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zerva;

namespace {

QStringList Items(const ListView& list)
{
    QStringList items;
    for (int i = 0; i < list.count(); ++i)
        items << list.text(i);
    return items;
}

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// A folder with kvr.conf in it, given modes for both; restores the folder's
// mode so that it can be removed.
struct ModedConf {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("kvr.conf"));

    ModedConf(const QByteArray* bytes, int fileMode, int dirMode)
    {
        if (bytes) {
            QFile f(path);
            if (!f.open(QIODevice::WriteOnly) || f.write(*bytes) != bytes->size())
                qFatal("cannot write %s", qPrintable(path));
            f.close();
            ::chmod(QFile::encodeName(path).constData(), mode_t(fileMode));
        }
        ::chmod(QFile::encodeName(dir.path()).constData(), mode_t(dirMode));
    }
    ~ModedConf() { ::chmod(QFile::encodeName(dir.path()).constData(), 0700); }
    int fileMode() const
    {
        struct stat st {};
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
    }
};

} // namespace

class TestTrustedFilePosix : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // File modes mean nothing to root: run as nobody.
    void initTestCase()
    {
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
            QSKIP("running as root and cannot become nobody");
    }

    void modes_data()
    {
        QTest::addColumn<int>("fileMode");
        QTest::addColumn<int>("dirMode");
        QTest::addColumn<bool>("readable");
        QTest::addColumn<TrustedFile::AddResult>("add");
        QTest::newRow("read-only file") << 0444 << 0755 << true << TrustedFile::AddResult::WriteFailed;
        QTest::newRow("read-only folder") << 0644 << 0555 << true << TrustedFile::AddResult::WriteFailed;
        QTest::newRow("unreadable file") << 0000 << 0755 << false << TrustedFile::AddResult::Unreadable;
        QTest::newRow("write-only file") << 0200 << 0755 << false << TrustedFile::AddResult::Unreadable;
    }
    void modes()
    {
        QFETCH(int, fileMode);
        QFETCH(int, dirMode);
        QFETCH(bool, readable);
        QFETCH(TrustedFile::AddResult, add);
        const QByteArray old("\"c:\\x,y\"\r\nb\r\n");
        ModedConf conf(&old, fileMode, dirMode);
        const TrustedFile file(conf.path);
        ListView trList;
        file.createIfMissing();
        file.reload(trList);
        const QStringList read = readable ? QStringList{"c:\\x,y", "b"} : QStringList{};
        QCOMPARE(Items(trList), read);
        QCOMPARE(file.add(QStringLiteral("c:\\new.exe"), trList), add);
        QCOMPARE(Items(trList), read);
        QCOMPARE(conf.fileMode(), fileMode);
        ::chmod(QFile::encodeName(conf.path).constData(), 0644);
        QCOMPARE(ReadAll(conf.path), old);
        QCOMPARE(QDir(conf.dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void readOnlyFolderWithoutFile()
    {
        ModedConf conf(nullptr, 0, 0555);
        const TrustedFile file(conf.path);
        ListView trList;
        file.createIfMissing();
        file.reload(trList);
        QCOMPARE(trList.count(), 0);
        QCOMPARE(file.add(QStringLiteral("c:\\new.exe"), trList), TrustedFile::AddResult::WriteFailed);
        QVERIFY(!QFileInfo::exists(conf.path));
    }

    void modeKeptAcrossAdds()
    {
        const QByteArray old("a\r\n");
        ModedConf conf(&old, 0640, 0755);
        ListView trList;
        QCOMPARE(TrustedFile(conf.path).add(QStringLiteral("b"), trList), TrustedFile::AddResult::Added);
        QCOMPARE(ReadAll(conf.path), QByteArray("b\r\na\r\n"));
        QCOMPARE(conf.fileMode(), 0640);
    }

    // Nothing that is not a plain file is read or replaced; none of them
    // blocks.
    void notPlainFiles_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("named pipe") << "fifo";
        QTest::newRow("link to an endless device") << "/dev/zero";
        QTest::newRow("dangling link") << "/nonexistent/kvr.conf";
        QTest::newRow("link to a file whose size means nothing") << "/proc/self/status";
    }
    void notPlainFiles()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("kvr.conf"));
        if (kind == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
        else
            QVERIFY(QFile::link(kind, path));
        const TrustedFile file(path);
        ListView trList;
        trList.add(QStringLiteral("stale"));
        file.createIfMissing();
        file.reload(trList);
        QCOMPARE(trList.count(), 0);
        QCOMPARE(file.add(QStringLiteral("c:\\new.exe"), trList), TrustedFile::AddResult::Unreadable);
        const QFileInfo info(path);
        QCOMPARE(info.isSymLink(), kind != QLatin1String("fifo"));
        if (info.isSymLink())
            QCOMPARE(info.symLinkTarget(), kind);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size(), 1);
    }

    // A file carried over from a Turkish Windows machine.
    void windows1254File()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("kvr.conf"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("C:\\PROGRAM FILES\\\xc7" "al\xfd\xfe\\\xd0\xdd\xde.exe\r\n");
        f.close();
        const TrustedFile file(path);
        ListView trList;
        file.reload(trList);
        QCOMPARE(Items(trList), QStringList{QString::fromUtf8("C:\\PROGRAM FILES\\Çalış\\ĞİŞ.exe")});
        QCOMPARE(file.add(QString::fromUtf8("/opt/ÇALIŞ"), trList), TrustedFile::AddResult::Added);
        // Written back as UTF-8, nothing lost.
        QCOMPARE(ReadAll(path), QString::fromUtf8("/opt/çaliş\r\nC:\\PROGRAM FILES\\Çalış\\ĞİŞ.exe\r\n").toUtf8());
    }

    void randomBytes()
    {
        QRandomGenerator random(7);
        for (int round = 0; round < 20; ++round) {
            QByteArray bytes(64 * 1024, Qt::Uninitialized);
            for (char& b : bytes)
                b = char(random.bounded(256));
            QTemporaryDir dir;
            const QString path = dir.filePath(QStringLiteral("kvr.conf"));
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
            f.close();
            const TrustedFile file(path);
            ListView trList;
            file.reload(trList);
            const QStringList expected = ReadKvr(DecodeWindows1254(bytes));
            QCOMPARE(Items(trList), expected);
            QCOMPARE(file.add(QStringLiteral("n"), trList), TrustedFile::AddResult::Added);
            QCOMPARE(Items(trList).mid(1), expected);
        }
    }
};

QTEST_MAIN(TestTrustedFilePosix)
#include "test_trusted_file_posix.moc"
