#include "chrome/FrmTray.h"

#include <QMenu>

FrmTray::FrmTray(const QIcon &picture, const QString &documentName, QObject *parent)
    : QObject(parent)
    , m_icon(new QSystemTrayIcon(this))
    , mnuTrayPopupMenu(std::make_unique<QMenu>(QStringLiteral("TrayPopup")))
{
    setObjectName(QStringLiteral("FrmTray"));
    mnuTrayPopupMenu->setObjectName(QStringLiteral("mnuTrayPopupMenu"));
    mnuOpenEditor = mnuTrayPopupMenu->addAction(tr("&Открыть редактор"));
    mnuOpenEditor->setObjectName(QStringLiteral("mnuOpenEditor"));
    QFont bold = mnuOpenEditor->font();
    bold.setBold(true);
    mnuOpenEditor->setFont(bold);
    mnuTrayPopupMenu->setDefaultAction(mnuOpenEditor);
    mnuExit = mnuTrayPopupMenu->addAction(tr("&Выход"));
    mnuExit->setObjectName(QStringLiteral("mnuExit"));

    connect(mnuOpenEditor, &QAction::triggered, this, &FrmTray::restoreRequested);
    connect(mnuExit, &QAction::triggered, this, &FrmTray::exitRequested);
    connect(m_icon, &QSystemTrayIcon::activated, this, &FrmTray::TrayIcon_Activated);
    SetTrayIcon(picture, documentName);
}

FrmTray::~FrmTray()
{
    delete m_icon;   // removes the icon while its menu still exists
}

QString FrmTray::tipText(const QString &documentName)
{
    const QString program = QStringLiteral("Jotbook");
    return documentName.isEmpty() ? program : documentName + QStringLiteral(" - ") + program;
}

void FrmTray::SetTrayIcon(const QIcon &picture, const QString &documentName)
{
    m_icon->setIcon(picture);
    m_icon->setToolTip(tipText(documentName));
    m_icon->setContextMenu(mnuTrayPopupMenu.get());
    m_icon->show();
}

void FrmTray::TrayIcon_Activated(QSystemTrayIcon::ActivationReason reason)
{
    // The right button opens the menu (the icon does that itself); double clicks do nothing more.
    if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::MiddleClick)
        Q_EMIT restoreRequested();
}
