#pragma once
// The standard choosers as plain function calls: file open and save, colour, font. Each shows the
// platform's modal dialog and hands back plain values; a cancelled or failed dialog gives an empty
// path or false and changes nothing.

#include "platform/interfaces/Platform.h"

#include <QList>
#include <QString>

namespace MdlCommonDialogs {

// The chosen full path, or empty when the user cancelled. filterIndex is 1-based.
QString ShowOpenDialog(platform::CommonDialogs &dialogs, QWidget *owner, const QString &title,
                       const QList<platform::FileFilter> &filters, int filterIndex,
                       const QString &initialName, const QString &initialDir = QString());

// The chosen full path, or empty when cancelled. On success chosenFilter receives the 1-based
// index of the filter selected when the user confirmed; on cancel it keeps its value.
QString ShowSaveDialog(platform::CommonDialogs &dialogs, QWidget *owner, const QString &title,
                       const QList<platform::FileFilter> &filters, int filterIndex, int &chosenFilter,
                       const QString &initialName, const QString &initialDir = QString());

// The 16 custom colours offered by the colour chooser: white, 14 greys, black (0x00BBGGRR).
QList<quint32> GreyCustomColors();

// True when the user confirmed; colour (0x00BBGGRR) then holds the choice. The custom colours
// are the grey row every time, so colours the user defined are not kept.
bool ShowColorDialog(platform::CommonDialogs &dialogs, QWidget *owner, quint32 &colour);

// True when confirmed: font and colour then hold the choice. Sizes are limited to
// minSize..maxSize points unless both are 0.
bool ShowFontDialog(platform::CommonDialogs &dialogs, QWidget *owner, platform::FontSpec &font,
                    quint32 &colour, int minSize, int maxSize);

// The part of text before its first NUL, or the whole text.
QString TrimNull(const QString &text);

} // namespace MdlCommonDialogs
