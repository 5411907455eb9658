#pragma once

#include "platform/controls/list_items_model.h"

#include <QTreeView>

#include <optional>

namespace zerva {

// A report-style list view with the item operations the windows use:
// ListItems.Clear/Add/Count, item text and sub-items, SelectedItem, FindItem,
// and a DblClick event. Item indexes are 0-based.
class ListView : public QTreeView {
    Q_OBJECT
public:
    enum class Match { WholeWord = 0, Partial = 1 };

    explicit ListView(QWidget* parent = nullptr);

    void setColumns(const QStringList& headers);

    void clear();
    int add(const QString& text);
    void reserve(qsizetype items) { m_model->reserve(items); }
    int count() const { return m_model->count(); }
    QString text(int item) const;
    QString subItem(int item, int sub) const;
    void setSubItem(int item, int sub, const QString& text);
    // Sub-item 2 only: made when it is read.
    void setSubItem(int item, int sub, std::shared_ptr<const DeferredText> text)
    {
        m_model->setSubItem(item, sub, std::move(text));
    }
    // A row's hidden key, a process's id, and when that process started
    // (-1: unknown): together they name the process, and a refresh keeps a
    // row (and its selection) while they stay the same.
    void setKey(int item, qint64 key);
    void setStarted(int item, qint64 started) { m_model->setStarted(item, started); }
    qint64 started(int item) const { return m_model->row(item).started; }
    void addWarning(int item, const QString& reason) { m_model->addWarning(item, reason); }
    QString warning(int item) const { return m_model->row(item).warning(); }
    qint64 key(int item) const;
    // The item's Tag: a text kept with it and not shown.
    void setTag(int item, const QString& tag);
    QString tag(int item) const;
    // Why the row deserves a second look; see ListItemsModel::Row::warning.
    void setWarning(int item, const QString& warning);

    // The selected item, or nothing.
    std::optional<int> selectedItem() const;
    // The first item, in list order, whose text matches `text` (whole text or
    // beginning), letter case ignored.
    std::optional<int> findItem(const QString& text, Match match) const;

    // Geometry in pixels. A negative size is refused with ToolkitError and
    // leaves the control as it was.
    void setHeightPx(int height);
    void setWidthPx(int width);
    void movePx(int left, int top);

    // Filling with updates suspended; see ListItemsModel.
    void beginFill() { m_model->beginFill(); }
    void endFill() { m_model->endFill(); }
    // While not on show; see ListItemsModel::dropTexts.
    void dropTexts() { m_model->dropTexts(); }

    // Takes over another list's sort order (before a fill), and its selected
    // process and scroll position (after it), so a swap of the double buffer
    // is not noticed by the user.
    void adoptSort(const ListView& other);
    void adoptSelection(const ListView& other);
    void adoptScroll(const ListView& other);

    const ListItemsModel& items() const { return *m_model; }

Q_SIGNALS:
    void DblClick();
    // A context menu is asked for at `globalPos` (right click, or the menu
    // key) over `item`: the row under the pointer, or for the menu key the
    // selected one; none over no row.
    void ContextMenu(std::optional<int> item, const QPoint& globalPos);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void checkItem(int item) const;

    ListItemsModel* m_model;
};

// RAII fill of a list view.
class ListFill {
public:
    explicit ListFill(ListView& list) : m_list(list) { m_list.beginFill(); }
    ~ListFill() { m_list.endFill(); }
    ListFill(const ListFill&) = delete;
    ListFill& operator=(const ListFill&) = delete;
private:
    ListView& m_list;
};

} // namespace zerva
