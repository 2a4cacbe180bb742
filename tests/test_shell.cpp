#include "core/store/database.h"
#include "server/serverstate.h"
#include "server/shell/commands.h"
#include "server/shell/lockstate.h"
#include "server/shell/mainwindow.h"
#include "server/shell/startup.h"
#include "tests/support/mainwindowfixture.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/tempdatabase.h"
#include "widgets/childwindows.h"
#include "widgets/formwindow.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <memory>

using Commands::Id;

namespace {

QMenu* menuNamed(MainWindow& window, const QString& caption)
{
    for (QAction* action : window.menuBar()->actions())
        if (action->text() == caption)
            return action->menu();
    return nullptr;
}

// Every command the locked state decides, and those it must leave usable.
const QList<int> kAdministrative = {Commands::TimeSheets,       Commands::NewEmployee,    Commands::ChangeAdminPassword,
                                    Commands::PayrollReports,   Commands::EmployeeTable,  Commands::ChangeEmployeeId,
                                    Commands::AuditTrail,       Commands::ClosePayPeriod, Commands::ReopenPayPeriod,
                                    Commands::AllowedTerminals, Commands::TerminalKey,    Commands::Exceptions,
                                    Commands::PayrollExport};
const QList<int> kAlwaysOpen = {Commands::Terminals, Commands::Exit, Commands::LogIn,        Commands::Clock,
                                Commands::Lock,      Commands::Help, Commands::Manual,       Commands::About,
                                Commands::Cascade,   Commands::Tile, Commands::ArrangeIcons, Commands::StatusBar,
                                Commands::Toolbars};
const QList<int> kClipboard = {Commands::Undo, Commands::Cut, Commands::Copy, Commands::Paste};

// Receives the documents the desktop is asked to open, instead of starting a viewer.
class OpenedUrls : public QObject
{
    Q_OBJECT
public:
    OpenedUrls() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~OpenedUrls() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QList<QUrl> urls;
public Q_SLOTS:
    void open(const QUrl& url) { urls << url; }
};

} // namespace

class TestShell : public QObject, MainWindowFixture
{
    Q_OBJECT

private:
    void logIn(const QString& password = QStringLiteral("admin"))
    {
        window().executeCommand(Commands::LogIn);
        FormWindow* login = ChildWindows::find(QStringLiteral("LogIn"));
        QVERIFY(login);
        auto* field = login->findChild<QLineEdit*>(QStringLiteral("Text1"));
        field->clear();
        QTest::keyClicks(field, password);
        QTest::mouseClick(login->findChild<QPushButton*>(QStringLiteral("PushButton1")), Qt::LeftButton);
    }

    void checkStates(bool locked)
    {
        for (int id : kAdministrative + kAlwaysOpen + kClipboard) {
            QAction* action = window().action(id);
            QVERIFY2(action, qPrintable(QString::number(id)));
            const bool expected = kAdministrative.contains(id) ? !locked : !kClipboard.contains(id);
            QVERIFY2(action->isEnabled() == expected, qPrintable(QStringLiteral("command %1").arg(id)));
            // The toolbar shows the same state as the menus.
            if (auto* button = qobject_cast<QToolButton*>(window().standardToolBar()->widgetForAction(action)))
                QVERIFY2(button->isEnabled() == expected, qPrintable(QStringLiteral("button %1").arg(id)));
        }
    }

private Q_SLOTS:
    void init() { QVERIFY(setUp()); }
    void cleanup() { tearDown(); }

    // Each entry of the menus and the toolbar is its command's one action, so every route to a command runs it
    // and follows the lock; no menu is empty and every button has an icon.
    void menusAndToolbarRunTheirCommands()
    {
        QCOMPARE(window().windowTitle(), QStringLiteral("Qorvil Clock System"));
        QList<QAction*> entries = window().standardToolBar()->actions();
        for (QAction* menu : window().menuBar()->actions()) {
            QVERIFY2(menu->menu() && !menu->menu()->isEmpty(), qPrintable(menu->text()));
            entries += menu->menu()->actions();
        }
        for (QAction* entry : std::as_const(entries)) {
            if (!entry->isSeparator())
                QVERIFY2(window().action(entry->data().toInt()) == entry, qPrintable(entry->text()));
        }
        for (QAction* action : window().standardToolBar()->actions())
            QVERIFY2(!action->icon().isNull(), qPrintable(action->text()));
    }

