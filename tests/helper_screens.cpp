// Shows one window of the programs on a real display, with a seeded database, looks for controls that
// lie outside the visible work area or whose text does not fit, and saves a picture of the whole screen.
// scripts/screenshots runs it for every window under Xvfb and a window manager.
//
// helper_screens <folder> <scene> <picture.png>
// Prints one line per fault found ("CUT ..." or "CLIPPED ...") and "scene done" at the end.
// helper_screens --list prints the scenes.

#include "client/remotewindow.h"
#include "core/audit/closedperiods.h"
#include "core/clock.h"
#include "core/net/terminalaccess.h"
#include "core/payroll/payrules.h"
#include "core/settings.h"
#include "core/sites/sites.h"
#include "core/store/query.h"
#include "server/employees/employeewindow.h"
#include "server/employees/searchidwindow.h"
#include "server/payroll/payrollwindow.h"
#include "server/shell/commands.h"
#include "server/shell/lockstate.h"
#include "server/shell/mainwindow.h"
#include "server/shell/startup.h"
#include "tests/support/fixedclock.h"
#include "widgets/childwindows.h"
#include "widgets/desktop.h"
#include "widgets/dialogs.h"
#include "widgets/language.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>
#include <arpa/inet.h>
#include <cstdio>
#include <functional>
#include <netinet/in.h>
#include <sys/socket.h>

