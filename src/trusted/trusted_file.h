#pragma once

#include <QString>
#include <QStringList>

#include <chrono>
#include <filesystem>

namespace zerva {

class ListView;

// The trusted-program file on disk and the list that mirrors it. Each call
// opens and closes the file itself; nothing stays open in between.
//
// The file is never left half-written and never loses an entry: an add
// re-reads it under a lock that every Zerva takes, a new content replaces the
// old one in a single step (or, in a folder that takes no new file, is
// written in place with the old content put back on failure), and when the
// old file cannot be read in full, nothing is written at all. A file that is
// not the user's own (see conf_file.h) is neither read nor written.
class TrustedFile {
public:
    // Resolved against the working directory at each call.
    static constexpr const char* kName = "kvr.conf";

    // Larger files are not anybody's list of programs; they are neither read
    // nor replaced, so that a hostile file costs no memory.
    static constexpr qint64 kMaxBytes = 64 * 1024 * 1024;
    static constexpr qsizetype kMaxEntries = 1'000'000;
    // How long an add waits for another Zerva's add to finish. Only someone
    // who holds the lock on purpose makes it wait that long.
    static constexpr std::chrono::milliseconds kLockWait{10'000};

    enum class AddResult {
        Added,
        Empty,        // Cancel or an empty answer: the file is not opened
        Refused,      // no line can hold the answer
        Unreadable,   // the old entries could not all be read
        Foreign,      // not the user's own file: left alone
        Busy,         // another program held the lock for kLockWait
        Full,         // the file holds kMaxEntries entries already
        WriteFailed,  // the old file stays as it was
    };

    enum class RemoveResult {
        Removed,
        Empty,        // nothing chosen: the file is not opened
        Gone,         // none of them is in the file any more: nothing written
        Refused,      // the entries left cannot be encoded
        Unreadable,
        Foreign,
        Busy,
        WriteFailed,
    };

    explicit TrustedFile(QString path = QString::fromLatin1(kName));

    // Creates the file empty when nothing is there. Anything that is there
    // (a read-only file, a directory, a dangling link) stays as it is.
    void createIfMissing() const;

    // Replaces the items of `trList` with the entries of the file, in file
    // order; with none when the file cannot be read or is not the user's own
    // (only entries actually read are ever listed, and none hides a process). A file of more than kMaxEntries entries gives
    // its first kMaxEntries.
    void reload(ListView& trList) const;

    // The add command after its input box: lower-cases `answer` (unless that
    // would name another file than the existing one typed) and writes it as
    // the first entry, the file's entries following in their order, then
    // reloads `trList`. When the answer is empty or refused, or the file cannot
    // be read or is not the user's own, nothing is written and `trList` stays
    // unchanged.
    AddResult add(const QString& answer, ListView& trList) const;

    // Takes the entries at `rows` of `listed` (the entries as they were
    // listed, in file order) out of the file, all in one rewrite with the
    // same lock and guarantees as an add, then reloads `trList`. They are
    // found by their text under the lock, not by position: see KvrRemoval.
    RemoveResult remove(const QStringList& listed, const QList<int>& rows, ListView& trList) const;

    const QString& path() const { return m_path; }

private:
    enum class Read { Ok, Missing, Unreadable };
    // The decoded text of the file.
    Read readText(QString& text) const;
    static Read decode(const QByteArray& bytes, QString& text);
    std::filesystem::path fsPath() const;

    QString m_path;
};

} // namespace zerva
