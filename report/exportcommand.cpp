#include "report/exportcommand.h"

#include "core/datapaths.h"
#include "core/exitstatus.h"
#include "core/payroll/payrollexport.h"
#include "core/sites/sites.h"
#include "core/store/database.h"
#include "core/valueforms.h"
#include "report/reportcommand.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QTextStream>

namespace ExportCommand {

namespace {

using namespace ExitStatus;

const QString kCommand = QStringLiteral("qorvil-report export");

void describe(QCommandLineParser* parser)
{
    parser->setApplicationDescription(
        QStringLiteral("qorvil-report export: the hours of the days in a payroll service's import layout, one file. "
                       "Every employee with hours in the days unless --employee names some. Days that hold "
                       "exceptions are refused (exit 3) unless --allow-exceptions is given. Payroll IDs and the "
                       "layouts' codes are set in the server's Administrator > Payroll Export window."));
    parser->addOptions({
        {QStringLiteral("format"),
         QStringLiteral("The layout: %1.").arg(PayrollExport::layoutNames().join(QStringLiteral(", "))),
         QStringLiteral("LAYOUT")},
        {QStringLiteral("from"), QStringLiteral("First day of the period."), QStringLiteral("MM/DD/YYYY")},
        {QStringLiteral("to"), QStringLiteral("Last day of the period."), QStringLiteral("MM/DD/YYYY")},
        {QStringLiteral("employee"), QStringLiteral("An employee to export (one or more)."), QStringLiteral("ID")},
        {QStringLiteral("output"), QStringLiteral("The file to write."), QStringLiteral("FILE")},
        {QStringLiteral("allow-exceptions"), QStringLiteral("Export even when the days hold exceptions.")},
        {QStringLiteral("database"), QStringLiteral("The database to read."), QStringLiteral("FILE")},
    });
    parser->addOption(Sites::option());
    parser->addHelpOption();
}

QString parse(const QCommandLineParser& parser, PayrollExport::Request* request, const PayrollExport::Layout** layout)
{
    if (!parser.positionalArguments().isEmpty())
        return QStringLiteral("unknown argument \"%1\"").arg(parser.positionalArguments().constFirst());
    for (const char* name : {"format", "from", "to", "employee", "output", "database", "site"}) {
        for (const QString& value : parser.values(QLatin1String(name))) {
            if (value.startsWith(QLatin1String("--")))
                return QStringLiteral("Missing value after '--%1'.").arg(QLatin1String(name));
        }
    }
    const QString format = parser.value(QStringLiteral("format"));
    *layout = PayrollExport::layout(format);
    if (!*layout)
        return QStringLiteral("--format \"%1\" is not a layout; give one of %2")
            .arg(format, PayrollExport::layoutNames().join(QStringLiteral(", ")));
    if (QString days = ReportCommand::readDays(parser, &request->from, &request->to); !days.isEmpty())
        return days;
    if (parser.value(QStringLiteral("output")).isEmpty())
        return QStringLiteral("say where to write the file: --output FILE");
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
    PayrollExport::Request request;
    const PayrollExport::Layout* layout = nullptr;
    QString problem;
    if (!parser.parse(QStringList{kCommand} + arguments))
        problem = parser.errorText();
    else if (parser.isSet(QStringLiteral("help"))) {
        out << parser.helpText();
        return Done;
    } else
        problem = parse(parser, &request, &layout);
    if (!problem.isEmpty()) {
        err << kCommand << ": " << problem << "\n" << parser.helpText();
        return BadArguments;
    }

    const QString path = DataPaths::locate(Database::Kind::Server, parser.value(QStringLiteral("database")));
    const QString output = parser.value(QStringLiteral("output"));
    if (ReportCommand::isDatabaseFile(output, path)) {
        err << kCommand << ": " << output << " is the database or one of its files; choose another output file\n";
        return BadArguments;
    }
    QString error;
    if (!Database::openExisting(path, &error)) {
        err << kCommand << ": " << error << "\n";
        return Failed;
    }

    PayrollExport::Warnings warnings;
    if (!PayrollExport::warnings(request, &warnings, &error)) {
        err << kCommand << ": the days could not be checked: " << error << "\n";
        return Failed;
    }
    if (warnings.exceptions > 0) {
        if (!parser.isSet(QStringLiteral("allow-exceptions"))) {
            err << kCommand << ": the days hold " << warnings.exceptions
                << " exception(s); nothing was written. List them with qorvil-report exceptions, correct them, "
                   "or give --allow-exceptions\n";
            return Exceptions;
        }
        err << kCommand << ": note: exported with " << warnings.exceptions << " exception(s) in the days\n";
    }
    if (warnings.openFrom.isValid())
        err << kCommand << ": note: the days from " << ValueForms::showDate(warnings.openFrom)
            << " on are not in a closed pay period and may still change\n";
    for (const PayrollExport::Record& before : warnings.previous)
        err << kCommand << ": note: days of this range were exported before: " << ValueForms::showDate(before.from)
            << " to " << ValueForms::showDate(before.to) << " as " << before.layout << " to " << before.file << " at "
            << before.exportedAt << "\n";

    PayrollExport::Outcome outcome;
    switch (PayrollExport::exportTo(request, *layout, output, &outcome, &error)) {
    case PayrollExport::Result::Done:
        break;
    case PayrollExport::Result::Refused:
        err << kCommand << ": nothing was written: " << error << "\n";
        return Failed;
    case PayrollExport::Result::Failed:
        err << kCommand << ": " << error << "\n";
        return Failed;
    }
    for (const QString& warning : std::as_const(outcome.written.warnings))
        err << kCommand << ": warning: " << warning << "\n";
    out << "Wrote " << outcome.written.rows << " row(s) of hours of " << outcome.employees << " employee(s) to "
        << output << " (" << layout->title << ").\n";
    return Done;
}

} // namespace ExportCommand
