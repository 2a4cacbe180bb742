#include "core/store/trailtriggers.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

using TrailSql::exec;
using TrailSql::identifier;
using TrailSql::literal;

namespace {

const QString kFunction = QStringLiteral("qorvil_audit");
// A table a program's connection has when it records its own changes; the file's triggers then stand aside.
const QString kMark = QStringLiteral("qorvil_own_trail");

enum class Recorder {
    File,    // the file's own triggers: changes made with other tools
    Program, // this program's temporary triggers
};

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

QString triggerName(const TrailTable& table, const QString& event, Recorder recorder)
{
    return (recorder == Recorder::File ? QStringLiteral("audit_") : QStringLiteral("qorvil_audit_")) +
           table.table.toLower() + QLatin1Char('_') + event.toLower();
}

QString triggerSql(const TrailTable& table, const QStringList& columns, const QString& event, Recorder recorder)
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
            << QStringLiteral("NULL") << QStringLiteral("NULL") << literal(TrailWriter::kOutside);
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

// Creates (or drops) the triggers of one recorder on every audited table.
bool triggers(QSqlDatabase& db, const std::vector<TrailTable>& tables, Recorder recorder, bool create, QString* error)
{
    for (const TrailTable& table : tables) {
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

} // namespace

namespace TrailSql {

QString identifier(const QString& name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

QString literal(const QString& text)
{
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QLatin1String("''")) + QLatin1Char('\'');
}

bool exec(QSqlDatabase& db, const QString& sql, QString* why)
{
    QSqlQuery query(db);
    if (query.exec(sql))
        return true;
    if (why)
        *why = query.lastError().text();
    return false;
}

} // namespace TrailSql

namespace SqliteTrail {

bool install(QSqlDatabase& db, const std::vector<TrailTable>& tables, QString* why)
{
    return triggers(db, tables, Recorder::File, true, why);
}

bool attach(QSqlDatabase& db, const std::vector<TrailTable>& tables, const StoreDriver::Function& who, QString* why)
{
    if (!StoreDrivers::of(db).defineFunction(db, kFunction, 1, who, why) ||
        !triggers(db, tables, Recorder::Program, true, why))
        return false;
    // The mark comes last: until it is there, the file's triggers record every change.
    if (exec(db, QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS ") + kMark + QStringLiteral(" (id INTEGER)"), why))
        return true;
    // Both sets would record every change twice; the file's go on alone.
    (void)triggers(db, tables, Recorder::Program, false, nullptr);
    return false;
}

} // namespace SqliteTrail
