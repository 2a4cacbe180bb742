#include "core/store/migrations.h"

#include "core/audit/audittrail.h"
#include "core/audit/closedperiods.h"
#include "core/clock.h"
#include "core/payroll/payrules.h"
#include "core/payroll/payrollexport.h"
#include "core/store/query.h"
#include "core/store/storedriver.h"

#include <QSqlError>
#include <QSqlRecord>
#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>

namespace Migrations {

namespace {

const QString kHistory = QStringLiteral("schema_migrations");

// Schema statements are written in SQLite's words; each engine reads them in its own.
bool run(QSqlDatabase& db, const QStringList& statements, QString* error)
{
    const StoreDriver& driver = StoreDrivers::of(db);
    for (const QString& statement : statements) {
        Query query(db);
        if (!query.exec(driver.schemaSql(statement))) {
            *error = query.error();
            return false;
        }
    }
    return true;
}

bool insertRow(QSqlDatabase& db, const QString& sql, const QVariantList& binds, QString* error)
{
    Query query(db);
    if (query.exec(sql, binds))
        return true;
    *error = query.error();
    return false;
}

// Text columns compare case-blind in SQL, as the windows' queries expect.
bool serverSchema(QSqlDatabase& db, QString* error)
{
    return run(db, StoreDrivers::of(db).schemaPrelude(), error) &&
           run(db,
               {QStringLiteral(
                    "CREATE TABLE IF NOT EXISTS Employee ("
                    "id INTEGER PRIMARY KEY,"
                    "emp_id TEXT COLLATE NOCASE, emp_lname TEXT COLLATE NOCASE, emp_fname TEXT COLLATE NOCASE,"
                    "emp_mname TEXT COLLATE NOCASE, emp_sex TEXT COLLATE NOCASE, emp_dob DATE,"
                    "emp_apt TEXT COLLATE NOCASE, emp_address TEXT COLLATE NOCASE, city TEXT COLLATE NOCASE,"
                    "emp_state TEXT COLLATE NOCASE, zip TEXT COLLATE NOCASE, emp_home_phone TEXT COLLATE NOCASE,"
                    "emp_work_phone TEXT COLLATE NOCASE, emp_cp TEXT COLLATE NOCASE, sss TEXT COLLATE NOCASE,"
                    "Job_Description TEXT COLLATE NOCASE, reg_wage REAL, ot_wage REAL, date_hired DATE,"
                    "status INTEGER, Notes TEXT COLLATE NOCASE)"),
                QStringLiteral("CREATE INDEX IF NOT EXISTS Employee_emp_id ON Employee(emp_id)"),
                QStringLiteral("CREATE TABLE IF NOT EXISTS timesheet ("
                               "id INTEGER PRIMARY KEY, emp_id TEXT COLLATE NOCASE, rsdate DATE,"
                               "in1 TIME, out1 TIME, in2 TIME, out2 TIME, in3 TIME, out3 TIME)"),
                QStringLiteral("CREATE INDEX IF NOT EXISTS timesheet_emp_id_rsdate ON timesheet(emp_id, rsdate)"),
                QStringLiteral("CREATE TABLE IF NOT EXISTS Terminal (id INTEGER PRIMARY KEY, ip TEXT COLLATE NOCASE)"),
                QStringLiteral("CREATE TABLE IF NOT EXISTS admin (id INTEGER PRIMARY KEY, password TEXT)"),
                QStringLiteral("CREATE TABLE IF NOT EXISTS details ("
                               "id INTEGER PRIMARY KEY, emp_id TEXT COLLATE NOCASE, rsdate DATE, in1 TIME, out1 TIME,"
                               "work_hours REAL, regular REAL, rsot REAL)"),
                QStringLiteral("CREATE TABLE IF NOT EXISTS summary ("
                               "id INTEGER PRIMARY KEY, emp_id TEXT COLLATE NOCASE, emp_name TEXT COLLATE NOCASE,"
                               "work_hours REAL, regular REAL, ot REAL, wage REAL, ot_wage REAL,"
                               "reg_earnings REAL, ot_earnings REAL, tot_earnings REAL)")},
               error) &&
           // Only a new file runs this step, so an administrator who emptied the table keeps it empty.
           insertRow(db, QStringLiteral("INSERT INTO admin (password) VALUES (?)"), {Database::kInitialAdminPassword},
                     error);
}

// Settings every program on the file shares, such as who serves the terminals.
bool serverSettings(QSqlDatabase& db, QString* error)
{
    return run(db,
               {QStringLiteral("CREATE TABLE IF NOT EXISTS settings (id INTEGER PRIMARY KEY, "
                               "name TEXT COLLATE NOCASE UNIQUE, value TEXT)")},
               error);
}

// The closes come first: the trail follows them too.
bool trailAndClosedPeriods(QSqlDatabase& db, QString* error)
{
    return ClosedPeriods::createSchema(db, error) && AuditTrail::createSchema(db, error);
}

// The terminals the server takes without asking, and how each listed connection came in.
bool allowedTerminals(QSqlDatabase& db, QString* error)
{
    return run(db,
               {QStringLiteral("CREATE TABLE IF NOT EXISTS allowed_terminals (id INTEGER PRIMARY KEY, "
                               "address TEXT COLLATE NOCASE UNIQUE, description TEXT COLLATE NOCASE)"),
                QStringLiteral("ALTER TABLE Terminal ADD COLUMN encrypted INTEGER"),
                QStringLiteral("ALTER TABLE Terminal ADD COLUMN allowed INTEGER")},
               error);
}

// Several sites on one database: the site of each day's first punch and of each terminal. The reports of
// one site find its rows through the employee and day index, so the site needs none of its own.
bool sites(QSqlDatabase& db, QString* error)
{
    return run(db,
               {QStringLiteral("ALTER TABLE timesheet ADD COLUMN site TEXT COLLATE NOCASE"),
                QStringLiteral("ALTER TABLE Terminal ADD COLUMN site TEXT COLLATE NOCASE")},
               error);
}

// The pay rules, holidays, exempt employees and paid time off, and what each closed period was paid under;
// the trail follows the new tables.
bool payRules(QSqlDatabase& db, QString* error)
{
    return Pay::createSchema(db, error) && AuditTrail::followTables(db, error);
}

// Payroll IDs and the exports made. The trail follows the exports, and the file's own triggers on Employee are
// made again so that they record the payroll ID too (a database server's trail reads the columns as it goes).
bool payrollExport(QSqlDatabase& db, QString* error)
{
    if (!PayrollExport::createSchema(db, error))
        return false;
    if (StoreDrivers::of(db).engine() != StoreDriver::Engine::PostgreSQL &&
        !run(db,
             {QStringLiteral("DROP TRIGGER IF EXISTS audit_employee_insert"),
              QStringLiteral("DROP TRIGGER IF EXISTS audit_employee_update"),
              QStringLiteral("DROP TRIGGER IF EXISTS audit_employee_delete")},
             error))
        return false;
    return AuditTrail::followTables(db, error);
}

bool clientSchema(QSqlDatabase& db, QString* error)
{
    return run(db,
               {QStringLiteral("CREATE TABLE IF NOT EXISTS server (id INTEGER PRIMARY KEY, ip TEXT COLLATE NOCASE)")},
               error) &&
           insertRow(db, QStringLiteral("INSERT INTO server (ip) VALUES (?)"), {QStringLiteral("127.0.0.1")}, error);
}

// The site key the terminal encrypts its connection with; none at first.
bool clientSiteKey(QSqlDatabase& db, QString* error)
{
    return run(db, {QStringLiteral("ALTER TABLE server ADD COLUMN site_key TEXT")}, error);
}

// The terminal's own options, off until set: reconnecting by itself, showing hours after a punch.
bool clientOptions(QSqlDatabase& db, QString* error)
{
    return run(db,
               {QStringLiteral("ALTER TABLE server ADD COLUMN reconnect INTEGER"),
                QStringLiteral("ALTER TABLE server ADD COLUMN show_hours INTEGER")},
               error);
}

struct Table
{
    QString name;
    QStringList columns;
};

// The tables and views of the file with their columns, leaving out the engine's own.
std::vector<Table> tablesOf(const QSqlDatabase& db)
{
    std::vector<Table> tables;
    for (const QString& name : db.tables(QSql::Tables) + db.tables(QSql::Views)) {
        if (name.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive))
            continue;
        Table table{name, {}};
        const QSqlRecord record = db.record(name);
        for (int i = 0; i < record.count(); ++i)
            table.columns << record.fieldName(i);
        tables.push_back(std::move(table));
    }
    return tables;
}

const Table* find(const std::vector<Table>& tables, const QString& name)
{
    const auto found = std::find_if(tables.cbegin(), tables.cend(), [&](const Table& table) {
        return table.name.compare(name, Qt::CaseInsensitive) == 0;
    });
    return found == tables.cend() ? nullptr : &*found;
}

// What the file lacks of the tables and columns that are needed, in words.
QStringList missingFrom(const std::vector<Table>& have, const std::vector<Table>& needed)
{
    QStringList missing;
    for (const Table& table : needed) {
        const Table* present = find(have, table.name);
        if (!present) {
            missing << QStringLiteral("table %1").arg(table.name);
            continue;
        }
        for (const QString& column : table.columns) {
            if (!present->columns.contains(column, Qt::CaseInsensitive))
                missing << QStringLiteral("column %1.%2").arg(table.name, column);
        }
    }
    return missing;
}

// The schema a file at a version has: what the steps up to it make of an empty database. Worked out in
// memory, so the steps themselves are the one description of each version.
bool schemaAt(const std::vector<Migration>& steps, int version, std::vector<Table>* schema, QString* error)
{
    static std::atomic<int> serial = 0;
    const QString name = QStringLiteral("qorvil-schema-%1").arg(++serial);
    bool ok = true;
    {
        QSqlDatabase scratch = QSqlDatabase::addDatabase(StoreDrivers::standard().qtDriver(), name);
        scratch.setDatabaseName(StoreDrivers::standard().inMemoryName());
        ok = scratch.open();
        if (!ok)
            *error = scratch.lastError().text();
        for (auto step = steps.cbegin(); ok && step != steps.cend() && step->version <= version; ++step)
            ok = step->apply(scratch, error);
        if (ok)
            *schema = tablesOf(scratch);
        scratch.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

// The schema of the last step, worked out once per list of steps.
bool lastSchema(const std::vector<Migration>& steps, std::vector<Table>* schema, QString* error)
{
    // The punches' thread checks its connection's schema too.
    static std::mutex lock;
    const std::lock_guard<std::mutex> locked(lock);
    static std::map<const std::vector<Migration>*, std::vector<Table>> known;
    if (const auto found = known.find(&steps); found != known.end()) {
        *schema = found->second;
        return true;
    }
    if (steps.empty() || !schemaAt(steps, steps.back().version, schema, error))
        return false;
    known.emplace(&steps, *schema);
    return true;
}

// Records a step; inside the step's transaction.
bool record(QSqlDatabase& db, const Migration& step, QString* error)
{
    return run(db,
               {QStringLiteral("CREATE TABLE IF NOT EXISTS schema_migrations ("
                               "version INTEGER PRIMARY KEY, description TEXT, applied_at TEXT)")},
               error) &&
           insertRow(
               db, QStringLiteral("INSERT INTO schema_migrations (version, description, applied_at) VALUES (?, ?, ?)"),
               {step.version, step.description, now().toUTC().toString(Qt::ISODate)}, error);
}

// Runs the work and records the step in one transaction; on any failure neither happened.
bool inOneTransaction(QSqlDatabase& db, const Migration& step, bool apply, QString* error)
{
    Transaction transaction(db);
    QString why = transaction.error();
    const bool done =
        transaction.isActive() && (!apply || step.apply(db, &why)) && record(db, step, &why) && transaction.commit();
    if (!done)
        *error = QStringLiteral("The database could not be brought to version %1 (%2): %3")
                     .arg(step.version)
                     .arg(step.description, why.isEmpty() ? transaction.error() : why);
    return done;
}

} // namespace

const std::vector<Migration>& forKind(Database::Kind kind)
{
    static const std::vector<Migration> server = {
        {1, QStringLiteral("employees, timesheets, terminals, administrator password, report work tables"),
         serverSchema},
        {2, QStringLiteral("settings"), serverSettings},
        {3, QStringLiteral("audit trail, closed pay periods"), trailAndClosedPeriods},
        {4, QStringLiteral("allowed terminals"), allowedTerminals},
        {5, QStringLiteral("sites"), sites},
        {6, QStringLiteral("pay rules"), payRules},
        {7, QStringLiteral("payroll export: payroll IDs, exports made"), payrollExport},
    };
    static const std::vector<Migration> client = {
        {1, QStringLiteral("server address"), clientSchema},
        {2, QStringLiteral("site key"), clientSiteKey},
        {3, QStringLiteral("terminal options"), clientOptions},
    };
    return kind == Database::Kind::Server ? server : client;
}

QStringList missing(const QSqlDatabase& db, const std::vector<Migration>& steps, QString* error)
{
    std::vector<Table> needed;
    if (!lastSchema(steps, &needed, error))
        return {};
    return missingFrom(tablesOf(db), needed);
}

Outcome migrate(QSqlDatabase& db, const std::vector<Migration>& steps, QString* error,
                const std::function<bool(QString* error)>& beforeWriting, Mode mode)
{
    QString why;
    if (steps.empty()) {
        *error = QStringLiteral("There is no schema to create.");
        return Outcome::Failed;
    }
    const auto refuse = [&](const QString& reason) {
        *error = reason + QStringLiteral(" Nothing was written to it.");
        return Outcome::Refused;
    };

    // Everything is read and checked before the first write.
    const std::vector<Table> tables = tablesOf(db);
    const Table* history = find(tables, kHistory);
    int version = 0;
    if (history) {
        const QStringList missing = missingFrom(
            tables,
            {{kHistory, {QStringLiteral("version"), QStringLiteral("description"), QStringLiteral("applied_at")}}});
        if (!missing.isEmpty())
            return refuse(QStringLiteral("Its version history lacks %1.").arg(missing.join(QStringLiteral(", "))));
        Query read(db);
        if (!read.exec(QStringLiteral("SELECT max(version) FROM schema_migrations")) || !read.next()) {
            *error = read.error();
            return Outcome::Failed;
        }
        version = int(read.value(0).toLongLong());
    }
    const bool fresh = version == 0 && std::size_t(history ? 1 : 0) == tables.size();
    const Migration& first = steps.front();
    const int last = steps.back().version;
    if (version > last)
        return refuse(QStringLiteral("It was made by a newer release of Qorvil (schema version %1; this program "
                                     "knows up to %2).")
                          .arg(version)
                          .arg(last));
    if (!fresh) {
        std::vector<Table> needed;
        if (!schemaAt(steps, std::max(version, first.version), &needed, &why)) {
            *error = why;
            return Outcome::Failed;
        }
        const QStringList missing = missingFrom(tables, needed);
        if (!missing.isEmpty())
            return refuse(QStringLiteral("It is not a Qorvil database, or it lacks what this program needs: %1.")
                              .arg(missing.join(QStringLiteral(", "))));
    }
    if (mode == Mode::CheckOnly) {
        if (fresh)
            return refuse(QStringLiteral("It holds no tables, so it is not a Qorvil database."));
        if (version < last) {
            // Older files are upgraded by the program that keeps them; until then only what is there is read.
            std::vector<Table> needed;
            if (!lastSchema(steps, &needed, &why)) {
                *error = why;
                return Outcome::Failed;
            }
            if (const QStringList lacking = missingFrom(tables, needed); !lacking.isEmpty())
                return refuse(QStringLiteral("It was made by an older release of Qorvil and lacks %1; start the "
                                             "server once to bring it up to date.")
                                  .arg(lacking.join(QStringLiteral(", "))));
        }
        return beforeWriting && !beforeWriting(error) ? Outcome::Failed : Outcome::Ready;
    }
    if (beforeWriting && !beforeWriting(error))
        return Outcome::Failed;
    // A file of the release before the history has the first step's schema already: recorded, not rerun.
    if (!fresh && version == 0) {
        if (!inOneTransaction(db, first, false, error))
            return Outcome::Failed;
        version = first.version;
    }
    for (const Migration& step : steps) {
        if (step.version > version && !inOneTransaction(db, step, true, error))
            return Outcome::Failed;
    }
    return Outcome::Ready;
}

} // namespace Migrations