    void commandStatesFollowTheLock()
    {
        QVERIFY(gLocked);
        checkStates(true);
        QCOMPARE(window().statusBar()->findChild<QLabel*>(QStringLiteral("LockIndicator"))->text(),
                 QStringLiteral("Locked"));

        logIn();
        QVERIFY(!gLocked);
        checkStates(false);

        window().action(Commands::Lock)->trigger();
        QVERIFY(gLocked);
        checkStates(true);

        // A second Lock changes nothing; a second login opens the commands again.
        window().action(Commands::Lock)->trigger();
        checkStates(true);
        logIn();
        checkStates(false);
    }

    void clipboardKeysStillWorkInsideChildWindows()
    {
        // The disabled Edit items carry Ctrl+X/C/V/Z; they must not take those keys from a text box.
        window().action(Commands::Clock)->trigger();
        auto* id = ChildWindows::find(QStringLiteral("Clock"))->findChild<QLineEdit*>(QStringLiteral("Text1"));
        QTest::keyClicks(id, "E-1042");
        QTest::keyClick(id, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(id, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(id->text(), QString());
        QTest::keyClick(id, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(id, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(id->text(), QStringLiteral("E-1042E-1042"));
        QTest::keyClick(id, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(id->text(), QStringLiteral("E-1042"));
    }

    void lockedCommandsDoNothingWhenAskedDirectly()
    {
        window().executeCommand(Commands::ChangeAdminPassword);
        QVERIFY(!ChildWindows::find(QStringLiteral("AdminPass")));
        logIn();
        window().executeCommand(Commands::ChangeAdminPassword);
        QVERIFY(ChildWindows::find(QStringLiteral("AdminPass")));
    }

    void windowsOpenedWhileUnlockedStayUsableAfterLock()
    {
        logIn();
        window().action(Commands::ChangeAdminPassword)->trigger();
        QPointer<FormWindow> pass = ChildWindows::find(QStringLiteral("AdminPass"));
        QVERIFY(pass);
        window().action(Commands::Lock)->trigger();
        QVERIFY(pass);
        QVERIFY(pass->isVisible());
        QVERIFY(pass->isEnabled());

        QTest::keyClicks(pass->findChild<QLineEdit*>("Text1"), "admin");
        QTest::keyClicks(pass->findChild<QLineEdit*>("Text2"), "n3w");
        QTest::keyClicks(pass->findChild<QLineEdit*>("Text3"), "n3w");
        m_dialogs->clear();
        QTest::mouseClick(pass->findChild<QPushButton*>("PushButton1"), Qt::LeftButton);
        QCOMPARE(m_dialogs->last().text, QStringLiteral("Admin Password Updated"));
        QVERIFY(gLocked);
    }

    void oneWindowPerKind()
    {
        window().action(Commands::Clock)->trigger();
        QPointer<FormWindow> clock = ChildWindows::find(QStringLiteral("Clock"));
        QVERIFY(clock);
        window().action(Commands::About)->trigger();
        QCOMPARE(window().area()->activeSubWindow()->widget()->objectName(), QStringLiteral("About"));

        // Chosen again: the same window, brought forward.
        window().action(Commands::Clock)->trigger();
        QCOMPARE(window().area()->subWindowList().size(), 2);
        QCOMPARE(ChildWindows::find(QStringLiteral("Clock")), clock.data());
        QCOMPARE(window().area()->activeSubWindow()->widget(), clock.data());
        QVERIFY(clock->parentWidget()->isVisible());
        // A maximised window asked for again stays maximised; it is only brought forward.
        ChildWindows::frameOf(clock)->showMaximized();
        window().action(Commands::About)->trigger();
        window().action(Commands::Clock)->trigger();
        QVERIFY(ChildWindows::frameOf(clock)->isMaximized());
        QCOMPARE(window().area()->activeSubWindow(), ChildWindows::frameOf(clock));

        // Closed: the next command loads a new one.
        clock->closeWindow();
        QTRY_VERIFY(!clock);
        window().action(Commands::Clock)->trigger();
        FormWindow* again = ChildWindows::find(QStringLiteral("Clock"));
        QVERIFY(again);
        QCOMPARE(window().area()->subWindowList().size(), 2);
    }

    // Each administrative command opens its own window inside the main window, once logged in.
    void administrativeCommandsOpenTheirWindows_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title");
        QTest::newRow("Time Sheets") << int(Commands::TimeSheets) << "Timesheets"
                                     << "Employee Timesheets";
        QTest::newRow("New Employee") << int(Commands::NewEmployee) << "Employee"
                                      << "Employee Form/Records";
        QTest::newRow("Payroll Reports") << int(Commands::PayrollReports) << "Payroll"
                                         << "Payroll Report";
        QTest::newRow("Exceptions") << int(Commands::Exceptions) << "Exceptions"
                                    << "Exceptions";
        QTest::newRow("Employee Table") << int(Commands::EmployeeTable) << "EmpTable"
                                        << "Employee Table";
        QTest::newRow("Change Employee ID") << int(Commands::ChangeEmployeeId) << "SearchID"
                                            << "Search Employee";
        QTest::newRow("Terminals") << int(Commands::Terminals) << "Terminals"
                                   << "Terminals Connected";
        QTest::newRow("Allowed Terminals") << int(Commands::AllowedTerminals) << "AllowedTerminals"
                                           << "Allowed Terminals";
        QTest::newRow("Terminal Key") << int(Commands::TerminalKey) << "TerminalKey"
                                      << "Terminal Key";
    }

    void administrativeCommandsOpenTheirWindows()
    {
        QFETCH(int, id);
        QFETCH(QString, name);
        QFETCH(QString, title);
        if (id != Commands::Terminals) {
            window().executeCommand(id); // locked: nothing opens
            QVERIFY(!ChildWindows::find(name));
            logIn();
        }
        window().executeCommand(id);
        FormWindow* opened = ChildWindows::find(name);
        QVERIFY(opened);
        QCOMPARE(opened->windowTitle(), title);
        QVERIFY(window().area()->subWindowList().contains(qobject_cast<QMdiSubWindow*>(opened->parentWidget())));
        window().executeCommand(id);
        QCOMPARE(ChildWindows::find(name), opened);
    }

    // A window whose first read fails says so, instead of opening with empty boxes.
    void windowsSayWhenTheirFirstReadFails_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("what");
        QTest::newRow("employee record") << int(Commands::NewEmployee) << "Employee"
                                         << "Employee"
                                         << "The employees";
        QTest::newRow("search") << int(Commands::ChangeEmployeeId) << "SearchID"
                                << "Employee"
                                << "The employees";
        QTest::newRow("payroll") << int(Commands::PayrollReports) << "Payroll"
                                 << "Employee"
                                 << "The employees";
        QTest::newRow("admin password") << int(Commands::ChangeAdminPassword) << "AdminPass"
                                        << "admin"
                                        << "The administrator password";
        QTest::newRow("log-in") << int(Commands::LogIn) << "LogIn"
                                << "admin"
                                << "The administrator password";
    }

    void windowsSayWhenTheirFirstReadFails()
    {
        QFETCH(int, id);
        QFETCH(QString, name);
        QFETCH(QString, table);
        QFETCH(QString, what);
        LockState::set(false);
        m_db->exec(QStringLiteral("ALTER TABLE %1 RENAME TO %1_elsewhere").arg(table));
        window().executeCommand(id);
        QCOMPARE(m_dialogs->boxes.size(), 1);
        QVERIFY2(m_dialogs->last().text.startsWith(what + QStringLiteral(" could not be read: ")),
                 qPrintable(m_dialogs->last().text));
        QCOMPARE(m_dialogs->last().icon, Dialogs::Icon::Exclamation);
        QVERIFY(!ChildWindows::find(name));
    }

    void closingGivesTheFocusBack_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("clockOpen"); // which then comes forward with the focus
        QTest::newRow("Time Sheets") << int(Commands::TimeSheets) << "Timesheets" << false;
        QTest::newRow("Payroll Reports") << int(Commands::PayrollReports) << "Payroll" << false;
        QTest::newRow("Change Employee ID") << int(Commands::ChangeEmployeeId) << "SearchID" << false;
        QTest::newRow("Time Sheets, clock open") << int(Commands::TimeSheets) << "Timesheets" << true;
    }

    void closingGivesTheFocusBack()
    {
        QFETCH(int, id);
        QFETCH(QString, name);
        QFETCH(bool, clockOpen);
        logIn();
        if (clockOpen)
            window().executeCommand(Commands::Clock);
        window().executeCommand(id);
        QPointer<FormWindow> opened = ChildWindows::find(name);
        QVERIFY(QTest::qWaitForWindowActive(&window()));
        QVERIFY(opened->isAncestorOf(QApplication::focusWidget()));
        opened->closeWindow();
        QTRY_VERIFY(!opened);
        QCoreApplication::processEvents();
        if (clockOpen)
            QCOMPARE(QApplication::focusWidget(),
                     ChildWindows::find(QStringLiteral("Clock"))->findChild<QLineEdit*>("Text1"));
        else
            QCOMPARE(QApplication::focusWidget(), &window());
    }

    void enterPressesTheFocusedButton_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("box"); // the box the press shows; none: the press closes the window
        QTest::newRow("search") << int(Commands::ChangeEmployeeId) << "SearchID"
                                << "PushButton1"
                                << "Unable to Search Empty Field";
        QTest::newRow("clock") << int(Commands::Clock) << "Clock"
                               << "PushButton1" << QString();
        QTest::newRow("time sheets") << int(Commands::TimeSheets) << "Timesheets"
                                     << "PushButton4" << QString();
        QTest::newRow("employee") << int(Commands::NewEmployee) << "Employee"
                                  << "PushButton2" << QString();
    }

    void enterPressesTheFocusedButton()
    {
        QFETCH(int, id);
        QFETCH(QString, name);
        QFETCH(QString, button);
        QFETCH(QString, box);
        logIn();
        m_dialogs->clear();
        window().executeCommand(id);
        QPointer<FormWindow> opened = ChildWindows::find(name);
        auto* pressed = opened->findChild<QPushButton*>(button);
        QVERIFY(QTest::qWaitForWindowActive(&window()));
        pressed->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        if (box.isEmpty()) {
            QTRY_VERIFY(!opened);
        } else {
            QCOMPARE(m_dialogs->texts(), QStringList{box});
        }
    }

    // At any size of the main window, every window opens inside the visible part of its area, never larger;
    // a window whose content needs more room scrolls inside its frame.
    void windowsOpenInsideTheWorkArea_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("640x480") << QSize(640, 480);
        QTest::newRow("800x600") << QSize(800, 600);
        QTest::newRow("1024x720") << QSize(1024, 720);
    }

