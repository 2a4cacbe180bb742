#include "server/shell/mainwindow.h"

#include "core/datapaths.h"
#include "core/net/terminallistener.h"
#include "core/protocol.h"
#include "core/settings.h"
#include "core/store/database.h"
#include "server/audit/audittrailwindow.h"
#include "server/audit/payperiodwindows.h"
#include "server/employees/employeewindow.h"
#include "server/employees/emptablewindow.h"
#include "server/employees/searchidwindow.h"
#include "server/payroll/exceptionswindow.h"
#include "server/payroll/payrollexportwindow.h"
#include "server/payroll/payrollwindow.h"
#include "server/payroll/payruleswindow.h"
#include "server/punch/clockwindow.h"
#include "server/punch/terminalnoticeboxes.h"
#include "server/serverstate.h"
#include "server/shell/aboutwindow.h"
#include "server/shell/adminpasswindow.h"
#include "server/shell/allowedterminalswindow.h"
#include "server/shell/commands.h"
#include "server/shell/lockstate.h"
#include "server/shell/loginwindow.h"
#include "server/shell/logo.h"
#include "server/shell/terminalkeywindow.h"
#include "server/shell/terminalswindow.h"
#include "server/timesheets/timesheetbrowser.h"
#include "widgets/childwindows.h"
#include "widgets/desktop.h"
#include "widgets/dialogs.h"
#include "widgets/icons.h"
#include "widgets/language.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

namespace {

// The area behind the child windows: a quiet gradient with the logo and the system's name.
class BackgroundArea : public QMdiArea
{
public:
    using QMdiArea::QMdiArea;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(viewport());
        const QRect all = viewport()->rect();
        QLinearGradient sky(all.topLeft(), all.bottomLeft());
        sky.setColorAt(0, QColor(58, 92, 150));
        sky.setColorAt(1, QColor(22, 44, 88));
        p.fillRect(all, sky);

        const int size = qBound(96, std::min(all.width(), all.height()) / 3, 320);
        const QRect logo(all.center().x() - size / 2, all.center().y() - size / 2 - size / 6, size, size);
        p.setOpacity(0.35);
        p.drawPixmap(logo, m_logo.isNull() || m_logo.width() != size ? (m_logo = qorvilLogo(size)) : m_logo);
        p.setOpacity(0.5);
        p.setPen(Qt::white);
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(std::max(14, size / 7));
        font.setBold(true);
        p.setFont(font);
        p.drawText(QRect(all.left(), logo.bottom() + size / 12, all.width(), size / 4), Qt::AlignHCenter | Qt::AlignTop,
                   QCoreApplication::translate("MainWindow", "Qorvil Clock System"));
    }

private:
    mutable QPixmap m_logo;
};

// Icons the desktop theme may lack get one drawn here: the standard set has no clock and no padlock.
QIcon padlockIcon()
{
    QPixmap image(32, 32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(90, 90, 100), 3));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(9, 3, 14, 18), 7, 7);
    p.setPen(QPen(QColor(140, 100, 10), 1.5));
    p.setBrush(QColor(236, 170, 40));
    p.drawRoundedRect(QRectF(5, 13, 22, 16), 3, 3);
    p.setBrush(QColor(90, 60, 10));
    p.drawEllipse(QPointF(16, 20), 2.5, 2.5);
    return QIcon(image);
}

// A person with a green plus: "New Employee". Coloured, so that the greyed picture of a disabled command
// differs at a glance from the enabled one.
QIcon newEmployeeIcon()
{
    QPixmap image(32, 32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(30, 60, 120), 1.5));
    p.setBrush(QColor(70, 120, 200));
    p.drawChord(QRectF(3, 17, 22, 24), 0, 180 * 16);
    p.setBrush(QColor(245, 205, 160));
    p.drawEllipse(QRectF(8, 4, 12, 13));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 160, 60));
    p.drawEllipse(QRectF(18, 16, 14, 14));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(24, 18.5, 2, 9));
    p.drawRect(QRectF(20.5, 22, 9, 2));
    return QIcon(image);
}

