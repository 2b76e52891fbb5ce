#pragma once
// Loading and saving the document, the standard choosers behind the File and Format commands, and
// the recent-document entry. The main window's handlers call these; the state they change
// (GlobalFileName, SourceText, the caption, the recent caption) belongs to the main window.

#include <QString>
#include <Qt>

class FrmMain;
class QMimeData;

class Documents {
public:
    explicit Documents(FrmMain &frm) : frm(frm) {}

    bool OpenTextFile(const QString &strFileName, bool bLoadAll, bool bOpenAsData);
    bool SaveTextFile(const QString &strFileName, bool bSave);
    void WriteRecentFile(const QString &strFileName);

    // Saves under the current name, or asks for one. True only when the file was written.
    bool Save();
    // Asks for a name and saves under it. True only when the file was written.
    bool SaveAs();

    void mnuOpen_Click();
    void mnuSave_Click();
    void mnuSaveAs_Click();
    void mnuRecent_Click();
    void mnuFont_Click();
    void mnuColor_Click();
    void mnuDefaultColor_Click();
    void TTextBlock_OLEDragDrop(const QMimeData *data, Qt::DropActions offered);

    // Files above this many bytes are loaded only after a question (while the size check is on).
    static constexpr qint64 MaxPlainTextSize = 55000;

private:
    void reportFailure(const QString &path, const QString &headline, const QString &reason);

    FrmMain &frm;
};
