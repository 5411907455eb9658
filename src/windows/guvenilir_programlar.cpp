#include "windows/guvenilir_programlar.h"

#include "platform/controls/client_area.h"
#include "platform/controls/list_view.h"
#include "platform/controls/twips.h"
#include "windows/trusted_entries_model.h"
#include "windows/zerva_icon.h"

#include <QKeyEvent>
#include <QListView>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

namespace zerva {

namespace {

// As long as an add waits for the same.
constexpr std::chrono::milliseconds kRemoveWait{5'000};
constexpr std::chrono::milliseconds kRemoveRetry{50};

} // namespace

GuvenilirProgramlar::GuvenilirProgramlar(ListView& trList, InterpreterCheck interpreters)
    : QDialog(nullptr), m_trList(&trList)
{
    setupUi(std::move(interpreters));
    connect(m_cmdSil, &QPushButton::clicked, this, &GuvenilirProgramlar::cmdSil_Click);
    connect(m_cmdKapat, &QPushButton::clicked, this, &QWidget::close);
    connect(m_lstGuvenilir->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { m_cmdSil->setEnabled(m_lstGuvenilir->selectionModel()->hasSelection()); });
    // Every reload of TrList (an add, a removal) is listed at once.
    connect(trList.model(), &QAbstractItemModel::modelReset, this, &GuvenilirProgramlar::relist);
    m_removeRetry.setSingleShot(true);
    connect(&m_removeRetry, &QTimer::timeout, this, &GuvenilirProgramlar::tryRemove);
    relist();
}

// Designed as the details window: the same frame, icon, back colour and
// system fonts, measures in twips.
void GuvenilirProgramlar::setupUi(InterpreterCheck interpreters)
{
    const Twips twips = Twips::of(*this);
    setObjectName(QStringLiteral("GuvenilirProgramlar"));
    setWindowTitle(QStringLiteral("Guvenilir Programlar"));
    setWindowIcon(ZervaIcon());
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setAttribute(Qt::WA_QuitOnClose, true);
    setAttribute(Qt::WA_DeleteOnClose, true);
    setSizeGripEnabled(false);

    QPoint origin;
    if (const QScreen* s = screen())
        origin = s->geometry().topLeft();
    const QRect client = twips.rect(3240, 2880, 7260, 4260);
    setFixedSize(client.size());
    setGeometry(client.translated(origin));

    m_shown = new TrustedEntriesModel(std::move(interpreters), this);
    m_lstGuvenilir = new QListView(this);
    m_lstGuvenilir->setObjectName(QStringLiteral("lstGuvenilir"));
    m_lstGuvenilir->setModel(m_shown);
    m_lstGuvenilir->setUniformItemSizes(true);
    // The warning icon as small as in the main list.
    const int icon = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, m_lstGuvenilir);
    m_lstGuvenilir->setIconSize(QSize(icon, icon));
    m_lstGuvenilir->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_lstGuvenilir->setGeometry(twips.rect(120, 120, 6975, 3615));
    m_lstGuvenilir->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_lstGuvenilir->setAccessibleName(QStringLiteral("Guvenilir programlar"));
    m_lstGuvenilir->setAccessibleDescription(QStringLiteral("kvr.conf dosyasindaki girisler, dosyadaki sirayla"));

    m_cmdSil = new QPushButton(QStringLiteral("Sil"), this);
    m_cmdSil->setObjectName(QStringLiteral("cmdSil"));
    m_cmdSil->setGeometry(twips.rect(4680, 3840, 1215, 375));
    m_cmdSil->setAccessibleDescription(QStringLiteral("Secili girisleri kvr.conf dosyasindan siler"));
    m_cmdSil->setEnabled(false);

    m_cmdKapat = new QPushButton(QStringLiteral("Kapat"), this);
    m_cmdKapat->setObjectName(QStringLiteral("cmdKapat"));
    m_cmdKapat->setGeometry(twips.rect(6000, 3840, 1215, 375));

    // Enter removes nothing: neither button is a default one.
    for (QPushButton* b : {m_cmdSil, m_cmdKapat}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    setTabOrder(m_lstGuvenilir, m_cmdSil);
    setTabOrder(m_cmdSil, m_cmdKapat);
    m_lstGuvenilir->setFocus();
}

void GuvenilirProgramlar::relist()
{
    m_listed.clear();
    if (m_trList) {
        const int n = m_trList->count();
        m_listed.reserve(n);
        for (int i = 0; i < n; ++i)
            m_listed.push_back(m_trList->text(i));
    }
    // The model shares these strings: no second copy of a long list.
    m_shown->setEntries(m_listed);
    m_cmdSil->setEnabled(false);
}

void GuvenilirProgramlar::cmdSil_Click()
{
    QList<int> rows;
    for (const QModelIndex& index : m_lstGuvenilir->selectionModel()->selectedRows())
        rows.push_back(index.row());
    if (rows.isEmpty() || !m_trList || m_removeRetry.isActive())
        return;
    m_removeListed = m_listed;
    m_removeRows = rows;
    m_removeDeadline = std::chrono::steady_clock::now() + kRemoveWait;
    tryRemove();
}

void GuvenilirProgramlar::tryRemove()
{
    if (!m_trList)
        return;
    // The entries are found again in the file by their text: it may have
    // changed since they were listed. TrList is reloaded, and so this list.
    // One try at the lock: another add holds it only briefly, and the window
    // must not wait; a busy file is told, and Sil can be pressed again. An
    // editor's save is over in a moment: tried again from a timer, the
    // window live meanwhile.
    const TrustedFile::RemoveResult result =
        TrustedFile().remove(m_removeListed, m_removeRows, *m_trList, std::chrono::milliseconds(0));
    if (result == TrustedFile::RemoveResult::Changing && std::chrono::steady_clock::now() < m_removeDeadline) {
        m_cmdSil->setEnabled(false);
        m_removeRetry.start(kRemoveRetry);
        return;
    }
    m_cmdSil->setEnabled(m_lstGuvenilir->selectionModel()->hasSelection());
    Q_EMIT Removed(result);
}

void GuvenilirProgramlar::paintEvent(QPaintEvent* event)
{
    PaintBackColor(*this, QColor(0, 0, 0));
    QDialog::paintEvent(event);
}

void GuvenilirProgramlar::keyPressEvent(QKeyEvent* event)
{
    if (event->modifiers() == Qt::NoModifier && event->key() == Qt::Key_Delete) {
        cmdSil_Click();
        return;
    }
    if (event->modifiers() == Qt::NoModifier && event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace zerva