// A ruled time sheet with a clock face: "Time Sheets".
QIcon timeSheetsIcon()
{
    QPixmap image(32, 32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 90, 60), 1.5));
    p.setBrush(QColor(250, 252, 240));
    p.drawRect(QRectF(3.5, 2.5, 20, 26));
    p.fillRect(QRectF(4.5, 3.5, 18.5, 5), QColor(90, 170, 90));
    p.setPen(QPen(QColor(90, 140, 90), 1));
    for (int y = 12; y <= 25; y += 4)
        p.drawLine(QPointF(6, y), QPointF(21, y));
    p.drawLine(QPointF(12, 10), QPointF(12, 27));
    p.setPen(QPen(QColor(30, 60, 120), 1.5));
    p.setBrush(QColor(255, 215, 90));
    p.drawEllipse(QRectF(16, 16, 15, 15));
    p.drawLine(QPointF(23.5, 23.5), QPointF(23.5, 18.5));
    p.drawLine(QPointF(23.5, 23.5), QPointF(27, 25));
    return QIcon(image);
}

} // namespace

MainWindow::MainWindow(quint16 listenPort, QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Qorvil"));
    setWindowTitle(tr("Qorvil Clock System"));
    setWindowIcon(QIcon(qorvilLogo(64)));
    // Every window and box of the server shows the program's own icon, not the toolkit's.
    QApplication::setWindowIcon(windowIcon());
    // Room on the screen for the window manager's frame around the window.
    resize(QSize(1024, 720).boundedTo(screen()->availableGeometry().size() - QSize(16, 56)));

    m_area = new BackgroundArea(this);
    m_area->setObjectName(QStringLiteral("MdiArea"));
    m_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_area);
    ChildWindows::setArea(m_area);

    buildToolBar();
    buildMenus();

    m_lockIndicator = new QLabel(this);
    m_lockIndicator->setObjectName(QStringLiteral("LockIndicator"));
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    statusBar()->addPermanentWidget(m_lockIndicator);
    // Which file this server works on, since an installed one may use the shared or the personal database.
    statusBar()->setToolTip(databaseDescription());

    connect(&LockState::instance(), &LockState::changed, this, &MainWindow::applyCommandStates);
    // Every run starts locked; nothing of an earlier run is remembered.
    LockState::set(true);

    // The boxes are made first, so they outlive the listener that raises them.
    m_terminalNotices = new TerminalNoticeBoxes(this);
    m_refusedIndicator = new QLabel(this);
    m_refusedIndicator->setObjectName(QStringLiteral("RefusedIndicator"));
    m_refusedIndicator->hide();
    statusBar()->addPermanentWidget(m_refusedIndicator);
    connect(m_terminalNotices, &TerminalNoticeBoxes::refusedChanged, this, [this] {
        const int refused = m_terminalNotices->refusedCount();
        m_refusedIndicator->setText(refused == 1 ? tr("1 terminal refused") : tr("%1 terminals refused").arg(refused));
        m_refusedIndicator->setToolTip(tr("The latest connections closed without an answer:\n") +
                                       m_terminalNotices->latestRefusals().join(QLatin1Char('\n')));
        m_refusedIndicator->show();
    });
    m_listener = new TerminalListener(listenPort, *m_terminalNotices, this);
    if (Settings::value(Settings::kTerminalsServedBy) == Settings::kService) {
        // The service holds the port; this window administers the same database without competing for it.
        auto* served = new QLabel(tr("Terminals are served by the Qorvil terminal service"), this);
        served->setObjectName(QStringLiteral("TerminalsIndicator"));
        statusBar()->addPermanentWidget(served);
    } else {
        m_listener->start();
    }
}

MainWindow::~MainWindow()
{
    if (ChildWindows::area() == m_area)
        ChildWindows::setArea(nullptr);
}

