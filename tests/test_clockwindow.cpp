#include "core/settings.h"
#include "server/punch/clockwindow.h"
#include "tests/support/fixedclock.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/tempdatabase.h"
#include "widgets/childwindows.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace {

const QDate kToday(2026, 3, 2);

struct ClockFixture
{
    TempDatabase db;
    FixedClock clock{QDateTime(kToday, QTime(8, 0, 0))};
    ScriptedDialogs dialogs;
    QPointer<ClockWindow> window;

    ClockFixture()
    {
        db.addEmployee(QStringLiteral("100"), QStringLiteral("Ann"), QStringLiteral("Lee"));
        db.addEmployee(QStringLiteral("200"), QStringLiteral("Bo"), QStringLiteral("Ek"));
    }
    ~ClockFixture() { delete window; }

    bool open()
    {
        window = ChildWindows::open<ClockWindow>(QStringLiteral("Clock"));
        return window;
    }
    QLineEdit* id() const { return window->findChild<QLineEdit*>(QStringLiteral("Text1")); }
    QString name() const { return window->findChild<QLabel*>(QStringLiteral("Label5"))->text(); }
    QString action() const { return window->findChild<QLabel*>(QStringLiteral("Label6"))->text(); }
    void punch(const QString& text)
    {
        id()->setFocus();
        QTest::keyClicks(id(), text);
        QTest::keyClick(id(), Qt::Key_Return);
    }
};

} // namespace

class TestClockWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void opensWithItsControls();
    void signInAndOutShowNameAndTime();
    void unknownIdAndEmptyEnter();
    void fullDayKeepsTheOtherEmployeesAction();
    void employeeAddedWhileOpenCanPunch();
    void databaseClosedAtLoad();
    void storeFailureIsSaidAndIdKept();
    void hoursAfterAPunchWhenSet();
};

// Off, the window is as it always was; on, the line below shows today's and the week's worked time.
void TestClockWindow::hoursAfterAPunchWhenSet()
{
    ClockFixture f;
    f.db.addTimesheet(QStringLiteral("100"), kToday.addDays(-1),
                      {QStringLiteral("08:00:00"), QStringLiteral("12:00:00")});
    QVERIFY(f.open());
    auto* hours = f.window->findChild<QLabel*>(QStringLiteral("Hours"));
    f.punch(QStringLiteral("100"));
    QVERIFY(!hours->isVisible());
    QCOMPARE(hours->text(), QString());

    QVERIFY(Settings::setValue(Settings::kShowHoursAfterPunch, QStringLiteral("1")));
    f.window->activated();
    QVERIFY(hours->isVisible());
    f.clock.advance(2 * 3600 + 15 * 60);
    f.punch(QStringLiteral("200")); // signs in while Ann's pair is still open
    QCOMPARE(hours->text(), QStringLiteral("Today 0:00, this week 0:00"));
    f.clock.advance(30 * 60);
    f.punch(QStringLiteral("100"));
    QCOMPARE(f.action(), QStringLiteral("Signed Out At 10:45:00"));
    QCOMPARE(hours->text(), QStringLiteral("Today 2:45, this week 6:45"));
}

void TestClockWindow::opensWithItsControls()
{
    ClockFixture f;
    QVERIFY(f.open());
    QCOMPARE(f.window->windowTitle(), QStringLiteral("Qorvil Clock System"));
    QCOMPARE(f.window->findChild<QLabel*>(QStringLiteral("Label2"))->text(), QStringLiteral("Employee ID"));
    QCOMPARE(f.window->findChild<QLabel*>(QStringLiteral("Label3"))->text(), QStringLiteral("Name "));
    QCOMPARE(f.window->findChild<QLabel*>(QStringLiteral("Label4"))->text(), QStringLiteral("Action "));
    QCOMPARE(f.window->findChild<QPushButton*>(QStringLiteral("PushButton1"))->text(),
             QStringLiteral("Close this Window"));
    QCOMPARE(f.name(), QString());
    QCOMPARE(f.action(), QString());
    auto* display = f.window->findChild<QLabel*>(QStringLiteral("Label1"));
    QCOMPARE(display->text(), QStringLiteral("03/02/2026 08:00:00"));
    QVERIFY(display->font().bold());
    // The display follows the clock.
    f.clock.advance(75);
    QTRY_COMPARE_WITH_TIMEOUT(display->text(), QStringLiteral("03/02/2026 08:01:15"), 3000);
    // The ID box has the focus when the window comes to the front.
    QVERIFY(QTest::qWaitForWindowActive(f.window));
    f.window->activated();
    QCOMPARE(QApplication::focusWidget(), f.id());
    // A second open brings the same window forward.
    QCOMPARE(ChildWindows::open<ClockWindow>(QStringLiteral("Clock")), f.window.data());
    // The window's own pointer over the close button, kept until the mouse passes over the ID frame.
    auto* close = f.window->findChild<QPushButton*>(QStringLiteral("PushButton1"));
    auto* frame = f.window->findChild<QGroupBox*>(QStringLiteral("GroupBox1"));
    QCOMPARE(f.window->cursor().shape(), Qt::ArrowCursor);
    QTest::mouseMove(close);
    QTRY_COMPARE(f.window->cursor().shape(), Qt::BitmapCursor);
    QTest::mouseMove(display);
    QCOMPARE(f.window->cursor().shape(), Qt::BitmapCursor);
    QTest::mouseMove(frame, QPoint(frame->width() / 2, frame->height() - 3));
    QTRY_COMPARE(f.window->cursor().shape(), Qt::ArrowCursor);
    // Enter on the focused close button closes the window, as Space does.
    close->setFocus();
    QTest::keyClick(close, Qt::Key_Return);
    QTRY_VERIFY(f.window.isNull());
}

