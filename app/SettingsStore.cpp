#include "app/SettingsStore.h"

#include "app/SettingsValue.h"
#include "chrome/ChromeSettings.h"
#include "chrome/MainActions.h"
#include "document/Documents.h"
#include "editing/EditDialogs.h"
#include "platform/interfaces/RuntimeError.h"
#include "platform/textview/TextBox.h"
#include "platform/ui/Messenger.h"
#include "platform/ui/WindowGeometry.h"
#include "printing/PrintSettings.h"

#include <QAction>

using namespace SettingsValue;
using platform::MsgAnswer;
using platform::MsgButtons;
using platform::MsgIcon;

namespace {
const QString General = QStringLiteral("General");
const QString Other = QStringLiteral("Other");
const QString Font = QStringLiteral("Font");

// A colour is stored as a 32-bit integer 0x00BBGGRR; a negative value is no colour.
quint32 colourFrom(const QString &text)
{
    const qint32 v = parseInt32(text);
    if (v < 0)
        throw platform::RuntimeError(platform::ErrorCode::InvalidValue);
    return quint32(v);
}
} // namespace

using platform::WindowGeometry;

SettingsStore::SettingsStore(const Targets &targets, platform::SettingsBackend &backend,
                             platform::Messenger &messages)
    : m_geometry(targets.geometry), m_actions(targets.actions), m_backend(backend), m_messages(messages)
{
    buildRows(targets);
}

