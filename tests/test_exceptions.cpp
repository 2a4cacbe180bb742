#include "core/audit/closedperiods.h"
#include "core/payroll/payexceptions.h"
#include "core/payroll/payrules.h"
#include "report/reportcommand.h"
#include "server/audit/payperiodwindows.h"
#include "server/payroll/exceptionswindow.h"
#include "server/payroll/payrollwindow.h"
#include "server/serverstate.h"
#include "server/timesheets/timesheeteditor.h"
#include "tests/support/fixedclock.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/tempdatabase.h"
#include "widgets/childwindows.h"

#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTextStream>
#include <QTreeWidget>

using PayExceptions::Kind;

namespace {

const QDate kToday(2026, 3, 4);

// The kinds found, as "pair:kind" in the order found.
QStringList kinds(const std::vector<PayExceptions::Exception>& found)
{
    static const QStringList names = {"missing", "backwards", "not a time", "long", "blanks"};
    QStringList out;
    for (const PayExceptions::Exception& e : found)
        out << QString::number(e.pair) + QLatin1Char(':') + names.at(int(e.kind));
    return out;
}

// Three days of two employees: Ann forgot an out on Monday, typed a pair backwards on Tuesday and has a good
// Wednesday (today); Bob's days are all good.
void seed(TempDatabase& db)
{
    db.addEmployee(QStringLiteral("A1"), QStringLiteral("Ann"), QStringLiteral("Lee"));
    db.addEmployee(QStringLiteral("B2"), QStringLiteral("Bob"), QStringLiteral("Kay"));
    db.addTimesheet(QStringLiteral("A1"), kToday.addDays(-2), {t("08:00:00"), t("12:00:00"), t("12:30:00")});
    db.addTimesheet(QStringLiteral("A1"), kToday.addDays(-1), {t("17:00:00"), t("08:00:00")});
    db.addTimesheet(QStringLiteral("A1"), kToday, {t("08:00:00")});
    for (int day = -2; day <= 0; ++day)
        db.addTimesheet(QStringLiteral("B2"), kToday.addDays(day), {t("08:00:00"), t("16:00:00")});
}

struct Run
{
    int status = -1;
    QString out;
};

Run report(const QStringList& arguments)
{
    Run run;
    QString err;
    QTextStream out(&run.out);
    QTextStream errors(&err);
    run.status = ReportCommand::run(QStringList{QStringLiteral("exceptions")} + arguments, out, errors);
    out.flush();
    return run;
}

} // namespace

class TestExceptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void eachKindOnlyWhereItIs_data();
    void eachKindOnlyWhereItIs();
    void commandListsThemAndExitsThree_data();
    void commandListsThemAndExitsThree();
    void windowsCountListAndOpenTheRow();
    void closingCountsAndAsks();
    void closingWaitsForAnOpenNightShift();
};

