#include "report/reportcommand.h"
#include "tests/support/fixedclock.h"
#include "tests/support/tempdatabase.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlRecord>
#include <QTest>
#include <QTextStream>

namespace {

struct Outcome
{
    int status = -1;
    QString out;
    QString err;
};

Outcome runReport(const QStringList& arguments)
{
    Outcome outcome;
    QTextStream out(&outcome.out);
    QTextStream err(&outcome.err);
    outcome.status = ReportCommand::run(arguments, out, err);
    out.flush();
    err.flush();
    return outcome;
}

const QDate kMonday(2026, 3, 2);

void seed(TempDatabase& db)
{
    db.addEmployee(QStringLiteral("1001"), QStringLiteral("Ann"), QStringLiteral("Avery"), 10.5, 15.75);
    db.addEmployee(QStringLiteral("1002"), QStringLiteral("Bob"), QStringLiteral("Brown"), 12, 18);
    for (int day = 0; day < 5; ++day) {
        db.addTimesheet(QStringLiteral("1001"), kMonday.addDays(day),
                        {t("07:58:12"), t("12:01:45"), t("12:45:00"), t("17:10:00")});
        db.addTimesheet(QStringLiteral("1002"), kMonday.addDays(day), {t("08:00:00"), t("16:00:00")});
    }
}

// Everything outside the work tables, to show the command leaves it alone.
QString keptData()
{
    QString text;
    for (const char* sql : {"Select emp_id, emp_fname, emp_lname, reg_wage, ot_wage from Employee order by id",
                            "Select emp_id, rsdate, in1, out1, in2, out2, in3, out3 from timesheet order by id",
                            "Select password from admin"}) {
        for (const QVariantList& row : TempDatabase::rows(QLatin1String(sql)))
            for (const QVariant& value : row)
                text += value.toString() + QLatin1Char('|');
    }
    return text;
}

} // namespace

class TestPayrollCommand : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void refusesBadArguments_data();
    void refusesBadArguments();
    void refusesMissingOrUnreadableDatabase();
    void printsSummaryAsAlignedText();
    void writesCsvAndPdf();
    void theProgramRunsOnASeededDatabase();
};

void TestPayrollCommand::refusesBadArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    const QStringList period = {QStringLiteral("--from"), QStringLiteral("03/02/2026"), QStringLiteral("--to"),
                                QStringLiteral("03/06/2026")};
    QTest::newRow("no report") << (period + QStringList{QStringLiteral("--all")}) << "say which report";
    QTest::newRow("no To date") << QStringList{QStringLiteral("summary"), QStringLiteral("--from"),
                                               QStringLiteral("03/02/2026"), QStringLiteral("--all")}
                                << "both --from and --to are needed";
    QTest::newRow("bad date") << QStringList{QStringLiteral("summary"),    QStringLiteral("--from"),
                                             QStringLiteral("13/45/2026"), QStringLiteral("--to"),
                                             QStringLiteral("03/06/2026"), QStringLiteral("--all")}
                              << "--from \"13/45/2026\" is not a date";
    QTest::newRow("reversed period") << QStringList{QStringLiteral("detail"),     QStringLiteral("--from"),
                                                    QStringLiteral("03/06/2026"), QStringLiteral("--to"),
                                                    QStringLiteral("03/02/2026"), QStringLiteral("--all")}
                                     << "--from is after --to";
    QTest::newRow("no employees") << (QStringList{QStringLiteral("summary")} + period) << "--employee ID";
    QTest::newRow("both employees and all")
        << (QStringList{QStringLiteral("summary")} + period +
            QStringList{QStringLiteral("--all"), QStringLiteral("--employee"), QStringLiteral("1001")})
        << "--employee ID";
    QTest::newRow("csv and pdf") << (QStringList{QStringLiteral("summary")} + period +
                                     QStringList{QStringLiteral("--all"), QStringLiteral("--csv"), QStringLiteral("a"),
                                                 QStringLiteral("--pdf"), QStringLiteral("b")})
                                 << "not both";
    QTest::newRow("value missing") << (QStringList{QStringLiteral("summary")} + period +
                                       QStringList{QStringLiteral("--employee")})
                                   << "Missing value after '--employee'";
    QTest::newRow("unknown") << (QStringList{QStringLiteral("summary"), QStringLiteral("--weekly")} + period)
                             << "Unknown option 'weekly'";
}

