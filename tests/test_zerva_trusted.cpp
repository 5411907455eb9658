#include "fakes/input_box_answer.h"
#include "fakes/shown.h"
#include "fakes/zerva_fixture.h"
#include "platform/controls/check_box.h"
#include "platform/controls/input_box.h"
#include "platform/controls/list_view.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

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
// and noting its prompts, or the real input box.
std::unique_ptr<Zerva> Window(QStringList* prompts = nullptr, const QString* answer = nullptr)
{
    ZervaFixture::Pieces pieces{
        .processes = {MakeProcess(1, "a", "/opt/a"), MakeProcess(2, "b", "/opt/B"), MakeProcess(3, "c", "/opt/c")},
        .inputBox = InputBox};
    if (prompts)
        pieces.inputBox = [=](const QString& prompt) { *prompts << prompt; return *answer; };
    auto window = std::move(ZervaFixture(std::move(pieces)).window);
    window->Form_Load();
    return window;
}

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
        QCOMPARE(ConfBytes(), QByteArray("/opt/b\r\n/opt/a\r\n/opt/c\r\n"));
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
};

QTEST_MAIN(TestZervaTrusted)
#include "test_zerva_trusted.moc"
