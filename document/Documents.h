#pragma once
// Loading and saving the document, the standard choosers behind the File and Format commands, and
// the recent-document command. The state they change is the Document's; the options they read
// are taken once per command from the options function; a successful load is reported to the
// loaded function with the start of the new text (for the text markers).

#include <QByteArray>
#include <QString>
#include <Qt>
#include <functional>

class Document;
class QMimeData;
class QWidget;
namespace platform {
class CommonDialogs;
class Messenger;
class TextBox;
}

// The document settings without a menu item.
struct DocumentSettings {
    bool RET_REG_LOADALL = false;       // load data (control characters) after the question
    bool RET_REG_DISABLESAVE = false;   // refuse every save
};

// The option marks and settings one command reads.
struct DocumentOptions {
    bool checkLength = true;    // mnuCheckLen: ask before loading a large file
    bool checkData = true;      // mnuCheckData: ask before loading control characters
    bool setCyrillic = true;    // mnuSetCyrillic
    bool codingDos = false;     // mnuCodingDos
    bool codingKoi = false;     // mnuCodingKoi
    bool loadAll = true;        // RET_REG_LOADALL
    bool disableSave = false;   // RET_REG_DISABLESAVE
};

class Documents {
public:
    struct Context {
        Document &document;
        platform::TextBox &box;                                // the document's view: its font and colours
        platform::Messenger &messages;
        platform::CommonDialogs &dialogs;
        QWidget *owner;                                        // of the choosers
        std::function<DocumentOptions()> options;
        std::function<void()> settingsChanged;                 // the font or a colour changed
        std::function<void(const QByteArray &textStart)> loaded;
    };

    explicit Documents(const Context &context);

    // False when the file could not be loaded (after its message). A declined question is no
    // failure: true, and nothing changes. The start of a loaded text goes to the loaded function.
    bool OpenTextFile(const QString &strFileName, bool bLoadAll, bool bOpenAsData);
    // False (after its message) when the file could not be written; bSave false refuses.
    bool SaveTextFile(const QString &strFileName, bool bSave);

    // Saves under the current name, or asks for one. True only when the file was written.
    bool Save();
    // Asks for a name and saves under it. True only when the file was written.
    bool SaveAs();

    void mnuOpen_Click();
    void mnuSave_Click() { Save(); }
    void mnuSaveAs_Click() { SaveAs(); }
    void mnuRecent_Click();
    void mnuFont_Click();
    void mnuColor_Click();
    void mnuDefaultColor_Click();
    // True when the drop was taken: its first file was opened.
    bool TTextBlock_OLEDragDrop(const QMimeData *data, Qt::DropActions offered);

    // The reason line of a failed save for the error code.
    static QString SaveFailureReason(int code);

    // Files above this many bytes are loaded only after a question (while the size check is on).
    static constexpr qint64 MaxPlainTextSize = 55000;
    // The font sizes the font command offers, in points.
    static constexpr int MinFontSize = 8;
    static constexpr int MaxFontSize = 72;

private:
    void reportFailure(const QString &path, const QString &headline, const QString &reason);

    Context c;
};
