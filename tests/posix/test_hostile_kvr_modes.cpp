// kvr.conf guarded by file modes. Modes do not stop root, so this runs as
// the unprivileged user "nobody" (it switches at start when run as root,
// and is skipped when it cannot).
#include "fakes/list_texts.h"
#include "fakes/zerva_fixture.h"
#include "platform/controls/check_box.h"
#include "platform/controls/list_view.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zerva;
using namespace zerva::test;

namespace {

int modeOf(const char* path)
{
    struct stat st {};
    return ::stat(path, &st) == 0 ? int(st.st_mode & 07777) : -1;
}

} // namespace

class TestHostileKvrModes : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
            QSKIP("running as root and cannot become nobody");
        QVERIFY(::geteuid() != 0);
        m_home = QDir::currentPath();
    }
    void cleanup() { QDir::setCurrent(m_home); }

    void modes_data()
    {
        QTest::addColumn<int>("fileMode");   // -1: no kvr.conf at all
        QTest::addColumn<int>("dirMode");
        QTest::addColumn<int>("umask");
        QTest::addColumn<QStringList>("loaded");
        QTest::addColumn<bool>("added");
        QTest::addColumn<QString>("message");   // the message box after the add
        const QStringList both{"/bin/p1", "/bin/p2"};
        const QString no = QStringLiteral("Program eklenemedi: ");
        QTest::newRow("read-only file") << 0444 << 0755 << 022 << both << false << no + "kvr.conf salt okunur.";
        // The folder takes no new file, but the file may be written in place.
        QTest::newRow("read-only folder") << 0644 << 0555 << 022 << both << true << QString();
        QTest::newRow("read-only folder, no file")
            << -1 << 0555 << 022 << QStringList{} << false << no + "kvr.conf dosyasina yazma izniniz yok.";
        QTest::newRow("unreadable file")
            << 0000 << 0755 << 022 << QStringList{} << false << no + "kvr.conf okunamadi.";
        QTest::newRow("folder closed to us") << 0644 << 0000 << 022 << QStringList{} << false << no + "kvr.conf okunamadi.";
        // Created by the start-up, for the user to edit: 0644 through the umask.
        QTest::newRow("no file: created 0644") << -1 << 0755 << 022 << QStringList{} << true << QString();
        QTest::newRow("no file, umask 077: created 0600") << -1 << 0755 << 077 << QStringList{} << true << QString();
        // Anyone could swap the file in a folder open to all, unless sticky.
        QTest::newRow("folder others may write")
            << 0644 << 0777 << 022 << QStringList{} << false << no + "kvr.conf sizin dosyaniz degil.";
        QTest::newRow("folder the group may write")
            << 0644 << 0775 << 022 << QStringList{} << false << no + "kvr.conf sizin dosyaniz degil.";
        QTest::newRow("sticky folder open to all") << 0644 << 01777 << 022 << both << true << QString();
    }
    void modes()
    {
        QFETCH(int, fileMode);
        QFETCH(int, dirMode);
        QFETCH(int, umask);
        QFETCH(QStringList, loaded);
        QFETCH(bool, added);
        QFETCH(QString, message);
        const QByteArray old("/bin/p1\r\n/bin/p2\r\n");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QByteArray conf = QFile::encodeName(dir.filePath(QStringLiteral("kvr.conf")));
        if (fileMode >= 0) {
            QFile f(QString::fromLocal8Bit(conf));
            QVERIFY(f.open(QIODevice::WriteOnly));
            QCOMPARE(f.write(old), old.size());
            f.close();
            QCOMPARE(::chmod(conf.constData(), mode_t(fileMode)), 0);
        }
        QVERIFY(QDir::setCurrent(dir.path()));
        QCOMPARE(::chmod(QFile::encodeName(dir.path()).constData(), mode_t(dirMode)), 0);

        const mode_t oldMask = ::umask(mode_t(umask));
        QStringList messages;
        {
            ZervaFixture z(ZervaFixture::Pieces{
                .processes = {MakeProcess(1, "p1", "/bin/p1"), MakeProcess(2, "p2", "/bin/p2"),
                              MakeProcess(3, "p3", "/bin/p3")},
                .inputBox = [](const QString&, const QString&) { return QStringLiteral("/opt/new"); },
                .messageBox = [&](const QString& text) { messages << text; }});
            Zerva& window = *z.window;
            window.Form_Load();
            const ZervaForm& f = window.form();
            QCOMPARE(f.Check2->value(), 1);
            QVERIFY(f.Timer1->isActive());
            QCOMPARE(f.lblOS->text(), QStringLiteral("Toplam %1 Process").arg(3 - loaded.size()));
            QCOMPARE(ListTexts(*f.TrList), loaded);
            window.GPE_Click();
            QCOMPARE(ListTexts(*f.TrList), added ? QStringList{"/opt/new"} + loaded : loaded);
        }
        ::umask(oldMask);
        QCOMPARE(messages, message.isEmpty() ? QStringList{} : QStringList{message});

        QCOMPARE(::chmod(QFile::encodeName(dir.path()).constData(), 0700), 0);
        if (fileMode < 0 && !added) {
            QVERIFY(!QFile::exists(QString::fromLocal8Bit(conf)));
            return;
        }
        QCOMPARE(modeOf(conf.constData()), fileMode < 0 ? 0644 & ~umask : fileMode);
        QCOMPARE(::chmod(conf.constData(), 0600), 0);
        QFile f(QString::fromLocal8Bit(conf));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), (added ? "/opt/new\r\n" : "") + (fileMode < 0 ? QByteArray() : old));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{"kvr.conf"});
    }

private:
    QString m_home;
};

QTEST_MAIN(TestHostileKvrModes)
#include "test_hostile_kvr_modes.moc"
