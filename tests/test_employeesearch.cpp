#include "server/employees/employeewindow.h"
#include "server/employees/searchidwindow.h"
#include "server/serverstate.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/tempdatabase.h"
#include "tests/test_employeeshared.h"
#include "widgets/childwindows.h"

#include <QGroupBox>
#include <QTreeWidget>
#include <memory>

class TestEmployeeSearch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void opensWithEmptyKeysAndList();
    void refusesAnEmptyKey_data();
    void refusesAnEmptyKey();
    void searchesById_data();
    void searchesById();
    void searchesByLastNameInAnyCase();
    void enterMovesToTheSearchButton();
    void uploadOpensTheRecordWindowReadyForEdit();
    void uploadBringsAnOpenRecordWindowForward();
    void uploadAndDeleteNeedASelectedLine();
    void deleteRemovesEveryRowWithThatIdExactly();
    void searchWithoutDatabaseClosesTheWindow();

private:
    SearchIdWindow* openSearch();
    QStringList listedIds(QWidget* w) const;
    void selectLine(QWidget* w, int line);

    std::unique_ptr<TempDatabase> m_db;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
};

void TestEmployeeSearch::init()
{
    m_db = std::make_unique<TempDatabase>();
    m_dialogs = std::make_unique<ScriptedDialogs>();
    gEmpID.clear();
    m_db->addEmployee(QStringLiteral("E1"), QStringLiteral("Ann"), QStringLiteral("SMITH"), 10.0, 15.0,
                      QStringLiteral("Q"));
    m_db->addEmployee(QStringLiteral("E2"), QStringLiteral("Bob"), QStringLiteral("smith"));
    m_db->addEmployee(QStringLiteral("E3"), QStringLiteral("Cy"), QStringLiteral("Smith"));
    m_db->addEmployee(QStringLiteral("E4"), QStringLiteral("Di"), QStringLiteral("Jones"));
    m_db->addEmployee(QStringLiteral("O'Neil"), QStringLiteral("Pat"), QStringLiteral("O'Neil"));
}

void TestEmployeeSearch::cleanup()
{
    closeAllWindows();
    m_dialogs.reset();
    m_db.reset();
    gEmpID.clear();
}

SearchIdWindow* TestEmployeeSearch::openSearch()
{
    return ChildWindows::open<SearchIdWindow>(QStringLiteral("SearchID"));
}

QStringList TestEmployeeSearch::listedIds(QWidget* w) const
{
    auto* list = control<QTreeWidget>(w, "ListView1");
    QStringList ids;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        ids << list->topLevelItem(i)->text(0);
    return ids;
}

void TestEmployeeSearch::selectLine(QWidget* w, int line)
{
    auto* list = control<QTreeWidget>(w, "ListView1");
    const QRect at = list->visualItemRect(list->topLevelItem(line));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at.center());
    QVERIFY(list->topLevelItem(line)->isSelected());
}

void TestEmployeeSearch::opensWithEmptyKeysAndList()
{
    SearchIdWindow* w = openSearch();
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), QStringLiteral("Search Employee"));
    QVERIFY(boxText(w, "Srch_Emp_ID").isEmpty());
    QVERIFY(boxText(w, "Srch_LName").isEmpty());
    auto* list = control<QTreeWidget>(w, "ListView1");
    QCOMPARE(list->topLevelItemCount(), 0);
    QCOMPARE(list->columnCount(), 4);
    const QStringList headings = {list->headerItem()->text(0), list->headerItem()->text(1), list->headerItem()->text(2),
                                  list->headerItem()->text(3)};
    QCOMPARE(headings, (QStringList{"Employee ID", "Last Name", "First Name", "Middle Name"}));
    QCOMPARE(control<QPushButton>(w, "PushButton3")->toolTip(), QStringLiteral("Upload this Record"));
    QCOMPARE(control<QPushButton>(w, "PushButton4")->toolTip(), QStringLiteral("Delete this Record"));
    QVERIFY(control<QPushButton>(w, "PushButton3")->text().isEmpty());
    QVERIFY(control<QGroupBox>(w, "GroupBox3")->isAncestorOf(control<QWidget>(w, "Srch_Emp_ID")));
    QVERIFY(control<QGroupBox>(w, "GroupBox1")->isAncestorOf(control<QWidget>(w, "Srch_LName")));
    QVERIFY(control<QGroupBox>(w, "GroupBox2")->isAncestorOf(list));
}

void TestEmployeeSearch::refusesAnEmptyKey_data()
{
    QTest::addColumn<QByteArray>("box");
    QTest::addColumn<QByteArray>("button");
    QTest::newRow("by ID") << QByteArray("Srch_Emp_ID") << QByteArray("PushButton1");
    QTest::newRow("by last name") << QByteArray("Srch_LName") << QByteArray("PushButton2");
}

