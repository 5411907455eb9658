// Starts a process whose program link names TRUSTED while it runs none of
// it, and prints its pid: the attack the window is checked against by hand
// (scripts/screenshot-kernel-record). It waits until killed; the forged
// process outlives it unless it ends normally.
//
//   zerva_forge_link TRUSTED
#include "posix/support/forged_link_process.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: zerva_forge_link TRUSTED\n");
        return 2;
    }
    zerva::test::ForgedLink forged(QString::fromLocal8Bit(argv[1]), true);
    if (forged.pid <= 0) {
        std::fprintf(stderr, "zerva_forge_link: could not start the child\n");
        return 1;
    }
    forged.forge();
    std::printf("%d\n", static_cast<int>(forged.pid));
    std::fflush(stdout);
    for (;;)
        ::pause();
}
