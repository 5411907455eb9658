#include "windows/trusted_entries_model.h"

#include "platform/controls/warning_icon.h"

namespace zerva {

TrustedEntriesModel::TrustedEntriesModel(InterpreterCheck interpreters, QObject* parent)
    : QAbstractListModel(parent), m_interpreters(std::move(interpreters))
{
}

void TrustedEntriesModel::setEntries(QStringList entries)
{
    beginResetModel();
    m_entries = std::move(entries);
    m_items.clear();
    endResetModel();
}

int TrustedEntriesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_entries.size());
}

const TrustedEntryItem& TrustedEntriesModel::item(int row) const
{
    if (const TrustedEntryItem* made = m_items.object(row))
        return *made;
    auto* made = new TrustedEntryItem(MakeTrustedEntryItem(m_entries.at(row), m_interpreters));
    m_items.insert(row, made);
    return *made;
}

QVariant TrustedEntriesModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_entries.size())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return item(index.row()).drawn;
    case Qt::AccessibleTextRole:
        return item(index.row()).text;
    // As in the main list: an icon before the text, and the reasons for
    // the mouse and for screen readers.
    case Qt::DecorationRole:
        if (!item(index.row()).warnings.isEmpty())
            return WarningIcon();
        return {};
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole:
        if (const QStringList& warnings = item(index.row()).warnings; !warnings.isEmpty())
            return warnings.join(u'\n');
        return {};
    default:
        return {};
    }
}

} // namespace zerva
