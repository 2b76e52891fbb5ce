#pragma once
// The notification-area icon of a main window hidden there. It exists exactly as long as the
// icon: created when the window goes to the notification area, destroyed (which removes the icon)
// when the window comes back. Its picture is the main window's icon and its tip names the
// document as it was when the icon was added. A left or middle click asks for the window back;
// the menu "TrayPopup" offers the same ("&Открыть редактор", the default item, in bold) and
// "&Выход".

#include <QObject>
#include <QSystemTrayIcon>
#include <memory>

class QAction;
class QMenu;

class FrmTray : public QObject {
    Q_OBJECT
public:
    // documentName: the short name the caption shows, empty for a new document.
    FrmTray(const QIcon &picture, const QString &documentName, QObject *parent = nullptr);
    ~FrmTray() override;

    // "Jotbook" for a new document, else its name, " - " and "Jotbook".
    static QString tipText(const QString &documentName);

    QSystemTrayIcon *trayIcon() const { return m_icon; }
    QMenu *trayMenu() const { return mnuTrayPopupMenu.get(); }

Q_SIGNALS:
    void restoreRequested();
    void exitRequested();

private:
    void SetTrayIcon(const QIcon &picture, const QString &documentName);
    void TrayIcon_Activated(QSystemTrayIcon::ActivationReason reason);

    QSystemTrayIcon *m_icon;
    std::unique_ptr<QMenu> mnuTrayPopupMenu;
    QAction *mnuOpenEditor;
    QAction *mnuExit;
};
