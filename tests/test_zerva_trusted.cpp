#include "fakes/fake_process_source.h"
#include "main_window/zerva.h"
#include "platform/check_box.h"
#include "platform/input_box.h"
#include "platform/list_view.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <deque>

using namespace zerva;
using namespace zerva::test;

namespace {

const QString kPrompt = QStringLiteral("Guvenilir olacak programi girin.(Orn: c:\\windows\\explorer.exe)");

QStringList Items(const ListView& list)
{
    QStringList items;
    for (int i = 0; i < list.count(); ++i)
        items << list.subItem(i, 1);
    return items;
}

QStringList Texts(const ListView& list)
{
    QStringList items;
    for (int i = 0; i < list.count(); ++i)
        items << list.text(i);
    return items;
}

const ListView& Shown(const ZervaForm& f)
{
    return f.List1->isHidden() ? *f.BufList : *f.List1;
}

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void Write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

// The main window on fake processes, in a working folder of its own, with
// an input box that answers from a queue (or the real one).
struct TrustedWindow {
    FakeProcessSource* source = nullptr;
    std::deque<QString> answers;
    QStringList prompts;
    std::unique_ptr<Zerva> window;

    explicit TrustedWindow(bool realInputBox = false)
    {
        auto fake = std::make_unique<FakeProcessSource>();
        fake->processes = {MakeProcess(1, "a", "/opt/a"), MakeProcess(2, "b", "/opt/B"),
                           MakeProcess(3, "c", "/opt/c")};
        source = fake.get();
        ZervaPlatform platform;
        platform.processes = std::move(fake);
        platform.refreshIntervalMs = 3600 * 1000;
        if (realInputBox) {
            platform.inputBox = InputBox;
        } else {
            platform.inputBox = [this](const QString& prompt) {
                prompts << prompt;
                QString answer = answers.empty() ? QString() : answers.front();
                if (!answers.empty())
                    answers.pop_front();
                return answer;
            };
        }
        window = std::make_unique<Zerva>(std::move(platform));
    }

    const ZervaForm& form() const { return window->form(); }
};

} // namespace

class TestZervaTrusted : public QObject {
    Q_OBJECT
private:
    QTemporaryDir* m_dir = nullptr;
    QString m_oldCurrent;
    QString conf() const { return m_dir->filePath(QStringLiteral("kvr.conf")); }

private Q_SLOTS:
    void initTestCase()
    {
        m_oldCurrent = QDir::currentPath();
        QApplication::setApplicationName(QStringLiteral("Zerva"));
    }
    void init()
    {
        m_dir = new QTemporaryDir;
        QVERIFY(QDir::setCurrent(m_dir->path()));
    }
    void cleanup()
    {
        QDir::setCurrent(m_oldCurrent);
        delete m_dir;
    }

    void startUpCreatesTheFile()
    {
        TrustedWindow z;
        z.window->Form_Load();
        QVERIFY(QFileInfo(conf()).isFile());
        QCOMPARE(QFileInfo(conf()).size(), 0);
        QCOMPARE(z.form().TrList->count(), 0);
        QCOMPARE(z.form().lblOS->text(), QStringLiteral("Toplam 3 Process"));
    }

