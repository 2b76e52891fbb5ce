#include "platform/QtPlatform.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

#include <unistd.h>

namespace platform {

namespace {

QString slotPath(const QString &folder, int slot)
{
    return folder + QStringLiteral("/jotbook-%1.lock").arg(slot);
}

std::unique_ptr<QLockFile> makeLock(const QString &path)
{
    auto lock = std::make_unique<QLockFile>(path);
    lock->setStaleLockTime(0);   // only a dead owner frees a slot, never its age
    return lock;
}

} // namespace

QString LockFileInstance::defaultFolder()
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty())
        return runtime;
    const QString folder = QDir::tempPath() + QStringLiteral("/jotbook-%1").arg(::getuid());
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return folder;
}

LockFileInstance::LockFileInstance() : LockFileInstance(defaultFolder()) {}

LockFileInstance::LockFileInstance(const QString &folder)
{
    for (int i = 0; i < SlotCount && !m_lock; ++i) {
        auto lock = makeLock(slotPath(folder, i));
        if (lock->tryLock(0)) {
            m_lock = std::move(lock);
            m_slot = i;
        }
    }
    if (!m_lock) {   // every slot is held: plenty of copies are running
        m_previous = true;
        return;
    }
    for (int i = 0; i < SlotCount && !m_previous; ++i) {
        const QString path = slotPath(folder, i);
        if (i == m_slot || !QFileInfo::exists(path))
            continue;
        auto other = makeLock(path);
        if (other->tryLock(0))
            other->unlock();   // a file left by a copy that died
        else
            m_previous = other->error() == QLockFile::LockFailedError;
    }
}

LockFileInstance::~LockFileInstance() = default;

} // namespace platform
