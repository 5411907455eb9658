#include "main_window/zerva_form.h"

#include "platform/check_box.h"
#include "platform/list_view.h"

#include <QFrame>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QTimer>

namespace zerva {

namespace {

template <typename W>
W* named(W* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

ListView* processList(QWidget* parent, const char* name)
{
    auto* list = named(new ListView(parent), name);
    list->setColumns({QStringLiteral("Dosya"), QStringLiteral("Path"), QStringLiteral("Modules")});
    list->setColumnWidth(0, 116);
    list->setColumnWidth(1, 333);
    list->setColumnWidth(2, 0);
    return list;
}

} // namespace

void ZervaForm::setupUi(QMainWindow* window, int timerIntervalMs)
{
    auto* client = new QWidget(window);
    client->setObjectName(QStringLiteral("client"));
    window->setCentralWidget(client);

    // Created bottom-most first, so that later widgets lie on top.
    lblOS = named(new QLabel(QStringLiteral("Operating System:"), client), "lblOS");
    BufList = processList(client, "BufList");
    cmdRefresh = named(new QPushButton(QStringLiteral("Yenile"), client), "cmdRefresh");
    cmdExit = named(new QPushButton(QStringLiteral("Kapat"), client), "cmdExit");
    List1 = processList(client, "List1");
    Check1 = named(new CheckBox(QStringLiteral("Guvenilirleri goster"), client), "Check1");
    Check2 = named(new CheckBox(QStringLiteral("Otomatik yenile"), client), "Check2");
    TrList = named(new ListView(client), "TrList");
    TrList->setColumns({});
    TrList->setVisible(false);
    Frame1 = named(new QFrame(client), "Frame1");

    Timer1 = named(new QTimer(window), "Timer1");
    Timer1->setInterval(timerIntervalMs);
    Timer1->start();
}

} // namespace zerva
