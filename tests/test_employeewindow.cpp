#include "core/employees/employeerecord.h"
#include "server/employees/employeewindow.h"
#include "server/employees/searchidwindow.h"
#include "server/serverstate.h"
#include "tests/support/fixedclock.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/tempdatabase.h"
#include "tests/test_employeeshared.h"
#include "widgets/childwindows.h"

#include <QCheckBox>
#include <QLabel>
#include <QMdiArea>
#include <QSqlRecord>
#include <QTabWidget>
#include <memory>

namespace {

const char* const kTextBoxes[] = {"emp_id",         "emp_lname",      "emp_fname",  "emp_mname", "emp_dob",
                                  "emp_apt",        "emp_address",    "city",       "emp_state", "zip1",
                                  "emp_home_phone", "emp_work_phone", "emp_cp",     "SSS",       "Job_Description",
                                  "reg_wage",       "ot_wage",        "date_hired", "Notes"};

bool isReadOnly(QWidget* window, const char* name)
{
    if (auto* line = window->findChild<QLineEdit*>(QLatin1String(name)))
        return line->isReadOnly();
    return control<QPlainTextEdit>(window, name)->isReadOnly();
}

// A row read back through plain SQL, independent of the window.
QVariantMap storedRow(const QString& where, const QVariantList& binds = {})
{
    return TempDatabase::row(QStringLiteral("SELECT * FROM Employee WHERE ") + where, binds);
}

} // namespace

class TestEmployeeWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void opensEmptyAndLocked();
    void loadsTheHandedEmployee_data();
    void loadsTheHandedEmployee();
    void showsNullColumnsAsPlaceholders();
    void saveStopsAtTheFirstMissingField_data();
    void saveStopsAtTheFirstMissingField();
    void saveWritesTheValueRules();
    void saveAcceptsADuplicateId();
    void saveRefusesUnreadableText_data();
    void saveRefusesUnreadableText();
    void updateWritesTheCurrentRow();
    void updateAfterSaveChangesTheNewRow();
    void updateWithoutEmployeeSaysWhy();
    void updateRefusesUnreadableWage();
    void enterMovesToTheNextBox();
    void searchOpensTheSearchWindowAndCloses();
    void closingInsideTheMainWindowEmptiesTheHandedId();
    void refusesToOpenWithoutDatabase();

private:
    EmployeeWindow* openWindow(const QString& handedId = QString(), bool editAllowed = false);

    std::unique_ptr<TempDatabase> m_db;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<FixedClock> m_clock;
};

void TestEmployeeWindow::init()
{
    m_db = std::make_unique<TempDatabase>();
    m_dialogs = std::make_unique<ScriptedDialogs>();
    m_clock = std::make_unique<FixedClock>();
    gEmpID.clear();
}

void TestEmployeeWindow::cleanup()
{
    closeAllWindows();
    m_clock.reset();
    m_dialogs.reset();
    m_db.reset();
    gEmpID.clear();
}

EmployeeWindow* TestEmployeeWindow::openWindow(const QString& handedId, bool editAllowed)
{
    gEmpID = handedId;
    auto* window = ChildWindows::open<EmployeeWindow>(QStringLiteral("Employee"));
    if (window && editAllowed)
        window->allowEdit();
    return window;
}

