#pragma once

#include "platform/os/process_source.h"

#include <QHash>
#include <QString>

#include <optional>

namespace zerva {

// Whether a process runs the very file that a trusted entry names, for one
// refresh. A path is only a name: another mount namespace can put any file
// behind a trusted path, and the kernel then reports that path. So the file
// the entry names, as this program sees the file system, must be the file
// the process runs. Each entry's file is looked up once per refresh, at its
// first use, and a process's own file only when its path matched an entry,
// so the test costs next to nothing. Where the platform cannot tell files
// apart, every answer is yes and the path test alone decides.
class SameFile {
public:
    explicit SameFile(const ProcessSource& source) : m_source(source) {}

    bool runs(const ProcessInfo& process, const QString& entry);
    // For the process of the last runs(): the file it runs, if that could
    // be told, and whether it had ended.
    const std::optional<FileId>& running() const { return m_running; }
    bool ended() const { return m_ended; }

private:
    const ProcessSource& m_source;
    std::optional<std::int64_t> m_pid;
    std::optional<FileId> m_running;   // the file process m_pid runs
    bool m_ended = false;
    QHash<QString, std::optional<FileId>> m_entries;
};

} // namespace zerva
