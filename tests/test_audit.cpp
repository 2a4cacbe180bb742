#include "core/audit/audittrail.h"
#include "core/audit/closedperiods.h"
#include "core/exitstatus.h"
#include "core/payroll/payrules.h"
#include "core/punch/punchrules.h"
#include "core/sites/sites.h"
#include "core/store/query.h"
#include "core/store/recordset.h"
#include "core/store/trailchain.h"
#include "core/valueforms.h"
#include "report/auditcommand.h"
#include "server/audit/audittrailmodel.h"
#include "server/audit/audittrailwindow.h"
#include "server/audit/payperiodwindows.h"
#include "server/employees/employeewindow.h"
#include "server/payroll/payrollwindow.h"
#include "server/serverstate.h"
#include "server/shell/adminpasswindow.h"
#include "server/shell/lockstate.h"
#include "server/timesheets/timesheetbrowser.h"
#include "server/timesheets/timesheeteditor.h"
#include "tests/support/fixedclock.h"
#include "tests/support/outsideconnection.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/tempdatabase.h"
#include "tests/test_employeeshared.h"
#include "widgets/childwindows.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardPaths>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>
#include <csignal>
#include <memory>

namespace {

const QDate kToday(2026, 3, 2);
const QDate kDay(2026, 2, 26);    // E1's time record
const QDate kOpenDay(2026, 3, 1); // another of E1's, after the closed period
const QDate kClosedThrough(2026, 2, 27);

// Every change of the trail, oldest first: "table action emp day administrator program | column:old>new ...".
QStringList trail()
{
    QStringList changes;
    QSqlQuery change(gConn);
    change.exec("SELECT id, table_name, action, emp_id, rsdate, administrator, program FROM audit_change ORDER BY id");
    while (change.next()) {
        QStringList line;
        for (int i = 1; i < 7; ++i)
            line << change.value(i).toString();
        QSqlQuery value(gConn);
        value.prepare("SELECT column_name, old_value, new_value FROM audit_value WHERE change_id = ? ORDER BY id");
        value.addBindValue(change.value(0));
        value.exec();
        QStringList values;
        while (value.next())
            values << value.value(0).toString() + ':' + value.value(1).toString() + '>' + value.value(2).toString();
        changes << line.join(' ') + " | " + values.join(' ');
    }
    return changes;
}

QString program()
{
    return QCoreApplication::applicationName();
}

// The records the trail watches, as stored.
QStringList records()
{
    QStringList rows;
    QSqlQuery query(gConn);
    for (const char* sql : {"SELECT * FROM timesheet ORDER BY id", "SELECT * FROM Employee ORDER BY id"}) {
        query.exec(QString::fromLatin1(sql));
        while (query.next()) {
            QStringList row;
            for (int i = 0; i < query.record().count(); ++i)
                row << query.value(i).toString();
            rows << row.join('|');
        }
    }
    return rows;
}

} // namespace

