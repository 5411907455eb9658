#include "main_window/zerva_links.h"
#include "windows/hakkinda.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <functional>

using namespace zerva;

namespace {

// Calls `look` at every turn of the event loop while the animation runs.
class Watcher : public QObject {
public:
    explicit Watcher(std::function<void()> look) : m_look(std::move(look)) { m_id = startTimer(0); }
    ~Watcher() override { killTimer(m_id); }

protected:
    void timerEvent(QTimerEvent*) override { m_look(); }

private:
    std::function<void()> m_look;
    int m_id;
};

} // namespace

class TestHakkinda : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aboutText()
    {
        const QStringList pieces = Hakkinda::AboutPieces();
        QCOMPARE(pieces.size(), 11);
        QCOMPARE(pieces[5], QString());
        const QStringList lines = Hakkinda::AboutText().split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 7);
        QVERIFY(QRegularExpression(QStringLiteral("^Zerva 1\\.0\\([^()]+\\)$")).match(lines[0]).hasMatch());
        QVERIFY(lines[2].startsWith(QStringLiteral("Programci: ")));
        QVERIFY(lines[2].size() > 11);
        QCOMPARE(lines[4], QStringLiteral(" Indirebileceginiz Adres : ") + QLatin1String(links::HomePage));
        QVERIFY(lines[6].contains(QStringLiteral("Zerva")));
        for (int empty : {1, 3, 5})
            QCOMPARE(lines[empty], QString());
        // Only CR LF pairs break lines.
        QCOMPARE(Hakkinda::AboutText().count(QLatin1Char('\n')), 6);
        QCOMPARE(Hakkinda::AboutText().count(QLatin1Char('\r')), 6);
    }

    void designedLook()
    {
        Hakkinda about(0, QStringLiteral("ab"));
        bool checked = false;
        Watcher watcher([&] {
            if (checked || !about.isTyping())
                return;
            checked = true;
            // While loading: on screen, "Kapat" not usable.
            QVERIFY(about.isVisible());
            QVERIFY(!about.form().Command1->isEnabled());
        });
        about.Show();
        QVERIFY(checked);
        QVERIFY(about.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(about.windowType(), Qt::Tool);   // no taskbar button
        const HakkindaForm& f = about.form();
        QCOMPARE(f.Label1->font().family(), QStringLiteral("Times New Roman"));
        QCOMPARE(f.Label1->font().pointSizeF(), 9.75);
        QVERIFY(f.Label1->font().italic());
        QVERIFY(f.Text1->isHidden());
        QCOMPARE(f.Command1->text(), QStringLiteral("Kapat"));
    }

    void typesItselfIn_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QString();
        QTest::newRow("one") << QStringLiteral("a");
        QTest::newRow("even") << QStringLiteral("abcd");
        QTest::newRow("odd") << QStringLiteral("abcde");
        QTest::newRow("CR at an even position") << QStringLiteral("a\r\nb");
        QTest::newRow("CR LF in one pass") << QStringLiteral("\r\nab\r\n");
        QTest::newRow("the About text") << Hakkinda::AboutText();
    }
    void typesItselfIn()
    {
        QFETCH(QString, text);
        Hakkinda about(0, text);
        QStringList seen;
        QString broken;
        Watcher watcher([&] {
            if (!about.isTyping())
                return;
            const QString label = about.form().Label1->text();
            const QString rest = about.form().Text1->text();
            if (label + rest != text && broken.isEmpty())
                broken = label + QLatin1Char('|') + rest;
            if (seen.isEmpty() || seen.last() != label)
                seen << label;
        });
        about.Show();
        QCOMPARE(broken, QString());
        // Two characters a pass; an odd text ends with a single one.
        for (const QString& label : seen)
            QVERIFY2(label.size() % 2 == 0 || label == text, qPrintable(label));
        QCOMPARE(about.form().Label1->text(), text);
        QCOMPARE(about.form().Text1->text(), QString());
        QVERIFY(about.form().Command1->isEnabled());
        if (text.size() > 8)
            QVERIFY2(seen.size() > 2, "the text typed in over several passes");
    }

    void pacedToAFrame()
    {
        // Three passes of 20 ms: at least two full frames between them.
        Hakkinda about(20, QStringLiteral("abcdef"));
        QElapsedTimer clock;
        clock.start();
        about.Show();
        QVERIFY(clock.elapsed() >= 40);
        QCOMPARE(about.form().Label1->text(), QStringLiteral("abcdef"));
    }

    void cannotBeClosedWhileTyping()
    {
        Hakkinda about(0, QStringLiteral("abcdefgh"));
        bool tried = false;
        Watcher watcher([&] {
            if (about.isTyping() && !tried) {
                tried = true;
                about.close();
            }
        });
        about.Show();
        QVERIFY(tried);
        QVERIFY(about.isVisible());
        QVERIFY(about.isLoaded());
        QCOMPARE(about.form().Label1->text(), QStringLiteral("abcdefgh"));
    }

    void kapatUnloadsAndTheNextShowStartsAgain()
    {
        Hakkinda about(0, QStringLiteral("abcdef"));
        about.Show();
        QPointer<QPushButton> oldKapat = about.form().Command1;
        QTest::mouseClick(oldKapat, Qt::LeftButton);
        QVERIFY(!about.isVisible());
        QVERIFY(!about.isLoaded());
        QTRY_VERIFY(oldKapat.isNull());   // the controls are destroyed
        QVERIFY(!about.findChild<QLabel*>(QStringLiteral("Label1")));

        QString firstLabel = QStringLiteral("unseen");
        bool firstEnabled = true;
        Watcher watcher([&] {
            if (about.isTyping() && firstLabel == QLatin1String("unseen")) {
                firstLabel = about.form().Label1->text();
                firstEnabled = about.form().Command1->isEnabled();
            }
        });
        about.Show();
        QCOMPARE(firstLabel, QStringLiteral("ab"));   // from an empty label, after one pass
        QVERIFY(!firstEnabled);
        QCOMPARE(about.form().Label1->text(), QStringLiteral("abcdef"));
        QCOMPARE(about.findChildren<QLabel*>().size(), 1);
    }

    // Last: it runs the application's own event loop.
    void keepsTheProgramRunningUntilClosed()
    {
        QWidget mainWindow;
        mainWindow.show();
        Hakkinda about(0, QStringLiteral("ab"));
        about.Show();
        bool runningAfterMainClosed = false;
        bool gaveUp = false;
        auto after = [](int ms, std::function<void()> step) {
            auto* timer = new QTimer;
            timer->setSingleShot(true);
            QObject::connect(timer, &QTimer::timeout, timer, [timer, step] {
                step();
                timer->deleteLater();
            });
            timer->start(ms);
            return timer;
        };
        after(0, [&] { mainWindow.close(); });
        after(100, [&] {
            runningAfterMainClosed = true;
            QTest::mouseClick(about.form().Command1, Qt::LeftButton);
        });
        QPointer<QTimer> watchdog = after(10000, [&] {
            gaveUp = true;
            QCoreApplication::quit();
        });
        QApplication::exec();   // ends when the last window closes
        delete watchdog;
        QVERIFY(runningAfterMainClosed);
        QVERIFY(!gaveUp);
    }
};

QTEST_MAIN(TestHakkinda)
#include "test_hakkinda.moc"
