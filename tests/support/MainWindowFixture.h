#pragma once
// One run of the program on the scripted platform, for window tests. Runs may share a settings
// store, as runs of the real program share the user's settings; a run destroyed without close()
// is a run that was killed.

#include "about/FrmAbout.h"
#include "app/FrmMain.h"
#include "chrome/StatusBar.h"
#include "chrome/Toolbar.h"
#include "document/Document.h"
#include "editing/EditDialogs.h"
#include "platform/textview/TextBox.h"
#include "tests/support/ScriptedPlatform.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QTest>

namespace testing {

// Writes a test's file, or ends the test program; returns its path.
inline QString writeFile(const QString &path, const QByteArray &data)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(data) != data.size())
        qFatal("cannot write the test file");
    return path;
}

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

struct MainWindowRun {
    ScriptedPlatform sp;
    platform::Platform p;
    FrmMain frm;

    explicit MainWindowRun(MemorySettings *store = nullptr, bool previousInstance = false)
        : p(withStore(sp.platform(), store)), frm(p)
    {
        sp.instance.previous = previousInstance;
    }

    // Started and shown, with the messages of the start-up forgotten and the first start's About
    // window closed.
    void start()
    {
        if (!frm.Form_Load(QString()))
            qFatal("start-up failed");
        frm.show();
        if (!QTest::qWaitForWindowExposed(&frm))
            qFatal("the window is not shown");
        if (QPointer<FrmAbout> about = frm.frmAbout()) {
            if (!QTest::qWaitFor([&] { return about->isVisible(); }))
                qFatal("the About window of the first start is not shown");
            about->close();
        }
        sp.messages.asked.clear();
    }

    // A menu item (or a sub-menu's item in its parent) by name.
    QAction *named(const QString &name) const
    {
        if (auto *menu = frm.findChild<QMenu *>(name))
            return menu->menuAction();
        return frm.findChild<QAction *>(name);
    }

    int countOf(const QString &text) const { return int(sp.messages.texts().count(text)); }

    const platform::MessageRequest &onlyMessage() const
    {
        if (sp.messages.asked.size() != 1)
            qFatal("expected one message, got %d", int(sp.messages.asked.size()));
        return sp.messages.asked.first().request;
    }

private:
    static platform::Platform withStore(platform::Platform p, MemorySettings *store)
    {
        if (store)
            p.settings = store;
        return p;
    }
};

} // namespace testing
