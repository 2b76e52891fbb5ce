#include "document/Document.h"

#include "document/MdlFunctions.h"
#include "platform/textmodel/TextDocument.h"
#include "platform/ui/Messenger.h"

#include <QAction>
#include <QWidget>

using platform::MsgAnswer;
using platform::MsgButtons;
using platform::MsgIcon;

const QString Document::NewDocumentName = QStringLiteral("Новый документ");

static QString documentName(const QString &path)
{
    return MdlFunctions::RemoveExtension(MdlFunctions::GetFileName(path));
}

QString Document::Name() const
{
    return documentName(m_globalFileName.isEmpty() ? NewDocumentName : m_globalFileName);
}

Document::Document(const Context &context) : c(context), m_sourceRevision(context.text.revision()) {}

bool Document::isChanged() const
{
    if (m_restored)
        return true;
    // Unchanged since the last load or save, the text is SourceText; after changes it may be
    // again (edits undone, or what they took put back).
    if (c.text.revision() == m_sourceRevision)
        return false;
    return c.text.size() != m_sourceText.size() || c.text.text() != m_sourceText;
}

QString Document::ShortName() const
{
    return m_globalFileName.isEmpty() ? QString() : MdlFunctions::ShortenText(documentName(m_globalFileName), 32);
}

QString Document::TitleName(const QString &path)
{
    return path.isEmpty() ? NewDocumentName : MdlFunctions::ShortenText(documentName(path), 32);
}

void Document::CreateTitle()
{
    c.window->setWindowTitle(TitleName(m_globalFileName) + QStringLiteral(" - ") + platform::Messenger::Title);
    // Screen readers name the text's view as the caption names the document.
    c.view->setAccessibleName(TitleName(m_globalFileName));
}

bool Document::IsTextChanged()
{
    if (!isChanged())
        return true;
    const MsgAnswer answer = c.messages.msgBox(
        QStringLiteral("Документ \"%1\" был изменён.\r\n\r\nСохранить эти изменения?").arg(Name()),
        MsgButtons::YesNoCancel, MsgIcon::Warning, 1);
    switch (answer) {
    case MsgAnswer::Yes:
        // The caller goes on only when the document really was saved: a cancelled Save As or a
        // failed save keeps the text.
        return m_save && m_save();
    case MsgAnswer::No:
        return true;
    default:
        return false;
    }
}

void Document::New()
{
    m_sourceText.clear();
    c.text.setText(QByteArray());
    m_sourceRevision = c.text.revision();
    m_globalFileName.clear();
    m_coding = platform::FileCoding::Ansi;
    m_restored = false;
    CreateTitle();
    stateChanged();
}

void Document::Commit(const QByteArray &text, const QString &path, platform::FileCoding coding)
{
    m_sourceText = text;
    m_sourceRevision = c.text.revision();
    m_globalFileName = path;
    m_coding = coding;
    m_restored = false;
    CreateTitle();
    WriteRecentFile(path);
    stateChanged();
}

void Document::ForgetName()
{
    m_globalFileName.clear();
    stateChanged();
}

void Document::Restore(const QByteArray &text, const QString &path, platform::FileCoding coding)
{
    c.text.setText(text);
    m_sourceText.clear();
    m_sourceRevision = c.text.revision();
    m_globalFileName = path;
    m_coding = coding;
    m_restored = true;
    CreateTitle();
    stateChanged();
}

void Document::WriteRecentFile(const QString &strFileName)
{
    c.recentItem->setText(strFileName.size() > 255 ? QString() : QLatin1Char('&') + strFileName);
}

void Document::ClearRecentFile()
{
    c.recentItem->setText(QString());
}

QString Document::RecentFile() const
{
    return c.recentItem->text().mid(1);
}