void TestEmployeeWindow::opensEmptyAndLocked()
{
    m_db->addEmployee(QStringLiteral("E1"), QStringLiteral("Ann"), QStringLiteral("Lee"));
    EmployeeWindow* w = openWindow();
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), QStringLiteral("Employee Form/Records"));

    auto* tabs = control<QTabWidget>(w, "TabControl1");
    QCOMPARE(tabs->count(), 3);
    QCOMPARE(tabs->tabText(0), QStringLiteral("Personal Information"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("Job Description"));
    QCOMPARE(tabs->tabText(2), QStringLiteral("Other Information"));
    QCOMPARE(tabs->currentIndex(), 0);
    // Each box sits on its own tab with its caption beside it.
    QVERIFY(tabs->widget(0)->isAncestorOf(control<QWidget>(w, "SSS")));
    QVERIFY(tabs->widget(1)->isAncestorOf(control<QWidget>(w, "Job_Description")));
    QVERIFY(tabs->widget(2)->isAncestorOf(control<QWidget>(w, "cur_stat")));
    QStringList captions;
    for (QLabel* label : w->findChildren<QLabel*>())
        if (label->buddy())
            captions << label->text();
    QCOMPARE(captions.size(), 21);
    for (const char* caption :
         {"Appartment", "Social Security", "Mobile Phone", "Current Status", "Job Definition && Responsibilities"})
        QVERIFY2(captions.contains(QLatin1String(caption)), caption);

    for (const char* name : kTextBoxes) {
        QVERIFY2(isReadOnly(w, name), name);
        const char* expected = QByteArray(name) == "emp_dob" || QByteArray(name) == "date_hired" ? "MM/DD/YYYY"
                               : QByteArray(name) == "reg_wage" || QByteArray(name) == "ot_wage" ? "0.00"
                                                                                                 : "";
        QCOMPARE(boxText(w, name), QLatin1String(expected));
    }
    auto* sex = control<QComboBox>(w, "emp_sex1");
    QCOMPARE(sex->currentText(), QStringLiteral("Male"));
    QCOMPARE(sex->count(), 2);
    QVERIFY(sex->lineEdit()->isReadOnly());
    auto* active = control<QCheckBox>(w, "cur_stat");
    QCOMPARE(active->text(), QStringLiteral("Active"));
    QVERIFY(!active->isChecked());
    QVERIFY(!active->isEnabled());

    QCOMPARE(control<QPushButton>(w, "PushButton1")->text(), QStringLiteral("Add New"));
    QVERIFY(control<QPushButton>(w, "PushButton1")->isEnabled());
    QVERIFY(!control<QPushButton>(w, "PushButton3")->isEnabled());
    QCOMPARE(control<QPushButton>(w, "PushButton4")->text(), QStringLiteral("Edit"));
    QVERIFY(!control<QPushButton>(w, "PushButton4")->isEnabled());
    QVERIFY(control<QPushButton>(w, "PushButton5")->isEnabled());
    QVERIFY(control<QPushButton>(w, "PushButton2")->isEnabled());
    QVERIFY(m_dialogs->boxes.isEmpty());
}

void TestEmployeeWindow::loadsTheHandedEmployee_data()
{
    QTest::addColumn<QStringList>("ids"); // one employee per ID, first names F0, F1, ... in table order
    QTest::addColumn<QString>("handed");
    QTest::addColumn<QString>("shownFirstName"); // empty when no row is loaded

    QTest::newRow("no match") << QStringList{"E1", "E2"} << "E9"
                              << "";
    QTest::newRow("ID left by another window") << QStringList{"E1", "E2"} << "E2"
                                               << "F1";
    QTest::newRow("same ID twice: first row wins") << QStringList{"E1", "E7", "E7"} << "E7"
                                                   << "F1";
    QTest::newRow("small letters do not load capitals") << QStringList{"ABC"} << "abc"
                                                        << "";
    QTest::newRow("empty ID loads a row with an empty emp_id") << QStringList{"E1", ""} << ""
                                                               << "F1";
    QTest::newRow("a Null emp_id is not an empty one") << QStringList{"E1", "<null>"} << ""
                                                       << "";
    QTest::newRow("quote in the ID") << QStringList{"O'Neil"} << "O'Neil"
                                     << "F0";
}

void TestEmployeeWindow::loadsTheHandedEmployee()
{
    QFETCH(QStringList, ids);
    QFETCH(QString, handed);
    QFETCH(QString, shownFirstName);
    for (int i = 0; i < ids.size(); ++i)
        m_db->exec(QStringLiteral("INSERT INTO Employee (emp_id, emp_fname, emp_lname) VALUES (?, ?, 'L')"),
                   {ids[i] == "<null>" ? QVariant() : QVariant(ids[i]), QStringLiteral("F%1").arg(i)});

    EmployeeWindow* w = openWindow(handed);
    QVERIFY(w);
    QVERIFY(gEmpID.isEmpty());
    QCOMPARE(boxText(w, "emp_fname"), shownFirstName);
    if (shownFirstName.isEmpty()) {
        QCOMPARE(boxText(w, "reg_wage"), QStringLiteral("0.00"));
        QCOMPARE(boxText(w, "emp_sex1"), QStringLiteral("Male"));
    } else {
        QCOMPARE(boxText(w, "emp_id"), handed);
    }
    // Loading never unlocks anything: "Edit" is the opener's business.
    QVERIFY(isReadOnly(w, "emp_fname"));
    QVERIFY(!control<QPushButton>(w, "PushButton4")->isEnabled());
}

