#include "kvr_load.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace zerva::bench {

LargeKvr::LargeKvr(int entries)
{
    QTemporaryDir dir;
    dir.setAutoRemove(false);
    m_dir = dir.path();
    m_path = dir.filePath(QStringLiteral("kvr.conf"));
    QByteArray bytes;
    bytes.reserve(qsizetype(entries) * 24);
    char line[32];
    for (int i = 0; i < entries; ++i) {
        std::snprintf(line, sizeof line, "/opt/v%07d/bin/tool\r\n", i);
        bytes += line;
    }
    QFile file(m_path);
    if (file.open(QIODevice::WriteOnly))
        m_bytes = file.write(bytes);
}

LargeKvr::~LargeKvr()
{
    QDir(m_dir).removeRecursively();
}

} // namespace zerva::bench