void TestClockWindow::signInAndOutShowNameAndTime()
{
    ClockFixture f;
    QVERIFY(f.open());
    f.punch(QStringLiteral("100"));
    QCOMPARE(f.name(), QStringLiteral("Ann Lee"));
    QCOMPARE(f.action(), QStringLiteral("Signed In At 08:00:00"));
    QCOMPARE(f.id()->text(), QString());
    f.clock.advance(4 * 3600 + 5);
    f.punch(QStringLiteral("100"));
    QCOMPARE(f.action(), QStringLiteral("Signed Out At 12:00:05"));
    // Two employees in turn: the displays follow the latest punch.
    f.punch(QStringLiteral("200"));
    QCOMPARE(f.name(), QStringLiteral("Bo Ek"));
    QCOMPARE(f.action(), QStringLiteral("Signed In At 12:00:05"));
    QVERIFY(f.dialogs.boxes.isEmpty());
    QCOMPARE(f.db.scalar(QStringLiteral("select out1 from timesheet where emp_id = '100'")).toString(),
             QStringLiteral("12:00:05"));
}

void TestClockWindow::unknownIdAndEmptyEnter()
{
    ClockFixture f;
    QVERIFY(f.open());
    f.punch(QStringLiteral("100"));
    for (const QString& typed : {QStringLiteral("999"), QString(), QStringLiteral("ann")}) {
        f.dialogs.clear();
        f.punch(typed);
        QCOMPARE(f.dialogs.boxes.size(), 1);
        QCOMPARE(f.dialogs.last().text, QStringLiteral("No Record Found That Match Your ID"));
        QCOMPARE(f.dialogs.last().title, QStringLiteral("Record Not Found"));
        QCOMPARE(f.dialogs.last().icon, Dialogs::Icon::Exclamation);
        QCOMPARE(f.id()->text(), QString());
        QCOMPARE(f.name(), QStringLiteral("Ann Lee")); // displays unchanged
        QCOMPARE(f.action(), QStringLiteral("Signed In At 08:00:00"));
    }
    QCOMPARE(f.db.scalar(QStringLiteral("select count(*) from timesheet")).toInt(), 1);
}

void TestClockWindow::fullDayKeepsTheOtherEmployeesAction()
{
    ClockFixture f;
    f.db.addTimesheet(QStringLiteral("200"), kToday,
                      {t("01:00:00"), t("02:00:00"), t("03:00:00"), t("04:00:00"), t("05:00:00"), t("06:00:00")});
    QVERIFY(f.open());
    f.punch(QStringLiteral("100"));
    f.punch(QStringLiteral("200"));
    QCOMPARE(f.name(), QStringLiteral("Bo Ek"));
    QCOMPARE(f.action(), QStringLiteral("Signed In At 08:00:00"));
    QCOMPARE(f.id()->text(), QString());
    QVERIFY(f.dialogs.boxes.isEmpty());
}

void TestClockWindow::employeeAddedWhileOpenCanPunch()
{
    ClockFixture f;
    QVERIFY(f.open());
    f.db.addEmployee(QStringLiteral("300"), QStringLiteral("Cy"), QStringLiteral("Ng"));
    f.punch(QStringLiteral("300"));
    QVERIFY(f.dialogs.boxes.isEmpty());
    QCOMPARE(f.name(), QStringLiteral("Cy Ng"));
    QCOMPARE(f.action(), QStringLiteral("Signed In At 08:00:00"));
    QCOMPARE(f.db.scalar(QStringLiteral("select in1 from timesheet where emp_id = '300'")).toString(),
             QStringLiteral("08:00:00"));
}

void TestClockWindow::databaseClosedAtLoad()
{
    ClockFixture f;
    Database::close();
    QVERIFY(!f.open());
    QCOMPARE(f.dialogs.boxes.size(), 1);
    QCOMPARE(f.dialogs.last().text, QStringLiteral("Could not open database ..."));
    QCOMPARE(f.dialogs.last().title, QStringLiteral("Connection Failed"));
    QCOMPARE(f.dialogs.last().icon, Dialogs::Icon::Exclamation);
    QVERIFY(!ChildWindows::find(QStringLiteral("Clock")));
}

void TestClockWindow::storeFailureIsSaidAndIdKept()
{
    ClockFixture f;
    QVERIFY(f.open());
    f.db.setReadOnly(true);
    f.punch(QStringLiteral("100"));
    QCOMPARE(f.dialogs.boxes.size(), 1);
    QCOMPARE(f.dialogs.last().title, QStringLiteral("Punch Not Recorded"));
    QVERIFY(f.dialogs.last().text.startsWith(QStringLiteral("The punch was not recorded")));
    QCOMPARE(f.action(), QString()); // never "Signed In" for a punch that was not stored
    QCOMPARE(f.id()->text(), QStringLiteral("100"));
    f.db.setReadOnly(false);
    QTest::keyClick(f.id(), Qt::Key_Return);
    QCOMPARE(f.action(), QStringLiteral("Signed In At 08:00:00"));
}

QTEST_MAIN(TestClockWindow)
#include "test_clockwindow.moc"
