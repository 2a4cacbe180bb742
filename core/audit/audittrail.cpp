#include "core/audit/audittrail.h"

#include "core/clock.h"
#include "core/store/database.h"
#include "core/store/query.h"
#include "core/store/storedriver.h"
#include "core/valueforms.h"

#include <QCoreApplication>
#include <QHash>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSysInfo>
#include <algorithm>
#include <array>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

namespace AuditTrail {

namespace {

const QString kChangeTable = QStringLiteral("audit_change");
const QString kFunction = QStringLiteral("qorvil_audit");
// A table a program's connection has when it records its own changes; the file's triggers then stand aside.
const QString kMark = QStringLiteral("qorvil_own_trail");
const QString kUtcForm = QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ");

// A table the trail follows: which of its columns name the employee and the day, and whether the values of
// its changes are kept (never those of the administrator password).
struct Audited
{
    QString table;
    QString empColumn;
    QString dayColumn;
    bool keepsValues;
};

// Tables of later releases are followed once the file has them.
const std::array<Audited, 9>& audited()
{
    static const std::array<Audited, 9> tables = {{
        {QStringLiteral("timesheet"), QStringLiteral("emp_id"), QStringLiteral("rsdate"), true},
        {QStringLiteral("Employee"), QStringLiteral("emp_id"), QString(), true},
        {QStringLiteral("admin"), QString(), QString(), false},
        {QStringLiteral("closed_period"), QString(), QStringLiteral("closed_through"), true},
        {QStringLiteral("pay_rules"), QString(), QString(), true},
        {QStringLiteral("holiday"), QString(), QStringLiteral("day"), true},
        {QStringLiteral("pay_exempt"), QStringLiteral("emp_id"), QString(), true},
        {QStringLiteral("paid_time_off"), QStringLiteral("emp_id"), QStringLiteral("rsdate"), true},
        {QStringLiteral("payroll_export"), QString(), QStringLiteral("from_date"), true},
    }};
    return tables;
}

bool present(const QSqlDatabase& db, const Audited& table)
{
    return db.tables().contains(table.table, Qt::CaseInsensitive);
}

enum class Recorder {
    File,    // the file's own triggers: changes made with other tools
    Program, // this program's temporary triggers
};

struct State
{
    bool administrator = false;
    QString program;
};

State& state()
{
    static State s;
    return s;
}

// Punches are stored on a thread of their own while the windows change records on theirs: a pause of the trail
// holds for the thread that punches only.
struct Punching
{
    int writes = 0;
    bool serverTold = false; // the database server's session was told of the punches under way
};

Punching& punching()
{
    thread_local Punching p;
    return p;
}

QString osUser()
{
    static const QString user = [] {
#ifdef Q_OS_UNIX
        if (const passwd* entry = getpwuid(geteuid()))
            return QString::fromLocal8Bit(entry->pw_name);
#endif
        const QString named = qEnvironmentVariable("USER");
        return named.isEmpty() ? qEnvironmentVariable("USERNAME") : named;
    }();
    return user;
}

QString programName()
{
    if (!state().program.isEmpty())
        return state().program;
    static const QHash<QString, QString> known = {
        {QStringLiteral("Qorvil Clock System"), QStringLiteral("desktop server")},
        {QStringLiteral("qorvil-service"), QStringLiteral("service")},
        {QStringLiteral("qorvil-report"), QStringLiteral("report tool")},
    };
    const QString application = QCoreApplication::applicationName();
    return known.value(application, application);
}

// What the program's triggers ask: whether to record, the time, and who is changing.
QVariant contextValue(const QVariantList& arguments)
{
    const QString key = arguments.value(0).toString();
    if (key == QLatin1String("on"))
        return punching().writes == 0;
    if (key == QLatin1String("now"))
        return now().toUTC().toString(kUtcForm);
    if (key == QLatin1String("administrator"))
        return state().administrator ? QVariant(QStringLiteral("Administrator")) : QVariant();
    if (key == QLatin1String("os_user"))
        return osUser();
    if (key == QLatin1String("host"))
        return QSysInfo::machineHostName();
    if (key == QLatin1String("program"))
        return programName();
    return {};
}

QString identifier(const QString& name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

QString literal(const QString& text)
{
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QLatin1String("''")) + QLatin1Char('\'');
}

// The columns of a table the trail records: all but the surrogate key.
QStringList dataColumns(const QSqlDatabase& db, const QString& table)
{
    QStringList columns;
    const QSqlRecord record = db.record(table);
    for (int i = 0; i < record.count(); ++i) {
        if (record.fieldName(i).compare(QLatin1String("id"), Qt::CaseInsensitive) != 0)
            columns << record.fieldName(i);
    }
    return columns;
}

QString triggerName(const Audited& table, const QString& event, Recorder recorder)
{
    return (recorder == Recorder::File ? QStringLiteral("audit_") : QStringLiteral("qorvil_audit_")) +
           table.table.toLower() + QLatin1Char('_') + event.toLower();
}

QString triggerSql(const Audited& table, const QStringList& columns, const QString& event, Recorder recorder)
{
    const bool insert = event == QLatin1String("INSERT");
    const bool remove = event == QLatin1String("DELETE");
    const QString row = remove ? QStringLiteral("old.") : QStringLiteral("new.");
    auto column = [](const QString& prefix, const QString& name) -> QString { return prefix + identifier(name); };

    // The program's triggers pause for punches; the file's stand aside on a connection that records its own.
    QStringList when;
    if (recorder == Recorder::Program)
        when << kFunction + QStringLiteral("('on')");
    else
        when << QStringLiteral("NOT EXISTS (SELECT 1 FROM pragma_table_list(") + literal(kMark) +
                    QStringLiteral(") WHERE schema = 'temp')");
    if (!insert && !remove) {
        // An update that leaves every value as it was changes nothing. Text is compared exactly: a name
        // corrected from "smith" to "Smith" is a change, whatever the column's collation.
        QStringList changed;
        for (const QString& name : columns)
            changed << column(QStringLiteral("old."), name) + QStringLiteral(" IS NOT ") +
                           column(QStringLiteral("new."), name) + QStringLiteral(" COLLATE BINARY");
        when << QLatin1Char('(') + changed.join(QStringLiteral(" OR ")) + QLatin1Char(')');
    }

    QStringList who;
    if (recorder == Recorder::File) {
        who << QStringLiteral("strftime('%Y-%m-%dT%H:%M:%fZ', 'now')") << QStringLiteral("NULL")
            << QStringLiteral("NULL") << QStringLiteral("NULL") << literal(kOutside);
    } else {
        for (const char* key : {"now", "administrator", "os_user", "host", "program"})
            who << kFunction + QStringLiteral("('") + QLatin1String(key) + QStringLiteral("')");
    }

    const QString action = insert   ? QStringLiteral("insert")
                           : remove ? QStringLiteral("delete")
                                    : QStringLiteral("update");
    QString sql = (recorder == Recorder::File ? QStringLiteral("CREATE TRIGGER IF NOT EXISTS ")
                                              : QStringLiteral("CREATE TEMP TRIGGER ")) +
                  triggerName(table, event, recorder) + QStringLiteral(" AFTER ") + event + QStringLiteral(" ON ") +
                  (recorder == Recorder::Program ? QStringLiteral("main.") : QString()) + identifier(table.table);
    sql += QStringLiteral(" WHEN ") + when.join(QStringLiteral(" AND "));
    sql += QStringLiteral(" BEGIN INSERT INTO audit_change (changed_at, table_name, action, row_id, emp_id, rsdate, "
                          "administrator, os_user, host, program) VALUES (") +
           who.at(0) + QStringLiteral(", ") + literal(table.table) + QStringLiteral(", ") + literal(action) +
           QStringLiteral(", ") + row + QStringLiteral("id, ") +
           (table.empColumn.isEmpty() ? QStringLiteral("NULL") : column(row, table.empColumn)) + QStringLiteral(", ") +
           (table.dayColumn.isEmpty() ? QStringLiteral("NULL") : column(row, table.dayColumn)) + QStringLiteral(", ") +
           who.mid(1).join(QStringLiteral(", ")) + QStringLiteral(");");
    if (table.keepsValues && !columns.isEmpty()) {
        // One row per column; a VALUES list would be simpler, but its columns have no names inside a trigger.
        // The change is the newest row (last_insert_rowid() moves on with every value inserted).
        QStringList values;
        for (const QString& name : columns)
            values << QStringLiteral("SELECT ") + literal(name) + QStringLiteral(" AS name, ") +
                          (insert ? QStringLiteral("NULL") : column(QStringLiteral("old."), name)) +
                          QStringLiteral(" AS old_value, ") +
                          (remove ? QStringLiteral("NULL") : column(QStringLiteral("new."), name)) +
                          QStringLiteral(" AS new_value");
        sql += QStringLiteral(" INSERT INTO audit_value (change_id, column_name, old_value, new_value) "
                              "SELECT (SELECT max(id) FROM audit_change), name, old_value, new_value FROM (") +
               values.join(QStringLiteral(" UNION ALL ")) +
               QStringLiteral(") WHERE old_value IS NOT new_value COLLATE BINARY;");
    }
    return sql + QStringLiteral(" END");
}

bool exec(QSqlDatabase& db, const QString& sql, QString* error)
{
    QSqlQuery query(db);
    if (query.exec(sql))
        return true;
    if (error)
        *error = query.lastError().text();
    return false;
}

// Creates (or drops) the triggers of one recorder on every audited table.
bool triggers(QSqlDatabase& db, Recorder recorder, bool create, QString* error)
{
    for (const Audited& table : audited()) {
        if (!present(db, table))
            continue;
        const QStringList columns = dataColumns(db, table.table);
        for (const QString& event : {QStringLiteral("INSERT"), QStringLiteral("UPDATE"), QStringLiteral("DELETE")}) {
            const QString name = triggerName(table, event, recorder);
            if (recorder == Recorder::Program &&
                !exec(db, QStringLiteral("DROP TRIGGER IF EXISTS temp.") + name, error))
                return false;
            if (create && !exec(db, triggerSql(table, columns, event, recorder), error))
                return false;
        }
    }
    return true;
}

QString utcText(const QDateTime& at)
{
    return at.toUTC().toString(kUtcForm);
}

bool isDateColumn(const QString& column)
{
    static const QStringList dates = {QStringLiteral("rsdate"),     QStringLiteral("emp_dob"),
                                      QStringLiteral("date_hired"), QStringLiteral("closed_through"),
                                      QStringLiteral("day"),        QStringLiteral("period_start"),
                                      QStringLiteral("from_date"),  QStringLiteral("to_date")};
    return dates.contains(column, Qt::CaseInsensitive);
}

QString csvField(const QString& text)
{
    static const QString special = QStringLiteral(",\"\r\n");
    if (std::none_of(text.cbegin(), text.cend(), [](QChar c) { return special.contains(c); }))
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

QString csvLine(const QStringList& fields)
{
    QStringList out;
    for (const QString& field : fields)
        out << csvField(field);
    return out.join(QLatin1Char(',')) + QStringLiteral("\r\n");
}

QString storedText(const QVariant& value)
{
    return value.isNull() ? QString() : value.toString();
}

// On a database server the trail is kept by one function of the database's own, for every audited table; it
// reads who is changing from the connection's session, which the program keeps up to date. A connection
// that says nothing (another tool) is recorded as outside Qorvil.
bool serverTriggers(QSqlDatabase& db, QString* error)
{
    static const QString function =
        QStringLiteral(
            "CREATE OR REPLACE FUNCTION qorvil_audit() RETURNS trigger LANGUAGE plpgsql AS $trail$\n"
            "DECLARE\n"
            "  o jsonb := CASE WHEN TG_OP = 'INSERT' THEN NULL ELSE to_jsonb(OLD) END;\n"
            "  n jsonb := CASE WHEN TG_OP = 'DELETE' THEN NULL ELSE to_jsonb(NEW) END;\n"
            "  r jsonb := coalesce(n, o);\n"
            "  program text := nullif(current_setting('qorvil.program', true), '');\n"
            "  change bigint;\n"
            "BEGIN\n"
            "  IF program IS NOT NULL AND current_setting('qorvil.paused', true) = '1' THEN RETURN NULL; END IF;\n"
            "  IF TG_OP = 'UPDATE' AND o - 'id' = n - 'id' THEN RETURN NULL; END IF;\n"
            "  INSERT INTO audit_change (changed_at, table_name, action, row_id, emp_id, rsdate, administrator, "
            "os_user, host, program)\n"
            "  VALUES (to_char(clock_timestamp() AT TIME ZONE 'UTC', 'YYYY-MM-DD\"T\"HH24:MI:SS.MS\"Z\"'), "
            "TG_ARGV[0], lower(TG_OP), (r->>'id')::bigint,\n"
            "    CASE WHEN TG_ARGV[1] <> '' THEN r->>TG_ARGV[1] END,\n"
            "    CASE WHEN TG_ARGV[2] <> '' THEN (r->>TG_ARGV[2])::date END,\n"
            "    CASE WHEN program IS NOT NULL THEN nullif(current_setting('qorvil.administrator', true), '') END,\n"
            "    CASE WHEN program IS NOT NULL THEN current_setting('qorvil.os_user', true) END,\n"
            "    CASE WHEN program IS NOT NULL THEN current_setting('qorvil.host', true) END,\n"
            "    coalesce(program, '") +
        kOutside +
        QStringLiteral("'))\n"
                       "  RETURNING id INTO change;\n"
                       "  IF TG_ARGV[3] = '1' THEN\n"
                       "    INSERT INTO audit_value (change_id, column_name, old_value, new_value)\n"
                       "    SELECT change, a.attname, o->>a.attname, n->>a.attname FROM pg_attribute AS a\n"
                       "    WHERE a.attrelid = TG_RELID AND a.attnum > 0 AND NOT a.attisdropped AND a.attname <> 'id'\n"
                       "      AND (o->>a.attname) IS DISTINCT FROM (n->>a.attname) ORDER BY a.attnum;\n"
                       "  END IF;\n"
                       "  RETURN NULL;\n"
                       "END $trail$");
    if (!exec(db, function, error))
        return false;
    for (const Audited& table : audited()) {
        if (!present(db, table))
            continue;
        const QString name = QStringLiteral("audit_") + table.table.toLower();
        const QString sql = QStringLiteral("CREATE TRIGGER %1 AFTER INSERT OR UPDATE OR DELETE ON %2 FOR EACH ROW "
                                           "EXECUTE FUNCTION qorvil_audit(%3, %4, %5, '%6')")
                                .arg(name, identifier(table.table.toLower()), literal(table.table),
                                     literal(table.empColumn), literal(table.dayColumn))
                                .arg(table.keepsValues ? 1 : 0);
        if (!exec(db, QStringLiteral("DROP TRIGGER IF EXISTS %1 ON %2").arg(name, identifier(table.table.toLower())),
                  error) ||
            !exec(db, sql, error))
            return false;
    }
    return true;
}

// What the server's trail reads from the session, one value or all of them.
QString sessionValue(const QString& key)
{
    if (key == QLatin1String("paused"))
        return punching().writes > 0 ? QStringLiteral("1") : QStringLiteral("0");
    const QVariant value = contextValue({key});
    return value.isNull() ? QString() : value.toString();
}

bool tellServer(const QSqlDatabase& db, QString* error,
                const QStringList& keys = {QStringLiteral("program"), QStringLiteral("os_user"), QStringLiteral("host"),
                                           QStringLiteral("administrator"), QStringLiteral("paused")})
{
    const StoreDriver& driver = StoreDrivers::of(db);
    if (driver.engine() != StoreDriver::Engine::PostgreSQL)
        return true;
    for (const QString& key : keys) {
        if (!driver.setSessionValue(db, QStringLiteral("qorvil.") + key, sessionValue(key), error))
            return false;
    }
    return true;
}

// A change of who is changing reaches the connection's session at once.
void tellServer(const QSqlDatabase& db, const QString& key)
{
    if (db.isValid() && db.isOpen())
        (void)tellServer(db, nullptr, {key});
}

} // namespace

bool createSchema(QSqlDatabase& db, QString* error)
{
    const StoreDriver& driver = StoreDrivers::of(db);
    const bool server = driver.engine() == StoreDriver::Engine::PostgreSQL;
    // Employee IDs are matched exactly here, as the program compares them; the trail is read newest first,
    // of everyone or of one employee.
    const QStringList tables = {
        QStringLiteral("CREATE TABLE IF NOT EXISTS audit_change (id INTEGER PRIMARY KEY, changed_at TEXT NOT NULL, "
                       "table_name TEXT NOT NULL, action TEXT NOT NULL, row_id INTEGER, emp_id TEXT, rsdate DATE, "
                       "administrator TEXT, os_user TEXT, host TEXT, program TEXT)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS audit_change_changed_at ON audit_change(changed_at)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS audit_change_emp_id ON audit_change(emp_id, changed_at)"),
        // Values keep the type they had in their own column (as text on a database server).
        QStringLiteral("CREATE TABLE IF NOT EXISTS audit_value (id INTEGER PRIMARY KEY, change_id INTEGER NOT NULL "
                       "REFERENCES audit_change(id), column_name TEXT NOT NULL, old_value%1, new_value%1)")
            .arg(server ? QStringLiteral(" TEXT") : QString()),
        QStringLiteral("CREATE INDEX IF NOT EXISTS audit_value_change_id ON audit_value(change_id)"),
    };
    for (const QString& sql : tables) {
        if (!exec(db, driver.schemaSql(sql), error))
            return false;
    }
    // The file's triggers as this step makes them; changing them later is a step of its own.
    return followTables(db, error);
}

bool followTables(QSqlDatabase& db, QString* error)
{
    return StoreDrivers::of(db).engine() == StoreDriver::Engine::PostgreSQL ? serverTriggers(db, error)
                                                                            : triggers(db, Recorder::File, true, error);
}

bool attach(QSqlDatabase& db, QString* error)
{
    if (!db.tables().contains(kChangeTable, Qt::CaseInsensitive))
        return true;
    if (StoreDrivers::of(db).engine() == StoreDriver::Engine::PostgreSQL)
        return tellServer(db, error);
    if (!StoreDrivers::of(db).defineFunction(db, kFunction, 1, contextValue, error) ||
        !triggers(db, Recorder::Program, true, error))
        return false;
    // The mark comes last: until it is there, the file's triggers record every change.
    if (exec(db, QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS ") + kMark + QStringLiteral(" (id INTEGER)"), error))
        return true;
    // Both sets would record every change twice; the file's go on alone.
    (void)triggers(db, Recorder::Program, false, nullptr);
    return false;
}

void setAdministratorLoggedIn(bool loggedIn)
{
    state().administrator = loggedIn;
    tellServer(gConn, QStringLiteral("administrator"));
}

void setProgram(const QString& program)
{
    state().program = program;
}

// A group of punches from terminals said so when its transaction began (StoreDriver::beginWriting); a lone
// punch tells the database server here.
PunchWrites::PunchWrites(const QSqlDatabase& db) : m_db(db)
{
    if (++punching().writes == 1) {
        punching().serverTold = !(m_db.isValid() && StoreDrivers::of(m_db).vouched(m_db));
        if (punching().serverTold)
            tellServer(m_db, QStringLiteral("paused"));
    }
}

PunchWrites::~PunchWrites()
{
    if (--punching().writes == 0 && punching().serverTold)
        tellServer(m_db, QStringLiteral("paused"));
}

bool read(const Filter& filter, const Change* after, int count, std::vector<Change>* changes, QString* error)
{
    changes->clear();
    // The page of changes first, then their columns: a page never ends inside a change.
    // A later page ends where the one before did, so the index starts there rather than at the range's end;
    // the pair of time and number decides among changes of one moment.
    QString where = after ? QStringLiteral("changed_at >= ? AND changed_at <= ? AND (changed_at, id) < (?, ?)")
                          : QStringLiteral("changed_at >= ? AND changed_at < ?");
    QVariantList binds = {utcText(QDateTime(filter.from, QTime(0, 0)))};
    if (after)
        binds << after->stamp << after->stamp << after->id;
    else
        binds << utcText(QDateTime(filter.to.addDays(1), QTime(0, 0)));
    if (filter.empId) {
        where += QStringLiteral(" AND emp_id = ?");
        binds << *filter.empId;
    }
    binds << count;
    const QString sql =
        QStringLiteral("SELECT c.id, c.changed_at, c.table_name, c.action, c.row_id, c.emp_id, c.rsdate, "
                       "c.administrator, c.os_user, c.host, c.program, v.column_name, v.old_value, v.new_value "
                       "FROM (SELECT * FROM audit_change WHERE ") +
        where +
        QStringLiteral(" ORDER BY changed_at DESC, id DESC LIMIT ?) AS c "
                       "LEFT JOIN audit_value AS v ON v.change_id = c.id "
                       "ORDER BY c.changed_at DESC, c.id DESC, v.id");
    Query query;
    if (!query.exec(sql, binds)) {
        *error = query.error();
        return false;
    }
    while (query.next()) {
        const qint64 id = query.value(0).toLongLong();
        if (changes->empty() || changes->back().id != id) {
            Change change;
            change.id = id;
            change.stamp = query.text(1);
            change.at = QDateTime::fromString(change.stamp, Qt::ISODateWithMs).toUTC();
            change.table = query.text(2);
            change.action = query.text(3);
            change.rowId = query.value(4);
            change.empId = query.value(5);
            change.day = query.value(6);
            change.administrator = query.text(7);
            change.osUser = query.text(8);
            change.host = query.text(9);
            change.program = query.text(10);
            changes->push_back(std::move(change));
        }
        if (!query.isNull(11))
            changes->back().values.push_back({query.text(11), query.value(12), query.value(13)});
    }
    if (!query.error().isEmpty()) {
        *error = query.error();
        return false;
    }
    return true;
}

bool readAll(const Filter& filter, const std::function<bool(const Change&)>& take, QString* error)
{
    std::vector<Change> page;
    std::optional<Change> last;
    do {
        if (!read(filter, last ? &*last : nullptr, kPageSize, &page, error))
            return false;
        for (const Change& change : page) {
            if (!take(change))
                return true;
        }
        if (!page.empty())
            last = page.back();
    } while (int(page.size()) == kPageSize);
    return true;
}

QString describe(const Change& change)
{
    // Whole phrases, so that each language words them its own way; an unknown table is named as stored.
    static const QHash<QString, std::array<const char*, 3>> things = {
        {QStringLiteral("timesheet"),
         {QT_TRANSLATE_NOOP("AuditTrail", "Time record added"), QT_TRANSLATE_NOOP("AuditTrail", "Time record deleted"),
          QT_TRANSLATE_NOOP("AuditTrail", "Time record changed")}},
        {QStringLiteral("employee"),
         {QT_TRANSLATE_NOOP("AuditTrail", "Employee record added"),
          QT_TRANSLATE_NOOP("AuditTrail", "Employee record deleted"),
          QT_TRANSLATE_NOOP("AuditTrail", "Employee record changed")}},
        {QStringLiteral("holiday"),
         {QT_TRANSLATE_NOOP("AuditTrail", "Holiday added"), QT_TRANSLATE_NOOP("AuditTrail", "Holiday deleted"),
          QT_TRANSLATE_NOOP("AuditTrail", "Holiday changed")}},
        {QStringLiteral("paid_time_off"),
         {QT_TRANSLATE_NOOP("AuditTrail", "Paid time off added"),
          QT_TRANSLATE_NOOP("AuditTrail", "Paid time off deleted"),
          QT_TRANSLATE_NOOP("AuditTrail", "Paid time off changed")}},
    };
    const QString table = change.table.toLower();
    if (table == QLatin1String("admin"))
        return change.action == QLatin1String("update")
                   ? QCoreApplication::translate("AuditTrail", "Administrator password changed")
               : change.action == QLatin1String("insert")
                   ? QCoreApplication::translate("AuditTrail", "Administrator password set")
                   : QCoreApplication::translate("AuditTrail", "Administrator password removed");
    if (table == QLatin1String("pay_rules"))
        return QCoreApplication::translate("AuditTrail", "Pay rules changed");
    if (table == QLatin1String("payroll_export") && change.action == QLatin1String("insert"))
        return QCoreApplication::translate("AuditTrail", "Hours exported for payroll");
    if (table == QLatin1String("pay_exempt"))
        return change.action == QLatin1String("delete")
                   ? QCoreApplication::translate("AuditTrail", "Overtime paid again")
                   : QCoreApplication::translate("AuditTrail", "Exempt from overtime");
    if (table == QLatin1String("closed_period"))
        return change.action == QLatin1String("insert") ? QCoreApplication::translate("AuditTrail", "Pay period closed")
               : change.action == QLatin1String("delete")
                   ? QCoreApplication::translate("AuditTrail", "Pay period reopened")
                   : QCoreApplication::translate("AuditTrail", "Closed pay period changed");
    const int action = change.action == QLatin1String("insert") ? 0 : change.action == QLatin1String("delete") ? 1 : 2;
    if (const auto found = things.constFind(table); found != things.constEnd())
        return QCoreApplication::translate("AuditTrail", (*found)[std::size_t(action)]);
    return change.table + (action == 0   ? QStringLiteral(" added")
                           : action == 1 ? QStringLiteral(" deleted")
                                         : QStringLiteral(" changed"));
}

QString who(const Change& change)
{
    if (change.program == kOutside)
        return kOutside;
    QStringList parts;
    if (!change.administrator.isEmpty())
        parts << change.administrator;
    const QString user = change.host.isEmpty() ? change.osUser : change.osUser + QLatin1Char('@') + change.host;
    if (!user.isEmpty())
        parts << user;
    parts << change.program;
    return parts.join(QStringLiteral(", "));
}

QString caption(const Change& change, const QString& column)
{
    static const QHash<QString, QString> captions = {
        {QStringLiteral("in1"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "In 1"))},
        {QStringLiteral("out1"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "Out 1"))},
        {QStringLiteral("in2"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "In 2"))},
        {QStringLiteral("out2"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "Out 2"))},
        {QStringLiteral("in3"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "In 3"))},
        {QStringLiteral("out3"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "Out 3"))},
        {QStringLiteral("emp_id"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "Employee ID"))},
        {QStringLiteral("emp_lname"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "Last Name"))},
        {QStringLiteral("emp_fname"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "First Name"))},
        {QStringLiteral("emp_mname"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "Middle Name"))},
        {QStringLiteral("emp_sex"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "Sex"))},
        {QStringLiteral("emp_dob"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "Date of Birth"))},
        {QStringLiteral("emp_apt"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "Appartment"))},
        {QStringLiteral("emp_address"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "Address"))},
        {QStringLiteral("city"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "City"))},
        {QStringLiteral("emp_state"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "State"))},
        {QStringLiteral("zip"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "Zip"))},
        {QStringLiteral("emp_home_phone"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "Home Phone"))},
        {QStringLiteral("emp_work_phone"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "Work Phone"))},
        {QStringLiteral("emp_cp"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "Mobile Phone"))},
        {QStringLiteral("sss"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "Social Security"))},
        {QStringLiteral("job_description"),
         QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "Job Definition & Responsibilities"))},
        {QStringLiteral("reg_wage"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "Regular Wage"))},
        {QStringLiteral("ot_wage"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "Overtime Wage"))},
        {QStringLiteral("date_hired"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "Date Hired"))},
        {QStringLiteral("status"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "Current Status"))},
        {QStringLiteral("notes"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "Notes"))},
        {QStringLiteral("closed_through"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "Closed Through"))},
    };
    const QString key = column.toLower();
    // The time record's date is its day; elsewhere the column is named as its window names it.
    if (key == QLatin1String("rsdate"))
        return change.table.compare(QLatin1String("timesheet"), Qt::CaseInsensitive) == 0
                   ? QCoreApplication::translate("AuditTrail", "Date")
                   : column;
    const auto found = captions.constFind(key);
    return found == captions.constEnd() ? column
                                        : QCoreApplication::translate("AuditTrail", found->toUtf8().constData());
}

