#include "platform/ui/DialogHelpers.h"

#include "platform/ui/WindowGeometry.h"

#include <QLineEdit>
#include <QLocale>
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

void ApplyTextCharset(QWidget *window, int charset)
{
    if (!window)
        return;
    const QVariant value = charset;
    const char *name = "charset";
    for (QLineEdit *box : window->findChildren<QLineEdit *>())
        box->setProperty(name, value);
    for (QPlainTextEdit *box : window->findChildren<QPlainTextEdit *>())
        box->setProperty(name, value);
    for (QTextEdit *box : window->findChildren<QTextEdit *>())
        box->setProperty(name, value);
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

double leadingValue(const QString &text)
{
    const QByteArray s = text.trimmed().toLatin1();
    qsizetype i = 0;
    auto digits = [&] {
        const qsizetype from = i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9')
            ++i;
        return i > from;
    };
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    bool any = digits();
    if (i < s.size() && s[i] == '.') {
        ++i;
        any = digits() || any;
    }
    if (!any)
        return 0;
    qsizetype end = i;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        if (digits())
            end = i;
    }
    // Not strtod: Qt programs run with the user's LC_NUMERIC, whose decimal separator may be a
    // comma. The C locale gives an infinite value on overflow.
    bool ok = false;
    return QLocale::c().toDouble(QString::fromLatin1(s.constData(), end), &ok);
}

} // namespace MdlFunctions
