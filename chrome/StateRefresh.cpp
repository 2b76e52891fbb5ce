#include "chrome/StateRefresh.h"

#include "chrome/MainActions.h"
#include "chrome/Toolbar.h"
#include "platform/interfaces/Platform.h"
#include "platform/textview/TextBox.h"
#include "platform/ui/WindowGeometry.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QMenu>
#include <QMimeData>
#include <QTimer>

using platform::roundHalfEven;
using platform::WindowGeometry;

RefreshStates refreshStates(const RefreshInputs &in)
{
    RefreshStates s;
    s.recentFile = !in.recentCaption.isEmpty();
    s.undo = in.canUndo;
    s.selection = in.selLength > 0;
    s.paste = in.clipboardHasText;
    s.selectAll = in.selLength < in.textLength;
    s.textCommands = in.textLength > 0;
    if (!in.maximised)
        s.restoreWindow = !in.standardGeometry;
    // Translucency is not offered on the old systems whose product name ends so.
    const QString ending = in.productName.right(2).toUpper();
    const bool oldSystem = ending == QLatin1String("95") || ending == QLatin1String("98")
        || ending == QLatin1String("ME") || ending == QLatin1String("NT");
    s.transparency = !oldSystem;
    s.transparencyChecked = in.transparencyChecked && !oldSystem;
    s.transparencySettings = s.transparencyChecked;
    s.toolbarSettings = in.toolbarChecked;
    s.popupMenuSettings = in.popupMenuChecked;
    return s;
}

StateRefresh::StateRefresh(const Context &context, QObject *parent)
    : QObject(parent), c(context), TGlobalState(new QTimer(this))
{
    TGlobalState->setObjectName(QStringLiteral("TGlobalState"));
    TGlobalState->setInterval(25);
    TGlobalState->setSingleShot(true);
    connect(TGlobalState, &QTimer::timeout, this, &StateRefresh::run);

    connect(&c.box, &platform::TextBox::textChanged, this, &StateRefresh::schedule);
    connect(&c.box, &platform::TextBox::selectionChanged, this, &StateRefresh::schedule);
    connect(&c.box, &platform::TextBox::undoAvailable, this, &StateRefresh::schedule);
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, [this] {
        updateClipboard();
        schedule();
    });
    for (QAction *source : {c.actions.mnuRecent, c.actions.mnuTransparensy, c.actions.mnuToolbar,
                            c.actions.mnuPopupMenu})
        connect(source, &QAction::changed, this, &StateRefresh::schedule);
    for (QMenu *menu : c.window->findChildren<QMenu *>())
        connect(menu, &QMenu::aboutToShow, this, &StateRefresh::run);
    updateClipboard();
}

void StateRefresh::start()
{
    m_running = true;
    c.window->installEventFilter(this);
    schedule();
}

void StateRefresh::stop()
{
    m_running = false;
    c.window->removeEventFilter(this);
    TGlobalState->stop();
}

void StateRefresh::schedule()
{
    if (m_running && !TGlobalState->isActive())
        TGlobalState->start();
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

RefreshInputs StateRefresh::inputs() const
{
    const MainActions &m = c.actions;
    RefreshInputs in;
    in.textLength = c.box.textLength();
    in.selLength = c.box.selLength();
    in.canUndo = c.box.canUndo();
    in.clipboardHasText = m_clipboardHasText;
    in.recentCaption = m.mnuRecent->text();
    in.productName = c.facts.productName();
    in.transparencyChecked = m.mnuTransparensy->isChecked();
    in.toolbarChecked = m.mnuToolbar->isChecked();
    in.popupMenuChecked = m.mnuPopupMenu->isChecked();

    const WindowGeometry g(c.window);
    in.maximised = g.state() == 2;
    // The standard geometry is what "В&осстановить окно" sets: 800 x 600 pixels, centred.
    const auto half = [](double v) { return qint64(roundHalfEven(v)) / 2; };
    in.standardGeometry = g.width() == 800 * WindowGeometry::twipsPerPixelX()
        && g.height() == 600 * WindowGeometry::twipsPerPixelY()
        && g.top() == double(half(WindowGeometry::screenHeight()) - half(g.height()))
        && g.left() == double(half(WindowGeometry::screenWidth()) - half(g.width()));
    return in;
}

void StateRefresh::apply(const RefreshStates &s)
{
    // The context-menu twins follow their menu items by themselves, and the toolbar buttons
    // that have a menu item are that item.
    const MainActions &m = c.actions;
    const auto enable = [](std::initializer_list<QAction *> items, bool on) {
        for (QAction *a : items)
            a->setEnabled(on);
    };
    m.mnuRecentFile->menuAction()->setEnabled(s.recentFile);
    m.mnuUndo->setEnabled(s.undo);
    enable({m.mnuUCase, m.mnuLCase, m.mnuDelete, m.mnuCopy, m.mnuCut}, s.selection);
    m.mnuPaste->setEnabled(s.paste);
    m.mnuSelectAll->setEnabled(s.selectAll);
    enable({m.mnuGoTo, m.mnuFind, m.mnuFindNext, m.mnuReplace}, s.textCommands);
    if (s.restoreWindow)
        m.mnuRestoreWindow->setEnabled(*s.restoreWindow);
    m.mnuTransparensy->setChecked(s.transparencyChecked);
    m.mnuTransparensy->setEnabled(s.transparency);
    m.mnuTransparensySettings->menuAction()->setEnabled(s.transparencySettings);
    m.mnuToolbarStatusBarSettings->menuAction()->setEnabled(s.toolbarSettings);
    m.mnuPopupMenuSettings->menuAction()->setEnabled(s.popupMenuSettings);
    c.toolbar.button(QStringLiteral("CopyAllBtn"))->setEnabled(s.textCommands);
}

void StateRefresh::run()
{
    apply(refreshStates(inputs()));
    Q_EMIT refreshed();
}
