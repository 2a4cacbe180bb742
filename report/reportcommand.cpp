#include "report/reportcommand.h"

#include "core/datapaths.h"
#include "core/employees/employeerecord.h"
#include "core/exitstatus.h"
#include "core/sites/sites.h"
#include "core/store/database.h"
#include "core/store/recordset.h"
#include "core/valueforms.h"
#include "report/auditcommand.h"
#include "report/exceptionscommand.h"
#include "report/exportcommand.h"
#include "report/migratecommand.h"
#include "report/payrolllayouts.h"
#include "report/rulescommand.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

namespace ReportCommand {

namespace {

using namespace ExitStatus;

struct Options
{
    QString kind;
    QDate from;
    QDate to;
    QStringList employees;
    bool all = false;
    QString database;
    QString csv;
    QString pdf;
    QString site;
};

// The options as QCommandLineParser reads them, for the help text and for run().
void describe(QCommandLineParser* parser)
{
    parser->setApplicationDescription(
        QStringLiteral("The payroll reports from the command line. The detail report covers the first employee "
                       "given. Without --csv or --pdf the report is printed as text. The database is punched.mdb "
                       "where the server keeps it unless --database names another. The audit trail: "
                       "qorvil-report audit --help. Time records to correct: qorvil-report exceptions --help. The "
                       "pay rules: qorvil-report rules --help. Hours for a payroll service: qorvil-report export "
                       "--help. Copying a file into PostgreSQL: qorvil-report migrate --help."));
    parser->addPositionalArgument(QStringLiteral("report"), QStringLiteral("summary or detail"),
                                  QStringLiteral("summary|detail"));
    parser->addOptions({
        {QStringLiteral("from"), QStringLiteral("First day of the period."), ValueForms::kDatePlaceholder},
        {QStringLiteral("to"), QStringLiteral("Last day of the period."), ValueForms::kDatePlaceholder},
        {QStringLiteral("employee"), QStringLiteral("An employee to report on (one or more)."), QStringLiteral("ID")},
        {QStringLiteral("all"), QStringLiteral("Report on every employee.")},
        {QStringLiteral("database"),
         QStringLiteral("The database to read: a file, or postgresql://USER@HOST:PORT/DBNAME (the password from "
                        "~/.pgpass or PGPASSWORD)."),
         QStringLiteral("FILE")},
        {QStringLiteral("site"), QStringLiteral("Only the days whose first punch was at this site."),
         QStringLiteral("NAME")},
        {QStringLiteral("csv"), QStringLiteral("Write the report as CSV to FILE."), QStringLiteral("FILE")},
        {QStringLiteral("pdf"), QStringLiteral("Write the report as PDF to FILE."), QStringLiteral("FILE")},
    });
    parser->addHelpOption();
    parser->addVersionOption();
}

// Reads the parsed arguments; an empty text means they are good, otherwise it says what is wrong.
QString parse(const QCommandLineParser& parser, Options* options)
{
    // An option followed by another option has no value, rather than taking the option's name as its value.
    for (const char* name : {"from", "to", "employee", "database", "csv", "pdf", "site"}) {
        for (const QString& value : parser.values(QLatin1String(name))) {
            if (value.startsWith(QLatin1String("--")))
                return QStringLiteral("Missing value after '--%1'.").arg(QLatin1String(name));
        }
    }
    for (const char* name : {"from", "to"}) {
        if (!parser.isSet(QLatin1String(name)))
            continue;
        const QString text = parser.value(QLatin1String(name));
        const std::optional<QDate> date = ValueForms::readDate(text);
        if (!date)
            return QStringLiteral("--%1 \"%2\" is not a date (MM/DD/YYYY)").arg(QLatin1String(name), text);
        (qstrcmp(name, "from") == 0 ? options->from : options->to) = *date;
    }
    options->employees = parser.values(QStringLiteral("employee"));
    options->all = parser.isSet(QStringLiteral("all"));
    options->database = parser.value(QStringLiteral("database"));
    options->csv = parser.value(QStringLiteral("csv"));
    options->pdf = parser.value(QStringLiteral("pdf"));
    QString why;
    const std::optional<QString> site = Sites::fromArguments(parser, Sites::option(), &why);
    if (!site)
        return why;
    options->site = *site;
    for (const QString& argument : parser.positionalArguments()) {
        if ((argument == QLatin1String("summary") || argument == QLatin1String("detail")) && options->kind.isEmpty())
            options->kind = argument;
        else
            return QStringLiteral("unknown argument \"%1\"").arg(argument);
    }
    if (options->kind.isEmpty())
        return QStringLiteral("say which report: summary or detail");
    if (!options->from.isValid() || !options->to.isValid())
        return QStringLiteral("both --from and --to are needed");
    if (options->from > options->to)
        return QStringLiteral("--from is after --to");
    if (options->all == !options->employees.isEmpty())
        return QStringLiteral("give either --employee ID (one or more) or --all");
    if (!options->csv.isEmpty() && !options->pdf.isEmpty())
        return QStringLiteral("give --csv or --pdf, not both");
    return QString();
}

// A path as the file system resolves it, also for a file not written yet (its folder resolved).
QString resolved(const QString& path)
{
    const QFileInfo info(path);
    if (info.exists())
        return info.canonicalFilePath();
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? info.absoluteFilePath() : folder + QLatin1Char('/') + info.fileName();
}

} // namespace

QString readDays(const QCommandLineParser& parser, QDate* from, QDate* to)
{
    for (const char* name : {"from", "to"}) {
        const QString option = QLatin1String(name);
        if (!parser.isSet(option))
            return QStringLiteral("both --from and --to are needed");
        const std::optional<QDate> date = ValueForms::readDate(parser.value(option));
        if (!date)
            return QStringLiteral("--%1 \"%2\" is not a date (MM/DD/YYYY)").arg(option, parser.value(option));
        *(option == QLatin1String("from") ? from : to) = *date;
    }
    if (*from > *to)
        return QStringLiteral("--from is after --to");
    return QString();
}

bool isDatabaseFile(const QString& output, const QString& database)
{
    if (Database::filesOf(database).isEmpty())
        return false; // a database server's
    const QString target = resolved(output);
    for (const QString& base : {resolved(database), QFileInfo(database).absoluteFilePath()}) {
        if (Database::filesOf(base).contains(target))
            return true;
    }
    return false;
}

namespace {

bool writeText(const QString& path, const QString& text, QString* error)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) >= 0 && file.commit())
        return true;
    *error = QStringLiteral("could not write %1: %2").arg(path, file.errorString());
    return false;
}

} // namespace