    void windowsOpenInsideTheWorkArea()
    {
        QFETCH(QSize, size);
        m_db->addEmployee(QString(300, QLatin1Char('X')), QStringLiteral("Long"), QStringLiteral("Identifier"));
        m_db->addEmployee(QStringLiteral("1001"), QStringLiteral("Maximiliana"),
                          QStringLiteral("Featherstonehaugh-Worthington"));
        m_db->addTimesheet(QStringLiteral("1001"), QDate::currentDate(), {t("08:00:00"), t("17:00:00")});
        logIn();
        window().resize(size);
        QTRY_COMPARE(window().size(), size);
        QCoreApplication::processEvents();
        QWidget* viewport = window().area()->viewport();
        const QRect room = viewport->rect();
        const QList<std::pair<int, QString>> windows = {{Commands::Clock, "Clock"},
                                                        {Commands::LogIn, "LogIn"},
                                                        {Commands::About, "About"},
                                                        {Commands::ChangeAdminPassword, "AdminPass"},
                                                        {Commands::NewEmployee, "Employee"},
                                                        {Commands::ChangeEmployeeId, "SearchID"},
                                                        {Commands::EmployeeTable, "EmpTable"},
                                                        {Commands::TimeSheets, "Timesheets"},
                                                        {Commands::PayrollReports, "Payroll"},
                                                        {Commands::Exceptions, "Exceptions"},
                                                        {Commands::AuditTrail, "AuditTrail"},
                                                        {Commands::ClosePayPeriod, "ClosePeriod"},
                                                        {Commands::ReopenPayPeriod, "ReopenPeriod"},
                                                        {Commands::AllowedTerminals, "AllowedTerminals"},
                                                        {Commands::TerminalKey, "TerminalKey"}};
        auto check = [&](FormWindow* opened, const QString& name) {
            QMdiSubWindow* frame = ChildWindows::frameOf(opened);
            QVERIFY2(frame, qPrintable(name));
            QVERIFY2(room.contains(frame->geometry()), qPrintable(name));
            const bool scrolls = frame->widget() != opened;
            for (QPushButton* button : opened->findChildren<QPushButton*>()) {
                const QRect at(button->mapTo(viewport, QPoint()), button->size());
                QVERIFY2(scrolls || room.contains(at), qPrintable(name + QLatin1Char(' ') + button->objectName()));
            }
        };
        for (const auto& [id, name] : windows) {
            window().executeCommand(id);
            QPointer<FormWindow> opened = ChildWindows::find(name);
            check(opened, name);
            if (name == QLatin1String("Payroll")) {
                opened->findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->click();
                opened->findChild<QPushButton*>(QStringLiteral("PushButton1"))->click();
                check(ChildWindows::find(QStringLiteral("Detail")), QStringLiteral("Detail"));
                window().executeCommand(Commands::Tile);
                for (QMdiSubWindow* frame : window().area()->subWindowList())
                    QVERIFY2(room.contains(frame->geometry()), "after Tile");
            }
            window().area()->closeAllSubWindows();
            QTRY_VERIFY(window().area()->subWindowList().isEmpty());
        }
    }

