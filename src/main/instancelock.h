#pragma once

#include <QString>

#include <memory>

namespace pelorin {

// The lock that keeps a second Pelorin from running on the same settings file. Once taken it is
// held until the process ends, however it ends: the system lets go of it then, so a crashed run
// leaves nothing that blocks the next one.
class InstanceLock {
public:
    explicit InstanceLock(QString path);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // False when another process holds the lock. A lock file that cannot be made at all does not
    // keep the program from running.
    bool tryLock();

private:
    struct Held;
    const QString m_path;
    std::unique_ptr<Held> m_held;
};

} // namespace pelorin
