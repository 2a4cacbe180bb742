#include "core/store/trailtriggers.h"

#include "core/store/trailchain.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

using TrailSql::exec;
using TrailSql::identifier;
using TrailSql::literal;

namespace {

const QString kFunction = QStringLiteral("qorvil_audit");
const QString kHashFunction = QStringLiteral("qorvil_trail_hash");
// A collating sequence a program's connection has when it records its own changes; the file's triggers then stand
// aside. Only a program can define one: a plain SQL tool (the sqlite3 shell) cannot, so its changes are always
// recorded. (Collations rather than functions: their list is a handful long, the functions' list costs a
// punch close to a millisecond.)
const QString kMark = QStringLiteral("qorvil_own_trail");
// Rows that an INSERT OR REPLACE (or UPDATE OR REPLACE) is about to remove: SQLite removes them without firing
// the delete triggers, so the statement's own triggers record them.
const QString kReplaced = QStringLiteral("audit_replaced");

enum class Recorder {
    File,    // the file's own triggers: changes made with other tools
    Program, // this program's temporary triggers
};

// What the file's trail tables hold; the triggers of each schema step write only what its tables have.
struct Shape
{
    bool site = false;
    bool chain = false;
    bool replaced = false;
};

Shape shapeOf(const QSqlDatabase& db)
{
    const QSqlRecord change = db.record(QStringLiteral("audit_change"));
    return {change.contains(QStringLiteral("site")), change.contains(QStringLiteral("chain_hash")),
            db.tables().contains(kReplaced, Qt::CaseInsensitive)};
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

// The column sets of the table's unique indexes other than its key: a replace removes the rows that share one.
std::vector<QStringList> uniqueKeys(const QSqlDatabase& db, const QString& table)
{
    std::vector<QStringList> keys;
    QSqlQuery list(db);
    if (!list.exec(QStringLiteral("SELECT name FROM pragma_index_list(%1) WHERE \"unique\" AND origin <> 'pk' "
                                  "ORDER BY name")
                       .arg(literal(table))))
        return keys;
    while (list.next()) {
        QSqlQuery info(db);
        if (!info.exec(QStringLiteral("SELECT name FROM pragma_index_info(%1) ORDER BY seqno")
                           .arg(literal(list.value(0).toString()))))
            continue;
        QStringList columns;
        bool plain = true;
        while (info.next()) {
            plain = plain && !info.isNull(0); // an index on an expression is not a column set
            columns << info.value(0).toString();
        }
        if (plain && !columns.isEmpty())
            keys.push_back(columns);
    }
    return keys;
}

QString triggerName(const TrailTable& table, const QString& event, Recorder recorder)
{
    return (recorder == Recorder::File ? QStringLiteral("audit_") : QStringLiteral("qorvil_audit_")) +
           table.table.toLower() + QLatin1Char('_') + event.toLower();
}

QString column(const QString& prefix, const QString& name)
{
    return prefix + identifier(name);
}

// When a recorder's triggers record: the program's pause for punches; the file's stand aside on a connection
// that records its own.
QString recordsWhen(Recorder recorder)
{
    if (recorder == Recorder::Program)
        return kFunction + QStringLiteral("('on')");
    return QStringLiteral("NOT EXISTS (SELECT 1 FROM pragma_collation_list WHERE name = ") + literal(kMark) +
           QLatin1Char(')');
}

// Who made a change, in the order of the change's columns from changed_at to site.
QStringList whoValues(Recorder recorder, const Shape& shape)
{
    QStringList who;
    if (recorder == Recorder::File) {
        who << QStringLiteral("strftime('%Y-%m-%dT%H:%M:%fZ', 'now')") << QStringLiteral("NULL")
            << QStringLiteral("NULL") << QStringLiteral("NULL") << literal(TrailWriter::kOutside);
        if (shape.site)
            who << QStringLiteral("NULL");
    } else {
        for (const char* key : {"now", "administrator", "os_user", "host", "program"})
            who << kFunction + QStringLiteral("('") + QLatin1String(key) + QStringLiteral("')");
        if (shape.site)
            who << kFunction + QStringLiteral("('site')");
    }
    return who;
}

QString changeColumns(const Shape& shape)
{
    return QStringLiteral("changed_at, table_name, action, row_id, emp_id, rsdate, administrator, os_user, host, "
                          "program") +
           (shape.site ? QStringLiteral(", site") : QString());
}

QString conflictWhere(const TrailTable& table, const std::vector<QStringList>& keys, bool update)
{
    QStringList any = {QStringLiteral("r.id = new.id")};
    for (const QStringList& key : keys) {
        QStringList all;
        for (const QString& name : key)
            all << column(QStringLiteral("r."), name) + QStringLiteral(" = ") + column(QStringLiteral("new."), name);
        any << QLatin1Char('(') + all.join(QStringLiteral(" AND ")) + QLatin1Char(')');
    }
    Q_UNUSED(table);
    const QString conflict = QLatin1Char('(') + any.join(QStringLiteral(" OR ")) + QLatin1Char(')');
    return update ? QStringLiteral("r.id <> old.id AND ") + conflict : conflict;
}

// Before an insert or update: the rows it would replace, kept aside with their values. A statement that fails or
// ignores its row leaves them there; the next one empties them first.
QString keepReplacedSql(const TrailTable& table, const QStringList& columns, const QString& event, Recorder recorder,
                        const std::vector<QStringList>& keys)
{
    const bool update = event == QLatin1String("UPDATE");
    const QString where = QStringLiteral(" FROM ") + identifier(table.table) + QStringLiteral(" AS r WHERE ") +
                          conflictWhere(table, keys, update);
    const QString emp = table.empColumn.isEmpty() ? QStringLiteral("NULL") : column(QStringLiteral("r."), table.empColumn);
    const QString day = table.dayColumn.isEmpty() ? QStringLiteral("NULL") : column(QStringLiteral("r."), table.dayColumn);
    QStringList rows = {QStringLiteral("SELECT ") + literal(table.table) + QStringLiteral(", r.id, ") + emp +
                        QStringLiteral(", ") + day + QStringLiteral(", NULL, NULL") + where};
    if (table.keepsValues) {
        for (const QString& name : columns)
            rows << QStringLiteral("SELECT ") + literal(table.table) + QStringLiteral(", r.id, NULL, NULL, ") +
                        literal(name) + QStringLiteral(", ") + column(QStringLiteral("r."), name) + where;
    }
    return (recorder == Recorder::File ? QStringLiteral("CREATE TRIGGER IF NOT EXISTS ")
                                       : QStringLiteral("CREATE TEMP TRIGGER ")) +
           triggerName(table, QStringLiteral("replace_") + event, recorder) + QStringLiteral(" BEFORE ") + event +
           QStringLiteral(" ON ") + (recorder == Recorder::Program ? QStringLiteral("main.") : QString()) +
           identifier(table.table) + QStringLiteral(" WHEN ") + recordsWhen(recorder) + QStringLiteral(" BEGIN DELETE FROM ") +
           kReplaced + QStringLiteral(" WHERE table_name = ") + literal(table.table) + QStringLiteral("; INSERT INTO ") +
           kReplaced + QStringLiteral(" (table_name, row_id, emp_id, rsdate, column_name, value) ") +
           rows.join(QStringLiteral(" UNION ALL ")) + QStringLiteral("; END");
}

// After the insert or update: the rows it replaced are recorded as deleted, before the change itself.
QString recordReplacedSql(const TrailTable& table, Recorder recorder, const Shape& shape)
{
    const QString mine = QStringLiteral(" WHERE table_name = ") + literal(table.table);
    QString sql = QStringLiteral(" INSERT INTO audit_change (") + changeColumns(shape) + QStringLiteral(") SELECT ");
    const QStringList who = whoValues(recorder, shape);
    sql += who.at(0) + QStringLiteral(", ") + literal(table.table) + QStringLiteral(", 'delete', row_id, emp_id, rsdate, ") +
           who.mid(1).join(QStringLiteral(", ")) + QStringLiteral(" FROM ") + kReplaced + mine +
           QStringLiteral(" AND column_name IS NULL ORDER BY row_id;");
    if (table.keepsValues)
        sql += QStringLiteral(" INSERT INTO audit_value (change_id, column_name, old_value, new_value) SELECT c.id, "
                              "s.column_name, s.value, NULL FROM ") +
               kReplaced + QStringLiteral(" AS s JOIN audit_change AS c ON c.row_id = s.row_id AND c.table_name = ") +
               literal(table.table) +
               QStringLiteral(" AND c.action = 'delete' AND c.id > (SELECT max(id) FROM audit_change) - (SELECT "
                              "count(*) FROM ") +
               kReplaced + mine + QStringLiteral(" AND column_name IS NULL) WHERE s.table_name = ") +
               literal(table.table) +
               QStringLiteral(" AND s.column_name IS NOT NULL AND s.value IS NOT NULL ORDER BY c.id, s.id;");
    return sql + QStringLiteral(" DELETE FROM ") + kReplaced + mine + QLatin1Char(';');
}

// The program chains its own change at once when the one before it is chained (the file's entries are chained by
// the next program that opens the file, see TrailChain).
QString chainSql()
{
    const QString prev = QStringLiteral("CASE WHEN EXISTS (SELECT 1 FROM audit_change AS p WHERE p.id < audit_change.id) "
                                        "THEN (SELECT p.chain_hash FROM audit_change AS p WHERE p.id < audit_change.id "
                                        "ORDER BY p.id DESC LIMIT 1) ELSE '' END");
    return QStringLiteral(" UPDATE audit_change SET chain_prev = ") + prev + QStringLiteral(", chain_hash = ") +
           kHashFunction + QLatin1Char('(') + prev + QStringLiteral(" || '|' || ") +
           SqliteTrail::chainText(QStringLiteral("audit_change")) +
           QStringLiteral(") WHERE id = (SELECT max(id) FROM audit_change);");
}

QString triggerSql(const TrailTable& table, const QStringList& columns, const QString& event, Recorder recorder,
                   const Shape& shape)
{
    const bool insert = event == QLatin1String("INSERT");
    const bool remove = event == QLatin1String("DELETE");
    const QString row = remove ? QStringLiteral("old.") : QStringLiteral("new.");

    QStringList when = {recordsWhen(recorder)};
    if (!insert && !remove) {
        // An update that leaves every value as it was changes nothing. Text is compared exactly: a name
        // corrected from "smith" to "Smith" is a change, whatever the column's collation.
        QStringList changed;
        // A row moved to another key (over the one a REPLACE removes) is a change too.
        if (shape.replaced)
            changed << QStringLiteral("old.id IS NOT new.id");
        for (const QString& name : columns)
            changed << column(QStringLiteral("old."), name) + QStringLiteral(" IS NOT ") +
                           column(QStringLiteral("new."), name) + QStringLiteral(" COLLATE BINARY");
        when << QLatin1Char('(') + changed.join(QStringLiteral(" OR ")) + QLatin1Char(')');
    }

    const QStringList who = whoValues(recorder, shape);
    const QString action = insert   ? QStringLiteral("insert")
                           : remove ? QStringLiteral("delete")
                                    : QStringLiteral("update");
    QString sql = (recorder == Recorder::File ? QStringLiteral("CREATE TRIGGER IF NOT EXISTS ")
                                              : QStringLiteral("CREATE TEMP TRIGGER ")) +
                  triggerName(table, event, recorder) + QStringLiteral(" AFTER ") + event + QStringLiteral(" ON ") +
                  (recorder == Recorder::Program ? QStringLiteral("main.") : QString()) + identifier(table.table);
    sql += QStringLiteral(" WHEN ") + when.join(QStringLiteral(" AND ")) + QStringLiteral(" BEGIN");
    if (shape.replaced && !remove)
        sql += recordReplacedSql(table, recorder, shape);
    sql += QStringLiteral(" INSERT INTO audit_change (") + changeColumns(shape) + QStringLiteral(") VALUES (") +
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
    if (recorder == Recorder::Program && shape.chain)
        sql += chainSql();
    return sql + QStringLiteral(" END");
}

// Every trigger of one recorder on the tables, by name, as it is made.
std::vector<std::pair<QString, QString>> triggerTexts(const QSqlDatabase& db, const std::vector<TrailTable>& tables,
                                                      Recorder recorder)
{
    const Shape shape = shapeOf(db);
    std::vector<std::pair<QString, QString>> texts;
    for (const TrailTable& table : tables) {
        const QStringList columns = dataColumns(db, table.table);
        const std::vector<QStringList> keys = shape.replaced ? uniqueKeys(db, table.table) : std::vector<QStringList>{};
        for (const QString& event : {QStringLiteral("INSERT"), QStringLiteral("UPDATE"), QStringLiteral("DELETE")}) {
            texts.emplace_back(triggerName(table, event, recorder), triggerSql(table, columns, event, recorder, shape));
            if (shape.replaced && event != QLatin1String("DELETE"))
                texts.emplace_back(triggerName(table, QStringLiteral("replace_") + event, recorder),
                                   keepReplacedSql(table, columns, event, recorder, keys));
        }
    }
    return texts;
}

// Creates (or drops) the triggers of one recorder on every audited table.
bool triggers(QSqlDatabase& db, const std::vector<TrailTable>& tables, Recorder recorder, bool create, QString* error)
{
    for (const auto& [name, sql] : triggerTexts(db, tables, recorder)) {
        if (recorder == Recorder::Program && !exec(db, QStringLiteral("DROP TRIGGER IF EXISTS temp.") + name, error))
            return false;
        if (create && !exec(db, sql, error))
            return false;
    }
    return true;
}

// The text SQLite keeps of a trigger made with IF NOT EXISTS.
QString asKept(QString sql)
{
    return sql.replace(QStringLiteral("CREATE TRIGGER IF NOT EXISTS "), QStringLiteral("CREATE TRIGGER "));
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

bool restore(QSqlDatabase& db, const std::vector<TrailTable>& tables, QStringList* restored, QString* why)
{
    QSqlQuery kept(db);
    if (!kept.exec(QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type = 'trigger'"))) {
        *why = kept.lastError().text();
        return false;
    }
    QHash<QString, QString> have;
    while (kept.next())
        have.insert(kept.value(0).toString().toLower(), kept.value(1).toString());
    kept.finish();
    for (const auto& [name, sql] : triggerTexts(db, tables, Recorder::File)) {
        const auto found = have.constFind(name);
        if (found != have.constEnd() && *found == asKept(sql))
            continue;
        if (!exec(db, QStringLiteral("DROP TRIGGER IF EXISTS main.") + name, why) || !exec(db, sql, why))
            return false;
        *restored << name + (found == have.constEnd() ? QStringLiteral(" (missing)") : QStringLiteral(" (altered)"));
    }
    return true;
}

QString chainText(const QString& change)
{
    QStringList fields;
    for (const char* name : {"id", "changed_at", "table_name", "action", "row_id", "emp_id", "rsdate", "administrator",
                             "os_user", "host", "program", "site"})
        fields << QStringLiteral("quote(%1.%2)").arg(change, QLatin1String(name));
    return fields.join(QStringLiteral(" || '|' || ")) +
           QStringLiteral(" || '|' || coalesce((SELECT group_concat(quote(v.column_name) || ',' || quote(v.old_value) "
                          "|| ',' || quote(v.new_value), ';') FROM (SELECT * FROM audit_value WHERE change_id = %1.id "
                          "ORDER BY id) AS v), '')")
               .arg(change);
}

bool attach(QSqlDatabase& db, const std::vector<TrailTable>& tables, const StoreDriver::Function& who,
            const std::function<bool(const QString& name, QString* why)>& mark, QString* why)
{
    const StoreDriver& driver = StoreDrivers::of(db);
    const auto hash = [](const QVariantList& arguments) -> QVariant {
        const QVariant text = arguments.value(0);
        return text.isNull() ? QVariant() : QVariant(TrailChain::hash(text.toString()));
    };
    if (!driver.defineFunction(db, kFunction, 1, who, why) || !driver.defineFunction(db, kHashFunction, 1, hash, why) ||
        !triggers(db, tables, Recorder::Program, true, why))
        return false;
    // The mark comes last: until it is there, the file's triggers record every change.
    if (mark(kMark, why))
        return true;
    // Both sets would record every change twice; the file's go on alone.
    (void)triggers(db, tables, Recorder::Program, false, nullptr);
    return false;
}

} // namespace SqliteTrail
