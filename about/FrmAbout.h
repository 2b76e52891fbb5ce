#pragma once
// The About window: the program's name and version, the author and his address (a click writes
// him a mail), the thanks list, how full the document is (the 55000-character scale of the size
// check) and the physical memory, refreshed every second. "&Система" starts the desktop's system
// information program. Modal from the Help menu; modeless as the greeting of the first start.

#include "platform/ui/SmallDialog.h"

#include <QPointer>

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;
namespace platform {
class Messenger;
class Programs;
class Shell;
class SystemFacts;
class TextBox;
}

// What the window works with.
struct AboutContext {
    platform::DialogHost host;
    const platform::TextBox &box;         // the document, for the fill figure
    platform::Messenger &messages;
    platform::Shell &shell;
    const platform::SystemFacts &facts;
    platform::Programs *programs;         // null: no other program can be started
    int memoryRefresh = 1000;             // ms between two readings of the memory figures
};

class FrmAbout : public platform::SmallDialog {
    Q_OBJECT
public:
    explicit FrmAbout(const AboutContext &context);

    // Shows the window held by slot, creating it when there is none; an open one is only brought
    // to the front. Modal: returns when the window has closed.
    static void Show(QPointer<FrmAbout> &slot, const AboutContext &context, bool modal);

    // The system information programs tried in this order, each with its fixed arguments.
    struct SystemTool {
        const char *name;
        QStringList arguments;
    };
    static const QList<SystemTool> &systemTools();

    static constexpr int LevelMax = 55000;
    // The bar's value for a document of n characters (a CR LF counts two), and its label.
    static int levelValue(qint64 n) { return n < LevelMax + 1 ? int(qMax<qint64>(n, 0)) : LevelMax; }
    static QString levelText(int value) { return QString::number(value / 550) + QLatin1Char('%'); }
    // A byte count as the memory labels show it: whole kilobytes, grouped, and " КБ".
    static QString memoryText(quint64 bytes);
    // Major and minor of a version "1.6.2" as "1.6".
    static QString versionText(const QString &version);

    static const QString Mail;     // the author's address

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void Form_Load();
    void Form_Unload() override;
    void ShowMemoryInfo();
    void CmdSystem_Click();
    void LMail_MouseDown();
    void LMail_MouseUp();
    void LMail_Click();

    AboutContext ctx;
    QLabel *IIcon;
    QLabel *ILogo;
    QLabel *LProgram;
    QLabel *LVersion;
    QLabel *LAutor;
    QLabel *LMail;
    QPlainTextEdit *TThanks;
    QProgressBar *PLevel;
    QLabel *LLevel;
    QLabel *LFrMem;
    QLabel *LAvMem;
    QTimer *TMemory;
    QPushButton *CmdSystem;
    QPushButton *CmdClose;
};
