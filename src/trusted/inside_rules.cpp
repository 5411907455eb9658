#include "trusted/inside_rules.h"

#include <algorithm>

namespace zerva {

namespace {

// Write bits for the group and the others.
constexpr unsigned OthersWrite = 0022;

} // namespace

TrustVerdict JudgeInside(const ProcessInside& inside, const FileId& program)
{
    if (inside.tracerPid != 0)
        return TrustVerdict::Traced;
    if (inside.preload.value_or(false))
        return TrustVerdict::Preload;
    const CodeMapping* own = nullptr;
    for (const CodeMapping& m : inside.code)
        if (m.kind == CodeMapping::Kind::File && m.file == program)
            own = &m;
    if (!own)
        return TrustVerdict::ProgramNotMapped;
    for (const CodeMapping& m : inside.code)
        if (m.kind != CodeMapping::Kind::Anonymous && m.copiedKiB > 0)
            return TrustVerdict::CodeChanged;
    for (const CodeMapping& m : inside.code) {
        if (m.kind == CodeMapping::Kind::DeletedFile || m.kind == CodeMapping::Kind::Memfd)
            return TrustVerdict::ForeignCode;
        if (m.kind == CodeMapping::Kind::File
            && (!m.owner || (*m.owner != 0 && m.owner != own->owner) || (m.mode & OthersWrite) != 0))
            return TrustVerdict::ForeignCode;
    }
    // A dynamically linked program runs with its loader mapped for its
    // whole life (one replaced by an update is a deleted file, above). A
    // link forged after unmapping what really ran (often the loader
    // itself, for a program started through it) lacks it.
    if (inside.loader
        && std::none_of(inside.code.begin(), inside.code.end(), [&](const CodeMapping& m) {
               return m.kind == CodeMapping::Kind::File && m.file == *inside.loader;
           }))
        return TrustVerdict::LoaderNotMapped;
    for (const CodeMapping& m : inside.code)
        if (m.kind == CodeMapping::Kind::Anonymous)
            return TrustVerdict::AnonymousCode;
    return TrustVerdict::Trusted;
}

} // namespace zerva
