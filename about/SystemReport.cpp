#include "about/SystemReport.h"

#include "about/MdlOther.h"
#include "platform/interfaces/LocaleTime.h"
#include "platform/interfaces/Platform.h"
#include "platform/textmodel/Ansi.h"
#include "platform/textview/TextBox.h"

#include <QStringList>

namespace SystemReport {

QString BuildSystemReport(const platform::SystemFacts &facts, const QDateTime &now, const QVersionNumber &version)
{
    const QString versionText = facts.versionText();
    const QString servicePack = facts.servicePack();
    const quint64 total = facts.totalPhysicalMemory();
    const quint64 available = facts.availablePhysicalMemory();
    int system = 0, gdi = 0, user = 0;
    if (!facts.freeResources(system, gdi, user))
        system = gdi = user = 0;

    const QString separator = platform::timeSeparator();
    const QString time = now.toString(QStringLiteral("hh")) + separator + now.toString(QStringLiteral("mm")) + separator
                         + now.toString(QStringLiteral("ss"));
    const QString date = now.toString(QStringLiteral("dd.MM.yyyy"));
    const auto line = [](const char *label, const QString &value) {
        return QLatin1String(label) + QLatin1Char(' ') + value;
    };
    const auto percent = [](int figure) { return QString::number(figure) + QLatin1Char('%'); };

    const QStringList lines = {
        line("Program Name:", QStringLiteral("Jotbook")),
        line("Program Version:",
             QString::number(version.majorVersion()) + QLatin1Char('.') + QString::number(version.minorVersion())),
        QString(),
        line("Current System:", facts.productName()),
        line("System Updates:", servicePack),
        line("System Version:", versionText),
        QString(),
        line("System Folder:", facts.systemFolder()),
        line("Windows Folder:", facts.windowsFolder()),
        line("Application Folder:", MdlOther::AddBackslash(facts.programFolder())),
        QString(),
        line("Total Memory:", MdlOther::FormatMemory(total) + QStringLiteral(" Byte")),
        line("Available Memory:", MdlOther::FormatMemory(available) + QStringLiteral(" Byte")),
        QString(),
        line("Free System Resources:", percent(system)),
        line("Free User Resources:", percent(user)),
        line("Free GDI Resources:", percent(gdi)),
        QString(),
        line("Time:", time),
        line("Date:", date),
    };
    return lines.join(QStringLiteral("\r\n"));
}

void InsertSystemReport(platform::TextBox &box, const QString &report)
{
    const int start = box.selStart();
    box.setSel(start, start + box.selLength());
    box.replaceSel(platform::Ansi::fromUnicode(report), true);
}

} // namespace SystemReport
