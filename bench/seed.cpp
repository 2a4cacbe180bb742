// Makes a realistic punched.mdb for the benchmarks: employees with wages and a span of days of timesheet
// rows with one to three pairs each, a few open pairs and a few odd ones, day after day as punches add them.
//   seed <path> [employees=1000] [days=365]
// The days end yesterday, so today's punches start on empty rows. The schema comes from the program's own
// code; the rows go in through the raw sqlite3 API in one transaction, with the timesheet index built once
// at the end, so that ten thousand employees over five years take about a minute rather than an hour.
#include "core/store/database.h"

#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <cstdio>
#include <cstring>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace {

sqlite3* db = nullptr;

[[noreturn]] void die(const char* what)
{
    std::fprintf(stderr, "seed: %s: %s\n", what, db ? sqlite3_errmsg(db) : "");
    std::exit(1);
}

void exec(const char* sql)
{
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        die(sql);
}

sqlite3_stmt* prepare(const char* sql)
{
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK)
        die(sql);
    return stmt;
}

void step(sqlite3_stmt* stmt)
{
    if (sqlite3_step(stmt) != SQLITE_DONE)
        die("insert");
    sqlite3_reset(stmt);
}

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

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: seed <path> [employees] [days]\n");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    const int employees = argc > 2 ? std::atoi(argv[2]) : 1000;
    const int days = argc > 3 ? std::atoi(argv[3]) : 365;
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
    QString error;
    if (!Database::open(Database::Kind::Server, path, &error)) {
        std::fprintf(stderr, "seed: %s\n", qPrintable(error));
        return 1;
    }
    Database::close();

    if (sqlite3_open(argv[1], &db) != SQLITE_OK)
        die("open");
    // Nothing to keep if the machine fails while seeding: no journal, no waits for the disk.
    exec("PRAGMA journal_mode=DELETE; PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA cache_size=-524288");
    std::vector<std::string> names, indexes;
    sqlite3_stmt* list = prepare("select name, sql from sqlite_master where type = 'index' and"
                                 " tbl_name = 'timesheet' and sql is not null");
    while (sqlite3_step(list) == SQLITE_ROW) {
        names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(list, 0)));
        indexes.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(list, 1)));
    }
    sqlite3_finalize(list);
    for (const std::string& name : names)
        exec(("drop index " + name).c_str());
    exec("begin");

    Random random{20261207};
    sqlite3_stmt* employee = prepare(
        "insert into Employee (emp_id, emp_lname, emp_fname, emp_mname, emp_sex, emp_dob, emp_apt, emp_address, city,"
        " emp_state, zip, emp_home_phone, emp_work_phone, emp_cp, sss, Job_Description, reg_wage, ot_wage,"
        " date_hired, status, Notes) values (?, ?, ?, ' ', ?, ?, ' ', ?, 'Springfield', 'IL', '62701', ' ', ' ',"
        " ' ', ' ', 'Staff', ?, ?, ?, 1, ' ')");
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
        sqlite3_bind_text(employee, 1, id, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(employee, 2, last[e % 8], -1, SQLITE_STATIC);
        sqlite3_bind_text(employee, 3, first[e % 10], -1, SQLITE_STATIC);
        sqlite3_bind_text(employee, 4, e % 2 ? "Female" : "Male", -1, SQLITE_STATIC);
        sqlite3_bind_text(employee, 5, dob, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(employee, 6, address, -1, SQLITE_TRANSIENT);
        sqlite3_bind_double(employee, 7, wage);
        if (e % 25 == 0) // a few without overtime wage
            sqlite3_bind_null(employee, 8);
        else
            sqlite3_bind_double(employee, 8, wage * 1.5);
        sqlite3_bind_text(employee, 9, hired, -1, SQLITE_TRANSIENT);
        step(employee);
    }
    sqlite3_finalize(employee);

    sqlite3_stmt* row = prepare(
        "insert into timesheet (emp_id, rsdate, in1, out1, in2, out2, in3, out3) values (?, ?, ?, ?, ?, ?, ?, ?)");
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
            sqlite3_bind_text(row, 1, ids[std::size_t(e)].c_str(), -1, SQLITE_STATIC);
            sqlite3_bind_text(row, 2, day.constData(), int(day.size()), SQLITE_STATIC);
            for (int s = 0; s < 6; ++s) {
                if (slots[s][0])
                    sqlite3_bind_text(row, 3 + s, slots[s], 8, SQLITE_TRANSIENT);
                else
                    sqlite3_bind_null(row, 3 + s);
            }
            step(row);
            ++rows;
        }
    }
    sqlite3_finalize(row);
    for (const std::string& index : indexes)
        exec(index.c_str());
    exec("commit");
    exec("PRAGMA journal_mode=WAL");
    sqlite3_close(db);
    std::printf("seeded %s: %d employees, %lld timesheet rows over %d days\n", argv[1], employees, rows, days);
    return 0;
}
