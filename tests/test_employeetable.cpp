#include "server/employees/employeewindow.h"
#include "server/employees/emptablewindow.h"
#include "server/serverstate.h"
#include "tests/support/fixedclock.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/tempdatabase.h"
#include "tests/test_employeeshared.h"
#include "widgets/childwindows.h"

#include <QHeaderView>
#include <QTableView>
#include <memory>

class TestEmployeeTable : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void showsEveryEmployeeUnderElevenHeadings();
    void stepsToBothEnds();
    void choosingALineMovesTheCurrentRow();
    void emptyTableNeverFails();
    void isASnapshotTakenAtOpening();
    void staysOpenWithoutDatabase();

private:
    EmpTableWindow* openTable() { return ChildWindows::open<EmpTableWindow>(QStringLiteral("EmpTable")); }
    // The grid's current line, or -1 when none is.
    static int currentLine(QWidget* w)
    {
        auto* grid = control<QTableView>(w, "DataGrid1");
        const QModelIndexList rows = grid->selectionModel()->selectedRows();
        return rows.isEmpty() ? -1 : rows.first().row();
    }
    void seedThree();

    std::unique_ptr<TempDatabase> m_db;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<FixedClock> m_clock;
};

void TestEmployeeTable::init()
{
    m_db = std::make_unique<TempDatabase>();
    m_dialogs = std::make_unique<ScriptedDialogs>();
    m_clock = std::make_unique<FixedClock>();
    gEmpID.clear();
}

void TestEmployeeTable::cleanup()
{
    closeAllWindows();
    m_clock.reset();
    m_dialogs.reset();
    m_db.reset();
}

void TestEmployeeTable::seedThree()
{
    m_db->exec(QStringLiteral("INSERT INTO Employee (emp_id, emp_lname, emp_fname, emp_mname, emp_sex, emp_dob, "
                              "emp_address, emp_apt, city, emp_state, zip, emp_home_phone, reg_wage) "
                              "VALUES ('E3', 'Cole', 'Ann', 'M', 'Female', '1990-05-17', '1 Elm St', '2A', "
                              "'Salem', 'OR', '97301', '555-0100', 12.5)"));
    m_db->addEmployee(QStringLiteral("E1"), QStringLiteral("Bob"), QStringLiteral("Adams"));
    m_db->addEmployee(QStringLiteral("E2"), QStringLiteral("Cy"), QStringLiteral("Baker"));
}

void TestEmployeeTable::showsEveryEmployeeUnderElevenHeadings()
{
    seedThree();
    EmpTableWindow* w = openTable();
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), QStringLiteral("Employee Table"));
    QVERIFY(EmpTableWindow::query().endsWith(QLatin1String("from Employee ")));
    auto* grid = control<QTableView>(w, "DataGrid1");
    QAbstractItemModel* model = grid->model();
    QStringList headings;
    for (int c = 0; c < model->columnCount(); ++c)
        headings << model->headerData(c, Qt::Horizontal).toString();
    QCOMPARE(headings, (QStringList{"Employee ID", "Last Name", "First Name", "Middle Name", "Sex", "Birth Date",
                                    "Address", "Apartment", "City", "State", "Zip"}));
    QCOMPARE(model->rowCount(), 3);
    // The table's own order, not sorted by ID.
    QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("E3"));
    QCOMPARE(model->index(1, 0).data().toString(), QStringLiteral("E1"));
    QStringList first;
    for (int c = 0; c < model->columnCount(); ++c)
        first << model->index(0, c).data().toString();
    QCOMPARE(first,
             (QStringList{"E3", "Cole", "Ann", "M", "Female", "05/17/1990", "1 Elm St", "2A", "Salem", "OR", "97301"}));
    QCOMPARE(model->index(1, 5).data().toString(), QString()); // a Null birth date shows empty
    QCOMPARE(currentLine(w), 0);
    QCOMPARE(w->records().absolutePosition(), 0);
    QVERIFY(grid->editTriggers() == QAbstractItemView::NoEditTriggers);
}

