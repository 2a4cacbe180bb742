#include "core/payroll/paycomputation.h"
#include "core/payroll/payrollreports.h"
#include "core/store/query.h"
#include "core/store/recordset.h"
#include "core/valueforms.h"
#include "report/payrolllayouts.h"
#include "tests/support/fixedclock.h"
#include "tests/support/tempdatabase.h"

#include <QTest>

using Payroll::ListEntry;

namespace {

QString shown(double value)
{
    return ValueForms::showValue(value);
}

const QDate kMonday(2026, 3, 2);

Payroll::Request request(const QList<ListEntry>& list, QDate from = kMonday, QDate to = kMonday.addDays(6))
{
    return {from, to, list};
}

// The rows of a work table as text, one "col=value" list per row, in table order.
QStringList tableRows(const QString& table, const QStringList& columns)
{
    QStringList rows;
    for (const QVariantList& values :
         TempDatabase::rows(QStringLiteral("Select ") + columns.join(QStringLiteral(", ")) + QStringLiteral(" from ") +
                            table + QStringLiteral(" order by id"))) {
        QStringList cells;
        for (const QVariant& value : values)
            cells << (value.isNull() ? QStringLiteral("NULL") : value.toString());
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

} // namespace

class TestPayroll : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pairHours_data();
    void pairHours();
    void dayOfTwoPairs();
    void roundingAndWages();

    void detailReportsFirstCheckedEmployeeOnly();
    void detailPairRows();
    void detailCaptionsAndTotals();
    void detailWithoutCheckedRowOrEmployee();
    void detailSecondPressReplacesRows();

    void summaryRowsPerCheckedEmployee();
    void summaryEarningsFromRoundedTotals();
    void summaryMissingEmployeeAndNothingChecked();
    void summaryOfEveryoneGivesEachTheLineOfTheirOwn();
    void exportsHoldRowsAndTotals();
    void failedStoreChangesNothing();
    void siteLimitsTheReports_data();
    void siteLimitsTheReports();
    void storedTimeFormsCountAlike_data();
    void storedTimeFormsCountAlike();
    void unreadableRowsFailTheReport_data();
    void unreadableRowsFailTheReport();
};

void TestPayroll::pairHours_data()
{
    QTest::addColumn<QVariant>("in");
    QTest::addColumn<QVariant>("out");
    QTest::addColumn<QString>("hours");
    QTest::addColumn<QString>("regular");
    QTest::addColumn<QString>("overtime");

    QTest::newRow("exactly 4 h is all regular") << t("08:00:00") << t("12:00:00") << "4"
                                                << "4"
                                                << "0";
    QTest::newRow("seconds dropped") << t("08:00:00") << t("12:29:59") << "4.4833"
                                     << "4"
                                     << "0.4833";
    QTest::newRow("3 min 33 s over") << t("07:58:12") << t("12:01:45") << "4.05"
                                     << "4"
                                     << "0.05";
    QTest::newRow("afternoon") << t("12:45:00") << t("17:10:00") << "4.4167"
                               << "4"
                               << "0.4167";
    QTest::newRow("8 h pair") << t("08:00:00") << t("16:00:00") << "8"
                              << "4"
                              << "4";
    QTest::newRow("under a minute") << t("13:00:00") << t("13:00:40") << "0"
                                    << "0"
                                    << "0";
    QTest::newRow("4 h 01 min") << t("08:00:00") << t("12:01:00") << "4.0167"
                                << "4"
                                << "0.0167";
    QTest::newRow("span loses its seconds, not the punches") << t("08:00:30") << t("12:00:10") << "3.9833"
                                                             << "3.9833"
                                                             << "0";
    QTest::newRow("3 h 59 min 59 s") << t("08:00:00") << t("11:59:59") << "3.9833"
                                     << "3.9833"
                                     << "0";
    QTest::newRow("7 h 59 min 59 s") << t("08:00:00") << t("15:59:59") << "7.9833"
                                     << "4"
                                     << "3.9833";
    QTest::newRow("blank pair of the editor") << t("00:00:00") << t("00:00:00") << "0"
                                              << "0"
                                              << "0";
    QTest::newRow("open pair") << t("08:00:00") << QVariant() << "0"
                               << "0"
                               << "0";
    QTest::newRow("out before in") << t("08:00:00") << t("00:00:00") << "0"
                                   << "0"
                                   << "0";
    QTest::newRow("typed times") << QVariant(QTime(9, 15)) << QVariant(QTime(14, 0)) << "4.75"
                                 << "4"
                                 << "0.75";
}

void TestPayroll::pairHours()
{
    QFETCH(QVariant, in);
    QFETCH(QVariant, out);
    QFETCH(QString, hours);
    QFETCH(QString, regular);
    QFETCH(QString, overtime);
    const Pay::PairHours pair = Pay::pairHours(in, out);
    QCOMPARE(shown(pair.hours), hours);
    QCOMPARE(shown(pair.regular), regular);
    QCOMPARE(shown(pair.overtime), overtime);
    QVERIFY(Pay::pairCounts(in));
}

void TestPayroll::dayOfTwoPairs()
{
    Pay::Totals totals;
    totals.add(Pay::pairHours(t("07:58:12"), t("12:01:45")));
    totals.add(Pay::pairHours(t("12:45:00"), t("17:10:00")));
    QCOMPARE(shown(totals.work), QStringLiteral("8.4667"));
    QCOMPARE(shown(totals.regular), QStringLiteral("8"));
    QCOMPARE(shown(totals.overtime), QStringLiteral("0.4667"));
    for (const Pay::Earnings& earnings :
         {Pay::detailEarnings(totals, 10.5, 15.75), Pay::summaryEarnings(totals, 10.5, 15.75)}) {
        QCOMPARE(shown(earnings.regular), QStringLiteral("84"));
        QCOMPARE(shown(earnings.overtime), QStringLiteral("7.350525"));
        QCOMPARE(shown(earnings.total), QStringLiteral("91.350525"));
    }

    Pay::Totals twoHalves;
    twoHalves.add(Pay::pairHours(t("08:00:00"), t("12:00:00")));
    twoHalves.add(Pay::pairHours(t("13:00:00"), t("17:00:00")));
    QCOMPARE(twoHalves.regular, 8.0);
    QCOMPARE(twoHalves.overtime, 0.0);

    const Pay::Totals none;
    const Pay::Earnings nothing = Pay::detailEarnings(none, 10.5, 15.75);
    QCOMPARE(nothing.total, 0.0);
    QVERIFY(!Pay::pairCounts(QVariant()));
}

void TestPayroll::roundingAndWages()
{
    QCOMPARE(Pay::round4(29.0 / 60.0 + 4), 4.4833);
    QCOMPARE(Pay::round4(25.0 / 60.0 + 4), 4.4167);
    QCOMPARE(Pay::round4(0.1 + 0.2), 0.3);
    // Every span of a day, its overtime part and a running total round exactly as the text form does.
    double total = 0;
    for (int minutes = 0; minutes < 24 * 60; ++minutes) {
        const int wholeHours = minutes / 60;
        const double raw = wholeHours + (minutes % 60) / 60.0;
        total += Pay::round4(raw);
        for (double value : {raw, raw - 4, total})
            QCOMPARE(Pay::round4(value), QString::number(value, 'f', 4).toDouble());
    }
    QCOMPARE(Pay::round4(0.00005), QString::number(0.00005, 'f', 4).toDouble());
    QCOMPARE(Pay::round4(2.71828182), 2.7183);
    QCOMPARE(Pay::wage(QVariant()), 0.0);
    QCOMPARE(Pay::wage(12.25), 12.25);

    // The summary multiplies the rounded totals, the detail report the totals as summed.
    Pay::Totals totals;
    totals.regular = 1.00004;
    totals.overtime = 0.33336;
    QCOMPARE(shown(Pay::summaryEarnings(totals, 10, 10).total), QStringLiteral("13.334"));
    QCOMPARE(shown(Pay::detailEarnings(totals, 10, 10).total), QStringLiteral("13.334"));
    QCOMPARE(shown(Pay::detailEarnings(totals, 10, 10).regular), QStringLiteral("10.0004"));
    QCOMPARE(shown(Pay::summaryEarnings(totals, 10, 10).regular), QStringLiteral("10"));
}

void TestPayroll::detailReportsFirstCheckedEmployeeOnly()
{
    FixedClock clock;
    TempDatabase db;
    db.addEmployee(QStringLiteral("E1"), QStringLiteral("Ann"), QStringLiteral("Avery"));
    db.addEmployee(QStringLiteral("E2"), QStringLiteral("Bob"), QStringLiteral("Brown"));
    db.addEmployee(QStringLiteral("E3"), QStringLiteral("Cy"), QStringLiteral("Cole"));
    for (const char* id : {"E1", "E2", "E3"})
        db.addTimesheet(QString::fromLatin1(id), kMonday, {t("08:00:00"), t("12:00:00")});

    Payroll::DetailReport report;
    QString error;
    QVERIFY2(Payroll::runDetail(request({{QStringLiteral("Ann Avery"), QStringLiteral("E1"), false},
                                         {QStringLiteral("Bob Brown"), QStringLiteral("E2"), true},
                                         {QStringLiteral("Cy Cole"), QStringLiteral("E3"), true}}),
                                &report, &error),
             qPrintable(error));
    QCOMPARE(report.empId, QStringLiteral("E2"));
    QCOMPARE(tableRows(QStringLiteral("details"), {QStringLiteral("emp_id")}), QStringList{QStringLiteral("E2")});
    QCOMPARE(report.rows.size(), 1);
}

void TestPayroll::detailPairRows()
{
    FixedClock clock;
    TempDatabase db;
    db.addEmployee(QStringLiteral("E1"), QStringLiteral("Ann"), QStringLiteral("Avery"));
    // Stored out of date order, and one row outside the period on either side.
    db.addTimesheet(QStringLiteral("E1"), kMonday.addDays(1),
                    {t("08:00:00"), t("12:00:00"), QVariant(), QVariant(), t("13:00:00"), t("17:30:00")});
    db.addTimesheet(QStringLiteral("E1"), kMonday,
                    {t("07:00:00"), t("11:00:00"), t("11:30:00"), t("12:30:00"), t("13:00:00"), t("14:00:00")});
    db.addTimesheet(QStringLiteral("E1"), kMonday.addDays(2),
                    {t("00:00:00"), t("00:00:00"), t("09:00:00"), QVariant(), t("10:00:00"), t("00:00:00")});
    db.addTimesheet(QStringLiteral("E1"), kMonday.addDays(-1), {t("08:00:00"), t("12:00:00")});
    db.addTimesheet(QStringLiteral("E1"), kMonday.addDays(7), {t("08:00:00"), t("12:00:00")});

    Payroll::DetailReport report;
    QString error;
    QVERIFY2(Payroll::runDetail(request({{QStringLiteral("Ann Avery"), QStringLiteral("E1"), true}}), &report, &error),
             qPrintable(error));
    const QStringList expected = {
        // three pairs of one day, in pair order
        QStringLiteral("2026-03-02|07:00:00|11:00:00|4|4|0"),
        QStringLiteral("2026-03-02|11:30:00|12:30:00|1|1|0"),
        QStringLiteral("2026-03-02|13:00:00|14:00:00|1|1|0"),
        // in2 Null: pairs 1 and 3 only
        QStringLiteral("2026-03-03|08:00:00|12:00:00|4|4|0"),
        QStringLiteral("2026-03-03|13:00:00|17:30:00|4.5|4|0.5"),
        // a blank pair, an open pair and a reversed pair: 0 hours, still listed with their times
        QStringLiteral("2026-03-04|00:00:00|00:00:00|0|0|0"),
        QStringLiteral("2026-03-04|09:00:00|NULL|0|0|0"),
        QStringLiteral("2026-03-04|10:00:00|00:00:00|0|0|0"),
    };
    QCOMPARE(tableRows(QStringLiteral("details"),
                       {QStringLiteral("rsdate"), QStringLiteral("in1"), QStringLiteral("out1"),
                        QStringLiteral("work_hours"), QStringLiteral("regular"), QStringLiteral("rsot")}),
             expected);
    QCOMPARE(report.rows.size(), expected.size());
    QCOMPARE(report.rows.first().value(QStringLiteral("rsdate")).toDate(), kMonday);
    QCOMPARE(report.rows.first().value(QStringLiteral("in1")).toTime(), QTime(7, 0));
    QCOMPARE(shown(report.totals.work), QStringLiteral("14.5"));
    QCOMPARE(shown(report.totals.regular), QStringLiteral("14"));
    QCOMPARE(shown(report.totals.overtime), QStringLiteral("0.5"));
}

void TestPayroll::detailCaptionsAndTotals()
{
    FixedClock clock(QDateTime(QDate(2026, 3, 9), QTime(17, 0)));
    TempDatabase db;
    db.addEmployee(QStringLiteral("E1"), QStringLiteral("Ann"), QStringLiteral("Avery"), 10.5, 15.75);
    db.addTimesheet(QStringLiteral("E1"), kMonday, {t("07:58:12"), t("12:01:45"), t("12:45:00"), t("17:10:00")});

    Payroll::DetailReport report;
    QString error;
    QVERIFY(Payroll::runDetail(request({{QStringLiteral("Zed Zane"), QStringLiteral("E9"), false},
                                        {QStringLiteral("Ann Avery"), QStringLiteral("E1"), true}},
                                       kMonday, kMonday.addDays(4)),
                               &report, &error));
    const Report::Layout layout = Payroll::layoutOf(report);
    QCOMPARE(layout.title, QStringLiteral("Full Detail Report"));
    // The heading names the employee whose rows are listed, whichever row is highlighted in the window.
    const QList<QPair<const char*, const char*>> captions = {
        {"Label5", "03/02/2026"}, {"Label6", "03/06/2026"}, {"Label8", "03/09/2026"}, {"Label16", "Ann Avery"},
        {"Label17", "8"},         {"Label18", "0.4667"},    {"Label19", "8.4667"},    {"Label26", "10.5"},
        {"Label27", "15.75"},     {"Label29", "84"},        {"Label30", "7.350525"},  {"Label31", "91.350525"},
    };
    for (const auto& [name, caption] : captions)
        QCOMPARE(layout.caption(QLatin1String(name)), QLatin1String(caption));
    // "Work week totals" and "Pay Period Hours" always agree.
    QCOMPARE(layout.caption(QStringLiteral("Label23")), layout.caption(QStringLiteral("Label17")));
    QCOMPARE(layout.caption(QStringLiteral("Label24")), layout.caption(QStringLiteral("Label18")));
    QCOMPARE(layout.caption(QStringLiteral("Label25")), layout.caption(QStringLiteral("Label19")));
}

void TestPayroll::detailWithoutCheckedRowOrEmployee()
{
    FixedClock clock;
    TempDatabase db;
    db.addEmployee(QStringLiteral("E1"), QStringLiteral("Ann"), QStringLiteral("Avery"));
    db.addTimesheet(QStringLiteral("E1"), kMonday, {t("08:00:00"), t("12:00:00")});
    db.addTimesheet(QStringLiteral("GONE"), kMonday, {t("08:00:00"), t("16:00:00")});
    db.exec(QStringLiteral("Insert into details (emp_id, work_hours) values ('old', 3)"));

    Payroll::DetailReport report;
    QString error;
    QVERIFY(Payroll::runDetail(request({{QStringLiteral("Ann Avery"), QStringLiteral("E1"), false}}, kMonday, kMonday),
                               &report, &error));
    QVERIFY(!report.anyChecked);
    QCOMPARE(db.scalar(QStringLiteral("Select count(*) from details")).toInt(), 0);
    QVERIFY(report.rows.isEmpty());
    Report::Layout layout = Payroll::layoutOf(report);
    for (const char* name : {"Label17", "Label18", "Label19", "Label23", "Label24", "Label25", "Label31"})
        QCOMPARE(layout.caption(QLatin1String(name)), QStringLiteral("0"));
    QCOMPARE(layout.caption(QStringLiteral("Label16")), QString());
    QCOMPARE(layout.caption(QStringLiteral("Label26")), QString());

    // An ID whose employee row is gone: its hours are listed, wages and earnings stay empty, the total 0.
    QVERIFY(Payroll::runDetail(request({{QString(), QStringLiteral("GONE"), true}}), &report, &error));
    QCOMPARE(report.rows.size(), 1);
    QVERIFY(!report.employeeFound);
    layout = Payroll::layoutOf(report);
    QCOMPARE(layout.caption(QStringLiteral("Label19")), QStringLiteral("8"));
    QCOMPARE(layout.caption(QStringLiteral("Label27")), QString());
    QCOMPARE(layout.caption(QStringLiteral("Label29")), QString());
    QCOMPARE(layout.caption(QStringLiteral("Label31")), QStringLiteral("0"));
}

void TestPayroll::detailSecondPressReplacesRows()
{
    FixedClock clock;
    TempDatabase db;
    db.addEmployee(QStringLiteral("O'Neil"), QStringLiteral("Pat"), QStringLiteral("O'Neil"), QVariant(), QVariant());
    db.addEmployee(QStringLiteral("E2"), QStringLiteral("Bob"), QStringLiteral("Brown"));
    db.addTimesheet(QStringLiteral("O'Neil"), kMonday, {t("08:00:00"), t("16:00:00"), t("17:00:00"), t("18:00:00")});
    db.addTimesheet(QStringLiteral("E2"), kMonday, {t("09:00:00"), t("10:00:00")});

    Payroll::DetailReport report;
    QString error;
    QVERIFY(Payroll::runDetail(request({{QString(), QStringLiteral("O'Neil"), true}}), &report, &error));
    QCOMPARE(report.rows.size(), 2);
    // A Null wage reads as 0.
    QCOMPARE(Payroll::layoutOf(report).caption(QStringLiteral("Label26")), QStringLiteral("0"));
    QCOMPARE(Payroll::layoutOf(report).caption(QStringLiteral("Label31")), QStringLiteral("0"));

    QVERIFY(Payroll::runDetail(request({{QString(), QStringLiteral("E2"), true}}), &report, &error));
    QCOMPARE(tableRows(QStringLiteral("details"), {QStringLiteral("emp_id"), QStringLiteral("work_hours")}),
             QStringList{QStringLiteral("E2|1")});
}

void TestPayroll::summaryRowsPerCheckedEmployee()
{
    FixedClock clock;
    TempDatabase db;
    const QStringList ids = {QStringLiteral("E1"), QStringLiteral("E2"), QStringLiteral("E3"), QStringLiteral("E4")};
    for (int i = 0; i < ids.size(); ++i) {
        db.addEmployee(ids[i], QStringLiteral("First%1").arg(i + 1), QStringLiteral("Last%1").arg(i + 1), 10 + i,
                       20 + i);
        // Employee i works i + 4 hours on Monday, and 1 hour on Tuesday.
        db.addTimesheet(ids[i], kMonday,
                        {t("08:00:00"), QVariant(QStringLiteral("%1:00:00").arg(12 + i, 2, 10, QLatin1Char('0')))});
        db.addTimesheet(ids[i], kMonday.addDays(1), {QVariant(), QVariant(), t("09:00:00"), t("10:00:00")});
    }

    QList<ListEntry> list;
    for (int i = 0; i < ids.size(); ++i)
        list.append({QString(), ids[i], i != 1});
    // The list order decides the row order, not the table's.
    std::swap(list[0], list[3]);
    Payroll::SummaryReport report;
    QString error;
    QVERIFY2(Payroll::runSummary(request(list), &report, &error), qPrintable(error));
    QVERIFY(report.anyChecked);
    QCOMPARE(
        tableRows(QStringLiteral("summary"),
                  {QStringLiteral("emp_id"), QStringLiteral("emp_name"), QStringLiteral("work_hours"),
                   QStringLiteral("regular"), QStringLiteral("ot"), QStringLiteral("wage"), QStringLiteral("ot_wage"),
                   QStringLiteral("reg_earnings"), QStringLiteral("ot_earnings"), QStringLiteral("tot_earnings")}),
        (QStringList{
            QStringLiteral("E4|First4 Last4|8|5|3|13|23|65|69|134"),
            QStringLiteral("E3|First3 Last3|7|5|2|12|22|60|44|104"),
            QStringLiteral("E1|First1 Last1|5|5|0|10|20|50|0|50"),
        }));
    QCOMPARE(report.rows.size(), 3);
    const Report::Layout layout = Payroll::layoutOf(report);
    QCOMPARE(layout.title, QStringLiteral("Timesheet Report Summary"));
    QCOMPARE(layout.caption(QStringLiteral("Label5")), QStringLiteral("03/02/2026"));
    QCOMPARE(layout.caption(QStringLiteral("Label6")), QStringLiteral("03/08/2026"));
    QCOMPARE(layout.caption(QStringLiteral("Label8")), ValueForms::showDate(clock.now().date()));
}

void TestPayroll::summaryEarningsFromRoundedTotals()
{
    FixedClock clock;
    TempDatabase db;
    db.addEmployee(QStringLiteral("E1"), QStringLiteral("Ann"), QStringLiteral("Avery"), 10.5, 15.75);
    // Three pairs of 4 h 01 min: each pair's minute over is rounded to 0.0167 h before it is added, so the
    // period pays 0.0501 overtime hours where exact arithmetic would pay 0.05.
    db.addTimesheet(QStringLiteral("E1"), kMonday, {t("08:00:00"), t("12:01:00"), t("13:00:00"), t("17:01:00")});
    db.addTimesheet(QStringLiteral("E1"), kMonday.addDays(1), {t("08:00:00"), t("12:01:00")});
    db.exec(QStringLiteral("Insert into Employee (emp_id, emp_lname) values ('E2', 'Nofirst')"));

    Payroll::SummaryReport report;
    QString error;
    QVERIFY(Payroll::runSummary(
        request({{QString(), QStringLiteral("E1"), true}, {QString(), QStringLiteral("E2"), true}}), &report, &error));
    QCOMPARE(report.rows.size(), 2);
    const Report::Row& row = report.rows.first();
    for (const auto& [column, value] : QList<QPair<const char*, const char*>>{{"work_hours", "12.0501"},
                                                                              {"regular", "12"},
                                                                              {"ot", "0.0501"},
                                                                              {"reg_earnings", "126"},
                                                                              {"ot_earnings", "0.789075"},
                                                                              {"tot_earnings", "126.789075"}})
        QCOMPARE(ValueForms::showValue(row.value(QLatin1String(column))), QLatin1String(value));
    // No period rows: a row with 0 hours, name and (Null, so 0) wages.
    const Report::Row& idle = report.rows.last();
    QCOMPARE(idle.value(QStringLiteral("emp_name")).toString(), QStringLiteral(" Nofirst"));
    QCOMPARE(idle.value(QStringLiteral("work_hours")).toDouble(), 0.0);
    QCOMPARE(idle.value(QStringLiteral("wage")).toDouble(), 0.0);
    QVERIFY(!idle.value(QStringLiteral("wage")).isNull());
}

void TestPayroll::summaryMissingEmployeeAndNothingChecked()
{
    FixedClock clock;
    TempDatabase db;
    db.addTimesheet(QStringLiteral("GONE"), kMonday, {t("08:00:00"), t("13:00:00")});

    Payroll::SummaryReport report;
    QString error;
    QVERIFY(
        Payroll::runSummary(request({{QStringLiteral("Old Hand"), QStringLiteral("GONE"), true}}), &report, &error));
    QCOMPARE(tableRows(QStringLiteral("summary"),
                       {QStringLiteral("emp_id"), QStringLiteral("emp_name"), QStringLiteral("work_hours"),
                        QStringLiteral("regular"), QStringLiteral("ot"), QStringLiteral("wage"),
                        QStringLiteral("ot_wage"), QStringLiteral("tot_earnings")}),
             QStringList{QStringLiteral("GONE|NULL|5|4|1|NULL|NULL|0")});

    QVERIFY(
        Payroll::runSummary(request({{QStringLiteral("Old Hand"), QStringLiteral("GONE"), false}}), &report, &error));
    QVERIFY(!report.anyChecked);
    QCOMPARE(db.scalar(QStringLiteral("Select count(*) from summary")).toInt(), 0);
}

// However the rows of many employees are read (on a database server, all of them at once in batches), each gets
// the line a summary of that employee alone gives: IDs that differ only in case share their rows, as they do
// everywhere, and an employee without rows or without a record still has a line.
void TestPayroll::summaryOfEveryoneGivesEachTheLineOfTheirOwn()
{
    FixedClock clock;
    TempDatabase db;
    db.addEmployee(QStringLiteral("E1"), QStringLiteral("Ann"), QStringLiteral("Avery"), 10, 15);
    db.addEmployee(QStringLiteral("e1"), QStringLiteral("Bea"), QStringLiteral("Avery"), 11, 16);
    db.addEmployee(QStringLiteral("E2"), QStringLiteral("Cal"), QStringLiteral("Brook"), 12, 18);
    db.addEmployee(QStringLiteral("E3"), QStringLiteral("Dee"), QStringLiteral("Crane"), 13, 19);
    const QDate first(2015, 1, 1);
    {
        // More rows than one batch of a server's reply holds.
        Transaction rows;
        QVERIFY(rows.isActive());
        for (int day = 0; day < 4300; ++day) {
            const QString id = day % 3 == 0 ? QStringLiteral("E2") : day % 3 == 1 ? QStringLiteral("E1")
                                                                                   : QStringLiteral("e1");
            const QString out = QStringLiteral("%1:%2:00").arg(12 + day % 5).arg(day % 60, 2, 10, QLatin1Char('0'));
            db.addTimesheet(id, first.addDays(day / 2), {t("08:00:00"), QVariant(out), t("18:00:00"), t("19:30:00")});
        }
        db.addTimesheet(QStringLiteral("GONE"), first, {t("08:00:00"), t("13:00:00")});
        QVERIFY(rows.commit());
    }
    const QStringList ids = {"E2", "GONE", "E1", "E3", "e1"};
    QList<ListEntry> everyone;
    for (const QString& id : ids)
        everyone.append({QString(), id, true});
    const Payroll::Request all = request(everyone, first, first.addDays(2200));
    Payroll::SummaryReport report;
    QString error;
    QVERIFY2(Payroll::runSummary(all, &report, &error), qPrintable(error));
    QCOMPARE(report.rows.size(), ids.size());
    for (int i = 0; i < ids.size(); ++i) {
        Payroll::SummaryReport alone;
        QVERIFY2(Payroll::runSummary(request({{QString(), ids[i], true}}, all.from, all.to), &alone, &error),
                 qPrintable(error));
        QCOMPARE(report.rows[i], alone.rows.value(0));
    }
    const auto hours = [&](int row) { return report.rows[row].value(QStringLiteral("work_hours")).toDouble(); };
    QCOMPARE(hours(2), hours(4));
    QVERIFY(hours(2) > 1000);
    QCOMPARE(hours(1), 5.0);
    QCOMPARE(hours(3), 0.0);
}

void TestPayroll::exportsHoldRowsAndTotals()
{
    FixedClock clock;
    TempDatabase db;
    db.addEmployee(QStringLiteral("E1"), QStringLiteral("Ann, Jr."), QStringLiteral("Avery"), 10.5, 15.75);
    db.addTimesheet(QStringLiteral("E1"), kMonday, {t("07:58:12"), t("12:01:45"), t("12:45:00"), t("17:10:00")});
    const QList<ListEntry> list = {{QStringLiteral("Ann, Jr. Avery"), QStringLiteral("E1"), true}};

    Payroll::DetailReport detail;
    QString error;
    QVERIFY(Payroll::runDetail(request(list, kMonday, kMonday), &detail, &error));
    QCOMPARE(detail.csv.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts),
             (QStringList{
                 QStringLiteral("Employee ID,Date,Time In,Time Out,Regular,Overtime,Work Hours"),
                 QStringLiteral("E1,2026-03-02,07:58:12,12:01:45,4,0.05,4.05"),
                 QStringLiteral("E1,2026-03-02,12:45:00,17:10:00,4,0.4167,4.4167"),
                 QStringLiteral("Pay Period Hours,,,,8,0.4667,8.4667"),
                 QStringLiteral("Wages Per Hour,,,,10.5,15.75,"),
                 QStringLiteral("Total Earnings,,,,84,7.350525,91.350525"),
             }));
    QVERIFY(detail.text.contains(QStringLiteral("Name Ann, Jr. Avery")));
    QVERIFY(detail.text.contains(QStringLiteral("03/02/2026  12:45:00  17:10:00")));

