// One PostgreSQL database shared by the services of several sites: punches racing for the same employees,
// a database server that goes away and comes back, and a file copied in by qorvil-report migrate.
#include "core/store/database.h"
#include "core/store/query.h"
#include "tests/support/loopbackterminal.h"
#include "tests/support/serviceprocess.h"
#include "tests/support/tempdatabase.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int kWait = 20000;

int count(const QByteArray& bytes, const char* code)
{
    return int(bytes.count(code));
}

struct Run
{
    int status = -1;
    QString out;
    QString err;
};

Run report(const QStringList& arguments)
{
    QProcess program;
    program.start(QStringLiteral(QORVIL_REPORT_PROGRAM), arguments);
    Run run;
    if (!program.waitForFinished(60000))
        return run;
    run.status = program.exitCode();
    run.out = QString::fromUtf8(program.readAllStandardOutput());
    run.err = QString::fromUtf8(program.readAllStandardError());
    return run;
}

// The database's name, the last part of its location.
QString nameOf(const QString& location)
{
    return location.section(QLatin1Char('/'), -1);
}

} // namespace

class TestSharedServer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void twoSitesPunchTheSameEmployees();
    void lostServerRefusesThenReconnects();
    void migrationCopiesAFile();
};

void TestSharedServer::initTestCase()
{
    if (!TempDatabase::onServer())
        QSKIP("runs against the test database server (QORVIL_TEST_POSTGRES) only");
}

// Each employee is punched six times at once from both sites: every punch is answered once, lands in its own
// slot of the one row of the day, and the row keeps the site of the first.
void TestSharedServer::twoSitesPunchTheSameEmployees()
{
    const int employees = 12;
    TempDatabase db;
    QByteArray ids;
    for (int i = 0; i < employees; ++i) {
        db.addEmployee(QStringLiteral("E%1").arg(i), QStringLiteral("Ann"), QStringLiteral("Lee"));
        ids += "E" + QByteArray::number(i) + "\n";
    }
    const QString location = db.path();
    Database::close();

    ServiceProcess north(QStringLiteral(QORVIL_SERVICE_PROGRAM), location, {"--site", "North"});
    ServiceProcess south(QStringLiteral(QORVIL_SERVICE_PROGRAM), location, {"--site", "South"});
    QVERIFY2(north.start(), qPrintable(north.log()));
    QVERIFY2(south.start(), qPrintable(south.log()));
    LoopbackTerminal a(north.port());
    LoopbackTerminal b(south.port());
    QVERIFY(a.connected());
    QVERIFY(b.connected());
    QTRY_VERIFY_WITH_TIMEOUT(a.received.startsWith("CRA") && b.received.startsWith("CRA"), kWait);
    for (int round = 1; round <= 3; ++round) {
        a.send(ids);
        b.send(ids);
        QTRY_COMPARE_WITH_TIMEOUT(count(a.received + b.received, "RIN") + count(a.received + b.received, "OUT"),
                                  2 * employees * round, kWait);
    }
    QCOMPARE(count(a.received + b.received, "RIN"), 3 * employees);

    QVERIFY(Database::open(Database::Kind::Server, location));
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM timesheet")).toInt(), employees);
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM timesheet WHERE in1 IS NULL OR out1 IS NULL OR in2 IS "
                                      "NULL OR out2 IS NULL OR in3 IS NULL OR out3 IS NULL"))
                 .toInt(),
             0);
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM timesheet WHERE site IN ('North', 'South')")).toInt(),
             employees);
    // Punches are the record itself: the audit trail keeps only the hand change made afterwards.
    db.exec(QStringLiteral("UPDATE timesheet SET out3 = '23:00:00' WHERE emp_id = 'E0'"));
    QCOMPARE(TempDatabase::rows(QStringLiteral(
                 "SELECT c.action, c.program, v.column_name, v.new_value FROM "
                 "audit_change c JOIN audit_value v ON v.change_id = c.id WHERE c.table_name = 'timesheet'")),
             (QList<QVariantList>{{"update", "test_sharedserver", "out3", "23:00:00"}}));
    // Each service lists its terminal under its site, and takes it away when it stops.
    QTRY_COMPARE_WITH_TIMEOUT(db.scalar(QStringLiteral("SELECT count(*) FROM Terminal WHERE site = 'North'")).toInt(),
                              1, kWait);
    QTRY_COMPARE_WITH_TIMEOUT(db.scalar(QStringLiteral("SELECT count(*) FROM Terminal WHERE site = 'South'")).toInt(),
                              1, kWait);
    QCOMPARE(north.stop(), 0);
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM Terminal WHERE site = 'North'")).toInt(), 0);
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM Terminal WHERE site = 'South'")).toInt(), 1);
    QCOMPARE(south.stop(), 0);
}

