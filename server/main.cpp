#include "core/datapaths.h"
#include "core/signalwatcher.h"
#include "core/sites/sites.h"
#include "server/shell/startup.h"
#include "widgets/desktop.h"

#include <QApplication>
#include <QCommandLineParser>
#include <csignal>
#include <cstdio>

int main(int argc, char* argv[])
{
    Desktop::allowHelpWithoutDisplay(argc, argv);
    QApplication app(argc, argv);
    // No display name: the desktop would add it to every box title, and titles are shown exactly as given.
    QApplication::setApplicationName(QStringLiteral("Qorvil Clock System"));
    QApplication::setApplicationVersion(QStringLiteral(QORVIL_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "The Qorvil time clock: the clock window, the administration windows and, unless the terminal service "
        "serves them, the listener for terminals on TCP port 50505."));
    const QCommandLineOption database(
        QStringLiteral("database"),
        QStringLiteral("The database to use instead of the usual punched.mdb: a file, or "
                       "postgresql://USER@HOST:PORT/DBNAME shared by several sites (the password from ~/.pgpass or "
                       "PGPASSWORD)."),
        QStringLiteral("FILE"));
    const QCommandLineOption site(QStringLiteral("site"),
                                  QStringLiteral("The site this clock punches for, recorded with each day's first "
                                                 "punch and each terminal."),
                                  QStringLiteral("NAME"));
    parser.addOption(database);
    parser.addOption(site);
    parser.addHelpOption();
    parser.addVersionOption();
    parser.process(app);
    if (parser.isSet(site)) {
        QString why;
        const std::optional<QString> name = Sites::readName(parser.value(site), &why);
        if (!name) {
            std::fprintf(stderr, "qorvil-server: --site: %s\n", qPrintable(why));
            return 2;
        }
        Sites::setCurrent(*name);
    }

    Desktop::applySkin(app);
    Startup::run(DataPaths::locate(Database::Kind::Server, parser.value(database)));
    // Stopped by the session or the system: the windows close as on Exit, and the database is closed.
    SignalWatcher stopSignals({SIGTERM, SIGINT, SIGHUP});
    QObject::connect(&stopSignals, &SignalWatcher::received, &app, [] { QApplication::closeAllWindows(); });
    const int status = app.exec();
    Database::close();
    return status;
}
