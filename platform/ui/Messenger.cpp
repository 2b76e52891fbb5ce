#include "platform/ui/Messenger.h"

#include <QApplication>

namespace platform {

const QString Messenger::Title = QStringLiteral("Jotbook");

MsgAnswer Messenger::msgBox(const QString &text, MsgButtons buttons, MsgIcon icon, int defaultButton)
{
    QWidget *owner = QApplication::activeWindow();
    if (!owner || !owner->isVisible())
        owner = m_mainWindow;
    return m_boxes.show(owner, {text, Title, icon, buttons, defaultButton});
}

} // namespace platform