QString shownValue(const QString& column, const QVariant& stored)
{
    if (stored.isNull())
        return QString();
    if (isDateColumn(column)) {
        const QString text = stored.toString();
        const QDate date = QDate::fromString(text, Qt::ISODate);
        return date.isValid() && text.size() == 10 ? ValueForms::showDate(date) : text;
    }
    return ValueForms::showValue(stored);
}

QStringList lineHeadings()
{
    return {QCoreApplication::translate("AuditTrail", "When"),
            QCoreApplication::translate("AuditTrail", "Who"),
            QCoreApplication::translate("AuditTrail", "Employee ID"),
            QCoreApplication::translate("AuditTrail", "Day"),
            QCoreApplication::translate("AuditTrail", "Change"),
            QCoreApplication::translate("AuditTrail", "Field"),
            QCoreApplication::translate("AuditTrail", "Old Value"),
            QCoreApplication::translate("AuditTrail", "New Value")};
}

std::vector<QStringList> shownLines(const Change& change)
{
    const QStringList head = {ValueForms::showDateTime(change.at.toLocalTime()), who(change), storedText(change.empId),
                              shownValue(QStringLiteral("rsdate"), change.day), describe(change)};
    std::vector<QStringList> lines;
    for (const Value& value : change.values) {
        QStringList line = lines.empty() ? head : QStringList(head.size(), QString());
        line << caption(change, value.column) << shownValue(value.column, value.oldValue)
             << shownValue(value.column, value.newValue);
        lines.push_back(line);
    }
    if (lines.empty())
        lines.push_back(head + QStringList(3, QString()));
    return lines;
}

