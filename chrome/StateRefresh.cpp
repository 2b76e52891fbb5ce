#include "chrome/StateRefresh.h"

#include "app/FrmMain.h"
#include "app/WindowGeometry.h"
#include "chrome/Toolbar.h"
#include "platform/TextBox.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QMenu>
#include <QMimeData>
#include <QTimer>

StateRefresh::StateRefresh(FrmMain &frm) : QObject(&frm), frm(frm)
{
    frm.TGlobalState->setSingleShot(true);
    platform::TextBox *box = frm.TTextBlock;
    connect(box, &QPlainTextEdit::textChanged, this, &StateRefresh::schedule);
    connect(box, &QPlainTextEdit::selectionChanged, this, &StateRefresh::schedule);
    connect(box, &QPlainTextEdit::undoAvailable, this, &StateRefresh::schedule);
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, [this] {
        updateClipboard();
        schedule();
    });
    for (QMenu *menu : frm.findChildren<QMenu *>())
        connect(menu, &QMenu::aboutToShow, this, &StateRefresh::run);
    updateClipboard();
}

void StateRefresh::start()
{
    m_running = true;
    frm.installEventFilter(this);
    schedule();
}

void StateRefresh::stop()
{
    m_running = false;
    frm.removeEventFilter(this);
    frm.TGlobalState->stop();
}

void StateRefresh::schedule()
{
    if (m_running && !frm.TGlobalState->isActive())
        frm.TGlobalState->start();
}

bool StateRefresh::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::WindowStateChange:
    case QEvent::WindowActivate:
    case QEvent::Show:
        schedule();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void StateRefresh::updateClipboard()
{
    // One round trip to the clipboard's owner per change, never per refresh.
    const QMimeData *data = QApplication::clipboard()->mimeData();
    m_clipboardHasText = data && data->hasText();
}

void StateRefresh::run()
{
    MainMenus &m = frm.menus;
    platform::TextBox &box = *frm.TTextBlock;
    const int textLength = box.textLength();
    const int selLength = box.selLength();
    const bool hasSelection = selLength > 0;
    const bool hasText = textLength > 0;
    const bool canUndo = box.canUndo();
    const auto enable = [](std::initializer_list<QAction *> items, bool on) {
        for (QAction *a : items)
            a->setEnabled(on);
    };
    const auto button = [this](const char *key) { return frm.TMainToolbar->button(QString::fromLatin1(key)); };

    m.mnuRecentFile->menuAction()->setEnabled(!m.mnuRecent->text().isEmpty());
    enable({m.mnuUndo, m.mnuPUUndo}, canUndo);
    enable({m.mnuUCase, m.mnuPUUCase, m.mnuLCase, m.mnuPULCase, m.mnuDelete, m.mnuPUDelete, m.mnuCopy, m.mnuPUCopy,
            m.mnuCut, m.mnuPUCut},
           hasSelection);
    enable({m.mnuPaste, m.mnuPUPaste}, m_clipboardHasText);
    enable({m.mnuSelectAll, m.mnuPUSelectAll}, selLength < textLength);
    enable({m.mnuGoTo, m.mnuPU2GoTo, m.mnuFind, m.mnuPUFind, m.mnuFindNext, m.mnuPUFindNext, m.mnuReplace}, hasText);

    // The restore command is off while the window already has the standard geometry.
    WindowGeometry &g = frm.geometryTwips();
    if (g.state() != 2) {
        const auto half = [](double v) { return qint64(roundHalfEven(v)) / 2; };
        const bool standard = g.width() == 800 * WindowGeometry::twipsPerPixelX() &&
                              g.height() == 600 * WindowGeometry::twipsPerPixelY() &&
                              g.top() == double(half(WindowGeometry::screenHeight()) - half(g.height())) &&
                              g.left() == double(half(WindowGeometry::screenWidth()) - half(g.width()));
        m.mnuRestoreWindow->setEnabled(!standard);
    }

    // Translucency is not offered on the old systems whose product name ends so.
    const QString product = frm.platform.facts->productName().right(2).toUpper();
    if (product == QLatin1String("95") || product == QLatin1String("98") || product == QLatin1String("ME") ||
        product == QLatin1String("NT")) {
        m.mnuTransparensy->setChecked(false);
        m.mnuTransparensy->setEnabled(false);
    } else {
        m.mnuTransparensy->setEnabled(true);
    }
    m.mnuTransparensySettings->menuAction()->setEnabled(m.mnuTransparensy->isChecked());
    m.mnuToolbarStatusBarSettings->menuAction()->setEnabled(m.mnuToolbar->isChecked());
    m.mnuPopupMenuSettings->menuAction()->setEnabled(m.mnuPopupMenu->isChecked());

    button("FindBtn")->setEnabled(hasText);
    button("CopyAllBtn")->setEnabled(hasText);
    button("CutBtn")->setEnabled(hasSelection);
    button("CopyBtn")->setEnabled(hasSelection);
    button("PasteBtn")->setEnabled(m_clipboardHasText);
    button("UndoBtn")->setEnabled(canUndo);
}
