#include "main_window/zerva.h"

#include "platform/controls/check_box.h"
#include "platform/controls/do_events.h"
#include "platform/controls/list_view.h"
#include "platform/controls/trap.h"
#include "platform/os/memory.h"
#include "process/list_processes.h"
#include "process/row_texts.h"
#include "windows/guvenilir_programlar.h"
#include "windows/son_calisanlar.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace zerva {

Zerva::Zerva(ZervaPlatform platform, QWidget* parent)
    : QMainWindow(parent), m_platform(std::move(platform)), m_rowTexts(std::make_unique<RowTexts>())
{
    setObjectName(QStringLiteral("Zerva"));
    if (m_platform.processes) {
        m_platform.processes->limitCommandLines(ListCommandLineHead);
        if (m_platform.processes->readCommandLinesOnRequest())
            m_rowTexts->readCommandLinesFrom(m_platform.processes);
    }
    // A long trusted list is searched for links while the window refreshes.
    m_trustMemory.links.onThread = true;
    m_form.setupUi(this, m_platform.refreshIntervalMs);
    buildMenus();
    m_form.placeWindow(this);
    // The layout follows the client area, which also changes when only the
    // menu bar changes height.
    centralWidget()->installEventFilter(this);

    connect(m_form.cmdRefresh, &QPushButton::clicked, this, &Zerva::cmdRefresh_Click);
    connect(m_form.cmdExit, &QPushButton::clicked, this, &Zerva::cmdExit_Click);
    connect(m_form.Check1, &CheckBox::Click, this, &Zerva::Check1_Click);
    connect(m_form.Check2, &CheckBox::Click, this, &Zerva::Check2_Click);
    connect(m_form.Timer1, &QTimer::timeout, this, &Zerva::Timer1_Timer);
    connect(m_form.List1, &ListView::DblClick, this, &Zerva::List1_DblClick);
    connect(m_form.BufList, &ListView::DblClick, this, &Zerva::BufList_DblClick);
    for (const ListView* list : {m_form.List1, m_form.BufList})
        connect(list, &ListView::ContextMenu, this,
                [this, list](std::optional<int> item, const QPoint& at) { List_ContextMenu(*list, item, at); });
    m_addRetry.setSingleShot(true);
    connect(&m_addRetry, &QTimer::timeout, this, &Zerva::tryPendingAdd);
    // Execs are recorded only where the system tells of them all.
    const ExecWatch::State state = execState();
    if (state == ExecWatch::State::Working || state == ExecWatch::State::Starting)
        m_execRecord = std::make_unique<ExecRecord>();
    m_form.lblOS->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_form.lblOS, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { lblOS_ContextMenu(m_form.lblOS->mapToGlobal(at)); });
}

Zerva::~Zerva()
{
    // The trusted list's window shows TrList, which goes with this window.
    delete m_guvenilirProgramlar.data();
    delete m_sonCalisanlar;
}

void Zerva::Form_Load(FirstRefresh first)
{
    DoEvents();
    setWindowTitle(QStringLiteral("Zerva V1.0"));
    // From here on a failing step is skipped and start-up goes on.
    Trap([&] { startBanner(); });
    Trap([&] { loadTrusted(); });
    Trap([&] { m_form.Check2->setValue(CheckBox::Ticked); });   // enables Timer1
    if (first == FirstRefresh::InLoad) {
        Trap([&] { cmdRefresh_Click(); });
        return;
    }
    // The label's design text is not a count: nothing until the first one.
    Trap([&] { m_form.lblOS->clear(); });
    m_refreshOnPaint = true;
}

void Zerva::paintEvent(QPaintEvent* event)
{
    QMainWindow::paintEvent(event);
    if (!m_refreshOnPaint)
        return;
    m_refreshOnPaint = false;
    // After this frame has reached the screen.
    QTimer::singleShot(0, this, [this] { Trap([&] { cmdRefresh_Click(); }); });
}

void Zerva::cmdRefresh_Click()
{
    // A refresh started here (a timer tick, a click) runs to its end before
    // this one goes on; m_UseList1 is read only afterwards, so the two lists
    // keep alternating.
    DoEvents();
    if (m_UseList1)
        fillAndShow(*m_form.List1, *m_form.BufList);
    else
        fillAndShow(*m_form.BufList, *m_form.List1);
}

void Zerva::fillAndShow(ListView& fill, ListView& other)
{
    ListView& list1 = *m_form.List1;
    ListView& bufList = *m_form.BufList;
    const bool hadFocus = other.hasFocus();

    Trap([&] { fill.adoptSort(other); });
    HiddenCount hidden;
    const auto scanStart = takeExecs();
    Trap([&] {
        std::function<void(const ProcessInfo&)> read;
        if (m_execRecord)
            read = [this](const ProcessInfo& p) {
                if (p.startTime)
                    m_scanSeen.push_back({p.pid, *p.startTime});
            };
        hidden = ListProcesses(fill, *m_platform.processes, *m_form.Check1, *m_form.TrList, &m_trustMemory,
                               m_rowTexts.get(), read);
    });
    judgeExecs(scanStart);
    Trap([&] { fill.adoptSelection(other); });
    // BufList's visibility is always set before List1's.
    Trap([&] { bufList.setVisible(&fill == &bufList); });
    Trap([&] { list1.setVisible(&fill == &list1); });
    Trap([&] { fill.adoptScroll(other); });
    if (hadFocus)
        Trap([&] { fill.setFocus(); });
    // The list now hidden is filled anew before it shows again.
    Trap([&] { other.dropTexts(); });
    // What the replaced rows and texts held goes back to the system, not
    // only to the allocator.
    ReleaseFreeMemory();
    m_UseList1 = &fill == &bufList;
    Trap([&] {
        m_form.lblOS->setText(QStringLiteral("Toplam ") + QString::number(fill.count())
                              + QStringLiteral(" Process"));
        // The label keeps its text; how many are hidden, and why, is told
        // on demand and to screen readers.
        const QString hiddenText = HiddenText(hidden) + recentText();
        m_form.lblOS->setToolTip(hiddenText);
        m_form.lblOS->setAccessibleDescription(hiddenText);
    });
}

void Zerva::Check1_Click()
{
    cmdRefresh_Click();
}

void Zerva::Check2_Click()
{
    if (m_form.Check2->value() == CheckBox::Ticked)
        m_form.Timer1->start();
    if (m_form.Check2->value() == CheckBox::Unticked)
        m_form.Timer1->stop();
}

void Zerva::Timer1_Timer()
{
    cmdRefresh_Click();
}

void Zerva::cmdExit_Click()
{
    close();
}

void Zerva::closeEvent(QCloseEvent* event)
{
    // The window is gone for good: its timer stops with it.
    m_form.Timer1->stop();
    QMainWindow::closeEvent(event);
}

void Zerva::List1_DblClick()
{
    showDetails(*m_form.List1);
}

void Zerva::BufList_DblClick()
{
    showDetails(*m_form.BufList);
}

} // namespace zerva
