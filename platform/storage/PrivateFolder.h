#pragma once
// The folders of the program's own state (the running-copy locks, the recovery copies) are the
// user's alone. A missing one is made open to the user alone; an existing one is used only when
// lstat shows a real folder (no link in its place) that belongs to the user and that nobody else
// may enter (mode 0700), as Qt checks its runtime folder. So another user cannot make such a
// folder first, or put a link at its name, and leave files there for the program to find.

#include <QString>

namespace platform {

// True when the folder passes the check above; err, when given, receives the errno of a failure
// (ENOTDIR: no folder or a link; EPERM: not the user's or open to others).
bool isPrivateFolder(const QString &folder, int *err = nullptr);
// Makes the folder and each missing parent with mode 0700 (existing parents stay as they are);
// true when the folder then passes the check.
bool makePrivateFolder(const QString &folder, int *err = nullptr);

// $XDG_STATE_HOME/Jotbook, or ~/.local/state/Jotbook when the variable is not set or not an
// absolute path.
QString stateFolder();

} // namespace platform