void TestEmployeeWindow::showsNullColumnsAsPlaceholders()
{
    m_db->exec(QStringLiteral("INSERT INTO Employee (emp_id, emp_lname) VALUES ('N1', 'Null')"));
    m_db->exec(QStringLiteral("INSERT INTO Employee (emp_id, emp_lname, emp_sex, emp_dob, reg_wage, ot_wage, "
                              "date_hired, status, emp_apt, Job_Description) "
                              "VALUES ('V1', 'Full', 'Female', '1990-05-17', 12.5, 18, '2024-11-03', 1, '4B', ?)"),
               {QStringLiteral("Cashier\nStock")});

    EmployeeWindow* w = openWindow(QStringLiteral("N1"));
    QCOMPARE(boxText(w, "emp_dob"), QStringLiteral("MM/DD/YYYY"));
    QCOMPARE(boxText(w, "date_hired"), QStringLiteral("MM/DD/YYYY"));
    QCOMPARE(boxText(w, "reg_wage"), QStringLiteral("0"));
    QCOMPARE(boxText(w, "ot_wage"), QStringLiteral("0"));
    QCOMPARE(boxText(w, "emp_sex1"), QString());
    QCOMPARE(boxText(w, "emp_apt"), QString());
    QVERIFY(!control<QCheckBox>(w, "cur_stat")->isChecked());
    closeAllWindows();

    w = openWindow(QStringLiteral("V1"));
    QCOMPARE(boxText(w, "emp_dob"), QStringLiteral("05/17/1990"));
    QCOMPARE(boxText(w, "date_hired"), QStringLiteral("11/03/2024"));
    QCOMPARE(boxText(w, "reg_wage"), QStringLiteral("12.5"));
    QCOMPARE(boxText(w, "ot_wage"), QStringLiteral("18"));
    QCOMPARE(boxText(w, "emp_sex1"), QStringLiteral("Female"));
    QCOMPARE(boxText(w, "emp_apt"), QStringLiteral("4B"));
    QCOMPARE(boxText(w, "Job_Description"), QStringLiteral("Cashier\nStock"));
    QVERIFY(control<QCheckBox>(w, "cur_stat")->isChecked());
}

void TestEmployeeWindow::saveStopsAtTheFirstMissingField_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("last");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("message"); // empty: saved

    QTest::newRow("ID and last name empty") << ""
                                            << ""
                                            << "Ann"
                                            << "Employee ID Empty";
    QTest::newRow("last name empty") << "E1"
                                     << ""
                                     << ""
                                     << "Employee Last Name Empty";
    QTest::newRow("first name empty") << "E1"
                                      << "Lee"
                                      << ""
                                      << "Employee First Name Empty";
    QTest::newRow("blanks only pass") << "  "
                                      << " "
                                      << " "
                                      << "";
}

void TestEmployeeWindow::saveStopsAtTheFirstMissingField()
{
    QFETCH(QString, id);
    QFETCH(QString, last);
    QFETCH(QString, first);
    QFETCH(QString, message);
    EmployeeWindow* w = openWindow();
    click(w, "PushButton1");
    typeInto(w, "emp_id", id);
    typeInto(w, "emp_lname", last);
    typeInto(w, "emp_fname", first);
    typeInto(w, "city", QStringLiteral("Springfield"));
    click(w, "PushButton3");

    const int rows = m_db->scalar(QStringLiteral("SELECT COUNT(*) FROM Employee")).toInt();
    if (message.isEmpty()) {
        QVERIFY(m_dialogs->boxes.isEmpty());
        QCOMPARE(rows, 1);
        QCOMPARE(storedRow(QStringLiteral("true")).value("emp_id").toString(), QString());
        return;
    }
    QCOMPARE(m_dialogs->boxes.size(), 1);
    QCOMPARE(m_dialogs->last().text, message);
    QCOMPARE(m_dialogs->last().title, QStringLiteral("Info Incomplete"));
    QCOMPARE(m_dialogs->last().icon, Dialogs::Icon::Exclamation);
    QCOMPARE(rows, 0);
    QCOMPARE(boxText(w, "emp_id"), id);
    QCOMPARE(boxText(w, "city"), QStringLiteral("Springfield"));
    QVERIFY(!isReadOnly(w, "city"));
    QVERIFY(control<QPushButton>(w, "PushButton3")->isEnabled());
}

