#include "core/audit/audittrail.h"
#include "core/punch/punchrules.h"
#include "core/valueforms.h"
#include "server/serverstate.h"
#include "server/timesheets/timesheeteditor.h"
#include "tests/support/fixedclock.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/tempdatabase.h"
#include "widgets/childwindows.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>
#include <memory>

namespace {

const QStringList kFieldNames = {QStringLiteral("In1"),   QStringLiteral("Out1"), QStringLiteral("In2"),
                                 QStringLiteral("Out2"),  QStringLiteral("In3"),  QStringLiteral("Out3"),
                                 QStringLiteral("EmpID"), QStringLiteral("rDate")};

const QString kMidnight = QStringLiteral("00:00:00");

const QDate kDay1(2026, 2, 27);
const QDate kDay2(2026, 3, 1);
const QDate kDay3(2026, 3, 2);

} // namespace

class TestTimesheetEditor : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TempDatabase> m_db;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<FixedClock> m_clock;
    TimesheetEditor* m_editor = nullptr;

    // Three rows in table order: E1 on day 1, E2 on day 2, E1 on day 3 (the fixed clock's today).
    void seedThreeRows()
    {
        m_db->addEmployee(QStringLiteral("E1"), QStringLiteral("Ann"), QStringLiteral("Lee"));
        m_db->addEmployee(QStringLiteral("E2"), QStringLiteral("Bob"), QStringLiteral("Kay"));
        m_db->addTimesheet(QStringLiteral("E1"), kDay1, {t("08:00:00"), t("12:00:00")});
        m_db->addTimesheet(QStringLiteral("E2"), kDay2, {t("09:00:00"), t("17:00:00"), t("18:00:00")});
        m_db->addTimesheet(QStringLiteral("E1"), kDay3, {t("07:30:00")});
    }

    TimesheetEditor* openEditor(const QString& empId = QString(), const QString& recDate = QString())
    {
        gEmpID = empId;
        gRecDate = recDate;
        m_editor = ChildWindows::open<TimesheetEditor>(QStringLiteral("AddTime"));
        return m_editor;
    }

    QLineEdit* field(const QString& name) const { return m_editor->findChild<QLineEdit*>(name); }
    QString text(const QString& name) const { return field(name)->text(); }
    QStringList texts() const
    {
        QStringList all;
        for (const QString& name : kFieldNames)
            all << text(name);
        return all;
    }
    QPushButton* button(int number) const
    {
        return m_editor->findChild<QPushButton*>(QStringLiteral("PushButton%1").arg(number));
    }
    void click(int number) { QTest::mouseClick(button(number), Qt::LeftButton); }
    void previous() { click(1); }
    void next() { click(2); }
    void newRecord() { click(3); }
    void save() { click(4); }
    void editOrUpdate() { click(5); }
    void deleteRecord() { click(6); }
    void searchOrFetch() { click(7); }

    void type(const QString& name, const QString& value)
    {
        field(name)->selectAll();
        QTest::keyClick(field(name), Qt::Key_Backspace);
        if (!value.isEmpty())
            QTest::keyClicks(field(name), value);
    }

    // Every row of the table in id order, as stored.
    QStringList storedRows() const
    {
        QStringList rows;
        for (const QVariantList& values : TempDatabase::rows(
                 QStringLiteral("select emp_id, rsdate, in1, out1, in2, out2, in3, out3 from timesheet order by id"))) {
            QStringList row;
            for (const QVariant& value : values)
                row << (value.isNull() ? QStringLiteral("<null>") : value.toString());
            rows << row.join(QLatin1Char('|'));
        }
        return rows;
    }

    // The last box as "text / title / icon".
    QString lastBox() const
    {
        const auto& box = m_dialogs->last();
        const char* icons[] = {"none", "information", "exclamation", "question"};
        return box.text + QStringLiteral(" / ") + box.title + QStringLiteral(" / ") +
               QLatin1String(icons[int(box.icon)]);
    }

    bool allLocked() const
    {
        for (const QString& name : kFieldNames)
            if (!field(name)->isReadOnly())
                return false;
        return true;
    }

    void search(const QString& empId, const QString& date)
    {
        searchOrFetch();
        type(QStringLiteral("EmpID"), empId);
        type(QStringLiteral("rDate"), date);
        searchOrFetch();
    }

