#pragma once

#include <QString>
#include <QStringList>

#include <chrono>
#include <filesystem>
#include <functional>

namespace zerva {

class KvrText;
class ListView;

// The trusted-program file on disk and the list that mirrors it. Each call
// opens and closes the file itself; nothing stays open in between.
//
// The file is never left half-written and never loses an entry: an add
// re-reads it under a lock that every Zerva of the user takes, a new content
// replaces the old one in a single step (or, in a folder that takes no new
// file, is written in place with the old content put back on failure), and
// when the old file cannot be read in full, nothing is written at all. A
// file that is not the user's own (see conf_file.h) is neither read nor
// written; nor is one without write permission for its owner. Nothing is
// written that a later reload would not read back whole: a result beyond
// the limits is refused. A change keeps every line it does not touch byte for
// byte, in the file's own encoding (kvr_text.h), and is not written unless
// the new text holds every line read but those it took out.
//
// A text editor saving the file meanwhile takes no lock: the file is read
// only once no save is under way, and replaced only while it is still what
// was read; otherwise it is read again and the one change made afresh, or,
// when it keeps changing, left alone (Changing). See conf_file.h.
class TrustedFile {
public:
    // Resolved against the working directory at each call.
    static constexpr const char* kName = "kvr.conf";

    // Larger files are not anybody's list of programs; they are neither read
    // nor replaced, so that a hostile file costs no memory.
    static constexpr qint64 kMaxBytes = 64 * 1024 * 1024;
    static constexpr qsizetype kMaxEntries = 1'000'000;
    // The longest path Windows takes; a longer answer names no program.
    static constexpr qsizetype kMaxEntryLength = 32'767;
    // How long an add waits for another Zerva's add to finish. Only someone
    // who holds the lock on purpose makes it wait that long.
    static constexpr std::chrono::milliseconds kLockWait{5'000};

    struct Limits {
        qint64 maxBytes = kMaxBytes;
        qsizetype maxEntries = kMaxEntries;
    };

    // In every case but Added (and WriteFailed, whose file holds what it
    // held) the file is not touched.
    // What an add or a removal did: Added (Removed) when the file was
    // written, otherwise why it was left as it was.
    enum class AddResult {
        Added,
        Removed = Added,
        Empty,        // Cancel or an empty answer: the file is not opened
        Refused,      // no line can hold the answer
        TooLong,      // longer than kMaxEntryLength
        NotText,      // NUL bytes, and no UTF-16 with a byte order mark
        Unreadable,   // the old entries could not all be read
        TooLarge,     // the file, or the file after the add, is beyond maxBytes
        Full,         // the file after the add would hold more than maxEntries
        Foreign,      // not the user's own file: left alone
        ReadOnly,     // no write permission for its owner, or a read-only disk
        NoPermission, // the user may not write the file or its folder
        Busy,         // another add held the lock for the whole wait
        LockFailed,   // no private place for the lock
        WriteFailed,  // disk full or a write failed; the old file stays
        Gone,         // a removal: none of the chosen entries is in the file any more
        Changing,     // another program kept saving the file
        WouldLoseLines, // the change would have dropped or altered a line it did not touch
    };
    using RemoveResult = AddResult;

    // Changes the file's lines; Added to write the result, anything else to
    // leave the file alone with that result.
    using Edit = std::function<AddResult(KvrText& text)>;

    explicit TrustedFile(QString path = QString::fromLatin1(kName));
    TrustedFile(QString path, Limits limits);

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
    AddResult add(const QString& answer, ListView& trList, std::chrono::milliseconds lockWait = kLockWait) const;

    // Rewrites the file with what `edit` makes of its lines, under the rules
    // of add: the lock (waiting at most `lockWait`, zero for one try), the
    // owner and mode checks, the limits, a single-step replace; then reloads
    // `trList` when something was written.
    AddResult rewrite(const Edit& edit, ListView& trList, std::chrono::milliseconds lockWait = kLockWait) const;

    // Takes the entries at `rows` of `listed` (the entries as they were
    // listed, in file order) out of the file, all in one rewrite with the
    // same lock and guarantees as an add, then reloads `trList`. They are
    // found by their text under the lock, not by position: see KvrRemoval.
    RemoveResult remove(const QStringList& listed, const QList<int>& rows, ListView& trList,
                        std::chrono::milliseconds lockWait = kLockWait) const;

    const QString& path() const { return m_path; }

private:
    enum class Read { Ok, Missing, Unreadable };
    // The decoded text of the file.
    Read readText(QString& text) const;
    // Whether a reload would read back all of `bytes`.
    AddResult fitsLimits(const QByteArray& bytes) const;
    std::filesystem::path fsPath() const;

    QString m_path;
    Limits m_limits;
};

} // namespace zerva