void TestEmployeeWindow::saveWritesTheValueRules()
{
    EmployeeWindow* w = openWindow();
    click(w, "PushButton1");
    QCOMPARE(boxText(w, "emp_dob"), QStringLiteral("MM/DD/YYYY"));
    QCOMPARE(boxText(w, "reg_wage"), QStringLiteral("0"));
    QCOMPARE(boxText(w, "emp_sex1"), QString());
    QVERIFY(control<QCheckBox>(w, "cur_stat")->isEnabled());

    typeInto(w, "emp_id", QStringLiteral("  E7 "));
    typeInto(w, "emp_lname", QStringLiteral(" D'Arcy"));
    typeInto(w, "emp_fname", QStringLiteral("John "));
    typeInto(w, "emp_address", QStringLiteral(" 12 Elm St "));
    typeInto(w, "date_hired", QStringLiteral("4/1/2025"));
    typeInto(w, "reg_wage", QStringLiteral("12.50"));
    typeInto(w, "ot_wage", QStringLiteral("18.75"));
    typeInto(w, "Notes", QStringLiteral("Keys to the back door"));
    control<QComboBox>(w, "emp_sex1")->setCurrentIndex(1);
    QTest::mouseClick(control<QCheckBox>(w, "cur_stat"), Qt::LeftButton);
    click(w, "PushButton3");
    QVERIFY(m_dialogs->boxes.isEmpty());

    const QVariantMap row = storedRow(QStringLiteral("emp_id = ?"), {QStringLiteral("E7")});
    QCOMPARE(row.value("emp_lname").toString(), QStringLiteral("D'Arcy"));
    QCOMPARE(row.value("emp_fname").toString(), QStringLiteral("John"));
    QCOMPARE(row.value("emp_mname").toString(), QString()); // Save keeps an empty middle name empty
    QVERIFY(!row.value("emp_mname").isNull());
    QCOMPARE(row.value("emp_apt").toString(), QStringLiteral(" "));
    QCOMPARE(row.value("emp_address").toString(), QStringLiteral(" 12 Elm St "));
    QCOMPARE(row.value("emp_sex").toString(), QStringLiteral("Female"));
    QCOMPARE(row.value("emp_dob").toString(), QStringLiteral("2026-03-02")); // the fixed clock's today
    QCOMPARE(row.value("date_hired").toString(), QStringLiteral("2025-04-01"));
    QCOMPARE(row.value("reg_wage").toDouble(), 12.5);
    QCOMPARE(row.value("ot_wage").toDouble(), 18.75);
    QCOMPARE(row.value("status").toInt(), 1);
    QCOMPARE(row.value("notes").toString(), QStringLiteral("Keys to the back door"));
    QCOMPARE(row.value("job_description").toString(), QStringLiteral(" "));

    // Everything empties, placeholders included, and locks again.
    for (const char* name : kTextBoxes) {
        QCOMPARE(boxText(w, name), QString());
        QVERIFY2(isReadOnly(w, name), name);
    }
    QCOMPARE(boxText(w, "emp_sex1"), QString());
    QVERIFY(!control<QCheckBox>(w, "cur_stat")->isChecked());
    QVERIFY(!control<QCheckBox>(w, "cur_stat")->isEnabled());
    QVERIFY(!control<QPushButton>(w, "PushButton3")->isEnabled());

    click(w, "PushButton1");
    QCOMPARE(boxText(w, "date_hired"), QStringLiteral("MM/DD/YYYY"));
    QCOMPARE(boxText(w, "ot_wage"), QStringLiteral("0"));
}

void TestEmployeeWindow::saveAcceptsADuplicateId()
{
    m_db->addEmployee(QStringLiteral("E1"), QStringLiteral("Ann"), QStringLiteral("Lee"));
    EmployeeWindow* w = openWindow();
    click(w, "PushButton1");
    typeInto(w, "emp_id", QStringLiteral("E1"));
    typeInto(w, "emp_lname", QStringLiteral("Other"));
    typeInto(w, "emp_fname", QStringLiteral("Bob"));
    click(w, "PushButton3");
    QVERIFY(m_dialogs->boxes.isEmpty());
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT COUNT(*) FROM Employee WHERE emp_id = 'E1'")).toInt(), 2);
}