    Payroll::SummaryReport summary;
    QVERIFY(Payroll::runSummary(request(list), &summary, &error));
    QCOMPARE(summary.csv.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts),
             (QStringList{
                 QStringLiteral("Employee ID,Name,Regular,Overtime,Work Hours,Wage,Overtime Wage,Regular Earnings,"
                                "Overtime Earnings,Total Earnings"),
                 QStringLiteral("E1,\"Ann, Jr. Avery\",8,0.4667,8.4667,10.5,15.75,84,7.350525,91.350525"),
             }));
}

void TestPayroll::failedStoreChangesNothing()
{
    FixedClock clock;
    TempDatabase db;
    db.addEmployee(QStringLiteral("E1"), QStringLiteral("Ann"), QStringLiteral("Avery"));
    db.addEmployee(QStringLiteral("E2"), QStringLiteral("Bob"), QStringLiteral("Brown"));
    db.addTimesheet(QStringLiteral("E2"), kMonday, {t("08:00:00"), t("12:00:00"), t("13:00:00"), t("14:00:00")});
    const QList<ListEntry> both = {{QString(), QStringLiteral("E1"), true}, {QString(), QStringLiteral("E2"), true}};
    Payroll::SummaryReport summary;
    Payroll::DetailReport detail;
    QString error;
    QVERIFY(Payroll::runSummary(request(both), &summary, &error));
    QVERIFY(Payroll::runDetail(request({both[1]}), &detail, &error));

    // The store refuses the second employee's summary row and the detail report's second pair.
    db.refuseInserts(QStringLiteral("summary"), QStringLiteral("new.emp_id = 'E2'"), QStringLiteral("disk full"));
    db.refuseInserts(QStringLiteral("details"), QStringLiteral("new.in1 = '13:00:00'"), QStringLiteral("disk full"));
    QVERIFY(!Payroll::runSummary(request(both), &summary, &error));
    QVERIFY2(error.contains(QStringLiteral("disk full")), qPrintable(error));
    QCOMPARE(tableRows(QStringLiteral("summary"), {QStringLiteral("emp_id")}),
             (QStringList{QStringLiteral("E1"), QStringLiteral("E2")}));
    error.clear();
    QVERIFY(!Payroll::runDetail(request({both[1]}), &detail, &error));
    QVERIFY(error.contains(QStringLiteral("disk full")));
    QCOMPARE(db.scalar(QStringLiteral("Select count(*) from details")).toInt(), 2);
    // No transaction is left open behind the failure.
    QVERIFY(gConn.transaction());
    QVERIFY(gConn.rollback());
}

