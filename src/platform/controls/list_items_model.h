#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVarLengthArray>

#include "platform/controls/deferred_text.h"

#include <memory>
#include <optional>
#include <vector>

namespace zerva {

// The items of one list view: a text and two sub-items per row, plus a
// hidden key (the process id of a process row) and start time, which
// together tell apart two processes that had the same id. Rows are plain
// values, so a list of a thousand processes costs three strings each and no
// widgets.
class ListItemsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // One row. Ten thousand of them stand in each of two lists, so a row
    // keeps what few rows have (a tag unlike its path, a warning) apart.
    struct Row {
        QString text;
        // Sub-item 1.
        QString sub1;
        qint64 key = -1;
        // When the process of the row started (see ProcessInfo::startTime);
        // -1: unknown. With the key, it names the row's process.
        qint64 started = -1;

        QString value(int which) const { return which == 1 ? sub1 : m_sub2 ? m_sub2->text() : QString(); }
        // Sub-item 2: a plain text, or one made when it is read.
        void setSub2(const QString& plain);
        void setSub2(std::shared_ptr<const DeferredText> later) { m_sub2 = std::move(later); }
        // Whether sub-item 2 is the same here and in `other` (a deferred
        // one: the same object).
        bool sameSub2(const Row& other) const;
        // A text the program keeps with the row and does not show.
        QString tag() const { return !m_rare ? QString() : m_rare->tagIsPath ? sub1 : m_rare->tag; }
        void setTag(const QString& tag);
        // Why the row deserves a second look; empty for most rows. Shown as
        // the standard warning icon, with the reason as tooltip and
        // accessible description.
        QString warning() const { return m_rare ? m_rare->warning : QString(); }
        void setWarning(const QString& warning);

    private:
        struct Rare {
            QString tag;
            QString warning;
            // The tag is the path (sub-item 1), as with most process rows.
            bool tagIsPath = false;
        };
        void setRare(Rare rare);
        std::shared_ptr<const DeferredText> m_sub2;
        // Shared by the copies of a row, replaced (not changed) when set;
        // one for all rows whose tag is their path and that have no warning.
        std::shared_ptr<const Rare> m_rare;
    };

    explicit ListItemsModel(QObject* parent = nullptr);

    void setHeaders(const QStringList& headers);

    // Filling: between beginFill() and endFill() the item operations work
    // on a new set of rows while the views go on showing the old one.
    // endFill() sorts the new rows (when a sort is set) and hands them to
    // the views as the difference from the old ones: rows removed, inserted,
    // moved and changed (any field; a deferred sub-item by its object),
    // matched by key and start time. Only
    // rows without a key of their own (no key, or a key and start time that
    // two rows share) reset the views.
    void beginFill();
    void endFill();
    bool filling() const { return m_filling; }

    // For a list that is not on show: keeps of each row only its key and
    // start time, all that the next fill needs to be told to the views as
    // changes. The rows count as before; their texts read as empty until
    // any item operation or fill takes them up again.
    void dropTexts();

    void clear();
    int add(const QString& text);
    // Room for `rows` rows in all, so that a long fill does not move them.
    void reserve(qsizetype rows) { items().reserve(static_cast<std::size_t>(rows)); }
    int count() const { return m_filling ? static_cast<int>(m_next.size()) : rowCount(); }
    const Row& row(int i) const { return items().at(static_cast<std::size_t>(i)); }
    void setSubItem(int i, int sub, const QString& text);
    void setSubItem(int i, int sub, std::shared_ptr<const DeferredText> text);
    void setKey(int i, qint64 key);
    void setTag(int i, const QString& tag);
    void setStarted(int i, qint64 started);
    // Adds a reason to the row's warning (one line each).
    void addWarning(int i, const QString& reason);
    // Replaces the row's warning.
    void setWarning(int i, const QString& warning);
    // The row with this key and start time.
    std::optional<int> findKey(qint64 key, qint64 started) const;

    // A row's key, made from its text by the caller.
    using KeyOf = QString (*)(const QString& text);
    // The rows, in list order, whose key is exactly `key`. The caller's
    // `keyOf` decides what makes two texts alike; the model only keeps the
    // keys in a hash, rebuilt after the rows (or the key function) change,
    // so a lookup costs the same for ten rows or ten thousand.
    QVarLengthArray<int, 4> rowsWithKey(const QString& key, KeyOf keyOf) const;

    // First row, in list order, whose text equals `text` (Partial: begins
    // with it), letter case ignored; a plain walk over the rows.
    std::optional<int> findWhole(const QString& text) const;
    std::optional<int> findPartial(const QString& text) const;
    // Changes whenever the rows (or their texts) may have changed, so that a
    // caller can tell whether what it learnt of them still holds.
    quint64 revision() const { return m_revision; }

    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void sort(int column, Qt::SortOrder order) override;

private:
    // The rows the item operations work on: the new ones while filling.
    std::vector<Row>& items() { return m_filling ? m_next : rows(); }
    const std::vector<Row>& items() const { return m_filling ? m_next : rows(); }
    // The rows the views show, taken up again (with empty texts) after
    // dropTexts().
    std::vector<Row>& rows() const;
    // The row the item operations work on; ToolkitError for no such row.
    Row& rowAt(int i);
    void sortRows(std::vector<Row>& rows) const;
    void publish(std::vector<Row>&& next);
    // Puts row perm[i] at i, keeping the views' selection on its rows.
    void reorder(const std::vector<int>& perm);
    void changed();

    // The rows the views show; after dropTexts(), only their keys and start
    // times (mutable: reading the rows takes them up again).
    mutable std::vector<Row> m_rows;
    mutable std::vector<std::pair<qint64, qint64>> m_keysOnly;
    mutable bool m_textsDropped = false;
    // The rows of a fill in progress.
    std::vector<Row> m_next;
    QStringList m_headers;
    bool m_filling = false;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    // rowsWithKey's index: the first row of each key, and for every row the
    // next row with the same key (-1 at the end).
    mutable QHash<QString, int> m_index;
    mutable std::vector<int> m_nextWithKey;
    mutable KeyOf m_indexKeyOf = nullptr;
    quint64 m_revision = 0;
};

} // namespace zerva