void TestEmployeeWindow::saveRefusesUnreadableText_data()
{
    QTest::addColumn<QByteArray>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("caption");

    QTest::newRow("date of birth") << QByteArray("emp_dob") << "31/31/1990"
                                   << "Date of Birth";
    QTest::newRow("date hired") << QByteArray("date_hired") << "yesterday"
                                << "Date Hired";
    QTest::newRow("regular wage") << QByteArray("reg_wage") << "12,50"
                                  << "Regular Wage";
    QTest::newRow("overtime wage") << QByteArray("ot_wage") << "$20"
                                   << "Overtime Wage";
    // Stored, an empty box would be no value at all, and a wage without a value pays nothing.
    QTest::newRow("regular wage emptied") << QByteArray("reg_wage") << ""
                                          << "Regular Wage is empty";
    QTest::newRow("overtime wage of blanks") << QByteArray("ot_wage") << "  "
                                             << "Overtime Wage is empty";
    QTest::newRow("date of birth emptied") << QByteArray("emp_dob") << ""
                                           << "Date of Birth is empty";
}

void TestEmployeeWindow::saveRefusesUnreadableText()
{
    QFETCH(QByteArray, box);
    QFETCH(QString, typed);
    QFETCH(QString, caption);
    EmployeeWindow* w = openWindow();
    click(w, "PushButton1");
    typeInto(w, "emp_id", QStringLiteral("E5"));
    typeInto(w, "emp_lname", QStringLiteral("Lee"));
    typeInto(w, "emp_fname", QStringLiteral("Ann"));
    typeInto(w, box.constData(), typed);
    click(w, "PushButton3");

    QCOMPARE(m_dialogs->boxes.size(), 1);
    QCOMPARE(m_dialogs->last().title, QStringLiteral("Record Not Saved"));
    QCOMPARE(m_dialogs->last().icon, Dialogs::Icon::Exclamation);
    QVERIFY2(m_dialogs->last().text.contains(typed.trimmed()), qPrintable(m_dialogs->last().text));
    QVERIFY2(m_dialogs->last().text.contains(caption), qPrintable(m_dialogs->last().text));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT COUNT(*) FROM Employee")).toInt(), 0);
    QCOMPARE(boxText(w, box.constData()), typed);
    QCOMPARE(boxText(w, "emp_id"), QStringLiteral("E5"));
    QVERIFY(!isReadOnly(w, "emp_id"));
    QVERIFY(control<QPushButton>(w, "PushButton3")->isEnabled());

    // Corrected, the same entry is stored once.
    typeInto(w, box.constData(), box.endsWith("wage") ? QStringLiteral("12.5") : QStringLiteral("01/15/2020"));
    click(w, "PushButton3");
    QCOMPARE(m_dialogs->boxes.size(), 1);
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT COUNT(*) FROM Employee")).toInt(), 1);
}

void TestEmployeeWindow::updateWritesTheCurrentRow()
{
    m_db->addEmployee(QStringLiteral("E0"), QStringLiteral("Zed"), QStringLiteral("Kim"));
    m_db->addEmployee(QStringLiteral("E1"), QStringLiteral("Ann"), QStringLiteral("Lee"), 10.0, 15.0,
                      QStringLiteral("Marie"));
    m_db->addTimesheet(QStringLiteral("E1"), QDate(2026, 3, 1), {t("08:00:00"), t("16:00:00")});
    m_db->addTimesheet(QStringLiteral("E1"), QDate(2026, 3, 2), {t("08:00:00")});

    EmployeeWindow* w = openWindow(QStringLiteral("E1"), true);
    auto* edit = control<QPushButton>(w, "PushButton4");
    QVERIFY(edit->isEnabled());
    click(w, "PushButton4");
    QCOMPARE(edit->text(), QStringLiteral("Update"));
    QVERIFY(!isReadOnly(w, "emp_mname"));
    QVERIFY(control<QCheckBox>(w, "cur_stat")->isEnabled());
    QVERIFY(!control<QPushButton>(w, "PushButton3")->isEnabled());

    typeInto(w, "emp_id", QStringLiteral("E9 "));
    typeInto(w, "emp_mname", QString());
    typeInto(w, "reg_wage", QStringLiteral("11.25"));
    click(w, "PushButton4");
    QVERIFY(m_dialogs->boxes.isEmpty());
    QCOMPARE(edit->text(), QStringLiteral("Edit"));
    QVERIFY(isReadOnly(w, "emp_id"));
    QVERIFY(!control<QCheckBox>(w, "cur_stat")->isEnabled());

    const QVariantMap row = storedRow(QStringLiteral("emp_fname = 'Ann'"));
    QCOMPARE(row.value("emp_id").toString(), QStringLiteral("E9"));
    QCOMPARE(row.value("emp_mname").toString(), QStringLiteral(" ")); // Update writes one blank
    QCOMPARE(row.value("reg_wage").toDouble(), 11.25);
    QCOMPARE(row.value("status").toInt(), 1);
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT COUNT(*) FROM Employee")).toInt(), 2);
    QCOMPARE(storedRow(QStringLiteral("emp_fname = 'Zed'")).value("emp_id").toString(), QStringLiteral("E0"));
    // The timesheets keep the ID they were recorded with.
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT COUNT(*) FROM timesheet WHERE emp_id = 'E1'")).toInt(), 2);
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT COUNT(*) FROM timesheet WHERE emp_id = 'E9'")).toInt(), 0);
}

