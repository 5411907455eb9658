#include "platform/controls/list_items_model.h"

#include "platform/controls/left_to_right.h"
#include "platform/controls/trap.h"
#include "platform/controls/warning_icon.h"

#include <QIcon>
#include <QSize>

#include <algorithm>
#include <iterator>
#include <numeric>
#include <tuple>

namespace zerva {

namespace {

QString cell(const ListItemsModel::Row& r, int column)
{
    return column <= 0 ? r.text : r.value(std::min(column, 2));
}

bool rowBefore(const ListItemsModel::Row& a, const ListItemsModel::Row& b, int column, Qt::SortOrder order)
{
    const int c = QString::compare(cell(a, column), cell(b, column), Qt::CaseInsensitive);
    return order == Qt::AscendingOrder ? c < 0 : c > 0;
}

struct RowKey {
    qint64 key;
    qint64 started;
    auto operator<=>(const RowKey&) const = default;
};

RowKey keyOf(const ListItemsModel::Row& r)
{
    return {r.key, r.started};
}

// Texts shared with the row they came from compare without reading them.
bool same(const QString& a, const QString& b)
{
    return (a.constData() == b.constData() && a.size() == b.size()) || a == b;
}

// Whether the rows of one key hold the same values: a row whose texts,
// tag or warning changed is handed to the views anew.
bool sameTexts(const ListItemsModel::Row& a, const ListItemsModel::Row& b)
{
    return same(a.text, b.text) && same(a.sub1, b.sub1) && a.sameSub2(b) && same(a.tag(), b.tag())
        && same(a.warning(), b.warning());
}

// A sub-item 2 given as text.
class PlainText final : public DeferredText {
public:
    explicit PlainText(const QString& text) : m_text(text) {}
    QString text() const override { return m_text; }
    const QString& plain() const { return m_text; }

private:
    QString m_text;
};

// Where each row's key stands in the rows, sorted by key: one block, not a
// node per row, since it is made at every refresh.
class KeyIndex {
public:
    // False when a row has no key of its own (none, or one that another
    // row has too).
    bool build(const std::vector<ListItemsModel::Row>& rows)
    {
        m_at.clear();
        m_at.reserve(rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].key < 0)
                return false;
            m_at.emplace_back(keyOf(rows[i]), static_cast<int>(i));
        }
        std::sort(m_at.begin(), m_at.end());
        return std::adjacent_find(m_at.begin(), m_at.end(), [](const auto& a, const auto& b) {
                   return a.first == b.first;
               }) == m_at.end();
    }
    // The row with this key, or -1.
    int find(const RowKey& key) const
    {
        const auto it = std::lower_bound(m_at.begin(), m_at.end(), key,
                                         [](const auto& entry, const RowKey& k) { return entry.first < k; });
        return it != m_at.end() && it->first == key ? it->second : -1;
    }

private:
    std::vector<std::pair<RowKey, int>> m_at;
};

} // namespace

void ListItemsModel::Row::setSub2(const QString& plain)
{
    m_sub2 = plain.isEmpty() ? nullptr : std::make_shared<const PlainText>(plain);
}

bool ListItemsModel::Row::sameSub2(const Row& other) const
{
    if (m_sub2 == other.m_sub2)
        return true;
    const auto* a = dynamic_cast<const PlainText*>(m_sub2.get());
    const auto* b = dynamic_cast<const PlainText*>(other.m_sub2.get());
    return a && b && same(a->plain(), b->plain());
}

void ListItemsModel::Row::setRare(Rare rare)
{
    // Most process rows: the tag is the path, and no warning.
    static const std::shared_ptr<const Rare> pathTag = std::make_shared<const Rare>(Rare{{}, {}, true});
    if (rare.warning.isEmpty() && rare.tag.isNull())
        m_rare = rare.tagIsPath ? pathTag : nullptr;
    else
        m_rare = std::make_shared<const Rare>(std::move(rare));
}

void ListItemsModel::Row::setTag(const QString& tag)
{
    // Sharing the path's text, as most tags do: nothing of its own to keep.
    const bool isPath = !tag.isNull() && tag.constData() == sub1.constData() && tag.size() == sub1.size();
    setRare(Rare{isPath ? QString() : tag, warning(), isPath});
}

void ListItemsModel::Row::setWarning(const QString& warning)
{
    setRare(Rare{m_rare ? m_rare->tag : QString(), warning, m_rare && m_rare->tagIsPath});
}

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
    m_next.clear();
    m_next.reserve(static_cast<std::size_t>(count()));
    m_filling = true;
    changed();
}

