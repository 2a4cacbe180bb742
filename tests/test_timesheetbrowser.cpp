#include "server/serverstate.h"
#include "server/timesheets/timesheetbrowser.h"
#include "server/timesheets/timesheeteditor.h"
#include "tests/support/fixedclock.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/tempdatabase.h"
#include "widgets/childwindows.h"

#include <QApplication>
#include <QDateEdit>
#include <QDir>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <memory>

namespace {

const QDate kToday(2026, 3, 2);

} // namespace

class TestTimesheetBrowser : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TempDatabase> m_db;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<FixedClock> m_clock;
    TimesheetBrowser* m_browser = nullptr;

    TimesheetBrowser* openBrowser()
    {
        m_browser = ChildWindows::open<TimesheetBrowser>(QStringLiteral("Timesheets"));
        return m_browser;
    }

    QTreeWidget* empList() const { return m_browser->findChild<QTreeWidget*>(QStringLiteral("EmpList")); }
    QTreeWidget* timeList() const { return m_browser->findChild<QTreeWidget*>(QStringLiteral("TimeList")); }
    QDateEdit* picker(int number) const
    {
        return m_browser->findChild<QDateEdit*>(QStringLiteral("DTPicker%1").arg(number));
    }
    QPushButton* button(const QString& text) const
    {
        for (auto* b : m_browser->findChildren<QPushButton*>())
            if (b->text() == text)
                return b;
        return nullptr;
    }
    void press(const QString& text) { QTest::mouseClick(button(text), Qt::LeftButton); }

    static void clickRow(QTreeWidget* list, int row)
    {
        QTreeWidgetItem* item = list->topLevelItem(row);
        QVERIFY(item);
        list->scrollToItem(item);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
    }
    int employeeRow(const QString& id) const
    {
        for (int i = 0; i < empList()->topLevelItemCount(); ++i)
            if (empList()->topLevelItem(i)->text(0) == id)
                return i;
        return -1;
    }
    void chooseEmployee(const QString& id, const QDate& from, const QDate& to)
    {
        picker(1)->setDate(from);
        picker(2)->setDate(to);
        clickRow(empList(), employeeRow(id));
    }

    QStringList rows(QTreeWidget* list) const
    {
        QStringList all;
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            QStringList cells;
            for (int c = 0; c < list->columnCount(); ++c)
                cells << list->topLevelItem(i)->text(c);
            all << cells.join(QLatin1Char('|'));
        }
        return all;
    }
    QStringList listedDates() const
    {
        QStringList dates;
        for (int i = 0; i < timeList()->topLevelItemCount(); ++i)
            dates << timeList()->topLevelItem(i)->text(6);
        return dates;
    }

    QStringList storedRows() const
    {
        QStringList all;
        for (const QVariantList& row :
             TempDatabase::rows(QStringLiteral("select emp_id, rsdate, in1 from timesheet order by id")))
            all << QStringList{row.at(0).toString(), row.at(1).toString(), row.at(2).toString()}.join(QLatin1Char('|'));
        return all;
    }

    // E1 on three days of a week, E2 on two of them, in the table's order.
    void seedWeek()
    {
        m_db->addEmployee(QStringLiteral("E1"), QStringLiteral("Ann"), QStringLiteral("Lee"));
        m_db->addEmployee(QStringLiteral("E2"), QStringLiteral("Bob"), QStringLiteral("Kay"), 12.0, 18.0,
                          QStringLiteral("T"));
        m_db->addTimesheet(QStringLiteral("E1"), QDate(2026, 2, 27), {t("08:00:00"), t("16:00:00")});
        m_db->addTimesheet(QStringLiteral("E2"), QDate(2026, 2, 27), {t("09:00:00")});
        m_db->addTimesheet(QStringLiteral("E1"), QDate(2026, 3, 1), {t("08:05:00"), t("12:00:00"), t("12:30:00")});
        m_db->addTimesheet(QStringLiteral("E1"), kToday, {t("07:55:00")});
        m_db->addTimesheet(QStringLiteral("E2"), kToday, {t("10:00:00")});
    }

    void grab(QWidget* window, const QString& name)
    {
        // Set QORVIL_SCREENSHOTS to a folder to look at the windows as the test leaves them.
        const QString dir = qEnvironmentVariable("QORVIL_SCREENSHOTS");
        if (dir.isEmpty())
            return;
        QDir().mkpath(dir);
        QVERIFY(window->grab().save(QDir(dir).filePath(name + QStringLiteral(".png"))));
    }

