#pragma once

#include <QString>

#include <cstdint>

namespace zerva {

// Why a process is listed although its path is trusted (or, for
// ProgramHidden, although nothing about it could be read). Trusted alone
// hides it.
enum class TrustVerdict : std::uint8_t {
    Trusted,
    OtherFile,         // another file runs under the trusted path
    Unreadable,        // the process could not be inspected
    LinkChanged,       // its program link changed since it was first seen
    ProgramNotMapped,  // the linked file is not mapped executable: a forged link
    Traced,            // a thread of it is traced (ptrace)
    Preload,           // LD_PRELOAD or LD_AUDIT names a library
    SystemPreload,     // /etc/ld.so.preload loads a library into every program
    CodeChanged,       // code pages of a file were changed in memory
    ForeignCode,       // code from a deleted file, a memfd, or a file others can write
    AnonymousCode,     // executable memory of no file (generated or injected code)
    ProgramHidden,     // a live process whose program cannot be read
    NotExecuted,       // the kernel executed another file for it than its link names
    LoaderNotMapped,   // the loader its program names is not mapped: a forged link
};

// Whether the verdict stays with the process for its whole life: only what
// cannot be undone. A tracer has run, changed code has run (its page copied
// on write), a link was set by hand. Every other verdict rests on what is
// there now (a library, a JIT's memory, a mapping in the middle of an
// exec) and is judged again at the next inspection.
bool IsLasting(TrustVerdict verdict);

// The text a listed row shows for its verdict, empty for Trusted.
QString WarningText(TrustVerdict verdict);

} // namespace zerva
