#include "report/reportcommand.h"

#include "core/employees/employeerecord.h"
#include "core/store/database.h"
#include "core/store/recordset.h"
#include "core/valueforms.h"
#include "report/payrolllayouts.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

namespace ReportCommand {

namespace {

enum Status {
    Done = 0,
    Failed = 1,
    BadArguments = 2,
};

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
};

// Reads the arguments; an empty text means they are good, otherwise it says what is wrong.
QString parse(const QStringList& arguments, Options* options)
{
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        auto value = [&](QString* into) -> QString {
            if (i + 1 >= arguments.size() || arguments[i + 1].startsWith(QLatin1String("--")))
                return argument + QStringLiteral(" needs a value");
            *into = arguments[++i];
            return QString();
        };
        QString problem;
        if (argument == QLatin1String("--from") || argument == QLatin1String("--to")) {
            QString text;
            problem = value(&text);
            if (problem.isEmpty()) {
                const std::optional<QDate> date = ValueForms::readDate(text);
                if (!date)
                    problem = QStringLiteral("%1 \"%2\" is not a date (MM/DD/YYYY)").arg(argument, text);
                else
                    (argument == QLatin1String("--from") ? options->from : options->to) = *date;
            }
        } else if (argument == QLatin1String("--employee")) {
            QString id;
            problem = value(&id);
            options->employees << id;
        } else if (argument == QLatin1String("--all")) {
            options->all = true;
        } else if (argument == QLatin1String("--database")) {
            problem = value(&options->database);
        } else if (argument == QLatin1String("--csv")) {
            problem = value(&options->csv);
        } else if (argument == QLatin1String("--pdf")) {
            problem = value(&options->pdf);
        } else if ((argument == QLatin1String("summary") || argument == QLatin1String("detail")) &&
                   options->kind.isEmpty()) {
            options->kind = argument;
        } else {
            problem = QStringLiteral("unknown argument \"%1\"").arg(argument);
        }
        if (!problem.isEmpty())
            return problem;
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

// Whether writing the output would replace the database or a file the engine keeps beside it.
bool isDatabaseFile(const QString& output, const QString& database)
{
    const QString target = resolved(output);
    for (const QString& base : {resolved(database), QFileInfo(database).absoluteFilePath()}) {
        for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
            if (target == base + QLatin1String(suffix))
                return true;
        }
    }
    return false;
}

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
    return QStringLiteral(
        "usage: qorvil-report summary|detail --from MM/DD/YYYY --to MM/DD/YYYY (--employee ID ... | --all)\n"
        "                     [--database FILE] [--csv FILE | --pdf FILE]\n"
        "The detail report covers the first employee given. Without --csv or --pdf the report is printed as\n"
        "text. The database is punched.mdb beside the program unless --database names another.\n");
}

int run(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    if (arguments.contains(QLatin1String("--help")) || arguments.contains(QLatin1String("-h"))) {
        out << usage();
        return Done;
    }
    Options options;
    if (const QString problem = parse(arguments, &options); !problem.isEmpty()) {
        err << "qorvil-report: " << problem << "\n" << usage();
        return BadArguments;
    }

    // A missing file would be created empty by opening it; a report has no business doing that.
    const QString path = options.database.isEmpty() ? Database::defaultPath(Database::Kind::Server) : options.database;
    for (const QString& output : {options.csv, options.pdf}) {
        if (!output.isEmpty() && isDatabaseFile(output, path)) {
            err << "qorvil-report: " << output << " is the database or one of its files; choose another output file\n";
            return BadArguments;
        }
    }
    if (!QFileInfo(path).isFile()) {
        err << "qorvil-report: no database at " << path << "\n";
        return Failed;
    }
    // Only a Qorvil file as it is: the report neither creates nor upgrades one, and writes nothing to it but
    // the report work tables.
    QString error;
    if (!Database::open(Database::Kind::Server, path, &error, Database::OpenMode::ExistingOnly)) {
        err << "qorvil-report: " << error << "\n";
        return Failed;
    }

    Payroll::Request request{options.from, options.to, {}};
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
