#pragma once
// Everything the program remembers between runs: 49 settings, read once at start-up and written
// in three groups (W window geometry, A always, O options). The table below is the only place
// that knows where each setting lives in the program: the window's geometry, the option marks of
// the menu items, the text box's alignment, colours and font, and the settings structs of the
// subsystems.

#include <QList>
#include <QString>
#include <functional>
#include <optional>

struct ChromeSettings;
struct DocumentSettings;
struct MainActions;
struct PrintSettings;
struct SearchMemory;
namespace platform {
class Messenger;
class SettingsBackend;
class TextBox;
class WindowGeometry;
}

// The settings without a menu item that the application shell itself uses.
struct ShellSettings {
    bool RET_REG_BADSIZE = false;          // the invalid-size notice has been shown
    bool RET_REG_ENDSTATE = false;         // the last run ended through the shutdown sequence
    bool RET_REG_NEWSETTINGS = false;      // the first start has not been completed yet
    QString RET_REG_EXECONSTART;           // handed to the shell at every start
    bool RET_REG_MULTIPLEINSTANCE = false; // a second running copy is allowed
    bool RET_REG_UNLOADONESCAPE = false;   // Escape closes the main window
};

class SettingsStore {
public:
    enum class Kind { Boolean, Int16, Int32, Float, String };
    enum class Group { W, A, O };
    // What SaveSettings writes besides the always-saved group.
    enum class Options { Written, NotWritten };     // bAutoOnly false / true
    enum class Geometry { Written, NotWritten };    // bSaveForm true / false

    struct Row {
        QString section;
        QString key;
        Kind kind;
        Group group;
        std::optional<QString> fixedDefault;           // empty: the target's current value
        std::function<QString()> current;               // the target's value as stored text
        std::function<void(const QString &)> assign;    // converts the text and applies it
    };

    // Where the settings live.
    struct Targets {
        platform::WindowGeometry &geometry;
        platform::TextBox &box;
        MainActions &actions;
        ShellSettings &shell;
        DocumentSettings &document;
        ChromeSettings &chrome;
        SearchMemory &search;
        PrintSettings &print;
    };

    SettingsStore(const Targets &targets, platform::SettingsBackend &backend, platform::Messenger &messages);

    void GetSettings();
    void SaveSettings(Options options, Geometry geometry);
    // Returns true when the user cancelled (the caller must not go on); otherwise the changed
    // options were saved or, at the user's answer, left unsaved.
    bool IsSettingsChanged();

    // Set by every option the user changes; cleared at start-up.
    bool UserChangeSettings() const { return m_userChangeSettings; }
    void setUserChangeSettings(bool changed) { m_userChangeSettings = changed; }

    const QList<Row> &rows() const { return m_rows; }

private:
    void buildRows(const Targets &t);
    bool writeRow(const Row &row);

    platform::WindowGeometry &m_geometry;
    MainActions &m_actions;
    platform::SettingsBackend &m_backend;
    platform::Messenger &m_messages;
    QList<Row> m_rows;
    bool m_userChangeSettings = false;
};