void TestPayrollCommand::refusesBadArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const Outcome outcome = runReport(arguments);
    QCOMPARE(outcome.status, 2);
    QVERIFY2(outcome.err.contains(message), qPrintable(outcome.err));
    QVERIFY(outcome.err.contains(QStringLiteral("Usage: ")));
    QVERIFY(outcome.out.isEmpty());
}

void TestPayrollCommand::refusesMissingOrUnreadableDatabase()
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("punched.mdb"));
    const QStringList arguments = {
        QStringLiteral("summary"),    QStringLiteral("--from"), QStringLiteral("03/02/2026"), QStringLiteral("--to"),
        QStringLiteral("03/06/2026"), QStringLiteral("--all"),  QStringLiteral("--database")};
    Outcome outcome = runReport(arguments + QStringList{missing});
    QCOMPARE(outcome.status, 1);
    QVERIFY(outcome.err.contains(QStringLiteral("no database at ") + missing));
    QVERIFY(!QFile::exists(missing));

    QFile junk(missing);
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(4096, 'x'));
    junk.close();
    outcome = runReport(arguments + QStringList{missing});
    QCOMPARE(outcome.status, 1);
    QVERIFY2(outcome.err.contains(QStringLiteral("Could not open")), qPrintable(outcome.err));
    Database::close();
}

void TestPayrollCommand::printsSummaryAsAlignedText()
{
    FixedClock clock(QDateTime(QDate(2026, 3, 9), QTime(8, 0)));
    TempDatabase db;
    seed(db);
    const QString before = keptData();
    const Outcome outcome = runReport({QStringLiteral("summary"), QStringLiteral("--from"), QStringLiteral("3/2/2026"),
                                       QStringLiteral("--to"), QStringLiteral("03/06/2026"), QStringLiteral("--all"),
                                       QStringLiteral("--database"), db.path()});
    QCOMPARE(outcome.status, 0);
    QVERIFY2(outcome.err.isEmpty(), qPrintable(outcome.err));
    const QStringList lines = outcome.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.at(0), QStringLiteral("Timesheet Report Summary"));
    QCOMPARE(lines.at(1), QStringLiteral("Pay Period From 03/02/2026 To 03/06/2026"));
    QCOMPARE(lines.at(2), QStringLiteral("Date 03/09/2026"));
    QVERIFY(lines.at(3).startsWith(QStringLiteral("Employee ID  Name       Regular")));
    QVERIFY(lines.at(5).startsWith(QStringLiteral("1001         Ann Avery")));
    QVERIFY(lines.at(5).endsWith(QStringLiteral("456.752625")));
    QVERIFY(lines.at(6).endsWith(QStringLiteral("600")));
    // Right-aligned figures: every row ends where the header does.
    for (int i = 4; i < lines.size(); ++i)
        QCOMPARE(lines.at(i).size(), lines.at(3).size());
    QCOMPARE(db.scalar(QStringLiteral("Select count(*) from summary")).toInt(), 2);
    QCOMPARE(keptData(), before);
}

