#include "platform/desktop/QtPlatform.h"

#include "platform/storage/PrivateFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>

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
    // Without a runtime folder (su, cron, some ssh sessions) the locks go to a folder of the
    // user's own under the temporary folder, and where another user has taken that name, to one
    // under the user's home.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(runtime) && isPrivateFolder(runtime))
        return runtime;
    const QString fallbacks[] = {QDir::tempPath() + QStringLiteral("/jotbook-%1").arg(::geteuid()),
                                 stateFolder() + QStringLiteral("/locks")};
    for (const QString &folder : fallbacks) {
        if (makePrivateFolder(folder))
            return folder;
    }
    qWarning("Jotbook: no private folder for the running-copy check: %s", qPrintable(fallbacks[1]));
    return {};
}

LockFileInstance::LockFileInstance() : LockFileInstance(defaultFolder()) {}

LockFileInstance::LockFileInstance(const QString &folder)
{
    if (folder.isEmpty())
        return;   // no check can be made: this copy counts as the only one
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
