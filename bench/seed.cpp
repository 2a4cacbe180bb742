// Makes a realistic punched.mdb for the benchmarks: employees with wages and a span of days of timesheet
// rows with one to three pairs each, a few open pairs and a few odd ones, day after day as punches add them.
//   seed <path or postgresql://USER@HOST:PORT/DBNAME> [employees=1000] [days=365]
// The days end yesterday, so today's punches start on empty rows; the same arguments give the same rows in a
// file and on a database server. The schema comes from the program's own code; the rows go in in one
// transaction with the timesheet indexes built once at the end (through the raw sqlite3 API, or COPY on a
// server), so that ten thousand employees over five years take about a minute rather than an hour.
#include "core/store/database.h"
#include "core/store/pgdriver.h"

#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <libpq-fe.h>
#include <memory>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace {

[[noreturn]] void die(const char* what, const char* why)
{
    std::fprintf(stderr, "seed: %s: %s\n", what, why);
    std::exit(1);
}

struct EmployeeRow
{
    const char* id;
    const char* lastName;
    const char* firstName;
    const char* sex;
    const char* dob;
    const char* address;
    double wage;
    bool overtime; // a few have no overtime wage
    const char* hired;
};

// The constant columns of every employee, after the ones given per row.
const char* const kEmployeeColumns = "emp_id, emp_lname, emp_fname, emp_sex, emp_dob, emp_address, reg_wage, ot_wage,"
                                     " date_hired, emp_mname, emp_apt, city, emp_state, zip, emp_home_phone,"
                                     " emp_work_phone, emp_cp, sss, Job_Description, status, Notes";
const char* const kEmployeeConstants = "' ', ' ', 'Springfield', 'IL', '62701', ' ', ' ', ' ', ' ', 'Staff', 1, ' '";
const char* const kTimesheetColumns = "emp_id, rsdate, in1, out1, in2, out2, in3, out3";

// Where the rows go.
class Sink
{
public:
    virtual ~Sink() = default;
    virtual void employee(const EmployeeRow& row) = 0;
    // slots[s] empty: no punch in that slot.
    virtual void timesheet(const char* id, const char* day, const char (*slots)[9]) = 0;
    virtual void finish() = 0;
};

// Marks a connection as one that records its own changes, as the time clock marks its own: the file's audit
// triggers stand aside.
// The time clock marks its own connection with this collating sequence.
void markOwnTrail(sqlite3* db)
{
    const auto bytes = [](void*, int leftSize, const void* left, int rightSize, const void* right) {
        const int common = std::memcmp(left, right, std::size_t(std::min(leftSize, rightSize)));
        return common != 0 ? common : leftSize - rightSize;
    };
    if (sqlite3_create_collation(db, "qorvil_own_trail", SQLITE_UTF8, nullptr, bytes) != SQLITE_OK)
        die("mark", sqlite3_errmsg(db));
}