void ListItemsModel::endFill()
{
    if (!m_filling)
        return;
    m_filling = false;
    std::vector<Row> next = std::move(m_next);
    m_next = {};
    sortRows(next);
    rows();
    publish(std::move(next));
}

void ListItemsModel::dropTexts()
{
    if (m_filling || m_textsDropped)
        return;
    m_keysOnly.reserve(m_rows.size());
    for (const Row& r : m_rows)
        m_keysOnly.emplace_back(r.key, r.started);
    std::vector<Row>().swap(m_rows);
    m_textsDropped = true;
    changed();
}

std::vector<ListItemsModel::Row>& ListItemsModel::rows() const
{
    if (m_textsDropped) {
        m_rows.resize(m_keysOnly.size());
        for (std::size_t i = 0; i < m_keysOnly.size(); ++i)
            std::tie(m_rows[i].key, m_rows[i].started) = m_keysOnly[i];
        std::vector<std::pair<qint64, qint64>>().swap(m_keysOnly);
        m_textsDropped = false;
    }
    return m_rows;
}

void ListItemsModel::publish(std::vector<Row>&& next)
{
    KeyIndex at, old;
    if (!at.build(next) || !old.build(m_rows)) {
        beginResetModel();
        m_rows = std::move(next);
        endResetModel();
        changed();
        return;
    }
    old = {};

    // Rows that are gone, a run at a time from the end.
    for (int i = count() - 1; i >= 0;) {
        if (at.find(keyOf(m_rows[static_cast<std::size_t>(i)])) >= 0) {
            --i;
            continue;
        }
        const int last = i;
        while (i >= 0 && at.find(keyOf(m_rows[static_cast<std::size_t>(i)])) < 0)
            --i;
        beginRemoveRows({}, i + 1, last);
        m_rows.erase(m_rows.begin() + i + 1, m_rows.begin() + last + 1);
        endRemoveRows();
    }

    // Rows that stay but stand in another order now (sorted by a text that
    // changed): one layout change moves them, selection included.
    std::vector<int> target(m_rows.size());
    bool ordered = true;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        target[i] = at.find(keyOf(m_rows[i]));
        ordered = ordered && (i == 0 || target[i] > target[i - 1]);
    }
    if (!ordered) {
        std::vector<int> perm(m_rows.size());
        std::iota(perm.begin(), perm.end(), 0);
        std::sort(perm.begin(), perm.end(), [&](int a, int b) {
            return target[static_cast<std::size_t>(a)] < target[static_cast<std::size_t>(b)];
        });
        reorder(perm);
    }

    // The rows that stay now stand in the new order: insert the new ones a
    // run at a time, and tell the views of changed texts a run at a time.
    int firstChanged = -1;
    int lastChanged = -1;
    const auto flush = [&] {
        if (firstChanged >= 0)
            Q_EMIT dataChanged(index(firstChanged, 0), index(lastChanged, columnCount() - 1));
        firstChanged = -1;
    };
    std::size_t i = 0;
    for (std::size_t j = 0; j < next.size();) {
        if (i < m_rows.size() && keyOf(m_rows[i]) == keyOf(next[j])) {
            if (!sameTexts(m_rows[i], next[j])) {
                m_rows[i] = std::move(next[j]);
                if (firstChanged < 0 || lastChanged + 1 != static_cast<int>(i)) {
                    flush();
                    firstChanged = static_cast<int>(i);
                }
                lastChanged = static_cast<int>(i);
            }
            ++i;
            ++j;
            continue;
        }
        flush();
        std::size_t end = j;
        while (end < next.size() && !(i < m_rows.size() && keyOf(m_rows[i]) == keyOf(next[end])))
            ++end;
        beginInsertRows({}, static_cast<int>(i), static_cast<int>(i + (end - j) - 1));
        m_rows.insert(m_rows.begin() + static_cast<std::ptrdiff_t>(i), std::make_move_iterator(next.begin() + static_cast<std::ptrdiff_t>(j)),
                      std::make_move_iterator(next.begin() + static_cast<std::ptrdiff_t>(end)));
        endInsertRows();
        i += end - j;
        j = end;
    }
    flush();
    changed();
}

void ListItemsModel::clear()
{
    if (m_filling) {
        m_next.clear();
    } else {
        beginResetModel();
        rows().clear();
        endResetModel();
    }
    changed();
}

int ListItemsModel::add(const QString& text)
{
    const int at = count();
    if (!m_filling)
        beginInsertRows({}, at, at);
    Row row;
    row.text = text;
    items().push_back(std::move(row));
    if (!m_filling)
        endInsertRows();
    changed();
    return at;
}

