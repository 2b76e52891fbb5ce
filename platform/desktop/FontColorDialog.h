#pragma once
// The font chooser of the Format menu: family, style, size, strikeout, underline and the text's
// colour, with a sample. It opens on exactly the font it is given (an alias such as "Courier New"
// shows the family it stands for, the style the one whose weight and slant the font has) and
// gives back exactly that font for whatever the user left untouched: a font name written as an
// alias, a fractional size and the weight stay as they were.
//
// The size list offers only the sizes within the limits; a typed size outside them is refused
// with a warning and the dialog stays open.

#include "platform/interfaces/Platform.h"

#include <QColor>
#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace platform {

class FontColorDialog : public QDialog {
    Q_OBJECT
public:
    // colour is 0x00BBGGRR; a limit of 0 means none (sizes from 1 to 2048 points then).
    FontColorDialog(const FontSpec &font, quint32 colour, int minSize, int maxSize, QWidget *parent = nullptr);

    FontSpec selectedFont() const;
    quint32 selectedColour() const;

    void accept() override;

private:
    void fillFamilies();
    void familyChanged();
    void styleChanged();
    void fillSizes();
    void sizeEdited(const QString &text);
    void familyEdited(const QString &text);
    void colourActivated(int index);
    void setCustomColour(const QColor &colour);
    void updateSample();
    QString family() const;
    QString style() const;
    // The typed size in points, 0 when the text is no number.
    double typedSize() const;
    QFont sampleFont() const;

    FontSpec m_initial;
    QString m_initialFamily;   // the family the initial font's name resolves to
    QString m_initialStyle;
    QString m_initialSizeText;
    int m_minSize;
    int m_maxSize;
    // What the user wants while moving between families: the weight and slant of the last style
    // chosen (the initial font's at first).
    int m_wantedWeight;
    bool m_wantedItalic;
    QColor m_colour;

    QLineEdit *m_familyEdit;
    QListWidget *m_familyList;
    QLineEdit *m_styleEdit;
    QListWidget *m_styleList;
    QLineEdit *m_sizeEdit;
    QListWidget *m_sizeList;
    QCheckBox *m_strikeout;
    QCheckBox *m_underline;
    QComboBox *m_colourCombo;
    QLabel *m_sample;
};

} // namespace platform
