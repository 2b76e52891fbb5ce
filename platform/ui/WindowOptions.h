#pragma once
// How a window sits on the desktop: in the topmost band or not, and how opaque it is.

class QWidget;

namespace platform::WindowOptions {

// Puts the window into the topmost band (onTop) or takes it out, keeping its position and size.
// The native window is changed in place, not recreated, so it keeps its id and the focus.
// Returns false when there is no window.
bool SetTopMost(QWidget *window, bool onTop);

// Makes the window plain (off) or translucent with the given opacity byte, 0 invisible to 255
// opaque; values outside 0..255 are clamped to that range.
void SetTransparency(QWidget *mainWindow, int alpha, bool off);

} // namespace platform::WindowOptions
