#include "editing/SmallDialog.h"

#include "app/FrmMain.h"
#include "app/WindowGeometry.h"
#include "chrome/WindowOptions.h"
#include "editing/DialogHelpers.h"

#include <QAction>
#include <QCloseEvent>

SmallDialog::SmallDialog(FrmMain &frm, const QString &caption, int clientWidthTwips, int clientHeightTwips)
    : QDialog(&frm, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                        | Qt::WindowCloseButtonHint)
    , frm(frm)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle(caption);
    setFixedSize(int(roundHalfEven(clientWidthTwips / WindowGeometry::twipsPerPixelX())),
                 int(roundHalfEven(clientHeightTwips / WindowGeometry::twipsPerPixelY())));
}

void SmallDialog::Form_Activate()
{
    const QAction *onTop = frm.menus.mnuAlwaysOnTop;
    WindowOptions::SetTopMost(this, onTop && onTop->isChecked());
    if (frm.TTextBlock)
        MdlFunctions::ApplyTextCharset(this, *frm.TTextBlock);
}

bool SmallDialog::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        Form_Activate();
    return QDialog::event(event);
}

void SmallDialog::unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    Form_Unload();
}

void SmallDialog::closeEvent(QCloseEvent *event)
{
    unload();
    QDialog::closeEvent(event);
    event->accept();
}

void SmallDialog::done(int result)
{
    unload();
    QPointer<SmallDialog> alive(this);
    QDialog::done(result);
    // A dialog hidden by done() without a close event must still go away.
    if (alive && !isVisible() && testAttribute(Qt::WA_DeleteOnClose))
        deleteLater();
}
