#include "platform/controls/list_items_model.h"

#include "platform/controls/left_to_right.h"
#include "platform/controls/trap.h"

#include <QApplication>
#include <QIcon>
#include <QSize>
#include <QStyle>

#include <algorithm>
#include <numeric>

namespace zerva {

namespace {

const QString& cell(const ListItemsModel::Row& r, int column)
{
    return column <= 0 ? r.text : r.sub[std::min(column, 2) - 1];
}

bool rowBefore(const ListItemsModel::Row& a, const ListItemsModel::Row& b, int column, Qt::SortOrder order)
{
    const int c = QString::compare(cell(a, column), cell(b, column), Qt::CaseInsensitive);
    return order == Qt::AscendingOrder ? c < 0 : c > 0;
}

// The style's own warning icon, made once.
QIcon warningIcon()
{
    static const QIcon icon = QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
    return icon;
}

} // namespace

ListItemsModel::ListItemsModel(QObject* parent) : QAbstractTableModel(parent) {}

void ListItemsModel::setHeaders(const QStringList& headers)
{
    beginResetModel();
    m_headers = headers;
    endResetModel();
}

void ListItemsModel::beginFill()
{
    if (m_filling)
        return;
    beginResetModel();
    m_filling = true;
}

void ListItemsModel::endFill()
{
    if (!m_filling)
        return;
    m_filling = false;
    sortRows();
    endResetModel();
}

void ListItemsModel::clear()
{
    if (m_filling) {
        m_rows.clear();
    } else {
        beginResetModel();
        m_rows.clear();
        endResetModel();
    }
    changed();
}

int ListItemsModel::add(const QString& text)
{
    const int at = count();
    if (!m_filling)
        beginInsertRows({}, at, at);
    m_rows.push_back(Row{text, {}, -1, {}, -1, {}});
    if (!m_filling)
        endInsertRows();
    changed();
    return at;
}

void ListItemsModel::setSubItem(int i, int sub, const QString& text)
{
    if (i < 0 || i >= count() || sub < 1 || sub > 2)
        throw ToolkitError("no such item");
    m_rows[static_cast<std::size_t>(i)].sub[sub - 1] = text;
    if (!m_filling)
        Q_EMIT dataChanged(index(i, sub), index(i, sub));
}

void ListItemsModel::setKey(int i, qint64 key)
{
    if (i < 0 || i >= count())
        throw ToolkitError("no such item");
    m_rows[static_cast<std::size_t>(i)].key = key;
}

void ListItemsModel::setTag(int i, const QString& tag)
{
    if (i < 0 || i >= count())
        throw ToolkitError("no such item");
    m_rows[static_cast<std::size_t>(i)].tag = tag;
}

void ListItemsModel::setStarted(int i, qint64 started)
{
    if (i < 0 || i >= count())
        throw ToolkitError("no such item");
    m_rows[static_cast<std::size_t>(i)].started = started;
}

void ListItemsModel::addWarning(int i, const QString& reason)
{
    if (i < 0 || i >= count())
        throw ToolkitError("no such item");
    QString& warning = m_rows[static_cast<std::size_t>(i)].warning;
    if (!warning.isEmpty())
        warning += u'\n';
    warning += reason;
    if (!m_filling)
        Q_EMIT dataChanged(index(i, 0), index(i, columnCount() - 1));
}

void ListItemsModel::setWarning(int i, const QString& warning)
{
    if (i < 0 || i >= count())
        throw ToolkitError("no such item");
    m_rows[static_cast<std::size_t>(i)].warning = warning;
    if (!m_filling)
        Q_EMIT dataChanged(index(i, 0), index(i, columnCount() - 1));
}

std::optional<int> ListItemsModel::findKey(qint64 key) const
{
    for (int i = 0; i < count(); ++i)
        if (m_rows[static_cast<std::size_t>(i)].key == key)
            return i;
    return std::nullopt;
}

QVarLengthArray<int, 4> ListItemsModel::rowsWithKey(const QString& key, KeyOf keyOf) const
{
    if (m_indexKeyOf != keyOf) {
        m_index.clear();
        m_index.reserve(count());
        m_nextWithKey.assign(m_rows.size(), -1);
        // Walk backwards so that each chain runs in list order.
        for (int i = count() - 1; i >= 0; --i) {
            const QString k = keyOf(m_rows[static_cast<std::size_t>(i)].text);
            const auto it = m_index.find(k);
            if (it == m_index.end()) {
                m_index.insert(k, i);
            } else {
                m_nextWithKey[static_cast<std::size_t>(i)] = it.value();
                it.value() = i;
            }
        }
        m_indexKeyOf = keyOf;
    }
    QVarLengthArray<int, 4> rows;
    const auto it = m_index.constFind(key);
    if (it != m_index.constEnd())
        for (int i = it.value(); i >= 0; i = m_nextWithKey[static_cast<std::size_t>(i)])
            rows.push_back(i);
    return rows;
}

std::optional<int> ListItemsModel::findWhole(const QString& text) const
{
    for (int i = 0; i < count(); ++i)
        if (m_rows[static_cast<std::size_t>(i)].text.compare(text, Qt::CaseInsensitive) == 0)
            return i;
    return std::nullopt;
}

std::optional<int> ListItemsModel::findPartial(const QString& text) const
{
    for (int i = 0; i < count(); ++i)
        if (m_rows[static_cast<std::size_t>(i)].text.startsWith(text, Qt::CaseInsensitive))
            return i;
    return std::nullopt;
}

int ListItemsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || m_filling ? 0 : count();
}

int ListItemsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : std::max<int>(1, static_cast<int>(m_headers.size()));
}

QVariant ListItemsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= count())
        return {};
    const Row& r = m_rows[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        // Drawn in the order it is written; what is read out, sorted, found
        // or copied is the text itself.
        if (index.column() <= 2)
            return LeftToRight(cell(r, index.column()));
        return {};
    case Qt::AccessibleTextRole:
        if (index.column() <= 2)
            return cell(r, index.column());
        return {};
    // The one place a row's warning is shown: an icon before its text, and
    // its reason for the mouse and for screen readers.
    case Qt::DecorationRole:
        if (index.column() == 0 && !r.warning.isEmpty())
            return warningIcon();
        return {};
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole:
        if (!r.warning.isEmpty())
            return r.warning;
        return {};
    case Qt::SizeHintRole:
        // The details block is many lines long; it must not make every
        // row that tall.
        if (index.column() == 2)
            return QSize(0, 0);
        return {};
    default:
        return {};
    }
}

QVariant ListItemsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < m_headers.size())
        return m_headers.at(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

void ListItemsModel::sort(int column, Qt::SortOrder order)
{
    m_sortColumn = column;
    m_sortOrder = order;
    if (m_filling || column < 0)
        return;
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> perm(m_rows.size());
    std::iota(perm.begin(), perm.end(), 0);
    std::stable_sort(perm.begin(), perm.end(), [&](int a, int b) {
        return rowBefore(m_rows[static_cast<std::size_t>(a)], m_rows[static_cast<std::size_t>(b)], column, order);
    });
    std::vector<Row> sorted;
    sorted.reserve(m_rows.size());
    std::vector<int> newPos(m_rows.size());
    for (std::size_t i = 0; i < perm.size(); ++i) {
        newPos[static_cast<std::size_t>(perm[i])] = static_cast<int>(i);
        sorted.push_back(std::move(m_rows[static_cast<std::size_t>(perm[i])]));
    }
    m_rows = std::move(sorted);
    // Keep the views' selection and current item on the same rows.
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    for (const QModelIndex& i : from)
        to.push_back(index(newPos[static_cast<std::size_t>(i.row())], i.column()));
    changePersistentIndexList(from, to);
    changed();
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ListItemsModel::sortRows()
{
    if (m_sortColumn < 0 || m_rows.size() < 2)
        return;
    std::stable_sort(m_rows.begin(), m_rows.end(), [this](const Row& a, const Row& b) {
        return rowBefore(a, b, m_sortColumn, m_sortOrder);
    });
    changed();
}

void ListItemsModel::changed()
{
    m_indexKeyOf = nullptr;
}

} // namespace zerva
