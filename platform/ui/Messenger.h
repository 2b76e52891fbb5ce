#pragma once
// The program's message boxes: every question and failure the user sees is a box titled
// "Jotbook". A box belongs to the window the user is working in (a Find dialog, say), so that the
// keyboard returns there when it closes; with no such window it belongs to the main window.

#include "platform/interfaces/Platform.h"

#include <QPointer>
#include <QWidget>

namespace platform {

class Messenger {
public:
    Messenger(MessageBoxes &boxes, QWidget *mainWindow) : m_boxes(boxes), m_mainWindow(mainWindow) {}

    // text: lines joined by CR LF; defaultButton: 1-based in the order of the buttons.
    MsgAnswer msgBox(const QString &text, MsgButtons buttons, MsgIcon icon, int defaultButton = 1);

    QWidget *mainWindow() const { return m_mainWindow; }

    static const QString Title;   // "Jotbook"

private:
    MessageBoxes &m_boxes;
    QPointer<QWidget> m_mainWindow;
};

} // namespace platform