    void newReportOpensBesideTheEmployeeList()
    {
        m_db->addEmployee(QStringLiteral("1001"), QStringLiteral("Ann"), QStringLiteral("Smith"));
        logIn();
        window().resize(1024, 720);
        QTRY_COMPARE(window().size(), QSize(1024, 720));
        window().executeCommand(Commands::PayrollReports);
        FormWindow* payroll = ChildWindows::find(QStringLiteral("Payroll"));
        payroll->findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->click();
        payroll->findChild<QPushButton*>(QStringLiteral("PushButton1"))->click();
        QWidget* viewport = window().area()->viewport();
        auto* list = payroll->findChild<QWidget*>(QStringLiteral("ListView1"));
        const QRect listRect(list->mapTo(viewport, QPoint()), list->size());
        FormWindow* detail = ChildWindows::find(QStringLiteral("Detail"));
        QVERIFY(detail);
        QVERIFY(!ChildWindows::frameOf(detail)->geometry().intersects(listRect));
        QVERIFY(viewport->rect().contains(ChildWindows::frameOf(detail)->geometry()));
    }

    void boxesAreWideEnoughForTheirTitles_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("input");
        QTest::newRow("login") << "Incorrect Password"
                               << "Access Denied" << false;
        QTest::newRow("password") << "Some Fields are Empty"
                                  << "Incomplete Information" << false;
        QTest::newRow("delete") << "Are You Sure to Delete This Time Record"
                                << "Warning! Deletion in Progress" << false;
        QTest::newRow("input box") << "Please Enter the Server's IP Address"
                                   << "Connect to Remote Server" << true;
    }

    void boxesAreWideEnoughForTheirTitles()
    {
        // The real boxes: the title bar's bold text and the frame's buttons must fit beside each other, and the
        // frame offers no minimise or maximise.
        QFETCH(QString, text);
        QFETCH(QString, title);
        QFETCH(bool, input);
        Dialogs::install(nullptr);
        int width = 0;
        int needed = 0;
        Qt::WindowFlags flags;
        QTimer::singleShot(0, this, [&] {
            QWidget* box = QApplication::activeModalWidget();
            QFont bold = box->font();
            bold.setBold(true);
            needed = QFontMetrics(bold).horizontalAdvance(title) + 90;
            width = box->width();
            flags = box->windowFlags();
            box->close();
        });
        if (input)
            dialogs().input(text, title);
        else
            dialogs().ok(text, title, Dialogs::Icon::Exclamation);
        Dialogs::install(m_dialogs.get());
        QVERIFY2(width >= needed, qPrintable(QStringLiteral("%1 < %2").arg(width).arg(needed)));
        QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    }

    void childWindowsLiveInsideTheMainWindow()
    {
        window().action(Commands::LogIn)->trigger();
        FormWindow* login = ChildWindows::find(QStringLiteral("LogIn"));
        QVERIFY(login);
        QCOMPARE(login->window(), &window());
        QVERIFY(qobject_cast<QMdiSubWindow*>(login->parentWidget()));
    }

    void exitEndsEverythingWithoutAQuestion()
    {
        window().action(Commands::Clock)->trigger();
        window().action(Commands::About)->trigger();
        QPointer<FormWindow> clock = ChildWindows::find(QStringLiteral("Clock"));
        QPointer<FormWindow> about = ChildWindows::find(QStringLiteral("About"));
        QVERIFY(clock && about);

        window().action(Commands::Exit)->trigger();
        QVERIFY(!window().isVisible());
        QTRY_VERIFY(!clock && !about);
        QVERIFY(m_dialogs->boxes.isEmpty());
    }

    void helpDocumentsOpenBesideTheProgram_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("file");
        QTest::newRow("help") << int(Commands::Help) << "help.hlp";
        QTest::newRow("manual") << int(Commands::Manual) << "help.doc";
    }

    void helpDocumentsOpenBesideTheProgram()
    {
        QFETCH(int, id);
        QFETCH(QString, file);
        OpenedUrls opened;
        const QString path = QDir(QCoreApplication::applicationDirPath()).filePath(file);
        QFile::remove(path);

        // Missing: nothing happens and nothing is said.
        window().action(id)->trigger();
        QVERIFY(opened.urls.isEmpty());
        QVERIFY(m_dialogs->boxes.isEmpty());

        QFile document(path);
        QVERIFY(document.open(QIODevice::WriteOnly));
        document.write("manual");
        document.close();
        window().action(id)->trigger();
        QFile::remove(path);
        QCOMPARE(opened.urls, QList<QUrl>{QUrl::fromLocalFile(path)});
        QVERIFY(m_dialogs->boxes.isEmpty());
    }

    void viewItemsShowAndHideBars()
    {
        QAction* statusBarItem = window().action(Commands::StatusBar);
        QVERIFY(statusBarItem->isChecked());
        QVERIFY(window().statusBar()->isVisible());
        statusBarItem->trigger();
        QVERIFY(!window().statusBar()->isVisible());
        statusBarItem->trigger();
        QVERIFY(window().statusBar()->isVisible());

        QMenu* toolbars = window().action(Commands::Toolbars)->menu();
        QVERIFY(toolbars);
        QCOMPARE(toolbars->actions().size(), 1);
        QAction* standard = toolbars->actions().constFirst();
        QCOMPARE(standard->text(), QStringLiteral("Standard"));
        standard->trigger();
        QVERIFY(!window().standardToolBar()->isVisible());
        standard->trigger();
        QVERIFY(window().standardToolBar()->isVisible());
    }

    void windowMenuArrangesAndListsWindows()
    {
        window().resize(1024, 720); // room for three tiles side by side
        window().action(Commands::Clock)->trigger();
        window().action(Commands::About)->trigger();
        window().action(Commands::LogIn)->trigger();
        const QList<QMdiSubWindow*> subs = window().area()->subWindowList();
        QCOMPARE(subs.size(), 3);

        window().action(Commands::Tile)->trigger();
        for (int i = 0; i < subs.size(); ++i)
            for (int j = i + 1; j < subs.size(); ++j)
                QVERIFY(!subs[i]->geometry().intersects(subs[j]->geometry()));

        window().action(Commands::Cascade)->trigger();
        QVERIFY(subs[0]->geometry().intersects(subs[1]->geometry()));

        // Minimized windows line up along the bottom of the area.
        subs[0]->showMinimized();
        subs[1]->showMinimized();
        window().action(Commands::ArrangeIcons)->trigger();
        const int bottom = window().area()->viewport()->rect().bottom();
        QCOMPARE(subs[0]->geometry().bottom(), bottom);
        QCOMPARE(subs[1]->geometry().bottom(), bottom);
        QVERIFY(!subs[0]->geometry().intersects(subs[1]->geometry()));

        // The list of open windows, and choosing one brings it back.
        QMenu* menu = menuNamed(window(), "&Window");
        Q_EMIT menu->aboutToShow();
        QStringList listed;
        for (QAction* entry : menu->actions())
            if (entry->data().toInt() == Commands::WindowList)
                listed << entry->text();
        QCOMPARE(listed, QStringList({"&1 " + subs[0]->windowTitle(), "&2 " + subs[1]->windowTitle(),
                                      "&3 " + subs[2]->windowTitle()}));
        for (QAction* entry : menu->actions())
            if (entry->text() == listed.first())
                entry->trigger();
        QVERIFY(!subs[0]->isMinimized());
        QCOMPARE(window().area()->activeSubWindow(), subs[0]);

        // Listing again does not pile up entries.
        Q_EMIT menu->aboutToShow();
        int entries = 0;
        for (QAction* entry : menu->actions())
            entries += entry->data().toInt() == Commands::WindowList ? 1 : 0;
        QCOMPARE(entries, 3);
    }
};

