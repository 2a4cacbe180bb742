#include "tests/support/previousrelease.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

// Long statements are split over lines, not lists missing a comma.
// NOLINTBEGIN(bugprone-suspicious-missing-comma)
const QStringList kPreviousServerSchema = {
    "CREATE TABLE IF NOT EXISTS Employee (id INTEGER PRIMARY KEY, emp_id TEXT COLLATE NOCASE, emp_lname TEXT COLLATE "
    "NOCASE, emp_fname TEXT COLLATE NOCASE, emp_mname TEXT COLLATE NOCASE, emp_sex TEXT COLLATE NOCASE, emp_dob DATE, "
    "emp_apt TEXT COLLATE NOCASE, emp_address TEXT COLLATE NOCASE, city TEXT COLLATE NOCASE, emp_state TEXT COLLATE "
    "NOCASE, zip TEXT COLLATE NOCASE, emp_home_phone TEXT COLLATE NOCASE, emp_work_phone TEXT COLLATE NOCASE, emp_cp "
    "TEXT COLLATE NOCASE, sss TEXT COLLATE NOCASE, Job_Description TEXT COLLATE NOCASE, reg_wage REAL, ot_wage REAL, "
    "date_hired DATE, status INTEGER, Notes TEXT COLLATE NOCASE)",
    "CREATE INDEX IF NOT EXISTS Employee_emp_id ON Employee(emp_id)",
    "CREATE TABLE IF NOT EXISTS timesheet (id INTEGER PRIMARY KEY, emp_id TEXT COLLATE NOCASE, rsdate DATE, in1 TIME, "
    "out1 TIME, in2 TIME, out2 TIME, in3 TIME, out3 TIME)",
    "CREATE INDEX IF NOT EXISTS timesheet_emp_id_rsdate ON timesheet(emp_id, rsdate)",
    "CREATE TABLE IF NOT EXISTS Terminal (id INTEGER PRIMARY KEY, ip TEXT COLLATE NOCASE)",
    "CREATE TABLE IF NOT EXISTS admin (id INTEGER PRIMARY KEY, password TEXT)",
    "CREATE TABLE IF NOT EXISTS details (id INTEGER PRIMARY KEY, emp_id TEXT COLLATE NOCASE, rsdate DATE, in1 TIME, "
    "out1 TIME, work_hours REAL, regular REAL, rsot REAL)",
    "CREATE TABLE IF NOT EXISTS summary (id INTEGER PRIMARY KEY, emp_id TEXT COLLATE NOCASE, emp_name TEXT COLLATE "
    "NOCASE, work_hours REAL, regular REAL, ot REAL, wage REAL, ot_wage REAL, reg_earnings REAL, ot_earnings REAL, "
    "tot_earnings REAL)",
    "PRAGMA user_version = 1",
    "INSERT INTO admin (password) VALUES ('kept secret')",
    "INSERT INTO Employee (emp_id, emp_fname, emp_lname, reg_wage, date_hired) VALUES ('E1', 'Ann', 'Lee', 12.5, "
    "'2024-01-15')",
    "INSERT INTO timesheet (emp_id, rsdate, in1, out1) VALUES ('E1', '2026-03-02', '08:00:00', '12:00:00')",
    "INSERT INTO Terminal (ip) VALUES ('10.0.0.7')",
    "INSERT INTO details (emp_id, work_hours) VALUES ('E1', 4)",
    "INSERT INTO summary (emp_id, tot_earnings) VALUES ('E1', 50)",
};
// NOLINTEND(bugprone-suspicious-missing-comma)
const QStringList kPreviousClientSchema = {
    "CREATE TABLE IF NOT EXISTS server (id INTEGER PRIMARY KEY, ip TEXT COLLATE NOCASE)",
    "PRAGMA user_version = 1",
    "INSERT INTO server (ip) VALUES ('192.168.1.10')",
};

void makeFile(const QString& path, const QStringList& statements)
{
    {
        QSqlDatabase maker = QSqlDatabase::addDatabase("QSQLITE", "maker");
        maker.setDatabaseName(path);
        QVERIFY(maker.open());
        for (const QString& statement : QStringList{"PRAGMA synchronous=OFF"} + statements) {
            QSqlQuery query(maker);
            QVERIFY2(query.exec(statement), qPrintable(statement + ": " + query.lastError().text()));
        }
        maker.close();
    }
    QSqlDatabase::removeDatabase("maker");
}

QStringList everyRowOf(const QSqlDatabase& db)
{
    QStringList rows;
    for (const QString& table : db.tables()) {
        // The history and the default pay rules are the upgrade's own rows.
        if (table == "schema_migrations" || table == "pay_rules")
            continue;
        QSqlQuery query(db);
        query.exec("SELECT * FROM " + table + " ORDER BY id");
        while (query.next()) {
            QStringList values{table};
            for (int i = 0; i < query.record().count(); ++i)
                values << query.value(i).toString();
            while (values.size() > 1 && values.last().isEmpty())
                values.removeLast();
            rows << values.join('|');
        }
    }
    rows.sort();
    return rows;
}