void TestPayroll::siteLimitsTheReports_data()
{
    QTest::addColumn<QString>("site");
    QTest::addColumn<double>("hours");
    QTest::newRow("every site") << "" << 7.0;
    QTest::newRow("one site") << "North" << 4.0;
    QTest::newRow("named in other letter case") << "north" << 4.0;
    QTest::newRow("another site") << "South" << 2.0;
    QTest::newRow("a site without punches") << "East" << 0.0;
}

// A day counts for the site of its first punch; days punched before sites were named count for every site
// together only.
void TestPayroll::siteLimitsTheReports()
{
    QFETCH(QString, site);
    QFETCH(double, hours);
    FixedClock clock;
    TempDatabase db;
    db.addEmployee(QStringLiteral("E1"), QStringLiteral("Ann"), QStringLiteral("Avery"));
    db.addTimesheet(QStringLiteral("E1"), kMonday, {t("08:00:00"), t("12:00:00")});
    db.addTimesheet(QStringLiteral("E1"), kMonday.addDays(1), {t("08:00:00"), t("10:00:00")});
    db.addTimesheet(QStringLiteral("E1"), kMonday.addDays(2), {t("08:00:00"), t("09:00:00")});
    db.exec(QStringLiteral("UPDATE timesheet SET site = 'North' WHERE rsdate = ?"), {kMonday.toString(Qt::ISODate)});
    db.exec(QStringLiteral("UPDATE timesheet SET site = 'South' WHERE rsdate = ?"),
            {kMonday.addDays(1).toString(Qt::ISODate)});
    Payroll::Request limited = request({{QStringLiteral("Ann Avery"), QStringLiteral("E1"), true}});
    limited.site = site;

    Payroll::DetailReport detail;
    Payroll::SummaryReport summary;
    QString error;
    QVERIFY2(Payroll::runDetail(limited, &detail, &error), qPrintable(error));
    QVERIFY2(Payroll::runSummary(limited, &summary, &error), qPrintable(error));
    QCOMPARE(detail.totals.work, hours);
    QCOMPARE(summary.rows.value(0).value(QStringLiteral("work_hours")).toDouble(), hours);
}

