#include "trusted/trusted_file.h"

#include "platform/controls/list_view.h"
#include "platform/os/conf_codec.h"
#include "platform/os/conf_file.h"
#include "trusted/kvr_reader.h"
#include "trusted/kvr_removal.h"
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

TrustedFile::TrustedFile(QString path) : m_path(std::move(path)) {}

std::filesystem::path TrustedFile::fsPath() const
{
    return std::filesystem::path(m_path.toStdU16String());
}

void TrustedFile::createIfMissing() const
{
    CreateConfFile(fsPath());
}

TrustedFile::Read TrustedFile::decode(const QByteArray& bytes, QString& text)
{
    text = DecodeConfText(bytes);
    // Bytes that decode to nothing (a code page conversion that failed) are
    // not an empty list: an add would drop them all. A byte order mark alone
    // is.
    if (text.isEmpty() && !bytes.isEmpty() && bytes != QByteArrayLiteral("\xef\xbb\xbf"))
        return Read::Unreadable;
    return Read::Ok;
}

TrustedFile::Read TrustedFile::readText(QString& text) const
{
    std::string bytes;
    switch (ReadConfFile(fsPath(), std::size_t(kMaxBytes), bytes)) {
    case ConfFileStatus::Ok:
        return decode(Bytes(bytes), text);
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
    trList.reserve(std::min(text.count(u'\n') + 1, kMaxEntries));
    KvrReader reader(text);
    for (qsizetype n = 0; n < kMaxEntries && !reader.atEnd(); ++n)
        trList.add(reader.next());
}

TrustedFile::AddResult TrustedFile::add(const QString& answer, ListView& trList) const
{
    const QString entry = StoredEntry(answer);
    if (entry.isEmpty())
        return AddResult::Empty;
    if (!KvrAcceptsNewEntry(entry))
        return AddResult::Refused;

    // The old entries come from the file as it is under the lock, not from
    // trList, so that entries edited in by hand, or added by another Zerva
    // meanwhile, survive.
    AddResult result = AddResult::Added;
    const auto rewrite = [&](const std::string& old) -> std::optional<std::string> {
        QStringList entries{entry};
        QString text;
        if (decode(Bytes(old), text) != Read::Ok) {
            result = AddResult::Unreadable;
            return std::nullopt;
        }
        KvrReader reader(text);
        while (!reader.atEnd()) {
            if (entries.size() >= kMaxEntries) {
                result = AddResult::Full;
                return std::nullopt;
            }
            entries.push_back(reader.next());
        }
        text.clear();
        const std::optional<QString> content = FormatKvr(entries);
        bool encoded = false;
        const QByteArray bytes = content ? EncodeConfText(*content, &encoded) : QByteArray();
        if (!encoded) {
            result = AddResult::Refused;
            return std::nullopt;
        }
        return bytes.toStdString();
    };
    switch (RewriteConfFile(fsPath(), std::size_t(kMaxBytes), kLockWait, rewrite)) {
    case ConfFileStatus::Ok:
        break;
    case ConfFileStatus::Foreign:
        return AddResult::Foreign;
    case ConfFileStatus::Busy:
        return AddResult::Busy;
    case ConfFileStatus::WriteFailed:
        result = AddResult::WriteFailed;
        break;
    default:
        return AddResult::Unreadable;
    }
    if (result != AddResult::Added && result != AddResult::WriteFailed)
        return result;
    // Mirrors the file as it now is, written or not.
    reload(trList);
    return result;
}

TrustedFile::RemoveResult TrustedFile::remove(const QStringList& listed, const QList<int>& rows,
                                              ListView& trList) const
{
    if (rows.isEmpty())
        return RemoveResult::Empty;
    KvrRemoval removal(listed, rows);
    RemoveResult result = RemoveResult::Removed;
    const auto rewrite = [&](const std::string& old) -> std::optional<std::string> {
        const QByteArray bytes = Bytes(old);
        QString text;
        if (decode(bytes, text) != Read::Ok) {
            result = RemoveResult::Unreadable;
            return std::nullopt;
        }
        const std::optional<QByteArray> content = removal.apply(bytes, text);
        if (!content) {
            result = removal.unencodable() ? RemoveResult::Refused : RemoveResult::Gone;
            return std::nullopt;
        }
        return content->toStdString();
    };
    switch (RewriteConfFile(fsPath(), std::size_t(kMaxBytes), kLockWait, rewrite)) {
    case ConfFileStatus::Ok:
        break;
    case ConfFileStatus::Foreign:
        return RemoveResult::Foreign;
    case ConfFileStatus::Busy:
        return RemoveResult::Busy;
    case ConfFileStatus::WriteFailed:
        result = RemoveResult::WriteFailed;
        break;
    default:
        return RemoveResult::Unreadable;
    }
    // Mirrors the file as it now is, also when nothing was written.
    if (result != RemoveResult::Refused && result != RemoveResult::Unreadable)
        reload(trList);
    return result;
}

} // namespace zerva
