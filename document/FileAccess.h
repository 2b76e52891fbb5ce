#pragma once
// Reading and writing whole documents. Failures are raised as platform::RuntimeError with the
// program's error numbers (see platform/storage/SafeWrite.h): 53 no such file, 76 no such folder, 75
// access denied or not a regular file, 7 not enough memory, 1000 + errno for anything else.

#include "platform/storage/SafeWrite.h"

#include <QByteArray>
#include <QString>
#include <functional>

namespace FileAccess {

// The length of the file in bytes. A file that states a length of 0 (as the kernel's own files
// in /proc and /sys do) is read to its end, and the length is that of what was read.
qint64 FileLength(const QString &path);

// The whole file in one buffer sized by its length, read once. A file that shrinks meanwhile
// gives what is left; one that grows gives its first bytes up to the length it had when opened.
// A file that states a length of 0 is read to its end.
QByteArray ReadWholeFile(const QString &path);

// Replaces the file with data without ever leaving a half-written file behind where that can
// be done without losing what the file has; see platform::writeFileSafely.
inline platform::WriteWay SaveFile(const QString &path, const QByteArray &data)
{
    return platform::writeFileSafely(path, data);
}

// Bytes handed to one write() call while saving.
constexpr qint64 WriteChunk = platform::WriteChunk;

// Test seams of the save; see platform/storage/SafeWrite.h.
inline std::function<int(qint64 written)> &writeFaultHook = platform::writeFaultHook;

// A file of stated length 0 that holds more than this is refused as too large (error 7): such
// files are made up by the kernel, and some of them never end.
constexpr qint64 UnstatedLengthLimit = qint64(1) << 30;

} // namespace FileAccess
