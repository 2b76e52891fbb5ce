#include "platform/desktop/QtPlatform.h"

#include "platform/desktop/FontColorDialog.h"

#include <QColorDialog>
#include <QFileDialog>

namespace platform {

namespace {

// Qt reads the patterns of a name filter split by spaces; "*.*" means every file here.
QStringList qtPatterns(const QString &patterns)
{
    QStringList out;
    for (const QString &p : patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString pattern = p.trimmed();
        out << (pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern);
    }
    return out;
}

bool hasWildcards(const QString &name)
{
    return name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?'));
}

// A file chooser set up from the request. It is the desktop's own where the desktop offers one
// (through its platform theme: GTK, KDE or the xdg desktop portal), Qt's own otherwise; both get
// the same title, filters, initial name and folder. Returns the name filters it was given, in
// the order of the request.
QStringList prepare(QFileDialog &dialog, const FileDialogRequest &request)
{
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setWindowTitle(request.title);
    if (!request.initialDir.isEmpty())
        dialog.setDirectory(request.initialDir);

    QStringList nameFilters;
    for (const FileFilter &f : request.filters)
        nameFilters << QtCommonDialogs::qtNameFilter(f);
    int filterIndex = request.filterIndex;
    QString name = request.initialName;
    if (hasWildcards(name)) {
        // A name made of patterns picks the filter with those patterns rather than being typed.
        for (int i = 0; i < request.filters.size(); ++i) {
            if (qtPatterns(request.filters.at(i).patterns) == qtPatterns(name)) {
                filterIndex = i + 1;
                break;
            }
        }
        name.clear();
    }
    if (!nameFilters.isEmpty()) {
        dialog.setNameFilters(nameFilters);
        dialog.selectNameFilter(nameFilters.at(qBound(1, filterIndex, int(nameFilters.size())) - 1));
    }
    if (!name.isEmpty())
        dialog.selectFile(name);
    return nameFilters;
}

QString chosenPath(const QFileDialog &dialog)
{
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

quint32 toBgr(const QColor &c)
{
    return quint32(c.red()) | quint32(c.green()) << 8 | quint32(c.blue()) << 16;
}

QColor fromBgr(quint32 bgr)
{
    return QColor(int(bgr & 0xFF), int(bgr >> 8 & 0xFF), int(bgr >> 16 & 0xFF));
}

} // namespace

QString QtCommonDialogs::qtNameFilter(const FileFilter &filter)
{
    return filter.text + QLatin1String(" (") + qtPatterns(filter.patterns).join(QLatin1Char(' ')) + QLatin1Char(')');
}

QString QtCommonDialogs::openFile(QWidget *owner, const FileDialogRequest &request)
{
    QFileDialog dialog(owner);
    prepare(dialog, request);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return chosenPath(dialog);
}

QString QtCommonDialogs::saveFile(QWidget *owner, const FileDialogRequest &request, int &chosenFilter)
{
    QFileDialog dialog(owner);
    const QStringList nameFilters = prepare(dialog, request);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);   // Qt asks before overwriting
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QString path = chosenPath(dialog);
    if (path.isEmpty())
        return {};
    // With the details hidden Qt may report the filter as shown rather than as given, and a
    // desktop's chooser by its name alone or with its patterns written its own way.
    const QString selected = dialog.selectedNameFilter();
    const QString selectedName = selected.section(QStringLiteral(" ("), 0, 0).simplified();
    qsizetype index = nameFilters.indexOf(selected);
    for (qsizetype i = 0; index < 0 && i < request.filters.size(); ++i) {
        const QString text = request.filters.at(i).text.simplified();
        if (text == selected || text.section(QStringLiteral(" ("), 0, 0) == selectedName)
            index = i;
    }
    chosenFilter = int(index) + 1;
    return path;
}

bool QtCommonDialogs::chooseColor(QWidget *owner, quint32 &colour, const QList<quint32> &customColors)
{
    for (int i = 0; i < QColorDialog::customCount(); ++i)
        QColorDialog::setCustomColor(i, i < customColors.size() ? fromBgr(customColors.at(i)) : QColor(Qt::white));
    QColorDialog dialog(fromBgr(colour), owner);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    colour = toBgr(dialog.selectedColor());
    return true;
}

bool QtCommonDialogs::chooseFont(QWidget *owner, FontSpec &font, quint32 &colour, int minSize, int maxSize)
{
    FontColorDialog dialog(font, colour, minSize, maxSize, owner);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    font = dialog.selectedFont();
    colour = dialog.selectedColour();
    return true;
}

} // namespace platform
