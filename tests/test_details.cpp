#include "fakes/zerva_fixture.h"
#include "platform/controls/check_box.h"
#include "platform/controls/list_view.h"
#include "platform/controls/text_box.h"
#include "windows/dialog.h"
#include "trusted/trust_verdict.h"
#include "windows/dialog_window.h"

#include <QAccessible>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QtTest>

using namespace zerva;
using namespace zerva::test;

namespace {

const QString LongPath = QStringLiteral("/opt/") + QString(300, QLatin1Char('x')) + QStringLiteral("/bin/tool");

std::vector<ProcessInfo> Processes()
{
    return {MakeProcess(10, "firefox", "/usr/bin/firefox"), MakeProcess(11, "kworker/0:1", std::nullopt),
            MakeProcess(12, "tool", LongPath.toStdString())};
}

// One that hid its program: listed with a warning.
ProcessInfo Hider()
{
    ProcessInfo p = MakeProcess(13, "hider", std::nullopt);
    p.pathSuspect = true;
    return p;
}

// A shown main window after start-up: BufList holds the processes that
// have a path.
struct Shown : ZervaFixture {
    Shown() : ZervaFixture(Processes())
    {
        window->Form_Load();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    ListView& shownList() const { return form().List1->isHidden() ? *form().BufList : *form().List1; }

    // Double-clicks the row whose caption is `caption` in the shown list.
    void doubleClick(const QString& caption) const
    {
        ListView& list = shownList();
        const std::optional<int> row = list.findItem(caption, ListView::Match::WholeWord);
        QVERIFY(row);
        const QRect cell = list.visualRect(list.model()->index(*row, 0));
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, cell.center());
    }

    DialogWindow* details() const { return window->dialog() ? window->dialog()->window() : nullptr; }
    QString detailsText() const { return details()->form().Text1->text(); }
};

int DialogWindows()
{
    int n = 0;
    for (const QWidget* w : QApplication::topLevelWidgets())
        n += w->objectName() == QStringLiteral("Dialog");
    return n;
}

} // namespace