namespace {

void say(const QString& line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

void exec(const QString& sql, const QVariantList& binds = {})
{
    QSqlQuery query(gConn);
    query.prepare(sql);
    for (const QVariant& bind : binds)
        query.addBindValue(bind);
    if (!query.exec())
        say(QStringLiteral("SEED FAILED ") + sql);
}

// A week of punches for a handful of employees, one with a very long ID and one with a long name.
void seed()
{
    const QString longId = QStringLiteral("X").repeated(300);
    const QList<QStringList> people = {
        {QStringLiteral("1001"), QStringLiteral("Ann"), QStringLiteral("Smith")},
        {QStringLiteral("1002"), QStringLiteral("Bob"), QStringLiteral("Jones")},
        {QStringLiteral("1003"), QStringLiteral("Maximiliana"), QStringLiteral("Featherstonehaugh-Worthington")},
        {QStringLiteral("1004"), QStringLiteral("Dee"), QStringLiteral("Park")},
        {longId, QStringLiteral("Long"), QStringLiteral("Identifier")},
    };
    for (const QStringList& p : people) {
        exec(QStringLiteral("INSERT INTO Employee (emp_id, emp_fname, emp_lname, emp_mname, emp_sex, emp_dob, "
                            "emp_address, emp_apt, city, emp_state, zip, reg_wage, ot_wage, status) "
                            "VALUES (?, ?, ?, 'Q', 'Female', '1990-04-01', '1200 North Riverside Avenue', '4B', "
                            "'Springfield', 'IL', '62701', 12.5, 18.75, 1)"),
             {p.at(0), p.at(1), p.at(2)});
        for (int d = 2; d <= 6; ++d)
            exec(QStringLiteral("INSERT INTO timesheet (emp_id, rsdate, in1, out1, in2, out2) VALUES "
                                "(?, ?, '08:00:00', '12:00:00', '12:30:00', '17:15:00')"),
                 {p.at(0), QDate(2026, 3, d).toString(Qt::ISODate)});
    }
}

QStringList findings;

bool insideScrolledContent(QWidget* w, QWidget* stop)
{
    for (QWidget* p = w->parentWidget(); p && p != stop; p = p->parentWidget()) {
        if (qobject_cast<QAbstractScrollArea*>(p->parentWidget()) &&
            p->objectName() == QLatin1String("qt_scrollarea_viewport"))
            return true;
    }
    return false;
}

QString nameOf(QWidget* w)
{
    QString text;
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        text = b->text().isEmpty() ? b->toolTip() : b->text();
    else if (auto* l = qobject_cast<QLabel*>(w))
        text = l->text();
    return QStringLiteral("%1 %2 \"%3\"")
        .arg(QString::fromLatin1(w->metaObject()->className()), w->objectName(), text.left(40));
}

// Every control of a window must lie inside the visible area and inside each of its parents, and show its
// whole caption.
void checkWindow(QWidget* window, QWidget* visible, const QString& scene)
{
    const QRect room = visible->rect();
    const QRect windowRect(window->mapTo(visible, QPoint()), window->size());
    if (!room.contains(windowRect))
        findings << QStringLiteral("CUT %1: window %2 at %3,%4 %5x%6 outside the work area %7x%8")
                        .arg(scene, window->objectName())
                        .arg(windowRect.x())
                        .arg(windowRect.y())
                        .arg(windowRect.width())
                        .arg(windowRect.height())
                        .arg(room.width())
                        .arg(room.height());
    for (QWidget* w : window->findChildren<QWidget*>()) {
        // A popup (a date box's calendar) is a window of its own, placed by the toolkit.
        if (!w->isVisibleTo(window) || insideScrolledContent(w, window) || w->window() != window->window())
            continue;
        const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
                             (qobject_cast<QLabel*>(w) && !static_cast<QLabel*>(w)->text().isEmpty());
        if (!control)
            continue;
        QRect r(w->mapTo(visible, QPoint()), w->size());
        if (!room.contains(r)) {
            findings << QStringLiteral("CUT %1: %2 outside the work area").arg(scene, nameOf(w));
            continue;
        }
        for (QWidget* p = w->parentWidget(); p; p = p->parentWidget()) {
            const QRect pr(p->mapTo(visible, QPoint()), p->size());
            if (!pr.contains(r)) {
                findings << QStringLiteral("CUT %1: %2 cut by %3").arg(scene, nameOf(w), nameOf(p));
                break;
            }
            if (p == window)
                break;
        }
        if (auto* b = qobject_cast<QPushButton*>(w); b && !b->text().isEmpty()) {
            const int need = b->fontMetrics().horizontalAdvance(b->text()) +
                             (b->icon().isNull() ? 0 : b->iconSize().width() + 4) + 8;
            if (need > b->width())
                findings << QStringLiteral("CLIPPED %1: %2 needs %3 px, has %4")
                                .arg(scene, nameOf(b))
                                .arg(need)
                                .arg(b->width());
        }
        if (auto* l = qobject_cast<QLabel*>(w);
            l && !l->wordWrap() && l->textFormat() != Qt::RichText && !l->text().contains(QLatin1Char('<'))) {
            const int need = l->fontMetrics().horizontalAdvance(l->text());
            if (need > l->contentsRect().width())
                findings << QStringLiteral("CLIPPED %1: %2 needs %3 px, has %4")
                                .arg(scene, nameOf(l))
                                .arg(need)
                                .arg(l->contentsRect().width());
        }
    }
    for (QHeaderView* header : window->findChildren<QHeaderView*>()) {
        if (!header->isVisibleTo(window) || header->orientation() != Qt::Horizontal)
            continue;
        // Columns that scroll into sight are not cut.
        auto* view = qobject_cast<QAbstractScrollArea*>(header->parentWidget());
        const bool scrolls = view && view->horizontalScrollBar()->maximum() > 0;
        for (int s = 0; s < header->count(); ++s) {
            const QString text = header->model()->headerData(s, Qt::Horizontal).toString();
            const int need = header->fontMetrics().horizontalAdvance(text) + 12;
            const int shown = std::min(header->sectionViewportPosition(s) + header->sectionSize(s), header->width()) -
                              std::max(header->sectionViewportPosition(s), 0);
            if (shown < need && !(scrolls && header->sectionViewportPosition(s) + need > header->width()))
                findings << QStringLiteral("CLIPPED %1: heading \"%2\" of %3 needs %4 px, has %5")
                                .arg(scene, text, header->parentWidget()->objectName())
                                .arg(need)
                                .arg(shown);
        }
    }
}

void checkMainWindow(MainWindow* main, const QString& scene)
{
    QWidget* viewport = main->area()->viewport();
    for (QMdiSubWindow* sub : main->area()->subWindowList()) {
        if (!sub->isVisible())
            continue;
        checkWindow(sub, viewport, scene);
    }
    if (const QRect screen = main->screen()->availableGeometry(); !screen.contains(main->frameGeometry()))
        findings << QStringLiteral("CUT %1: the main window is larger than the screen").arg(scene);
}

void checkBox(const QString& scene)
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) {
        findings << QStringLiteral("MISSING %1: no message box").arg(scene);
        return;
    }
    QFont titleFont = box->font();
    titleFont.setBold(true);
    // Room for the title and the frame's buttons (close, and what the window manager adds).
    const int need = QFontMetrics(titleFont).horizontalAdvance(box->windowTitle()) + 90;
    if (box->width() < need)
        findings << QStringLiteral("CLIPPED %1: box \"%2\" is %3 px wide, its title needs %4")
                        .arg(scene, box->windowTitle())
                        .arg(box->width())
                        .arg(need);
}