void SettingsStore::buildRows(const Targets &t)
{
    using K = Kind;
    using G = Group;
    auto add = [this](const QString &section, const char *key, K kind, G group, std::optional<QString> def,
                      std::function<QString()> current, std::function<void(const QString &)> assign) {
        m_rows.append({section, QString::fromLatin1(key), kind, group, std::move(def), std::move(current),
                       std::move(assign)});
    };
    auto boolMember = [&](const QString &section, const char *key, G group, bool &member, bool def) {
        add(section, key, K::Boolean, group, formatBool(def), [&member] { return formatBool(member); },
            [&member](const QString &t) { member = parseBool(t); });
    };
    auto int32Member = [&](const QString &section, const char *key, qint32 &member, qint32 def) {
        add(section, key, K::Int32, G::A, formatInt(def), [&member] { return formatInt(member); },
            [&member](const QString &t) { member = parseInt32(t); });
    };
    auto check = [&](const char *key, QAction *item) {
        add(General, key, K::Boolean, G::O, std::nullopt, [item] { return formatBool(item->isChecked()); },
            [item](const QString &t) { item->setChecked(parseBool(t)); });
    };
    platform::TextBox *box = &t.box;
    auto font = [box](auto change) {
        platform::FontSpec f = box->fontSpec();
        change(f);
        box->setFontSpec(f);
    };

    WindowGeometry &g = t.geometry;
    MainActions &m = t.actions;

    // W: the window
    add(General, "FormLeft", K::Float, G::W, std::nullopt, [&g] { return formatFloat(float(g.left())); },
        [&g](const QString &t) { g.setLeft(parseFloat(t)); });
    add(General, "FormTop", K::Float, G::W, std::nullopt, [&g] { return formatFloat(float(g.top())); },
        [&g](const QString &t) { g.setTop(parseFloat(t)); });
    add(General, "FormWidth", K::Float, G::W, std::nullopt, [&g] { return formatFloat(float(g.width())); },
        [&g](const QString &t) { g.setWidth(parseFloat(t)); });
    add(General, "FormHeight", K::Float, G::W, std::nullopt, [&g] { return formatFloat(float(g.height())); },
        [&g](const QString &t) { g.setHeight(parseFloat(t)); });
    add(General, "FormState", K::Int16, G::W, std::nullopt, [&g] { return formatInt(g.state()); },
        [&g](const QString &t) { g.setState(parseInt16(t)); });

    // A: always written
    ShellSettings &shell = t.shell;
    boolMember(General, "BadSize", G::A, shell.RET_REG_BADSIZE, false);
    boolMember(General, "EndState", G::A, shell.RET_REG_ENDSTATE, false);
    boolMember(General, "NewSettings", G::A, shell.RET_REG_NEWSETTINGS, true);
    int32Member(General, "TransparensyLevel", t.chrome.RET_REG_TRANSPARENSYLEVEL, 220);
    int32Member(General, "TransparensyIndex", t.chrome.RET_REG_TRANSPARENSYINDEX, 4);
    int32Member(Other, "ReplaceMatchCase", t.search.RET_REG_REPLACEMATCHCASE, 1);
    int32Member(Other, "FindMatchCase", t.search.RET_REG_FINDMATCHCASE, 1);
    boolMember(Other, "PrintPortrait", G::A, t.print.RET_REG_PRINTPORTRAIT, true);
    boolMember(Other, "PrintLandscape", G::A, t.print.RET_REG_PRINTLANDSCAPE, false);
    int32Member(Other, "PrintCopies", t.print.RET_REG_PRINTCOPIES, 1);
    boolMember(General, "DisableSave", G::A, t.document.RET_REG_DISABLESAVE, false);
    add(General, "ExecOnStart", K::String, G::A, QStringLiteral("Nothing"), [&shell] { return shell.RET_REG_EXECONSTART; },
        [&shell](const QString &text) { shell.RET_REG_EXECONSTART = text; });
    boolMember(General, "LoadAll", G::A, t.document.RET_REG_LOADALL, true);
    boolMember(General, "MultipleInstance", G::A, shell.RET_REG_MULTIPLEINSTANCE, true);
    boolMember(General, "UnloadOnEscape", G::A, shell.RET_REG_UNLOADONESCAPE, false);
    add(General, "RecentFile", K::String, G::A, std::nullopt, [&m] { return m.mnuRecent->text(); },
        [&m](const QString &t) { m.mnuRecent->setText(t); });
    add(General, "ConfirmSettings", K::Boolean, G::A, std::nullopt,
        [&m] { return formatBool(m.mnuConfirmSettings->isChecked()); },
        [&m](const QString &t) { m.mnuConfirmSettings->setChecked(parseBool(t)); });

    // O: the options
    add(General, "Alignment", K::Int16, G::O, std::nullopt, [box] { return formatInt(box->alignmentValue()); },
        [box](const QString &t) { box->setAlignmentValue(parseInt16(t)); });
    add(General, "BackColor", K::Int32, G::O, std::nullopt, [box] { return formatInt(qint32(box->backColor())); },
        [box](const QString &t) { box->setBackColor(colourFrom(t)); });
    add(Font, "FontColor", K::Int32, G::O, std::nullopt, [box] { return formatInt(qint32(box->foreColor())); },
        [box](const QString &t) { box->setForeColor(colourFrom(t)); });
    add(Font, "FontName", K::String, G::O, std::nullopt, [box] { return box->fontSpec().name; },
        [font](const QString &t) { font([&](platform::FontSpec &f) { f.name = t; }); });
    // A size the font command does not offer (a hundredth of a point shows nothing) counts as missing.
    add(Font, "FontSize", K::Float, G::O, std::nullopt, [box] { return formatFloat(float(box->fontSpec().size)); },
        [font](const QString &t) {
            const float size = parseFloat(t);
            if (size >= Documents::MinFontSize && size <= Documents::MaxFontSize)
                font([&](platform::FontSpec &f) { f.size = size; });
        });
    add(Font, "FontBold", K::Boolean, G::O, std::nullopt, [box] { return formatBool(box->fontSpec().bold); },
        [font](const QString &t) { font([&](platform::FontSpec &f) { f.bold = parseBool(t); }); });
    add(Font, "FontItalic", K::Boolean, G::O, std::nullopt, [box] { return formatBool(box->fontSpec().italic); },
        [font](const QString &t) { font([&](platform::FontSpec &f) { f.italic = parseBool(t); }); });
    add(Font, "FontUnderline", K::Boolean, G::O, std::nullopt, [box] { return formatBool(box->fontSpec().underline); },
        [font](const QString &t) { font([&](platform::FontSpec &f) { f.underline = parseBool(t); }); });
    add(Font, "FontStrikethru", K::Boolean, G::O, std::nullopt,
        [box] { return formatBool(box->fontSpec().strikethrough); },
        [font](const QString &t) { font([&](platform::FontSpec &f) { f.strikethrough = parseBool(t); }); });
    add(Font, "FontCharset", K::Int16, G::O, std::nullopt, [box] { return formatInt(box->fontSpec().charset); },
        [box](const QString &t) { box->setCharset(parseInt16(t)); });
    check("CheckLength", m.mnuCheckLen);
    check("CheckData", m.mnuCheckData);
    check("ReadKeys", m.mnuReadKeys);
    check("CodingWin", m.mnuCodingWin);
    check("CodingDos", m.mnuCodingDos);
    check("CodingKoi", m.mnuCodingKoi);
    check("SetCyrillic", m.mnuSetCyrillic);
    check("MinimizeToTray", m.mnuMinimizeToTray);
    check("AlwaysOnTop", m.mnuAlwaysOnTop);
    check("Transparensy", m.mnuTransparensy);
    check("CheckMouse", m.mnuCheckMouse);
    check("ToolBar", m.mnuToolbar);
    check("StatusBar", m.mnuStatusBar);
    check("ShowToolTips", m.mnuShowToolTips);
    check("ShowInfo", m.mnuShowInfo);
    check("PopupMenu", m.mnuPopupMenu);
    check("DefaultMenu", m.mnuDefaultMenu);
}

