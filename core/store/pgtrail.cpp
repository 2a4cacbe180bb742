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
    return {QStringLiteral("program"),       QStringLiteral("os_user"), QStringLiteral("host"),
            QStringLiteral("administrator"), QStringLiteral("site"),    QStringLiteral("paused")};
}

namespace {

bool hasSite(const QSqlDatabase& db)
{
    return db.record(QStringLiteral("audit_change")).contains(QStringLiteral("site"));
}

// Whether the trail keeps a hash chain; it came with the site column.
bool chained(const QSqlDatabase& db)
{
    return db.record(QStringLiteral("audit_change")).contains(QStringLiteral("chain_hash"));
}

// Two sealers at once would chain the same entries twice over.
constexpr int kSealLockKey = 50506;

QString functionBody(bool site)
{
    const QString outside = QStringLiteral("coalesce(program, '") + TrailWriter::kOutside + QStringLiteral("')");
    return QStringLiteral(
               "\nDECLARE\n"
               "  o jsonb := CASE WHEN TG_OP = 'INSERT' THEN NULL ELSE to_jsonb(OLD) END;\n"
               "  n jsonb := CASE WHEN TG_OP = 'DELETE' THEN NULL ELSE to_jsonb(NEW) END;\n"
               "  r jsonb := coalesce(n, o);\n"
               "  program text := nullif(current_setting('qorvil.program', true), '');\n"
               "  change bigint;\n"
               "  punch boolean := false;\n"
               "BEGIN\n"
               // Punches are the record itself, not changes to it. Anyone who can connect can say a punch is
               // under way, so only what a punch writes is left out: a day's row started with its first time,
               // or one empty time slot filled. Everything else is recorded, paused or not.
               "  IF program IS NOT NULL AND current_setting('qorvil.paused', true) = '1' AND TG_TABLE_NAME = "
               "'timesheet' THEN\n"
               "    IF TG_OP = 'INSERT' THEN\n"
               "      punch := NOT EXISTS (SELECT 1 FROM jsonb_each(n) AS e WHERE e.key NOT IN ('id', 'emp_id', "
               "'rsdate', 'in1', 'site') AND e.value <> 'null'::jsonb);\n"
               "    ELSIF TG_OP = 'UPDATE' THEN\n"
               "      punch := (SELECT count(*) = 1 AND bool_and(e.key IN ('in1', 'out1', 'in2', 'out2', 'in3', "
               "'out3') AND o->e.key = 'null'::jsonb) FROM jsonb_each(n) AS e WHERE e.value IS DISTINCT FROM "
               "o->e.key);\n"
               "    END IF;\n"
               "    IF punch THEN RETURN NULL; END IF;\n"
               "  END IF;\n"
               "  IF TG_OP = 'UPDATE' AND o - 'id' = n - 'id' THEN RETURN NULL; END IF;\n"
               "  INSERT INTO audit_change (changed_at, table_name, action, row_id, emp_id, rsdate, administrator, "
               "os_user, host, program%1)\n"
               "  VALUES (to_char(clock_timestamp() AT TIME ZONE 'UTC', 'YYYY-MM-DD\"T\"HH24:MI:SS.MS\"Z\"'), "
               "TG_ARGV[0], lower(TG_OP), (r->>'id')::bigint,\n"
               "    CASE WHEN TG_ARGV[1] <> '' THEN r->>TG_ARGV[1] END,\n"
               "    CASE WHEN TG_ARGV[2] <> '' THEN (r->>TG_ARGV[2])::date END,\n"
               "    CASE WHEN program IS NOT NULL THEN nullif(current_setting('qorvil.administrator', true), '') END,\n"
               "    CASE WHEN program IS NOT NULL THEN current_setting('qorvil.os_user', true) END,\n"
               "    CASE WHEN program IS NOT NULL THEN current_setting('qorvil.host', true) END,\n"
               "    %2)\n"
               "  RETURNING id INTO change;\n"
               "  IF TG_ARGV[3] = '1' THEN\n"
               "    INSERT INTO audit_value (change_id, column_name, old_value, new_value)\n"
               "    SELECT change, a.attname, o->>a.attname, n->>a.attname FROM pg_attribute AS a\n"
               "    WHERE a.attrelid = TG_RELID AND a.attnum > 0 AND NOT a.attisdropped AND a.attname <> 'id'\n"
               "      AND (o->>a.attname) IS DISTINCT FROM (n->>a.attname) ORDER BY a.attnum;\n"
               "  END IF;\n"
               "  RETURN NULL;\n"
               "END ")
        .arg(site ? QStringLiteral(", site") : QString(),
             site ? outside + QStringLiteral(",\n    CASE WHEN program IS NOT NULL THEN "
                                             "nullif(current_setting('qorvil.site', true), '') END")
                  : outside);
}

// Chains the entries after the newest chained one, as TrailChain does in the program; being the owner's, it
// writes the trail for a role that may only read it.
QString sealBody()
{
    return QStringLiteral(
               "\nDECLARE\n"
               "  previous text;\n"
               "  last bigint;\n"
               "  entry record;\n"
               "BEGIN\n"
               "  PERFORM pg_advisory_xact_lock(%1);\n"
               "  SELECT c.id, c.chain_hash INTO last, previous FROM audit_change AS c\n"
               "    WHERE c.chain_hash IS NOT NULL ORDER BY c.id DESC LIMIT 1;\n"
               "  FOR entry IN SELECT c.id, %2 AS text FROM audit_change AS c WHERE c.id > coalesce(last, 0) "
               "ORDER BY c.id LOOP\n"
               "    UPDATE audit_change SET chain_prev = previous, chain_hash = encode(sha256(convert_to("
               "coalesce(previous, '') || '|' || entry.text, 'UTF8')), 'hex')\n"
               "      WHERE id = entry.id RETURNING chain_hash INTO previous;\n"
               "  END LOOP;\n"
               "END ")
        .arg(kSealLockKey)
        .arg(chainText(QStringLiteral("c")));
}

// The trail's functions run as the database's owner (SECURITY DEFINER), so they write the trail for the programs'
// role, which may not; the search path is the one they were made with.
QString functionHead(const char* name, const char* returns)
{
    return QStringLiteral("CREATE OR REPLACE FUNCTION %1() RETURNS %2 LANGUAGE plpgsql SECURITY DEFINER SET "
                          "search_path FROM CURRENT AS $trail$")
        .arg(QLatin1String(name), QLatin1String(returns));
}

QString triggerName(const TrailTable& table)
{
    return QStringLiteral("audit_") + table.table.toLower();
}

// The roles other than the owner that may write one of the trail's tables: table and role (quoted), in order.
bool writableByOthers(const QSqlDatabase& db, std::vector<std::pair<QString, QString>>* found, QString* error)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral(
            "SELECT DISTINCT c.relname, CASE WHEN a.grantee = 0 THEN 'PUBLIC' ELSE quote_ident(r.rolname) END "
            "FROM pg_class AS c CROSS JOIN LATERAL aclexplode(c.relacl) AS a LEFT JOIN pg_roles AS r ON r.oid = "
            "a.grantee WHERE c.oid IN (to_regclass('audit_change'), to_regclass('audit_value'), "
            "to_regclass('audit_replaced')) AND a.grantee <> c.relowner AND a.privilege_type IN ('INSERT', "
            "'UPDATE', 'DELETE', 'TRUNCATE') ORDER BY 1, 2"))) {
        *error = query.lastError().text();
        return false;
    }
    while (query.next())
        found->emplace_back(query.value(0).toString(), query.value(1).toString());
    return true;
}

} // namespace

