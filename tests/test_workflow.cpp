// A working day end to end through the real pieces: punches from a terminal's path, the day listed in
// the timesheet browser, a forgotten punch corrected in the time record editor, the corrected hours in
// the detail report, and the row deleted again.
#include "core/payroll/payrollreports.h"
#include "core/punch/punchrules.h"
#include "core/valueforms.h"
#include "server/serverstate.h"
#include "server/timesheets/timesheetbrowser.h"
#include "server/timesheets/timesheeteditor.h"
#include "tests/support/fixedclock.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/tempdatabase.h"
#include "widgets/childwindows.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

namespace {

const QDate kDay(2026, 3, 2);

QPushButton* buttonNamed(QWidget* window, const QString& text)
{
    for (auto* button : window->findChildren<QPushButton*>())
        if (button->text() == text)
            return button;
    return nullptr;
}

void clickItem(QTreeWidget* list, QTreeWidgetItem* item)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

Payroll::DetailReport detailFor(const QString& id)
{
    Payroll::Request request;
    request.from = kDay;
    request.to = kDay;
    request.list = {{QStringLiteral("Ann Lee"), id, true}};
    Payroll::DetailReport report;
    QString error;
    if (!Payroll::runDetail(request, &report, &error))
        qWarning("detail report: %s", qPrintable(error));
    return report;
}

} // namespace

class TestWorkflow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void punchCorrectReportDelete();
};

void TestWorkflow::punchCorrectReportDelete()
{
    TempDatabase db;
    ScriptedDialogs dialogs;
    FixedClock clock(QDateTime(kDay, QTime(8, 0, 0)));
    db.addEmployee(QStringLiteral("E7"), QStringLiteral("Ann"), QStringLiteral("Lee"), 10.0, 15.0);

    // In at 08:00, out at 12:00, back in at 12:30 - and the afternoon's punch out was forgotten.
    QCOMPARE(Punch::recordFromTerminal(QStringLiteral("E7")).outcome, PunchResult::Outcome::SignedIn);
    clock.set(QDateTime(kDay, QTime(12, 0, 0)));
    QCOMPARE(Punch::recordFromTerminal(QStringLiteral("E7")).outcome, PunchResult::Outcome::SignedOut);
    clock.set(QDateTime(kDay, QTime(12, 30, 0)));
    QCOMPARE(Punch::recordFromTerminal(QStringLiteral("E7")).outcome, PunchResult::Outcome::SignedIn);

    // Until it is corrected the open pair counts nothing but still shows, so it can be found.
    Payroll::DetailReport before = detailFor(QStringLiteral("E7"));
    QCOMPARE(before.rows.size(), 2);
    QCOMPARE(before.totals.work, 4.0);

    // The browser lists the day.
    auto* browser = ChildWindows::open<TimesheetBrowser>(QStringLiteral("Timesheets"));
    QVERIFY(browser);
    auto* employees = browser->findChild<QTreeWidget*>(QStringLiteral("EmpList"));
    auto* times = browser->findChild<QTreeWidget*>(QStringLiteral("TimeList"));
    clickItem(employees, employees->topLevelItem(0));
    QCOMPARE(times->topLevelItemCount(), 1);
    QCOMPARE(times->topLevelItem(0)->text(2), QStringLiteral("12:30:00"));

    // Edit opens the editor on that row; Out 2 gets the forgotten 17:15:00.
    clickItem(times, times->topLevelItem(0));
    QTest::mouseClick(buttonNamed(browser, QStringLiteral("Edit")), Qt::LeftButton);
    auto* editor = qobject_cast<TimesheetEditor*>(ChildWindows::find(QStringLiteral("AddTime")));
    QVERIFY(editor);
    QCOMPARE(editor->findChild<QLineEdit*>(QStringLiteral("EmpID"))->text(), QStringLiteral("E7"));
    QCOMPARE(editor->findChild<QLineEdit*>(QStringLiteral("rDate"))->text(), ValueForms::showDate(kDay));
    auto* edit = editor->findChild<QPushButton*>(QStringLiteral("PushButton5"));
    QTest::mouseClick(edit, Qt::LeftButton);
    auto* out2 = editor->findChild<QLineEdit*>(QStringLiteral("Out2"));
    out2->clear();
    QTest::keyClicks(out2, QStringLiteral("17:15:00"));
    QTest::mouseClick(edit, Qt::LeftButton);
    QCOMPARE(db.scalar(QStringLiteral("select out2 from timesheet where emp_id = 'E7'")).toString(),
             QStringLiteral("17:15:00"));

    // The corrected hours are in the report: 4 h, then 4 h 45 min of which 45 min overtime. The third pair
    // was left blank, so it stays free and adds no row.
    const Payroll::DetailReport after = detailFor(QStringLiteral("E7"));
    QCOMPARE(after.rows.size(), 2);
    QCOMPARE(after.totals.work, 8.75);
    QCOMPARE(after.totals.regular, 8.0);
    QCOMPARE(after.totals.overtime, 0.75);
    QCOMPARE(after.earnings.total, 8.0 * 10.0 + 0.75 * 15.0);

    // Deleting the row from the browser takes the day out of the report.
    editor->closeWindow();
    clickItem(times, times->topLevelItem(0));
    dialogs.queueAnswer(Dialogs::Answer::Yes);
    QTest::mouseClick(buttonNamed(browser, QStringLiteral("Delete")), Qt::LeftButton);
    QCOMPARE(times->topLevelItemCount(), 0);
    QCOMPARE(detailFor(QStringLiteral("E7")).rows.size(), 0);
    browser->closeWindow();
}

QTEST_MAIN(TestWorkflow)
#include "test_workflow.moc"
