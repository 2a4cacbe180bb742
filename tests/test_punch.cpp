#include "core/payroll/paycomputation.h"
#include "core/payroll/payrollreports.h"
#include "core/payroll/payrules.h"
#include "core/protocol.h"
#include "core/punch/punchrules.h"
#include "core/store/query.h"
#include "core/store/recordset.h"
#include "tests/support/fixedclock.h"
#include "tests/support/tempdatabase.h"

#include <QFile>
#include <QProcess>
#include <QTest>
#include <csignal>
#include <ctime>

using Outcome = PunchResult::Outcome;
Q_DECLARE_METATYPE(Outcome)

namespace {

const QDate kToday(2026, 3, 2);

QVariantList slotsOf(const QString& id, const QDate& day)
{
    Query query(gConn);
    if (!query.exec(
            QStringLiteral("select in1, out1, in2, out2, in3, out3 from timesheet where emp_id = ? and rsdate = ?"),
            {id, day.toString(Qt::ISODate)}) ||
        !query.next())
        return {};
    QVariantList values;
    for (int i = 0; i < 6; ++i)
        values << query.value(i);
    return values;
}

// Both callers apply the same slot rules.
PunchResult punchBy(const QString& path, const QString& id)
{
    if (path == QLatin1String("terminal"))
        return Punch::recordFromTerminal(id);
    RecordSet employees;
    if (!employees.open(QStringLiteral("Select * from employee")))
        return {PunchResult::Outcome::StoreFailed, {}, {}, employees.lastError()};
    return Punch::recordFromLoadedEmployees(employees, id);
}

} // namespace

class TestPunch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fullDaySequence_data();
    void fullDaySequence();
    void firstPunchOfDay_data();
    void firstPunchOfDay();
    void nightShiftsContinueTheShift_data();
    void nightShiftsContinueTheShift();
    void blankTimeCountsAsUsed();
    void nullInBeforeFilledOut();
    void unknownAndCaseOnlyIds();
    void quoteInIdIsData();
    void storeFailureWritesNothing_data();
    void storeFailureWritesNothing();
    void answeredPunchesSurviveKill();
    void systemClockFollowsDaylightSaving_data();
    void systemClockFollowsDaylightSaving();
};

void TestPunch::fullDaySequence_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("clock window") << "clock";
    QTest::newRow("terminal") << "terminal";
}

void TestPunch::fullDaySequence()
{
    QFETCH(QString, path);
    TempDatabase db;
    FixedClock clock(QDateTime(kToday, QTime(8, 0, 0)));
    db.addEmployee(QStringLiteral("17"), QStringLiteral("Ann"), QStringLiteral("Lee"));
    const Outcome expected[] = {Outcome::SignedIn,  Outcome::SignedOut, Outcome::SignedIn,
                                Outcome::SignedOut, Outcome::SignedIn,  Outcome::SignedOut};
    for (const Outcome outcome : expected) {
        const PunchResult result = punchBy(path, QStringLiteral("17"));
        QCOMPARE(result.outcome, outcome);
        QCOMPARE(result.name, QStringLiteral("Ann Lee"));
        QCOMPARE(result.time, clock.now().time());
        clock.advance(3600);
    }
    const QVariantList slots = slotsOf(QStringLiteral("17"), kToday);
    QCOMPARE(slots.size(), 6);
    for (int i = 0; i < 6; ++i)
        QCOMPARE(slots.at(i).toString(), QTime(8 + i, 0).toString(QStringLiteral("HH:mm:ss")));

    // The seventh punch of the day finds no free slot and changes nothing.
    const PunchResult seventh = punchBy(path, QStringLiteral("17"));
    QCOMPARE(seventh.outcome, Outcome::NoFreeSlot);
    QCOMPARE(seventh.name, QStringLiteral("Ann Lee"));
    QCOMPARE(slotsOf(QStringLiteral("17"), kToday), slots);
    QCOMPARE(db.scalar(QStringLiteral("select count(*) from timesheet")).toInt(), 1);
}

void TestPunch::firstPunchOfDay_data()
{
    QTest::addColumn<QString>("history");
    QTest::newRow("no rows at all") << "none";
    QTest::newRow("earlier days only") << "earlier";
    QTest::newRow("open pair yesterday") << "open";
}

