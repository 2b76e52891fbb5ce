#include "editing/Editing.h"

#include "platform/interfaces/LocaleTime.h"
#include "platform/textmodel/Ansi.h"
#include "platform/textview/TextBox.h"

namespace EditCommands {

void ChangeCase(platform::TextBox &box, bool toUpper)
{
    const int start = box.selStart();
    const int length = box.selLength();
    if (length <= 0)
        return;
    const QByteArray selected = box.selectedText();
    box.replaceSel(toUpper ? platform::Ansi::toUpper(selected) : platform::Ansi::toLower(selected), true);
    box.setSel(start, start + length);
}

void InsertTimeDate(platform::TextBox &box, const QDateTime &now)
{
    const int start = box.selStart();
    box.setSel(start, start + box.selLength());
    const QString stamp = now.toString(QStringLiteral("hh")) + platform::timeSeparator()
        + now.toString(QStringLiteral("mm")) + QLatin1Char(' ') + now.toString(QStringLiteral("dd.MM.yyyy"));
    box.replaceSel(platform::Ansi::fromUnicode(stamp), true);
}

} // namespace EditCommands
