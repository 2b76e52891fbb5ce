#pragma once
// The print settings dialog: the page orientation and the number of copies that printing uses.
// Modal over the main window; OK writes the three settings, every other way out writes nothing.

#include "platform/ui/SmallDialog.h"

#include <QtGlobal>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
struct PrintSettings;
namespace platform { class Messenger; }

struct PrintSetupContext {
    platform::DialogHost host;
    PrintSettings &settings;
    platform::Messenger &messages;
};

class FrmPrintSetup : public platform::SmallDialog {
    Q_OBJECT
public:
    explicit FrmPrintSetup(const PrintSetupContext &context);

    // Shows the dialog modal with the main window as owner and returns when it is closed.
    static void showModal(const PrintSetupContext &context);

    // The number of copies a text stands for: its leading number rounded to a whole number, a
    // half to the even neighbour; anything else gives 0. Nothing when the number does not fit in
    // 32 bits. No other range is checked here: printing refuses what the printer cannot take.
    static std::optional<qint32> copiesFrom(const QString &text);

private:
    void Form_Load();
    void CmdOk_Click();

    QRadioButton *OPortrait;
    QRadioButton *OLandscape;
    QLabel *LCopies;
    QLineEdit *TCopies;
    QPushButton *CmdOk;
    QPushButton *CmdCancel;
    PrintSetupContext ctx;
};