void grab(const QString& path)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen->grabWindow(0).save(path))
        say(QStringLiteral("NO PICTURE ") + path);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Qorvil Clock System"));
    Desktop::applySkin(app);
    Language::install(QString()); // the system's, as the programs do: LANG=es_ES.UTF-8 scripts/screenshots
    const QStringList args = app.arguments().mid(1);

    MainWindow* main = nullptr;
    RemoteWindow* remote = nullptr;
    QTcpServer closedPort;
    auto command = [&main](int id) { return [&main, id] { main->executeCommand(id); }; };
    auto box = [](const QString& text, const QString& title) {
        return [text, title] { dialogs().ok(text, title, Dialogs::Icon::Exclamation); };
    };
    auto payroll = [&main](bool detail, bool tile) {
        return [&main, detail, tile] {
            main->executeCommand(Commands::PayrollReports);
            auto* window = ChildWindows::find(QStringLiteral("Payroll"));
            window->findChild<QDateEdit*>(QStringLiteral("DTPicker1"))->setDate(QDate(2026, 3, 2));
            auto* list = window->findChild<QTreeWidget*>(QStringLiteral("ListView1"));
            list->topLevelItem(1)->setCheckState(0, Qt::Checked);
            list->topLevelItem(2)->setCheckState(0, Qt::Checked);
            if (detail)
                window->findChild<QPushButton*>(QStringLiteral("PushButton1"))->click();
            else if (!tile)
                window->findChild<QPushButton*>(QStringLiteral("PushButton2"))->click();
            if (tile) {
                main->executeCommand(Commands::Clock);
                main->executeCommand(Commands::Tile);
            }
        };
    };
    // Two shops' services have listed their terminals, and punched some days; this desktop is the office.
    auto sites = [] {
        QString error;
        Sites::setCurrent(QStringLiteral("North"));
        Sites::publishTerminals(
            {{QStringLiteral("192.168.1.20"), true, true}, {QStringLiteral("192.168.1.21"), false, true}}, &error);
        Sites::setCurrent(QStringLiteral("South"));
        Sites::publishTerminals({{QStringLiteral("10.0.4.7"), true, false}}, &error);
        Sites::setCurrent(QStringLiteral("Office"));
        Query punched;
        (void)punched.exec(QStringLiteral("UPDATE timesheet SET site = 'North'"));
    };
    // An owner's rules: daily and weekly overtime, double time, rounding, meals, two holidays, some time off.
    auto payRules = [] {
        Pay::Rules rules;
        QString error;
        for (const auto& [name, value] :
             {std::pair{"overtime", "daily-weekly"}, std::pair{"double_after", "12"}, std::pair{"round_minutes", "15"},
              std::pair{"meal_minutes", "30"}, std::pair{"holiday_rate", "ot"}})
            Pay::set(&rules, QLatin1String(name), QLatin1String(value), &error);
        rules.holidays.insert(QDate(2026, 3, 4), QStringLiteral("Founders' Day"));
        rules.holidays.insert(QDate(2026, 7, 4), QStringLiteral("Independence Day"));
        Pay::save(rules, &error);
        Query first;
        if (first.exec(QStringLiteral("SELECT emp_id FROM employee ORDER BY id")) && first.next())
            Pay::setPaidTimeOff({first.text(0), QDate(2026, 3, 6), 8 * 60, QStringLiteral("Vacation")}, &error);
    };
    const QList<std::pair<QString, std::function<void()>>> scenes = {
        {QStringLiteral("payrules"),
         [&main, payRules] {
             payRules();
             main->executeCommand(Commands::PayRules);
         }},
        {QStringLiteral("payrules-timeoff"),
         [&main, payRules] {
             payRules();
             main->executeCommand(Commands::PayRules);
             ChildWindows::find(QStringLiteral("PayRules"))
                 ->findChild<QTabWidget*>(QStringLiteral("Tabs"))
                 ->setCurrentIndex(3);
         }},
        {QStringLiteral("detail-rules"),
         [payroll, payRules] {
             payRules();
             payroll(true, false)();
         }},
        {QStringLiteral("summary-rules"),
         [payroll, payRules] {
             payRules();
             payroll(false, false)();
         }},
        {QStringLiteral("main"), [] {}},
        {QStringLiteral("main-locked"), [] { LockState::set(true); }},
        {QStringLiteral("clock"), command(Commands::Clock)},
        {QStringLiteral("clock-hours"),
         [&main] {
             Settings::setValue(Settings::kShowHoursAfterPunch, QStringLiteral("1"));
             main->executeCommand(Commands::Clock);
             auto* id = ChildWindows::find(QStringLiteral("Clock"))->findChild<QLineEdit*>(QStringLiteral("Text1"));
             id->setText(QStringLiteral("1003"));
             Q_EMIT id->returnPressed();
         }},
        {QStringLiteral("login"), command(Commands::LogIn)},
        {QStringLiteral("adminpass"), command(Commands::ChangeAdminPassword)},
        {QStringLiteral("about"), command(Commands::About)},
        {QStringLiteral("terminals"), command(Commands::Terminals)},
        {QStringLiteral("terminals-sites"),
         [&main, sites] {
             sites();
             main->executeCommand(Commands::Terminals);
         }},
        {QStringLiteral("payroll-sites"),
         [&main, sites] {
             sites();
             main->executeCommand(Commands::PayrollReports);
         }},
        {QStringLiteral("allowedterminals"),
         [&main] {
             QString error;
             TerminalAccess::add({QStringLiteral("192.168.1.20"), QStringLiteral("Front door")}, &error);
             TerminalAccess::add({QStringLiteral("192.168.1.0/24"), QStringLiteral("Office network")}, &error);
             TerminalAccess::add({QStringLiteral("2001:db8:5::/48"), QStringLiteral("Warehouse")}, &error);
             // An entry a script wrote that reads as no address: marked in the list.
             Query script;
             static_cast<void>(script.exec(QStringLiteral("INSERT INTO allowed_terminals (address, description) "
                                                          "VALUES ('localhost', 'Written by a script')")));
             main->executeCommand(Commands::AllowedTerminals);
         }},
        {QStringLiteral("terminalkey"), command(Commands::TerminalKey)},
        {QStringLiteral("payrollexport"), command(Commands::PayrollExport)},
        {QStringLiteral("employee"), command(Commands::NewEmployee)},
        {QStringLiteral("employee-upload"),
         [&main] {
             main->executeCommand(Commands::ChangeEmployeeId);
             auto* search = ChildWindows::find(QStringLiteral("SearchID"));
             search->findChild<QLineEdit*>(QStringLiteral("Srch_LName"))->setText(QStringLiteral("smith"));
             search->findChild<QPushButton*>(QStringLiteral("PushButton2"))->click();
             auto* list = search->findChild<QTreeWidget*>(QStringLiteral("ListView1"));
             list->setCurrentItem(list->topLevelItem(0));
             search->findChild<QPushButton*>(QStringLiteral("PushButton3"))->click();
         }},
        {QStringLiteral("search"),
         [&main] {
             main->executeCommand(Commands::ChangeEmployeeId);
             auto* search = ChildWindows::find(QStringLiteral("SearchID"));
             search->findChild<QLineEdit*>(QStringLiteral("Srch_LName"))->setText(QStringLiteral("identifier"));
             search->findChild<QPushButton*>(QStringLiteral("PushButton2"))->click();
         }},
        {QStringLiteral("emptable"), command(Commands::EmployeeTable)},
        {QStringLiteral("timesheets"),
         [&main] {
             main->executeCommand(Commands::TimeSheets);
             auto* browser = ChildWindows::find(QStringLiteral("Timesheets"));
             browser->findChild<QDateEdit*>(QStringLiteral("DTPicker1"))->setDate(QDate(2026, 3, 2));
             auto* list = browser->findChild<QTreeWidget*>(QStringLiteral("EmpList"));
             list->setCurrentItem(list->topLevelItem(0));
             Q_EMIT list->itemClicked(list->topLevelItem(0), 0);
         }},
        {QStringLiteral("editor"),
         [&main] {
             main->executeCommand(Commands::TimeSheets);
             auto* browser = ChildWindows::find(QStringLiteral("Timesheets"));
             browser->findChild<QPushButton*>(QStringLiteral("PushButton1"))->click();
         }},
        {QStringLiteral("audit"),
         [&main] {
             exec(QStringLiteral("UPDATE timesheet SET out1 = '12:05:00', in2 = '12:35:00' WHERE emp_id = '1001' "
                                 "AND rsdate = '2026-03-02'"));
             exec(QStringLiteral("UPDATE Employee SET reg_wage = 13.25 WHERE emp_id = '1002'"));
             main->executeCommand(Commands::AuditTrail);
         }},
        {QStringLiteral("audit-long"),
         [&main] {
             // Long old and new values: both must stay in sight beside each other.
             exec(QStringLiteral("UPDATE Employee SET emp_address = '4410 West Lake Shore Drive, Building C, "
                                 "Suite 1200' WHERE emp_id = '1003'"));
             exec(QStringLiteral("UPDATE Employee SET emp_address = '1200 North Riverside Avenue, Unit 14, Rear "
                                 "Entrance' WHERE emp_id = '1003'"));
             main->executeCommand(Commands::AuditTrail);
             if (QMdiSubWindow* frame = ChildWindows::frameOf(ChildWindows::find(QStringLiteral("AuditTrail"))))
                 frame->showMaximized();
         }},
        {QStringLiteral("payroll-names"),
         [&main] {
             exec(QStringLiteral("UPDATE Employee SET emp_fname = 'Annabelle', emp_lname = 'Andersson-Whitfield' "
                                 "WHERE emp_id = '1001'"));
             exec(QStringLiteral("UPDATE Employee SET emp_fname = 'Bartholomew', emp_lname = 'Okonkwo-Jones' "
                                 "WHERE emp_id = '1002'"));
             main->executeCommand(Commands::PayrollReports);
         }},
        {QStringLiteral("login-refused"),
         [&main] {
             // A wrong password refused, its box closed, and the next password typed straight away.
             main->executeCommand(Commands::LogIn);
             auto* login = ChildWindows::find(QStringLiteral("LogIn"));
             QTest::keyClicks(login->findChild<QLineEdit*>(QStringLiteral("Text1")), QStringLiteral("wrong"));
             QTimer::singleShot(300, [] {
                 if (QWidget* box = QApplication::activeModalWidget())
                     box->close();
             });
             QTest::mouseClick(login->findChild<QPushButton*>(QStringLiteral("PushButton1")), Qt::LeftButton);
             QTimer::singleShot(300, [login] {
                 auto* field = login->findChild<QLineEdit*>(QStringLiteral("Text1"));
                 if (QApplication::focusWidget() != field || field->selectedText() != QLatin1String("wrong"))
                     findings << QStringLiteral("FOCUS login-refused: the password field did not get the focus back "
                                                "with its text selected");
                 QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("adm"));
             });
         }},
        {QStringLiteral("editor-closed"),
         [&main] {
             // A day of a closed pay period chosen in the browser and opened in the editor.
             QString message;
             Pay::closePeriod(QDate(2026, 3, 3), &message);
             main->executeCommand(Commands::TimeSheets);
             auto* browser = ChildWindows::find(QStringLiteral("Timesheets"));
             browser->findChild<QDateEdit*>(QStringLiteral("DTPicker1"))->setDate(QDate(2026, 3, 2));
             auto* list = browser->findChild<QTreeWidget*>(QStringLiteral("EmpList"));
             list->setCurrentItem(list->topLevelItem(0));
             Q_EMIT list->itemClicked(list->topLevelItem(0), 0);
             auto* times = browser->findChild<QTreeWidget*>(QStringLiteral("TimeList"));
             times->setCurrentItem(times->topLevelItem(0));
             Q_EMIT times->itemClicked(times->topLevelItem(0), 0);
             browser->findChild<QPushButton*>(QStringLiteral("PushButton2"))->click();
         }},
        {QStringLiteral("calendar"),
         [&main] {
             // A date typed whole into the box, then the calendar asked for with F4.
             main->executeCommand(Commands::TimeSheets);
             auto* browser = ChildWindows::find(QStringLiteral("Timesheets"));
             auto* from = browser->findChild<QDateEdit*>(QStringLiteral("DTPicker1"));
             from->setFocus(Qt::TabFocusReason);
             QTest::keyClicks(from, QStringLiteral("3/2/2026"));
             QTest::keyClick(from, Qt::Key_Tab);
             if (from->date() != QDate(2026, 3, 2))
                 findings << QStringLiteral("DATE calendar: 3/2/2026 typed into From gave %1")
                                 .arg(from->date().toString(Qt::ISODate));
             from->setFocus(Qt::TabFocusReason);
             QTest::keyClick(from, Qt::Key_F4);
         }},
        {QStringLiteral("exceptions"),
         [&main] {
             exec(QStringLiteral("UPDATE timesheet SET out2 = NULL WHERE emp_id = '1002' AND rsdate = '2026-03-03'"));
             exec(QStringLiteral("UPDATE timesheet SET in1 = '17:00:00', out1 = '08:00:00' WHERE emp_id = '1003' "
                                 "AND rsdate = '2026-03-04'"));
             exec(QStringLiteral("UPDATE timesheet SET in3 = '00:00:00', out3 = '00:00:00' WHERE emp_id = '1004' "
                                 "AND rsdate = '2026-03-05'"));
             main->executeCommand(Commands::PayrollReports);
             main->executeCommand(Commands::Exceptions);
             main->executeCommand(Commands::Tile);
         }},
        {QStringLiteral("payroll"), payroll(false, true)},
        {QStringLiteral("detail"), payroll(true, false)},
        {QStringLiteral("summary"), payroll(false, false)},
        {QStringLiteral("box-login"), box(QStringLiteral("Incorrect Password"), QStringLiteral("Access Denied"))},
        {QStringLiteral("box-password"),
         box(QStringLiteral("Some Fields are Empty"), QStringLiteral("Incomplete Information"))},
        {QStringLiteral("box-delete"),
         [] {
             dialogs().yesNo(QStringLiteral("Are You Sure to Delete This Time Record"),
                             QStringLiteral("Warning! Deletion in Progress"), Dialogs::Icon::None);
         }},
        {QStringLiteral("client"), [] {}},
        {QStringLiteral("client-connecting"), [] {}},
        {QStringLiteral("client-hours"),
         [&remote] {
             // The greeting's box is answered first, as the employee at the terminal does.
             if (QWidget* greeting = QApplication::activeModalWidget())
                 greeting->close();
             auto* id = remote->findChild<QLineEdit*>(QStringLiteral("Text1"));
             id->setText(QStringLiteral("1003"));
             Q_EMIT id->returnPressed();
         }},
    };
    if (args.value(0) == QLatin1String("--list")) {
        for (const auto& scene : scenes)
            say(scene.first);
        return 0;
    }
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: helper_screens <folder> <scene> <picture.png> | --list\n");
        return 2;
    }
    const QString& scene = args.at(1);
    const QString& picture = args.at(2);
    auto found = std::find_if(scenes.cbegin(), scenes.cend(), [&](const auto& s) { return s.first == scene; });
    if (found == scenes.cend()) {
        std::fprintf(stderr, "unknown scene %s\n", qPrintable(scene));
        return 2;
    }
    FixedClock clock(QDateTime(QDate(2026, 3, 6), QTime(17, 30, 0)));

    const bool boxScene = scene.startsWith(QLatin1String("box-"));
    if (scene.startsWith(QLatin1String("client"))) {
        // A terminal whose server refuses the connection: the window and its connection error; or one whose
        // server does not answer (its queue of connections is full): the window while it connects.
        QDir(args.at(0)).remove(QStringLiteral("client.mdb"));
        if (!Database::open(Database::Kind::Client, QDir(args.at(0)).filePath(QStringLiteral("client.mdb")))) {
            std::fprintf(stderr, "the terminal's database could not be created\n");
            return 1;
        }
        quint16 port = 0;
        if (scene == QLatin1String("client")) {
            closedPort.listen(QHostAddress::LocalHost, 0);
            port = closedPort.serverPort();
            closedPort.close();
        } else if (scene == QLatin1String("client-hours")) {
            // A server that greets, signs the employee in and gives the hours asked for after it.
            Query options;
            (void)options.exec(QStringLiteral("UPDATE server SET show_hours = 1"));
            closedPort.listen(QHostAddress::LocalHost, 0);
            port = closedPort.serverPort();
            QObject::connect(&closedPort, &QTcpServer::newConnection, &app, [&closedPort] {
                QTcpSocket* terminal = closedPort.nextPendingConnection();
                terminal->write("CRA");
                QObject::connect(terminal, &QTcpSocket::readyRead, terminal, [terminal] {
                    const QByteArray line = terminal->readAll();
                    terminal->write(line.startsWith('\x05')
                                        ? QByteArray("HRS8:45 43:45\n")
                                        : QByteArray("RINMaximiliana Featherstonehaugh-Worthington"));
                });
            });
        } else {
            const int full = ::socket(AF_INET, SOCK_STREAM, 0);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            socklen_t length = sizeof address;
            if (::bind(full, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(full, 0) != 0 ||
                ::getsockname(full, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
                std::perror("a server that never answers");
                return 1;
            }
            port = ntohs(address.sin_port);
            auto* fillsTheQueue = new QTcpSocket(&app);
            fillsTheQueue->connectToHost(QHostAddress::LocalHost, port);
            fillsTheQueue->waitForConnected(2000);
        }
        remote = new RemoteWindow(port);
        remote->load();
        remote->show();
    } else {
        const QString path = QDir(args.at(0)).filePath(QStringLiteral("punched.mdb"));
        QFile::remove(path);
        main = Startup::run(path, 0);
        seed();
        LockState::set(false);
    }

    QTimer::singleShot(400, &app, [&] {
        if (!boxScene)
            found->second();
        // Let the window manager place and draw everything, then look.
        QTimer::singleShot(700, &app, [&] {
            if (QApplication::activeModalWidget())
                checkBox(scene);
            if (main)
                checkMainWindow(main, scene);
            if (remote)
                checkWindow(remote, remote, scene);
            grab(picture);
            for (const QString& f : std::as_const(findings))
                say(f);
            say(scene + QStringLiteral(" done"));
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
            QTimer::singleShot(0, &app, [] { QCoreApplication::exit(0); });
            // A box's own loop must end before the program's.
            QTimer::singleShot(100, &app, [] { std::exit(0); });
        });
        if (boxScene)
            found->second();
    });
    return app.exec();
}
