#include "fakes/zerva_fixture.h"
#include "main_window/layout_rule.h"
#include "platform/controls/check_box.h"
#include "platform/controls/list_view.h"
#include "platform/controls/twips.h"

#include <QAccessible>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

using namespace zerva;
using namespace zerva::test;

namespace {

QWidget* control(const ZervaFixture& z, const QString& name)
{
    return z.window->findChild<QWidget*>(name);
}

// Resizes the window so that its client area (below any menu bar) gets
// `client` pixels.
void resizeClient(Zerva& window, QSize client)
{
    const QSize extra = window.size() - window.centralWidget()->size();
    window.resize(client + extra);
    QTRY_COMPARE(window.centralWidget()->size(), client);
}

QWidget* widgetFor(const ZervaForm& f, LayoutTarget t)
{
    switch (t) {
    case LayoutTarget::List1: return f.List1;
    case LayoutTarget::BufList: return f.BufList;
    case LayoutTarget::cmdRefresh: return f.cmdRefresh;
    case LayoutTarget::cmdExit: return f.cmdExit;
    case LayoutTarget::lblOS: return f.lblOS;
    case LayoutTarget::Check1: return f.Check1;
    case LayoutTarget::Check2: return f.Check2;
    case LayoutTarget::Frame1: return f.Frame1;
    }
    return nullptr;
}

bool isYellow(QRgb c)
{
    return qRed(c) > 200 && qGreen(c) > 200 && qBlue(c) < 100;
}

bool hasYellow(const QImage& image, const QRect& rect)
{
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (isYellow(image.pixel(x, y)))
                return true;
    return false;
}

} // namespace

class TestZervaWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        // The pixel figures below are those of 96 dpi.
        QCOMPARE(QGuiApplication::primaryScreen()->logicalDotsPerInchX(), 96.0);
    }

    void firstShowing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("rect");
        QTest::newRow("List1") << "List1" << QRect(0, 0, 463, 282);
        QTest::newRow("BufList") << "BufList" << QRect(0, 0, 463, 282);
        QTest::newRow("cmdRefresh") << "cmdRefresh" << QRect(323, 292, 67, 23);
        QTest::newRow("cmdExit") << "cmdExit" << QRect(393, 292, 67, 23);
        QTest::newRow("lblOS") << "lblOS" << QRect(5, 299, 200, 13);
        QTest::newRow("Check1") << "Check1" << QRect(205, 299, 113, 13);
        QTest::newRow("Check2") << "Check2" << QRect(105, 299, 93, 13);
        QTest::newRow("Frame1") << "Frame1" << QRect(354, 229, 90, 35);
        QTest::newRow("TrList keeps its place") << "TrList" << QRect(304, 24, 153, 113);
    }

    void firstShowing()
    {
        QFETCH(QString, name);
        QFETCH(QRect, rect);
        ZervaFixture z(ManyProcesses(3));
        z.window->Form_Load();
        z.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(z.window.get()));
        QCOMPARE(z.window->centralWidget()->size(), QSize(463, 319));
        QCOMPARE(control(z, name)->geometry(), rect);
    }

    // The designed client area lies below the menu bar.
    void clientBelowTheMenuBar_data()
    {
        QTest::addColumn<int>("menus");
        QTest::newRow("no menu bar") << 0;
        QTest::newRow("menus") << 3;
    }

    void clientBelowTheMenuBar()
    {
        QFETCH(int, menus);
        QMainWindow window;
        ZervaForm form;
        form.setupUi(&window, 1000);
        for (int i = 0; i < menus; ++i)
            window.menuBar()->addMenu(QStringLiteral("Guvenilir %1").arg(i))->addAction(QStringLiteral("x"));
        form.placeWindow(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.centralWidget()->size(), QSize(463, 319));
        if (menus > 0)
            QVERIFY(window.menuBar()->height() > 0);
    }

    // The frame, once a window manager has added it, is what is centred
    // (run under a window manager too: xvfb-run with openbox).
    void centredOnTheScreen()
    {
        ZervaFixture z;
        z.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(z.window.get()));
        const QPoint screenCentre = z.window->screen()->availableGeometry().center();
        const auto off = [&] { return z.window->frameGeometry().center() - screenCentre; };
        QTRY_VERIFY2(off().manhattanLength() <= 2,
                     qPrintable(QStringLiteral("frame off by %1, %2").arg(off().x()).arg(off().y())));
    }

    // The window lays its controls out as the rule says, through the one
    // twips mapping, at every size; below 550 twips the lists keep their
    // heights and everything else still moves.
    void followsTheClientArea_data()
    {
        QTest::addColumn<QSize>("client");
        QTest::newRow("wide") << QSize(1000, 319);
        QTest::newRow("tall") << QSize(463, 700);
        QTest::newRow("narrow") << QSize(120, 319);
        QTest::newRow("odd pixels") << QSize(501, 333);
        QTest::newRow("lower than the band") << QSize(300, 20);
        QTest::newRow("one pixel high") << QSize(300, 1);
    }

    void followsTheClientArea()
    {
        QFETCH(QSize, client);
        ZervaFixture z;
        z.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(z.window.get()));
        const int listHeight = z.form().List1->height();
        resizeClient(*z.window, client);

        const Twips twips = Twips::of(*z.window);
        const float w = twips.fromX(client.width());
        const float h = twips.fromY(client.height());
        const bool listsRefused = h < 550;
        for (const LayoutStep& s : LayoutRule(w, h)) {
            const QWidget* c = widgetFor(z.form(), s.target);
            switch (s.set) {
            case LayoutSet::Height:
                QCOMPARE(c->height(), listsRefused ? listHeight : twips.height(s.height));
                break;
            case LayoutSet::Width: QCOMPARE(c->width(), twips.width(s.width)); break;
            case LayoutSet::LeftTop: QCOMPARE(c->pos(), QPoint(0, 0)); break;
            case LayoutSet::Rect:
                QCOMPARE(c->geometry(), twips.rect(s.left, s.top, s.width, s.height));
                break;
            }
        }
    }

    void minimiseAndRestore()
    {
        ZervaFixture z;
        z.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(z.window.get()));
        resizeClient(*z.window, QSize(600, 400));
        const QRect list = z.form().List1->geometry();

        z.window->showMinimized();
        // No client height: the lists keep theirs, the band goes above the top.
        QCOMPARE(z.form().List1->geometry(), list);
        QCOMPARE(z.form().BufList->geometry(), list);
        QCOMPARE(z.form().cmdRefresh->geometry(), QRect(460, -27, 67, 23));
        QCOMPARE(z.form().Frame1->geometry(), QRect(491, -90, 90, 35));

        z.window->showNormal();
        QTRY_COMPARE(z.form().cmdRefresh->geometry(), QRect(460, 373, 67, 23));
        QCOMPARE(z.form().Frame1->geometry(), QRect(491, 310, 90, 35));
        QCOMPARE(z.form().List1->geometry(), QRect(0, 0, 600, 363));
    }

    void columns()
    {
        ZervaFixture z;
        for (const ListView* list : {z.form().List1, z.form().BufList}) {
            const QAbstractItemModel* m = list->model();
            QCOMPARE(m->columnCount(), 3);
            QCOMPARE(m->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Dosya"));
            QCOMPARE(m->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Path"));
            QCOMPARE(m->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Modules"));
            QCOMPARE(list->header()->sectionSize(0), 116);
            QCOMPARE(list->header()->sectionSize(1), 333);
            QCOMPARE(list->header()->sectionSize(2), 0);
            QVERIFY(!list->header()->isSectionHidden(2));
        }
        QVERIFY(z.form().TrList->isHidden());
    }

    // The black window, the yellow label on it, the yellow-on-black check
    // boxes, as drawn.
    void colours()
    {
        ZervaFixture z(ManyProcesses(3));
        z.window->Form_Load();
        z.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(z.window.get()));
        const QImage image = z.window->centralWidget()->grab().toImage();
        const ZervaForm& f = z.form();
        // Below the status row, and between the lists and the buttons.
        QCOMPARE(QColor(image.pixel(2, 317)), QColor(Qt::black));
        QCOMPARE(QColor(image.pixel(460, 286)), QColor(Qt::black));
        // The label is transparent: black around its yellow text.
        QVERIFY(hasYellow(image, f.lblOS->geometry()));
        QCOMPARE(QColor(image.pixel(f.lblOS->geometry().bottomLeft())), QColor(Qt::black));
        for (const CheckBox* box : {f.Check1, f.Check2}) {
            QVERIFY(hasYellow(image, box->geometry()));
            QCOMPARE(QColor(image.pixel(box->geometry().bottomRight())), QColor(Qt::black));
        }
        // The buttons keep the platform's colours.
        QVERIFY(QColor(image.pixel(f.cmdRefresh->geometry().center())).lightness() > 100);
    }

    // Creation order is stacking order: the banner frame above the lists,
    // Check2 above the end of the label.
    void stacking()
    {
        ZervaFixture z;
        z.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(z.window.get()));
        QStringList order;
        const QStringList designed{"lblOS", "BufList", "cmdRefresh", "cmdExit", "List1",
                                   "Check1", "Check2", "TrList", "Frame1"};
        for (const QObject* child : z.window->centralWidget()->children())
            if (designed.contains(child->objectName()))
                order << child->objectName();
        QCOMPARE(order, designed);
        QWidget* client = z.window->centralWidget();
        const QWidget* atBanner = client->childAt(z.form().Frame1->geometry().center());
        QVERIFY(atBanner == z.form().Frame1 || z.form().Frame1->isAncestorOf(atBanner));
        QCOMPARE(client->childAt(z.form().Check2->geometry().center()), z.form().Check2);
    }

    void tabOrder_data()
    {
        QTest::addColumn<bool>("loaded");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("both lists shown") << false
            << QStringList{"cmdRefresh", "cmdExit", "List1", "Check1", "Check2", "BufList"};
        QTest::newRow("hidden list skipped") << true
            << QStringList{"cmdRefresh", "cmdExit", "Check1", "Check2", "BufList"};
    }

    void tabOrder()
    {
        QFETCH(bool, loaded);
        QFETCH(QStringList, order);
        ZervaFixture z(ManyProcesses(2));
        if (loaded)
            z.window->Form_Load();
        z.window->show();
        z.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(z.window.get()));
        z.form().cmdRefresh->setFocus();
        QStringList got;
        for (int i = 0; i < order.size(); ++i) {
            QWidget* focus = QApplication::focusWidget();
            QVERIFY(focus);
            got << focus->objectName();
            QTest::keyClick(focus, Qt::Key_Tab);
        }
        QCOMPARE(got, order);
    }

    void icon()
    {
        ZervaFixture z;
        const QIcon icon = z.window->windowIcon();
        QVERIFY(!icon.isNull());
        QVERIFY(icon.availableSizes().contains(QSize(32, 32)));
        const QImage image = icon.pixmap(QSize(32, 32)).toImage();
        QSet<QRgb> colours;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                colours.insert(image.pixel(x, y));
        QVERIFY(colours.size() <= 16);
        // A grey wheel in the middle of a green board.
        const QColor wheel(image.pixel(18, 11));
        QVERIFY(wheel.saturation() < 20 && wheel.lightness() > 100);
        const QColor board(image.pixel(28, 28));
        QVERIFY(board.green() > 2 * board.red() && board.green() > 2 * board.blue());
    }

    // What a screen reader reads: the visible text where there is one.
    void accessibleNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("window") << "Zerva" << "Zerva V1.0";
        QTest::newRow("List1") << "List1" << "Surec listesi";
        QTest::newRow("BufList") << "BufList" << "Surec listesi";
        QTest::newRow("TrList") << "TrList" << "Guvenilir programlar";
        QTest::newRow("cmdRefresh") << "cmdRefresh" << "Yenile";
        QTest::newRow("cmdExit") << "cmdExit" << "Kapat";
        QTest::newRow("lblOS follows its text") << "lblOS" << "Toplam 2 Process";
        QTest::newRow("Check1") << "Check1" << "Guvenilirleri goster";
        QTest::newRow("Check2") << "Check2" << "Otomatik yenile";
        QTest::newRow("Frame1") << "Frame1" << "Web afisi";
    }

    void accessibleNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        ZervaFixture z(ManyProcesses(2));
        z.window->Form_Load();
        z.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(z.window.get()));
        QObject* object = name == "Zerva" ? z.window.get() : static_cast<QObject*>(control(z, name));
        QVERIFY(object);
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(object);
        QVERIFY(iface);
        QCOMPARE(iface->text(QAccessible::Name), expected);
    }
};

QTEST_MAIN(TestZervaWindow)
#include "test_zerva_window.moc"