// On a database server the trail is kept by one function of the database's own, for every audited table; it
// reads who is changing from the connection's session, which the program keeps up to date. A connection
// that says nothing (another tool) is recorded as outside Qorvil.
bool install(QSqlDatabase& db, const std::vector<TrailTable>& tables, QString* error)
{
    if (!exec(db, functionHead("qorvil_audit", "trigger") + functionBody(hasSite(db)) + QStringLiteral("$trail$"),
              error))
        return false;
    if (chained(db) &&
        !exec(db, functionHead("qorvil_seal_trail", "void") + sealBody() + QStringLiteral("$trail$"), error))
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
    // The trail is written by its functions only: no role but the owner writes its tables directly.
    std::vector<std::pair<QString, QString>> grants;
    if (!writableByOthers(db, &grants, error))
        return false;
    for (const auto& [table, role] : grants) {
        if (!exec(db,
                  QStringLiteral("REVOKE INSERT, UPDATE, DELETE, TRUNCATE ON %1 FROM %2").arg(identifier(table), role),
                  error))
            return false;
    }
    return true;
}

} // namespace PgTrail

namespace PgTrail {

// A trigger dropped or disabled, a function rewritten or a trail table made writable, by another tool: everything
// is made again. Only the database's owner may; the programs' own role is told so.
bool restore(QSqlDatabase& db, const std::vector<TrailTable>& tables, QStringList* restored, QString* error)
{
    QSqlQuery query(db);
    QStringList found;
    const auto function = [&](const char* name, const QString& body) {
        query.prepare(QStringLiteral("SELECT prosrc, prosecdef FROM pg_proc WHERE proname = ?"));
        query.addBindValue(QLatin1String(name));
        if (!query.exec()) {
            *error = query.lastError().text();
            return false;
        }
        if (!query.next())
            found << QLatin1String(name) + QStringLiteral(" (missing)");
        else if (query.value(0).toString() != body || !query.value(1).toBool())
            found << QLatin1String(name) + QStringLiteral(" (altered)");
        return true;
    };
    if (!function("qorvil_audit", functionBody(hasSite(db))) ||
        (chained(db) && !function("qorvil_seal_trail", sealBody())))
        return false;
    for (const TrailTable& table : tables) {
        query.prepare(
            QStringLiteral("SELECT t.tgenabled FROM pg_trigger AS t JOIN pg_proc AS p ON p.oid = t.tgfoid "
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
    std::vector<std::pair<QString, QString>> grants;
    if (!writableByOthers(db, &grants, error))
        return false;
    for (const auto& [table, role] : grants)
        found << QStringLiteral("%1 (writable by %2)").arg(table, role);
    if (found.isEmpty())
        return true;
    if (!install(db, tables, error)) {
        *error = QStringLiteral("%1 must be put back by the database's owner (%2)")
                     .arg(found.join(QStringLiteral(", ")), *error);
        return false;
    }
    *restored << found;
    return true;
}

bool seal(QSqlDatabase& db, QString* error)
{
    return exec(db, QStringLiteral("SELECT qorvil_seal_trail()"), error);
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