QString usage()
{
    QCommandLineParser parser;
    describe(&parser);
    return parser.helpText();
}

int run(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    if (!arguments.isEmpty() && arguments.constFirst() == QLatin1String("audit"))
        return AuditCommand::run(arguments.mid(1), out, err);
    if (!arguments.isEmpty() && arguments.constFirst() == QLatin1String("migrate"))
        return MigrateCommand::run(arguments.mid(1), out, err);
    if (!arguments.isEmpty() && arguments.constFirst() == QLatin1String("rules"))
        return RulesCommand::run(arguments.mid(1), out, err);
    if (!arguments.isEmpty() && arguments.constFirst() == QLatin1String("exceptions"))
        return ExceptionsCommand::run(arguments.mid(1), out, err);
    if (!arguments.isEmpty() && arguments.constFirst() == QLatin1String("export"))
        return ExportCommand::run(arguments.mid(1), out, err);
    QCommandLineParser parser;
    describe(&parser);
    Options options;
    QString problem;
    if (!parser.parse(QStringList{QStringLiteral("qorvil-report")} + arguments))
        problem = parser.errorText();
    else if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        out << parser.helpText();
        return Done;
    } else if (parser.isSet(QStringLiteral("version"))) {
        out << "qorvil-report " << QORVIL_VERSION << "\n";
        return Done;
    } else
        problem = parse(parser, &options);
    if (!problem.isEmpty()) {
        err << "qorvil-report: " << problem << "\n" << parser.helpText();
        return BadArguments;
    }

    // A missing file would be created empty by opening it; a report has no business doing that.
    const QString path = DataPaths::locate(Database::Kind::Server, options.database);
    for (const QString& output : {options.csv, options.pdf}) {
        if (!output.isEmpty() && isDatabaseFile(output, path)) {
            err << "qorvil-report: " << output << " is the database or one of its files; choose another output file\n";
            return BadArguments;
        }
    }
    // Only a Qorvil file as it is: the report neither creates nor upgrades one, and writes nothing to it but
    // the report work tables.
    QString error;
    if (!Database::openExisting(path, &error)) {
        err << "qorvil-report: " << error << "\n";
        return Failed;
    }

    Payroll::Request request{options.from, options.to, {}, options.site};
    RecordSet employees;
    if (options.all) {
        if (!employees.open(QStringLiteral("Select * from employee"))) {
            err << "qorvil-report: " << employees.lastError() << "\n";
            return Failed;
        }
        for (employees.moveFirst(); !employees.eof(); employees.moveNext())
            request.list.append({EmployeeRecord::displayName(employees.value(QStringLiteral("emp_fname")),
                                                             employees.value(QStringLiteral("emp_lname"))),
                                 employees.value(QStringLiteral("emp_id")).toString(), true});
    } else {
        for (const QString& id : options.employees) {
            QString name;
            if (employees.open(QStringLiteral("Select * from employee where emp_id = ?"), {id}) && !employees.eof())
                name = EmployeeRecord::displayName(employees.value(QStringLiteral("emp_fname")),
                                                   employees.value(QStringLiteral("emp_lname")));
            else
                err << "qorvil-report: note: no employee has the ID " << id << "\n";
            request.list.append({name, id, true});
        }
    }

    Payroll::DetailReport detail;
    Payroll::SummaryReport summary;
    const bool isDetail = options.kind == QLatin1String("detail");
    const bool ok =
        isDetail ? Payroll::runDetail(request, &detail, &error) : Payroll::runSummary(request, &summary, &error);
    const Payroll::PreparedReport& report = isDetail ? static_cast<const Payroll::PreparedReport&>(detail) : summary;
    if (!ok) {
        err << "qorvil-report: the report could not be prepared: " << error << "\n";
        return Failed;
    }

    if (!options.csv.isEmpty()) {
        if (!writeText(options.csv, report.csv, &error)) {
            err << "qorvil-report: " << error << "\n";
            return Failed;
        }
    } else if (!options.pdf.isEmpty()) {
        const Report::Layout layout = isDetail ? Payroll::layoutOf(detail) : Payroll::layoutOf(summary);
        Report::Renderer renderer(layout, report.rows);
        if (!renderer.writePdf(options.pdf, layout.title, &error)) {
            err << "qorvil-report: " << error << "\n";
            return Failed;
        }
    } else {
        out << report.text;
    }
    return Done;
}

} // namespace ReportCommand
