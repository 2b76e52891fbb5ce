#include "platform/ShellOpenFile.h"

#include "platform/Platform.h"

namespace MdlFunctions {

bool ShellOpenFile(platform::Shell &shell, const QString &strFileName, QWidget *owner)
{
    constexpr int FileNotFound = 2;
    return shell.open(owner, strFileName) != FileNotFound;
}

} // namespace MdlFunctions
