#pragma once
// Writing a whole file so that a failure, a kill or a full disk never leaves a broken one, for
// documents and for the settings file alike. Failures are raised as platform::RuntimeError with
// the program's error numbers:
//   53 the file does not exist (its folder does),
//   76 the folder does not exist (or a part of the path is not a folder),
//   75 access denied: permissions, a read-only file system, an immutable file, or a path that
//      is not a regular file (a folder, a FIFO, a socket, a device),
//    7 not enough memory,
//   1000 + errno for anything else (1028 no space left on the device, 1005 I/O error, ...).

#include <QByteArray>
#include <QString>
#include <functional>

namespace platform {

enum class WriteWay {
    // The data went to a new file beside the target that then took the target's place: an
    // interrupted save leaves the old file whole.
    Replaced,
    // The target could not be replaced without losing something it has (its owner or group, its
    // other hard links, its attributes) or without a new entry in its folder, which is closed to
    // new entries: the file itself was overwritten. The space is reserved before the first byte
    // is written, so a full disk leaves the old contents; an interruption during the write can
    // leave a mix of old and new.
    InPlace,
};

// Replaces the contents of the file at path with data and flushes them to the disk. A symbolic
// link stays a link and the file it names is written. An existing file keeps its permissions,
// owner, group, extended attributes and hard links; a new one gets newFileMode less the umask. The
// temporary copy never has group or other permissions before it becomes the target, has no name
// while it is being written, and a copy that a killed save left behind is removed by the next
// save of that file.
WriteWay writeFileSafely(const QString &path, const QByteArray &data, unsigned newFileMode = 0666);

// Puts a new file with exactly these permissions, flushed to the disk, in the place of whatever
// has the name: an old file is replaced, never written (its permissions do not carry over), and a
// symbolic link is replaced itself, never followed. A failure leaves the old entry as it was.
void writeNewFile(const QString &path, const QByteArray &data, unsigned mode);

// The program's number for an errno met while opening, reading or writing the file at path
// (a native path; the folder is looked at to tell 53 from 76).
int fileErrorCode(int err, const QByteArray &path);
[[noreturn]] void throwFileError(int err, const QByteArray &path);

// Bytes handed to one write() call.
constexpr qint64 WriteChunk = 1 << 20;

// Test seams. writeFaultHook is called after every chunk written with the bytes written so far;
// a non-zero return value is taken as the errno of a failed write. With useUnnamedTemporary
// false the temporary copy is created under its name from the start, as on file systems that
// have no unnamed files.
extern std::function<int(qint64 written)> writeFaultHook;
extern bool useUnnamedTemporary;

} // namespace platform
