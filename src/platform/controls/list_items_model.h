#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace zerva {

// The items of one list view: a text and two sub-items per row, plus a
// hidden key (the process id of a process row). Rows are plain values, so a
// list of a thousand processes costs three strings each and no widgets.
class ListItemsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Row {
        QString text;
        QString sub[2];
        qint64 key = -1;
    };

    explicit ListItemsModel(QObject* parent = nullptr);

    void setHeaders(const QStringList& headers);

    // Filling: between beginFill() and endFill() rows are added without a
    // signal per row; endFill() sorts (when a sort is set) and resets the
    // views once.
    void beginFill();
    void endFill();
    bool filling() const { return m_filling; }

    void clear();
    int add(const QString& text);
    // Room for `rows` rows in all, so that a long fill does not move them.
    void reserve(qsizetype rows) { m_rows.reserve(static_cast<std::size_t>(rows)); }
    int count() const { return static_cast<int>(m_rows.size()); }
    const Row& row(int i) const { return m_rows.at(static_cast<std::size_t>(i)); }
    void setSubItem(int i, int sub, const QString& text);
    void setKey(int i, qint64 key);
    std::optional<int> findKey(qint64 key) const;

    // First row, in list order, whose text equals `text`, letter case
    // ignored. Answered from a hash that is rebuilt after the rows change.
    std::optional<int> findWhole(const QString& text) const;
    // First row whose text begins with `text`, letter case ignored.
    std::optional<int> findPartial(const QString& text) const;

    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void sort(int column, Qt::SortOrder order) override;

private:
    void sortRows();
    void changed();

    std::vector<Row> m_rows;
    QStringList m_headers;
    bool m_filling = false;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    mutable QHash<QString, int> m_index;
    mutable bool m_indexValid = false;
};

} // namespace zerva
