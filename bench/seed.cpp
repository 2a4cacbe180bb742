// Makes a realistic punched.mdb for the benchmarks: employees with wages and a span of days of
// timesheet rows with one to three pairs each, a few open pairs and a few odd ones.
//   seed <path> [employees=1000] [days=365]
// The days end yesterday, so today's punches start on empty rows.
#include "core/store/database.h"

#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTime>
#include <cstdio>

namespace {

QString at(QRandomGenerator& random, int hour, int spreadMinutes)
{
    const int seconds = hour * 3600 + int(random.bounded(2 * spreadMinutes * 60)) - spreadMinutes * 60;
    return QTime(0, 0).addSecs(seconds).toString(QStringLiteral("HH:mm:ss"));
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
    QFile::remove(path);
    QFile::remove(path + QStringLiteral("-wal"));
    QFile::remove(path + QStringLiteral("-shm"));
    QString error;
    if (!Database::open(Database::Kind::Server, path, &error)) {
        std::fprintf(stderr, "seed: %s\n", qPrintable(error));
        return 1;
    }
    QRandomGenerator random(20261207);
    QSqlQuery(QStringLiteral("PRAGMA synchronous=OFF"), gConn);
    gConn.transaction();
    QSqlQuery employee(gConn);
    employee.prepare(QStringLiteral(
        "insert into Employee (emp_id, emp_lname, emp_fname, emp_mname, emp_sex, emp_dob, emp_apt, emp_address, city,"
        " emp_state, zip, emp_home_phone, emp_work_phone, emp_cp, sss, Job_Description, reg_wage, ot_wage,"
        " date_hired, status, Notes) values (?, ?, ?, ' ', ?, ?, ' ', ?, 'Springfield', 'IL', '62701', ' ', ' ',"
        " ' ', ' ', 'Staff', ?, ?, ?, 1, ' ')"));
    const char* last[] = {"Santos", "Nguyen", "Okafor", "Schmidt", "Rossi", "Kowalski", "Haddad", "Lindqvist"};
    const char* first[] = {"Maria", "Tom", "Amara", "Jonas", "Lucia", "Piotr", "Rami", "Ebba", "Kenji", "Ana"};
    for (int e = 0; e < employees; ++e) {
        const double wage = 12.0 + double(random.bounded(2800)) / 100.0;
        employee.addBindValue(QStringLiteral("E%1").arg(e, 5, 10, QLatin1Char('0')));
        employee.addBindValue(QString::fromLatin1(last[e % 8]));
        employee.addBindValue(QString::fromLatin1(first[e % 10]));
        employee.addBindValue(e % 2 ? QStringLiteral("Female") : QStringLiteral("Male"));
        employee.addBindValue(QDate(1960 + e % 40, 1 + e % 12, 1 + e % 28).toString(Qt::ISODate));
        employee.addBindValue(QStringLiteral("%1 Main Street").arg(e + 1));
        employee.addBindValue(wage);
        employee.addBindValue(e % 25 == 0 ? QVariant() : QVariant(wage * 1.5)); // a few without overtime wage
        employee.addBindValue(QDate(2015 + e % 10, 1 + e % 12, 1).toString(Qt::ISODate));
        if (!employee.exec()) {
            std::fprintf(stderr, "seed: employee insert failed\n");
            return 1;
        }
    }
    QSqlQuery row(gConn);
    row.prepare(QStringLiteral(
        "insert into timesheet (emp_id, rsdate, in1, out1, in2, out2, in3, out3) values (?, ?, ?, ?, ?, ?, ?, ?)"));
    const QDate firstDay = QDate::currentDate().addDays(-days);
    qint64 rows = 0;
    for (int d = 0; d < days; ++d) {
        const QString day = firstDay.addDays(d).toString(Qt::ISODate);
        for (int e = 0; e < employees; ++e) {
            const int pairs = 1 + int(random.bounded(3));
            QVariantList slots(6);
            slots[0] = at(random, pairs == 1 ? 8 : 7, 20);
            slots[1] = pairs == 1 ? at(random, 16, 30) : at(random, 12, 15);
            if (pairs >= 2) {
                slots[2] = at(random, 13, 10);
                slots[3] = at(random, 17, 25);
            }
            if (pairs == 3) {
                slots[4] = at(random, 18, 5);
                slots[5] = at(random, 20, 30);
            }
            const quint32 oddity = random.bounded(1000);
            if (oddity == 0)
                slots[2 * (pairs - 1) + 1] = QVariant(); // forgot to punch out
            else if (oddity == 1)
                slots[1] = QStringLiteral("00:00:00"); // blank box saved in the editor
            row.addBindValue(QStringLiteral("E%1").arg(e, 5, 10, QLatin1Char('0')));
            row.addBindValue(day);
            for (const QVariant& slot : slots)
                row.addBindValue(slot);
            if (!row.exec()) {
                std::fprintf(stderr, "seed: timesheet insert failed\n");
                return 1;
            }
            ++rows;
        }
    }
    gConn.commit();
    QSqlQuery(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"), gConn);
    Database::close();
    std::printf("seeded %s: %d employees, %lld timesheet rows over %d days\n", qPrintable(path), employees, rows, days);
    return 0;
}
