#include "platform/ui/WindowOptions.h"

#include <QWidget>
#include <QWindow>

namespace platform::WindowOptions {

bool SetTopMost(QWidget *window, bool onTop)
{
    if (!window)
        return false;
    Qt::WindowFlags flags = window->windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, onTop);
    if (flags == window->windowFlags())
        return true;
    // setWindowFlag() would destroy and recreate the native window (new id, flicker, focus lost).
    window->overrideWindowFlags(flags);
    if (QWindow *handle = window->windowHandle())
        handle->setFlags(flags);
    return true;
}

void SetTransparency(QWidget *mainWindow, int alpha, bool off)
{
    if (!mainWindow)
        return;
    const qreal opacity = off ? 1.0 : qBound(0, alpha, 255) / 255.0;
    if (mainWindow->windowOpacity() != opacity)
        mainWindow->setWindowOpacity(opacity);
}

} // namespace platform::WindowOptions
