#include "document/MdlCommonDialogs.h"

namespace MdlCommonDialogs {

namespace {

platform::FileDialogRequest fileRequest(const QString &title, const QList<platform::FileFilter> &filters,
                                        int filterIndex, const QString &initialName, const QString &initialDir)
{
    platform::FileDialogRequest request;
    request.title = title;
    request.filters = filters;
    request.filterIndex = filterIndex;
    request.initialName = initialName;
    request.initialDir = initialDir;
    return request;
}

} // namespace

QString ShowOpenDialog(platform::CommonDialogs &dialogs, QWidget *owner, const QString &title,
                       const QList<platform::FileFilter> &filters, int filterIndex,
                       const QString &initialName, const QString &initialDir)
{
    return TrimNull(dialogs.openFile(owner, fileRequest(title, filters, filterIndex, initialName, initialDir)));
}

QString ShowSaveDialog(platform::CommonDialogs &dialogs, QWidget *owner, const QString &title,
                       const QList<platform::FileFilter> &filters, int filterIndex, int &chosenFilter,
                       const QString &initialName, const QString &initialDir)
{
    int selected = chosenFilter;
    const QString path = TrimNull(
        dialogs.saveFile(owner, fileRequest(title, filters, filterIndex, initialName, initialDir), selected));
    if (!path.isEmpty())
        chosenFilter = selected;
    return path;
}

QList<quint32> GreyCustomColors()
{
    QList<quint32> colours;
    colours.reserve(16);
    for (quint32 i = 0; i < 16; ++i) {
        const quint32 level = 255 - 17 * i;
        colours.append(level | level << 8 | level << 16);
    }
    return colours;
}

bool ShowColorDialog(platform::CommonDialogs &dialogs, QWidget *owner, quint32 &colour)
{
    quint32 chosen = colour;
    if (!dialogs.chooseColor(owner, chosen, GreyCustomColors()))
        return false;
    colour = chosen;
    return true;
}

bool ShowFontDialog(platform::CommonDialogs &dialogs, QWidget *owner, platform::FontSpec &font,
                    quint32 &colour, int minSize, int maxSize)
{
    platform::FontSpec chosenFont = font;
    quint32 chosenColour = colour;
    if (!dialogs.chooseFont(owner, chosenFont, chosenColour, minSize, maxSize))
        return false;
    font = chosenFont;
    colour = chosenColour;
    return true;
}

QString TrimNull(const QString &text)
{
    const qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}

} // namespace MdlCommonDialogs
