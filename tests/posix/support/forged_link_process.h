#pragma once

#include <QString>

#include <sys/types.h>

namespace zerva::test {

// A child of this test that, once told, makes its program link name
// `trusted` while it runs none of it (ForgeProgramLink), with the file
// mapped executable when `mapTrusted`. The destructor kills and reaps it.
struct ForgedLink {
    pid_t pid = -1;
    int go = -1;
    explicit ForgedLink(const QString& trusted, bool mapTrusted = false);
    ForgedLink(const ForgedLink&) = delete;
    ForgedLink& operator=(const ForgedLink&) = delete;
    void forge() const;
    ~ForgedLink();
};

} // namespace zerva::test
