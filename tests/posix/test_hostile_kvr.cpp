// kvr.conf made hostile in every way a root process can meet: the program
// must start all the same, list only entries really read, and an add that
// cannot be written must leave the old file byte for byte as it was.
#include "fakes/list_texts.h"
#include "fakes/zerva_fixture.h"
#include "platform/controls/check_box.h"
#include "platform/controls/list_view.h"
#include "platform/os/conf_codec.h"
#include "trusted/kvr_reader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zerva;
using namespace zerva::test;

namespace {

const QString kConf = QStringLiteral("kvr.conf");
const QString kNew = QStringLiteral("/opt/new/tool");

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// What is at kvr.conf, as far as a test can see: kind, link target, bytes.
QByteArray fingerprint(const QString& path)
{
    const QFileInfo info(path);
    if (info.isSymLink())
        return "link to " + QFile::encodeName(info.symLinkTarget());
    if (info.isDir())
        return "folder";
    if (!info.exists())
        return "nothing";
    if (!info.isFile())
        return "special file";
    return readAll(path);
}

// A small tmpfs mounted over `dir` while it lives; nothing when the machine
// does not let this process mount.
struct Tmpfs {
    QByteArray dir;
    bool mounted = false;
    Tmpfs(const QString& path, const char* options)
        : dir(QFile::encodeName(path)), mounted(::mount("zerva-test", dir.constData(), "tmpfs", 0, options) == 0)
    {
    }
    bool remountReadOnly()
    {
        return ::mount("zerva-test", dir.constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }
    ~Tmpfs()
    {
        if (mounted)
            ::umount2(dir.constData(), MNT_DETACH);
    }
};

} // namespace

class TestHostileKvr : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        // A write beyond RLIMIT_FSIZE must fail with EFBIG, not kill us.
        std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &m_fsize), 0);
        m_home = QDir::currentPath();
    }
    void cleanup()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_fsize);
        QDir::setCurrent(m_home);
    }

    void hostile_data()
    {
        // kind: how kvr.conf is made hostile (see prepare()); bytes: what it
        // holds where it is a file; loaded: TrList after start-up ("*"
        // means: exactly what the bytes read as); added: whether an add
        // can be written at all.
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("loaded");
        QTest::addColumn<bool>("added");

        const QByteArray plain("/bin/p1\r\n/bin/p2\r\n");
        QTest::newRow("plain file (control)") << "file" << plain << QStringList{"*"} << true;
        QTest::newRow("a folder") << "folder" << QByteArray() << QStringList{} << false;
        QTest::newRow("a pipe nobody writes to") << "fifo" << QByteArray() << QStringList{} << false;
        QTest::newRow("a dangling link") << "dangling" << QByteArray() << QStringList{} << false;
        // Root reads any file whatever its mode; /proc/self/mem at offset 0
        // is a plain file whose every read fails, for root too.
        QTest::newRow("unreadable (read fails)") << "unreadable" << QByteArray() << QStringList{} << false;
        // No text: nothing hidden, nothing rewritten.
        QTest::newRow("NUL bytes")
            << "file" << QByteArray("/bin/p1\0tail\r\n\0\r\n/bin/p2\r\n", 24) << QStringList{} << false;
        QTest::newRow("invalid UTF-8") << "file" << QByteArray("/bin/p1\r\n/opt/\xff\xfe\xc3(\r\n/bin/p2")
                                       << QStringList{"*"} << true;
        QTest::newRow("read-only file system") << "read-only fs" << plain << QStringList{"*"} << false;
        QTest::newRow("full disk") << "full disk" << plain << QStringList{"*"} << false;
        QTest::newRow("file size limit") << "size limit" << plain << QStringList{"*"} << false;
        // 50 MB: one huge entry; and over a million entries, more than the
        // program keeps, so that a rewrite would lose some: no add then.
        QTest::newRow("50 MB in one line") << "big line" << QByteArray() << QStringList{"*"} << true;
        QTest::newRow("50 MB of lines") << "big lines" << QByteArray() << QStringList{"*"} << false;
    }
    void hostile()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, loaded);
        QFETCH(bool, added);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        std::unique_ptr<Tmpfs> fs;
        if (kind == "read-only fs" || kind == "full disk") {
            fs = std::make_unique<Tmpfs>(dir.path(), "size=64k");
            if (!fs->mounted)
                QSKIP("cannot mount a tmpfs here; the file size limit row stands in for a full disk");
        }
        // After the mount, so that the working folder is the tmpfs.
        QVERIFY(QDir::setCurrent(dir.path()));
        if (kind == "big line") {
            bytes = QByteArray(50 * 1024 * 1024, 'x').prepend("/opt/").append("\r\n");
        } else if (kind == "big lines") {
            bytes.reserve(50 * 1024 * 1024 + 64);
            for (int i = 0; bytes.size() < 50 * 1024 * 1024; ++i)
                bytes += "/b/" + QByteArray::number(i).rightJustified(40, '0') + "\r\n";
        }
        prepare(kind, bytes);
        if (QTest::currentTestFailed())
            return;
        if (kind == "read-only fs")
            QVERIFY(fs->remountReadOnly());
        if (kind == "full disk") {
            // Fill what is left, so that not even a new name fits.
            const int filler = ::open("filler", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
            QVERIFY(filler >= 0);
            const QByteArray block(1024, 'f');
            while (::write(filler, block.constData(), std::size_t(block.size())) > 0) {
            }
            ::close(filler);
        }
        const QByteArray before = fingerprint(kConf);
        const QStringList read = ReadKvr(DecodeConfText(bytes));
        if (loaded == QStringList{"*"})
            loaded = read.mid(0, 1'000'000);

        // Start-up goes on to its end whatever the file is.
        QStringList messages;
        ZervaFixture z(ZervaFixture::Pieces{
            .processes = {MakeProcess(1, "p1", "/bin/p1"), MakeProcess(2, "p2", "/bin/p2"),
                          MakeProcess(3, "p3", "/bin/p3")},
            .inputBox = [](const QString&, const QString&) { return kNew; },
            .messageBox = [&](const QString& text) { messages << text; }});
        Zerva& window = *z.window;
        window.Form_Load();
        const ZervaForm& f = window.form();
        QCOMPARE(f.Check2->value(), 1);
        QVERIFY(f.Timer1->isActive());
        const int trusted = int(loaded.contains("/bin/p1")) + int(loaded.contains("/bin/p2"));
        QCOMPARE(f.lblOS->text(), QStringLiteral("Toplam %1 Process").arg(3 - trusted));
        QVERIFY(ListTexts(*f.TrList) == loaded);
        QCOMPARE(fingerprint(kConf), before);

        window.GPE_Click();
        ::setrlimit(RLIMIT_FSIZE, &m_fsize);
        if (added) {
            QVERIFY(ListTexts(*f.TrList) == QStringList{kNew} + read);
            QVERIFY(ReadKvr(DecodeConfText(readAll(kConf))) == QStringList{kNew} + read);
        } else {
            QVERIFY(ListTexts(*f.TrList) == loaded);
            QVERIFY(fingerprint(kConf) == before);
        }
        // An add that did not happen says so.
        QCOMPARE(messages.size(), added ? 0 : 1);
        if (kind == "full disk")
            QCOMPARE(messages.value(0), QStringLiteral("Program eklenemedi: kvr.conf yazilamadi (disk dolu olabilir)."));
        // Nothing half-written is left beside it.
        const QStringList expected = kind == "full disk" ? QStringList{"filler", kConf} : QStringList{kConf};
        QCOMPARE(QDir().entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot), expected);
    }

private:
    void prepare(const QString& kind, const QByteArray& bytes)
    {
        if (kind == "folder") {
            QVERIFY(QDir().mkdir(kConf));
        } else if (kind == "fifo") {
            QCOMPARE(::mkfifo("kvr.conf", 0644), 0);
        } else if (kind == "dangling") {
            QVERIFY(QFile::link(QStringLiteral("nowhere/kvr.conf"), kConf));
        } else if (kind == "unreadable") {
            QVERIFY(QFile::link(QStringLiteral("/proc/self/mem"), kConf));
        } else {
            QVERIFY(writeAll(kConf, bytes));
        }
        if (kind == "size limit") {
            // Any write past the file's present size fails, as on a full disk.
            rlimit limit = m_fsize;
            limit.rlim_cur = rlim_t(bytes.size());
            QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limit), 0);
        }
    }

    QString m_home;
    rlimit m_fsize{};
};

QTEST_MAIN(TestHostileKvr)
#include "test_hostile_kvr.moc"
