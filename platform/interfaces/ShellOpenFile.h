#pragma once

#include <QString>

class QWidget;
namespace platform { class Shell; }

namespace MdlFunctions {
// Asks the shell to open the file; false only when the shell reports the file as not found.
bool ShellOpenFile(platform::Shell &shell, const QString &strFileName, QWidget *owner);
}
