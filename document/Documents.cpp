#include "document/Documents.h"

#include "app/FrmMain.h"
#include "document/FileAccess.h"
#include "document/MdlCode.h"
#include "document/MdlCommonDialogs.h"
#include "platform/Ansi.h"
#include "platform/RuntimeError.h"
#include "platform/TextBox.h"

#include <QAction>
#include <QApplication>
#include <QMimeData>
#include <QUrl>

#include <new>

using platform::MsgAnswer;
using platform::MsgButtons;
using platform::MsgIcon;
using platform::RuntimeError;
namespace Code = platform::ErrorCode;

namespace {

const QString CrLf = QStringLiteral("\r\n");

// The hourglass for as long as the object lives.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

QString unknownError(int code)
{
    return QStringLiteral("Произошла неизвестная ошибка:") + QLatin1Char(' ') + QString::number(code);
}

QString openFailureReason(int code)
{
    switch (code) {
    case Code::Overflow:
    case Code::OutOfMemory: return QStringLiteral("Критическое переполнение.");
    case Code::FileNotFound: return QStringLiteral("Файл не найден.");
    case Code::AccessDenied: return QStringLiteral("Доступ к файлу или папке закрыт.");
    case Code::PathNotFound: return QStringLiteral("Путь к файлу не найден.");
    case Code::Refused: return QStringLiteral("Загрузка данных не в формате простого текста отключена.");
    }
    return unknownError(code);
}

QString saveFailureReason(int code)
{
    switch (code) {
    case Code::AccessDenied: return QStringLiteral("Доступ к файлу или папке закрыт.");
    case Code::Refused: return QStringLiteral("Сохранение файла отключено.");
    }
    return unknownError(code);
}

// True when the text holds a control character other than TAB, LF and CR. One pass collects
// every code below 32 that occurs; asking about the first of them or about any is the same.
bool holdsControlCharacters(const QByteArray &text)
{
    quint32 seen = 0;
    for (const char c : text) {
        const uchar code = uchar(c);
        if (code < 32)
            seen |= 1u << code;
    }
    constexpr quint32 plainText = 1u << 9 | 1u << 10 | 1u << 13;
    return (seen & ~plainText) != 0;
}

const QList<platform::FileFilter> &openFilters()
{
    static const QList<platform::FileFilter> filters = {
        {QStringLiteral("Все типы (*.txt;*.log;*.ini;*.inf;*.dat)"), QStringLiteral("*.txt;*.log;*.ini;*.inf;*.dat")},
        {QStringLiteral("Текстовые файлы (*.txt;*.log)"), QStringLiteral("*.txt;*.log")},
        {QStringLiteral("Файлы настроек (*.ini;*.inf)"), QStringLiteral("*.ini;*.inf")},
        {QStringLiteral("Файлы записей (*.dat)"), QStringLiteral("*.dat")},
        {QStringLiteral("Все файлы (*.*)"), QStringLiteral("*.*")},
    };
    return filters;
}

const QList<platform::FileFilter> &saveFilters()
{
    static const QList<platform::FileFilter> filters = {
        {QStringLiteral("Текстовые файлы (*.txt)"), QStringLiteral("*.txt")},
        {QStringLiteral("Все файлы (*.*)"), QStringLiteral("*.*")},
    };
    return filters;
}

} // namespace

// A failed open or save forgets the document's name and tells the user which file and why.
void Documents::reportFailure(const QString &path, const QString &headline, const QString &reason)
{
    frm.GlobalFileName.clear();
    frm.msgBox(path + CrLf + CrLf + headline + CrLf + reason, MsgButtons::Ok, MsgIcon::Warning);
}

// ---- opening ---------------------------------------------------------------------------------

bool Documents::OpenTextFile(const QString &fileName, bool bLoadAll, bool bOpenAsData)
{
    // A copy: the caller may pass GlobalFileName itself, which a failure clears.
    const QString strFileName = fileName;
    const auto ask = [&](const QString &headline) {
        const QString text = strFileName + CrLf + CrLf + headline + CrLf + QStringLiteral("Попытаться загрузить его?");
        return frm.msgBox(text, MsgButtons::YesNo, MsgIcon::Warning, 2) == MsgAnswer::Yes;
    };

    int error = 0;
    {
        WaitCursor wait;
        try {
            const qint64 size = FileAccess::FileLength(strFileName);
            if (size > MaxPlainTextSize && frm.menus.mnuCheckLen->isChecked()
                && !ask(QStringLiteral("Файл достаточно велик для текстового поля!") + CrLf
                        + QStringLiteral("Его открытие может привести к некорректной работе программы."))) {
                return true;
            }

            QByteArray text = FileAccess::ReadWholeFile(strFileName);

            if (frm.menus.mnuCheckData->isChecked()) {
                bool isData = bOpenAsData;
                if (!isData && holdsControlCharacters(text)) {
                    if (!ask(QStringLiteral("Возможно, этот файл содержит данные не в формате простого текста.")))
                        return true;
                    isData = true;
                }
                if (isData && !bLoadAll)
                    throw RuntimeError(Code::Refused);
            }

            text.replace('\0', ' ');
            if (frm.menus.mnuCodingDos->isChecked())
                text = MdlCode::ConvertCoding(text, MdlCode::Dos, MdlCode::Windows);
            if (frm.menus.mnuCodingKoi->isChecked())
                text = MdlCode::ConvertCoding(text, MdlCode::Koi, MdlCode::Windows);

            if (frm.menus.mnuSetCyrillic->isChecked())
                frm.TTextBlock->setCharset(204);
            // The box gives back exactly the bytes it was given, so the loaded text is also the
            // text as the box holds it; the two share one buffer.
            frm.TTextBlock->setText(text);
            frm.SourceText = text;
            frm.GlobalFileName = strFileName;
            // The text markers look only at the first four characters and at whether the text
            // is longer than the plain-text limit; a prefix one byte past the limit decides both
            // without decoding a large document.
            frm.CheckForKeys(platform::Ansi::toUnicode(text.left(MaxPlainTextSize + 1)), false);
            frm.CreateTitle();
            WriteRecentFile(strFileName);
            return true;
        } catch (const RuntimeError &e) {
            error = e.code;
        } catch (const std::bad_alloc &) {
            error = Code::OutOfMemory;
        }
    }

    reportFailure(strFileName, QStringLiteral("Не удалось открыть этот файл!"), openFailureReason(error));
    return false;
}

