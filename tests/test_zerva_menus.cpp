#include "fakes/zerva_fixture.h"
#include "main_window/zerva_links.h"
#include "platform/controls/list_view.h"
#include "windows/hakkinda.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QtTest>

using namespace zerva;
using namespace zerva::test;

namespace {

// The pieces of a main window on fakes: one process, a shell that records,
// a banner that records (or `factory`), and an About window that types in
// as fast as it can.
ZervaFixture::Pieces MenuPieces(BannerFactory factory = {}, bool withShell = true)
{
    return {.processes = {MakeProcess(1, "a", "/bin/a")},
            .shell = withShell,
            .fakeBanner = !factory,
            .banner = factory,
            .aboutFrameMs = 0};
}

QAction* Action(const ZervaFixture& z, const char* name)
{
    return z.window->findChild<QAction*>(QLatin1String(name));
}

QStringList Captions(const QList<QAction*>& actions)
{
    QStringList out;
    for (QAction* a : actions)
        out << a->text();
    return out;
}

} // namespace

class TestZervaMenus : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void menuTree_data()
    {
        QTest::addColumn<QString>("menu");   // empty: the menu bar itself
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("captions");
        QTest::newRow("bar") << QString() << QStringList{"GPE", "Linkler", "yardim"}
                             << QStringList{"Guvenilir Program Ekle", "Linkler", "Yardim"};
        QTest::newRow("Linkler")
            << "Linkler"
            << QStringList{"KVR", "linkMacroTool", "linkFriendSite", "linkChatSite", "linkServerGuard", "linkForum",
                           "linkGamePortal"}
            << QStringList{"Zerva Ana Sayfa", "Makrox KnightWorld Makro Programi", "Dostlar Arkadaslik Sitesi",
                           "Sohbetim Sohbet Sitesi", "Mavikod Server Korumalari", "Mavikod Forumlari",
                           "Oyunevi Oyun Portali"};
        QTest::newRow("Yardim") << "yardim" << QStringList{"mnhakkinda", "onlineyardim"}
                                << QStringList{"Hakkinda", "Online Yardim"};
    }
    void menuTree()
    {
        QFETCH(QString, menu);
        QFETCH(QStringList, names);
        QFETCH(QStringList, captions);
        ZervaFixture z(MenuPieces());
        QWidget* owner = menu.isEmpty() ? static_cast<QWidget*>(z.window->menuBar())
                                        : z.window->findChild<QMenu*>(menu);
        QVERIFY(owner);
        const QList<QAction*> actions = owner->actions();
        QCOMPARE(Captions(actions), captions);
        for (int i = 0; i < actions.size(); ++i) {
            QAction* a = actions[i];
            // Submenus only on the bar's "Linkler" and "Yardim".
            const bool submenu = menu.isEmpty() && i > 0;
            QCOMPARE(a->menu() != nullptr, submenu);
            QCOMPARE(submenu ? a->menu()->objectName() : a->objectName(), names[i]);
            QVERIFY(!a->isSeparator());
            QVERIFY(a->shortcut().isEmpty());
            QVERIFY(!a->text().contains(QLatin1Char('&')));
            QVERIFY(a->isEnabled() && a->isVisible() && !a->isCheckable());
        }
    }

    void links_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("address");
        QTest::newRow("KVR") << "KVR" << links::HomePage;
        QTest::newRow("linkMacroTool") << "linkMacroTool" << links::MacroTool;
        QTest::newRow("linkFriendSite") << "linkFriendSite" << links::FriendSite;
        QTest::newRow("linkChatSite") << "linkChatSite" << links::ChatSite;
        QTest::newRow("linkServerGuard") << "linkServerGuard" << links::ServerGuard;
        QTest::newRow("linkForum") << "linkForum" << links::Forum;
        QTest::newRow("linkGamePortal") << "linkGamePortal" << links::GamePortal;
        QTest::newRow("onlineyardim") << "onlineyardim" << links::HelpPage;
    }
    void links()
    {
        QFETCH(QString, item);
        QFETCH(QString, address);
        ZervaFixture z(MenuPieces());
        QAction* action = Action(z, qPrintable(item));
        QVERIFY(action);
        const std::pair<std::string, int> expected{"explorer " + address.toStdString(), 2};
        action->trigger();
        QCOMPARE(z.shell->started.size(), size_t(1));
        QCOMPARE(z.shell->started[0], expected);
        action->trigger();
        QCOMPARE(z.shell->started.size(), size_t(2));
        QCOMPARE(z.shell->started[1], expected);
    }

    void addresses()
    {
        const QUrl home(QLatin1String(links::HomePage));
        // The program's pages lie in its own directory.
        QVERIFY(home.path().size() > 1 && home.path().endsWith(QLatin1Char('/')));
        QCOMPARE(QUrl(QLatin1String(links::HelpPage)), home.resolved(QUrl("yardim.php")));
        QCOMPARE(QUrl(QLatin1String(links::BannerPage)), home.resolved(QUrl("ad.php")));
        QSet<QString> hosts;
        for (const char* site : {links::MacroTool, links::FriendSite, links::ChatSite, links::ServerGuard,
                                 links::Forum, links::GamePortal}) {
            const QUrl url{QLatin1String(site)};
            QCOMPARE(url.path(), QStringLiteral("/"));
            QCOMPARE(url.toString(), QLatin1String(site));
            hosts << url.host();
        }
        QCOMPARE(hosts.size(), 6);
        hosts << home.host();
        for (const QString& host : hosts)
            QVERIFY2(host.endsWith(QLatin1String(".example")), qPrintable(host));
        QCOMPARE(home.scheme(), QStringLiteral("http"));
    }

    void aFailingLinkKeepsTheWindowRunning_data()
    {
        QTest::addColumn<int>("outcome");
        QTest::addColumn<bool>("withShell");
        QTest::newRow("not started") << int(FakeShell::Outcome::Fails) << true;
        QTest::newRow("shell fails") << int(FakeShell::Outcome::Throws) << true;
        QTest::newRow("no shell") << 0 << false;
    }
    void aFailingLinkKeepsTheWindowRunning()
    {
        QFETCH(int, outcome);
        QFETCH(bool, withShell);
        ZervaFixture z(MenuPieces({}, withShell));
        if (z.shell)
            z.shell->outcome = FakeShell::Outcome(outcome);
        z.window->show();
        Action(z, "KVR")->trigger();
        Action(z, "onlineyardim")->trigger();
        QVERIFY(z.window->isVisible());
        if (z.shell)
            QCOMPARE(z.shell->started.size(), size_t(2));
    }

    void clicksOnTheBar()
    {
        ZervaFixture z(MenuPieces());
        z.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(z.window.get()));
        QMenuBar* bar = z.window->menuBar();
        QSignalSpy gpe(Action(z, "GPE"), &QAction::triggered);
        // The command on the bar runs at once.
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(Action(z, "GPE")).center());
        QCOMPARE(gpe.count(), 1);
        QVERIFY(!QApplication::activePopupWidget());
        // "Linkler" only opens its submenu.
        auto* linkler = z.window->findChild<QMenu*>("Linkler");
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(linkler->menuAction()).center());
        QTRY_VERIFY(linkler->isVisible());
        QCOMPARE(gpe.count(), 1);
        QVERIFY(z.shell->started.empty());
    }

    void bannerStartsOnLoad()
    {
        ZervaFixture z(MenuPieces());
        QVERIFY(!z.banner);
        z.window->Form_Load();
        QVERIFY(z.banner);
        QCOMPARE(z.banner->navigations, QStringList{QLatin1String(links::BannerPage)});
        QCOMPARE(z.banner->shell, static_cast<Shell*>(z.shell));
        QCOMPARE(z.banner->objectName(), QStringLiteral("Web1"));
        QCOMPARE(z.banner->parentWidget(), z.window->form().Frame1);
        // -520, -240, 2655 x 975 twips within the frame, which clips it.
        QCOMPARE(z.banner->geometry(), QRect(-35, -16, 177, 65));
        QVERIFY(!z.banner->isHidden());
    }

    void aBannerThatFailsDoesNotStopStartUp_data()
    {
        QTest::addColumn<bool>("throws");
        QTest::newRow("no control") << false;
        QTest::newRow("control fails") << true;
    }
    void aBannerThatFailsDoesNotStopStartUp()
    {
        QFETCH(bool, throws);
        ZervaFixture z(MenuPieces([throws](QWidget*, Shell*) -> Banner* {
            if (throws)
                throw std::runtime_error("no browser");
            return nullptr;
        }));
        z.window->Form_Load();
        QVERIFY(!z.window->findChild<QWidget*>("Web1"));
        QCOMPARE(z.window->form().lblOS->text(), QStringLiteral("Toplam 1 Process"));
        QVERIFY(z.window->form().Timer1->isActive());
    }

    void aboutFromTheMenu()
    {
        ZervaFixture z(MenuPieces());
        z.window->show();
        QAction* hakkinda = Action(z, "mnhakkinda");
        int windowsSeen = 0;
        QString labelAtRefresh;
        int snapshotsBefore = z.source->snapshots;
        // Meanwhile: the item chosen again, and a refresh of the main window.
        QTimer::singleShot(0, [&] {
            hakkinda->trigger();
            for (QWidget* w : QApplication::topLevelWidgets())
                windowsSeen += w->objectName() == QLatin1String("Hakkinda") && w->isVisible();
            z.window->cmdRefresh_Click();
            labelAtRefresh = z.window->hakkinda()->form().Label1->text();
        });
        hakkinda->trigger();
        Hakkinda* about = z.window->hakkinda();
        QVERIFY(about);
        QCOMPARE(windowsSeen, 1);
        QVERIFY(!labelAtRefresh.isEmpty() && labelAtRefresh.size() < Hakkinda::AboutText().size());
        QCOMPARE(z.source->snapshots, snapshotsBefore + 1);
        QCOMPARE(about->form().Label1->text(), Hakkinda::AboutText());
        QCOMPARE(about->form().Text1->text(), QString());
        QVERIFY(about->form().Command1->isEnabled());

        // Closed and chosen again: the same object, the text types in anew.
        QTest::mouseClick(about->form().Command1, Qt::LeftButton);
        QVERIFY(!about->isVisible());
        hakkinda->trigger();
        QCOMPARE(z.window->hakkinda(), about);
        QVERIFY(about->isVisible());
        QCOMPARE(about->form().Label1->text(), Hakkinda::AboutText());
    }
};

QTEST_MAIN(TestZervaMenus)
#include "test_zerva_menus.moc"
