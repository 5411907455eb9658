#include "platform/controls/list_view.h"

#include "platform/controls/trap.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>

namespace zerva {

ListView::ListView(QWidget* parent) : QTreeView(parent), m_model(new ListItemsModel(this))
{
    setModel(m_model);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideRight);
    header()->setStretchLastSection(false);
    header()->setMinimumSectionSize(0);
    // No sort until the user clicks a column header: rows keep the order in
    // which they were added.
    header()->setSortIndicator(-1, Qt::AscendingOrder);
    setSortingEnabled(true);
}

void ListView::setColumns(const QStringList& headers)
{
    m_model->setHeaders(headers);
    setHeaderHidden(headers.isEmpty());
}

void ListView::clear()
{
    m_model->clear();
}

int ListView::add(const QString& text)
{
    return m_model->add(text);
}

void ListView::checkItem(int item) const
{
    if (item < 0 || item >= m_model->count())
        throw ToolkitError("no such item");
}

QString ListView::text(int item) const
{
    checkItem(item);
    return m_model->row(item).text;
}

QString ListView::subItem(int item, int sub) const
{
    checkItem(item);
    if (sub < 1 || sub > 2)
        throw ToolkitError("no such sub-item");
    return m_model->row(item).value(sub);
}

void ListView::setSubItem(int item, int sub, const QString& text)
{
    m_model->setSubItem(item, sub, text);
}

void ListView::setKey(int item, qint64 key)
{
    m_model->setKey(item, key);
}

qint64 ListView::key(int item) const
{
    checkItem(item);
    return m_model->row(item).key;
}

void ListView::setTag(int item, const QString& tag)
{
    m_model->setTag(item, tag);
}

QString ListView::tag(int item) const
{
    checkItem(item);
    return m_model->row(item).tag();
}

void ListView::setWarning(int item, const QString& warning)
{
    m_model->setWarning(item, warning);
}

std::optional<int> ListView::selectedItem() const
{
    if (!selectionModel() || m_model->filling())
        return std::nullopt;
    const QModelIndexList rows = selectionModel()->selectedRows();
    if (rows.isEmpty())
        return std::nullopt;
    return rows.first().row();
}

std::optional<int> ListView::findItem(const QString& text, Match match) const
{
    return match == Match::WholeWord ? m_model->findWhole(text) : m_model->findPartial(text);
}

void ListView::setHeightPx(int height)
{
    if (height < 0)
        throw ToolkitError("negative height");
    resize(width(), height);
}

void ListView::setWidthPx(int width)
{
    if (width < 0)
        throw ToolkitError("negative width");
    resize(width, height());
}

void ListView::movePx(int left, int top)
{
    move(left, top);
}

void ListView::adoptSort(const ListView& other)
{
    const QHeaderView* theirs = other.header();
    if (header()->sortIndicatorSection() != theirs->sortIndicatorSection()
        || header()->sortIndicatorOrder() != theirs->sortIndicatorOrder())
        header()->setSortIndicator(theirs->sortIndicatorSection(), theirs->sortIndicatorOrder());
}

void ListView::adoptSelection(const ListView& other)
{
    // This list keeps the rows it had where they are still listed, and with
    // them its own selection: the other list's selection replaces it.
    const std::optional<int> theirs = other.selectedItem();
    const ListItemsModel::Row* row = theirs ? &other.items().row(*theirs) : nullptr;
    const std::optional<int> mine = row ? m_model->findKey(row->key, row->started) : std::nullopt;
    if (!mine) {
        if (selectionModel())
            selectionModel()->clear();
        return;
    }
    // Done while this list is hidden, so selecting does not scroll it.
    const QModelIndex index = m_model->index(*mine, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void ListView::adoptScroll(const ListView& other)
{
    updateGeometries();
    verticalScrollBar()->setValue(other.verticalScrollBar()->value());
    horizontalScrollBar()->setValue(other.horizontalScrollBar()->value());
}

void ListView::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTreeView::mouseDoubleClickEvent(event);
    Q_EMIT DblClick();
}

void ListView::keyPressEvent(QKeyEvent* event)
{
    // Keyboard users open the details with Enter, as a double-click would.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Q_EMIT DblClick();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void ListView::contextMenuEvent(QContextMenuEvent* event)
{
    if (event->reason() == QContextMenuEvent::Mouse) {
        // The row under the pointer becomes the selected one, so the user
        // sees what the menu acts on.
        const QModelIndex index = indexAt(event->pos());
        if (index.isValid())
            selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        Q_EMIT ContextMenu(index.isValid() ? std::optional<int>(index.row()) : std::nullopt, event->globalPos());
        return;
    }
    // The menu key: the selected row, the menu below it.
    const std::optional<int> item = selectedItem();
    QPoint at = viewport()->rect().topLeft();
    if (item) {
        const QRect row = visualRect(m_model->index(*item, 0));
        if (viewport()->rect().intersects(row))
            at = row.bottomLeft();
    }
    Q_EMIT ContextMenu(item, viewport()->mapToGlobal(at));
}

} // namespace zerva
