#include "app/Application.h"

#include "app/FrmMain.h"
#include "document/CommandLine.h"
#include "platform/desktop/QtPlatform.h"
#include "platform/interfaces/Version.h"
#include "printing/PrintDocument.h"

#include <QApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QStringList>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>

namespace {

// Window position, stacking and the pointer behave as the program expects only under X11, so an
// X display is preferred also inside a Wayland session.
void preferX11()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
}

void loadTranslations(QApplication &app)
{
    auto *qt = new QTranslator(&app);
    if (qt->load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(qt);
}

} // namespace

int runJotbook(int argc, char *argv[])
{
    // The command line belongs to the program: Qt is given none of it, so that a file named
    // "-reverse" or "-style" opens instead of changing the window. Qt's environment variables
    // (QT_QPA_PLATFORM, QT_STYLE_OVERRIDE, ...) still apply. The command line is the program's
    // arguments joined by single spaces.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const QString commandLine = args.join(QLatin1Char(' '));

    // The usage and the version need no window, and so no display.
    const auto taken = [](const QString &name) { return QFileInfo::exists(name); };
    switch (CommandLine::InfoRequest(commandLine, taken)) {
    case CommandLine::Request::Usage:
        std::fputs(CommandLine::Usage().toLocal8Bit().constData(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    case CommandLine::Request::Version:
        std::fputs(QStringLiteral("Jotbook %1\n").arg(QStringLiteral(JOTBOOK_VERSION_STRING)).toLocal8Bit().constData(),
                   stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    case CommandLine::Request::Window:
        break;
    }

    int qtArgc = 1;

    preferX11();
    QApplication app(qtArgc, argv);
    QApplication::setApplicationName(QStringLiteral("Jotbook"));
    QApplication::setOrganizationName(QStringLiteral("Jotbook"));
    QApplication::setApplicationVersion(QStringLiteral(JOTBOOK_VERSION_STRING));
    QGuiApplication::setDesktopFileName(QStringLiteral("jotbook"));
    loadTranslations(app);

    platform::QtPlatform qtPlatform;
    platform::Platform platform = qtPlatform.platform();
    FrmMain frm(platform);

    int code = 1;
    if (frm.Form_Load(commandLine)) {
        frm.show();
        code = QApplication::exec();
    }
    if (Printing::jobRunning()) {
        // A print job still waits for a printing service that stopped answering: the program ends
        // here, before anything that job may come back to is gone.
        std::fflush(nullptr);
        std::_Exit(code);
    }
    return code;
}