class TestAudit : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<FixedClock> m_clock;
    std::unique_ptr<TempDatabase> m_db;
    std::unique_ptr<ScriptedDialogs> m_dialogs;

    void clearTrail()
    {
        m_db->exec("DELETE FROM audit_value");
        m_db->exec("DELETE FROM audit_change");
    }

    // E1 with every column filled, a full day on kDay and a started one on kOpenDay; E2 with a day too.
    void seed()
    {
        m_db->exec("INSERT INTO Employee (emp_id, emp_lname, emp_fname, emp_mname, emp_sex, emp_dob, emp_apt, "
                   "emp_address, city, emp_state, zip, emp_home_phone, emp_work_phone, emp_cp, sss, "
                   "Job_Description, reg_wage, ot_wage, date_hired, status, Notes) VALUES ('E1', 'Lee', 'Ann', 'Q', "
                   "'Female', '1990-05-01', '2B', '1 Main St', 'Springfield', 'IL', '62701', '555-0100', "
                   "'555-0101', '555-0102', '123-45-6789', 'Clerk', 10.0, 15.0, '2020-01-06', 1, 'none')");
        m_db->addEmployee("E2", "Bob", "Kay");
        m_db->addTimesheet("E1", kDay,
                           {t("08:00:00"), t("12:00:00"), t("12:30:00"), t("17:00:00"), t("18:00:00"), t("19:00:00")});
        m_db->addTimesheet("E1", kOpenDay, {t("08:00:00")});
        m_db->addTimesheet("E2", kDay, {t("09:00:00")});
        clearTrail();
    }

    QWidget* editorOn(const QDate& day)
    {
        gEmpID = "E1";
        gRecDate = ValueForms::showDate(day);
        return ChildWindows::open<TimesheetEditor>("AddTime");
    }

    // Does one change through the windows as an administrator would.
    void perform(const QString& action)
    {
        if (action == "editor update" || action == "editor move") {
            QWidget* editor = editorOn(action == "editor update" ? kDay : kOpenDay);
            click(editor, "PushButton5");
            if (action == "editor move") {
                typeInto(editor, "rDate", "02/20/2026");
            } else {
                typeInto(editor, "In1", "08:05:00");
                typeInto(editor, "Out3", "");
            }
            click(editor, "PushButton5");
        } else if (action == "editor save") {
            QWidget* editor = editorOn(QDate());
            click(editor, "PushButton3");
            typeInto(editor, "EmpID", "E1");
            typeInto(editor, "rDate", ValueForms::showDate(kClosedThrough));
            typeInto(editor, "In1", "07:00:00");
            click(editor, "PushButton4");
        } else if (action == "editor delete") {
            m_dialogs->queueAnswer(Dialogs::Answer::Yes);
            click(editorOn(kDay), "PushButton6");
        } else if (action == "browser delete") {
            auto* browser = ChildWindows::open<TimesheetBrowser>("Timesheets");
            browser->findChild<QDateEdit*>("DTPicker1")->setDate(kDay);
            browser->findChild<QDateEdit*>("DTPicker2")->setDate(kDay);
            auto* employees = browser->findChild<QTreeWidget*>("EmpList");
            Q_EMIT employees->itemClicked(employees->findItems("E1", Qt::MatchExactly).constFirst(), 0);
            auto* times = browser->findChild<QTreeWidget*>("TimeList");
            times->setCurrentItem(times->topLevelItem(0));
            Q_EMIT times->itemClicked(times->topLevelItem(0), 0);
            m_dialogs->queueAnswer(Dialogs::Answer::Yes);
            click(browser, "PushButton3");
        } else if (action == "employee update") {
            gEmpID = "E1";
            auto* window = ChildWindows::open<EmployeeWindow>("Employee");
            window->allowEdit();
            click(window, "PushButton4");
            typeInto(window, "emp_lname", "LEE");
            typeInto(window, "reg_wage", "12.5");
            click(window, "PushButton4");
        } else if (action == "punch") {
            QCOMPARE(Punch::recordFromTerminal("E1").outcome, PunchResult::Outcome::SignedIn);
        } else if (action == "punch, clock set back") {
            // A group of terminals' punches: the one whose clock says a closed day is refused, naming that
            // day; the one of today is stored; the clock window refuses alike.
            const QDateTime back(kClosedThrough.addDays(-2), QTime(9, 0));
            const std::vector<PunchResult> results =
                Punch::recordBatchFromTerminals({{"E1", back}, {"E1", QDateTime(kToday, QTime(8, 30))}});
            QCOMPARE(results.size(), std::size_t(2));
            QCOMPARE(results[0].outcome, PunchResult::Outcome::StoreFailed);
            QVERIFY2(results[0].error.contains("clock says it is 02/25/2026"), qPrintable(results[0].error));
            QCOMPARE(results[1].outcome, PunchResult::Outcome::SignedIn);
            m_clock->set(back);
            RecordSet employees;
            QVERIFY(employees.open("Select * from employee"));
            QCOMPARE(Punch::recordFromLoadedEmployees(employees, "E1").outcome, PunchResult::Outcome::StoreFailed);
            m_clock->set(QDateTime(kToday, QTime(8, 0)));
        } else {
            QFAIL(qPrintable("no such action: " + action));
        }
    }

    void setFilter(AuditTrailWindow* window, const QString& employee, const QDate& from, const QDate& to)
    {
        auto* choice = window->findChild<QComboBox*>("EmpID");
        if (employee.startsWith('='))
            choice->setEditText(employee.mid(1));
        else
            choice->setCurrentIndex(employee.isEmpty() ? 0 : choice->findData(employee));
        window->findChild<QDateEdit*>("DTPicker1")->setDate(from);
        window->findChild<QDateEdit*>("DTPicker2")->setDate(to);
    }

    // Four corrections of in1 at known times, each setting a value that names it.
    void seedHistory()
    {
        const struct
        {
            QDateTime at;
            const char* emp;
            const char* value;
        } history[] = {{QDateTime(QDate(2026, 2, 1), QTime(10, 0)), "E1", "01:00:00"},
                       {QDateTime(QDate(2026, 2, 15), QTime(10, 0)), "E2", "02:00:00"},
                       {QDateTime(QDate(2026, 3, 1), QTime(9, 0)), "E1", "03:00:00"},
                       {QDateTime(QDate(2026, 3, 1), QTime(9, 0)), "E2", "04:00:00"}};
        for (const auto& change : history) {
            m_clock->set(change.at);
            m_db->exec("UPDATE timesheet SET in1 = ? WHERE emp_id = ? AND rsdate = ?",
                       {change.value, change.emp, kDay.toString(Qt::ISODate)});
        }
        m_clock->set(QDateTime(kToday, QTime(8, 0)));
    }

    static QStringList column(const AuditTrailModel* model, int column)
    {
        QStringList cells;
        for (int row = 0; row < model->rowCount(); ++row)
            cells << model->index(row, column).data().toString();
        return cells;
    }

