#include "platform/desktop/FontColorDialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <algorithm>

namespace platform {

namespace {

constexpr int StyleRole = Qt::UserRole;    // the style's own name on a style item
constexpr int ColourRole = Qt::UserRole;   // the QColor of a colour item

struct NamedColour {
    const char *name;
    QRgb rgb;
};

// The sixteen colours of the classic palette.
constexpr NamedColour StandardColours[] = {
    {"Чёрный", 0x000000},     {"Бордовый", 0x800000},    {"Зелёный", 0x008000},   {"Оливковый", 0x808000},
    {"Тёмно-синий", 0x000080}, {"Фиолетовый", 0x800080}, {"Сине-зелёный", 0x008080}, {"Серый", 0x808080},
    {"Серебристый", 0xC0C0C0}, {"Красный", 0xFF0000},     {"Ярко-зелёный", 0x00FF00}, {"Жёлтый", 0xFFFF00},
    {"Синий", 0x0000FF},       {"Фуксия", 0xFF00FF},      {"Голубой", 0x00FFFF},     {"Белый", 0xFFFFFF},
};
constexpr int StandardCount = int(std::size(StandardColours));

const QString SampleText = QStringLiteral("АаБбЯя AaBbYyZz");

QColor fromBgr(quint32 bgr)
{
    return QColor(int(bgr & 0xFF), int(bgr >> 8 & 0xFF), int(bgr >> 16 & 0xFF));
}

quint32 toBgr(const QColor &c)
{
    return quint32(c.red()) | quint32(c.green()) << 8 | quint32(c.blue()) << 16;
}

QIcon swatch(const QColor &colour)
{
    QPixmap pixmap(24, 14);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(Qt::darkGray);
    painter.setBrush(colour);
    painter.drawRect(0, 0, pixmap.width() - 1, pixmap.height() - 1);
    return QIcon(pixmap);
}

// The style names fonts commonly use, as a Russian user reads them; others are shown as the
// font names them.
QString shownStyle(const QString &style)
{
    static const QHash<QString, QString> names = {
        {QStringLiteral("Regular"), QStringLiteral("Обычный")},
        {QStringLiteral("Normal"), QStringLiteral("Обычный")},
        {QStringLiteral("Book"), QStringLiteral("Обычный")},
        {QStringLiteral("Roman"), QStringLiteral("Обычный")},
        {QStringLiteral("Italic"), QStringLiteral("Курсив")},
        {QStringLiteral("Oblique"), QStringLiteral("Наклонный")},
        {QStringLiteral("Bold"), QStringLiteral("Полужирный")},
        {QStringLiteral("Bold Italic"), QStringLiteral("Полужирный курсив")},
        {QStringLiteral("Bold Oblique"), QStringLiteral("Полужирный наклонный")},
        {QStringLiteral("Light"), QStringLiteral("Светлый")},
        {QStringLiteral("Medium"), QStringLiteral("Средний")},
    };
    return names.value(style, style);
}

// The weight a font object of the text box stands for: bold wins over a weight that says otherwise.
int effectiveWeight(const FontSpec &font)
{
    const int weight = qBound(1, font.weight, 1000);
    if (font.bold && weight < QFont::DemiBold)
        return QFont::Bold;
    if (!font.bold && weight > QFont::Medium)
        return QFont::Normal;
    return weight;
}

// The family's style nearest to the weight and slant: the slant first, then the weight.
QString closestStyle(const QString &family, int weight, bool italic)
{
    QString best;
    int bestScore = INT_MAX;
    for (const QString &style : QFontDatabase::styles(family)) {
        const int score = (QFontDatabase::italic(family, style) != italic ? 10000 : 0)
                          + qAbs(QFontDatabase::weight(family, style) - weight);
        if (score < bestScore) {
            bestScore = score;
            best = style;
        }
    }
    return best;
}

QString sizeText(double size)
{
    return QString::number(size, 'g', 6).replace(QLatin1Char('.'), QLatin1Char(','));
}

void selectItem(QListWidget *list, const std::function<bool(const QListWidgetItem *)> &matches)
{
    for (int row = 0; row < list->count(); ++row) {
        if (matches(list->item(row))) {
            list->setCurrentRow(row);
            list->scrollToItem(list->item(row));
            return;
        }
    }
    list->setCurrentRow(-1);
}

// A list whose current row only the user changes (a click, the arrow keys, typing): when the focus
// enters a list without a current row, Qt makes the first row current, and that is no choice.
class PickList : public QListWidget {
public:
    using QListWidget::QListWidget;

protected:
    void focusInEvent(QFocusEvent *event) override
    {
        const QSignalBlocker blocker(this);
        const bool hadCurrent = currentItem() != nullptr;
        QListWidget::focusInEvent(event);
        if (!hadCurrent)
            setCurrentRow(-1);
    }
};

} // namespace

FontColorDialog::FontColorDialog(const FontSpec &font, quint32 colour, int minSize, int maxSize, QWidget *parent)
    : QDialog(parent)
    , m_initial(font)
    , m_minSize(minSize > 0 ? minSize : 1)
    , m_maxSize(maxSize > 0 ? maxSize : 2048)
    , m_wantedWeight(effectiveWeight(font))
    , m_wantedItalic(font.italic)
    , m_familyEdit(new QLineEdit(this))
    , m_familyList(new PickList(this))
    , m_styleEdit(new QLineEdit(this))
    , m_styleList(new PickList(this))
    , m_sizeEdit(new QLineEdit(this))
    , m_sizeList(new PickList(this))
    , m_strikeout(new QCheckBox(tr("&Зачёркнутый"), this))
    , m_underline(new QCheckBox(tr("&Подчёркнутый"), this))
    , m_colourCombo(new QComboBox(this))
    , m_sample(new QLabel(SampleText, this))
{
    setWindowTitle(tr("Шрифт"));
    m_familyEdit->setObjectName(QStringLiteral("familyEdit"));
    m_familyList->setObjectName(QStringLiteral("familyList"));
    m_styleEdit->setObjectName(QStringLiteral("styleEdit"));
    m_styleList->setObjectName(QStringLiteral("styleList"));
    m_sizeEdit->setObjectName(QStringLiteral("sizeEdit"));
    m_sizeList->setObjectName(QStringLiteral("sizeList"));
    m_strikeout->setObjectName(QStringLiteral("strikeout"));
    m_underline->setObjectName(QStringLiteral("underline"));
    m_colourCombo->setObjectName(QStringLiteral("colourCombo"));

    m_styleEdit->setReadOnly(true);
    m_sizeEdit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,4}([.,]\\d{0,2})?")),
                                                             m_sizeEdit));
    m_familyList->setMinimumWidth(200);
    for (QListWidget *list : {m_familyList, m_styleList, m_sizeList})
        list->setFixedHeight(150);
    m_sizeList->setFixedWidth(70);
    m_sizeEdit->setFixedWidth(70);

    m_strikeout->setChecked(font.strikethrough);
    m_underline->setChecked(font.underline);
    for (const NamedColour &c : StandardColours) {
        const QColor colour = QColor::fromRgb(c.rgb);
        m_colourCombo->addItem(swatch(colour), QString::fromUtf8(c.name), colour);
    }
    m_colourCombo->addItem(tr("Другой цвет..."));
    setCustomColour(fromBgr(colour & 0xFFFFFF));

    m_sample->setAlignment(Qt::AlignCenter);
    m_sample->setMinimumHeight(60);
    m_sample->setAutoFillBackground(true);

    const auto label = [this](const QString &text, QWidget *buddy) {
        auto *l = new QLabel(text, this);
        l->setBuddy(buddy);
        return l;
    };
    auto *effects = new QGroupBox(tr("Видоизменение"), this);
    auto *effectsLayout = new QGridLayout(effects);
    effectsLayout->addWidget(m_strikeout, 0, 0, 1, 2);
    effectsLayout->addWidget(m_underline, 1, 0, 1, 2);
    effectsLayout->addWidget(label(tr("&Цвет:"), m_colourCombo), 2, 0);
    effectsLayout->addWidget(m_colourCombo, 2, 1);
    auto *sample = new QGroupBox(tr("Образец"), this);
    auto *sampleLayout = new QVBoxLayout(sample);
    sampleLayout->addWidget(m_sample);

    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(tr("ОК"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(tr("Отмена"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &FontColorDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &FontColorDialog::reject);

    auto *grid = new QGridLayout(this);
    grid->addWidget(label(tr("&Шрифт:"), m_familyEdit), 0, 0);
    grid->addWidget(label(tr("&Начертание:"), m_styleList), 0, 1);
    grid->addWidget(label(tr("&Размер:"), m_sizeEdit), 0, 2);
    // A label leads to one control; the other field or list under each caption is named after the
    // same caption, so that a screen reader tells what it holds.
    m_familyList->setAccessibleName(tr("Шрифт:"));
    m_styleEdit->setAccessibleName(tr("Начертание:"));
    m_styleList->setAccessibleName(tr("Начертание:"));   // a list is not named by its label
    m_sizeList->setAccessibleName(tr("Размер:"));
    grid->addWidget(m_familyEdit, 1, 0);
    grid->addWidget(m_styleEdit, 1, 1);
    grid->addWidget(m_sizeEdit, 1, 2);
    grid->addWidget(m_familyList, 2, 0);
    grid->addWidget(m_styleList, 2, 1);
    grid->addWidget(m_sizeList, 2, 2);
    grid->addWidget(effects, 3, 0);
    grid->addWidget(sample, 3, 1, 1, 2);
    grid->addWidget(buttons, 4, 0, 1, 3);

    // The initial state: the family the name resolves to, the style of the font's weight and
    // slant (never one picked by a style name, which a translation may have renamed), the size as
    // it is, fractions included.
    QFont initial(font.name);
    initial.setWeight(QFont::Weight(m_wantedWeight));
    initial.setItalic(font.italic);
    m_initialFamily = QFontInfo(initial).family();
    fillFamilies();
    m_initialSizeText = sizeText(font.size);
    m_sizeEdit->setText(m_initialSizeText);
    selectItem(m_familyList, [this](const QListWidgetItem *i) { return i->text() == m_initialFamily; });
    familyChanged();
    m_initialStyle = style();

    connect(m_familyList, &QListWidget::currentRowChanged, this, &FontColorDialog::familyChanged);
    connect(m_styleList, &QListWidget::currentRowChanged, this, &FontColorDialog::styleChanged);
    connect(m_sizeList, &QListWidget::currentTextChanged, this, [this](const QString &text) {
        if (!text.isEmpty() && text != m_sizeEdit->text()) {
            m_sizeEdit->setText(text);
            updateSample();
        }
    });
    connect(m_sizeEdit, &QLineEdit::textEdited, this, &FontColorDialog::sizeEdited);
    connect(m_familyEdit, &QLineEdit::textEdited, this, &FontColorDialog::familyEdited);
    connect(m_colourCombo, &QComboBox::activated, this, &FontColorDialog::colourActivated);
    connect(m_strikeout, &QCheckBox::toggled, this, &FontColorDialog::updateSample);
    connect(m_underline, &QCheckBox::toggled, this, &FontColorDialog::updateSample);
    m_familyEdit->setFocus();
}

void FontColorDialog::fillFamilies()
{
    QStringList families;
    for (const QString &family : QFontDatabase::families()) {
        if (!QFontDatabase::isPrivateFamily(family))
            families << family;
    }
    if (!families.contains(m_initialFamily))
        families.prepend(m_initialFamily);
    m_familyList->addItems(families);
}

QString FontColorDialog::family() const
{
    const QListWidgetItem *item = m_familyList->currentItem();
    return item ? item->text() : m_initialFamily;
}

QString FontColorDialog::style() const
{
    const QListWidgetItem *item = m_styleList->currentItem();
    return item ? item->data(StyleRole).toString() : QString();
}

void FontColorDialog::familyChanged()
{
    const QString current = family();
    if (!m_familyEdit->hasFocus() || m_familyEdit->text().isEmpty())
        m_familyEdit->setText(current);
    const QSignalBlocker blocker(m_styleList);
    m_styleList->clear();
    // Lighter before heavier, upright before slanted, as a user scans them.
    QStringList styles = QFontDatabase::styles(current);
    std::stable_sort(styles.begin(), styles.end(), [&](const QString &a, const QString &b) {
        return std::pair(QFontDatabase::weight(current, a), QFontDatabase::italic(current, a))
               < std::pair(QFontDatabase::weight(current, b), QFontDatabase::italic(current, b));
    });
    for (const QString &style : std::as_const(styles)) {
        auto *item = new QListWidgetItem(shownStyle(style), m_styleList);
        item->setData(StyleRole, style);
    }
    const QString wanted = closestStyle(current, m_wantedWeight, m_wantedItalic);
    selectItem(m_styleList, [&](const QListWidgetItem *i) { return i->data(StyleRole).toString() == wanted; });
    m_styleEdit->setText(m_styleList->currentItem() ? m_styleList->currentItem()->text() : QString());
    fillSizes();
    updateSample();
}

void FontColorDialog::styleChanged()
{
    // Only the user's choice gets here; the style a family change picks does not move what is wanted.
    m_wantedWeight = QFontDatabase::weight(family(), style());
    m_wantedItalic = QFontDatabase::italic(family(), style());
    m_styleEdit->setText(m_styleList->currentItem() ? m_styleList->currentItem()->text() : QString());
    fillSizes();
    updateSample();
}

void FontColorDialog::fillSizes()
{
    QList<int> sizes = QFontDatabase::pointSizes(family(), style());
    if (sizes.isEmpty())
        sizes = QFontDatabase::standardSizes();
    const QSignalBlocker blocker(m_sizeList);
    m_sizeList->clear();
    for (const int size : sizes) {
        if (size >= m_minSize && size <= m_maxSize)
            m_sizeList->addItem(QString::number(size));
    }
    const QString typed = sizeText(typedSize());
    selectItem(m_sizeList, [&](const QListWidgetItem *i) { return i->text() == typed; });
}

void FontColorDialog::sizeEdited(const QString &text)
{
    const QSignalBlocker blocker(m_sizeList);
    const QString typed = sizeText(typedSize());
    selectItem(m_sizeList, [&](const QListWidgetItem *i) { return !text.isEmpty() && i->text() == typed; });
    updateSample();
}

void FontColorDialog::familyEdited(const QString &text)
{
    if (text.isEmpty())
        return;
    for (int row = 0; row < m_familyList->count(); ++row) {
        if (m_familyList->item(row)->text().startsWith(text, Qt::CaseInsensitive)) {
            m_familyList->setCurrentRow(row);
            m_familyList->scrollToItem(m_familyList->item(row));
            return;
        }
    }
}

double FontColorDialog::typedSize() const
{
    bool ok = false;
    const double size = QString(m_sizeEdit->text()).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    return ok ? size : 0;
}

void FontColorDialog::colourActivated(int index)
{
    if (index != m_colourCombo->count() - 1) {
        m_colour = m_colourCombo->itemData(index, ColourRole).value<QColor>();
        updateSample();
        return;
    }
    // "Другой цвет...": any colour, through the colour chooser.
    QColorDialog chooser(m_colour, this);
    chooser.setOption(QColorDialog::DontUseNativeDialog);
    setCustomColour(chooser.exec() == QDialog::Accepted ? chooser.selectedColor() : m_colour);
}

// Selects the colour in the list; one outside the standard colours gets an item of its own.
void FontColorDialog::setCustomColour(const QColor &colour)
{
    int index = m_colourCombo->findData(colour, ColourRole);
    if (index < 0) {
        index = StandardCount;
        if (m_colourCombo->count() == StandardCount + 1)
            m_colourCombo->insertItem(index, tr("Другой"));
        m_colourCombo->setItemIcon(index, swatch(colour));
        m_colourCombo->setItemData(index, colour, ColourRole);
    }
    m_colourCombo->setCurrentIndex(index);
    m_colour = colour;
    updateSample();
}

quint32 FontColorDialog::selectedColour() const
{
    return toBgr(m_colour);
}

QFont FontColorDialog::sampleFont() const
{
    const double size = qBound(double(m_minSize), typedSize() > 0 ? typedSize() : m_initial.size, double(m_maxSize));
    QFont font = QFontDatabase::font(family(), style(), 12);
    font.setPointSizeF(size);
    font.setStrikeOut(m_strikeout->isChecked());
    font.setUnderline(m_underline->isChecked());
    return font;
}

void FontColorDialog::updateSample()
{
    m_sample->setFont(sampleFont());
    QPalette palette = m_sample->palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::WindowText, m_colour);
    m_sample->setPalette(palette);
}

FontSpec FontColorDialog::selectedFont() const
{
    FontSpec font = m_initial;
    const bool otherFamily = family() != m_initialFamily;
    if (otherFamily)
        font.name = family();
    const int weight = QFontDatabase::weight(family(), style());
    if ((otherFamily || style() != m_initialStyle) && weight > 0) {
        font.weight = weight;
        font.bold = weight >= QFont::DemiBold;
        font.italic = QFontDatabase::italic(family(), style());
    }
    if (m_sizeEdit->text() != m_initialSizeText)
        font.size = typedSize();
    font.strikethrough = m_strikeout->isChecked();
    font.underline = m_underline->isChecked();
    return font;
}

void FontColorDialog::accept()
{
    const double size = selectedFont().size;
    if (size < m_minSize || size > m_maxSize) {
        QMessageBox::warning(this, QStringLiteral("Jotbook"),
                             tr("Размер шрифта должен быть от %1 до %2 пунктов.").arg(m_minSize).arg(m_maxSize));
        m_sizeEdit->setFocus();
        m_sizeEdit->selectAll();
        return;
    }
    QDialog::accept();
}

} // namespace platform