class SqliteSink final : public Sink
{
public:
    explicit SqliteSink(const char* path)
    {
        if (sqlite3_open(path, &m_db) != SQLITE_OK)
            fail("open");
        // Nothing to keep if the machine fails while seeding: no journal, no waits for the disk.
        exec("PRAGMA journal_mode=DELETE; PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA cache_size=-524288");
        // Seeded rows are punches, not hand changes: the file's audit triggers stand aside, as they do for the
        // time clock's own connection.
        markOwnTrail(m_db);
        std::vector<std::string> names;
        sqlite3_stmt* list = prepare("select name, sql from sqlite_master where type = 'index' and"
                                     " tbl_name = 'timesheet' and sql is not null");
        while (sqlite3_step(list) == SQLITE_ROW) {
            names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(list, 0)));
            m_indexes.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(list, 1)));
        }
        sqlite3_finalize(list);
        for (const std::string& name : names)
            exec(("drop index " + name).c_str());
        exec("begin");
        m_employee = prepare((std::string("insert into Employee (") + kEmployeeColumns +
                              ") values (?, ?, ?, ?, ?, ?, ?, ?, ?, " + kEmployeeConstants + ")")
                                 .c_str());
        m_timesheet = prepare(
            (std::string("insert into timesheet (") + kTimesheetColumns + ") values (?, ?, ?, ?, ?, ?, ?, ?)").c_str());
    }

    void employee(const EmployeeRow& row) override
    {
        const char* texts[] = {row.id, row.lastName, row.firstName, row.sex, row.dob, row.address};
        for (int i = 0; i < 6; ++i)
            sqlite3_bind_text(m_employee, i + 1, texts[i], -1, SQLITE_TRANSIENT);
        sqlite3_bind_double(m_employee, 7, row.wage);
        if (row.overtime)
            sqlite3_bind_double(m_employee, 8, row.wage * 1.5);
        else
            sqlite3_bind_null(m_employee, 8);
        sqlite3_bind_text(m_employee, 9, row.hired, -1, SQLITE_TRANSIENT);
        step(m_employee);
    }

    void timesheet(const char* id, const char* day, const char (*slots)[9]) override
    {
        sqlite3_bind_text(m_timesheet, 1, id, -1, SQLITE_STATIC);
        sqlite3_bind_text(m_timesheet, 2, day, -1, SQLITE_STATIC);
        for (int s = 0; s < 6; ++s) {
            if (slots[s][0])
                sqlite3_bind_text(m_timesheet, 3 + s, slots[s], 8, SQLITE_TRANSIENT);
            else
                sqlite3_bind_null(m_timesheet, 3 + s);
        }
        step(m_timesheet);
    }

    void finish() override
    {
        sqlite3_finalize(m_employee);
        sqlite3_finalize(m_timesheet);
        for (const std::string& index : m_indexes)
            exec(index.c_str());
        exec("commit");
        exec("PRAGMA journal_mode=WAL");
        sqlite3_close(m_db);
    }

private:
    [[noreturn]] void fail(const char* what) { die(what, sqlite3_errmsg(m_db)); }

    void exec(const char* sql)
    {
        if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            fail(sql);
    }

    sqlite3_stmt* prepare(const char* sql)
    {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, sql, -1, &stmt, nullptr) != SQLITE_OK)
            fail(sql);
        return stmt;
    }

    void step(sqlite3_stmt* stmt)
    {
        if (sqlite3_step(stmt) != SQLITE_DONE)
            fail("insert");
        sqlite3_reset(stmt);
    }

    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_employee = nullptr;
    sqlite3_stmt* m_timesheet = nullptr;
    std::vector<std::string> m_indexes;
};

// COPY in the text form: the values here hold no tab, backslash or line feed, so they go as they are.
class PostgresSink final : public Sink
{
public:
    explicit PostgresSink(const char* location) : m_conn(PQconnectdb(location))
    {
        if (PQstatus(m_conn) != CONNECTION_OK)
            fail("connect");
        // The trail's triggers stay quiet: they would record the whole history as changes made outside the
        // program and make the load take many minutes; no measured path reads the trail. Nothing waits for the
        // disk until the end.
        exec("SET synchronous_commit TO off; SET session_replication_role TO replica; BEGIN");
        PGresult* list = run("SELECT quote_ident(i.relname), pg_get_indexdef(i.oid) FROM pg_index x"
                             " JOIN pg_class i ON i.oid = x.indexrelid"
                             " WHERE x.indrelid = 'timesheet'::regclass AND NOT x.indisprimary",
                             PGRES_TUPLES_OK);
        for (int r = 0; r < PQntuples(list); ++r) {
            exec((std::string("DROP INDEX ") + PQgetvalue(list, r, 0)).c_str());
            m_indexes.emplace_back(PQgetvalue(list, r, 1));
        }
        PQclear(list);
        startCopy("Employee", kEmployeeColumns);
    }

    ~PostgresSink() override { PQfinish(m_conn); }

