#include "core/store/trailtriggers.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

using TrailSql::exec;
using TrailSql::identifier;
using TrailSql::literal;

namespace PgTrail {

QStringList sessionKeys()
{
    return {QStringLiteral("program"), QStringLiteral("os_user"), QStringLiteral("host"),
            QStringLiteral("administrator"), QStringLiteral("site"), QStringLiteral("paused")};
}

namespace {

bool hasSite(const QSqlDatabase& db)
{
    return db.record(QStringLiteral("audit_change")).contains(QStringLiteral("site"));
}

QString functionBody(bool site)
{
    QString body =
        QStringLiteral(
            "\nDECLARE\n"
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
        TrailWriter::kOutside +
        QStringLiteral("'))\n"
                       "  RETURNING id INTO change;\n"
                       "  IF TG_ARGV[3] = '1' THEN\n"
                       "    INSERT INTO audit_value (change_id, column_name, old_value, new_value)\n"
                       "    SELECT change, a.attname, o->>a.attname, n->>a.attname FROM pg_attribute AS a\n"
                       "    WHERE a.attrelid = TG_RELID AND a.attnum > 0 AND NOT a.attisdropped AND a.attname <> 'id'\n"
                       "      AND (o->>a.attname) IS DISTINCT FROM (n->>a.attname) ORDER BY a.attnum;\n"
                       "  END IF;\n"
                       "  RETURN NULL;\n"
                       "END ");
    if (site)
        body.replace(QStringLiteral("host, program)\n"), QStringLiteral("host, program, site)\n"))
            .replace(QStringLiteral("coalesce(program, '") + TrailWriter::kOutside + QStringLiteral("'))\n"),
                     QStringLiteral("coalesce(program, '") + TrailWriter::kOutside +
                         QStringLiteral("'),\n    CASE WHEN program IS NOT NULL THEN nullif(current_setting("
                                        "'qorvil.site', true), '') END)\n"));
    return body;
}

const QString kFunctionHead =
    QStringLiteral("CREATE OR REPLACE FUNCTION qorvil_audit() RETURNS trigger LANGUAGE plpgsql AS $trail$");

QString triggerName(const TrailTable& table)
{
    return QStringLiteral("audit_") + table.table.toLower();
}

} // namespace

// On a database server the trail is kept by one function of the database's own, for every audited table; it
// reads who is changing from the connection's session, which the program keeps up to date. A connection
// that says nothing (another tool) is recorded as outside Qorvil.
bool install(QSqlDatabase& db, const std::vector<TrailTable>& tables, QString* error)
{
    if (!exec(db, kFunctionHead + functionBody(hasSite(db)) + QStringLiteral("$trail$"), error))
        return false;
    for (const TrailTable& table : tables) {
        const QString name = triggerName(table);
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

} // namespace PgTrail

namespace PgTrail {

// A trigger dropped or disabled, or the function rewritten, by another tool: everything is made again.
bool restore(QSqlDatabase& db, const std::vector<TrailTable>& tables, QStringList* restored, QString* error)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT prosrc FROM pg_proc WHERE proname = 'qorvil_audit'"))) {
        *error = query.lastError().text();
        return false;
    }
    QStringList found;
    if (!query.next())
        found << QStringLiteral("qorvil_audit (missing)");
    else if (query.value(0).toString() != functionBody(hasSite(db)))
        found << QStringLiteral("qorvil_audit (altered)");
    for (const TrailTable& table : tables) {
        query.prepare(QStringLiteral("SELECT t.tgenabled FROM pg_trigger AS t JOIN pg_proc AS p ON p.oid = t.tgfoid "
                                     "WHERE t.tgrelid = to_regclass(?) AND t.tgname = ? AND p.proname = 'qorvil_audit'"));
        query.addBindValue(identifier(table.table.toLower()));
        query.addBindValue(triggerName(table));
        if (!query.exec()) {
            *error = query.lastError().text();
            return false;
        }
        if (!query.next())
            found << triggerName(table) + QStringLiteral(" (missing)");
        else if (query.value(0).toString() != QLatin1String("O"))
            found << triggerName(table) + QStringLiteral(" (altered)");
    }
    if (found.isEmpty())
        return true;
    *restored << found;
    return install(db, tables, error);
}

QString chainText(const QString& change)
{
    QStringList fields;
    for (const char* name : {"id", "changed_at", "table_name", "action", "row_id", "emp_id", "rsdate", "administrator",
                             "os_user", "host", "program", "site"})
        fields << QStringLiteral("quote_nullable(%1.%2)").arg(change, QLatin1String(name));
    return QStringLiteral("concat_ws('|', ") + fields.join(QStringLiteral(", ")) +
           QStringLiteral(", coalesce((SELECT string_agg(quote_nullable(v.column_name) || ',' || "
                          "quote_nullable(v.old_value) || ',' || quote_nullable(v.new_value), ';' ORDER BY v.id) FROM "
                          "audit_value AS v WHERE v.change_id = %1.id), ''))")
               .arg(change);
}

} // namespace PgTrail
