#include "fakes/input_box_answer.h"
#include "fakes/message_box_answer.h"
#include "fakes/shown.h"
#include "fakes/zerva_fixture.h"
#include "platform/controls/check_box.h"
#include "platform/controls/input_box.h"
#include "platform/controls/list_view.h"
#include "platform/controls/message_box.h"
#include "platform/os/conf_file.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <thread>

using namespace zerva;
using namespace zerva::test;

namespace {

const QString kPrompt = QStringLiteral("Guvenilir olacak programi girin.(Orn: c:\\windows\\explorer.exe)");

void SetConf(const QByteArray& bytes)
{
    QFile f("kvr.conf");
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
}

// The main window on three fake processes, its input box answering `answer`
// and noting its prompts, or the real input box; its message boxes noted in
// `messages`, or the real one.
std::unique_ptr<Zerva> Window(QStringList* prompts = nullptr, const QString* answer = nullptr,
                              QStringList* messages = nullptr, ZervaFixture::Pieces pieces = {},
                              FakeProcessSource** source = nullptr)
{
    pieces.processes = {MakeProcess(1, "a", "/opt/a"), MakeProcess(2, "b", "/opt/B"), MakeProcess(3, "c", "/opt/c")};
    pieces.inputBox = InputBox;
    pieces.messageBox = MessageBox;
    if (prompts)
        pieces.inputBox = [=](const QString& prompt) { *prompts << prompt; return *answer; };
    if (messages)
        pieces.messageBox = [=](const QString& text) { *messages << text; };
    ZervaFixture fixture(std::move(pieces));
    if (source)
        *source = fixture.source;
    auto window = std::move(fixture.window);
    window->Form_Load();
    return window;
}

const QString kNo = QStringLiteral("Program eklenemedi: ");

} // namespace

class TestZervaTrusted : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_home = QDir::currentPath();