void TestEmployeeSearch::refusesAnEmptyKey()
{
    QFETCH(QByteArray, box);
    QFETCH(QByteArray, button);
    SearchIdWindow* w = openSearch();
    typeInto(w, "Srch_Emp_ID", QStringLiteral("E4"));
    click(w, "PushButton1");
    QCOMPARE(listedIds(w), QStringList{"E4"});

    typeInto(w, box.constData(), QString());
    click(w, button.constData());
    QCOMPARE(m_dialogs->boxes.size(), 1);
    QCOMPARE(m_dialogs->last().text, QStringLiteral("Unable to Search Empty Field"));
    QCOMPARE(m_dialogs->last().title, QStringLiteral("Search Key Empty"));
    QCOMPARE(m_dialogs->last().icon, Dialogs::Icon::Exclamation);
    QCOMPARE(listedIds(w), QStringList{"E4"}); // the list is left as it was
}

void TestEmployeeSearch::searchesById_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QStringList>("listed");

    QTest::newRow("unknown ID empties the list") << "E9" << QStringList{};
    QTest::newRow("blanks around the key") << "  E2 " << QStringList{"E2"};
    QTest::newRow("blanks only search for the empty ID") << "   " << QStringList{};
    QTest::newRow("quote in the key") << "O'Neil" << QStringList{"O'Neil"};
    QTest::newRow("SQL in the key is only text") << "E1' or '1'='1" << QStringList{};
    QTest::newRow("same ID twice") << "E5" << QStringList{"E5", "E5"};
}

void TestEmployeeSearch::searchesById()
{
    QFETCH(QString, key);
    QFETCH(QStringList, listed);
    m_db->addEmployee(QStringLiteral("E5"), QStringLiteral("Eve"), QStringLiteral("Ng"));
    m_db->addEmployee(QStringLiteral("E5"), QStringLiteral("Fay"), QStringLiteral("Ng"));
    SearchIdWindow* w = openSearch();
    typeInto(w, "Srch_LName", QStringLiteral("smith"));
    click(w, "PushButton2"); // fills the list first, so an empty result must empty it
    QCOMPARE(listedIds(w).size(), 3);

    typeInto(w, "Srch_Emp_ID", key);
    click(w, "PushButton1");
    QCOMPARE(listedIds(w), listed);
    QVERIFY(m_dialogs->boxes.isEmpty());
}

void TestEmployeeSearch::searchesByLastNameInAnyCase()
{
    SearchIdWindow* w = openSearch();
    typeInto(w, "Srch_LName", QStringLiteral(" smith  "));
    click(w, "PushButton2");
    QCOMPARE(listedIds(w), (QStringList{"E1", "E2", "E3"}));
    auto* first = control<QTreeWidget>(w, "ListView1")->topLevelItem(0);
    QCOMPARE(first->text(1), QStringLiteral("SMITH"));
    QCOMPARE(first->text(2), QStringLiteral("Ann"));
    QCOMPARE(first->text(3), QStringLiteral("Q"));
    // A Null middle name shows as empty.
    QCOMPARE(control<QTreeWidget>(w, "ListView1")->topLevelItem(1)->text(3), QString());

    typeInto(w, "Srch_LName", QStringLiteral("o'neil"));
    click(w, "PushButton2");
    QCOMPARE(listedIds(w), QStringList{"O'Neil"});
}

void TestEmployeeSearch::enterMovesToTheSearchButton()
{
    SearchIdWindow* w = openSearch();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    for (const auto& [box, button] :
         {std::pair{"Srch_Emp_ID", "PushButton1"}, std::pair{"Srch_LName", "PushButton2"}}) {
        auto* key = control<QLineEdit>(w, box);
        key->setFocus();
        QTest::keyClicks(key, QStringLiteral("E1"));
        QTest::keyClick(key, Qt::Key_Return);
        QVERIFY2(control<QPushButton>(w, button)->hasFocus(), button);
    }
    QCOMPARE(listedIds(w), QStringList{}); // Enter did not search
}

void TestEmployeeSearch::uploadOpensTheRecordWindowReadyForEdit()
{
    SearchIdWindow* w = openSearch();
    typeInto(w, "Srch_LName", QStringLiteral("Smith"));
    click(w, "PushButton2");
    selectLine(w, 1);
    click(w, "PushButton3");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    QVERIFY(!ChildWindows::find(QStringLiteral("SearchID")));
    auto* record = qobject_cast<EmployeeWindow*>(ChildWindows::find(QStringLiteral("Employee")));
    QVERIFY(record);
    QCOMPARE(boxText(record, "emp_id"), QStringLiteral("E2"));
    QCOMPARE(boxText(record, "emp_fname"), QStringLiteral("Bob"));
    QVERIFY(control<QPushButton>(record, "PushButton4")->isEnabled());
    QVERIFY(gEmpID.isEmpty());

    // The way to change an ID: Edit, change it, Update.
    click(record, "PushButton4");
    typeInto(record, "emp_id", QStringLiteral("E22"));
    click(record, "PushButton4");
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT emp_fname FROM Employee WHERE emp_id = 'E22'")).toString(),
             QStringLiteral("Bob"));
}

