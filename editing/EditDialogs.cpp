#include "editing/EditDialogs.h"

#include "editing/FrmFind.h"
#include "editing/FrmGoTo.h"
#include "editing/FrmReplace.h"

EditDialogs::EditDialogs(const platform::DialogHost &host, platform::TextBox &box, platform::Messenger &messages)
    : m_context{host, box, messages, m_memory, m_search}
{
}

EditDialogs::~EditDialogs()
{
    // The dialogs belong to the main window and go with it; none may outlive what it refers to.
    delete m_find;
    delete m_replace;
    delete m_goTo;
}

// A new search dialog; the searcher's copies of the document serve only open ones.
template <class Dialog>
Dialog *EditDialogs::searchDialog()
{
    auto *dialog = new Dialog(m_context);
    ++m_openSearches;
    QObject::connect(dialog, &QObject::destroyed, [this] {
        if (--m_openSearches == 0)
            m_search.release();
    });
    return dialog;
}

void EditDialogs::ShowFind()
{
    platform::showSmallDialog(m_find, [this] { return searchDialog<FrmFind>(); });
}

void EditDialogs::ShowReplace()
{
    platform::showSmallDialog(m_replace, [this] { return searchDialog<FrmReplace>(); });
}

void EditDialogs::ShowGoTo()
{
    platform::showSmallDialog(m_goTo, [this] { return new FrmGoTo(m_context); });
}
