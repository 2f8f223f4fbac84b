#include "main/instancelock.h"

#include <QLockFile>

namespace pelorin {

struct InstanceLock::Held {
    explicit Held(const QString& path) : file(path) {}
    QLockFile file;
};

InstanceLock::InstanceLock(QString path) : m_path(std::move(path)) {}

InstanceLock::~InstanceLock() = default;

bool InstanceLock::tryLock() {
    m_held = std::make_unique<Held>(m_path);
    // A lock left by a crashed run names a process that no longer exists and is taken over.
    m_held->file.setStaleLockTime(0);
    if (m_held->file.tryLock(0))
        return true;
    const bool heldByAnother = m_held->file.error() == QLockFile::LockFailedError;
    m_held.reset();
    return !heldByAnother;
}

} // namespace pelorin
