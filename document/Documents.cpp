#include "document/Documents.h"

#include "document/Document.h"
#include "document/FileAccess.h"
#include "document/MdlCode.h"
#include "document/MdlCommonDialogs.h"
#include "platform/interfaces/FileCoding.h"
#include "platform/interfaces/RuntimeError.h"
#include "platform/textmodel/Ansi.h"
#include "platform/textview/TextBox.h"
#include "platform/ui/Messenger.h"

#include <QApplication>
#include <QMimeData>
#include <QUrl>

#include <new>

using platform::FileCoding;
using platform::MsgAnswer;
using platform::MsgButtons;
using platform::MsgIcon;
using platform::RuntimeError;
using Utf8Reading = platform::Ansi::Utf8Reading;
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

Documents::Documents(const Context &context) : c(context)
{
    c.document.setSaver([this] { return Save(); });
}

QString Documents::SaveFailureReason(int code)
{
    return saveFailureReason(code);
}

// A failed open or save forgets the document's name and tells the user which file and why.
void Documents::reportFailure(const QString &path, const QString &headline, const QString &reason)
{
    c.document.ForgetName();
    c.messages.msgBox(path + CrLf + CrLf + headline + CrLf + reason, MsgButtons::Ok, MsgIcon::Warning);
}

// ---- opening ---------------------------------------------------------------------------------