void TestEmployeeTable::stepsToBothEnds()
{
    seedThree();
    EmpTableWindow* w = openTable();
    click(w, "PushButton1");
    QCOMPARE(m_dialogs->boxes.size(), 1);
    QCOMPARE(m_dialogs->last().text, QStringLiteral("You're At The First Record"));
    QCOMPARE(m_dialogs->last().title, QStringLiteral("BOF Reached"));
    QCOMPARE(m_dialogs->last().icon, Dialogs::Icon::Exclamation);
    QVERIFY(w->records().bof());
    QCOMPARE(currentLine(w), -1);
    click(w, "PushButton1"); // already before the first line: told again, nothing fails
    QCOMPARE(m_dialogs->boxes.size(), 2);

    m_dialogs->clear();
    for (int line = 0; line < 3; ++line) {
        click(w, "PushButton2");
        QCOMPARE(currentLine(w), line);
    }
    QVERIFY(m_dialogs->boxes.isEmpty());
    click(w, "PushButton2");
    QCOMPARE(m_dialogs->boxes.size(), 1);
    QCOMPARE(m_dialogs->last().text, QStringLiteral("You're At The Last Record"));
    QCOMPARE(m_dialogs->last().title, QStringLiteral("EOF Reached"));
    QCOMPARE(m_dialogs->last().icon, Dialogs::Icon::Exclamation);
    QVERIFY(w->records().eof());
    QCOMPARE(currentLine(w), -1);
    click(w, "PushButton2");
    QCOMPARE(m_dialogs->boxes.size(), 2);

    m_dialogs->clear();
    click(w, "PushButton1");
    QCOMPARE(currentLine(w), 2);
    QVERIFY(m_dialogs->boxes.isEmpty());
}

void TestEmployeeTable::choosingALineMovesTheCurrentRow()
{
    seedThree();
    EmpTableWindow* w = openTable();
    auto* grid = control<QTableView>(w, "DataGrid1");
    const QRect cell = grid->visualRect(grid->model()->index(1, 2));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(w->records().absolutePosition(), 1);
    click(w, "PushButton2");
    QCOMPARE(currentLine(w), 2);
    QCOMPARE(w->records().value(QStringLiteral("Employee ID")).toString(), QStringLiteral("E2"));
    QVERIFY(m_dialogs->boxes.isEmpty());
}

void TestEmployeeTable::emptyTableNeverFails()
{
    EmpTableWindow* w = openTable();
    QCOMPARE(control<QTableView>(w, "DataGrid1")->model()->rowCount(), 0);
    QCOMPARE(control<QTableView>(w, "DataGrid1")->model()->columnCount(), 11);
    QCOMPARE(currentLine(w), -1);
    click(w, "PushButton2");
    click(w, "PushButton1");
    click(w, "PushButton2");
    QCOMPARE(m_dialogs->texts(),
             (QStringList{"You're At The Last Record", "You're At The First Record", "You're At The Last Record"}));
}

void TestEmployeeTable::isASnapshotTakenAtOpening()
{
    seedThree();
    EmpTableWindow* w = openTable();
    auto* record = ChildWindows::open<EmployeeWindow>(QStringLiteral("Employee"));
    click(record, "PushButton1");
    typeInto(record, "emp_id", QStringLiteral("E4"));
    typeInto(record, "emp_lname", QStringLiteral("Dunn"));
    typeInto(record, "emp_fname", QStringLiteral("Dee"));
    click(record, "PushButton3");
    QVERIFY(m_dialogs->boxes.isEmpty());
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT COUNT(*) FROM Employee")).toInt(), 4);
    QCOMPARE(control<QTableView>(w, "DataGrid1")->model()->rowCount(), 3);

    click(w, "PushButton3");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!ChildWindows::find(QStringLiteral("EmpTable")));
    w = openTable();
    QAbstractItemModel* model = control<QTableView>(w, "DataGrid1")->model();
    QCOMPARE(model->rowCount(), 4);
    QCOMPARE(model->index(3, 0).data().toString(), QStringLiteral("E4"));
    QCOMPARE(model->index(3, 5).data().toString(), QStringLiteral("03/02/2026")); // saved with today's date
}

void TestEmployeeTable::staysOpenWithoutDatabase()
{
    m_db.reset();
    EmpTableWindow* w = openTable();
    QVERIFY(w);
    QCOMPARE(m_dialogs->boxes.size(), 1);
    QCOMPARE(m_dialogs->last().text, QStringLiteral("Could not open database ..."));
    QCOMPARE(m_dialogs->last().title, QString());
    QCOMPARE(m_dialogs->last().icon, Dialogs::Icon::None);
    QCOMPARE(control<QTableView>(w, "DataGrid1")->model()->rowCount(), 0);
    click(w, "PushButton2");
    QCOMPARE(m_dialogs->last().text, QStringLiteral("You're At The Last Record"));
    QVERIFY(ChildWindows::find(QStringLiteral("EmpTable")));
}

QTEST_MAIN(TestEmployeeTable)
#include "test_employeetable.moc"
