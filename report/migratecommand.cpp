#include "report/migratecommand.h"

#include "core/audit/audittrail.h"
#include "core/exitstatus.h"
#include "core/payroll/payrollreports.h"
#include "core/store/database.h"
#include "core/store/pgdriver.h"
#include "core/store/query.h"
#include "core/store/storedriver.h"
#include "core/valueforms.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QTextStream>

namespace MigrateCommand {

namespace {

using namespace ExitStatus;

const QString kTarget = QStringLiteral("qorvil-migrate-target");
// Rows per INSERT: a year of a large staff is hundreds of thousands of rows, and each statement is a round
// trip to the server.
constexpr int kRowsPerInsert = 200;
// Values that cannot be kept, named before giving up.
constexpr int kProblemsShown = 20;

// The tables copied, parents before the rows that name them. The report work tables are filled anew by each
// report, and the version history is the target's own.
const QStringList& copiedTables()
{
    static const QStringList tables = {
        QStringLiteral("Employee"),          QStringLiteral("timesheet"),
        QStringLiteral("Terminal"),          QStringLiteral("admin"),
        QStringLiteral("settings"),          QStringLiteral("closed_period"),
        QStringLiteral("allowed_terminals"), QStringLiteral("audit_change"),
        QStringLiteral("audit_value"),       QStringLiteral("pay_rules"),
        QStringLiteral("holiday"),           QStringLiteral("pay_exempt"),
        QStringLiteral("paid_time_off"),     QStringLiteral("closed_period_wage"),
        QStringLiteral("payroll_export"),
    };
    return tables;
}

struct Column
{
    QString name;
    QString targetType; // the target's declared type: INTEGER, REAL, DATE, TIME or TEXT
};

// The columns of a table that both databases have, with the target's types.
bool columnsOf(const QString& table, QSqlDatabase& target, std::vector<Column>* columns, QString* error)
{
    columns->clear();
    const QString probe = QStringLiteral("SELECT * FROM %1 WHERE 1 = 0").arg(table);
    // Column names and types come from the statements themselves, prepared but never stepped to a row.
    auto sourceStatement = Database::prepareStep(gConn, probe, error);
    auto targetStatement = sourceStatement ? Database::prepareStep(target, probe, error) : nullptr;
    if (!sourceStatement || !targetStatement)
        return false;
    QHash<QString, QString> targetTypes;
    for (int i = 0; i < targetStatement->columnCount(); ++i)
        targetTypes.insert(targetStatement->columnName(i).toLower(), targetStatement->declaredType(i).toUpper());
    for (int i = 0; i < sourceStatement->columnCount(); ++i) {
        const QString name = sourceStatement->columnName(i);
        if (const auto found = targetTypes.constFind(name.toLower()); found != targetTypes.constEnd())
            columns->push_back({name, *found});
    }
    return true;
}

// A value of the file in the form the target's column keeps; false with the reason when it has none.
bool converted(const QString& type, const QVariant& value, QVariant* out, QString* why)
{
    *out = QVariant(QMetaType::fromType<QString>());
    if (value.isNull())
        return true;
    const bool isText = value.typeId() == QMetaType::QString || value.typeId() == QMetaType::QByteArray;
    const QString text = value.toString().trimmed();
    if (type == QLatin1String("DATE")) {
        const QDate date = QDate::fromString(text, Qt::ISODate);
        if (!date.isValid()) {
            *why = QStringLiteral("\"%1\" is not a date").arg(value.toString());
            return false;
        }
        *out = ValueForms::storeDate(date);
    } else if (type == QLatin1String("TIME")) {
        const QTime time = ValueForms::storedTime(text);
        if (!time.isValid()) {
            *why = QStringLiteral("\"%1\" is not a time of day").arg(value.toString());
            return false;
        }
        *out = ValueForms::storeTime(time);
    } else if (type == QLatin1String("REAL") || type == QLatin1String("INTEGER")) {
        bool ok = !isText || !text.isEmpty();
        const double number = isText ? text.toDouble(&ok) : value.toDouble();
        const bool whole = type == QLatin1String("REAL") || number == double(qlonglong(number));
        if (!ok || !whole) {
            *why = QStringLiteral("\"%1\" is not a %2")
                       .arg(value.toString(),
                            type == QLatin1String("REAL") ? QStringLiteral("number") : QStringLiteral("whole number"));
            return false;
        }
        *out = type == QLatin1String("REAL") ? QVariant(number) : QVariant(qlonglong(number));
    } else {
        *out = value.toString();
    }
    return true;
}

struct Copy
{
    QSqlDatabase target;
    QStringList problems; // values the target cannot keep, in words
    QHash<QString, qint64> copied;
};

// Reads a table of the file and, unless only checking, writes its rows into the target, many per statement.
bool copyTable(const QString& table, Copy* copy, bool write, QString* error)
{
    std::vector<Column> columns;
    if (!columnsOf(table, copy->target, &columns, error))
        return false;
    QStringList names;
    for (const Column& column : columns)
        names << column.name;
    const QString rowMarks =
        QLatin1Char('(') + QStringList(names.size(), QStringLiteral("?")).join(QLatin1Char(',')) + QLatin1Char(')');
    const auto insertSql = [&](int rows) -> QString {
        return QStringLiteral("INSERT INTO %1 (%2) VALUES ").arg(table, names.join(QLatin1Char(','))) +
               QStringList(rows, rowMarks).join(QLatin1Char(','));
    };

    Query read;
    if (!read.exec(QStringLiteral("SELECT %1 FROM %2 ORDER BY id").arg(names.join(QLatin1Char(',')), table))) {
        *error = read.error();
        return false;
    }
    QVariantList pending;
    int pendingRows = 0;
    const auto flush = [&]() {
        if (pendingRows == 0)
            return true;
        Query insert(copy->target);
        if (!insert.exec(insertSql(pendingRows), pending)) {
            *error = QStringLiteral("%1: %2").arg(table, insert.error());
            return false;
        }
        pending.clear();
        pendingRows = 0;
        return true;
    };
    qint64 rows = 0;
    while (read.next()) {
        ++rows;
        for (int i = 0; i < int(columns.size()); ++i) {
            QVariant value;
            QString why;
            if (!converted(columns[std::size_t(i)].targetType, read.value(i), &value, &why)) {
                if (copy->problems.size() < kProblemsShown)
                    copy->problems << QStringLiteral("%1 row %2, %3: %4")
                                          .arg(table, read.value(names.indexOf(QStringLiteral("id"))).toString(),
                                               columns[std::size_t(i)].name, why);
                else if (copy->problems.size() == kProblemsShown)
                    copy->problems << QStringLiteral("...and more");
            }
            pending << value;
        }
        if (!write) {
            pending.clear();
            continue;
        }
        if (++pendingRows == kRowsPerInsert && !flush())
            return false;
    }
    if (!read.error().isEmpty()) {
        *error = read.error();
        return false;
    }
    if (write && !flush())
        return false;
    copy->copied.insert(table, rows);
    return true;
}

qint64 countOf(const QSqlDatabase& db, const QString& table, QString* error)
{
    Query count(db);
    if (!count.exec(QStringLiteral("SELECT count(*) FROM %1").arg(table)) || !count.next()) {
        *error = count.error();
        return -1;
    }
    return count.value(0).toLongLong();
}

// The summary report over every employee and every day of the database on gConn, as CSV (to compare to the
// last decimal), and its sums in words.
bool summaryOfAll(QString* csv, QString* sums, QString* error)
{
    Query range;
    if (!range.exec(QStringLiteral("SELECT min(rsdate), max(rsdate) FROM timesheet")) || !range.next()) {
        *error = range.error();
        return false;
    }
    Payroll::Request request;
    request.from = QDate::fromString(range.text(0), Qt::ISODate);
    request.to = QDate::fromString(range.text(1), Qt::ISODate);
    if (!request.from.isValid()) {
        csv->clear(); // no time records: nothing to add up
        *sums = QStringLiteral("no time records");
        return true;
    }
    Query employees;
    if (!employees.exec(QStringLiteral("SELECT emp_id FROM Employee ORDER BY id"))) {
        *error = employees.error();
        return false;
    }
    while (employees.next())
        request.list.append({QString(), employees.text(0), true});
    Payroll::SummaryReport report;
    if (!Payroll::runSummary(request, &report, error))
        return false;
    *csv = report.csv;
    double hours = 0;
    double earnings = 0;
    for (const Payroll::Row& row : report.rows) {
        hours += row.value(QStringLiteral("work_hours")).toDouble();
        earnings += row.value(QStringLiteral("tot_earnings")).toDouble();
    }
    *sums = QStringLiteral("%1 employees from %2 to %3, %4 work hours, %5 total earnings")
                .arg(report.rows.size())
                .arg(ValueForms::showDate(request.from), ValueForms::showDate(request.to))
                .arg(hours, 0, 'f', 4)
                .arg(earnings, 0, 'f', 4);
    return true;
}

} // namespace

int run(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("qorvil-report migrate: copies a Qorvil database file into an empty PostgreSQL database "
                       "and checks that the row counts and the summary report's figures match."));
    parser.addOptions({
        {QStringLiteral("from"), QStringLiteral("The Qorvil database file to copy."), QStringLiteral("FILE")},
        {QStringLiteral("to"),
         QStringLiteral("The empty database to copy into (the password from ~/.pgpass or PGPASSWORD)."),
         QStringLiteral("postgresql://USER@HOST:PORT/DBNAME")},
    });
    parser.addHelpOption();
    QString problem;
    if (!parser.parse(QStringList{QStringLiteral("qorvil-report migrate")} + arguments))
        problem = parser.errorText();
    else if (parser.isSet(QStringLiteral("help"))) {
        out << parser.helpText();
        return Done;
    } else if (!parser.positionalArguments().isEmpty())
        problem = QStringLiteral("unknown argument \"%1\"").arg(parser.positionalArguments().constFirst());
    const QString from = parser.value(QStringLiteral("from"));
    const QString to = parser.value(QStringLiteral("to"));
    if (problem.isEmpty() && (from.isEmpty() || to.isEmpty()))
        problem = QStringLiteral("both --from FILE and --to postgresql://... are needed");
    if (problem.isEmpty() && (Postgres::isLocation(from) || !Postgres::isLocation(to)))
        problem = QStringLiteral("--from is a database file and --to a postgresql:// location");
    if (!problem.isEmpty()) {
        err << "qorvil-report migrate: " << problem << "\n" << parser.helpText();
        return BadArguments;
    }
    QString error;
    if (!Database::openExisting(from, &error)) {
        err << "qorvil-report migrate: " << error << "\n";
        return Failed;
    }
    Copy copy;
    copy.target = Database::openAside(kTarget, Database::Kind::Server, to, &error);
    const auto fail = [&](const QString& why) {
        err << "qorvil-report migrate: " << why << "\n";
        if (copy.target.isValid()) {
            copy.target = QSqlDatabase();
            Database::closeAside(kTarget);
        }
        Database::close();
        return Failed;
    };
    if (!copy.target.isValid())
        return fail(error);
    for (const char* table : {"Employee", "timesheet"}) {
        const qint64 rows = countOf(copy.target, QLatin1String(table), &error);
        if (rows != 0)
            return fail(rows < 0 ? error
                                 : QStringLiteral("%1 already holds %2 rows of %3; the copy goes into an empty "
                                                  "database only.")
                                       .arg(to)
                                       .arg(rows)
                                       .arg(QLatin1String(table)));
    }

