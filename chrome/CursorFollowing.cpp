#include "chrome/CursorFollowing.h"

#include "chrome/ChromeSettings.h"
#include "platform/interfaces/Platform.h"
#include "platform/ui/WindowGeometry.h"
#include "platform/ui/WindowOptions.h"

#include <QAction>
#include <QTimer>
#include <QWidget>

int dimmedLevel(int level, int index)
{
    if (index == 0)
        return level;
    const double dimmed = platform::roundHalfEven(level - double(level) / index);
    return int(qBound(0.0, dimmed, 255.0));
}

CursorFollowing::CursorFollowing(const Context &context, QObject *parent)
    : QObject(parent)
    , c(context)
    , TCheckMouse(new QTimer(this))
{
    TCheckMouse->setObjectName(QStringLiteral("TCheckMouse"));
    TCheckMouse->setInterval(25);
    connect(TCheckMouse, &QTimer::timeout, this, &CursorFollowing::CheckMousePosition);
    connect(c.mnuTransparensy, &QAction::toggled, this, &CursorFollowing::optionsChanged);
    connect(c.mnuCheckMouse, &QAction::toggled, this, &CursorFollowing::optionsChanged);
}

void CursorFollowing::start()
{
    m_running = true;
    optionsChanged();
}

void CursorFollowing::stop()
{
    m_running = false;
    TCheckMouse->stop();
}

bool CursorFollowing::following() const
{
    return m_running && c.mnuTransparensy->isChecked() && c.mnuCheckMouse->isChecked();
}

void CursorFollowing::optionsChanged()
{
    if (following()) {
        if (!TCheckMouse->isActive()) {
            TCheckMouse->start();
            CheckMousePosition();
        }
        return;
    }
    TCheckMouse->stop();
    // A window left faint would stay so until the options are next applied.
    if (m_running && c.mnuTransparensy->isChecked())
        platform::WindowOptions::SetTransparency(c.window, c.settings.transparencyLevel(), false);
}

void CursorFollowing::CheckMousePosition()
{
    if (!following())
        return;
    const QRect outer = c.window->frameGeometry();
    const QPoint p = c.pointer.position();
    const int right = outer.left() + outer.width();
    const int bottom = outer.top() + outer.height();
    const bool inside = outer.left() < p.x() && p.x() < right && outer.top() < p.y() && p.y() < bottom;
    const int level = c.settings.transparencyLevel();
    // Unchanged opacity costs nothing: SetTransparency leaves the window alone then.
    platform::WindowOptions::SetTransparency(
        c.window, inside ? level : dimmedLevel(level, c.settings.RET_REG_TRANSPARENSYINDEX), false);
}
