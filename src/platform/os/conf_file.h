#pragma once

// The trusted-program file as the operating system keeps it: whether it may
// be used at all, reading it whole, and rewriting it whole under a lock.
// Plain C++, one implementation per system.
//
// Whose file it is (POSIX): the file, and every symbolic link on the way to
// it, must belong to the user running the program or to root, and the file
// must not be writable by group or others, as ssh's strict modes demand.
// Otherwise anyone who can write the working folder (/tmp, a shared folder)
// could plant a list that hides programs, or a link that turns the next add
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
    Busy,         // another program held the lock too long; nothing written
    WriteFailed,  // the file holds what it held before
};

// Creates an empty file when nothing is at `path`. Anything already there (a
// file, a folder, a dangling link) stays as it is.
void CreateConfFile(const std::filesystem::path& path);

// The whole content of the file, of at most `maxBytes`.
ConfFileStatus ReadConfFile(const std::filesystem::path& path, std::size_t maxBytes, std::string& bytes);

// The new content made from the old one, or nothing to leave the file alone.
using ConfRewrite = std::function<std::optional<std::string>(const std::string& old)>;

// Rewrites the file under an exclusive lock that every Zerva takes (a lock
// on the file itself, or a named mutex; never a second file beside it),
// waiting at most `lockWait` for it. Reads the file afresh under the lock, as ReadConfFile
// does (a missing file is created empty first), hands its content to
// `rewrite` and writes what that returns; Ok also when it returns nothing.
//
// The new content replaces the old one in a single step: a new file beside
// the real one (a symbolic link is followed and stays a link) that then takes
// its name. Where the folder takes no new file, the file is written in place,
// its old content kept in memory and written back if the write fails. A file
// the user may not write is left as it is.
ConfFileStatus RewriteConfFile(const std::filesystem::path& path, std::size_t maxBytes,
                               std::chrono::milliseconds lockWait, const ConfRewrite& rewrite);

} // namespace zerva