void Documents::mnuOpen_Click()
{
    if (!frm.IsTextChanged())
        return;
    const QString path = MdlCommonDialogs::ShowOpenDialog(*frm.platform.dialogs, &frm,
                                                          QStringLiteral("Открытие документа"), openFilters(), 2,
                                                          QStringLiteral("*.txt;*.log"));
    if (!path.isEmpty())
        OpenTextFile(path, frm.RET_REG_LOADALL, false);
}

void Documents::TTextBlock_OLEDragDrop(const QMimeData *data, Qt::DropActions offered)
{
    Q_UNUSED(offered);
    if (!frm.IsTextChanged())
        return;
    // Files dragged from a file manager arrive as local file URLs; only the first is opened.
    if (data) {
        for (const QUrl &url : data->urls()) {
            if (url.isLocalFile()) {
                OpenTextFile(url.toLocalFile(), frm.RET_REG_LOADALL, false);
                return;
            }
        }
    }
    frm.msgBox(QStringLiteral("Данные или объекты такого типа не могут быть загружены!"), MsgButtons::Ok,
               MsgIcon::Warning);
}

// ---- saving ----------------------------------------------------------------------------------

bool Documents::SaveTextFile(const QString &fileName, bool bSave)
{
    // A copy: Save passes GlobalFileName itself, which a failure clears.
    const QString strFileName = fileName;
    int error = 0;
    try {
        if (!bSave)
            throw RuntimeError(Code::Refused);
        WaitCursor wait;
        const QByteArray text = frm.TTextBlock->text();
        FileAccess::SaveFile(strFileName, text);
        frm.SourceText = text;
        frm.GlobalFileName = strFileName;
        frm.CreateTitle();
        WriteRecentFile(strFileName);
        return true;
    } catch (const RuntimeError &e) {
        error = e.code;
    } catch (const std::bad_alloc &) {
        error = Code::OutOfMemory;
    }

    reportFailure(strFileName, QStringLiteral("Не удалось сохранить этот файл!"), saveFailureReason(error));
    return false;
}

bool Documents::Save()
{
    if (!frm.GlobalFileName.isEmpty())
        return SaveTextFile(frm.GlobalFileName, !frm.RET_REG_DISABLESAVE);
    return SaveAs();
}

bool Documents::SaveAs()
{
    int chosenFilter = 0;
    QString path = MdlCommonDialogs::ShowSaveDialog(*frm.platform.dialogs, &frm, QStringLiteral("Сохранение документа"),
                                                    saveFilters(), 1, chosenFilter, QStringLiteral("Документ.txt"));
    if (path.isEmpty())
        return false;
    if (chosenFilter == 1 && path.right(4).toUpper() != QLatin1String(".TXT"))
        path += QStringLiteral(".txt");
    return SaveTextFile(path, !frm.RET_REG_DISABLESAVE);
}

void Documents::mnuSave_Click()
{
    Save();
}

void Documents::mnuSaveAs_Click()
{
    SaveAs();
}

// ---- recent document -------------------------------------------------------------------------

void Documents::WriteRecentFile(const QString &strFileName)
{
    frm.menus.mnuRecent->setText(strFileName.size() > 255 ? QString() : QLatin1Char('&') + strFileName);
}

void Documents::mnuRecent_Click()
{
    if (!frm.IsTextChanged())
        return;
    const QString path = frm.menus.mnuRecent->text().mid(1);
    if (!OpenTextFile(path, frm.RET_REG_LOADALL, false))
        frm.menus.mnuRecent->setText(QString());
}

// ---- font and colours ------------------------------------------------------------------------

void Documents::mnuFont_Click()
{
    platform::FontSpec font = frm.TTextBlock->fontSpec();
    quint32 colour = frm.TTextBlock->foreColor();
    if (!MdlCommonDialogs::ShowFontDialog(*frm.platform.dialogs, &frm, font, colour, 8, 72))
        return;
    try {
        frm.TTextBlock->setFontSpec(font);
        frm.TTextBlock->setForeColor(colour);
    } catch (const RuntimeError &e) {
        frm.msgBox(unknownError(e.code), MsgButtons::Ok, MsgIcon::Warning);
        return;
    }
    frm.UserChangeSettings = true;
}

void Documents::mnuColor_Click()
{
    quint32 colour = frm.TTextBlock->backColor();
    if (!MdlCommonDialogs::ShowColorDialog(*frm.platform.dialogs, &frm, colour))
        return;
    frm.TTextBlock->setBackColor(colour);
    frm.UserChangeSettings = true;
}

void Documents::mnuDefaultColor_Click()
{
    frm.TTextBlock->setBackColor(0xFFFFFF);
    frm.UserChangeSettings = true;
}
