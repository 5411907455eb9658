#include "trusted/trusted_file.h"

#include "platform/os/conf_codec.h"
#include "platform/controls/list_view.h"
#include "trusted/kvr_reader.h"
#include "trusted/kvr_writer.h"
#include "trusted/lower_case.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace zerva {

TrustedFile::TrustedFile(QString path) : m_path(std::move(path)) {}

void TrustedFile::createIfMissing() const
{
    // NewOnly: never truncates, and fails on anything already there, a
    // dangling link included.
    QFile file(m_path);
    if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        file.close();
}

TrustedFile::Read TrustedFile::readText(QString& text) const
{
    const QFileInfo info(m_path);
    if (!info.exists() && !info.isSymLink())
        return Read::Missing;
    // Only a plain file: a directory, a pipe or a device could block or never
    // end.
    if (!info.isFile() || info.size() > kMaxBytes)
        return Read::Unreadable;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return Read::Unreadable;
    // One byte more than it should hold tells a file that grew meanwhile
    // (or one whose size means nothing, as under /proc): read in part, it
    // would lose entries at the next add.
    const qint64 limit = info.size() + 1;
    const QByteArray bytes = file.read(limit);
    if (file.error() != QFileDevice::NoError || bytes.size() >= limit)
        return Read::Unreadable;
    text = DecodeConfText(bytes);
    // Bytes that decode to nothing (a code page conversion that failed) are
    // not an empty list: an add would drop them all. A byte order mark alone
    // is.
    if (text.isEmpty() && !bytes.isEmpty() && bytes != QByteArrayLiteral("\xef\xbb\xbf"))
        return Read::Unreadable;
    return Read::Ok;
}

void TrustedFile::reload(ListView& trList) const
{
    QString text;
    const bool read = readText(text) == Read::Ok;
    ListFill fill(trList);
    trList.clear();
    if (!read)
        return;
    KvrReader reader(text);
    for (qsizetype n = 0; n < kMaxEntries && !reader.atEnd(); ++n)
        trList.add(reader.next());
}

TrustedFile::AddResult TrustedFile::add(const QString& answer, ListView& trList) const
{
    const QString entry = LowerCase(answer);
    if (entry.isEmpty())
        return AddResult::Empty;
    if (!KvrAcceptsNewEntry(entry))
        return AddResult::Refused;

    // The old entries come from the file, not from trList, so that entries
    // edited in by hand meanwhile survive.
    QStringList entries{entry};
    QString text;
    switch (readText(text)) {
    case Read::Missing:
        break;
    case Read::Unreadable:
        return AddResult::Unreadable;
    case Read::Ok: {
        KvrReader reader(text);
        while (!reader.atEnd()) {
            if (entries.size() >= kMaxEntries)
                return AddResult::Full;
            entries.push_back(reader.next());
        }
        break;
    }
    }
    text.clear();

    const std::optional<QString> content = FormatKvr(entries);
    if (!content)
        return AddResult::Refused;
    bool encoded = false;
    const QByteArray bytes = EncodeConfText(*content, &encoded);
    if (!encoded)
        return AddResult::Refused;

    bool written = false;
    // A read-only file stays as it is, even though its folder would let a
    // new file replace it.
    const QFileInfo info(m_path);
    if (!info.exists() || info.isWritable()) {
        // Unbuffered: a buffered write reports success at once, and a short
        // write at the final flush (a full disk, a file size limit) was
        // still committed, replacing the old file with a truncated one.
        QSaveFile file(m_path);
        written = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && file.write(bytes) == bytes.size()
            && file.error() == QFileDevice::NoError && file.commit();
    }
    // Mirrors the file as it now is, written or not.
    reload(trList);
    return written ? AddResult::Added : AddResult::WriteFailed;
}

} // namespace zerva