void TestPayroll::storedTimeFormsCountAlike_data()
{
    QTest::addColumn<QString>("in");
    QTest::addColumn<double>("hours");
    QTest::newRow("stored form") << "08:00:00" << 4.5;
    QTest::newRow("no leading zero") << "8:00:00" << 4.5;
    QTest::newRow("spaces around") << " 8:00:00 " << 4.5;
    // Not a time the file's reader takes: 0 hours, and the pair is listed so it can be corrected. A database
    // server keeps times in a type of its own, so it stores 08:00:00.
    QTest::newRow("no seconds") << "08:00" << (TempDatabase::onServer() ? 4.5 : 0.0);
}

void TestPayroll::storedTimeFormsCountAlike()
{
    QFETCH(QString, in);
    QFETCH(double, hours);
    FixedClock clock;
    TempDatabase db;
    db.addEmployee(QStringLiteral("E1"), QStringLiteral("Ann"), QStringLiteral("Avery"));
    db.addTimesheet(QStringLiteral("E1"), kMonday, {in, t("12:30:00")});
    const QList<ListEntry> list = {{QStringLiteral("Ann Avery"), QStringLiteral("E1"), true}};

    Payroll::DetailReport detail;
    Payroll::SummaryReport summary;
    QString error;
    QVERIFY2(Payroll::runDetail(request(list), &detail, &error), qPrintable(error));
    QVERIFY2(Payroll::runSummary(request(list), &summary, &error), qPrintable(error));
    QCOMPARE(detail.rows.size(), 1);
    QCOMPARE(detail.totals.work, hours);
    QCOMPARE(summary.rows.value(0).value(QStringLiteral("work_hours")).toDouble(), hours);
    // The windows read the slot as the reports do.
    RecordSet sheet;
    QVERIFY(sheet.open(QStringLiteral("Select in1 from timesheet")));
    QCOMPARE(sheet.value(QStringLiteral("in1")).typeId() == QMetaType::QTime, hours > 0);
}

