#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/Platform.h"

namespace {

// The name becomes one file name; a '/' in it must not make a path.
std::string LockFileName(std::string_view name) {
    std::string file(name);
    for (char& c : file)
        if (c == '/') c = '_';
    return file + ".lock";
}

}  // namespace

CSingleInstanceLock::CSingleInstanceLock(std::string_view name) {
    const std::string path = RuntimeFolder() + LockFileName(name);
    m_fd = open(path.c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0600);
    if (m_fd < 0) {
        DebugOutput("CSingleInstanceLock: cannot open " + path + "\n");
        return;  // no lock at all: run as the first instance
    }
    int rc = 0;
    do {
        rc = flock(m_fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0) return;
    m_otherRuns = errno == EWOULDBLOCK;
    close(m_fd);
    m_fd = -1;
}

// Closing the descriptor releases the lock; a crash releases it the same way.
CSingleInstanceLock::~CSingleInstanceLock() {
    if (m_fd >= 0) close(m_fd);
}