void TestEmployeeWindow::updateAfterSaveChangesTheNewRow()
{
    m_db->addEmployee(QStringLiteral("E1"), QStringLiteral("Ann"), QStringLiteral("Lee"));
    EmployeeWindow* w = openWindow(QStringLiteral("E1"), true);
    click(w, "PushButton1");
    typeInto(w, "emp_id", QStringLiteral("E2"));
    typeInto(w, "emp_lname", QStringLiteral("Park"));
    typeInto(w, "emp_fname", QStringLiteral("Bo"));
    click(w, "PushButton3");
    click(w, "PushButton4");
    typeInto(w, "emp_id", QStringLiteral("E3"));
    typeInto(w, "emp_lname", QStringLiteral("Park"));
    typeInto(w, "emp_fname", QStringLiteral("Bo"));
    // Save emptied every box: the dates and wages must be typed again before the row can change.
    click(w, "PushButton4");
    QCOMPARE(m_dialogs->boxes.size(), 1);
    QVERIFY2(m_dialogs->last().text.contains(QStringLiteral("Date of Birth is empty")),
             qPrintable(m_dialogs->last().text));
    QCOMPARE(storedRow(QStringLiteral("emp_fname = 'Bo'")).value("emp_id").toString(), QStringLiteral("E2"));
    QCOMPARE(storedRow(QStringLiteral("emp_fname = 'Bo'")).value("reg_wage").toDouble(), 0.0);
    QVERIFY(!storedRow(QStringLiteral("emp_fname = 'Bo'")).value("reg_wage").isNull());
    for (const char* box : {"emp_dob", "date_hired"})
        typeInto(w, box, QStringLiteral("MM/DD/YYYY"));
    for (const char* box : {"reg_wage", "ot_wage"})
        typeInto(w, box, QStringLiteral("14"));
    click(w, "PushButton4");
    QCOMPARE(m_dialogs->boxes.size(), 1);
    QCOMPARE(storedRow(QStringLiteral("emp_fname = 'Bo'")).value("reg_wage").toDouble(), 14.0);
    QCOMPARE(storedRow(QStringLiteral("emp_fname = 'Ann'")).value("emp_id").toString(), QStringLiteral("E1"));
    QCOMPARE(storedRow(QStringLiteral("emp_fname = 'Bo'")).value("emp_id").toString(), QStringLiteral("E3"));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT COUNT(*) FROM Employee")).toInt(), 2);
}

void TestEmployeeWindow::updateWithoutEmployeeSaysWhy()
{
    m_db->addEmployee(QStringLiteral("E1"), QStringLiteral("Ann"), QStringLiteral("Lee"));
    EmployeeWindow* w = openWindow(QStringLiteral("nobody"), true);
    click(w, "PushButton4");
    typeInto(w, "emp_id", QStringLiteral("X1"));
    click(w, "PushButton4");

    QCOMPARE(m_dialogs->boxes.size(), 1);
    QVERIFY2(m_dialogs->last().text.contains(QLatin1String("nothing to update")), qPrintable(m_dialogs->last().text));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT COUNT(*) FROM Employee")).toInt(), 1);
    QCOMPARE(storedRow(QStringLiteral("true")).value("emp_id").toString(), QStringLiteral("E1"));
    QCOMPARE(boxText(w, "emp_id"), QStringLiteral("X1"));
    QCOMPARE(control<QPushButton>(w, "PushButton4")->text(), QStringLiteral("Update"));
}

