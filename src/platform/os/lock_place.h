#pragma once

// Where an add's lock is taken, and what keeps a place from being used, for
// a refused add to say what to fix. Plain C++: each platform has its own
// implementation, chosen by CMake.

#include <string>
#include <vector>

namespace zerva {

struct LockPlace {
    enum class Fault {
        None,          // usable
        Missing,       // not there, and not ours to make
        CannotMake,    // not there, and making it failed (`error`)
        Link,          // a symbolic link, not a folder
        NotFolder,     // something else than a folder
        OtherOwner,    // another account's (`owner`, `ownerName`)
        OpenToOthers,  // group or others may enter it (`mode`)
        NotWritable,   // ours and closed, but we may not write in it (`mode`)
    };
    std::string folder;
    Fault fault = Fault::None;
    int error = 0;
    unsigned long owner = 0;
    std::string ownerName;
    unsigned mode = 0;   // permission bits
};

// The places looked at for the lock, in the order an add tries them, up to
// and with the one it takes; that last one has no fault unless it cannot be
// written. Looked at afresh, as an add would (folders it would make are
// made). None where the lock needs no folder (Windows).
std::vector<LockPlace> LockPlaces();

} // namespace zerva