    // Every value is read once before anything is written, so a value the server cannot keep stops the copy
    // with nothing half done.
    for (const QString& table : copiedTables()) {
        if (!copyTable(table, &copy, false, &error))
            return fail(error);
    }
    if (!copy.problems.isEmpty())
        return fail(QStringLiteral("these values cannot be kept in their column's type; correct them in the file "
                                   "and run the copy again:\n  ") +
                    copy.problems.join(QStringLiteral("\n  ")));

    {
        Transaction transaction(copy.target);
        if (!transaction.isActive())
            return fail(transaction.error());
        // The copied rows are not changes: the trail copies the file's own trail instead. Its triggers stand
        // aside for this transaction only, which only the database's owner may ask.
        const auto triggers = [&](const char* state) {
            for (const QString& table : copiedTables()) {
                Query alter(copy.target);
                if (!alter.exec(
                        QStringLiteral("ALTER TABLE %1 %2 TRIGGER USER").arg(table.toLower(), QLatin1String(state)))) {
                    error = alter.error();
                    return false;
                }
            }
            return true;
        };
        if (!triggers("DISABLE"))
            return fail(error);
        // What the new database was seeded with (the first administrator password) gives way to the file's.
        const QStringList& tables = copiedTables();
        for (qsizetype at = tables.size() - 1; at >= 0; --at) {
            Query clear(copy.target);
            if (!clear.exec(QStringLiteral("DELETE FROM %1").arg(tables.at(at))))
                return fail(clear.error());
        }
        for (const QString& table : copiedTables()) {
            if (!copyTable(table, &copy, true, &error))
                return fail(error);
            // New rows are numbered after the copied ones.
            Query number(copy.target);
            if (!number.exec(
                    QStringLiteral("SELECT setval(pg_get_serial_sequence('%1', 'id'), coalesce(max(id), 0) + 1, "
                                   "false) FROM %1")
                        .arg(table.toLower())))
                return fail(number.error());
        }
        if (!triggers("ENABLE"))
            return fail(error);
        if (!transaction.commit())
            return fail(transaction.error());
    }

    bool matches = true;
    for (const QString& table : copiedTables()) {
        const qint64 there = countOf(copy.target, table, &error);
        if (there < 0)
            return fail(error);
        const qint64 here = copy.copied.value(table);
        out << table << ": " << here << " rows in the file, " << there << " in the copy\n";
        matches = matches && here == there;
    }
    QString fileSummary;
    QString fileSums;
    if (!summaryOfAll(&fileSummary, &fileSums, &error))
        return fail(error);
    copy.target = QSqlDatabase();
    Database::closeAside(kTarget);
    if (!Database::open(Database::Kind::Server, to, &error, Database::OpenMode::ExistingOnly))
        return fail(error);
    QString copySummary;
    QString copySums;
    if (!summaryOfAll(&copySummary, &copySums, &error))
        return fail(error);
    Database::close();
    out << "Summary report of the file: " << fileSums << "\n";
    out << "Summary report of the copy: " << copySums << "\n";
    if (copySummary != fileSummary)
        matches = false;
    if (!matches) {
        err << "qorvil-report migrate: the copy in " << to
            << " does not match the file; empty that database and run the copy again.\n";
        return Failed;
    }
    out << "The copy matches the file.\n";
    return Done;
}

} // namespace MigrateCommand