ListItemsModel::Row& ListItemsModel::rowAt(int i)
{
    if (i < 0 || i >= count())
        throw ToolkitError("no such item");
    return items()[static_cast<std::size_t>(i)];
}

void ListItemsModel::setSubItem(int i, int sub, const QString& text)
{
    if (sub < 1 || sub > 2)
        throw ToolkitError("no such item");
    Row& row = rowAt(i);
    const QString tag = row.tag();
    if (sub == 1)
        row.sub1 = text;
    else
        row.setSub2(text);
    row.setTag(tag);   // still its own text, whatever the path now is
    if (!m_filling)
        Q_EMIT dataChanged(index(i, sub), index(i, sub));
}

void ListItemsModel::setSubItem(int i, int sub, std::shared_ptr<const DeferredText> text)
{
    if (sub != 2)
        throw ToolkitError("no such item");
    Row& row = rowAt(i);
    row.setSub2(std::move(text));
    if (!m_filling)
        Q_EMIT dataChanged(index(i, sub), index(i, sub));
}

void ListItemsModel::setKey(int i, qint64 key)
{
    rowAt(i).key = key;
}

void ListItemsModel::setTag(int i, const QString& tag)
{
    rowAt(i).setTag(tag);
}

void ListItemsModel::setStarted(int i, qint64 started)
{
    rowAt(i).started = started;
}

void ListItemsModel::addWarning(int i, const QString& reason)
{
    Row& row = rowAt(i);
    QString warning = row.warning();
    if (!warning.isEmpty())
        warning += u'\n';
    warning += reason;
    row.setWarning(warning);
    if (!m_filling)
        Q_EMIT dataChanged(index(i, 0), index(i, columnCount() - 1));
}

void ListItemsModel::setWarning(int i, const QString& warning)
{
    rowAt(i).setWarning(warning);
    if (!m_filling)
        Q_EMIT dataChanged(index(i, 0), index(i, columnCount() - 1));
}

std::optional<int> ListItemsModel::findKey(qint64 key, qint64 started) const
{
    const std::vector<Row>& rows = items();
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].key == key && rows[i].started == started)
            return static_cast<int>(i);
    return std::nullopt;
}

QVarLengthArray<int, 4> ListItemsModel::rowsWithKey(const QString& key, KeyOf keyOf) const
{
    if (m_indexKeyOf != keyOf) {
        m_index.clear();
        m_index.reserve(count());
        m_nextWithKey.assign(items().size(), -1);
        // Walk backwards so that each chain runs in list order.
        for (int i = count() - 1; i >= 0; --i) {
            const QString k = keyOf(row(i).text);
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
        if (row(i).text.compare(text, Qt::CaseInsensitive) == 0)
            return i;
    return std::nullopt;
}

std::optional<int> ListItemsModel::findPartial(const QString& text) const
{
    for (int i = 0; i < count(); ++i)
        if (row(i).text.startsWith(text, Qt::CaseInsensitive))
            return i;
    return std::nullopt;
}

int ListItemsModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return static_cast<int>(m_textsDropped ? m_keysOnly.size() : m_rows.size());
}

int ListItemsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : std::max<int>(1, static_cast<int>(m_headers.size()));
}

QVariant ListItemsModel::data(const QModelIndex& index, int role) const
{
    // A list whose texts were dropped is not on show: its rows stay
    // dropped for what a view may still ask.
    if (!index.isValid() || index.row() >= rowCount() || m_textsDropped)
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
        if (index.column() == 0 && !r.warning().isEmpty())
            return WarningIcon();
        return {};
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole:
        if (const QString warning = r.warning(); !warning.isEmpty())
            return warning;
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
    rows();
    std::vector<int> perm(m_rows.size());
    std::iota(perm.begin(), perm.end(), 0);
    std::stable_sort(perm.begin(), perm.end(), [&](int a, int b) {
        return rowBefore(m_rows[static_cast<std::size_t>(a)], m_rows[static_cast<std::size_t>(b)], column, order);
    });
    reorder(perm);
}

void ListItemsModel::reorder(const std::vector<int>& perm)
{
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
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

void ListItemsModel::sortRows(std::vector<Row>& rows) const
{
    if (m_sortColumn < 0 || rows.size() < 2)
        return;
    std::stable_sort(rows.begin(), rows.end(), [this](const Row& a, const Row& b) {
        return rowBefore(a, b, m_sortColumn, m_sortOrder);
    });
}

void ListItemsModel::changed()
{
    m_indexKeyOf = nullptr;
    ++m_revision;
}

} // namespace zerva