QAction* MainWindow::makeAction(int id)
{
    const Commands::Design* design = Commands::design(id);
    auto* action = new QAction(design->caption, this);
    action->setData(id);
    action->setObjectName(QStringLiteral("Command%1").arg(id));
    action->setToolTip(design->toolTip);
    action->setStatusTip(design->description);
    if (!design->shortcut.isEmpty())
        action->setShortcut(QKeySequence(design->shortcut, QKeySequence::PortableText));

    const QHash<int, QStyle::StandardPixmap> fallbacks = {
        {Commands::Help, QStyle::SP_DialogHelpButton},
        {Commands::Manual, QStyle::SP_FileDialogContentsView},
        {Commands::LogIn, QStyle::SP_DialogOkButton},
        {Commands::About, QStyle::SP_MessageBoxInformation},
        {Commands::ChangeAdminPassword, QStyle::SP_DialogResetButton},
        {Commands::Exit, QStyle::SP_DialogCloseButton},
        {Commands::PayrollReports, QStyle::SP_FileDialogInfoView},
        {Commands::EmployeeTable, QStyle::SP_FileDialogListView},
        {Commands::ChangeEmployeeId, QStyle::SP_FileDialogContentsView},
        {Commands::Terminals, QStyle::SP_DriveNetIcon},
        {Commands::AuditTrail, QStyle::SP_FileDialogDetailedView},
        {Commands::Exceptions, QStyle::SP_MessageBoxWarning},
        {Commands::ReopenPayPeriod, QStyle::SP_DialogResetButton},
        {Commands::AllowedTerminals, QStyle::SP_DriveNetIcon},
        {Commands::PayRules, QStyle::SP_FileDialogDetailedView},
        {Commands::Undo, QStyle::SP_ArrowBack},
    };
    QIcon fallback;
    if (id == Commands::Clock)
        fallback = QIcon(qorvilLogo(32));
    else if (id == Commands::Lock)
        fallback = padlockIcon();
    else if (id == Commands::NewEmployee)
        fallback = newEmployeeIcon();
    else if (id == Commands::TimeSheets)
        fallback = timeSheetsIcon();
    else if (id == Commands::ClosePayPeriod)
        fallback = Icons::closePeriod();
    else if (id == Commands::TerminalKey)
        fallback = Icons::key();
    else if (fallbacks.contains(id))
        fallback = style()->standardIcon(fallbacks.value(id));
    if (!design->themeIcon.isEmpty())
        action->setIcon(QIcon::fromTheme(design->themeIcon, fallback));
    else if (!fallback.isNull())
        action->setIcon(fallback);

    connect(action, &QAction::triggered, this, [this, id] { executeCommand(id); });
    m_actions.insert(id, action);
    return action;
}

void MainWindow::buildToolBar()
{
    m_toolBar = addToolBar(tr("Standard"));
    m_toolBar->setObjectName(QStringLiteral("Standard"));
    m_toolBar->setIconSize(QSize(24, 24));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    for (int id : {Commands::LogIn, Commands::NewEmployee, Commands::TimeSheets, Commands::Clock, Commands::Lock,
                   Commands::Help})
        m_toolBar->addAction(makeAction(id));
}

void MainWindow::buildMenus()
{
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->setObjectName(QStringLiteral("FileMenu"));
    file->addAction(makeAction(Commands::Terminals));
    file->addSeparator();
    file->addAction(action(Commands::TimeSheets));
    file->addAction(makeAction(Commands::ChangeAdminPassword));
    file->addSeparator();
    file->addAction(makeAction(Commands::Exit));

    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    edit->setObjectName(QStringLiteral("EditMenu"));
    edit->addAction(makeAction(Commands::Undo));
    edit->addSeparator();
    edit->addAction(makeAction(Commands::Cut));
    edit->addAction(makeAction(Commands::Copy));
    edit->addAction(makeAction(Commands::Paste));

    QMenu* view = menuBar()->addMenu(tr("&View"));
    view->setObjectName(QStringLiteral("ViewMenu"));
    const Commands::Design* toolbarsDesign = Commands::design(Commands::Toolbars);
    QMenu* toolbars = view->addMenu(toolbarsDesign->caption);
    toolbars->setObjectName(QStringLiteral("ToolbarsMenu"));
    toolbars->menuAction()->setData(int(Commands::Toolbars));
    toolbars->menuAction()->setToolTip(toolbarsDesign->toolTip);
    toolbars->menuAction()->setStatusTip(toolbarsDesign->description);
    QAction* standard = m_toolBar->toggleViewAction();
    standard->setText(tr("Standard"));
    standard->setStatusTip(toolbarsDesign->description);
    toolbars->addAction(standard);
    m_actions.insert(Commands::Toolbars, toolbars->menuAction());

    const Commands::Design* statusDesign = Commands::design(Commands::StatusBar);
    auto* statusItem = new QAction(statusDesign->caption, this);
    statusItem->setData(int(Commands::StatusBar));
    statusItem->setObjectName(QStringLiteral("Command%1").arg(Commands::StatusBar));
    statusItem->setToolTip(statusDesign->toolTip);
    statusItem->setStatusTip(statusDesign->description);
    statusItem->setCheckable(true);
    statusItem->setChecked(true);
    connect(statusItem, &QAction::toggled, this, [this](bool shown) { statusBar()->setVisible(shown); });
    view->addAction(statusItem);
    m_actions.insert(Commands::StatusBar, statusItem);

    QMenu* admin = menuBar()->addMenu(tr("Administrator"));
    admin->setObjectName(QStringLiteral("AdministratorMenu"));
    admin->menuAction()->setData(int(Commands::AdministratorMenu));
    admin->addAction(makeAction(Commands::PayrollReports));
    admin->addAction(makeAction(Commands::PayRules));
    admin->addAction(makeAction(Commands::Exceptions));
    admin->addAction(makeAction(Commands::PayrollExport));
    admin->addAction(makeAction(Commands::EmployeeTable));
    admin->addSeparator();
    admin->addAction(action(Commands::NewEmployee));
    admin->addSeparator();
    admin->addAction(makeAction(Commands::ChangeEmployeeId));
    admin->addSeparator();
    admin->addAction(makeAction(Commands::AuditTrail));
    admin->addAction(makeAction(Commands::ClosePayPeriod));
    admin->addAction(makeAction(Commands::ReopenPayPeriod));
    admin->addSeparator();
    admin->addAction(makeAction(Commands::AllowedTerminals));
    admin->addAction(makeAction(Commands::TerminalKey));
    admin->addSeparator();
    QAction* showHours = makeAction(Commands::ShowHours);
    showHours->setCheckable(true);
    showHours->setChecked(Settings::value(Settings::kShowHoursAfterPunch) == QStringLiteral("1"));
    admin->addAction(showHours);

    QMenu* window = menuBar()->addMenu(tr("&Window"));
    window->setObjectName(QStringLiteral("WindowMenu"));
    window->addAction(makeAction(Commands::Cascade));
    window->addAction(makeAction(Commands::Tile));
    window->addAction(makeAction(Commands::ArrangeIcons));
    connect(window, &QMenu::aboutToShow, this, [this, window] { fillWindowList(window); });

    QMenu* help = menuBar()->addMenu(tr("Help"));
    help->setObjectName(QStringLiteral("HelpMenu"));
    help->menuAction()->setData(int(Commands::HelpMenu));
    help->addAction(makeAction(Commands::Manual));
    help->addSeparator();
    help->addAction(makeAction(Commands::About));
}