void TestPayroll::unreadableRowsFailTheReport_data()
{
    QTest::addColumn<QString>("table");
    QTest::newRow("detail") << "details";
    QTest::newRow("summary") << "summary";
}

void TestPayroll::unreadableRowsFailTheReport()
{
    QFETCH(QString, table);
    FixedClock clock;
    TempDatabase db;
    db.addEmployee(QStringLiteral("E1"), QStringLiteral("Ann"), QStringLiteral("Avery"));
    db.addTimesheet(QStringLiteral("E1"), kMonday, {t("08:00:00"), t("12:00:00")});
    const QList<ListEntry> list = {{QStringLiteral("Ann Avery"), QStringLiteral("E1"), true}};
    const auto run = [&](Payroll::PreparedReport* shown, QString* error) {
        if (table == QLatin1String("details")) {
            Payroll::DetailReport report;
            const bool done = Payroll::runDetail(request(list), &report, error);
            *shown = report;
            return done;
        }
        Payroll::SummaryReport report;
        const bool done = Payroll::runSummary(request(list), &report, error);
        *shown = report;
        return done;
    };
    Payroll::PreparedReport report;
    QString error;
    QVERIFY2(run(&report, &error), qPrintable(error));

    // A work table that takes rows but cannot give them back in their order.
    db.exec(QStringLiteral("Alter table %1 rename column id to row_key").arg(table));
    QVERIFY(!run(&report, &error));
    QVERIFY2(error.contains(QStringLiteral("column %1.id").arg(table)) ||
                 error.contains(QStringLiteral("column \"id\"")),
             qPrintable(error));
    QVERIFY(report.rows.isEmpty());
    QCOMPARE(db.scalar(QStringLiteral("Select count(*) from %1").arg(table)).toInt(), 1);
}

QTEST_MAIN(TestPayroll)
#include "test_payroll.moc"