    void startUpHidesTrusted_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("whole paths, any case") << QByteArray("/OPT/A\r\n/opt/b\r\n") << QStringList{"/opt/c"};
        QTest::newRow("a blank line hides nothing") << QByteArray("\r\n") << QStringList{"/opt/a", "/opt/B", "/opt/c"};
        QTest::newRow("quoted entry") << QByteArray("  \"/opt/c\"") << QStringList{"/opt/a", "/opt/B"};
        QTest::newRow("not valid UTF-8") << QByteArray("/opt/a\xfe\r\n/opt/c\n") << QStringList{"/opt/a", "/opt/B"};
    }
    void startUpHidesTrusted()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, shown);
        Write(conf(), file);
        TrustedWindow z;
        z.window->Form_Load();
        QCOMPARE(Items(Shown(z.form())), shown);
        QCOMPARE(ReadAll(conf()), file);
        z.form().Check1->click();
        QCOMPARE(Shown(z.form()).count(), 3);
    }

    void startUpGoesOnOverADirectory()
    {
        QVERIFY(QDir().mkdir(QStringLiteral("kvr.conf")));
        TrustedWindow z;
        z.window->Form_Load();
        QVERIFY(QFileInfo(conf()).isDir());
        QCOMPARE(z.form().lblOS->text(), QStringLiteral("Toplam 3 Process"));
        QCOMPARE(z.form().Check2->value(), 1);
    }

    void addTwiceThenRefresh()
    {
        TrustedWindow z;
        z.window->Form_Load();
        const int snapshots = z.source->snapshots;
        z.answers = {QStringLiteral("/OPT/A"), QStringLiteral("/opt/b")};
        z.window->GPE_Click();
        z.window->GPE_Click();
        QCOMPARE(z.prompts, (QStringList{kPrompt, kPrompt}));
        QCOMPARE(ReadAll(conf()), QByteArray("/opt/b\r\n/opt/a\r\n"));
        QCOMPARE(Texts(*z.form().TrList), (QStringList{"/opt/b", "/opt/a"}));
        // No refresh of its own.
        QCOMPARE(z.source->snapshots, snapshots);
        QCOMPARE(Shown(z.form()).count(), 3);
        z.form().cmdRefresh->click();
        QCOMPARE(Items(Shown(z.form())), QStringList{"/opt/c"});
        QCOMPARE(z.form().lblOS->text(), QStringLiteral("Toplam 1 Process"));
    }

    void addKeepsHandEdits()
    {
        TrustedWindow z;
        z.window->Form_Load();
        Write(conf(), "\"/opt/c\"\r\n");   // edited while the program runs
        z.answers = {QStringLiteral("/opt/a")};
        z.window->GPE_Click();
        QCOMPARE(ReadAll(conf()), QByteArray("/opt/a\r\n/opt/c\r\n"));
        z.form().cmdRefresh->click();
        QCOMPARE(Items(Shown(z.form())), QStringList{"/opt/B"});
    }

    void cancelChangesNothing_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::newRow("cancel") << QString();
        QTest::newRow("line break") << QStringLiteral("/opt/a\n/opt/c");
        QTest::newRow("quote and comma") << QStringLiteral("/opt/\"a,b");
    }
    void cancelChangesNothing()
    {
        QFETCH(QString, answer);
        Write(conf(), "x,y\n");
        TrustedWindow z;
        z.window->Form_Load();
        z.answers = {answer};
        z.window->GPE_Click();
        QCOMPARE(ReadAll(conf()), QByteArray("x,y\n"));
        QCOMPARE(Texts(*z.form().TrList), (QStringList{"x", "y"}));
    }

    // The real input dialog, answered as a user would.
    void realInputDialog_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("typed and OK") << true << QByteArray("/opt/c\r\n");
        QTest::newRow("cancel") << false << QByteArray();
    }
    void realInputDialog()
    {
        QFETCH(bool, accept);
        QFETCH(QByteArray, file);
        TrustedWindow z(true);
        z.window->Form_Load();
        z.window->show();
        QString label, title, initial;
        bool answered = false;
        QTimer driver;
        connect(&driver, &QTimer::timeout, this, [&] {
            auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            if (!dialog || answered)
                return;
            answered = true;
            label = dialog->labelText();
            title = dialog->windowTitle();
            initial = dialog->textValue();
            auto* edit = dialog->findChild<QLineEdit*>();
            QTest::keyClicks(edit, QStringLiteral("/OPT/C"));
            if (accept)
                QTest::keyClick(edit, Qt::Key_Return);
            else
                dialog->reject();
        });
        driver.start(10);
        z.window->GPE_Click();
        driver.stop();
        QVERIFY(answered);
        QCOMPARE(label, kPrompt);
        QCOMPARE(title, QStringLiteral("Zerva"));
        QCOMPARE(initial, QString());
        QCOMPARE(ReadAll(conf()), file);
        z.form().cmdRefresh->click();
        QCOMPARE(Shown(z.form()).count(), accept ? 2 : 3);
    }
};

QTEST_MAIN(TestZervaTrusted)
#include "test_zerva_trusted.moc"
