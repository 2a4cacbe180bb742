// qorvil-service: serves the punch terminals without a display, for systemd. It never asks: what the desktop
// server would show in a box is a log line on standard error, and a terminal is greeted as soon as it connects.
#include "core/datapaths.h"
#include "core/exitstatus.h"
#include "core/net/terminalaccess.h"
#include "core/net/terminallistener.h"
#include "core/protocol.h"
#include "core/settings.h"
#include "core/signalwatcher.h"
#include "core/sites/sites.h"
#include "core/store/database.h"
#include "core/store/trailwriter.h"
#include "service/servicelog.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QTextStream>
#include <QTimer>
#include <csignal>

namespace {

using namespace ExitStatus;

// How often a database server that cannot be reached at start is tried again.
constexpr int kOpenRetryMs = 5000;

struct Options
{
    QString database;
    QString site;
    quint16 port = Protocol::kPort;
    QHostAddress address = QHostAddress::Any;
};

// Reads the options; returns the exit status when the program ends here (help, version, bad arguments).
std::optional<int> readOptions(const QStringList& arguments, Options* options)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("The Qorvil terminal service: serves the punch terminals without a display."));
    const QCommandLineOption database = DataPaths::databaseOption();
    const QCommandLineOption site = Sites::option();
    const QCommandLineOption port(
        QStringLiteral("port"), QStringLiteral("The TCP port terminals connect to (default %1).").arg(Protocol::kPort),
        QStringLiteral("N"));
    const QCommandLineOption listen(QStringLiteral("listen"),
                                    QStringLiteral("The address to listen on (default: every address)."),
                                    QStringLiteral("ADDRESS"));
    parser.addOptions({database, site, port, listen});
    parser.addHelpOption();
    parser.addVersionOption();

    QTextStream out(stdout);
    QTextStream err(stderr);
    QString problem;
    if (!parser.parse(arguments)) {
        problem = parser.errorText();
    } else if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        out << parser.helpText();
        return Done;
    } else if (parser.isSet(QStringLiteral("version"))) {
        out << QCoreApplication::applicationName() << ' ' << QCoreApplication::applicationVersion() << '\n';
        return Done;
    } else if (!parser.positionalArguments().isEmpty()) {
        problem = QStringLiteral("unknown argument \"%1\"").arg(parser.positionalArguments().constFirst());
    }
    if (problem.isEmpty() && parser.isSet(port)) {
        bool ok = false;
        const uint number = parser.value(port).toUInt(&ok);
        if (!ok || number > 65535)
            problem = QStringLiteral("--port \"%1\" is not a port number (0 to 65535)").arg(parser.value(port));
        options->port = quint16(number);
    }
    if (problem.isEmpty()) {
        const std::optional<QString> name = Sites::fromArguments(parser, site, &problem);
        options->site = name.value_or(QString());
    }
    if (problem.isEmpty() && parser.isSet(listen) && !options->address.setAddress(parser.value(listen)))
        problem = QStringLiteral("--listen \"%1\" is not an IP address").arg(parser.value(listen));
    if (!problem.isEmpty()) {
        err << "qorvil-service: " << problem << "\n" << parser.helpText();
        return BadArguments;
    }
    options->database = parser.value(database);
    return std::nullopt;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qorvil-service"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QORVIL_VERSION));

    Options options;
    if (const std::optional<int> status = readOptions(QCoreApplication::arguments(), &options))
        return *status;

    using ServiceLog::Priority;
    const QString path = DataPaths::locate(Database::Kind::Server, options.database);
    // A new database is made 0660 (SQLite would take away the group's write), so the desktop servers of group
    // qorvil can work on it too and nobody else reads it; its write-ahead log and index files follow its mode.
    if (const QStringList files = Database::filesOf(path); !files.isEmpty() && !QFileInfo::exists(files.constFirst())) {
        QFile made(files.constFirst());
        if (made.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            made.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup);
    }
    // The site is recorded with the trail's entries from the start on.
    Sites::setCurrent(options.site);
    SignalWatcher stopSignals({SIGTERM, SIGINT});
    // A database server that is not there yet (still starting, the network not up) is waited for: the terminals
    // are served as soon as it answers. A file that is not a Qorvil database is refused at once.
    QString error;
    for (int attempt = 0; !Database::open(Database::Kind::Server, path, &error); ++attempt) {
        if (!Database::mayAnswerLater(path)) {
            ServiceLog::write(Priority::Error, error);
            return Failed;
        }
        if (attempt == 0)
            ServiceLog::write(Priority::Warning,
                              error + QStringLiteral(" Trying again every %1 seconds.").arg(kOpenRetryMs / 1000));
        QEventLoop wait;
        bool stop = false;
        QTimer::singleShot(kOpenRetryMs, &wait, &QEventLoop::quit);
        QObject::connect(&stopSignals, &SignalWatcher::received, &wait, [&] {
            stop = true;
            wait.quit();
        });
        wait.exec();
        if (stop) {
            ServiceLog::write(Priority::Notice, QStringLiteral("Stopped before the database could be reached"));
            return Done;
        }
    }
    ServiceLog::write(Priority::Info, QStringLiteral("Database: ") + path);
    // The chain's head goes to the log at each start: a trail recomputed later still disagrees with it.
    const TrailWriter::Start& trail = TrailWriter::lastStart();
    const QStringList trailLines = TrailWriter::startLines(trail);
    for (const QString& line : trailLines) // the head last; triggers put back or a failed check are warnings
        ServiceLog::write(&line == &trailLines.constLast() && trail.problem.isEmpty() ? Priority::Info
                                                                                         : Priority::Warning,
                          line);
    if (!options.site.isEmpty())
        ServiceLog::write(Priority::Info, QStringLiteral("Site: ") + options.site);
    // The desktop servers on this database leave the terminals to the service from now on.
    if (!Settings::setValue(Settings::kTerminalsServedBy, Settings::kService, &error))
        ServiceLog::write(Priority::Warning,
                          QStringLiteral("Could not record that the service serves the terminals: ") + error);

    // Nobody is there to accept an unknown terminal: with a list only the listed ones are served. Rules that
    // cannot be read are the listener's to report: it serves nobody until it has read them.
    if (const auto rules = TerminalAccess::readRules(TerminalAccess::Operator::Absent, &error)) {
        if (rules->allowed.isEmpty())
            ServiceLog::write(Priority::Warning,
                              QStringLiteral("No allowed terminals are listed: every terminal that connects is "
                                             "served. List them in the desktop server's Allowed Terminals window."));
        if (!rules->acceptPlain && rules->siteKey.isEmpty())
            ServiceLog::write(Priority::Warning, QStringLiteral("Plain terminals are refused and no site key has "
                                                                "been made, so no terminal can connect."));
    }

    LogNotices notices;
    TerminalListener listener(options.port, notices);
    listener.setListenAddress(options.address);
    listener.setOperator(TerminalAccess::Operator::Absent);
    QObject::connect(&listener, &TerminalListener::listening, &app, [&listener](quint16 port) {
        ServiceLog::write(Priority::Info, QStringLiteral("Listening for terminals on %1 port %2")
                                              .arg(listener.listenAddress() == QHostAddress::Any
                                                       ? QStringLiteral("every address")
                                                       : dottedAddress(listener.listenAddress()))
                                              .arg(port));
    });

    QObject::connect(&stopSignals, &SignalWatcher::received, &app, [&listener](int number) {
        ServiceLog::write(Priority::Notice,
                          QStringLiteral("Stopping on %1: finishing the punches in hand")
                              .arg(number == SIGINT ? QStringLiteral("SIGINT") : QStringLiteral("SIGTERM")));
        listener.finish();
        QCoreApplication::exit(Done);
    });

    // The office's Terminals window lists what each site's service serves, kept a moment after each change.
    QTimer publish;
    publish.setSingleShot(true);
    publish.setInterval(500);
    const auto publishTerminals = [&listener](const QList<TerminalListener::ConnectedTerminal>& connected) {
        QList<Sites::Terminal> terminals;
        for (const TerminalListener::ConnectedTerminal& terminal : connected)
            terminals.append({terminal.address, terminal.encrypted, terminal.allowed});
        if (QString why; !Sites::publishTerminals(terminals, &why))
            ServiceLog::write(Priority::Warning, QStringLiteral("Could not list the connected terminals: ") + why);
    };
    QObject::connect(&publish, &QTimer::timeout, &app, [&] { publishTerminals(listener.connectedTerminals()); });
    QObject::connect(&listener, &TerminalListener::accepted, &publish, qOverload<>(&QTimer::start));
    QObject::connect(&listener, &TerminalListener::socketClosed, &publish, qOverload<>(&QTimer::start));
    publishTerminals({}); // none yet: the rows of a run that ended without saying so go

    listener.start();
    const int status = app.exec();
    publishTerminals({});
    Database::close();
    ServiceLog::write(Priority::Info, QStringLiteral("Stopped; the database is closed"));
    return status;
}
