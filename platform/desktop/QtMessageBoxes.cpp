#include "platform/desktop/QtPlatform.h"

#include <QMessageBox>
#include <QPushButton>

namespace platform {

namespace {

QMessageBox::Icon qtIcon(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Critical: return QMessageBox::Critical;
    case MsgIcon::Question: return QMessageBox::Question;
    case MsgIcon::Warning: return QMessageBox::Warning;
    case MsgIcon::Information: return QMessageBox::Information;
    case MsgIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

// The buttons in their order on the box; the default button is counted in this order.
QList<QMessageBox::StandardButton> qtButtons(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::Ok: return {QMessageBox::Ok};
    case MsgButtons::OkCancel: return {QMessageBox::Ok, QMessageBox::Cancel};
    case MsgButtons::YesNo: return {QMessageBox::Yes, QMessageBox::No};
    case MsgButtons::YesNoCancel: return {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
    }
    return {QMessageBox::Ok};
}

MsgAnswer answerOf(int button)
{
    switch (button) {
    case QMessageBox::Cancel: return MsgAnswer::Cancel;
    case QMessageBox::Yes: return MsgAnswer::Yes;
    case QMessageBox::No: return MsgAnswer::No;
    default: return MsgAnswer::Ok;
    }
}

} // namespace

MsgAnswer QtMessageBoxes::show(QWidget *owner, const MessageRequest &request)
{
    QString text = request.text;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));

    QMessageBox box(owner);
    box.setWindowTitle(request.title);
    box.setTextFormat(Qt::PlainText);   // paths and typed text are never markup
    box.setText(text);
    box.setIcon(qtIcon(request.icon));

    const QList<QMessageBox::StandardButton> buttons = qtButtons(request.buttons);
    QMessageBox::StandardButtons all;
    for (QMessageBox::StandardButton b : buttons)
        all |= b;
    box.setStandardButtons(all);
    const int defaultIndex = qBound(1, request.defaultButton, int(buttons.size())) - 1;
    box.setDefaultButton(buttons.at(defaultIndex));
    // Escape: Cancel where there is one, otherwise No, otherwise OK.
    if (all & QMessageBox::Cancel)
        box.setEscapeButton(QMessageBox::Cancel);
    else if (all & QMessageBox::No)
        box.setEscapeButton(QMessageBox::No);
    else
        box.setEscapeButton(QMessageBox::Ok);

    box.exec();
    return answerOf(box.standardButton(box.clickedButton()));
}

} // namespace platform