void TestEmployeeSearch::uploadBringsAnOpenRecordWindowForward()
{
    gEmpID = QStringLiteral("E4");
    auto* record = ChildWindows::open<EmployeeWindow>(QStringLiteral("Employee"));
    QCOMPARE(boxText(record, "emp_fname"), QStringLiteral("Di"));
    QVERIFY(!control<QPushButton>(record, "PushButton4")->isEnabled());

    SearchIdWindow* w = openSearch();
    typeInto(w, "Srch_Emp_ID", QStringLiteral("E1"));
    click(w, "PushButton1");
    selectLine(w, 0);
    click(w, "PushButton3");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    QCOMPARE(ChildWindows::find(QStringLiteral("Employee")), record);
    QCOMPARE(boxText(record, "emp_fname"), QStringLiteral("Ann")); // the chosen one, not the one loaded before
    QVERIFY(control<QPushButton>(record, "PushButton4")->isEnabled());
    QVERIFY(!ChildWindows::find(QStringLiteral("SearchID")));
}

void TestEmployeeSearch::uploadAndDeleteNeedASelectedLine()
{
    SearchIdWindow* w = openSearch();
    typeInto(w, "Srch_LName", QStringLiteral("Smith"));
    click(w, "PushButton2");
    click(w, "PushButton4");
    click(w, "PushButton3");
    QCOMPARE(listedIds(w).size(), 3);
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT COUNT(*) FROM Employee")).toInt(), 5);
    QVERIFY(ChildWindows::find(QStringLiteral("SearchID")));
    QVERIFY(!ChildWindows::find(QStringLiteral("Employee")));
    QVERIFY(gEmpID.isEmpty());
    QVERIFY(m_dialogs->boxes.isEmpty());
}

void TestEmployeeSearch::deleteRemovesEveryRowWithThatIdExactly()
{
    m_db->addEmployee(QStringLiteral("E5"), QStringLiteral("Eve"), QStringLiteral("Ng"));
    m_db->addEmployee(QStringLiteral("e5"), QStringLiteral("Gil"), QStringLiteral("Ng"));
    m_db->addEmployee(QStringLiteral("E5"), QStringLiteral("Fay"), QStringLiteral("Ng"));
    m_db->addTimesheet(QStringLiteral("E5"), QDate(2026, 3, 2), {t("08:00:00")});
    SearchIdWindow* w = openSearch();
    typeInto(w, "Srch_Emp_ID", QStringLiteral("E5"));
    click(w, "PushButton1");
    QCOMPARE(listedIds(w), (QStringList{"E5", "e5", "E5"})); // SQL compares case-blind
    selectLine(w, 2);
    click(w, "PushButton4");

    QCOMPARE(listedIds(w), (QStringList{"E5", "e5"}));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT COUNT(*) FROM Employee WHERE emp_id || '' = 'E5'")).toInt(), 0);
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT emp_fname FROM Employee WHERE emp_id || '' = 'e5'")),
             QVariant(QStringLiteral("Gil")));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT COUNT(*) FROM Employee")).toInt(), 6);
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT COUNT(*) FROM timesheet WHERE emp_id = 'E5'")).toInt(), 1);
    QVERIFY(m_dialogs->boxes.isEmpty());

    // The remaining "E5" line names rows already gone: deleting it again changes nothing else.
    selectLine(w, 0);
    click(w, "PushButton4");
    QCOMPARE(listedIds(w), QStringList{"e5"});
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT COUNT(*) FROM Employee")).toInt(), 6);
}

void TestEmployeeSearch::searchWithoutDatabaseClosesTheWindow()
{
    SearchIdWindow* w = openSearch();
    Database::close();
    typeInto(w, "Srch_Emp_ID", QStringLiteral("E1"));
    click(w, "PushButton1");
    QCOMPARE(m_dialogs->texts(), QStringList{"Could not open database ..."});
    QCOMPARE(m_dialogs->last().title, QStringLiteral("Connection Failed"));
    QVERIFY(!ChildWindows::find(QStringLiteral("SearchID")));
}

QTEST_MAIN(TestEmployeeSearch)
#include "test_employeesearch.moc"
