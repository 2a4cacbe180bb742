#include "report/exceptionscommand.h"

#include "core/datapaths.h"
#include "core/exitstatus.h"
#include "core/payroll/payexceptions.h"
#include "core/sites/sites.h"
#include "core/store/database.h"
#include "core/valueforms.h"
#include "report/reportcommand.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

namespace ExceptionsCommand {

namespace {

using namespace ExitStatus;

void describe(QCommandLineParser* parser)
{
    parser->setApplicationDescription(
        QStringLiteral("qorvil-report exceptions: the time records of the days that would be paid wrong (a missing "
                       "punch, an out before its in, a slot that is not a time, a pair longer than the pay rules "
                       "allow, blank boxes stored as 00:00:00), by employee and day. Exits 0 when there are none "
                       "and 3 when there are some, so a nightly job can mail them."));
    parser->addOptions({
        {QStringLiteral("from"), QStringLiteral("First day."), QStringLiteral("MM/DD/YYYY")},
        {QStringLiteral("to"), QStringLiteral("Last day."), QStringLiteral("MM/DD/YYYY")},
        {QStringLiteral("employee"), QStringLiteral("Only this employee ID (one or more); every employee without it."),
         QStringLiteral("ID")},
        {QStringLiteral("csv"), QStringLiteral("Write the exceptions as CSV to FILE."), QStringLiteral("FILE")},
        {QStringLiteral("database"), QStringLiteral("The database to read."), QStringLiteral("FILE")},
    });
    parser->addOption(Sites::option());
    parser->addHelpOption();
}

QString parse(const QCommandLineParser& parser, PayExceptions::Request* request)
{
    if (!parser.positionalArguments().isEmpty())
        return QStringLiteral("unknown argument \"%1\"").arg(parser.positionalArguments().constFirst());
    for (const char* name : {"from", "to", "employee", "csv", "database"}) {
        for (const QString& value : parser.values(QLatin1String(name))) {
            if (value.startsWith(QLatin1String("--")))
                return QStringLiteral("Missing value after '--%1'.").arg(QLatin1String(name));
        }
    }
    if (QString days = ReportCommand::readDays(parser, &request->from, &request->to); !days.isEmpty())
        return days;
    request->empIds = parser.values(QStringLiteral("employee"));
    QString why;
    const std::optional<QString> site = Sites::fromArguments(parser, Sites::option(), &why);
    if (!site)
        return why;
    request->site = *site;
    return QString();
}

} // namespace

int run(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    QCommandLineParser parser;
    describe(&parser);
    PayExceptions::Request request;
    QString problem;
    if (!parser.parse(QStringList{QStringLiteral("qorvil-report exceptions")} + arguments))
        problem = parser.errorText();
    else if (parser.isSet(QStringLiteral("help"))) {
        out << parser.helpText();
        return Done;
    } else
        problem = parse(parser, &request);
    if (!problem.isEmpty()) {
        err << "qorvil-report exceptions: " << problem << "\n" << parser.helpText();
        return BadArguments;
    }

    const QString path = DataPaths::locate(Database::Kind::Server, parser.value(QStringLiteral("database")));
    const QString csvPath = parser.value(QStringLiteral("csv"));
    if (!csvPath.isEmpty() && ReportCommand::isDatabaseFile(csvPath, path)) {
        err << "qorvil-report exceptions: " << csvPath
            << " is the database or one of its files; choose another output file\n";
        return BadArguments;
    }
    QString error;
    if (!Database::openExisting(path, &error)) {
        err << "qorvil-report exceptions: " << error << "\n";
        return Failed;
    }
    std::vector<PayExceptions::Exception> found;
    if (!PayExceptions::find(request, &found, &error)) {
        err << "qorvil-report exceptions: the time records could not be read: " << error << "\n";
        return Failed;
    }
    if (!csvPath.isEmpty()) {
        QSaveFile file(csvPath);
        if (!file.open(QIODevice::WriteOnly) || file.write(PayExceptions::csv(found).toUtf8()) < 0 || !file.commit()) {
            err << "qorvil-report exceptions: could not write " << csvPath << ": " << file.errorString() << "\n";
            return Failed;
        }
    } else {
        out << PayExceptions::text(request, found);
    }
    return found.empty() ? Done : Exceptions;
}

} // namespace ExceptionsCommand