bool Documents::OpenTextFile(const QString &fileName, bool bLoadAll, bool bOpenAsData)
{
    // A copy: the caller may pass GlobalFileName itself, which a failure clears.
    const QString strFileName = fileName;
    const auto ask = [&](const QString &headline, const QString &question) {
        const QString text = strFileName + CrLf + CrLf + headline + CrLf + question;
        return c.messages.msgBox(text, MsgButtons::YesNo, MsgIcon::Warning, 2) == MsgAnswer::Yes;
    };
    const QString tryLoading = QStringLiteral("Попытаться загрузить его?");
    const DocumentOptions options = c.options();
    platform::TextBox &box = c.box;

    int error = 0;
    {
        WaitCursor wait;
        try {
            const qint64 size = FileAccess::FileLength(strFileName);
            if (size > MaxPlainTextSize && options.checkLength
                && !ask(QStringLiteral("Файл достаточно велик для текстового поля!") + CrLf
                        + QStringLiteral("Его открытие может привести к некорректной работе программы."),
                        tryLoading)) {
                return true;
            }

            QByteArray text = FileAccess::ReadWholeFile(strFileName);

            if (options.checkData) {
                bool isData = bOpenAsData;
                if (!isData && holdsControlCharacters(text)) {
                    if (!ask(QStringLiteral("Возможно, этот файл содержит данные не в формате простого текста."),
                             tryLoading))
                        return true;
                    isData = true;
                }
                if (isData && !bLoadAll)
                    throw RuntimeError(Code::Refused);
            }

            text.replace('\0', ' ');

            // A UTF-8 file is shown as the Windows-1251 text of its characters and remembered as
            // UTF-8, so that saving writes UTF-8 again. One whose characters do not all exist in
            // Windows-1251 is never converted with loss: it loads as the bytes it holds, or not at
            // all. An explicit DOS or KOI choice is taken as it is.
            FileCoding coding = FileCoding::Ansi;
            if (!options.codingDos && !options.codingKoi) {
                Utf8Reading utf8 = platform::Ansi::readUtf8(std::move(text));
                text = std::move(utf8.text);
                if (utf8.kind == Utf8Reading::Converted) {
                    coding = utf8.mark ? FileCoding::Utf8WithMark : FileCoding::Utf8;
                } else if (utf8.kind == Utf8Reading::Foreign
                           && !ask(QStringLiteral("Файл записан в кодировке UTF-8 и содержит символы, которых нет "
                                                  "в кодировке Windows-1251."),
                                   QStringLiteral("Открыть его без перекодировки?"))) {
                    return true;
                }
            }
            if (options.codingDos)
                text = MdlCode::ConvertCoding(text, MdlCode::Dos, MdlCode::Windows);
            if (options.codingKoi)
                text = MdlCode::ConvertCoding(text, MdlCode::Koi, MdlCode::Windows);

            if (options.setCyrillic)
                box.setCharset(204);
            // The box gives back exactly the bytes it was given, so the loaded text is also the
            // text as the box holds it; the two share one buffer.
            box.setText(text);
            c.document.Commit(text, strFileName, coding);
            // The text markers look only at the first four characters and at whether the text
            // is longer than the plain-text limit: a prefix one byte past the limit decides both.
            if (c.loaded)
                c.loaded(text.left(MaxPlainTextSize + 1));
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
    if (!c.document.IsTextChanged())
        return;
    const QString path = MdlCommonDialogs::ShowOpenDialog(c.dialogs, c.owner, QStringLiteral("Открытие документа"),
                                                          openFilters(), 2, QStringLiteral("*.txt;*.log"));
    if (!path.isEmpty())
        OpenTextFile(path, c.options().loadAll, false);
}

bool Documents::TTextBlock_OLEDragDrop(const QMimeData *data, Qt::DropActions offered)
{
    Q_UNUSED(offered);
    if (!c.document.IsTextChanged())
        return false;
    // Files dragged from a file manager arrive as local file URLs; only the first is opened.
    if (data) {
        for (const QUrl &url : data->urls()) {
            if (url.isLocalFile())
                return OpenTextFile(url.toLocalFile(), c.options().loadAll, false);
        }
    }
    c.messages.msgBox(QStringLiteral("Данные или объекты такого типа не могут быть загружены!"), MsgButtons::Ok,
                      MsgIcon::Warning);
    return false;
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
        const QByteArray text = c.document.text().text();
        const FileCoding coding = c.document.coding();
        FileAccess::SaveFile(strFileName, coding == FileCoding::Ansi
                                              ? text
                                              : platform::Ansi::toUtf8(text, coding == FileCoding::Utf8WithMark));
        c.document.Commit(text, strFileName, coding);
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
    if (!c.document.GlobalFileName().isEmpty())
        return SaveTextFile(c.document.GlobalFileName(), !c.options().disableSave);
    return SaveAs();
}

bool Documents::SaveAs()
{
    int chosenFilter = 0;
    QString path = MdlCommonDialogs::ShowSaveDialog(c.dialogs, c.owner, QStringLiteral("Сохранение документа"),
                                                    saveFilters(), 1, chosenFilter, QStringLiteral("Документ.txt"));
    if (path.isEmpty())
        return false;
    if (chosenFilter == 1 && path.right(4).toUpper() != QLatin1String(".TXT"))
        path += QStringLiteral(".txt");
    return SaveTextFile(path, !c.options().disableSave);
}

// ---- recent document -------------------------------------------------------------------------

void Documents::mnuRecent_Click()
{
    if (!c.document.IsTextChanged())
        return;
    if (!OpenTextFile(c.document.RecentFile(), c.options().loadAll, false))
        c.document.ClearRecentFile();
}

// ---- font and colours ------------------------------------------------------------------------

void Documents::mnuFont_Click()
{
    platform::TextBox &box = c.box;
    platform::FontSpec font = box.fontSpec();
    quint32 colour = box.foreColor();
    if (!MdlCommonDialogs::ShowFontDialog(c.dialogs, c.owner, font, colour, MinFontSize, MaxFontSize))
        return;
    try {
        box.setFontSpec(font);
        box.setForeColor(colour);
    } catch (const RuntimeError &e) {
        c.messages.msgBox(unknownError(e.code), MsgButtons::Ok, MsgIcon::Warning);
        return;
    }
    c.settingsChanged();
}

void Documents::mnuColor_Click()
{
    platform::TextBox &box = c.box;
    quint32 colour = box.backColor();
    if (!MdlCommonDialogs::ShowColorDialog(c.dialogs, c.owner, colour))
        return;
    box.setBackColor(colour);
    c.settingsChanged();
}

void Documents::mnuDefaultColor_Click()
{
    c.box.setBackColor(0xFFFFFF);
    c.settingsChanged();
}