class TestDetails : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup()
    {
        // No window of one test is left for the next.
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QStringLiteral("Dialog"))
                delete w;
    }

    void text_data()
    {
        QTest::addColumn<bool>("showAll");
        QTest::addColumn<bool>("refreshFirst");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("head");
        // Line breaks: five joins, and those inside the details block.
        QTest::addColumn<int>("breaks");
        // After the details block: the row's warning, if it has one.
        QTest::addColumn<QString>("tail");
        QTest::newRow("full row on BufList") << false << false << "firefox"
            << "Dosya:\r\nfirefox\r\nPath: \r\n/usr/bin/firefox\r\nAyrintilar: \r\n" << 12 << "";
        QTest::newRow("full row on List1") << false << true << "firefox"
            << "Dosya:\r\nfirefox\r\nPath: \r\n/usr/bin/firefox\r\nAyrintilar: \r\n" << 12 << "";
        QTest::newRow("caption-only row") << true << false << "kworker/0:1"
            << "Dosya:\r\nkworker/0:1\r\nPath: \r\n\r\nAyrintilar: \r\n" << 5 << "";
        QTest::newRow("row with a warning") << false << true << "hider"
            << "Dosya:\r\nhider\r\nPath: \r\n\r\nAyrintilar: \r\n" << 14
            << "\r\nUyari: \r\n" + WarningText(TrustVerdict::ProgramHidden);
    }

    void text()
    {
        QFETCH(bool, showAll);
        QFETCH(bool, refreshFirst);
        QFETCH(QString, caption);
        QFETCH(QString, head);
        QFETCH(int, breaks);
        QFETCH(QString, tail);
        Shown z;
        z.source->processes.push_back(Hider());
        if (showAll)
            z.form().Check1->setValue(CheckBox::Ticked);
        if (refreshFirst)
            z.window->cmdRefresh_Click();
        z.doubleClick(caption);
        QVERIFY(z.details());
        QCOMPARE(z.details()->windowTitle(), caption);
        const ListView& list = z.shownList();
        const int row = *list.selectedItem();
        // The row's details block follows as it is, and nothing after it.
        QCOMPARE(z.detailsText(), head + list.subItem(row, 2) + tail);
        QCOMPARE(int(z.detailsText().count(QStringLiteral("\r\n"))), breaks);
        QVERIFY(!z.detailsText().endsWith(QStringLiteral("\r\n\r\n")));
        QVERIFY(z.details()->isVisible());
        QVERIFY(!z.details()->isModal());
    }

    void longPathStaysOnOneLine()
    {
        Shown z;
        z.doubleClick(QStringLiteral("tool"));
        const TextBox& box = *z.details()->form().Text1;
        QCOMPARE(box.document()->lineCount(), box.document()->blockCount());
        QVERIFY(box.horizontalScrollBar()->maximum() > 0);
    }

    void oneWindowForBothLists()
    {
        Shown z;
        z.doubleClick(QStringLiteral("firefox"));
        QPointer<DialogWindow> first = z.details();
        const Dialog* shared = z.window->dialog();
        z.window->cmdRefresh_Click();   // List1 is shown now
        QVERIFY(z.form().BufList->isHidden());
        z.doubleClick(QStringLiteral("tool"));
        QCOMPARE(z.window->dialog(), shared);
        QCOMPARE(z.details(), first.data());
        QCOMPARE(DialogWindows(), 1);
        QCOMPARE(z.details()->windowTitle(), QStringLiteral("tool"));
        QVERIFY(z.detailsText().contains(LongPath));
        QVERIFY(!z.detailsText().contains(QStringLiteral("firefox")));
    }

    // Behind the main window, or minimised where a window manager offers
    // that (the window has no taskbar button to bring it back by).
    void shownAgainComesToTheFront_data()
    {
        QTest::addColumn<bool>("minimised");
        QTest::newRow("behind the main window") << false;
        QTest::newRow("minimised") << true;
    }
    void shownAgainComesToTheFront()
    {
        QFETCH(bool, minimised);
        Shown z;
        z.doubleClick(QStringLiteral("firefox"));
        QVERIFY(QTest::qWaitForWindowActive(z.details()));
        if (minimised)
            z.details()->showMinimized();
        z.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(z.window.get()));
        QCOMPARE(z.details()->isMinimized(), minimised);
        z.doubleClick(QStringLiteral("tool"));
        QVERIFY(QTest::qWaitForWindowActive(z.details()));
        QVERIFY(!z.details()->isMinimized());
        QVERIFY(z.details()->isVisible());
        QCOMPARE(z.details()->windowTitle(), QStringLiteral("tool"));
    }

    // "Kapat" and the close box unload the window; the next use starts
    // from its form again.
    void reopenedFresh_data()
    {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("Kapat") << false;
        QTest::newRow("close box") << true;
    }

    void reopenedFresh()
    {
        QFETCH(bool, closeBox);
        Shown z;
        z.doubleClick(QStringLiteral("tool"));
        QPointer<DialogWindow> first = z.details();
        QPointer<TextBox> firstText = first->form().Text1;
        const QRect designed = first->geometry();
        first->move(designed.topLeft() + QPoint(40, 30));
        firstText->verticalScrollBar()->setValue(firstText->verticalScrollBar()->maximum());
        QTest::keyClicks(firstText, QStringLiteral("typed"));
        QVERIFY(firstText->text().contains(QStringLiteral("typed")));

        if (closeBox)
            first->close();
        else
            QTest::mouseClick(first->form().OKButton, Qt::LeftButton);
        QVERIFY(!z.window->dialog()->isLoaded());
        QTRY_VERIFY(first.isNull());
        QVERIFY(firstText.isNull());

        z.doubleClick(QStringLiteral("tool"));
        DialogWindow* again = z.details();
        QVERIFY(again);
        QCOMPARE(again->geometry(), designed);
        QVERIFY(!again->form().Text1->text().contains(QStringLiteral("typed")));
        QCOMPARE(again->form().Text1->verticalScrollBar()->value(), 0);
        QCOMPARE(again->form().Text1->horizontalScrollBar()->value(), 0);
        QCOMPARE(DialogWindows(), 1);
    }

    void escapeDoesNotClose()
    {
        Shown z;
        z.doubleClick(QStringLiteral("firefox"));
        QTest::keyClick(z.details()->form().OKButton, Qt::Key_Escape);
        QVERIFY(z.details()->isVisible());
        QVERIFY(z.window->dialog()->isLoaded());
    }

    void nothingSelectedDoesNothing_data()
    {
        QTest::addColumn<bool>("empty");
        QTest::newRow("empty list") << true;
        QTest::newRow("no row selected") << false;
    }

    void nothingSelectedDoesNothing()
    {
        QFETCH(bool, empty);
        ZervaFixture z(empty ? std::vector<ProcessInfo>{} : Processes());
        z.window->Form_Load();
        z.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(z.window.get()));
        ListView& list = *z.form().BufList;
        QCOMPARE(list.count(), empty ? 0 : 2);
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, QPoint(5, list.viewport()->height() - 3));
        Q_EMIT list.DblClick();
        QVERIFY(!list.selectedItem());
        QCOMPARE(z.window->dialog(), nullptr);
        QCOMPARE(DialogWindows(), 0);
    }

    void designedLook()
    {
        Shown z;
        z.doubleClick(QStringLiteral("firefox"));
        DialogWindow& w = *z.details();
        QCOMPARE(w.objectName(), QStringLiteral("Dialog"));
        QCOMPARE(w.parentWidget(), nullptr);
        // Fixed frame, close box only, no taskbar button.
        QCOMPARE(w.windowType(), Qt::Tool);
        QVERIFY(!(w.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(w.windowFlags() & Qt::WindowCloseButtonHint);
        QCOMPARE(w.minimumSize(), QSize(484, 284));
        QCOMPARE(w.maximumSize(), QSize(484, 284));
        QCOMPARE(w.geometry(), QRect(w.screen()->geometry().topLeft() + QPoint(184, 250), QSize(484, 284)));
        QCOMPARE(QColor(w.grab().toImage().pixel(2, 2)), QColor(Qt::black));
        QCOMPARE(w.windowIcon().pixmap(32).toImage(), z.window->windowIcon().pixmap(32).toImage());

        const TextBox& text = *w.form().Text1;
        QCOMPARE(text.geometry(), QRect(8, 8, 465, 241));
        QCOMPARE(text.lineWrapMode(), QPlainTextEdit::NoWrap);
        QCOMPARE(text.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(text.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QVERIFY(!text.isReadOnly());

        const QPushButton& ok = *w.form().OKButton;
        QCOMPARE(ok.text(), QStringLiteral("Kapat"));
        QCOMPARE(ok.geometry(), QRect(400, 256, 81, 25));
        QVERIFY(!ok.isDefault() && !ok.autoDefault());
        QCOMPARE(w.focusWidget(), &ok);
        QWidget* next = ok.nextInFocusChain();
        while (!(next->focusPolicy() & Qt::TabFocus))
            next = next->nextInFocusChain();
        QCOMPARE(next, &text);
    }

    void accessibleNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("window") << "Dialog" << "firefox";
        QTest::newRow("Text1") << "Text1" << "Surec ayrintilari";
        QTest::newRow("OKButton") << "OKButton" << "Kapat";
    }

    void accessibleNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        Shown z;
        z.doubleClick(QStringLiteral("firefox"));
        QObject* object = name == "Dialog" ? static_cast<QObject*>(z.details())
                                           : z.details()->findChild<QObject*>(name);
        QVERIFY(object);
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(object);
        QVERIFY(iface);
        QCOMPARE(iface->text(QAccessible::Name), expected);
    }

    // Closing the main window leaves the details open and the program
    // running; it ends when the details window closes too.
    void programEndsWithItsLastWindow()
    {
        Shown z;
        z.doubleClick(QStringLiteral("firefox"));
        QPointer<DialogWindow> details = z.details();
        QStringList seen;
        QObject::connect(qApp, &QGuiApplication::lastWindowClosed, qApp, [&] { seen << "last window closed"; });
        QTimer::singleShot(0, z.form().cmdExit, &QPushButton::click);
        QTimer::singleShot(50, qApp, [&] {
            seen << (z.window->isVisible() ? "main open" : "main closed");
            seen << (details && details->isVisible() ? "details open" : "details closed");
            if (details)
                details->form().OKButton->click();
        });
        bool timedOut = false;
        QTimer::singleShot(5000, qApp, [&] { timedOut = true; QCoreApplication::exit(1); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(!timedOut);
        QCOMPARE(seen, (QStringList{"main closed", "details open", "last window closed"}));
    }
};

QTEST_MAIN(TestDetails)
#include "test_details.moc"