// The start-up routine against a database it cannot use: the server still comes up, locked, and each window
// that needs the database says so.
class TestStartup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { Database::close(); }

    void serverStartsWithoutItsDatabase_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("reason"); // what the windows add to their message: the file, and why
        QTest::newRow("unreadable file") << "garbage"
                                         << "/punched.mdb: file is not a database";
        QTest::newRow("missing, cannot be created") << "missing"
                                                    << "no such folder/punched.mdb: ";
        QTest::newRow("another program's database") << "foreign"
                                                    << "table Employee";
    }

    void serverStartsWithoutItsDatabase()
    {
        QFETCH(QString, file);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QString path = dir.filePath(QStringLiteral("no such folder/punched.mdb"));
        if (file == "garbage") {
            path = dir.filePath(QStringLiteral("punched.mdb"));
            QFile bytes(path);
            QVERIFY(bytes.open(QIODevice::WriteOnly));
            QByteArray noise(8192, Qt::Uninitialized);
            for (char& byte : noise)
                byte = char(QRandomGenerator::global()->bounded(256));
            bytes.write(noise);
        } else if (file == "foreign") {
            path = dir.filePath(QStringLiteral("punched.mdb"));
            {
                QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other");
                other.setDatabaseName(path);
                QVERIFY(other.open());
                QVERIFY(QSqlQuery(other).exec("CREATE TABLE notes (id INTEGER PRIMARY KEY, body TEXT)"));
            }
            QSqlDatabase::removeDatabase("other");
        }
        ScriptedDialogs dialogs;
        gEmpID = QStringLiteral("left over");
        std::unique_ptr<MainWindow> window(Startup::run(path, 0));
        window->setAttribute(Qt::WA_DeleteOnClose, false);

        QVERIFY(!Database::isOpen());
        QVERIFY(gEmpID.isEmpty());
        QVERIFY(window->isVisible());
        QVERIFY(gLocked);
        QCOMPARE(window->menuBar()->actions().size(), 6);
        QVERIFY(!window->action(Commands::TimeSheets)->isEnabled());
        QVERIFY(dialogs.boxes.isEmpty()); // the start itself says nothing

        for (int id : {int(Commands::LogIn), int(Commands::Clock)}) {
            dialogs.clear();
            window->executeCommand(id);
            QCOMPARE(dialogs.boxes.size(), 1);
            QVERIFY2(dialogs.last().text.startsWith("Could not open database ...\n\n") &&
                         dialogs.last().text.contains(reason),
                     qPrintable(dialogs.last().text));
            QCOMPARE(dialogs.last().title, QStringLiteral("Connection Failed"));
            QCOMPARE(dialogs.last().icon, Dialogs::Icon::Exclamation);
        }
        QVERIFY(window->area()->subWindowList().isEmpty());

        // The about window needs no database.
        dialogs.clear();
        window->executeCommand(Commands::About);
        QVERIFY(ChildWindows::find(QStringLiteral("About")));
        QVERIFY(dialogs.boxes.isEmpty());
    }

    void startUpOpensTheDatabaseAndTheLockedMainWindow()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("punched.mdb"));
        gLocked = false;
        std::unique_ptr<MainWindow> window(Startup::run(path, 0));
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        QVERIFY(Database::isOpen());
        QVERIFY(QFile::exists(path));
        QVERIFY(gLocked);
        QVERIFY(window->isVisible());
    }
};

