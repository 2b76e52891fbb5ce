#pragma once
// The window-chrome settings without a menu item: the translucent window's opacity as a byte
// (0 invisible, 255 opaque) and the divisor that makes it fainter while the pointer is elsewhere.

#include <QtGlobal>

struct ChromeSettings {
    qint32 RET_REG_TRANSPARENSYLEVEL = 0;
    qint32 RET_REG_TRANSPARENSYINDEX = 0;

    // The opacity in use: a stored level outside a byte's range is taken as its nearest end.
    int transparencyLevel() const { return qBound(0, RET_REG_TRANSPARENSYLEVEL, 255); }
};
