#include "main/instancelock.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace pelorin {

// A lock the system holds on an open file. Qt's lock file would also write the file and wait for
// the disk to confirm it, which costs each start milliseconds where the runtime folder is on a
// disk, for a lock the system drops by itself.
struct InstanceLock::Held {
    int fd = -1;
    ~Held() {
        if (fd >= 0)
            ::close(fd);
    }
};

InstanceLock::InstanceLock(QString path) : m_path(std::move(path)) {}

InstanceLock::~InstanceLock() = default;

bool InstanceLock::tryLock() {
    auto held = std::make_unique<Held>();
    held->fd = ::open(QFile::encodeName(m_path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (held->fd < 0)
        return true;
    // A lock on the open file, not on the process: two opens in one process exclude each other.
    if (::flock(held->fd, LOCK_EX | LOCK_NB) != 0)
        return errno != EWOULDBLOCK;
    m_held = std::move(held);
    return true;
}

} // namespace pelorin
