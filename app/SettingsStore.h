#pragma once
// Everything the program remembers between runs: 49 settings, read once at start-up and written
// in three groups (W window geometry, A always, O options). The table below is the only place
// that knows where each setting lives in the program.

#include <QList>
#include <QString>
#include <functional>
#include <optional>

class FrmMain;

class SettingsStore {
public:
    enum class Kind { Boolean, Int16, Int32, Float, String };
    enum class Group { W, A, O };

    struct Row {
        QString section;
        QString key;
        Kind kind;
        Group group;
        std::optional<QString> fixedDefault;           // empty: the target's current value
        std::function<QString()> current;               // the target's value as stored text
        std::function<void(const QString &)> assign;    // converts the text and applies it
    };

    explicit SettingsStore(FrmMain &frm);

    void GetSettings();
    void SaveSettings(bool bAutoOnly, bool bSaveForm);
    bool IsSettingsChanged();

    const QList<Row> &rows() const { return m_rows; }

private:
    void buildRows();
    bool writeRow(const Row &row);

    FrmMain &frm;
    QList<Row> m_rows;
};