void MainWindow::fillWindowList(QMenu* menu)
{
    // The list of open windows follows the arrange items, numbered with access keys like any desktop program.
    qDeleteAll(m_windowList);
    m_windowList.clear();
    const QList<QMdiSubWindow*> windows = m_area->subWindowList();
    if (windows.isEmpty())
        return;
    m_windowList << menu->addSeparator();
    auto* group = new QActionGroup(menu);
    for (int i = 0; i < windows.size(); ++i) {
        QMdiSubWindow* sub = windows.at(i);
        const QString number = i < 9 ? QStringLiteral("&%1 ").arg(i + 1) : QStringLiteral("%1 ").arg(i + 1);
        QAction* entry = menu->addAction(number + sub->windowTitle());
        entry->setData(int(Commands::WindowList));
        entry->setCheckable(true);
        entry->setChecked(sub == m_area->activeSubWindow());
        entry->setStatusTip(tr("Bring this window to the front"));
        entry->setActionGroup(group);
        connect(entry, &QAction::triggered, m_area, [this, sub = QPointer<QMdiSubWindow>(sub)] {
            if (!sub)
                return;
            if (sub->isMinimized())
                sub->showNormal();
            m_area->setActiveSubWindow(sub);
        });
        m_windowList << entry;
    }
}

void MainWindow::arrangeIcons()
{
    const QRect room = m_area->viewport()->rect();
    int x = 0;
    int y = room.bottom() + 1;
    for (QMdiSubWindow* sub : m_area->subWindowList()) {
        if (!sub->isMinimized())
            continue;
        const QSize size = sub->size();
        if (x > 0 && x + size.width() > room.width()) {
            x = 0;
            y -= size.height();
        }
        sub->move(x, y - size.height());
        x += size.width();
    }
}

void MainWindow::applyCommandStates()
{
    for (auto it = m_actions.cbegin(); it != m_actions.cend(); ++it) {
        if (const std::optional<bool> enabled = Commands::enabledState(it.key(), gLocked))
            it.value()->setEnabled(*enabled);
    }
    m_lockIndicator->setText(gLocked ? tr("Locked") : tr("Administrator logged in"));
    m_lockIndicator->setToolTip((gLocked ? tr("Log in to open the administrative commands")
                                         : tr("Choose Lock to close the administrative commands")) +
                                QLatin1Char('\n') + databaseDescription());
}

