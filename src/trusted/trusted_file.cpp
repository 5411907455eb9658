#include "trusted/trusted_file.h"

#include "platform/controls/list_view.h"
#include "platform/os/conf_file.h"
#include "trusted/kvr_reader.h"
#include "trusted/kvr_removal.h"
#include "trusted/kvr_text.h"
#include "trusted/kvr_writer.h"
#include "trusted/lower_case.h"

#include <algorithm>
#include <system_error>

namespace zerva {

namespace {

// The same bytes, in the other type; kept apart so the file layer stays
// plain C++.
QByteArray Bytes(const std::string& bytes)
{
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

// Entries are kept in lower case. Where file names tell letter case apart,
// the lower-cased answer may name another file than the one typed, or none,
// and the trust test, which checks the very file, would never match it: such
// an answer is kept as typed.
QString StoredEntry(const QString& answer)
{
    const QString lower = LowerCase(answer);
    std::error_code error;
    const std::filesystem::path typed(answer.toStdU16String());
    if (lower == answer || !std::filesystem::exists(typed, error))
        return lower;
    return std::filesystem::equivalent(typed, std::filesystem::path(lower.toStdU16String()), error) ? lower : answer;
}

} // namespace

TrustedFile::TrustedFile(QString path) : TrustedFile(std::move(path), Limits{}) {}

TrustedFile::TrustedFile(QString path, Limits limits) : m_path(std::move(path)), m_limits(limits) {}

std::filesystem::path TrustedFile::fsPath() const
{
    return std::filesystem::path(m_path.toStdU16String());
}

void TrustedFile::createIfMissing() const
{
    CreateConfFile(fsPath());
}

TrustedFile::Read TrustedFile::readText(QString& text) const
{
    std::string bytes;
    switch (ReadConfFile(fsPath(), std::size_t(m_limits.maxBytes), bytes)) {
    case ConfFileStatus::Ok:
        return DecodeKvr(Bytes(bytes), text) ? Read::Ok : Read::Unreadable;
    case ConfFileStatus::Missing:
        return Read::Missing;
    default:
        return Read::Unreadable;
    }
}

void TrustedFile::reload(ListView& trList) const
{
    QString text;
    const bool read = readText(text) == Read::Ok;
    ListFill fill(trList);
    trList.clear();
    if (!read)
        return;
    // One entry a line, as a rule; moving a million rows as the list grows
    // would cost more than counting.
    trList.reserve(std::min(text.count(u'\n') + 1, m_limits.maxEntries));
    KvrReader reader(text);
    for (qsizetype n = 0; n < m_limits.maxEntries && !reader.atEnd(); ++n)
        trList.add(reader.next());
}

TrustedFile::AddResult TrustedFile::fitsLimits(const QByteArray& bytes) const
{
    if (bytes.size() > m_limits.maxBytes)
        return AddResult::TooLarge;
    // Whatever the edit, a file that does not decode is not written: the
    // old one did not decode either.
    QString text;
    if (!DecodeKvr(bytes, text))
        return AddResult::Unreadable;
    KvrReader reader(text);
    for (qsizetype n = 0; !reader.atEnd(); ++n) {
        if (n >= m_limits.maxEntries)
            return AddResult::Full;
        reader.next();
    }
    return AddResult::Added;
}

TrustedFile::AddResult TrustedFile::rewrite(const Edit& edit, ListView& trList, std::chrono::milliseconds lockWait) const
{
    // The old lines come from the file as it is under the lock, not from
    // trList, so that entries edited in by hand, or added by another Zerva
    // meanwhile, survive.
    AddResult result = AddResult::Added;
    const auto change = [&](const std::string& old) -> std::optional<std::string> {
        KvrText text;
        if (!text.parse(Bytes(old))) {
            result = AddResult::NotText;
            return std::nullopt;
        }
        const KvrText read = text;
        result = edit(text);
        if (result != AddResult::Added)
            return std::nullopt;
        if (!text.keepsLinesOf(read)) {
            result = AddResult::WouldLoseLines;
            return std::nullopt;
        }
        const QByteArray bytes = text.bytes();
        result = fitsLimits(bytes);
        if (result != AddResult::Added)
            return std::nullopt;
        return bytes.toStdString();
    };
    switch (RewriteConfFile(fsPath(), std::size_t(m_limits.maxBytes), lockWait, change)) {
    case ConfFileStatus::Ok:
        break;
    case ConfFileStatus::Missing:
    case ConfFileStatus::Unreadable:
        return AddResult::Unreadable;
    case ConfFileStatus::TooLarge:
        return AddResult::TooLarge;
    case ConfFileStatus::Foreign:
        return AddResult::Foreign;
    case ConfFileStatus::Busy:
        return AddResult::Busy;
    case ConfFileStatus::LockFailed:
        return AddResult::LockFailed;
    case ConfFileStatus::ReadOnly:
        return AddResult::ReadOnly;
    case ConfFileStatus::NoPermission:
        return AddResult::NoPermission;
    case ConfFileStatus::Changing:
        return AddResult::Changing;
    case ConfFileStatus::WriteFailed:
        result = AddResult::WriteFailed;
        break;
    }
    if (result != AddResult::Added && result != AddResult::WriteFailed)
        return result;
    // Mirrors the file as it now is, written or not.
    reload(trList);
    return result;
}

TrustedFile::AddResult TrustedFile::add(const QString& answer, ListView& trList, std::chrono::milliseconds lockWait) const
{
    // Refused whole rather than cut: a shorter path is another program.
    if (answer.size() > kMaxEntryLength)
        return AddResult::TooLong;
    const QString entry = StoredEntry(answer);
    if (entry.isEmpty())
        return AddResult::Empty;
    if (!KvrAcceptsNewEntry(entry))
        return AddResult::Refused;
    return rewrite([&](KvrText& text) { return text.insertEntry(0, entry) ? AddResult::Added : AddResult::Refused; },
                   trList, lockWait);
}

TrustedFile::RemoveResult TrustedFile::remove(const QStringList& listed, const QList<int>& rows, ListView& trList,
                                              std::chrono::milliseconds lockWait) const
{
    if (rows.isEmpty())
        return RemoveResult::Empty;
    KvrRemoval removal(listed, rows);
    const RemoveResult result = rewrite(
        [&](KvrText& text) {
            if (removal.apply(text))
                return RemoveResult::Removed;
            return removal.unencodable() ? RemoveResult::Refused : RemoveResult::Gone;
        },
        trList, lockWait);
    // Mirrors the file as it now is: another program took them out first.
    if (result == RemoveResult::Gone)
        reload(trList);
    return result;
}

} // namespace zerva
