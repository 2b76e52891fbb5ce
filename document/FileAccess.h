#pragma once
// Reading and writing whole documents. Failures are raised as platform::RuntimeError with the
// program's error numbers:
//   53 the file does not exist (its folder does),
//   76 the folder does not exist (or a part of the path is not a folder),
//   75 access denied: permissions, a read-only file system, an immutable file, or a path that
//      is not a regular file (a folder, a FIFO, a socket, a device),
//    7 not enough memory for the text,
//   1000 + errno for anything else (1028 no space left on the device, 1005 I/O error, ...).

#include <QByteArray>
#include <QString>
#include <functional>

namespace FileAccess {

// The length of the file in bytes.
qint64 FileLength(const QString &path);

// The whole file in one buffer sized by its length, read once. A file that shrinks meanwhile
// gives what is left; one that grows gives its first bytes up to the length it had when opened.
QByteArray ReadWholeFile(const QString &path);

// Replaces the file with data without ever leaving a half-written file behind: the data goes to
// a temporary file in the same folder, is flushed to the disk and then renamed over the target.
// The target keeps its permissions (a new file gets 0666 less the umask); a symbolic link stays a
// link and the file it points to is replaced. On failure the old file is untouched and the
// temporary file is removed.
void SaveFile(const QString &path, const QByteArray &data);

// Bytes handed to one write() call while saving.
constexpr qint64 WriteChunk = 1 << 20;

// Test seam: called after every chunk written while saving with the bytes written so far;
// a non-zero return value is taken as the errno of a failed write.
extern std::function<int(qint64 written)> writeFaultHook;

} // namespace FileAccess