void MainWindow::executeCommand(int id)
{
    if (!Commands::enabledState(id, gLocked).value_or(true))
        return;
    switch (id) {
    case Commands::ShowHours: {
        // The clock window follows the setting the next time it comes to the front.
        QAction* item = action(Commands::ShowHours);
        if (QString error; !Settings::setValue(Settings::kShowHoursAfterPunch,
                                               item->isChecked() ? QStringLiteral("1") : QStringLiteral("0"), &error)) {
            item->setChecked(!item->isChecked());
            dialogs().ok(tr("The setting could not be stored: ") + error, item->text(), Dialogs::Icon::Exclamation);
        }
        break;
    }
    case Commands::Help:
        openHelpDocument(QStringLiteral("help.hlp"));
        break;
    case Commands::Manual:
        openHelpDocument(QStringLiteral("help.doc"));
        break;
    case Commands::LogIn:
        ChildWindows::open<LoginWindow>(QStringLiteral("LogIn"));
        break;
    case Commands::Clock:
        ChildWindows::open<ClockWindow>(QStringLiteral("Clock"));
        break;
    case Commands::Lock:
        LockState::set(true);
        break;
    case Commands::About:
        ChildWindows::open<AboutWindow>(QStringLiteral("About"));
        break;
    case Commands::ChangeAdminPassword:
        ChildWindows::open<AdminPassWindow>(QStringLiteral("AdminPass"));
        break;
    case Commands::Exit:
        close();
        break;
    case Commands::Cascade:
        m_area->cascadeSubWindows();
        ChildWindows::keepInside(); // a window that cannot shrink to its place stays inside all the same
        break;
    case Commands::Tile:
        m_area->tileSubWindows();
        ChildWindows::keepInside();
        break;
    case Commands::ArrangeIcons:
        arrangeIcons();
        break;

    case Commands::TimeSheets:
        ChildWindows::open<TimesheetBrowser>(QStringLiteral("Timesheets"));
        break;
    case Commands::NewEmployee:
        // A new employee's window opens on no one, whichever employee another window handed on last.
        gEmpID.clear();
        ChildWindows::open<EmployeeWindow>(QStringLiteral("Employee"));
        break;
    case Commands::PayrollReports:
        ChildWindows::open<PayrollWindow>(QStringLiteral("Payroll"));
        break;
    case Commands::Exceptions:
        ChildWindows::open<ExceptionsWindow>(QStringLiteral("Exceptions"));
        break;
    case Commands::PayrollExport:
        ChildWindows::open<PayrollExportWindow>(QStringLiteral("PayrollExport"));
        break;
    case Commands::EmployeeTable:
        ChildWindows::open<EmpTableWindow>(QStringLiteral("EmpTable"));
        break;
    case Commands::ChangeEmployeeId:
        ChildWindows::open<SearchIdWindow>(QStringLiteral("SearchID"));
        break;
    case Commands::AuditTrail:
        ChildWindows::open<AuditTrailWindow>(QStringLiteral("AuditTrail"));
        break;
    case Commands::ClosePayPeriod:
        ChildWindows::open<ClosePeriodWindow>(QStringLiteral("ClosePeriod"));
        break;
    case Commands::ReopenPayPeriod:
        ChildWindows::open<ReopenPeriodWindow>(QStringLiteral("ReopenPeriod"));
        break;
    case Commands::Terminals:
        // Without a database the terminal list cannot be built, and the server ends.
        if (TerminalsWindow::showConnected(m_listener->connectedTerminals()) == TerminalsWindow::Shown::DatabaseNotOpen)
            close();
        break;
    case Commands::PayRules:
        ChildWindows::open<PayRulesWindow>(QStringLiteral("PayRules"));
        break;
    case Commands::AllowedTerminals:
        ChildWindows::open<AllowedTerminalsWindow>(QStringLiteral("AllowedTerminals"));
        break;
    case Commands::TerminalKey:
        ChildWindows::open<TerminalKeyWindow>(QStringLiteral("TerminalKey"));
        break;

    default:
        break;
    }
}

void MainWindow::openHelpDocument(const QString& name)
{
    // A missing document stays silent, as the help always was; one that is there but finds no program to
    // show it would otherwise look like a dead button.
    const QString path = Language::document(name);
    if (Desktop::openDocument(path) || !QFileInfo::exists(path))
        return;
    dialogs().ok(tr("No program was found to open the manual (a web browser or a document viewer). "
                    "You can open it yourself: %1")
                     .arg(QDir::toNativeSeparators(path)),
                 tr("Help"), Dialogs::Icon::Information);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // Ends the server at once: no question, and the child windows go with the frame.
    m_area->closeAllSubWindows();
    event->accept();
    QCoreApplication::quit();
}