void SettingsStore::GetSettings()
{
    // Members without a menu item start from their table defaults, so that a read failure part
    // way through rewrites sensible values rather than zeros (a level of 0 is an invisible window).
    for (const Row &row : std::as_const(m_rows))
        if (row.fixedDefault)
            row.assign(*row.fixedDefault);

    try {
        for (const Row &row : std::as_const(m_rows)) {
            const QString def = row.fixedDefault ? *row.fixedDefault : row.current();
            const QString text = m_backend.read(row.section, row.key).value_or(def);
            row.assign(text);
        }
    } catch (const std::exception &) {
        m_messages.msgBox(QStringLiteral("Не удалось прочесть настройки!"), MsgButtons::Ok, MsgIcon::Warning);
        SaveSettings(Options::Written, Geometry::Written);
    }
}

bool SettingsStore::writeRow(const Row &row)
{
    return m_backend.write(row.section, row.key, row.current());
}

void SettingsStore::SaveSettings(Options options, Geometry geometry)
{
    const bool bAutoOnly = options == Options::NotWritten;
    const bool bSaveForm = geometry == Geometry::Written;
    bool ok = true;
    try {
        auto write = [&](const Row &row) {
            if (ok)
                ok = writeRow(row);
        };
        if (bSaveForm) {
            const WindowGeometry &g = m_geometry;
            const int state = g.state();
            if (state == 0) {
                const double left = g.left(), top = g.top();
                if (left > 0 && left < WindowGeometry::screenWidth() && top > 0 && top < WindowGeometry::screenHeight()) {
                    write(m_rows[0]);
                    write(m_rows[1]);
                }
                if (g.width() >= 3000 && g.height() >= 2000) {
                    write(m_rows[2]);
                    write(m_rows[3]);
                }
            }
            if (state != 1)
                write(m_rows[4]);
        }
        for (const Row &row : std::as_const(m_rows)) {
            if (row.group == Group::A || (row.group == Group::O && !bAutoOnly))
                write(row);
        }
        // What was written before a failure is kept.
        if (!m_backend.flush())
            ok = false;
    } catch (const std::exception &) {
        ok = false;
    }
    if (!ok)
        m_messages.msgBox(QStringLiteral("Не удалось сохранить настройки!"), MsgButtons::Ok, MsgIcon::Warning);
}

bool SettingsStore::IsSettingsChanged()
{
    if (!m_userChangeSettings)
        return false;
    if (m_actions.mnuConfirmSettings->isChecked()) {
        const MsgAnswer answer = m_messages.msgBox(
            QStringLiteral("Настройки программы были изменены.\r\n\r\nСохранить эти изменения?"), MsgButtons::YesNoCancel,
            MsgIcon::Question);
        switch (answer) {
        case MsgAnswer::Yes:
            SaveSettings(Options::Written, Geometry::Written);
            return false;
        case MsgAnswer::No:
            return false;
        default:
            return true;
        }
    }
    SaveSettings(Options::Written, Geometry::Written);
    return false;
}
