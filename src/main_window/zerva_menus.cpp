#include "main_window/zerva.h"
#include "main_window/zerva_links.h"
#include "platform/controls/list_view.h"
#include "platform/controls/trap.h"
#include "windows/hakkinda.h"

#include <QMenu>
#include <QMenuBar>

namespace zerva {

namespace {

QAction* addItem(QWidget* parent, const char* name, const char* caption)
{
    auto* action = new QAction(QString::fromLatin1(caption), parent);
    action->setObjectName(QLatin1String(name));
    parent->addAction(action);
    return action;
}

} // namespace

// The menu bar. Static: nothing is added, relabelled or disabled later.
void Zerva::buildMenus()
{
    QMenuBar* bar = menuBar();
    // A command right on the bar: it acts on the click on the bar itself.
    connect(addItem(bar, "GPE", "Guvenilir Program Ekle"), &QAction::triggered, this, [this] { GPE_Click(); });

    auto* linkler = new QMenu(QStringLiteral("Linkler"), bar);
    linkler->setObjectName(QStringLiteral("Linkler"));
    bar->addMenu(linkler);
    const struct {
        const char* name;
        const char* caption;
        void (Zerva::*handler)();
    } links[] = {
        {"KVR", "Zerva Ana Sayfa", &Zerva::KVR_Click},
        {"linkMacroTool", "Makrox KnightWorld Makro Programi", &Zerva::linkMacroTool_Click},
        {"linkFriendSite", "Dostlar Arkadaslik Sitesi", &Zerva::linkFriendSite_Click},
        {"linkChatSite", "Sohbetim Sohbet Sitesi", &Zerva::linkChatSite_Click},
        {"linkServerGuard", "Mavikod Server Korumalari", &Zerva::linkServerGuard_Click},
        {"linkForum", "Mavikod Forumlari", &Zerva::linkForum_Click},
        {"linkGamePortal", "Oyunevi Oyun Portali", &Zerva::linkGamePortal_Click},
    };
    for (const auto& link : links)
        connect(addItem(linkler, link.name, link.caption), &QAction::triggered, this, link.handler);

    auto* yardim = new QMenu(QStringLiteral("Yardim"), bar);
    yardim->setObjectName(QStringLiteral("yardim"));
    bar->addMenu(yardim);
    connect(addItem(yardim, "mnhakkinda", "Hakkinda"), &QAction::triggered, this, &Zerva::mnhakkinda_Click);
    connect(addItem(yardim, "onlineyardim", "Online Yardim"), &QAction::triggered, this, &Zerva::onlineyardim_Click);
}

// Built afresh for every request. The chosen item acts once the menu has
// closed. A row without a path the trust test could match (a caption-only
// row, a path that is not UTF-8) cannot be added.
void Zerva::List_ContextMenu(const ListView& list, std::optional<int> item, const QPoint& at)
{
    QString path;
    if (item)
        Trap([&] { path = list.tag(*item); });
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("mnSurec"));
    QAction* add = addItem(&menu, "mnGPE", "Guvenilir Program Ekle");
    add->setEnabled(!path.isEmpty());
    QAction* trusted = addItem(&menu, "mnGuvenilirProgramlar", "Guvenilir Programlar...");
    QAction* recent = addItem(&menu, "mnSonCalisanlar", "Son Calisanlar...");
    QAction* chosen = menu.exec(at);
    if (chosen == add)
        GPE_Click(path);
    else if (chosen == trusted)
        mnGuvenilirProgramlar_Click();
    else if (chosen == recent)
        mnSonCalisanlar_Click();
}

// Every link starts its own fixed command line, minimized with the focus.
// A link that cannot be opened leaves nothing behind and no message.
void Zerva::startLink(const char* address)
{
    if (!m_platform.shell)
        return;
    const std::string commandLine = std::string("explorer ") + address;
    Trap([&] { m_platform.shell->start(commandLine, Shell::MinimizedFocus); });
}

void Zerva::KVR_Click() { startLink(links::HomePage); }
void Zerva::linkMacroTool_Click() { startLink(links::MacroTool); }
void Zerva::linkFriendSite_Click() { startLink(links::FriendSite); }
void Zerva::linkChatSite_Click() { startLink(links::ChatSite); }
void Zerva::linkServerGuard_Click() { startLink(links::ServerGuard); }
void Zerva::linkForum_Click() { startLink(links::Forum); }
void Zerva::linkGamePortal_Click() { startLink(links::GamePortal); }
void Zerva::onlineyardim_Click() { startLink(links::HelpPage); }

// One About window for the whole run. Shown while loaded, it only comes to
// the front; otherwise it loads and returns once its text has typed in.
void Zerva::mnhakkinda_Click()
{
    if (!m_hakkinda)
        m_hakkinda = std::make_shared<Hakkinda>(m_platform.aboutFrameMs);
    const std::shared_ptr<Hakkinda> hakkinda = m_hakkinda;
    Trap([&] { hakkinda->Show(); });
}

} // namespace zerva