private Q_SLOTS:
    void init()
    {
        m_clock = std::make_unique<FixedClock>(QDateTime(kToday, QTime(8, 0)));
        m_db = std::make_unique<TempDatabase>();
        m_dialogs = std::make_unique<ScriptedDialogs>();
        LockState::set(false);
        seed();
    }

    void cleanup()
    {
        closeAllWindows();
        LockState::set(true);
        m_dialogs.reset();
        m_db.reset();
        m_clock.reset();
        gEmpID.clear();
        gRecDate.clear();
        Sites::setCurrent(QString());
    }

    void handChangesAreRecordedWithTheirValues_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("failure"); // a trigger that makes the change itself fail
        QTest::addColumn<QString>("expected");
        const QString who = " Administrator " + program() + " | ";
        QTest::newRow("editor update") << "editor update" << QString()
                                       << "timesheet update E1 2026-02-26" + who +
                                              "in1:08:00:00>08:05:00 out3:19:00:00>00:00:00";
        QTest::newRow("editor save") << "editor save" << QString()
                                     << "timesheet insert E1 2026-02-27" + who +
                                            "emp_id:>E1 rsdate:>2026-02-27 in1:>07:00:00";
        QTest::newRow("editor delete") << "editor delete" << QString()
                                       << "timesheet delete E1 2026-02-26" + who +
                                              "emp_id:E1> rsdate:2026-02-26> in1:08:00:00> out1:12:00:00> "
                                              "in2:12:30:00> out2:17:00:00> in3:18:00:00> out3:19:00:00>";
        QTest::newRow("browser delete") << "browser delete" << QString()
                                        << "timesheet delete E1 2026-02-26" + who +
                                               "emp_id:E1> rsdate:2026-02-26> in1:08:00:00> out1:12:00:00> "
                                               "in2:12:30:00> out2:17:00:00> in3:18:00:00> out3:19:00:00>";
        QTest::newRow("employee update, a case-only change too")
            << "employee update" << QString() << "Employee update E1 " + who + "emp_lname:Lee>LEE reg_wage:10>12.5";
        QTest::newRow("failed editor update") << "editor update"
                                              << "UPDATE ON main.timesheet" << QString();
        QTest::newRow("failed editor save") << "editor save"
                                            << "INSERT ON main.timesheet" << QString();
        QTest::newRow("failed browser delete") << "browser delete"
                                               << "DELETE ON main.timesheet" << QString();
        QTest::newRow("failed employee update") << "employee update"
                                                << "UPDATE ON main.Employee" << QString();
    }

    void handChangesAreRecordedWithTheirValues()
    {
        QFETCH(QString, action);
        QFETCH(QString, failure);
        QFETCH(QString, expected);
        if (!failure.isEmpty())
            m_db->exec("CREATE TEMP TRIGGER fail_for_the_test AFTER " + failure +
                       " BEGIN SELECT RAISE(ABORT, 'refused for the test'); END");
        const QStringList before = records();
        perform(action);
        if (failure.isEmpty()) {
            QCOMPARE(trail(), QStringList{expected});
            QVERIFY(m_dialogs->boxes.isEmpty() || m_dialogs->last().icon != Dialogs::Icon::Exclamation);
            return;
        }
        // The change and its entries are one statement: refused together.
        QVERIFY2(m_dialogs->last().text.contains("refused for the test"), qPrintable(m_dialogs->last().text));
        QCOMPARE(records(), before);
        QCOMPARE(trail(), QStringList());
    }

    void punchesAreNotRecorded()
    {
        QCOMPARE(Punch::recordFromTerminal("E1").outcome, PunchResult::Outcome::SignedIn);
        QCOMPARE(Punch::recordBatchFromTerminals({{"E1", now()}, {"E2", now()}, {"E1", now()}}).size(), std::size_t(3));
        RecordSet employees;
        QVERIFY(employees.open("Select * from employee"));
        QCOMPARE(Punch::recordFromLoadedEmployees(employees, "E2").outcome, PunchResult::Outcome::SignedOut);
        QCOMPARE(m_db->scalar("SELECT count(*) FROM timesheet WHERE rsdate = ?", {kToday.toString(Qt::ISODate)}),
                 QVariant(2));
        QCOMPARE(trail(), QStringList());
        // The same connection still records a change that is not a punch.
        m_db->exec("UPDATE timesheet SET out1 = '17:00:00' WHERE emp_id = 'E2' AND rsdate = ?",
                   {kToday.toString(Qt::ISODate)});
        QCOMPARE(trail().size(), 1);
    }

    void changesWithOtherToolsAreRecordedAsOutsideQorvil_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QStringList>("expected");
        const QString update = "UPDATE timesheet SET in1 = '09:00:00' WHERE emp_id = 'E2'";
        const QString outside = "  outside Qorvil | ";
        const QString e2Row = "emp_id:E2> rsdate:2026-02-26> in1:09:00:00>";
        QTest::newRow("a plain connection")
            << "connection" << update
            << QStringList{"timesheet update E2 2026-02-26" + outside + "in1:09:00:00>09:01:00"};
        QTest::newRow("sqlite3") << "sqlite3"
                                 << "UPDATE admin SET password = 'reset'"
                                 << QStringList{"admin update  " + outside};
        // A tool cannot make itself look like a program that records its own changes.
        QTest::newRow("sqlite3 making the mark of earlier releases")
            << "sqlite3" << "CREATE TEMP TABLE qorvil_own_trail (id INTEGER); " + update
            << QStringList{"timesheet update E2 2026-02-26" + outside + "in1:09:00:00>09:01:00"};
        // SQLite fires no delete trigger for the row a REPLACE removes: its values are kept all the same.
        QTest::newRow("sqlite3 replacing a row by its key")
            << "sqlite3"
            << "INSERT OR REPLACE INTO timesheet (id, emp_id, rsdate, in1) SELECT id, emp_id, rsdate, '09:01:00' "
               "FROM timesheet WHERE emp_id = 'E2'"
            << QStringList{"timesheet delete E2 2026-02-26" + outside + e2Row,
                           "timesheet insert E2 2026-02-26" + outside + "emp_id:>E2 rsdate:>2026-02-26 in1:>09:01:00"};
        QTest::newRow("sqlite3 replacing a row by a unique column, an ignored insert between")
            << "sqlite3"
            << "INSERT INTO holiday (day, name) VALUES ('2026-07-04', 'July 4th'); INSERT OR IGNORE INTO holiday "
               "(day, name) VALUES ('2026-07-04', 'Ignored'); INSERT INTO holiday (day, name) VALUES ('2026-12-25', "
               "'Christmas'); INSERT OR REPLACE INTO holiday (day, name) VALUES ('2026-07-04', 'Independence Day')"
            << QStringList{"holiday insert  2026-07-04" + outside + "day:>2026-07-04 name:>July 4th",
                           "holiday insert  2026-12-25" + outside + "day:>2026-12-25 name:>Christmas",
                           "holiday delete  2026-07-04" + outside + "day:2026-07-04> name:July 4th>",
                           "holiday insert  2026-07-04" + outside + "day:>2026-07-04 name:>Independence Day"};
        QTest::newRow("sqlite3 updating a row over another")
            << "sqlite3"
            << "UPDATE OR REPLACE timesheet SET id = (SELECT id FROM timesheet WHERE emp_id = 'E2') WHERE emp_id = "
               "'E1' AND rsdate = '2026-03-01'"
            << QStringList{"timesheet delete E2 2026-02-26" + outside + e2Row,
                           "timesheet update E1 2026-03-01" + outside};
        QTest::newRow("this program") << "gConn" << update
                                      << QStringList{"timesheet update E2 2026-02-26 Administrator " + program() +
                                                     " | in1:09:00:00>09:01:00"};
    }

    void changesWithOtherToolsAreRecordedAsOutsideQorvil()
    {
        QFETCH(QString, tool);
        QFETCH(QString, sql);
        QFETCH(QStringList, expected);
        const QString changed = QString(sql).replace("09:00:00", "09:01:00");
        Sites::setCurrent("North");
        if (tool == "gConn") {
            m_db->exec(changed);
        } else if (tool == "connection") {
            QSqlDatabase plain = QSqlDatabase::addDatabase("QSQLITE", "plain");
            plain.setDatabaseName(m_db->path());
            QVERIFY(plain.open());
            QSqlQuery query(plain);
            QVERIFY2(query.exec(changed), qPrintable(query.lastError().text()));
            query.finish();
            plain.close();
            plain = QSqlDatabase();
            QSqlDatabase::removeDatabase("plain");
        } else {
            const QString sqlite3 = QStandardPaths::findExecutable("sqlite3");
            if (sqlite3.isEmpty())
                QSKIP("the sqlite3 tool is not installed");
            QProcess tool;
            tool.start(sqlite3, {m_db->path(), changed});
            QVERIFY(tool.waitForFinished());
            QVERIFY2(tool.exitCode() == 0, tool.readAllStandardError().constData());
        }
        QCOMPARE(trail(), expected);
        // Who and where are known of this program's changes only.
        const QVariant user = m_db->scalar("SELECT os_user FROM audit_change");
        QCOMPARE(user.toString().isEmpty(), tool != "gConn");
        QCOMPARE(m_db->scalar("SELECT site FROM audit_change").toString(), tool == QLatin1String("gConn") ? QStringLiteral("North") : QString());
    }

    // Each start of a program that keeps the file puts back the triggers another tool dropped or altered, and
    // says so in the trail and the log.
    void startPutsBackTheTrailTriggers_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("restored");
        QTest::newRow("dropped") << "DROP TRIGGER audit_timesheet_update"
                                 << "audit_timesheet_update:missing>restored";
        QTest::newRow("made to record nothing")
            << "DROP TRIGGER audit_timesheet_update\nCREATE TRIGGER audit_timesheet_update AFTER UPDATE ON timesheet "
               "WHEN 0 BEGIN SELECT 1; END"
            << "audit_timesheet_update:altered>restored";
        QTest::newRow("the REPLACE half dropped") << "DROP TRIGGER audit_timesheet_replace_insert"
                                                  << "audit_timesheet_replace_insert:missing>restored";
        QTest::newRow("untouched") << QString() << QString();
    }

    void startPutsBackTheTrailTriggers()
    {
        QFETCH(QString, sql);
        QFETCH(QString, restored);
        if (!sql.isEmpty()) {
            OutsideConnection outside(m_db->path());
            for (const QString& statement : sql.split('\n'))
                outside.exec(statement);
        }
        QVERIFY(Database::open(Database::Kind::Server, m_db->path()));
        const QStringList lines = TrailWriter::startLines(TrailWriter::lastStart());
        QCOMPARE(trail(), restored.isEmpty()
                              ? QStringList()
                              : QStringList{"audit_trigger restore   Administrator " + program() + " | " + restored});
        QCOMPARE(lines.constFirst().startsWith("Audit trail triggers restored: "), !restored.isEmpty());
        QVERIFY2(lines.constLast().startsWith("Audit trail chain head: "), qPrintable(lines.join('\n')));
        // Changes of other tools are recorded again.
        clearTrail();
        OutsideConnection(m_db->path()).exec("UPDATE timesheet SET in1 = '10:00:00' WHERE emp_id = 'E2'");
        QCOMPARE(trail(), QStringList{"timesheet update E2 2026-02-26  outside Qorvil | in1:09:00:00>10:00:00"});
    }

    // The hash chain names the first entry a tool changed or removed; kept heads catch a chain made anew.
    void chainNamesTheFirstEntryChangedOrRemoved_data()
    {
        QTest::addColumn<QStringList>("sql");
        QTest::addColumn<QString>("line");
        const QString head = "Entry 2 of the audit trail, the newest when the pay period through 02/27/2026 was closed, ";
        QTest::newRow("untouched") << QStringList() << "Audit trail chain intact (checked through entry 4).";
        QTest::newRow("a value edited") << QStringList{"UPDATE audit_value SET new_value = '07:00:00' WHERE change_id = 3"}
                                        << "Entry 3 of the audit trail was changed.";
        QTest::newRow("who edited") << QStringList{"UPDATE audit_change SET program = 'service' WHERE id = 1"}
                                    << "Entry 1 of the audit trail was changed.";
        QTest::newRow("its hash removed") << QStringList{"UPDATE audit_change SET chain_hash = NULL WHERE id = 3"}
                                          << "Entry 3 of the audit trail was changed.";
        QTest::newRow("one removed") << QStringList{"DELETE FROM audit_value WHERE change_id = 3",
                                                    "DELETE FROM audit_change WHERE id = 3"}
                                     << "Entry 3 of the audit trail was removed.";
        QTest::newRow("the first two removed") << QStringList{"DELETE FROM audit_value WHERE change_id <= 2",
                                                              "DELETE FROM audit_change WHERE id <= 2"}
                                               << "Entries 1 to 2 of the audit trail were removed.";
        QTest::newRow("the newest removed, back to a kept head")
            << QStringList{"DELETE FROM audit_value WHERE change_id >= 2", "DELETE FROM audit_change WHERE id >= 2"}
            << head + "was removed.";
        QTest::newRow("edited, and the chain made anew")
            << QStringList{"UPDATE audit_value SET new_value = '07:00:00' WHERE change_id = 1",
                           "UPDATE audit_change SET chain_prev = NULL, chain_hash = NULL", "SEAL"}
            << head + "was changed.";
    }

    void chainNamesTheFirstEntryChangedOrRemoved()
    {
        QFETCH(QStringList, sql);
        QFETCH(QString, line);
        // 1: this program's change; 2: another tool's, chained at the next start; 3: the close, which keeps
        // entry 2 as its head; 4: this program's again.
        m_db->exec("UPDATE timesheet SET in1 = '08:01:00' WHERE emp_id = 'E1' AND rsdate = '2026-02-26'");
        OutsideConnection(m_db->path()).exec("UPDATE timesheet SET in1 = '09:01:00' WHERE emp_id = 'E2'");
        QCOMPARE(m_db->scalar("SELECT count(*) FROM audit_change WHERE chain_hash IS NULL"), QVariant(1));
        QVERIFY(Database::open(Database::Kind::Server, m_db->path()));
        QCOMPARE(m_db->scalar("SELECT count(*) FROM audit_change WHERE chain_hash IS NULL"), QVariant(0));
        QString message;
        QCOMPARE(Pay::closePeriod(kClosedThrough, &message), ClosedPeriods::Outcome::Done);
        m_db->exec("UPDATE timesheet SET in1 = '08:02:00' WHERE emp_id = 'E1' AND rsdate = '2026-03-01'");
        QCOMPARE(m_db->scalar("SELECT trail_head_id FROM closed_period"), QVariant(2));

        for (const QString& statement : sql) {
            if (statement == "SEAL") {
                Transaction seal;
                QVERIFY(TrailChain::seal(gConn, &message) && seal.commit());
            } else {
                m_db->exec(statement);
            }
        }
        auto* window = ChildWindows::open<AuditTrailWindow>("AuditTrail");
        QCOMPARE(window->findChild<QLabel*>("Label5")->text(), line);
        QString out;
        QString err;
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        QCOMPARE(AuditCommand::run({"--database", m_db->path(), "--verify"}, outStream, errStream),
                 int(sql.isEmpty() ? ExitStatus::Done : ExitStatus::TrailBroken));
        outStream.flush();
        QCOMPARE(out, line + "\n");
    }

    void passwordChangesKeepNoValue()
    {
        auto* window = ChildWindows::open<AdminPassWindow>("AdminPass");
        typeInto(window, "Text1", "admin");
        typeInto(window, "Text2", "s3cret");
        typeInto(window, "Text3", "s3cret");
        click(window, "PushButton1");
        QCOMPARE(m_dialogs->last().text, QStringLiteral("Admin Password Updated"));
        QCOMPARE(trail(), QStringList{"admin update   Administrator " + program() + " | "});
        QCOMPARE(m_db->scalar("SELECT count(*) FROM audit_value"), QVariant(0));
    }

    void windowFiltersNewestFirst_data()
    {
        QTest::addColumn<QString>("employee"); // empty for everyone, "=ID" typed rather than picked
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QStringList>("newValues");
        QTest::addColumn<QDateTime>("newest");
        const QDateTime march(QDate(2026, 3, 1), QTime(9, 0));
        QTest::newRow("everyone") << QString() << QDate(2026, 2, 1) << kToday
                                  << QStringList{"04:00:00", "03:00:00", "02:00:00", "01:00:00"} << march;
        QTest::newRow("one employee picked")
            << "E1" << QDate(2026, 2, 1) << kToday << QStringList{"03:00:00", "01:00:00"} << march;
        QTest::newRow("an ID typed") << "=E2" << QDate(2026, 2, 1) << kToday << QStringList{"04:00:00", "02:00:00"}
                                     << march;
        QTest::newRow("an ID without changes") << "=E9" << QDate(2026, 2, 1) << kToday << QStringList() << QDateTime();
        QTest::newRow("the days between") << QString() << QDate(2026, 2, 2) << QDate(2026, 2, 28)
                                          << QStringList{"02:00:00"} << QDateTime(QDate(2026, 2, 15), QTime(10, 0));
        QTest::newRow("the last day whole")
            << "E2" << QDate(2026, 3, 1) << QDate(2026, 3, 1) << QStringList{"04:00:00"} << march;
    }

    void windowFiltersNewestFirst()
    {
        QFETCH(QString, employee);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QStringList, newValues);
        QFETCH(QDateTime, newest);
        seedHistory();
        auto* window = ChildWindows::open<AuditTrailWindow>("AuditTrail");
        QVERIFY(window);
        setFilter(window, employee, from, to);
        click(window, "PushButton1");
        const AuditTrailModel* model = window->model();
        QCOMPARE(column(model, 7), newValues);
        if (newValues.isEmpty()) {
            QVERIFY(window->findChild<QLabel*>("Label4")->text().startsWith("No changes"));
            return;
        }
        // Stored in UTC, shown in local time, as it was on the clock.
        QCOMPARE(model->index(0, 0).data().toString(), ValueForms::showDateTime(newest));
        QCOMPARE(model->index(0, 4).data().toString(), QStringLiteral("Time record changed"));
        QCOMPARE(model->index(0, 5).data().toString(), QStringLiteral("In 1"));
    }

    void windowReadsAPageAtATimeAndExportsAll()
    {
        {
            Transaction many;
            for (int i = 1; i <= AuditTrail::kPageSize + 5; ++i) {
                m_clock->advance(1);
                m_db->exec("UPDATE timesheet SET in1 = ? WHERE emp_id = 'E2'",
                           {QTime(0, 0).addSecs(i).toString("HH:mm:ss")});
            }
            QVERIFY(many.commit());
        }
        auto* window = ChildWindows::open<AuditTrailWindow>("AuditTrail");
        AuditTrailModel* model = window->model();
        QCOMPARE(model->changeCount(), AuditTrail::kPageSize);
        QVERIFY(model->canFetchMore({}));
        QCOMPARE(model->index(0, 7).data().toString(),
                 ValueForms::showTime(QTime(0, 0).addSecs(AuditTrail::kPageSize + 5)));
        model->fetchMore({});
        QCOMPARE(model->changeCount(), AuditTrail::kPageSize + 5);
        QVERIFY(!model->canFetchMore({}));

        const QString csv = m_db->dir() + "/trail.csv";
        m_dialogs->queueText(csv);
        click(window, "PushButton2");
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split("\r\n", Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 1 + AuditTrail::kPageSize + 5);
        QCOMPARE(lines.constFirst(), AuditTrail::csvHeader().trimmed());
    }

    void reportCommandPrintsOrExports_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("lines"); // of the CSV file, or lines the output contains
        const QString at = QDateTime(QDate(2026, 3, 1), QTime(9, 0)).toUTC().toString("yyyy-MM-ddTHH:mm:ss.zzzZ");
        QTest::newRow("CSV of one employee")
            << QStringList{"--from", "02/01/2026", "--to", "03/01/2026", "--employee", "E1", "--csv", "CSV"} << 0
            << QStringList{AuditTrail::csvHeader().trimmed(),
                           "2026-03-01 09:00:00," + at + ",Administrator,USER,HOST," + program() +
                               ",E1,2026-02-26,Time record changed,In 1,01:00:00,03:00:00",
                           "2026-02-01 10:00:00"};
        QTest::newRow("text of everyone")
            << QStringList{"--from", "2026-02-15", "--to", "2026-03-01"} << 0
            << QStringList{"03/01/2026 09:00:00  Time record changed  employee E2  day 02/26/2026",
                           "    In 1: 02:00:00 -> 04:00:00", "    In 1: 09:00:00 -> 02:00:00"};
        QTest::newRow("a day missing") << QStringList{"--from", "02/01/2026"} << 2
                                       << QStringList{"both --from and --to are needed"};
    }

    void reportCommandPrintsOrExports()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QStringList, lines);
        seedHistory();
        const QString csv = m_db->dir() + "/audit.csv";
        arguments.replaceInStrings(QRegularExpression("^CSV$"), csv);
        QString out;
        QString err;
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        QCOMPARE(AuditCommand::run(QStringList{"--database", m_db->path()} + arguments, outStream, errStream), status);
        outStream.flush();
        errStream.flush();
        if (!arguments.contains(csv)) {
            for (const QString& line : lines)
                QVERIFY2(QString(out + err).contains(line), qPrintable(out + err));
            return;
        }
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QStringList written = QString::fromUtf8(file.readAll()).split("\r\n", Qt::SkipEmptyParts);
        QCOMPARE(written.size(), 3);
        QCOMPARE(written.at(0), lines.at(0));
        // The change number, the operating-system user and the host are this run's own.
        const QStringList fields = written.at(1).split(',');
        written[1] = fields.mid(1, 3).join(',') + ",USER,HOST," + fields.mid(6).join(',');
        QCOMPARE(written.at(1), lines.at(1));
        QVERIFY(written.at(2).contains(lines.at(2)));
    }

    void closedDaysAreRefused_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("refused");
        QTest::newRow("editor update") << "editor update" << true;
        QTest::newRow("editor save of a closed day") << "editor save" << true;
        QTest::newRow("editor moving a row into the period") << "editor move" << true;
        QTest::newRow("editor delete") << "editor delete" << true;
        QTest::newRow("browser delete") << "browser delete" << true;
        QTest::newRow("the employee record") << "employee update" << false;
        QTest::newRow("a punch today") << "punch" << false;
        QTest::newRow("a punch with the clock set back into the period") << "punch, clock set back" << false;
    }

    void closedDaysAreRefused()
    {
        QFETCH(QString, action);
        QFETCH(bool, refused);
        QString message;
        QCOMPARE(Pay::closePeriod(kClosedThrough, &message), ClosedPeriods::Outcome::Done);
        clearTrail();
        const QStringList before = records();
        perform(action);
        if (!refused) {
            QVERIFY(records() != before);
            return;
        }
        QCOMPARE(m_dialogs->last().title, ClosedPeriods::title());
        QVERIFY2(m_dialogs->last().text.contains("through 02/27/2026 is closed"), qPrintable(m_dialogs->last().text));
        QCOMPARE(records(), before);
        QCOMPARE(trail(), QStringList());
        // Said first, before any question; the editor is not left editing a row it cannot store.
        QCOMPARE(m_dialogs->boxes.constFirst().title, ClosedPeriods::title());
        if (auto* editor = qobject_cast<TimesheetEditor*>(ChildWindows::find("AddTime"))) {
            QVERIFY(!editor->isEditing());
            // A closed day's row is shown read-only with a line naming the period.
            const bool closedRow = action == "editor update" || action == "editor delete";
            QCOMPARE(editor->findChild<QLineEdit*>("In1")->isReadOnly(), closedRow || action == "editor move");
            auto* line = editor->findChild<QLabel*>("ClosedLine");
            QCOMPARE(!line->isHidden(), closedRow);
            QVERIFY(!closedRow || line->text().contains("closed through 02/27/2026"));
        }
    }

    void closingAndReopening()
    {
        auto* close = ChildWindows::open<ClosePeriodWindow>("ClosePeriod");
        auto* through = close->findChild<QDateEdit*>("DTPicker1");
        // Today is still being punched, so the latest day that can be closed is yesterday.
        QCOMPARE(through->maximumDate(), kToday.addDays(-1));
        through->setDate(kClosedThrough);
        m_dialogs->queueAnswer(Dialogs::Answer::Yes);
        click(close, "PushButton1");
        QVERIFY(m_dialogs->boxes.at(0).text.startsWith("Close every day up to and including 02/27/2026?"));
        QDate closed;
        QString message;
        QVERIFY(ClosedPeriods::closedThrough(&closed, &message));
        QCOMPARE(closed, kClosedThrough);
        QCOMPARE(Pay::closePeriod(kToday, &message), ClosedPeriods::Outcome::Refused);
        QCOMPARE(Pay::closePeriod(kClosedThrough.addDays(-3), &message), ClosedPeriods::Outcome::Refused);

        auto* reopen = ChildWindows::open<ReopenPeriodWindow>("ReopenPeriod");
        QCOMPARE(reopen->findChild<QLabel*>("Label1")->text(),
                 QStringLiteral("Every day up to and including 02/27/2026 is closed."));
        typeInto(reopen, "Text1", "wrong");
        click(reopen, "PushButton1");
        QVERIFY(m_dialogs->last().text.startsWith("Incorrect administrator password"));
        QVERIFY(ClosedPeriods::closedThrough(&closed, &message) && closed == kClosedThrough);
        typeInto(reopen, "Text1", "admin");
        click(reopen, "PushButton1");
        QVERIFY(ClosedPeriods::closedThrough(&closed, &message) && !closed.isValid());

        // The close keeps the pay rules it was made under, and the trail records them with it.
        const QString who = " Administrator " + program() + " | ";
        const QString rules = Pay::toText(Pay::Rules());
        QCOMPARE(trail(), QStringList({"closed_period insert  2026-02-27" + who +
                                           "closed_through:>2026-02-27 pay_rules:>" + rules,
                                       "closed_period delete  2026-02-27" + who +
                                           "closed_through:2026-02-27> pay_rules:" + rules + ">"}));
    }

    void payrollSaysWhetherTheRangeIsOpen_data()
    {
        QTest::addColumn<QDate>("closedThrough");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QString>("shown");
        QTest::newRow("nothing closed") << QDate() << kDay << kToday << "No pay period is closed";
        QTest::newRow("reaching into the open days")
            << kClosedThrough << kDay << kToday << "The days from 02/28/2026 on are open";
        QTest::newRow("wholly closed") << kClosedThrough << kDay << kClosedThrough
                                       << "Every day chosen is in a closed pay period.";
    }

    void payrollSaysWhetherTheRangeIsOpen()
    {
        QFETCH(QDate, closedThrough);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QString, shown);
        QString message;
        if (closedThrough.isValid())
            QCOMPARE(Pay::closePeriod(closedThrough, &message), ClosedPeriods::Outcome::Done);
        auto* window = ChildWindows::open<PayrollWindow>("Payroll");
        window->findChild<QDateEdit*>("DTPicker1")->setDate(from);
        window->findChild<QDateEdit*>("DTPicker2")->setDate(to);
        const QString text = window->findChild<QLabel*>("Label4")->text();
        QVERIFY2(text.startsWith(shown), qPrintable(text));
    }

    void aChangeAndItsEntriesSurviveAKillTogether()
    {
        // A helper corrects E2's record by hand without end; killed at some point, each stored value has its
        // entry and no entry is without its value.
        QProcess helper;
        helper.start(QCoreApplication::applicationDirPath() + "/helper_auditcrash",
                     {m_db->path(), "E2", ValueForms::showDate(kDay)});
        QVERIFY(helper.waitForStarted());
        int answered = 0;
        QTRY_VERIFY_WITH_TIMEOUT((answered += QString::fromLatin1(helper.readAllStandardOutput()).count('\n')) >= 50,
                                 20000);
        ::kill(pid_t(helper.processId()), SIGKILL);
        QVERIFY(helper.waitForFinished());
        const QTime stored =
            QTime::fromString(m_db->scalar("SELECT in1 FROM timesheet WHERE emp_id = 'E2'").toString(), "HH:mm:ss");
        const int corrections = QTime(0, 0).secsTo(stored);
        QVERIFY(corrections >= answered);
        QCOMPARE(m_db->scalar("SELECT count(*) FROM audit_change WHERE program = 'helper_auditcrash'").toInt(),
                 corrections);
        QCOMPARE(m_db->scalar("SELECT new_value FROM audit_value ORDER BY id DESC LIMIT 1").toString(),
                 stored.toString("HH:mm:ss"));
    }
};

QTEST_MAIN(TestAudit)
#include "test_audit.moc"