// While the database server cannot be reached a punch gets no answer and is not stored; once it can, the
// service connects again by itself and the next punch goes through.
void TestSharedServer::lostServerRefusesThenReconnects()
{
    TempDatabase db;
    db.addEmployee(QStringLiteral("E1"), QStringLiteral("Ann"), QStringLiteral("Lee"));
    const QString location = db.path();
    const QString name = nameOf(location);
    Database::close();

    ServiceProcess service(QStringLiteral(QORVIL_SERVICE_PROGRAM), location);
    QVERIFY2(service.start(), qPrintable(service.log()));
    LoopbackTerminal terminal(service.port());
    QVERIFY(terminal.connected());
    QTRY_COMPARE_WITH_TIMEOUT(terminal.received, QByteArray("CRA"), kWait);
    terminal.send("E1\n");
    QTRY_COMPARE_WITH_TIMEOUT(terminal.received, QByteArray("CRARINAnn Lee"), kWait);

    QVERIFY(TempDatabase::serverAdmin(QStringLiteral("ALTER DATABASE %1 ALLOW_CONNECTIONS false").arg(name)));
    QVERIFY(TempDatabase::serverAdmin(QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE "
                                                     "datname = '%1' AND application_name = 'qorvil'")
                                          .arg(name)));
    terminal.send("E1\n");
    QTRY_VERIFY_WITH_TIMEOUT(service.log().contains(QStringLiteral("cannot be reached")), kWait);
    QVERIFY2(service.process.state() == QProcess::Running, qPrintable(service.log()));
    QCOMPARE(terminal.received, QByteArray("CRARINAnn Lee"));

    QVERIFY(TempDatabase::serverAdmin(QStringLiteral("ALTER DATABASE %1 ALLOW_CONNECTIONS true").arg(name)));
    terminal.send("E1\n");
    QTRY_COMPARE_WITH_TIMEOUT(terminal.received, QByteArray("CRARINAnn LeeOUTAnn Lee"), kWait);
    QCOMPARE(service.stop(), 0);
    QVERIFY(Database::open(Database::Kind::Server, location));
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM timesheet WHERE out1 IS NOT NULL AND in2 IS NULL")).toInt(),
             1);
}

// A file's rows, wages and times of every form the file reads come over whole, with the same report.
void TestSharedServer::migrationCopiesAFile()
{
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("punched.mdb"));
    QVERIFY(Database::open(Database::Kind::Server, file));
    for (const auto& [id, wage] : {std::pair{"E1", 10.55}, std::pair{"E2", 12.0}, std::pair{"e1", 9.0}}) {
        Query add;
        QVERIFY(add.exec(QStringLiteral("INSERT INTO Employee (emp_id, emp_fname, emp_lname, reg_wage, ot_wage) "
                                        "VALUES (?, 'Ann', 'Lee', ?, ?)"),
                         {QLatin1String(id), wage, wage * 1.5}));
    }
    for (const QStringList& row : {QStringList{"E1", "2026-03-02", "08:00:00", "12:00:00", "12:30:00", "17:47:00"},
                                   QStringList{"E1", "2026-03-03", "8:00:00", " 13:10:00 ", "", ""},
                                   QStringList{"E2", "2026-03-02", "06:59:00", "14:00:00", "", ""},
                                   QStringList{"e1", "2026-03-04", "09:00:00", "", "", ""}}) {
        QVariantList values;
        for (const QString& value : row)
            values << (value.isEmpty() ? QVariant() : QVariant(value));
        Query add;
        QVERIFY(add.exec(QStringLiteral("INSERT INTO timesheet (emp_id, rsdate, in1, out1, in2, out2) VALUES (?, ?, "
                                        "?, ?, ?, ?)"),
                         values));
    }
    Database::close();

    const QString target =
        TempDatabase::emptyServerDatabase(QStringLiteral("qorvil_migrate_%1").arg(QCoreApplication::applicationPid()));
    const Run copied = report({"migrate", "--from", file, "--to", target});
    QVERIFY2(copied.status == 0, qPrintable(copied.out + copied.err));
    QVERIFY(copied.out.contains(QStringLiteral("timesheet: 4 rows in the file, 4 in the copy")));
    QVERIFY(copied.out.contains(QStringLiteral("The copy matches the file.")));
    const QStringList summary = {"summary", "--from", "03/01/2026", "--to", "03/31/2026", "--all", "--database"};
    const Run fromFile = report(summary + QStringList{file});
    const Run fromCopy = report(summary + QStringList{target});
    QCOMPARE(fromCopy.status, 0);
    QCOMPARE(fromCopy.out, fromFile.out);

    // Into a database that holds rows already, nothing is copied.
    const Run again = report({"migrate", "--from", file, "--to", target});
    QCOMPARE(again.status, 1);
    QVERIFY2(again.err.contains(QStringLiteral("already holds")), qPrintable(again.err));

    // A time the server cannot keep stops the copy before anything is written, and is named.
    QVERIFY(Database::open(Database::Kind::Server, file));
    Query spoil;
    QVERIFY(
        spoil.exec(QStringLiteral("UPDATE timesheet SET out2 = '5pm' WHERE rsdate = '2026-03-02' AND emp_id = 'E1'")));
    Database::close();
    const QString empty =
        TempDatabase::emptyServerDatabase(QStringLiteral("qorvil_migrate_%1").arg(QCoreApplication::applicationPid()));
    const Run refused = report({"migrate", "--from", file, "--to", empty});
    QCOMPARE(refused.status, 1);
    QVERIFY2(refused.err.contains(QStringLiteral("out2: \"5pm\" is not a time of day")), qPrintable(refused.err));
    QVERIFY(Database::open(Database::Kind::Server, empty));
    QCOMPARE(TempDatabase::rows(QStringLiteral("SELECT count(*) FROM timesheet")).value(0).value(0).toInt(), 0);
    Database::close();
}

QTEST_GUILESS_MAIN(TestSharedServer)
#include "test_sharedserver.moc"