void TestPunch::firstPunchOfDay()
{
    QFETCH(QString, history);
    TempDatabase db;
    FixedClock clock(QDateTime(kToday, QTime(0, 0, 30))); // just after midnight
    db.addEmployee(QStringLiteral("5"), QStringLiteral("Bo"), QStringLiteral("Ek"));
    if (history == QLatin1String("earlier"))
        db.addTimesheet(QStringLiteral("5"), kToday.addDays(-3),
                        {t("08:00:00"), t("12:00:00"), t("13:00:00"), t("17:00:00")});
    if (history == QLatin1String("open"))
        db.addTimesheet(QStringLiteral("5"), kToday.addDays(-1), {t("22:00:00")});
    const int before = db.scalar(QStringLiteral("select count(*) from timesheet")).toInt();

    const PunchResult result = Punch::recordFromTerminal(QStringLiteral("5"));
    QCOMPARE(result.outcome, Outcome::SignedIn);
    QCOMPARE(db.scalar(QStringLiteral("select count(*) from timesheet")).toInt(), before + 1);
    const QVariantList slots = slotsOf(QStringLiteral("5"), kToday);
    QCOMPARE(slots.at(0).toString(), QStringLiteral("00:00:30"));
    for (int i = 1; i < 6; ++i)
        QVERIFY(slots.at(i).isNull());
    if (history == QLatin1String("open")) // yesterday's open pair is left for the administrator
        QVERIFY(slotsOf(QStringLiteral("5"), kToday.addDays(-1)).at(1).isNull());
}

void TestPunch::nightShiftsContinueTheShift_data()
{
    QTest::addColumn<int>("nightHours"); // 0: off
    QTest::addColumn<QVariantList>("yesterday");
    QTest::addColumn<QTime>("at");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<int>("daysBack"); // of the row written
    QTest::addColumn<int>("slot");     // written there
    const QVariantList night = {t("22:00:00")};
    QTest::newRow("off: the morning's punch starts its own day") << 0 << night << QTime(6, 0) << "RIN" << 0 << 0;
    QTest::newRow("on: it closes last night's pair") << 16 << night << QTime(6, 0) << "OUT" << 1 << 1;
    QTest::newRow("on: exactly 16 hours on") << 16 << night << QTime(14, 0) << "OUT" << 1 << 1;
    QTest::newRow("on: a second more") << 16 << night << QTime(14, 0, 1) << "RIN" << 0 << 0;
    const QVariantList onBreak = {t("22:00:00"), t("02:00:00")};
    QTest::newRow("on: back from a break") << 16 << onBreak << QTime(2, 30) << "RIN" << 1 << 2;
    QTest::newRow("on: a break of 4 hours ends the shift") << 16 << onBreak << QTime(6, 0) << "RIN" << 0 << 0;
    QTest::newRow("on: after a day shift")
        << 16 << QVariantList{t("08:00:00"), t("17:00:00")} << QTime(6, 0) << "RIN" << 0 << 0;
}

void TestPunch::nightShiftsContinueTheShift()
{
    QFETCH(int, nightHours);
    QFETCH(QVariantList, yesterday);
    QFETCH(QTime, at);
    QFETCH(QString, reply);
    QFETCH(int, daysBack);
    QFETCH(int, slot);
    TempDatabase db;
    FixedClock clock(QDateTime(kToday, at));
    db.addEmployee(QStringLiteral("5"), QStringLiteral("Bo"), QStringLiteral("Ek"));
    db.addTimesheet(QStringLiteral("5"), kToday.addDays(-1), yesterday);
    Pay::Rules rules;
    QString error;
    QVERIFY(Pay::set(&rules, QStringLiteral("night_shift_hours"), QString::number(nightHours), &error));
    QVERIFY2(Pay::save(rules, &error), qPrintable(error));

    const PunchResult result = Punch::recordFromTerminal(QStringLiteral("5"));
    QCOMPARE(Protocol::replyFor(result), std::optional<QString>(reply + QStringLiteral("Bo Ek")));
    QCOMPARE(slotsOf(QStringLiteral("5"), kToday.addDays(-daysBack)).value(slot).toString(),
             at.toString(QStringLiteral("HH:mm:ss")));
    QCOMPARE(db.scalar(QStringLiteral("select count(*) from timesheet")).toInt(), daysBack == 0 ? 2 : 1);
    // The night's pair counts for the day it began, in the time that passed.
    if (reply == QLatin1String("OUT") && at == QTime(6, 0)) {
        Pay::Result pay;
        QVERIFY2(Pay::computeFor(QStringLiteral("5"), kToday.addDays(-1), kToday.addDays(-1), &pay, &error),
                 qPrintable(error));
        QCOMPARE(pay.totals.worked(), qint64(8 * 60));
        Payroll::DetailReport detail;
        QVERIFY(Payroll::runDetail(
            {kToday.addDays(-1), kToday.addDays(-1), {{QStringLiteral("Bo Ek"), QStringLiteral("5"), true}}}, &detail,
            &error));
        QCOMPARE(detail.rows.value(0).value(QStringLiteral("out1")).toString(), QStringLiteral("06:00:00 (+1)"));
    }
}