    void employee(const EmployeeRow& row) override
    {
        char wages[64];
        // As many digits as it takes to read the very same doubles back.
        if (row.overtime)
            std::snprintf(wages, sizeof wages, "%.17g\t%.17g", row.wage, row.wage * 1.5);
        else
            std::snprintf(wages, sizeof wages, "%.17g\t\\N", row.wage);
        for (const char* field : {row.id, row.lastName, row.firstName, row.sex, row.dob, row.address,
                                  static_cast<const char*>(wages), row.hired})
            (m_buffer += field) += '\t';
        m_buffer += " \t \tSpringfield\tIL\t62701\t \t \t \t \tStaff\t1\t \n";
        flushIfFull();
    }

    void timesheet(const char* id, const char* day, const char (*slots)[9]) override
    {
        if (!m_copyingTimesheet) {
            endCopy();
            startCopy("timesheet", kTimesheetColumns);
            m_copyingTimesheet = true;
        }
        ((m_buffer += id) += '\t') += day;
        for (int s = 0; s < 6; ++s)
            (m_buffer += '\t') += slots[s][0] ? slots[s] : "\\N";
        m_buffer += '\n';
        flushIfFull();
    }

    void finish() override
    {
        endCopy();
        for (const std::string& index : m_indexes)
            exec(index.c_str());
        exec("COMMIT");
        // The planner's figures and the visibility map as a server that has run for a while has them, rather
        // than an analysis started by the server itself in the middle of a measurement.
        exec("VACUUM ANALYZE");
    }

private:
    [[noreturn]] void fail(const char* what) { die(what, PQerrorMessage(m_conn)); }

    PGresult* run(const char* sql, ExecStatusType expected)
    {
        PGresult* result = PQexec(m_conn, sql);
        if (PQresultStatus(result) != expected)
            fail(sql);
        return result;
    }

    void exec(const char* sql) { PQclear(run(sql, PGRES_COMMAND_OK)); }

    void startCopy(const char* table, const char* columns)
    {
        PQclear(run((std::string("COPY ") + table + " (" + columns + ") FROM STDIN").c_str(), PGRES_COPY_IN));
    }

    void flushIfFull()
    {
        if (m_buffer.size() >= (1 << 16))
            flush();
    }

    void flush()
    {
        if (!m_buffer.empty() && PQputCopyData(m_conn, m_buffer.data(), int(m_buffer.size())) != 1)
            fail("copy");
        m_buffer.clear();
    }

    void endCopy()
    {
        flush();
        if (PQputCopyEnd(m_conn, nullptr) != 1)
            fail("copy");
        PGresult* result = PQgetResult(m_conn);
        if (PQresultStatus(result) != PGRES_COMMAND_OK)
            fail("copy");
        PQclear(result);
        while ((result = PQgetResult(m_conn)))
            PQclear(result);
    }

    PGconn* m_conn;
    std::string m_buffer;
    bool m_copyingTimesheet = false;
    std::vector<std::string> m_indexes;
};