// This program started again as a server: "--serve <database> exit|close" starts the server, opens two windows
// and a notice, and then ends it by the Exit command or by closing the main window's frame. The run must end by itself.
int serve(const QString& databasePath, const QString& how)
{
    MainWindow* window = Startup::run(databasePath, 0);
    window->executeCommand(Commands::Clock);
    window->executeCommand(Commands::About);
    // A notice still waiting to be dismissed does not hold the server up.
    dialogs().notice(QStringLiteral("A terminal connected"), QStringLiteral("Terminal"), Dialogs::Icon::Information,
                     [] {});
    QTimer::singleShot(0, window, [window, how] {
        if (how == QStringLiteral("exit"))
            window->executeCommand(Commands::Exit);
        else
            window->close();
    });
    return QApplication::exec();
}

class TestStop : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void serverEndsAtOnce_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Exit command") << "exit";
        QTest::newRow("frame closed") << "close";
    }

    void serverEndsAtOnce()
    {
        QFETCH(QString, how);
        QTemporaryDir dir;
        QProcess server;
        server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        server.start(QCoreApplication::applicationFilePath(),
                     {QStringLiteral("--serve"), dir.filePath(QStringLiteral("punched.mdb")), how});
        QVERIFY(server.waitForStarted());
        const bool ended = server.waitForFinished(30000);
        if (!ended)
            server.kill();
        QVERIFY2(ended, "the server kept running after it was told to end");
        QCOMPARE(server.exitStatus(), QProcess::NormalExit);
        QCOMPARE(server.exitCode(), 0);
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("punched.mdb"))));
    }
};

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "--serve")
        return serve(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    int status = 0;
    {
        TestStop stop;
        status |= QTest::qExec(&stop, argc, argv);
    }
    {
        TestShell shell;
        status |= QTest::qExec(&shell, argc, argv);
    }
    {
        TestStartup startup;
        status |= QTest::qExec(&startup, argc, argv);
    }
    return status;
}

#include "test_shell.moc"
