#pragma once

// The trusted-program file as the operating system keeps it: whether it may
// be used at all, reading it whole, and rewriting it whole under a lock.
// Plain C++, one implementation per system.
//
// Whose file it is (POSIX): the file, and every symbolic link on the way to
// it, must belong to the user running the program or to root, and the file
// must not be writable by group or others, as ssh's strict modes demand; a
// file with more than one name must be the user's own (a hard link to a file
// of root's is not a list the user wrote), and the folder that holds it must
// not be writable by others unless it is sticky (/tmp), where anyone could
// swap the file. Otherwise anyone who can write the working folder could
// plant a list that hides programs, or a link that turns the next add
// against a file of the user's. Such a file is Foreign: never read, never
// written. The file is opened first and what was opened is checked, so a
// file swapped in meanwhile can neither block nor mislead.

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace zerva {

enum class ConfFileStatus {
    Ok,
    Missing,      // nothing at the path
    Foreign,      // not the user's own: neither read nor written
    Unreadable,   // not a plain file, larger than allowed, or a read failed
    TooLarge,     // larger than allowed: neither read nor written
    Busy,         // another program held the lock too long; nothing written
    LockFailed,   // no private place for the lock; nothing written
    ReadOnly,     // no write permission for its owner (or a read-only
                  // disk): never changed, not even by root
    NoPermission, // the user may read but not write the file or its folder
    WriteFailed,  // disk full or a write failed; the file holds what it held
    Changing,     // another program kept saving the file; nothing written
};

// Creates an empty file when nothing is at `path`, with mode 0644 through the
// umask. Anything already there (a file, a folder, a dangling link) stays as
// it is.
void CreateConfFile(const std::filesystem::path& path);

// The whole content of the file, of at most `maxBytes`.
ConfFileStatus ReadConfFile(const std::filesystem::path& path, std::size_t maxBytes, std::string& bytes);

// The new content made from the old one, or nothing to leave the file alone.
using ConfRewrite = std::function<std::optional<std::string>(const std::string& old)>;

// Rewrites the file under an exclusive lock that every Zerva of the user
// takes, waiting at most `lockWait` for it (zero: one try, Busy when another
// add holds it). The lock is one that only the user can take, named after the
// file's identity (device and inode; volume serial and file index), never its
// spelling: a file in the user's private runtime folder on POSIX, a named
// mutex on Windows. Nothing new is ever left beside the file. Reads the file afresh under the lock, as ReadConfFile
// does (a missing file is created empty first), hands its content to
// `rewrite` and writes what that returns; Ok also when it returns nothing.
//
// Another program (a text editor) may save the file meanwhile; it never
// takes Zerva's lock. The file is read only once it is quiet: when its data
// changed (its modification time) less than a moment ago, the save may not
// be over (a truncate whose write is still to come), and it is read once
// that moment has passed. A file Zerva wrote whole is dated just over that
// moment back, so that adds in a row do not wait. What was read (identity,
// size, modification and change times) is checked again right before the
// file is replaced or written in place; when it changed, the file is read
// again and `rewrite` called afresh, a few times. A save caught just as the
// file is replaced gets its name back. The wait for a save to be over is
// `lockWait`, but at least just over that moment (200 ms), so the window
// freezes for no longer. Changing when the file never held still within it
// or the few tries.
//
// The new content replaces the old one in a single step: a new file beside
// the real one (a symbolic link is followed and stays a link) that then takes
// its name; a new file is made with mode 0644 through the umask and then
// takes the old file's mode. Where the folder takes no new file, the file is
// written in place, its old content kept in memory and written back if the
// write fails. A file the user may not write, or one without write
// permission for its owner, is left as it is.
ConfFileStatus RewriteConfFile(const std::filesystem::path& path, std::size_t maxBytes,
                               std::chrono::milliseconds lockWait, const ConfRewrite& rewrite);

} // namespace zerva
