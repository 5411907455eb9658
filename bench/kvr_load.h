#pragma once

#include <QString>

namespace zerva::bench {

// kvr.conf of `entries` lines of 22 characters and CR LF (24 bytes each) in
// a folder of its own, removed with the object.
class LargeKvr {
public:
    explicit LargeKvr(int entries);
    ~LargeKvr();
    LargeKvr(const LargeKvr&) = delete;
    LargeKvr& operator=(const LargeKvr&) = delete;

    const QString& path() const { return m_path; }
    qint64 bytes() const { return m_bytes; }

private:
    QString m_dir;
    QString m_path;
    qint64 m_bytes = 0;
};

} // namespace zerva::bench