void TestExceptions::eachKindOnlyWhereItIs_data()
{
    QTest::addColumn<QStringList>("slots"); // in1 .. out3 as stored; "" is Null
    QTest::addColumn<int>("daysAgo");
    QTest::addColumn<QTime>("now");
    QTest::addColumn<double>("nightHours");
    QTest::addColumn<QStringList>("found");
    const QTime noon(12, 0);
    const QStringList none;
    QTest::newRow("a good day") << QStringList{"08:00:00", "12:00:00", "12:30:00", "17:00:00"} << 1 << noon << 0.0
                                << none;
    QTest::newRow("forgotten out") << QStringList{"08:00:00", "12:00:00", "12:30:00"} << 1 << noon << 0.0
                                   << QStringList{"2:missing"};
    QTest::newRow("still at work today") << QStringList{"08:00:00"} << 0 << noon << 0.0 << none;
    QTest::newRow("out without in") << QStringList{"08:00:00", "12:00:00", "", "17:00:00"} << 1 << noon << 0.0
                                    << QStringList{"2:missing"};
    QTest::newRow("out before in") << QStringList{"17:00:00", "08:00:00"} << 1 << noon << 0.0
                                   << QStringList{"1:backwards"};
    QTest::newRow("not a time") << QStringList{"08:00:00", "noon", "13:00:00", "17:00:00"} << 1 << noon << 0.0
                                << QStringList{"1:not a time"};
    QTest::newRow("12 hours is not long") << QStringList{"06:00:00", "18:00:59"} << 1 << noon << 0.0 << none;
    QTest::newRow("12 hours 1 minute is")
        << QStringList{"06:00:00", "18:01:00"} << 1 << noon << 0.0 << QStringList{"1:long"};
    QTest::newRow("the editor's blank pairs, once a day")
        << QStringList{"08:00:00", "12:00:00", "00:00:00", "00:00:00", "00:00:00", "00:00:00"} << 1 << noon << 0.0
        << QStringList{"0:blanks"};
    QTest::newRow("night: a shift across midnight") << QStringList{"22:00:00", "06:00:00"} << 1 << noon << 16.0 << none;
    QTest::newRow("night: a blank out is never a crossing")
        << QStringList{"08:00:00", "00:00:00"} << 1 << noon << 16.0 << QStringList{"0:blanks"};
    QTest::newRow("night: longer than a shift may last")
        << QStringList{"08:00:00", "07:00:00"} << 1 << noon << 16.0 << QStringList{"1:backwards"};
    QTest::newRow("night: open, within the hours") << QStringList{"22:00:00"} << 1 << QTime(14, 0) << 16.0 << none;
    QTest::newRow("night: open, past the hours")
        << QStringList{"22:00:00"} << 1 << QTime(14, 0, 1) << 16.0 << QStringList{"1:missing"};
    QTest::newRow("night: a crossing longer than 12 hours")
        << QStringList{"18:00:00", "06:30:00"} << 1 << noon << 16.0 << QStringList{"1:long"};
}

void TestExceptions::eachKindOnlyWhereItIs()
{
    QFETCH(QStringList, slots);
    QFETCH(int, daysAgo);
    QFETCH(QTime, now);
    QFETCH(double, nightHours);
    QFETCH(QStringList, found);
    PayExceptions::Sheet sheet{QStringLiteral("A1"), kToday.addDays(-daysAgo), {}};
    for (int i = 0; i < slots.size(); ++i)
        sheet.slots[std::size_t(i)] = slots.at(i).isEmpty() ? QVariant() : QVariant(slots.at(i));
    std::vector<PayExceptions::Exception> exceptions;
    PayExceptions::check(sheet, {nightHours, 12}, QDateTime(kToday, now), &exceptions);
    QCOMPARE(kinds(exceptions), found);
}

void TestExceptions::commandListsThemAndExitsThree_data()
{
    QTest::addColumn<QStringList>("choice");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("found"); // "employee day kind"
    QTest::newRow("every employee") << QStringList{} << 3
                                    << QStringList{"A1 03/02/2026 Missing punch", "A1 03/03/2026 Out before in"};
    QTest::newRow("one employee, one day")
        << QStringList{"--employee", "A1", "--from", "03/03/2026"} << 3 << QStringList{"A1 03/03/2026 Out before in"};
    QTest::newRow("employees without any") << QStringList{"--employee", "B2", "--employee", "a1"} << 0 << QStringList{};
}