QString csvHeader()
{
    return csvLine({QStringLiteral("Change"), QStringLiteral("When"), QStringLiteral("When (UTC)"),
                    QStringLiteral("Administrator"), QStringLiteral("OS User"), QStringLiteral("Host"),
                    QStringLiteral("Program"), QStringLiteral("Employee ID"), QStringLiteral("Day"),
                    QStringLiteral("Action"), QStringLiteral("Field"), QStringLiteral("Old Value"),
                    QStringLiteral("New Value")});
}

QString csvLines(const Change& change)
{
    const QStringList head = {QString::number(change.id),
                              change.at.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                              utcText(change.at),
                              change.administrator,
                              change.osUser,
                              change.host,
                              change.program,
                              storedText(change.empId),
                              storedText(change.day),
                              describe(change)};
    QString csv;
    for (const Value& value : change.values)
        csv += csvLine(
            head + QStringList{caption(change, value.column), storedText(value.oldValue), storedText(value.newValue)});
    return change.values.empty() ? csvLine(head + QStringList(3, QString())) : csv;
}

bool exportCsv(const Filter& filter, const QString& path, int* written, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    int count = 0;
    bool wrote = file.write(csvHeader().toUtf8()) >= 0;
    QString why;
    const bool done = wrote && readAll(
                                   filter,
                                   [&](const Change& change) {
                                       ++count;
                                       wrote = file.write(csvLines(change).toUtf8()) >= 0;
                                       return wrote;
                                   },
                                   &why);
    if (!done || !wrote || !file.commit()) {
        *error = why.isEmpty() ? file.errorString() : why;
        return false;
    }
    if (written)
        *written = count;
    return true;
}

} // namespace AuditTrail