void TestPunch::blankTimeCountsAsUsed()
{
    TempDatabase db;
    FixedClock clock(QDateTime(kToday, QTime(9, 0, 0)));
    db.addEmployee(QStringLiteral("5"), QStringLiteral("Bo"), QStringLiteral("Ek"));
    // A row saved by the time editor: blank boxes became "00:00:00".
    db.addTimesheet(QStringLiteral("5"), kToday,
                    {t("08:00:00"), t("00:00:00"), t("00:00:00"), t("00:00:00"), t("00:00:00"), t("00:00:00")});
    QCOMPARE(Punch::recordFromTerminal(QStringLiteral("5")).outcome, Outcome::NoFreeSlot);
    QCOMPARE(slotsOf(QStringLiteral("5"), kToday).at(1).toString(), QStringLiteral("00:00:00"));
}

void TestPunch::nullInBeforeFilledOut()
{
    TempDatabase db;
    FixedClock clock(QDateTime(kToday, QTime(9, 0, 0)));
    db.addEmployee(QStringLiteral("5"), QStringLiteral("Bo"), QStringLiteral("Ek"));
    db.addTimesheet(QStringLiteral("5"), kToday, {QVariant(), t("12:00:00")});
    QCOMPARE(Punch::recordFromTerminal(QStringLiteral("5")).outcome, Outcome::SignedIn);
    const QVariantList slots = slotsOf(QStringLiteral("5"), kToday);
    QCOMPARE(slots.at(0).toString(), QStringLiteral("09:00:00"));
    QCOMPARE(slots.at(1).toString(), QStringLiteral("12:00:00"));
    QVERIFY(slots.at(2).isNull());
}

void TestPunch::unknownAndCaseOnlyIds()
{
    TempDatabase db;
    FixedClock clock(QDateTime(kToday, QTime(9, 0, 0)));
    db.addEmployee(QStringLiteral("AB1"), QStringLiteral("Ann"), QStringLiteral("Lee"));

    QCOMPARE(punchBy(QStringLiteral("clock"), QStringLiteral("ZZ")).outcome, Outcome::NotFound);
    QCOMPARE(punchBy(QStringLiteral("terminal"), QStringLiteral("ZZ")).outcome, Outcome::NotFound);
    QCOMPARE(punchBy(QStringLiteral("clock"), QString()).outcome, Outcome::NotFound);
    // A different letter case: the clock window does not know the ID; the terminal's lookup finds the
    // row, but the exact comparison fails and nothing is answered.
    QCOMPARE(punchBy(QStringLiteral("clock"), QStringLiteral("ab1")).outcome, Outcome::NotFound);
    QCOMPARE(punchBy(QStringLiteral("terminal"), QStringLiteral("ab1")).outcome, Outcome::CaseOnly);
    // Blanks are part of the ID.
    QCOMPARE(punchBy(QStringLiteral("terminal"), QStringLiteral("AB1 ")).outcome, Outcome::NotFound);
    QCOMPARE(db.scalar(QStringLiteral("select count(*) from timesheet")).toInt(), 0);
}

void TestPunch::quoteInIdIsData()
{
    TempDatabase db;
    FixedClock clock(QDateTime(kToday, QTime(9, 0, 0)));
    db.addEmployee(QStringLiteral("O'1"), QStringLiteral("Pat"), QStringLiteral("O'Hara"));
    const PunchResult result = Punch::recordFromTerminal(QStringLiteral("O'1"));
    QCOMPARE(result.outcome, Outcome::SignedIn);
    QCOMPARE(result.name, QStringLiteral("Pat O'Hara"));
    QCOMPARE(Punch::recordFromTerminal(QStringLiteral("' or ''='")).outcome, Outcome::NotFound);
    QCOMPARE(db.scalar(QStringLiteral("select emp_id from timesheet")).toString(), QStringLiteral("O'1"));
}

void TestPunch::storeFailureWritesNothing_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("existingRow");
    QTest::newRow("read-only, new row") << "readonly" << false;
    QTest::newRow("read-only, existing row") << "readonly" << true;
    QTest::newRow("connection closed") << "closed" << false;
}

