#include "report/auditcommand.h"

#include "core/audit/audittrail.h"
#include "core/datapaths.h"
#include "core/exitstatus.h"
#include "core/store/database.h"
#include "core/valueforms.h"
#include "report/reportcommand.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QTextStream>

namespace AuditCommand {

namespace {

using namespace ExitStatus;

void describe(QCommandLineParser* parser)
{
    parser->setApplicationDescription(
        QStringLiteral("qorvil-report audit: the changes made to time records, employee records, the administrator "
                       "password and the closed pay periods, newest first, with the old and the new values."));
    parser->addOptions({
        {QStringLiteral("from"), QStringLiteral("First day of changes (local time)."), ValueForms::kDatePlaceholder},
        {QStringLiteral("to"), QStringLiteral("Last day of changes (local time)."), ValueForms::kDatePlaceholder},
        {QStringLiteral("employee"), QStringLiteral("Only the changes of this employee ID."), QStringLiteral("ID")},
        {QStringLiteral("csv"), QStringLiteral("Write the changes as CSV to FILE."), QStringLiteral("FILE")},
        {QStringLiteral("database"), QStringLiteral("The database to read."), QStringLiteral("FILE")},
        {QStringLiteral("verify"),
         QStringLiteral("Check the audit trail's hash chain instead of listing changes: exit status 0 when it is "
                        "intact, 4 when an entry was changed or removed (the first one is named).")},
    });
    parser->addHelpOption();
}

// Reads the parsed arguments; an empty text means they are good, otherwise it says what is wrong.
QString parse(const QCommandLineParser& parser, AuditTrail::Filter* filter)
{
    if (!parser.positionalArguments().isEmpty())
        return QStringLiteral("unknown argument \"%1\"").arg(parser.positionalArguments().constFirst());
    // The check covers the whole trail.
    if (parser.isSet(QStringLiteral("verify")))
        return QString();
    if (QString days = ReportCommand::readDays(parser, &filter->from, &filter->to); !days.isEmpty())
        return days;
    if (parser.isSet(QStringLiteral("employee")))
        filter->empId = parser.value(QStringLiteral("employee"));
    return QString();
}

// A change as a block of text: what, when, whose and by whom, then each field with its old and new value.
void print(const AuditTrail::Change& change, QTextStream& out)
{
    const std::vector<QStringList> lines = AuditTrail::shownLines(change);
    const QStringList& head = lines.front();
    out << head.at(0) << "  " << head.at(4);
    if (!head.at(2).isEmpty())
        out << "  employee " << head.at(2);
    if (!head.at(3).isEmpty())
        out << "  day " << head.at(3);
    out << "\n    by " << head.at(1) << "\n";
    for (const QStringList& line : lines) {
        if (!line.at(5).isEmpty())
            out << "    " << line.at(5) << ": " << line.at(6) << " -> " << line.at(7) << "\n";
    }
}

} // namespace

int run(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    QCommandLineParser parser;
    describe(&parser);
    AuditTrail::Filter filter;
    QString problem;
    if (!parser.parse(QStringList{QStringLiteral("qorvil-report audit")} + arguments))
        problem = parser.errorText();
    else if (parser.isSet(QStringLiteral("help"))) {
        out << parser.helpText();
        return Done;
    } else
        problem = parse(parser, &filter);
    if (!problem.isEmpty()) {
        err << "qorvil-report audit: " << problem << "\n" << parser.helpText();
        return BadArguments;
    }

    const QString path = DataPaths::locate(Database::Kind::Server, parser.value(QStringLiteral("database")));
    if (const QString csv = parser.value(QStringLiteral("csv"));
        !csv.isEmpty() && ReportCommand::isDatabaseFile(csv, path)) {
        err << "qorvil-report audit: " << csv << " is the database or one of its files; choose another output file\n";
        return BadArguments;
    }
    QString error;
    if (!Database::openExisting(path, &error)) {
        err << "qorvil-report audit: " << error << "\n";
        return Failed;
    }
    if (parser.isSet(QStringLiteral("verify"))) {
        AuditTrail::ChainCheck check;
        if (!AuditTrail::verifyChain(&check, &error)) {
            err << "qorvil-report audit: the audit trail could not be read: " << error << "\n";
            return Failed;
        }
        out << AuditTrail::chainLine(check) << "\n";
        return check.intact ? Done : TrailBroken;
    }
    if (parser.isSet(QStringLiteral("csv"))) {
        if (!AuditTrail::exportCsv(filter, parser.value(QStringLiteral("csv")), nullptr, &error)) {
            err << "qorvil-report audit: could not write " << parser.value(QStringLiteral("csv")) << ": " << error
                << "\n";
            return Failed;
        }
        return Done;
    }
    int count = 0;
    const bool read = AuditTrail::readAll(
        filter,
        [&](const AuditTrail::Change& change) {
            print(change, out);
            ++count;
            return true;
        },
        &error);
    if (!read) {
        err << "qorvil-report audit: the audit trail could not be read: " << error << "\n";
        return Failed;
    }
    if (count == 0)
        out << "No changes were recorded for this choice.\n";
    return Done;
}

} // namespace AuditCommand