void TestEmployeeWindow::updateRefusesUnreadableWage()
{
    m_db->addEmployee(QStringLiteral("E1"), QStringLiteral("Ann"), QStringLiteral("Lee"), 10.0);
    EmployeeWindow* w = openWindow(QStringLiteral("E1"), true);
    click(w, "PushButton4");
    typeInto(w, "emp_lname", QStringLiteral("Lee-Park"));
    typeInto(w, "reg_wage", QStringLiteral("ten"));
    click(w, "PushButton4");

    QCOMPARE(m_dialogs->boxes.size(), 1);
    QCOMPARE(m_dialogs->last().title, QStringLiteral("Record Not Saved"));
    QVERIFY(m_dialogs->last().text.contains(QLatin1String("ten")));
    const QVariantMap row = storedRow(QStringLiteral("true"));
    QCOMPARE(row.value("emp_lname").toString(), QStringLiteral("Lee"));
    QCOMPARE(row.value("reg_wage").toDouble(), 10.0);
    QCOMPARE(boxText(w, "reg_wage"), QStringLiteral("ten"));
    QCOMPARE(control<QPushButton>(w, "PushButton4")->text(), QStringLiteral("Update"));

    typeInto(w, "reg_wage", QStringLiteral("10.5"));
    click(w, "PushButton4");
    QCOMPARE(m_dialogs->boxes.size(), 1);
    QCOMPARE(storedRow(QStringLiteral("true")).value("emp_lname").toString(), QStringLiteral("Lee-Park"));
    QCOMPARE(control<QPushButton>(w, "PushButton4")->text(), QStringLiteral("Edit"));
}

void TestEmployeeWindow::enterMovesToTheNextBox()
{
    EmployeeWindow* w = openWindow();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    click(w, "PushButton1");
    auto* id = control<QLineEdit>(w, "emp_id");
    id->setFocus();
    QTest::keyClicks(id, QStringLiteral("E1"));
    QTest::keyClick(id, Qt::Key_Return);
    QVERIFY(!id->hasFocus());
    // The Sex drop-down moves on like the boxes, so the next typing lands in the date of birth.
    control<QComboBox>(w, "emp_sex1")->setFocus();
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Female"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), control<QLineEdit>(w, "emp_dob"));
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("01/02/1990"));
    QCOMPARE(boxText(w, "emp_sex1"), QStringLiteral("Female"));
    QVERIFY(control<QPushButton>(w, "PushButton3")->isEnabled());
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT COUNT(*) FROM Employee")).toInt(), 0);
    QVERIFY(m_dialogs->boxes.isEmpty());
}

void TestEmployeeWindow::searchOpensTheSearchWindowAndCloses()
{
    EmployeeWindow* w = openWindow();
    click(w, "PushButton5");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!ChildWindows::find(QStringLiteral("Employee")));
    QVERIFY(qobject_cast<SearchIdWindow*>(ChildWindows::find(QStringLiteral("SearchID"))));
}

void TestEmployeeWindow::closingInsideTheMainWindowEmptiesTheHandedId()
{
    m_db->addEmployee(QStringLiteral("E1"), QStringLiteral("Ann"), QStringLiteral("Lee"));
    QMdiArea area;
    area.resize(1000, 700);
    area.show();
    ChildWindows::setArea(&area);
    EmployeeWindow* w = openWindow(QStringLiteral("E1"));
    QVERIFY(w);
    QCOMPARE(boxText(w, "emp_fname"), QStringLiteral("Ann"));
    QCOMPARE(area.subWindowList().size(), 1);

    gEmpID = QStringLiteral("E1"); // as another window would leave it
    click(w, "PushButton2");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(gEmpID.isEmpty());
    QVERIFY(area.subWindowList().isEmpty());
    ChildWindows::setArea(nullptr);
}

void TestEmployeeWindow::refusesToOpenWithoutDatabase()
{
    m_db.reset();
    QVERIFY(!openWindow());
    QCOMPARE(m_dialogs->boxes.size(), 1);
    QCOMPARE(m_dialogs->last().text, QStringLiteral("Could not open database ..."));
    QCOMPARE(m_dialogs->last().title, QStringLiteral("Connection Failed"));
    QVERIFY(!ChildWindows::find(QStringLiteral("Employee")));
}

QTEST_MAIN(TestEmployeeWindow)
#include "test_employeewindow.moc"