void TestPayrollCommand::writesCsvAndPdf()
{
    FixedClock clock;
    TempDatabase db;
    seed(db);
    const QString before = keptData();
    const QString csv = QDir(db.dir()).filePath(QStringLiteral("detail.csv"));
    Outcome outcome = runReport({QStringLiteral("detail"), QStringLiteral("--from"), QStringLiteral("03/02/2026"),
                                 QStringLiteral("--to"), QStringLiteral("03/03/2026"), QStringLiteral("--employee"),
                                 QStringLiteral("1002"), QStringLiteral("--employee"), QStringLiteral("1001"),
                                 QStringLiteral("--database"), db.path(), QStringLiteral("--csv"), csv});
    QCOMPARE(outcome.status, 0);
    QVERIFY(outcome.out.isEmpty());
    QFile file(csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts),
             (QStringList{
                 QStringLiteral("Employee ID,Date,Time In,Time Out,Regular,Overtime,Work Hours"),
                 QStringLiteral("1002,2026-03-02,08:00:00,16:00:00,4,4,8"),
                 QStringLiteral("1002,2026-03-03,08:00:00,16:00:00,4,4,8"),
                 QStringLiteral("Pay Period Hours,,,,8,8,16"),
                 QStringLiteral("Wages Per Hour,,,,12,18,"),
                 QStringLiteral("Total Earnings,,,,96,144,240"),
             }));

    const QString pdf = QDir(db.dir()).filePath(QStringLiteral("summary.pdf"));
    outcome =
        runReport({QStringLiteral("summary"), QStringLiteral("--from"), QStringLiteral("03/02/2026"),
                   QStringLiteral("--to"), QStringLiteral("03/06/2026"), QStringLiteral("--employee"),
                   QStringLiteral("9999"), QStringLiteral("--database"), db.path(), QStringLiteral("--pdf"), pdf});
    QCOMPARE(outcome.status, 0);
    QVERIFY(outcome.err.contains(QStringLiteral("no employee has the ID 9999")));
    QFile written(pdf);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QVERIFY(written.readAll().startsWith("%PDF-"));
    QCOMPARE(db.scalar(QStringLiteral("Select emp_id from summary")).toString(), QStringLiteral("9999"));
    QCOMPARE(keptData(), before);

    outcome = runReport({QStringLiteral("summary"), QStringLiteral("--from"), QStringLiteral("03/02/2026"),
                         QStringLiteral("--to"), QStringLiteral("03/06/2026"), QStringLiteral("--all"),
                         QStringLiteral("--database"), db.path(), QStringLiteral("--csv"),
                         QDir(db.dir()).filePath(QStringLiteral("no/such/folder.csv"))});
    QCOMPARE(outcome.status, 1);
    QVERIFY(outcome.err.contains(QStringLiteral("could not write")));
}

// The installed program itself, as an accountant's script runs it, on a database of its own.
void TestPayrollCommand::theProgramRunsOnASeededDatabase()
{
    QTemporaryDir folder;
    QString path = folder.filePath(QStringLiteral("punched.mdb"));
    QString before;
    {
        TempDatabase db;
        seed(db);
        before = keptData();
        // A database on a server stays there once the test lets go of it.
        if (TempDatabase::onServer())
            path = db.path();
        else
            db.exec(QStringLiteral("VACUUM INTO ?"), {path});
    }
    QProcess program;
    program.start(QStringLiteral(QORVIL_REPORT_PROGRAM),
                  {QStringLiteral("summary"), QStringLiteral("--from"), QStringLiteral("03/02/2026"),
                   QStringLiteral("--to"), QStringLiteral("03/06/2026"), QStringLiteral("--all"),
                   QStringLiteral("--database"), path});
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    const QString out = QString::fromUtf8(program.readAllStandardOutput());
    QVERIFY2(out.startsWith(QStringLiteral("Timesheet Report Summary\n")), qPrintable(out));
    QVERIFY(out.contains(QStringLiteral("Ann Avery")));
    QVERIFY(out.contains(QStringLiteral("456.752625")));

    program.start(QStringLiteral(QORVIL_REPORT_PROGRAM), {QStringLiteral("weekly")});
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(program.exitCode(), 2);
    QVERIFY(QString::fromUtf8(program.readAllStandardError()).contains(QStringLiteral("Usage: ")));

    QVERIFY(Database::open(Database::Kind::Server, path));
    QCOMPARE(keptData(), before);
    QVERIFY(!TempDatabase::rows(QStringLiteral("Select count(*) from summary")).isEmpty());
    Database::close();
}

QTEST_MAIN(TestPayrollCommand)
#include "test_payrollcommand.moc"
