#include "windows/son_calisanlar_model.h"

#include "platform/controls/left_to_right.h"
#include "process/display_text.h"
#include "trusted/mixed_script.h"

#include <QApplication>
#include <QDateTime>
#include <QIcon>
#include <QStyle>

#include <algorithm>
#include <vector>

namespace zerva {

namespace {

QString Optional(const std::optional<std::string>& value)
{
    return value ? DisplayText(*value) : QString();
}

} // namespace

SonCalisanlarModel::SonCalisanlarModel(QObject* parent) : QAbstractTableModel(parent) {}

// Every row ended before a refresh listed it (the window says so above
// the rows); the reason says why it is not one of those only counted.
QString SonCalisanlarModel::ReasonText(const ExecRecord::Entry& entry)
{
    if (entry.exec.replaced)
        return QStringLiteral("okunamadan baska program calistirdi");
    switch (entry.judgement) {
    case ExecRecord::Judgement::NoPath: return QStringLiteral("programi okunamadi");
    case ExecRecord::Judgement::OtherFile: return QStringLiteral("guvenilir yolda baska dosya");
    case ExecRecord::Judgement::NotTrusted:
    case ExecRecord::Judgement::Trusted: break;
    }
    return QStringLiteral("guvenilir degil");
}

SonCalisanlarModel::Row SonCalisanlarModel::MakeRow(const ExecRecord::Entry& entry)
{
    const ExecSeen& e = entry.exec;
    Row row;
    row.number = entry.number;
    const qint64 ms = std::chrono::duration_cast<std::chrono::milliseconds>(e.when.time_since_epoch()).count();
    row.cells[Zaman] = QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("HH:mm:ss.zzz"));
    row.cells[Pid] = QString::number(e.pid);
    row.cells[UstPid] = e.parentPid ? QString::number(e.parentPid) : QString();
    if (e.user)
        row.cells[Hesap] = e.account ? DisplayText(*e.account) + QStringLiteral(" (") + QString::number(*e.user)
                + u')'
                                     : QString::number(*e.user);
    row.cells[Ad] = Optional(e.name);
    row.cells[Program] = Optional(e.path);
    row.cells[KomutSatiri] = Optional(e.commandLine);
    row.cells[Neden] = ReasonText(entry);
    row.warning = MixedScriptReason(row.cells[Program]);
    return row;
}

void SonCalisanlarModel::follow(const ExecRecord& record)
{
    // The oldest rows are at the end.
    const std::uint64_t oldest = record.oldestNumber();
    std::size_t keep = m_rows.size();
    while (keep > 0 && m_rows[keep - 1].number < oldest)
        --keep;
    if (keep < m_rows.size()) {
        beginRemoveRows(QModelIndex(), static_cast<int>(keep), static_cast<int>(m_rows.size()) - 1);
        m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(keep), m_rows.end());
        endRemoveRows();
    }
    std::vector<Row> fresh;
    m_serial = record.shownAfter(m_serial, [&](const ExecRecord::Entry& e) { fresh.push_back(MakeRow(e)); });
    if (fresh.empty())
        return;
    std::sort(fresh.begin(), fresh.end(), [](const Row& a, const Row& b) { return a.number > b.number; });
    if (m_rows.empty() || fresh.back().number > m_rows.front().number) {
        beginInsertRows(QModelIndex(), 0, static_cast<int>(fresh.size()) - 1);
        m_rows.insert(m_rows.begin(), std::make_move_iterator(fresh.begin()), std::make_move_iterator(fresh.end()));
        endInsertRows();
        return;
    }
    // Judged out of order (one read late): placed by number.
    beginResetModel();
    for (Row& r : fresh)
        m_rows.push_back(std::move(r));
    std::sort(m_rows.begin(), m_rows.end(), [](const Row& a, const Row& b) { return a.number > b.number; });
    endResetModel();
}

int SonCalisanlarModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int SonCalisanlarModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString SonCalisanlarModel::text(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= ColumnCount)
        return QString();
    return m_rows[static_cast<std::size_t>(row)].cells[static_cast<std::size_t>(column)];
}

QString SonCalisanlarModel::warning(int row) const
{
    if (row < 0 || row >= rowCount())
        return QString();
    return m_rows[static_cast<std::size_t>(row)].warning;
}

QVariant SonCalisanlarModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= ColumnCount)
        return {};
    const Row& r = m_rows[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        // Drawn in the order it is written, as the process list does.
        return LeftToRight(r.cells[static_cast<std::size_t>(index.column())]);
    case Qt::AccessibleTextRole:
        return r.cells[static_cast<std::size_t>(index.column())];
    case Qt::DecorationRole:
        if (index.column() == 0 && !r.warning.isEmpty())
            return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
        return {};
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole:
        if (!r.warning.isEmpty())
            return r.warning;
        return {};
    default:
        return {};
    }
}

QVariant SonCalisanlarModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char* const names[ColumnCount] = {"Zaman", "PID", "Ust PID", "Hesap", "Ad", "Program",
                                                   "Komut Satiri", "Neden"};
    if (section < 0 || section >= ColumnCount)
        return {};
    return QString::fromLatin1(names[section]);
}

} // namespace zerva
