#pragma once

#include "platform/os/conf_file.h"
#include "platform/os/lock_place.h"

#include <sys/types.h>

#include <string>

namespace zerva {

// The lock that keeps the adds of one user's Zervas to one file apart: a
// lock file in a folder only the user can reach ($XDG_RUNTIME_DIR, else
// ~/.cache/zerva, else /tmp/zerva-UID, each taken only when it is the
// user's own and closed to others), named after the device and inode of the
// file. Whoever can merely read the file cannot take it, so nobody else can
// hold up an add.
//
// The lock file goes when its lock is released; whoever then gets a lock on
// the removed file sees that and starts over, so two holders never overlap.
class AddLock {
public:
    AddLock() = default;
    AddLock(const AddLock&) = delete;
    AddLock& operator=(const AddLock&) = delete;
    ~AddLock();

    // One try: Ok when taken, Busy when another holds it, LockFailed when
    // there is no private folder to take it in.
    ConfFileStatus tryTake(dev_t device, ino_t inode);
    // Gives it up; a later tryTake may take another.
    void release();

private:
    int m_dir = -1;
    int m_fd = -1;
    std::string m_name;
};

// One folder looked at as a place for the lock, without making it: what
// LockPlaces() says of it.
LockPlace LookAtLockPlace(const std::string& folder);

} // namespace zerva
