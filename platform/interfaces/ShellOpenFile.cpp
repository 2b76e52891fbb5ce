#include "platform/interfaces/ShellOpenFile.h"

#include "platform/interfaces/Platform.h"

namespace MdlFunctions {

bool ShellOpenFile(platform::Shell &shell, const QString &strFileName, QWidget *owner)
{
    constexpr int FileNotFound = 2;
    return shell.open(owner, strFileName) != FileNotFound;
}

} // namespace MdlFunctions