void TestPunch::storeFailureWritesNothing()
{
    QFETCH(QString, how);
    QFETCH(bool, existingRow);
    TempDatabase db;
    FixedClock clock(QDateTime(kToday, QTime(9, 0, 0)));
    db.addEmployee(QStringLiteral("5"), QStringLiteral("Bo"), QStringLiteral("Ek"));
    if (existingRow)
        db.addTimesheet(QStringLiteral("5"), kToday, {t("08:00:00")});
    RecordSet employees;
    QVERIFY(employees.open(QStringLiteral("Select * from employee")));

    if (how == QLatin1String("readonly"))
        db.setReadOnly(true);
    else
        Database::close();

    const PunchResult viaTerminal = Punch::recordFromTerminal(QStringLiteral("5"));
    QCOMPARE(viaTerminal.outcome, Outcome::StoreFailed);
    QVERIFY(!viaTerminal.error.isEmpty());
    const PunchResult viaClock = Punch::recordFromLoadedEmployees(employees, QStringLiteral("5"));
    QCOMPARE(viaClock.outcome, Outcome::StoreFailed);
    QCOMPARE(viaClock.name, QStringLiteral("Bo Ek"));

    if (how == QLatin1String("closed"))
        QVERIFY(Database::open(Database::Kind::Server, db.path()));
    else
        db.setReadOnly(false);
    QCOMPARE(db.scalar(QStringLiteral("select count(*) from timesheet")).toInt(), existingRow ? 1 : 0);
    if (existingRow)
        QVERIFY(slotsOf(QStringLiteral("5"), kToday).at(1).isNull());
    // Once the store is back, the same punch goes through.
    QVERIFY(Punch::recordFromTerminal(QStringLiteral("5")).outcome != Outcome::StoreFailed);
}

void TestPunch::answeredPunchesSurviveKill()
{
    const QString helper = QCoreApplication::applicationDirPath() + QStringLiteral("/helper_punchcrash");
    QVERIFY2(QFile::exists(helper), qPrintable(helper));
    TempDatabase db;
    const QString path = db.path();
    const int employees = 50;
    for (int i = 0; i < employees; ++i)
        db.addEmployee(QStringLiteral("E%1").arg(i), QStringLiteral("F"), QStringLiteral("L"));
    Database::close();

    QProcess child;
    child.start(helper, {path, QString::number(employees)});
    QVERIFY(child.waitForStarted());
    QByteArray output;
    // Let it record a few hundred punches, then cut it off mid-stream without warning.
    while (output.count('\n') < 400) {
        QVERIFY2(child.waitForReadyRead(20000), "the punching process stalled");
        output += child.readAllStandardOutput();
    }
    ::kill(pid_t(child.processId()), SIGKILL);
    QVERIFY(child.waitForFinished(10000));
    output += child.readAllStandardOutput();

    QVERIFY(Database::open(Database::Kind::Server, path));
    if (!TempDatabase::onServer())
        QCOMPARE(db.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));

    int verified = 0;
    for (const QByteArray& line : output.split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() != 4)
            continue; // the last line may have been cut
        const QVariant stored = db.scalar(QStringLiteral("select %1 from timesheet where emp_id = ? and rsdate = ?")
                                              .arg(QString::fromLatin1(parts[2])),
                                          {QString::fromLatin1(parts[0]), QString::fromLatin1(parts[1])});
        QVERIFY2(!stored.isNull(), line.constData());
        QCOMPARE(stored.toString(), QString::fromLatin1(parts[3]));
        ++verified;
    }
    QVERIFY(verified >= 400);
    Database::close();
}

void TestPunch::systemClockFollowsDaylightSaving_data()
{
    QTest::addColumn<QString>("utc");
    QTest::addColumn<QString>("local");
    QTest::addColumn<int>("offset");
    QTest::newRow("last second of winter time") << "2026-03-08T06:59:59Z" << "2026-03-08T01:59:59" << -5 * 3600;
    QTest::newRow("first second of summer time") << "2026-03-08T07:00:00Z" << "2026-03-08T03:00:00" << -4 * 3600;
    QTest::newRow("first 1 am of the autumn") << "2026-11-01T05:59:59Z" << "2026-11-01T01:59:59" << -4 * 3600;
    QTest::newRow("second 1 am of the autumn") << "2026-11-01T06:00:00Z" << "2026-11-01T01:00:00" << -5 * 3600;
}

// The punch's time is read without a look at the zone file each time; the rules already loaded still carry
// the clock across a change of daylight-saving time, both ways.
void TestPunch::systemClockFollowsDaylightSaving()
{
    QFETCH(QString, utc);
    QFETCH(QString, local);
    QFETCH(int, offset);
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "America/New_York");
    tzset();
    const QDateTime instant = QDateTime::fromString(utc, Qt::ISODate);
    const QDateTime at = Clock::systemTimeAt(instant.toMSecsSinceEpoch());
    if (zone.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", zone);
    tzset();
    QCOMPARE(at.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")), local);
    QCOMPARE(at.offsetFromUtc(), offset);
    QCOMPARE(at, instant);
}

QTEST_GUILESS_MAIN(TestPunch)
#include "test_punch.moc"
