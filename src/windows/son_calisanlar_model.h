#pragma once

#include "trusted/exec_record.h"

#include <QAbstractTableModel>
#include <QString>

#include <array>
#include <cstdint>
#include <deque>

namespace zerva {

// The rows of "Son Calisanlar": the programs an ExecRecord shows, newest
// first, one column per field. Texts are made once, as a row comes, with the
// escapes of the process list (DisplayText) and drawn left to right; a path
// that mixes scripts carries the list's warning mark.
class SonCalisanlarModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Zaman, Pid, UstPid, Hesap, Ad, Program, KomutSatiri, Neden, ColumnCount };

    explicit SonCalisanlarModel(QObject* parent = nullptr);

    // Adds what `record` has shown since the last call, drops what it no
    // longer holds.
    void follow(const ExecRecord& record);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The text of a cell as written (without the drawing marks).
    QString text(int row, int column) const;
    QString warning(int row) const;

    // Why a program is shown, as the row says it.
    static QString ReasonText(const ExecRecord::Entry& entry);

private:
    struct Row {
        std::uint64_t number = 0;
        std::array<QString, ColumnCount> cells;
        QString warning;
    };
    static Row MakeRow(const ExecRecord::Entry& entry);

    std::deque<Row> m_rows;
    std::uint64_t m_serial = 0;
};

} // namespace zerva
