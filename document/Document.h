#pragma once
// The one document the editor holds: the path it came from or was last saved to
// (GlobalFileName, empty for a new document), the text as last loaded or saved (SourceText), the
// text document that holds the current text, and the main window's caption that names it. A
// document is changed exactly when the current text differs from SourceText; the two are compared
// only when the text changed since it was loaded or saved. The text is Windows-1251 whatever the
// file holds; the document's coding says how its file holds it (and how it is saved).
//
// Only New and Commit (a successful open or save) change the state; a failed open or save only
// forgets the name (ForgetName). A text restored from a recovery copy (Restore) counts as changed
// until it is saved or replaced, also where it equals SourceText.

#include "platform/interfaces/FileCoding.h"

#include <QByteArray>
#include <QString>
#include <functional>

class QAction;
class QWidget;
namespace platform {
class Messenger;
class TextDocument;
}

class Document {
public:
    struct Context {
        platform::TextDocument &text;   // the current text
        QWidget *view;                  // its view, which screen readers name as the caption names the document
        platform::Messenger &messages;
        QWidget *window;                // whose caption names the document
        QAction *recentItem;            // the recent-document menu item, whose caption is "&" + path
    };

    explicit Document(const Context &context);

    const QString &GlobalFileName() const { return m_globalFileName; }
    const QByteArray &SourceText() const { return m_sourceText; }
    platform::FileCoding coding() const { return m_coding; }
    platform::TextDocument &text() const { return c.text; }

    // The name shown for the document: the file name without its extension, or "Новый документ".
    QString Name() const;
    // The name as the caption shows it (cut to 29 characters and "..." beyond 32), empty for a new
    // document.
    QString ShortName() const;
    // The name the caption shows for a document at that path: "Новый документ" for none.
    static QString TitleName(const QString &path);
    bool isChanged() const;

    // Sets the window's caption from GlobalFileName, and the accessible name of the text's view.
    void CreateTitle();
    // Asks whether to save a changed document. Returns true when the caller may go on and replace
    // or discard the text (unchanged, saved, or the user said No), false when the user cancelled
    // or the save did not happen. The save itself is the function given to setSaver.
    bool IsTextChanged();
    void setSaver(std::function<bool()> save) { m_save = std::move(save); }

    // mnuNew_Click's work once the change question has been answered: an empty Windows-1251
    // document.
    void New();
    // A successful open or save: text is what the document now holds, path where it lives and
    // coding how the file holds it.
    void Commit(const QByteArray &text, const QString &path, platform::FileCoding coding);
    // A failed open or save: the text and the caption stay, the name goes.
    void ForgetName();
    // A text from a recovery copy, put back exactly as it was held, with the path it had (empty
    // for a new document) and its coding; it counts as changed.
    void Restore(const QByteArray &text, const QString &path, platform::FileCoding coding);
    // Runs after New, Commit, ForgetName and Restore: the text or the name the document stands for
    // changed.
    void setStateObserver(std::function<void()> observer) { m_stateChanged = std::move(observer); }

    // The recent-document entry: "&" + the path, or nothing for a path over 255 characters.
    void WriteRecentFile(const QString &strFileName);
    void ClearRecentFile();
    QString RecentFile() const;   // the path the entry offers, empty when none

    static const QString NewDocumentName;   // "Новый документ"

private:
    Context c;
    QString m_globalFileName;
    QByteArray m_sourceText;
    platform::FileCoding m_coding = platform::FileCoding::Ansi;
    std::function<bool()> m_save;
    std::function<void()> m_stateChanged;
    bool m_restored = false;
    quint64 m_sourceRevision = 0;   // the text's revision at the last load or save

    void stateChanged()
    {
        if (m_stateChanged)
            m_stateChanged();
    }
};