private Q_SLOTS:
    void init()
    {
        m_db = std::make_unique<TempDatabase>();
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_clock = std::make_unique<FixedClock>(QDateTime(kDay3, QTime(13, 0, 0)));
        m_editor = nullptr;
    }

    void cleanup()
    {
        delete m_editor;
        m_editor = nullptr;
        gEmpID.clear();
        gRecDate.clear();
        m_clock.reset();
        m_dialogs.reset();
        m_db.reset();
    }

    void loadShowsTheHandedRow_data()
    {
        QTest::addColumn<QString>("empId");
        QTest::addColumn<QString>("recDate");
        QTest::addColumn<QStringList>("shown");

        const QStringList nothing(8, QString());
        QTest::newRow("the row") << "E2"
                                 << "03/01/2026"
                                 << QStringList{"09:00:00", "17:00:00", "18:00:00", "", "", "", "E2", "03/01/2026"};
        QTest::newRow("Add right after start") << ""
                                               << "" << nothing;
        QTest::newRow("ID in other letters") << "e2"
                                             << "03/01/2026" << nothing;
        QTest::newRow("date not in the shown form") << "E2"
                                                    << "3/1/2026" << nothing;
        QTest::newRow("ISO date") << "E2"
                                  << "2026-03-01" << nothing;
    }

    void loadShowsTheHandedRow()
    {
        QFETCH(QString, empId);
        QFETCH(QString, recDate);
        QFETCH(QStringList, shown);
        seedThreeRows();
        QVERIFY(openEditor(empId, recDate));
        QCOMPARE(m_editor->windowTitle(), QStringLiteral("Add/Edit/Delete Timesheet"));
        QCOMPARE(texts(), shown);
        QVERIFY(allLocked());
        QVERIFY(!button(4)->isEnabled());
        QVERIFY(!m_editor->isEditing());
        QVERIFY(!m_editor->isSearching());
        QVERIFY(m_dialogs->boxes.isEmpty());
    }

    void twoRowsWithTheSameEmployeeAndDateTakeTheFirst()
    {
        seedThreeRows();
        m_db->addTimesheet(QStringLiteral("E2"), kDay2, {t("06:00:00")});
        QVERIFY(openEditor(QStringLiteral("E2"), QStringLiteral("03/01/2026")));
        QCOMPARE(text("In1"), QStringLiteral("09:00:00"));

        search(QStringLiteral("E1"), QStringLiteral("02/27/2026"));
        search(QStringLiteral("E2"), QStringLiteral("03/01/2026"));
        QCOMPARE(text("In1"), QStringLiteral("09:00:00"));
        // The current row is the first of the two; the second comes later in the table.
        next();
        QCOMPARE(text("In1"), QStringLiteral("07:30:00"));
        next();
        QCOMPARE(text("In1"), QStringLiteral("06:00:00"));
    }

    void nextAndPreviousStopAtTheEnds()
    {
        seedThreeRows();
        QVERIFY(openEditor(QStringLiteral("E2"), QStringLiteral("03/01/2026")));
        next();
        QCOMPARE(text("rDate"), QStringLiteral("03/02/2026"));
        QVERIFY(m_dialogs->boxes.isEmpty());

        next();
        QCOMPARE(m_dialogs->boxes.size(), 1);
        QCOMPARE(lastBox(), QStringLiteral("This is the Last Record / EOF Reached / exclamation"));
        QCOMPARE(text("rDate"), QStringLiteral("03/02/2026"));

        // The last row stayed current: one step back is the middle row.
        previous();
        QCOMPARE(text("rDate"), QStringLiteral("03/01/2026"));
        previous();
        QCOMPARE(text("rDate"), QStringLiteral("02/27/2026"));
        QCOMPARE(text("In1"), QStringLiteral("08:00:00"));
        QCOMPARE(text("In2"), QString());

        previous();
        QCOMPARE(m_dialogs->boxes.size(), 2);
        QCOMPARE(lastBox(), QStringLiteral("This is the First Record / BOF Reached / exclamation"));
        QCOMPARE(text("rDate"), QStringLiteral("02/27/2026"));
        next();
        QCOMPARE(text("rDate"), QStringLiteral("03/01/2026"));
        QVERIFY(allLocked());
    }

    void aFailedSearchLeavesTheCriteriaOpen()
    {
        seedThreeRows();
        QVERIFY(openEditor(QStringLiteral("E1"), QStringLiteral("02/27/2026")));
        searchOrFetch();
        QCOMPARE(button(7)->text(), QStringLiteral("Fetch"));
        QVERIFY(m_editor->isSearching());
        QVERIFY(!field(QStringLiteral("EmpID"))->isReadOnly());
        QVERIFY(!field(QStringLiteral("rDate"))->isReadOnly());
        QVERIFY(field(QStringLiteral("In1"))->isReadOnly());
        type(QStringLiteral("EmpID"), QStringLiteral("E9"));
        type(QStringLiteral("rDate"), QStringLiteral("03/02/2026"));
        searchOrFetch();

        QCOMPARE(m_dialogs->boxes.size(), 1);
        QCOMPARE(lastBox(), QStringLiteral("No Matching Record Found / Re-Enter Filter Criteria / exclamation"));
        QCOMPARE(button(7)->text(), QStringLiteral("Search"));
        QVERIFY(!m_editor->isSearching());
        QVERIFY(!field(QStringLiteral("EmpID"))->isReadOnly());
        QVERIFY(!field(QStringLiteral("rDate"))->isReadOnly());
        QCOMPARE(text("EmpID"), QStringLiteral("E9"));

        // After the last row: Next has nothing to go to, Previous comes back to the last row.
        next();
        QCOMPARE(m_dialogs->last().text, QStringLiteral("This is the Last Record"));
        previous();
        QCOMPARE(m_dialogs->boxes.size(), 2);
        QCOMPARE(texts(), (QStringList{"07:30:00", "", "", "", "", "", "E1", "03/02/2026"}));

        searchOrFetch();
        QCOMPARE(button(7)->text(), QStringLiteral("Fetch"));
    }

    void searchFindsOnlyTheShownDateForm_data()
    {
        QTest::addColumn<QString>("empId");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("in1"); // empty when nothing is found

        QTest::newRow("shown form") << "E2"
                                    << "03/01/2026"
                                    << "09:00:00";
        QTest::newRow("other row") << "E1"
                                   << "02/27/2026"
                                   << "08:00:00";
        QTest::newRow("without leading zeros") << "E2"
                                               << "3/1/2026"
                                               << "";
        QTest::newRow("ISO form") << "E2"
                                  << "2026-03-01"
                                  << "";
        QTest::newRow("the hint") << "E2"
                                  << "MM/DD/YYYY"
                                  << "";
        QTest::newRow("ID in other letters") << "e2"
                                             << "03/01/2026"
                                             << "";
        QTest::newRow("ID and date of different rows") << "E2"
                                                       << "03/02/2026"
                                                       << "";
    }

    void searchFindsOnlyTheShownDateForm()
    {
        QFETCH(QString, empId);
        QFETCH(QString, date);
        QFETCH(QString, in1);
        seedThreeRows();
        QVERIFY(openEditor(QStringLiteral("E1"), QStringLiteral("03/02/2026")));
        search(empId, date);
        QCOMPARE(text("EmpID"), empId);
        QCOMPARE(text("rDate"), date);
        if (in1.isEmpty()) {
            QCOMPARE(m_dialogs->texts(), QStringList{QStringLiteral("No Matching Record Found")});
            return;
        }
        QVERIFY(m_dialogs->boxes.isEmpty());
        QCOMPARE(text("In1"), in1);
        QVERIFY(field(QStringLiteral("EmpID"))->isReadOnly());
        QVERIFY(field(QStringLiteral("rDate"))->isReadOnly());
    }

    void searchInAnEmptyTableFindsNothing()
    {
        QVERIFY(openEditor());
        search(QString(), QString());
        QCOMPARE(m_dialogs->texts(), QStringList{QStringLiteral("No Matching Record Found")});
        next();
        previous();
        QCOMPARE(m_dialogs->texts(),
                 (QStringList{QStringLiteral("No Matching Record Found"), QStringLiteral("This is the Last Record"),
                              QStringLiteral("This is the First Record")}));
    }

    void updateWritesAtOnceAndLeavesFreeSlotsFree()
    {
        seedThreeRows();
        QVERIFY(openEditor(QStringLiteral("E1"), QStringLiteral("03/02/2026")));
        editOrUpdate();
        QCOMPARE(button(5)->text(), QStringLiteral("Update"));
        QVERIFY(m_editor->isEditing() && !field(QStringLiteral("rDate"))->isReadOnly());
        type(QStringLiteral("In1"), QStringLiteral("8:05:00"));
        type(QStringLiteral("Out1"), QStringLiteral("12:00:00"));
        type(QStringLiteral("In3"), kMidnight);
        editOrUpdate();
        QVERIFY(m_dialogs->boxes.isEmpty());
        QCOMPARE(button(5)->text(), QStringLiteral("Edit"));
        QVERIFY(!m_editor->isEditing() && allLocked());
        // Written at once, not only when the editor moves on. The slots that were free and left blank stay
        // free; a typed midnight is midnight.
        QCOMPARE(storedRows().at(2), QStringLiteral("E1|2026-03-02|08:05:00|12:00:00|<null>|<null>|00:00:00|<null>"));
        QCOMPARE(texts(), (QStringList{"08:05:00", "12:00:00", "", "", kMidnight, "", "E1", "03/02/2026"}));
        // So the afternoon's punch is recorded in the next free slot.
        QCOMPARE(Punch::recordFromTerminal(QStringLiteral("E1")).outcome, PunchResult::Outcome::SignedIn);
        QCOMPARE(storedRows().at(2), QStringLiteral("E1|2026-03-02|08:05:00|12:00:00|13:00:00|<null>|00:00:00|<null>"));

        // Emptying a box that held a punch keeps the slot used, as midnight; moving the row takes the typed
        // employee and date.
        editOrUpdate();
        type(QStringLiteral("Out1"), QString());
        type(QStringLiteral("EmpID"), QStringLiteral("E2"));
        type(QStringLiteral("rDate"), QStringLiteral("3/3/2026"));
        editOrUpdate();
        QCOMPARE(storedRows().at(2), QStringLiteral("E2|2026-03-03|08:05:00|00:00:00|13:00:00|<null>|00:00:00|<null>"));
        QCOMPARE(storedRows().size(), 3);
    }

    void saveWithEveryFieldEmpty()
    {
        seedThreeRows();
        QVERIFY(openEditor(QStringLiteral("E2"), QStringLiteral("03/01/2026")));
        const QStringList before = storedRows();
        QVERIFY(!button(4)->isEnabled());
        newRecord();
        QCOMPARE(texts(), (QStringList{"", "", "", "", "", "", "", "MM/DD/YYYY"}));
        QVERIFY(button(4)->isEnabled() && !field(QStringLiteral("In1"))->isReadOnly());
        QCOMPARE(storedRows(), before);

        for (const QString& name : kFieldNames)
            type(name, QString());
        save();
        QVERIFY(m_dialogs->boxes.isEmpty());
        QCOMPARE(storedRows(),
                 before + QStringList{QStringLiteral("|2026-03-02|<null>|<null>|<null>|<null>|<null>|<null>")});
        QVERIFY(!button(4)->isEnabled() && allLocked());
        QCOMPARE(text("rDate"), QStringLiteral("03/02/2026"));
        // The new row is current, at the end of the set.
        next();
        QCOMPARE(m_dialogs->texts(), QStringList{QStringLiteral("This is the Last Record")});
        previous();
        QCOMPARE(text("In1"), QStringLiteral("07:30:00"));
    }

    // The editor reads ids at open and a row when it becomes current: the set must still act as a snapshot.
    void othersChangesAndReusedIds()
    {
        seedThreeRows();
        QVERIFY(openEditor(QStringLiteral("E1"), QStringLiteral("02/27/2026")));
        m_db->exec(QStringLiteral("delete from timesheet where emp_id = 'E2'"));
        m_db->addTimesheet(QStringLiteral("E3"), kDay3, {t("11:00:00")});
        next();
        QCOMPARE(text("rDate"), QStringLiteral("03/02/2026"));
        search(QStringLiteral("E3"), QStringLiteral("03/02/2026"));
        QCOMPARE(m_dialogs->texts(), QStringList{QStringLiteral("No Matching Record Found")});
        QCOMPARE(m_editor->records().recordCount(), 2);

        // After deletes, a saved row may get an id that the set already held for a deleted row.
        m_dialogs->clear();
        m_db->exec(QStringLiteral("delete from timesheet where emp_id = 'E3'"));
        search(QStringLiteral("E1"), QStringLiteral("03/02/2026"));
        m_dialogs->queueAnswer(Dialogs::Answer::Yes);
        deleteRecord();
        newRecord();
        type(QStringLiteral("EmpID"), QStringLiteral("E4"));
        type(QStringLiteral("rDate"), QStringLiteral("03/04/2026"));
        save();
        previous();
        QCOMPARE(text("rDate"), QStringLiteral("02/27/2026"));
        search(QStringLiteral("E4"), QStringLiteral("03/04/2026"));
        QCOMPARE(m_dialogs->texts(), QStringList{QStringLiteral("Are You Sure to Delete This Time Record")});
        next();
        QCOMPARE(m_dialogs->last().text, QStringLiteral("This is the Last Record"));
        QCOMPARE(m_editor->records().recordCount(), 2);
    }

    void unreadableTextIsRefused_data()
    {
        QTest::addColumn<bool>("saving"); // Save after New, or Update of the current row
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("mentioned");

        QTest::newRow("save, untouched date hint") << true << "rDate"
                                                   << "MM/DD/YYYY"
                                                   << "in place of MM/DD/YYYY";
        QTest::newRow("save, hour 25") << true << "Out1"
                                       << "25:00:00"
                                       << "\"25:00:00\" in Out 1";
        QTest::newRow("save, no seconds") << true << "In3"
                                          << "8:30"
                                          << "\"8:30\" in In 3";
        QTest::newRow("save, day 45") << true << "rDate"
                                      << "13/45/2026"
                                      << "\"13/45/2026\" in Date";
        QTest::newRow("update, words") << false << "In2"
                                       << "noon"
                                       << "\"noon\" in In 2";
        QTest::newRow("update, date hint") << false << "rDate"
                                           << "MM/DD/YYYY"
                                           << "in place of MM/DD/YYYY";
        QTest::newRow("update, February 30") << false << "rDate"
                                             << "02/30/2026"
                                             << "\"02/30/2026\" in Date";
    }

    void unreadableTextIsRefused()
    {
        QFETCH(bool, saving);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, mentioned);
        seedThreeRows();
        QVERIFY(openEditor(QStringLiteral("E2"), QStringLiteral("03/01/2026")));
        const QStringList before = storedRows();
        if (saving) {
            newRecord();
            type(QStringLiteral("EmpID"), QStringLiteral("E1"));
            if (field != QStringLiteral("rDate"))
                type(QStringLiteral("rDate"), QStringLiteral("03/02/2026"));
        } else {
            editOrUpdate();
        }
        if (typed != text(field))
            type(field, typed);
        const QStringList typedTexts = texts();
        // While the refusal is up the editor must not look as if the record was stored.
        bool openWhileShown = false;
        m_dialogs->onShow = [&](const ScriptedDialogs::Box&) {
            openWhileShown = !this->field(field)->isReadOnly() && (!saving || button(4)->isEnabled());
        };
        saving ? save() : editOrUpdate();
        m_dialogs->onShow = nullptr;

        QCOMPARE(m_dialogs->boxes.size(), 1);
        QVERIFY(openWhileShown);
        QVERIFY2(m_dialogs->last().text.contains(mentioned), qPrintable(m_dialogs->last().text));
        QVERIFY(m_dialogs->last().text.contains(saving ? QStringLiteral("Nothing was saved.")
                                                       : QStringLiteral("Nothing was changed.")));
        QCOMPARE(m_dialogs->last().icon, Dialogs::Icon::Exclamation);
        QCOMPARE(storedRows(), before);
        // The editor goes on with what was typed, ready for a correction.
        QCOMPARE(texts(), typedTexts);
        QVERIFY(!this->field(field)->isReadOnly());
        if (saving)
            QVERIFY(button(4)->isEnabled());
        else
            QCOMPARE(button(5)->text(), QStringLiteral("Update"));

        // Corrected, it goes through.
        type(field, field == QStringLiteral("rDate") ? QStringLiteral("03/05/2026") : QStringLiteral("12:00:00"));
        saving ? save() : editOrUpdate();
        QCOMPARE(m_dialogs->boxes.size(), 1);
        QCOMPARE(storedRows().size(), saving ? 4 : 3);
        QVERIFY(allLocked());
    }

    void updateAndDeleteWithoutACurrentRowChangeNothing_data()
    {
        QTest::addColumn<bool>("afterSearch"); // or nothing matched at load
        QTest::newRow("nothing matched at load") << false;
        QTest::newRow("after a failed search") << true;
    }

    void updateAndDeleteWithoutACurrentRowChangeNothing()
    {
        QFETCH(bool, afterSearch);
        seedThreeRows();
        QVERIFY(openEditor(afterSearch ? QStringLiteral("E1") : QStringLiteral("E7"), QStringLiteral("03/02/2026")));
        if (afterSearch)
            search(QStringLiteral("E7"), QStringLiteral("03/02/2026"));
        m_dialogs->clear();
        const QStringList before = storedRows();

        editOrUpdate();
        type(QStringLiteral("In1"), QStringLiteral("06:00:00"));
        editOrUpdate();
        QCOMPARE(m_dialogs->boxes.size(), 1);
        QVERIFY(m_dialogs->last().text.startsWith(QStringLiteral("There is no current time record to update.")));
        QCOMPARE(storedRows(), before);

        m_dialogs->queueAnswer(Dialogs::Answer::Yes);
        deleteRecord();
        QCOMPARE(m_dialogs->boxes.size(), 2);
        QVERIFY(m_dialogs->last().text.startsWith(QStringLiteral("There is no current time record to delete.")));
        QCOMPARE(m_dialogs->last().buttons, Dialogs::Buttons::Ok);
        QCOMPARE(storedRows(), before);
    }

    void deleteAsksFirst_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("Yes") << true;
        QTest::newRow("No") << false;
    }

    void deleteAsksFirst()
    {
        QFETCH(bool, yes);
        seedThreeRows();
        QVERIFY(openEditor(QStringLiteral("E2"), QStringLiteral("03/01/2026")));
        const QStringList before = storedRows();
        const QStringList shown = texts();
        m_dialogs->queueAnswer(yes ? Dialogs::Answer::Yes : Dialogs::Answer::No);
        deleteRecord();
        QCOMPARE(m_dialogs->boxes.size(), 1);
        QCOMPARE(lastBox(),
                 QStringLiteral("Are You Sure to Delete This Time Record / Warning! Deletion in Progress / none"));
        QCOMPARE(m_dialogs->last().buttons, Dialogs::Buttons::YesNo);
        QCOMPARE(texts(), shown);
        if (!yes) {
            QCOMPARE(storedRows(), before);
            return;
        }
        QCOMPARE(storedRows(), (QStringList{before.at(0), before.at(2)}));
        // Moves go on from the deleted row's place, in both directions.
        next();
        QCOMPARE(text("rDate"), QStringLiteral("03/02/2026"));
        previous();
        QCOMPARE(text("rDate"), QStringLiteral("02/27/2026"));
        QCOMPARE(m_dialogs->boxes.size(), 1);
    }

    void refusesToOpenWithoutTheDatabase()
    {
        Database::close();
        QVERIFY(!openEditor());
        QCOMPARE(m_dialogs->boxes.size(), 1);
        QCOMPARE(lastBox(), QStringLiteral("Could not open database ... / Connection Failed / exclamation"));
        QVERIFY(!ChildWindows::find(QStringLiteral("AddTime")));
    }

    void enterMovesOnWithoutActing()
    {
        seedThreeRows();
        QVERIFY(openEditor(QStringLiteral("E1"), QStringLiteral("03/02/2026")));
        editOrUpdate();
        const QStringList before = storedRows();
        field(QStringLiteral("In1"))->setFocus();
        type(QStringLiteral("In1"), QStringLiteral("09:09:09"));
        QTest::keyClick(field(QStringLiteral("In1")), Qt::Key_Return);
        QCOMPARE(m_editor->focusWidget(), field(QStringLiteral("Out1")));
        field(QStringLiteral("rDate"))->setFocus();
        QTest::keyClick(field(QStringLiteral("rDate")), Qt::Key_Return);
        QCOMPARE(m_editor->focusWidget(), button(5));
        QVERIFY(m_editor->isEditing());
        QCOMPARE(storedRows(), before);
    }

    // A year of punches for three hundred employees, about a hundred thousand rows.
    void opensAYearOfRowsWithoutAWait()
    {
        const int employees = 300;
        const int days = 334;
        const AuditTrail::PunchWrites punches(gConn); // punched, so not in the audit trail
        QVERIFY(gConn.transaction());
        QSqlQuery insert(gConn);
        QVERIFY(insert.prepare(QStringLiteral(
            "insert into timesheet (emp_id, rsdate, in1, out1, in2, out2) values (?, ?, '08:00:00', '12:00:00', "
            "'12:30:00', '17:00:00')")));
        const QDate first(2025, 3, 1);
        for (int d = 0; d < days; ++d) {
            for (int e = 0; e < employees; ++e) {
                insert.addBindValue(QStringLiteral("E%1").arg(e, 3, 10, QLatin1Char('0')));
                insert.addBindValue(first.addDays(d).toString(Qt::ISODate));
                QVERIFY(insert.exec());
            }
        }
        QVERIFY(gConn.commit());
        const int rows = employees * days;

        // The plain snapshot of the whole table, for comparison.
        QElapsedTimer timer;
        timer.start();
        RecordSet whole;
        QVERIFY(whole.open(QStringLiteral("Select * from TimeSheet")));
        const qint64 wholeMs = timer.elapsed();
        QCOMPARE(whole.recordCount(), rows);
        whole.close();

        timer.restart();
        QVERIFY(openEditor(QStringLiteral("E150"), ValueForms::showDate(first.addDays(200))));
        const qint64 openMs = timer.elapsed();
        QCOMPARE(text("EmpID"), QStringLiteral("E150"));
        QCOMPARE(text("rDate"), ValueForms::showDate(first.addDays(200)));
        QCOMPARE(m_editor->records().recordCount(), rows);

        timer.restart();
        search(QStringLiteral("E299"), ValueForms::showDate(first.addDays(days - 1)));
        const qint64 searchMs = timer.elapsed();
        QCOMPARE(text("In1"), QStringLiteral("08:00:00"));
        next();
        QCOMPARE(m_dialogs->texts(), QStringList{QStringLiteral("This is the Last Record")});

        qInfo("%d rows: editor opened in %lld ms, search in %lld ms (whole table read: %lld ms)", rows, openMs,
              searchMs, wholeMs);
        // Measured against reading the whole table in the same run, so a busy machine does not fail it;
        // absolute figures come from the benchmarks.
        QVERIFY2(openMs < wholeMs / 4 + 100, qPrintable(QStringLiteral("opening took %1 ms").arg(openMs)));
        QVERIFY2(searchMs < wholeMs / 4 + 100, qPrintable(QStringLiteral("searching took %1 ms").arg(searchMs)));
    }
};

QTEST_MAIN(TestTimesheetEditor)
#include "test_timesheeteditor.moc"
