// One PostgreSQL database shared by the services of several sites: punches racing for the same employees,
// a database server that goes away and comes back, and a file copied in by qorvil-report migrate.
#include "core/store/database.h"
#include "core/store/query.h"
#include "core/store/trailwriter.h"
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

Run runProgram(const QString& name, const QStringList& arguments)
{
    QProcess program;
    program.start(name, arguments);
    Run done;
    if (!program.waitForFinished(60000))
        return done;
    done.status = program.exitCode();
    done.out = QString::fromUtf8(program.readAllStandardOutput());
    done.err = QString::fromUtf8(program.readAllStandardError());
    return done;
}

Run report(const QStringList& arguments)
{
    return runProgram(QStringLiteral(QORVIL_REPORT_PROGRAM), arguments);
}

// Runs SQL with psql at the location, stopping at the first error.
Run psql(const QString& location, const QString& sql)
{
    return runProgram(QStringLiteral("psql"),
                      {QStringLiteral("-X"), QStringLiteral("-qAt"), QStringLiteral("-v"),
                       QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-d"), location, QStringLiteral("-c"), sql});
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
    void programsRoleCannotSwitchTheTrailOff();
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
// service connects again by itself and the next punch goes through, whichever of its connections found the
// server gone first.
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
    // A terminal that connects now has the service list it, which finds the server gone too.
    LoopbackTerminal second(service.port());
    QTRY_VERIFY_WITH_TIMEOUT(service.log().contains(QStringLiteral("Could not list the connected terminals")), kWait);
    terminal.send("E1\n");
    QTRY_VERIFY_WITH_TIMEOUT(service.log().contains(QStringLiteral("was not recorded")), kWait);
    QVERIFY2(service.process.state() == QProcess::Running, qPrintable(service.log()));
    QCOMPARE(terminal.received, QByteArray("CRARINAnn Lee"));

    QVERIFY(TempDatabase::serverAdmin(QStringLiteral("ALTER DATABASE %1 ALLOW_CONNECTIONS true").arg(name)));
    terminal.send("E1\n");
    QTRY_VERIFY2_WITH_TIMEOUT(terminal.received == "CRARINAnn LeeOUTAnn Lee", qPrintable(service.log().right(600)),
                              kWait);
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

// The set-up the README gives: the database and its schema belong to one role and the programs connect as
// another, which changes records but cannot stop, rewrite or empty the trail, and whose say-so that a punch is
// under way leaves out only what a punch writes.
void TestSharedServer::programsRoleCannotSwitchTheTrailOff()
{
    const QString admin =
        TempDatabase::emptyServerDatabase(QStringLiteral("qorvil_roles_%1").arg(QCoreApplication::applicationPid()));
    for (const char* role : {"qorvil_owner", "qorvil_app"})
        QVERIFY(TempDatabase::serverAdmin(
            QStringLiteral("DO $$BEGIN CREATE ROLE %1 LOGIN; EXCEPTION WHEN duplicate_object THEN NULL; END$$")
                .arg(QLatin1String(role))));
    QCOMPARE(psql(admin, QStringLiteral("ALTER DATABASE %1 OWNER TO qorvil_owner; ALTER SCHEMA public OWNER TO "
                                        "qorvil_owner")
                             .arg(nameOf(admin)))
                 .status,
             0);
    const auto as = [&](const char* role) {
        return QString(admin).replace(QStringLiteral("postgres@"), QLatin1String(role) + QStringLiteral("@"));
    };
    const QString owner = as("qorvil_owner");
    const QString programs = as("qorvil_app");
    QCOMPARE(psql(owner, QStringLiteral("GRANT USAGE ON SCHEMA public TO qorvil_app; "
                                        "ALTER DEFAULT PRIVILEGES GRANT SELECT, INSERT, UPDATE, DELETE ON TABLES TO "
                                        "qorvil_app; ALTER DEFAULT PRIVILEGES GRANT USAGE, SELECT ON SEQUENCES TO "
                                        "qorvil_app"))
                 .status,
             0);
    QVERIFY(Database::open(Database::Kind::Server, owner));
    Query add;
    QVERIFY(add.exec(QStringLiteral("INSERT INTO Employee (emp_id, emp_fname, emp_lname, reg_wage) VALUES ('E1', "
                                    "'Ann', 'Lee', 10)")));
    Database::close();

    ServiceProcess service(QStringLiteral(QORVIL_SERVICE_PROGRAM), programs);
    QVERIFY2(service.start(), qPrintable(service.log()));
    LoopbackTerminal terminal(service.port());
    QVERIFY(terminal.connected());
    terminal.send("E1\nE1\n");
    QTRY_COMPARE_WITH_TIMEOUT(terminal.received, QByteArray("CRARINAnn LeeOUTAnn Lee"), kWait);
    QCOMPARE(service.stop(), 0);
    QVERIFY2(!service.log().contains(QStringLiteral("could not be checked")), qPrintable(service.log()));

    const auto entries = [&] { return psql(owner, QStringLiteral("SELECT count(*) FROM audit_change")).out.trimmed(); };
    const QString before = entries();
    QCOMPARE(before, QStringLiteral("1")); // the employee added; the punches are not changes
    const char* rewrite = "CREATE OR REPLACE FUNCTION qorvil_audit() RETURNS trigger LANGUAGE plpgsql AS $$BEGIN "
                          "RETURN NULL; END$$";
    for (const char* sql : {"ALTER TABLE employee DISABLE TRIGGER ALL", "DROP TRIGGER audit_employee ON employee",
                            rewrite, "SET session_replication_role = replica", "DELETE FROM audit_change",
                            "UPDATE audit_change SET os_user = 'nobody'", "TRUNCATE audit_value",
                            "INSERT INTO audit_change (changed_at, table_name, action) VALUES ('now', 'x', 'x')",
                            "UPDATE audit_change SET chain_hash = NULL"}) {
        const Run tried = psql(programs, QLatin1String(sql));
        QVERIFY2(tried.status != 0, sql);
        QVERIFY2(tried.err.contains(QStringLiteral("permission denied")) || tried.err.contains(QStringLiteral("owner")),
                 qPrintable(tried.err));
    }
    QCOMPARE(entries(), before);

    // Saying a punch is under way, then changing a wage, a punched time, or removing a day: recorded. Filling an
    // empty slot is what a punch does, and is left out.
    const QString paused = QStringLiteral("SELECT set_config('qorvil.program', 'x', false), "
                                          "set_config('qorvil.paused', '1', false); ");
    for (const auto& [sql, recorded] :
         {std::pair{"UPDATE employee SET reg_wage = 99", 1}, std::pair{"UPDATE timesheet SET in1 = '06:00'", 1},
          std::pair{"UPDATE timesheet SET in2 = '13:00'", 0},
          std::pair{"UPDATE timesheet SET in3 = '14:00', out3 = '23:00'", 1},
          std::pair{"INSERT INTO timesheet (emp_id, rsdate, in1, out1) VALUES ('E1', '2026-01-02', '08:00', '18:00')",
                    1},
          std::pair{"DELETE FROM timesheet", 2}}) {
        const int count = entries().toInt();
        const Run done = psql(programs, paused + QLatin1String(sql));
        QVERIFY2(done.status == 0, qPrintable(done.err));
        QVERIFY2(entries().toInt() == count + recorded, sql);
    }

    // The programs' role chains the entries through the trail's own function, and the chain holds.
    const Run verified = report({"audit", "--verify", "--database", programs});
    QVERIFY2(verified.status == 0, qPrintable(verified.out + verified.err));
    QVERIFY2(verified.out.contains(QStringLiteral("intact")), qPrintable(verified.out));

    // A grant too wide is taken back, and said, when the owner's program next starts; the programs' role cannot
    // put back what the owner took away, and says so.
    QCOMPARE(psql(owner, QStringLiteral("GRANT ALL ON audit_change TO qorvil_app")).status, 0);
    QVERIFY(Database::open(Database::Kind::Server, owner));
    QCOMPARE(TrailWriter::lastStart().restored, QStringList{QStringLiteral("audit_change (writable by qorvil_app)")});
    QCOMPARE(psql(owner, QStringLiteral("DROP TRIGGER audit_employee ON employee")).status, 0);
    QVERIFY(Database::open(Database::Kind::Server, programs));
    QVERIFY2(TrailWriter::lastStart().problem.contains(QStringLiteral("audit_employee (missing) must be put back by "
                                                                      "the database's owner")),
             qPrintable(TrailWriter::lastStart().problem));
    QVERIFY(psql(programs, QStringLiteral("DELETE FROM audit_change")).status != 0);
    Database::close();
}