private Q_SLOTS:
    void initTestCase() { QApplication::setApplicationName("Zerva"); }
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir::setCurrent(m_dir->path()));
    }
    void cleanup() { QDir::setCurrent(m_home); }

    void startUp_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("missing: created empty") << QByteArray() << QStringList{"/opt/a", "/opt/B", "/opt/c"};
        QTest::newRow("whole paths, any case") << QByteArray("/OPT/A\r\n\r\n/opt/b") << QStringList{"/opt/c"};
        QTest::newRow("quoted entry") << QByteArray("  \"/opt/c\"") << QStringList{"/opt/a", "/opt/B"};
        QTest::newRow("windows-1254") << QByteArray("/opt/a\xfe\n/opt/c") << QStringList{"/opt/a", "/opt/B"};
    }
    void startUp()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, shown);
        if (!file.isEmpty())
            SetConf(file);
        auto window = Window();
        QCOMPARE(ShownPaths(window->form()), shown);
        QCOMPARE(ConfBytes(), file);
        window->form().Check1->click();
        QCOMPARE(ShownPaths(window->form()).size(), 3);
    }

    // Two adds, the second one after the file was edited by hand; each takes
    // effect at the next refresh, not at once.
    void addsThenRefresh()
    {
        QStringList prompts;
        QString answer = "/OPT/A";
        auto window = Window(&prompts, &answer);
        window->GPE_Click();
        SetConf(ConfBytes() + "\"/opt/c\"\r\n");
        answer = "/opt/b";
        window->GPE_Click();
        QCOMPARE(prompts, (QStringList{kPrompt, kPrompt}));
        QCOMPARE(ConfBytes(), QByteArray("/opt/b\r\n/opt/a\r\n\"/opt/c\"\r\n"));
        QCOMPARE(ShownPaths(window->form()).size(), 3);
        window->form().cmdRefresh->click();
        QCOMPARE(ShownPaths(window->form()), QStringList{});
        QCOMPARE(window->form().lblOS->text(), QStringLiteral("Toplam 0 Process"));
    }

    // The real input box, answered as a user would.
    void realInputBox_data()
    {
        QTest::addColumn<bool>("ok");
        QTest::newRow("typed, then Enter") << true;
        QTest::newRow("typed, then Cancel") << false;
    }
    void realInputBox()
    {
        QFETCH(bool, ok);
        auto window = Window();
        window->show();
        const InputBoxAnswer answer("/OPT/C", ok);
        window->GPE_Click();
        QCOMPARE(answer.label, kPrompt);
        QCOMPARE(answer.title, QStringLiteral("Zerva"));
        QCOMPARE(answer.initial, QString());
        QCOMPARE(ConfBytes(), ok ? QByteArray("/opt/c\r\n") : QByteArray());
        window->form().cmdRefresh->click();
        QCOMPARE(ShownPaths(window->form()).size(), ok ? 2 : 3);
    }

    // An add that did not happen says why, the file untouched.
    void addMessages_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("message");   // none: added, or cancelled
        QTest::newRow("added") << QByteArray("/opt/a\r\n") << false << "/opt/b" << QString();
        QTest::newRow("cancel") << QByteArray("/opt/a\r\n") << false << "" << QString();
        QTest::newRow("read-only file") << QByteArray("/opt/a\r\n") << true << "/opt/b" << kNo + "kvr.conf salt okunur.";
        QTest::newRow("no text") << QByteArray("/opt/a\0\r\n", 9) << false << "/opt/b"
                                 << kNo + "kvr.conf bir metin dosyasi degil.";
        QTest::newRow("answer too long") << QByteArray() << false << QString(40'000, u'x')
                                         << kNo + "yanit 32767 karakterden uzun.";
        QTest::newRow("line break in the answer") << QByteArray() << false << "/opt/b\n/opt/c"
                                                  << kNo + "bu yanit kvr.conf dosyasina yazilamaz.";
    }
    void addMessages()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, readOnly);
        QFETCH(QString, answer);
        QFETCH(QString, message);
        SetConf(file);
        if (readOnly)
            QVERIFY(QFile::setPermissions("kvr.conf", QFileDevice::ReadOwner | QFileDevice::ReadUser));
        QStringList prompts;
        QStringList messages;
        auto window = Window(&prompts, &answer, &messages);
        window->GPE_Click();
        QCOMPARE(messages, message.isEmpty() ? QStringList{} : QStringList{message});
        const bool added = message.isEmpty() && !answer.isEmpty();
        QCOMPARE(ConfBytes(), added ? answer.toLatin1() + "\r\n" + file : file);
        QFile::setPermissions("kvr.conf", QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    // The real message box, closed as a user would.
    void realMessageBox()
    {
        SetConf("/opt/a\r\n");
        QVERIFY(QFile::setPermissions("kvr.conf", QFileDevice::ReadOwner | QFileDevice::ReadUser));
        auto window = Window();
        window->show();
        const InputBoxAnswer answer("/opt/b", true);
        const MessageBoxAnswer box;
        window->GPE_Click();
        QTRY_VERIFY(!box.text.isNull());
        QCOMPARE(box.text, kNo + "kvr.conf salt okunur.");
        QCOMPARE(box.title, QStringLiteral("Zerva"));
        QCOMPARE(ConfBytes(), QByteArray("/opt/a\r\n"));
        QFile::setPermissions("kvr.conf", QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    // A long answer reaches the add whole (a line edit keeps 32767
    // characters unless told otherwise), to be taken or refused, never cut.
    void inputBoxKeepsLongAnswers()
    {
        QString got;
        QTimer::singleShot(0, [] {
            QTimer* poll = new QTimer;
            QObject::connect(poll, &QTimer::timeout, [poll] {
                auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
                if (!box)
                    return;
                box->findChild<QLineEdit*>()->insert(QString(40'000, u'x'));   // as a paste does
                box->accept();
                poll->deleteLater();
            });
            poll->start(10);
        });
        got = InputBox(kPrompt);
        QCOMPARE(got.size(), 40'000);
    }

    // While another add holds the lock, the window goes on refreshing; the
    // add lands once the lock is free, or is told after the wait.
    void addWaitsForTheLock_data()
    {
        QTest::addColumn<int>("holdMs");
        QTest::addColumn<QString>("message");
        QTest::newRow("freed meanwhile") << 400 << QString();
        QTest::newRow("held past the wait") << 1500 << kNo + "kvr.conf baska bir ekleme icin kilitli.";
    }
    void addWaitsForTheLock()
    {
        QFETCH(int, holdMs);
        QFETCH(QString, message);
        SetConf("/opt/a\r\n");
        QStringList prompts;
        QStringList messages;
        QString answer = "/opt/b";
        FakeProcessSource* source = nullptr;
        auto window = Window(&prompts, &answer, &messages, ZervaFixture::Pieces{.intervalMs = 20, .addWaitMs = 1000},
                             &source);
        std::atomic<bool> holding = false;
        std::thread other([&] {
            RewriteConfFile("kvr.conf", 1 << 20, std::chrono::seconds(5), [&](const std::string& old) {
                holding = true;
                std::this_thread::sleep_for(std::chrono::milliseconds(holdMs));
                return "/opt/c\r\n" + old;
            });
        });
        QTRY_VERIFY(holding);
        window->GPE_Click();   // returns at once
        QCOMPARE(window->pendingAdds(), QStringList{"/opt/b"});
        const int before = source->snapshots;
        QTRY_VERIFY(source->snapshots >= before + 3);
        QTRY_VERIFY_WITH_TIMEOUT(window->pendingAdds().isEmpty(), 5000);
        other.join();
        QCOMPARE(messages, message.isEmpty() ? QStringList{} : QStringList{message});
        QCOMPARE(ConfBytes(), QByteArray(message.isEmpty() ? "/opt/b\r\n/opt/c\r\n/opt/a\r\n" : "/opt/c\r\n/opt/a\r\n"));
    }
};

QTEST_MAIN(TestZervaTrusted)
#include "test_zerva_trusted.moc"
