#include "platform/DialogHelpers.h"

#include "platform/TextBox.h"
#include "platform/WindowGeometry.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <cmath>

namespace MdlFunctions {

using platform::roundHalfEven;
using platform::WindowGeometry;

namespace {

int twipsToPixels(float twips, double twipsPerPixel)
{
    const double px = roundHalfEven(double(twips) / twipsPerPixel);
    if (!std::isfinite(px))
        return 0;
    // Keep far-off values representable; the window system clips them anyway.
    return int(qBound(-1e6, px, 1e6));
}

} // namespace

void SelectAllText(QLineEdit *box, bool focus)
{
    if (!box)
        return;
    box->setSelection(0, int(box->text().size()));
    if (focus) {
        // After a message box owned by the main window closes, the window manager hands the
        // keyboard to the main window; the next keys must reach this box, not the document.
        box->window()->activateWindow();
        box->setFocus(Qt::OtherFocusReason);
    }
}

void ApplyTextCharset(QWidget *window, const platform::TextBox &source)
{
    if (!window)
        return;
    const QVariant charset = source.fontSpec().charset;
    const char *name = "charset";
    for (QLineEdit *box : window->findChildren<QLineEdit *>())
        box->setProperty(name, charset);
    for (QPlainTextEdit *box : window->findChildren<QPlainTextEdit *>())
        box->setProperty(name, charset);
    for (QTextEdit *box : window->findChildren<QTextEdit *>())
        box->setProperty(name, charset);
}

void PositionDialog(QWidget *dialog, QWidget *mainWindow)
{
    if (!dialog || !mainWindow)
        return;
    const WindowGeometry main(mainWindow);
    const float left = float(main.left()) + float(main.width()) / 18.0f;
    const float top = float(main.top()) + float(main.height()) / 6.0f;
    dialog->move(twipsToPixels(left, WindowGeometry::twipsPerPixelX()),
                 twipsToPixels(top, WindowGeometry::twipsPerPixelY()));
}

} // namespace MdlFunctions
