#pragma once
// The three modeless dialogs of the Edit menu (Find, Replace, Go to), what they remember between
// openings, and the searcher the two search dialogs share. Each dialog is created when it is
// first shown and destroyed when it closes; showing an open one only activates it.

#include "editing/TextSearch.h"
#include "platform/ui/SmallDialog.h"

#include <QPointer>
#include <QString>

class FrmFind;
class FrmGoTo;
class FrmReplace;
namespace platform {
class Messenger;
class TextBox;
}

// What the dialogs remember: the texts for the next opening (not stored), and the match-case
// choices (stored settings).
struct SearchMemory {
    QString FindTemp;
    QString ReplaceTemp;
    QString GoToTemp;
    qint32 RET_REG_FINDMATCHCASE = 1;
    qint32 RET_REG_REPLACEMATCHCASE = 1;
};

// What each dialog works with.
struct EditContext {
    platform::DialogHost host;
    platform::TextBox &box;
    platform::Messenger &messages;
    SearchMemory &memory;
    TextSearch::BoxSearch &search;
};

class EditDialogs {
public:
    EditDialogs(const platform::DialogHost &host, platform::TextBox &box, platform::Messenger &messages);
    ~EditDialogs();

    SearchMemory &memory() { return m_memory; }

    void ShowFind();
    void ShowReplace();
    void ShowGoTo();

    // The dialogs while they exist.
    QPointer<FrmFind> frmFind() const { return m_find; }
    QPointer<FrmReplace> frmReplace() const { return m_replace; }
    QPointer<FrmGoTo> frmGoTo() const { return m_goTo; }

private:
    template <class Dialog>
    Dialog *searchDialog();

    SearchMemory m_memory;
    TextSearch::BoxSearch m_search;
    EditContext m_context;
    QPointer<FrmFind> m_find;
    QPointer<FrmReplace> m_replace;
    QPointer<FrmGoTo> m_goTo;
    int m_openSearches = 0;
};