private Q_SLOTS:
    void init()
    {
        m_db = std::make_unique<TempDatabase>();
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_clock = std::make_unique<FixedClock>(QDateTime(kToday, QTime(14, 0, 0)));
        gEmpID.clear();
        gRecDate.clear();
    }

    void cleanup()
    {
        delete ChildWindows::find(QStringLiteral("AddTime"));
        delete m_browser;
        m_browser = nullptr;
        m_clock.reset();
        m_dialogs.reset();
        m_db.reset();
    }

    void listsEmployeesWithTheirNames()
    {
        m_db->addEmployee(QStringLiteral("E1"), QStringLiteral("Ann"), QStringLiteral("Lee"), 10.0, 15.0,
                          QStringLiteral("Marie"));
        m_db->addEmployee(QStringLiteral("E2"), QStringLiteral("Bob"), QStringLiteral("Kay"));
        m_db->exec(QStringLiteral("insert into Employee (emp_id) values ('E3')"));
        m_db->addEmployee(QStringLiteral("O'Neil"), QStringLiteral("Pat"), QStringLiteral("O'Neil"));
        QVERIFY(openBrowser());
        QCOMPARE(m_browser->windowTitle(), QStringLiteral("Employee Timesheets"));
        QCOMPARE(rows(empList()), (QStringList{"E1|Lee, Ann Marie", "E2|Kay, Bob ", "E3|,  ", "O'Neil|O'Neil, Pat "}));
        QCOMPARE(empList()->headerItem()->text(0), QStringLiteral("Employee ID"));
        QCOMPARE(empList()->headerItem()->text(1), QStringLiteral("Name"));
        QCOMPARE(picker(1)->date(), kToday);
        QCOMPARE(picker(2)->date(), kToday);
        QCOMPARE(timeList()->columnCount(), 7);
        QCOMPARE(rows(timeList()), QStringList());
        QVERIFY(!button(QStringLiteral("Edit"))->isEnabled());
        QVERIFY(!button(QStringLiteral("Delete"))->isEnabled());
        QVERIFY(m_dialogs->boxes.isEmpty());
    }

    void anEmptyEmployeeTableGivesAnEmptyList()
    {
        QVERIFY(openBrowser());
        QCOMPARE(empList()->topLevelItemCount(), 0);
        QVERIFY(m_dialogs->boxes.isEmpty());
    }

    void refusesToOpenWithoutTheDatabase()
    {
        Database::close();
        QVERIFY(!openBrowser());
        QCOMPARE(m_dialogs->texts(), QStringList{QStringLiteral("Could not open database ...")});
        QCOMPARE(m_dialogs->last().title, QStringLiteral("Connection Failed"));
    }

    void listsTheRowsOfTheRange_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QStringList>("listed");

        const QString day1 = QStringLiteral("08:00:00|16:00:00|||||02/27/2026");
        const QString day2 = QStringLiteral("08:05:00|12:00:00|12:30:00||||03/01/2026");
        const QString day3 = QStringLiteral("07:55:00||||||03/02/2026");
        QTest::newRow("today") << "E1" << kToday << kToday << QStringList{day3};
        QTest::newRow("one earlier day") << "E1" << QDate(2026, 3, 1) << QDate(2026, 3, 1) << QStringList{day2};
        QTest::newRow("both ends included") << "E1" << QDate(2026, 2, 27) << kToday << QStringList{day1, day2, day3};
        QTest::newRow("From later than To") << "E1" << kToday << QDate(2026, 2, 27) << QStringList();
        QTest::newRow("a day without rows") << "E2" << QDate(2026, 3, 1) << QDate(2026, 3, 1) << QStringList();
        QTest::newRow("another employee") << "E2" << QDate(2026, 2, 1) << QDate(2026, 3, 31)
                                          << QStringList{"09:00:00||||||02/27/2026", "10:00:00||||||03/02/2026"};
        QTest::newRow("a quote in the ID") << "O'Neil" << kToday << kToday << QStringList{"06:00:00||||||03/02/2026"};
    }

    void listsTheRowsOfTheRange()
    {
        QFETCH(QString, id);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QStringList, listed);
        seedWeek();
        m_db->addEmployee(QStringLiteral("O'Neil"), QStringLiteral("Pat"), QStringLiteral("O'Neil"));
        m_db->addTimesheet(QStringLiteral("O'Neil"), kToday, {t("06:00:00")});
        QVERIFY(openBrowser());
        chooseEmployee(id, from, to);
        QCOMPARE(rows(timeList()), listed);
        QCOMPARE(timeList()->headerItem()->text(0), QStringLiteral("IN 1"));
        QCOMPARE(timeList()->headerItem()->text(6), QStringLiteral("DATE"));
        QVERIFY(m_dialogs->boxes.isEmpty());
    }

    void anotherEmployeeEmptiesAndRefillsWithTheDatesReadAgain()
    {
        seedWeek();
        QVERIFY(openBrowser());
        chooseEmployee(QStringLiteral("E1"), QDate(2026, 2, 27), kToday);
        QCOMPARE(listedDates().size(), 3);

        // The dates alone do not rebuild the list.
        picker(1)->setDate(kToday);
        QCOMPARE(listedDates().size(), 3);

        clickRow(empList(), employeeRow(QStringLiteral("E2")));
        QCOMPARE(listedDates(), QStringList{"03/02/2026"});
        QCOMPARE(timeList()->topLevelItem(0)->text(0), QStringLiteral("10:00:00"));

        picker(1)->setDate(QDate(2026, 2, 27));
        clickRow(empList(), employeeRow(QStringLiteral("E2")));
        QCOMPARE(listedDates(), (QStringList{"02/27/2026", "03/02/2026"}));
    }

    void listIsReadAgainWhenTheBrowserComesBack()
    {
        // A correction in the editor shows as soon as the browser is in front again, for the days listed.
        seedWeek();
        QVERIFY(openBrowser());
        chooseEmployee(QStringLiteral("E1"), QDate(2026, 2, 27), kToday);
        picker(1)->setDate(kToday);
        clickRow(timeList(), 1);
        press(QStringLiteral("Edit"));
        auto* editor = qobject_cast<TimesheetEditor*>(ChildWindows::find(QStringLiteral("AddTime")));
        QVERIFY(QTest::qWaitForWindowActive(editor));
        auto* editButton = editor->findChild<QPushButton*>(QStringLiteral("PushButton5"));
        QTest::mouseClick(editButton, Qt::LeftButton);
        auto* in1 = editor->findChild<QLineEdit*>(QStringLiteral("In1"));
        in1->clear();
        QTest::keyClicks(in1, QStringLiteral("08:15:00"));
        QTest::mouseClick(editButton, Qt::LeftButton);
        QVERIFY(m_dialogs->boxes.isEmpty());
        QCOMPARE(timeList()->topLevelItem(1)->text(0), QStringLiteral("08:05:00"));

        m_browser->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_browser));
        QCOMPARE(listedDates(), (QStringList{"02/27/2026", "03/01/2026", "03/02/2026"}));
        QCOMPARE(timeList()->topLevelItem(1)->text(0), QStringLiteral("08:15:00"));
        QCOMPARE(timeList()->currentItem(), timeList()->topLevelItem(1));
    }

    void editAndDeleteWaitForATimeRow()
    {
        seedWeek();
        QVERIFY(openBrowser());
        chooseEmployee(QStringLiteral("E1"), QDate(2026, 2, 27), kToday);
        QVERIFY(!button(QStringLiteral("Edit"))->isEnabled());
        clickRow(timeList(), 1);
        QVERIFY(button(QStringLiteral("Edit"))->isEnabled());
        QVERIFY(button(QStringLiteral("Delete"))->isEnabled());

        // Still enabled after the list is rebuilt, but with no row chosen nothing happens.
        clickRow(empList(), employeeRow(QStringLiteral("E2")));
        QVERIFY(button(QStringLiteral("Delete"))->isEnabled());
        const QStringList before = storedRows();
        m_dialogs->queueAnswer(Dialogs::Answer::Yes);
        press(QStringLiteral("Delete"));
        press(QStringLiteral("Edit"));
        QCOMPARE(m_dialogs->boxes.size(), 2);
        for (const auto& box : m_dialogs->boxes)
            QCOMPARE(box.buttons, Dialogs::Buttons::Ok);
        QCOMPARE(storedRows(), before);
        QCOMPARE(listedDates().size(), 2);
        QVERIFY(!ChildWindows::find(QStringLiteral("AddTime")));
        QCOMPARE(gEmpID, QString());
    }

    void deleteAnsweredNoChangesNothing()
    {
        seedWeek();
        QVERIFY(openBrowser());
        chooseEmployee(QStringLiteral("E1"), QDate(2026, 2, 27), kToday);
        clickRow(timeList(), 1);
        const QStringList before = storedRows();
        m_dialogs->queueAnswer(Dialogs::Answer::No);
        press(QStringLiteral("Delete"));
        QCOMPARE(m_dialogs->boxes.size(), 1);
        QCOMPARE(m_dialogs->last().text, QStringLiteral("Are You Sure to Delete This Time Record"));
        QCOMPARE(m_dialogs->last().title, QStringLiteral("Warning! Deletion in Progress"));
        QCOMPARE(m_dialogs->last().buttons, Dialogs::Buttons::YesNo);
        QCOMPARE(m_dialogs->last().icon, Dialogs::Icon::None);
        QCOMPARE(storedRows(), before);
        QCOMPARE(listedDates().size(), 3);
    }

    void deleteRemovesTheFirstMatchingRowAndItsLine()
    {
        seedWeek();
        // A second row of E1 for the same day, later in the table.
        m_db->addTimesheet(QStringLiteral("E1"), QDate(2026, 3, 1), {t("13:00:00")});
        QVERIFY(openBrowser());
        chooseEmployee(QStringLiteral("E1"), QDate(2026, 3, 1), QDate(2026, 3, 1));
        QCOMPARE(listedDates(), (QStringList{"03/01/2026", "03/01/2026"}));

        // The second line is chosen; the first row of that employee and date goes.
        clickRow(timeList(), 1);
        m_dialogs->queueAnswer(Dialogs::Answer::Yes);
        press(QStringLiteral("Delete"));
        QCOMPARE(m_dialogs->boxes.size(), 1);
        QCOMPARE(storedRows(),
                 (QStringList{"E1|2026-02-27|08:00:00", "E2|2026-02-27|09:00:00", "E1|2026-03-02|07:55:00",
                              "E2|2026-03-02|10:00:00", "E1|2026-03-01|13:00:00"}));
        QCOMPARE(rows(timeList()), QStringList{"08:05:00|12:00:00|12:30:00||||03/01/2026"});

        // The next delete of that date takes the remaining one.
        clickRow(timeList(), 0);
        m_dialogs->queueAnswer(Dialogs::Answer::Yes);
        press(QStringLiteral("Delete"));
        QCOMPARE(m_db->scalar(QStringLiteral("select count(*) from timesheet where rsdate = '2026-03-01'")).toInt(), 0);
        QCOMPARE(timeList()->topLevelItemCount(), 0);
        QCOMPARE(m_dialogs->boxes.size(), 2);
    }

    void deleteNeedsTheIdWrittenExactly()
    {
        seedWeek();
        m_db->exec(QStringLiteral("update timesheet set emp_id = 'e1' where rsdate = '2026-03-01'"));
        QVERIFY(openBrowser());
        chooseEmployee(QStringLiteral("E1"), QDate(2026, 3, 1), QDate(2026, 3, 1));
        QCOMPARE(listedDates(), QStringList{"03/01/2026"});
        clickRow(timeList(), 0);
        const QStringList before = storedRows();
        m_dialogs->queueAnswer(Dialogs::Answer::Yes);
        press(QStringLiteral("Delete"));
        QCOMPARE(storedRows(), before);
        QCOMPARE(listedDates(), QStringList{"03/01/2026"});
        QCOMPARE(m_dialogs->boxes.size(), 2);
        QVERIFY(m_dialogs->last().text.contains(QStringLiteral("nothing was deleted")));
    }

    void addRightAfterStartShowsNoRow()
    {
        seedWeek();
        QVERIFY(openBrowser());
        press(QStringLiteral("Add"));
        auto* editor = qobject_cast<TimesheetEditor*>(ChildWindows::find(QStringLiteral("AddTime")));
        QVERIFY(editor);
        QCOMPARE(editor->findChild<QLineEdit*>(QStringLiteral("EmpID"))->text(), QString());
        QCOMPARE(editor->findChild<QLineEdit*>(QStringLiteral("In1"))->text(), QString());
    }

    void editWhileTheEditorIsOpenShowsTheChosenRow()
    {
        seedWeek();
        QVERIFY(openBrowser());
        chooseEmployee(QStringLiteral("E1"), QDate(2026, 2, 27), kToday);
        clickRow(timeList(), 1);
        press(QStringLiteral("Edit"));
        QCOMPARE(gEmpID, QStringLiteral("E1"));
        QCOMPARE(gRecDate, QStringLiteral("03/01/2026"));
        auto* editor = qobject_cast<TimesheetEditor*>(ChildWindows::find(QStringLiteral("AddTime")));
        QVERIFY(editor);
        auto* in1 = editor->findChild<QLineEdit*>(QStringLiteral("In1"));
        QCOMPARE(in1->text(), QStringLiteral("08:05:00"));
        grab(m_browser, QStringLiteral("timesheets"));
        grab(editor, QStringLiteral("addtime"));

        clickRow(timeList(), 2);
        press(QStringLiteral("Edit"));
        QCOMPARE(gRecDate, QStringLiteral("03/02/2026"));
        QCOMPARE(ChildWindows::find(QStringLiteral("AddTime")), editor);
        QCOMPARE(in1->text(), QStringLiteral("07:55:00"));
        press(QStringLiteral("Add")); // only brings it forward
        QCOMPARE(ChildWindows::find(QStringLiteral("AddTime")), editor);
        QCOMPARE(in1->text(), QStringLiteral("07:55:00"));
        QCOMPARE(m_browser->findChildren<TimesheetEditor*>().size(), 0);

        // Once closed, the next Edit opens it afresh on the row handed over.
        delete editor;
        press(QStringLiteral("Edit"));
        editor = qobject_cast<TimesheetEditor*>(ChildWindows::find(QStringLiteral("AddTime")));
        QVERIFY(editor);
        QCOMPARE(editor->findChild<QLineEdit*>(QStringLiteral("In1"))->text(), QStringLiteral("07:55:00"));
    }

    void datesAreTypedWhole_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QDate>("date");
        QTest::newRow("MM/DD/YYYY") << "02/27/2026" << QDate(2026, 2, 27);
        QTest::newRow("M/D/YYYY") << "2/7/2026" << QDate(2026, 2, 7);
        QTest::newRow("YYYY-MM-DD") << "2026-02-27" << QDate(2026, 2, 27);
        QTest::newRow("a part only: unchanged") << "2/7" << kToday;
    }

    void datesAreTypedWhole()
    {
        // Typed over the box after a click anywhere in it, without choosing the part to change first.
        QFETCH(QString, typed);
        QFETCH(QDate, date);
        QVERIFY(openBrowser());
        QDateEdit* from = picker(1);
        QApplication::setActiveWindow(from->window());
        auto* text = from->findChild<QLineEdit*>();
        QTest::mouseClick(text, Qt::LeftButton, {}, QPoint(text->width() - 4, text->height() / 2));
        QTRY_COMPARE(text->selectedText(), text->text());
        QTest::keyClicks(from, typed);
        QTest::keyClick(from, Qt::Key_Tab);
        QCOMPARE(from->date(), date);
        QCOMPARE(text->text(), date.toString(QStringLiteral("MM/dd/yyyy")));
    }

    void closeClosesTheWindow()
    {
        QVERIFY(openBrowser());
        QPointer<TimesheetBrowser> browser = m_browser;
        press(QStringLiteral("Close"));
        QVERIFY(!ChildWindows::find(QStringLiteral("Timesheets")));
        QTRY_VERIFY(!browser);
        m_browser = nullptr;
    }
};

QTEST_MAIN(TestTimesheetBrowser)
#include "test_timesheetbrowser.moc"