// splitmix64: fast and the same rows on every machine.
struct Random
{
    quint64 state;
    quint32 bounded(quint32 limit)
    {
        quint64 z = (state += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return quint32(((z ^ (z >> 31)) >> 32) % limit);
    }
};

// A time around the hour, within the spread, as the store keeps it.
void at(Random& random, int hour, int spreadMinutes, char* out)
{
    const int seconds = hour * 3600 + int(random.bounded(2 * spreadMinutes * 60)) - spreadMinutes * 60;
    std::snprintf(out, 9, "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
}

// Today's punches of a run go, and the desktop server serves terminals again after a run of the service:
// housekeeping between runs, not a change anybody made, so the trail stays quiet.
int reset(const char* path)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path, &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        die("open", sqlite3_errmsg(db));
    markOwnTrail(db);
    if (sqlite3_exec(db,
                     "delete from timesheet where rsdate = date('now', 'localtime');"
                     " delete from settings where name = 'terminals_served_by';"
                     " pragma wal_checkpoint(truncate);",
                     nullptr, nullptr, nullptr) != SQLITE_OK)
        die("reset", sqlite3_errmsg(db));
    sqlite3_close(db);
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc == 3 && std::strcmp(argv[1], "--reset") == 0)
        return reset(argv[2]);
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: seed <path or postgresql://USER@HOST:PORT/DBNAME> [employees] [days]\n"
                             "       seed --reset <path>\n");
        return 2;
    }
    const QString location = QString::fromLocal8Bit(argv[1]);
    const bool server = Postgres::isLocation(location);
    const int employees = argc > 2 ? std::atoi(argv[2]) : 1000;
    const int days = argc > 3 ? std::atoi(argv[3]) : 365;
    if (!server) {
        for (const char* suffix : {"", "-wal", "-shm"})
            QFile::remove(location + QLatin1String(suffix));
    }
    // On a server the database is expected empty: the migrations make its schema here.
    QString error;
    if (!Database::open(Database::Kind::Server, location, &error)) {
        std::fprintf(stderr, "seed: %s\n", qPrintable(error));
        return 1;
    }
    Database::close();
    std::unique_ptr<Sink> sink =
        server ? std::unique_ptr<Sink>(new PostgresSink(argv[1])) : std::unique_ptr<Sink>(new SqliteSink(argv[1]));

    Random random{20261207};
    const char* last[] = {"Santos", "Nguyen", "Okafor", "Schmidt", "Rossi", "Kowalski", "Haddad", "Lindqvist"};
    const char* first[] = {"Maria", "Tom", "Amara", "Jonas", "Lucia", "Piotr", "Rami", "Ebba", "Kenji", "Ana"};
    std::vector<std::string> ids;
    for (int e = 0; e < employees; ++e) {
        char id[16], dob[16], address[32], hired[16];
        std::snprintf(id, sizeof id, "E%05d", e);
        std::snprintf(dob, sizeof dob, "%04d-%02d-%02d", 1960 + e % 40, 1 + e % 12, 1 + e % 28);
        std::snprintf(address, sizeof address, "%d Main Street", e + 1);
        std::snprintf(hired, sizeof hired, "%04d-%02d-01", 2015 + e % 10, 1 + e % 12);
        ids.emplace_back(id);
        const double wage = 12.0 + double(random.bounded(2800)) / 100.0;
        sink->employee(
            {id, last[e % 8], first[e % 10], e % 2 ? "Female" : "Male", dob, address, wage, e % 25 != 0, hired});
    }

    const QDate firstDay = QDate::currentDate().addDays(-days);
    long long rows = 0;
    for (int d = 0; d < days; ++d) {
        const QByteArray day = firstDay.addDays(d).toString(Qt::ISODate).toLatin1();
        for (int e = 0; e < employees; ++e) {
            const int pairs = 1 + int(random.bounded(3));
            char slots[6][9] = {};
            at(random, pairs == 1 ? 8 : 7, 20, slots[0]);
            if (pairs == 1)
                at(random, 16, 30, slots[1]);
            else
                at(random, 12, 15, slots[1]);
            if (pairs >= 2) {
                at(random, 13, 10, slots[2]);
                at(random, 17, 25, slots[3]);
            }
            if (pairs == 3) {
                at(random, 18, 5, slots[4]);
                at(random, 20, 30, slots[5]);
            }
            const quint32 oddity = random.bounded(1000);
            if (oddity == 0)
                slots[2 * (pairs - 1) + 1][0] = 0; // forgot to punch out
            else if (oddity == 1)
                std::strcpy(slots[1], "00:00:00"); // blank box saved in the editor
            sink->timesheet(ids[std::size_t(e)].c_str(), day.constData(), slots);
            ++rows;
        }
    }
    sink->finish();
    std::printf("seeded %s: %d employees, %lld timesheet rows over %d days\n", argv[1], employees, rows, days);
    return 0;
}
