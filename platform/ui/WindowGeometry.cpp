#include "platform/ui/WindowGeometry.h"

#include "platform/interfaces/RuntimeError.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace platform {

namespace {
QScreen *primary() { return QGuiApplication::primaryScreen(); }

int toPixels(double twips, double perPixel)
{
    double px = roundHalfEven(twips / perPixel);
    if (!std::isfinite(px) || px < -WindowGeometry::MaxPixels || px > WindowGeometry::MaxPixels)
        throw RuntimeError(ErrorCode::InvalidValue);
    return int(px);
}
} // namespace

double roundHalfEven(double value)
{
    return std::nearbyint(value);   // the default rounding mode is to nearest, ties to even
}

double WindowGeometry::twipsPerPixelX()
{
    QScreen *s = primary();
    double dpi = s ? s->logicalDotsPerInchX() : 96.0;
    return 1440.0 / (dpi > 0 ? dpi : 96.0);
}

double WindowGeometry::twipsPerPixelY()
{
    QScreen *s = primary();
    double dpi = s ? s->logicalDotsPerInchY() : 96.0;
    return 1440.0 / (dpi > 0 ? dpi : 96.0);
}

double WindowGeometry::screenWidth()
{
    QScreen *s = primary();
    return (s ? s->geometry().width() : 0) * twipsPerPixelX();
}

double WindowGeometry::screenHeight()
{
    QScreen *s = primary();
    return (s ? s->geometry().height() : 0) * twipsPerPixelY();
}

double WindowGeometry::left() const { return m_window->pos().x() * twipsPerPixelX(); }
double WindowGeometry::top() const { return m_window->pos().y() * twipsPerPixelY(); }
double WindowGeometry::width() const { return m_window->width() * twipsPerPixelX(); }
double WindowGeometry::height() const { return m_window->height() * twipsPerPixelY(); }

void WindowGeometry::setLeft(double twips)
{
    m_window->move(toPixels(twips, twipsPerPixelX()), m_window->pos().y());
}

void WindowGeometry::setTop(double twips)
{
    m_window->move(m_window->pos().x(), toPixels(twips, twipsPerPixelY()));
}

void WindowGeometry::setWidth(double twips)
{
    int px = toPixels(twips, twipsPerPixelX());
    if (px < 0)
        throw RuntimeError(ErrorCode::InvalidValue);
    m_window->resize(px, m_window->height());
}

void WindowGeometry::setHeight(double twips)
{
    int px = toPixels(twips, twipsPerPixelY());
    if (px < 0)
        throw RuntimeError(ErrorCode::InvalidValue);
    m_window->resize(m_window->width(), px);
}

int WindowGeometry::state() const
{
    Qt::WindowStates s = m_window->windowState();
    if (s & Qt::WindowMinimized)
        return 1;
    if (s & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return 2;
    return 0;
}

void WindowGeometry::setState(int state)
{
    switch (state) {
    case 0: m_window->setWindowState(Qt::WindowNoState); break;
    case 1: m_window->setWindowState(Qt::WindowMinimized); break;
    case 2: m_window->setWindowState(Qt::WindowMaximized); break;
    default: throw RuntimeError(ErrorCode::InvalidValue);
    }
}

void WindowGeometry::fitIntoScreen()
{
    if (state() != 0)
        return;
    const QRect window(m_window->pos(), m_window->size());
    QScreen *screen = QGuiApplication::screenAt(window.center());
    if (!screen)
        screen = QGuiApplication::screenAt(window.topLeft());
    if (!screen)
        screen = primary();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize size = window.size().boundedTo(area.size());
    const int left = qBound(area.left(), window.left(), area.right() + 1 - size.width());
    const int top = qBound(area.top(), window.top(), area.bottom() + 1 - size.height());
    if (size != window.size())
        m_window->resize(size);
    if (QPoint(left, top) != window.topLeft())
        m_window->move(left, top);
}

} // namespace platform
