#include "core/datapaths.h"
#include "core/signalwatcher.h"
#include "core/sites/sites.h"
#include "server/shell/startup.h"
#include "widgets/desktop.h"
#include "widgets/language.h"

#include <QApplication>
#include <QCommandLineParser>
#include <csignal>
#include <cstdio>

int main(int argc, char* argv[])
{
    Desktop::allowHelpWithoutDisplay(argc, argv);
    QApplication app(argc, argv);
    // No display name: the desktop would add it to every box title, and titles are shown exactly as given.
    QApplication::setApplicationName(QStringLiteral(QT_TRANSLATE_NOOP("Application", "Qorvil Clock System")));
    QApplication::setApplicationVersion(QStringLiteral(QORVIL_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "The Qorvil time clock: the clock window, the administration windows and, unless the terminal service "
        "serves them, the listener for terminals on TCP port 50505."));
    const QCommandLineOption database = DataPaths::databaseOption();
    const QCommandLineOption site = Sites::option();
    parser.addOption(database);
    parser.addOption(site);
    const QCommandLineOption language = Language::option();
    parser.addOption(language);
    parser.addHelpOption();
    parser.addVersionOption();
    parser.process(app);
    if (!Language::install(parser.value(language)))
        std::fprintf(stderr, "qorvil-server: no translation for the language \"%s\"; the windows stay English\n",
                     qPrintable(parser.value(language)));
    QString why;
    const std::optional<QString> name = Sites::fromArguments(parser, site, &why);
    if (!name) {
        std::fprintf(stderr, "qorvil-server: %s\n", qPrintable(why));
        return 2;
    }
    Sites::setCurrent(*name);

    Desktop::applySkin(app);
    Startup::run(DataPaths::locate(Database::Kind::Server, parser.value(database)));
    // Stopped by the session or the system: the windows close as on Exit, and the database is closed.
    SignalWatcher stopSignals({SIGTERM, SIGINT, SIGHUP});
    QObject::connect(&stopSignals, &SignalWatcher::received, &app, [] { QApplication::closeAllWindows(); });
    const int status = app.exec();
    Database::close();
    return status;
}
