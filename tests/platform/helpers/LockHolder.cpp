// Takes a single-instance lock, says whether it was first, and holds the lock until
// its standard input closes.
#include <cstdio>

#include "platform/Platform.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const CSingleInstanceLock lock(argv[1]);
    std::puts(lock.AnotherInstanceRuns() ? "another" : "first");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    return 0;
}