void TestExceptions::commandListsThemAndExitsThree()
{
    QFETCH(QStringList, choice);
    QFETCH(int, status);
    QFETCH(QStringList, found);
    TempDatabase db;
    FixedClock clock(QDateTime(kToday, QTime(12, 0)));
    seed(db);
    const QStringList arguments =
        QStringList{"--from", "03/01/2026", "--to", "03/04/2026", "--database", db.path()} + choice;
    const Run text = report(arguments);
    QCOMPARE(text.status, status);
    QVERIFY2(text.out.startsWith(QStringLiteral("Exceptions from ")), qPrintable(text.out));
    for (const QString& line : found) {
        const QStringList parts = line.split(QLatin1Char(' '));
        QVERIFY2(text.out.contains(QRegularExpression(parts.join(QStringLiteral(".*")))), qPrintable(text.out));
    }

    const QString csv = db.dir() + QStringLiteral("/exceptions.csv");
    QCOMPARE(report(arguments + QStringList{"--csv", csv}).status, status);
    QFile file(csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(lines.value(0), QStringLiteral("Employee ID,Name,Date,Pair,Exception,Detail"));
    QCOMPARE(lines.size(), found.size() + 1);
    if (!found.isEmpty())
        QCOMPARE(lines.at(1),
                 QStringLiteral("A1,Ann Lee,2026-03-0%1").arg(found.size() == 2 ? 2 : 3) +
                     (found.size() == 2 ? QStringLiteral(",2,Missing punch,\"In 12:30:00, no out\"")
                                        : QStringLiteral(",1,Out before in,\"In 17:00:00, out 08:00:00\"")));
}

void TestExceptions::windowsCountListAndOpenTheRow()
{
    TempDatabase db;
    ScriptedDialogs dialogs;
    FixedClock clock(QDateTime(kToday, QTime(12, 0)));
    seed(db);

    // The payroll window counts them before a report: of every employee, then of the checked ones.
    auto* payroll = ChildWindows::open<PayrollWindow>(QStringLiteral("Payroll"));
    QVERIFY(payroll);
    payroll->findChild<QDateEdit*>(QStringLiteral("DTPicker1"))->setDate(kToday.addDays(-3));
    auto* count = payroll->findChild<QLabel*>(QStringLiteral("Label5"));
    QTRY_COMPARE(count->text(), QStringLiteral("2 exceptions in these days of every employee: correct them before "
                                               "paying."));
    auto* list = payroll->findChild<QTreeWidget*>(QStringLiteral("ListView1"));
    list->findItems(QStringLiteral("B2"), Qt::MatchExactly, 1).constFirst()->setCheckState(0, Qt::Checked);
    QTRY_COMPARE(count->text(), QStringLiteral("No exceptions in these days of the checked employees."));

    // Its button lists them for the same choice; with Ann checked too, both of hers.
    list->findItems(QStringLiteral("A1"), Qt::MatchExactly, 1).constFirst()->setCheckState(0, Qt::Checked);
    QTest::mouseClick(payroll->findChild<QPushButton*>(QStringLiteral("PushButton3")), Qt::LeftButton);
    auto* window = qobject_cast<ExceptionsWindow*>(ChildWindows::find(QStringLiteral("Exceptions")));
    QVERIFY(window);
    auto* shown = window->findChild<QTreeWidget*>(QStringLiteral("ExceptionList"));
    QCOMPARE(shown->topLevelItemCount(), 2);
    QCOMPARE(window->findChild<QLabel*>(QStringLiteral("Label3"))->text(), QStringLiteral("2 checked employees"));

    // A double-click opens the editor on that row; corrected there, the line is gone once the list is back.
    QTreeWidgetItem* backwards = shown->topLevelItem(1);
    QCOMPARE(backwards->text(4), QStringLiteral("Out before in"));
    Q_EMIT shown->itemDoubleClicked(backwards, 0);
    auto* editor = qobject_cast<TimesheetEditor*>(ChildWindows::find(QStringLiteral("AddTime")));
    QVERIFY(editor);
    QCOMPARE(editor->findChild<QLineEdit*>(QStringLiteral("rDate"))->text(), QStringLiteral("03/03/2026"));
    QCOMPARE(editor->findChild<QLineEdit*>(QStringLiteral("In1"))->text(), QStringLiteral("17:00:00"));
    auto* edit = editor->findChild<QPushButton*>(QStringLiteral("PushButton5"));
    QTest::mouseClick(edit, Qt::LeftButton);
    editor->findChild<QLineEdit*>(QStringLiteral("In1"))->setText(QStringLiteral("07:00:00"));
    QTest::mouseClick(edit, Qt::LeftButton);
    window->activated();
    QCOMPARE(shown->topLevelItemCount(), 1);
    // The other line opens the editor afresh on its own row.
    Q_EMIT shown->itemDoubleClicked(shown->topLevelItem(0), 0);
    editor = qobject_cast<TimesheetEditor*>(ChildWindows::find(QStringLiteral("AddTime")));
    QCOMPARE(editor->findChild<QLineEdit*>(QStringLiteral("rDate"))->text(), QStringLiteral("03/02/2026"));
    QVERIFY(dialogs.boxes.isEmpty());
    delete editor;
    delete window;
    delete payroll;
}

void TestExceptions::closingCountsAndAsks()
{
    TempDatabase db;
    ScriptedDialogs dialogs;
    FixedClock clock(QDateTime(kToday, QTime(12, 0)));
    seed(db);
    auto* close = ChildWindows::open<ClosePeriodWindow>(QStringLiteral("ClosePeriod"));
    QVERIFY(close);
    close->findChild<QDateEdit*>(QStringLiteral("DTPicker1"))->setDate(kToday.addDays(-2));

    // No: nothing is closed, and the days' exceptions are listed.
    close->closePeriod();
    QCOMPARE(dialogs.boxes.size(), 1);
    QVERIFY2(dialogs.last().text.contains(QStringLiteral("These days hold 1 exception that would be paid wrong")),
             qPrintable(dialogs.last().text));
    QDate closed;
    QString error;
    QVERIFY(ClosedPeriods::closedThrough(&closed, &error) && !closed.isValid());
    auto* window = qobject_cast<ExceptionsWindow*>(ChildWindows::find(QStringLiteral("Exceptions")));
    QVERIFY(window);
    QCOMPARE(kinds(window->shown()), QStringList{"2:missing"});
    delete window;

    // Yes closes them; the next close counts only the days after it.
    dialogs.queueAnswer(Dialogs::Answer::Yes);
    close->closePeriod();
    QVERIFY(ClosedPeriods::closedThrough(&closed, &error) && closed == kToday.addDays(-2));
    dialogs.clear();
    close = ChildWindows::open<ClosePeriodWindow>(QStringLiteral("ClosePeriod"));
    close->findChild<QDateEdit*>(QStringLiteral("DTPicker1"))->setDate(kToday.addDays(-1));
    close->closePeriod();
    QVERIFY2(dialogs.last().text.contains(QStringLiteral("These days hold 1 exception")),
             qPrintable(dialogs.last().text));
    delete ChildWindows::find(QStringLiteral("Exceptions"));
    delete ChildWindows::find(QStringLiteral("ClosePeriod"));
}

void TestExceptions::closingWaitsForAnOpenNightShift()
{
    TempDatabase db;
    ScriptedDialogs dialogs;
    FixedClock clock(QDateTime(kToday, QTime(5, 0)));
    db.addEmployee(QStringLiteral("A1"), QStringLiteral("Ann"), QStringLiteral("Lee"));
    db.addTimesheet(QStringLiteral("A1"), kToday.addDays(-1), {t("22:00:00")});
    Pay::Rules rules;
    QString error;
    QVERIFY(Pay::set(&rules, QStringLiteral("night_shift_hours"), QStringLiteral("16"), &error));
    QVERIFY2(Pay::save(rules, &error), qPrintable(error));
    auto* close = ChildWindows::open<ClosePeriodWindow>(QStringLiteral("ClosePeriod"));
    QVERIFY(close);
    close->findChild<QDateEdit*>(QStringLiteral("DTPicker1"))->setDate(kToday.addDays(-1));
    dialogs.queueAnswer(Dialogs::Answer::Yes);
    close->closePeriod();
    QVERIFY2(dialogs.last().text.startsWith(QStringLiteral("03/03/2026 cannot be closed yet")),
             qPrintable(dialogs.last().text));
    QDate closed;
    QVERIFY(ClosedPeriods::closedThrough(&closed, &error) && !closed.isValid());
    // The day before it closes.
    close->findChild<QDateEdit*>(QStringLiteral("DTPicker1"))->setDate(kToday.addDays(-2));
    close->closePeriod();
    QVERIFY(ClosedPeriods::closedThrough(&closed, &error) && closed == kToday.addDays(-2));
}

QTEST_MAIN(TestExceptions)
#include "test_exceptions.moc"
