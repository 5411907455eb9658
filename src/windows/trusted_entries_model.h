#pragma once

#include "trusted/interpreter_check.h"
#include "windows/trusted_entry_item.h"

#include <QAbstractListModel>
#include <QCache>
#include <QStringList>

namespace zerva {

// The entries of "Guvenilir Programlar", each drawn as MakeTrustedEntryItem
// makes it, with the warning icon and its reasons as tooltip and accessible
// description. An item is made when a view first asks for it and kept for
// a while: a million entries cost their text and little more, and only the
// rows on show look at the file system.
class TrustedEntriesModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit TrustedEntriesModel(InterpreterCheck interpreters, QObject* parent = nullptr);

    void setEntries(QStringList entries);
    const QStringList& entries() const { return m_entries; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    const TrustedEntryItem& item(int row) const;

    InterpreterCheck m_interpreters;
    QStringList m_entries;
    mutable QCache<int, TrustedEntryItem> m_items{4096};
};

} // namespace zerva
