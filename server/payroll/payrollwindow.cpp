#include "server/payroll/payrollwindow.h"

#include "core/audit/closedperiods.h"
#include "core/clock.h"
#include "core/employees/employeerecord.h"
#include "core/sites/sites.h"
#include "core/valueforms.h"
#include "server/payroll/exceptionswindow.h"
#include "server/payroll/exportforpayroll.h"
#include "server/payroll/reportwindow.h"
#include "widgets/childwindows.h"
#include "widgets/datebox.h"
#include "widgets/dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>

namespace {

// The window's places are given in twips; at 96 dpi a pixel is 15 twips.
QRect twips(int left, int top, int width, int height)
{
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

// The employee list is wider than the described 3015 twips, and the controls beside it move right by as much:
// the owner picks who is paid by name, and at the described width most names were cut.
constexpr int kListWider = 2700;

// Small report pictures for the two buttons: a page with lines of figures, and a page with totals blocks.
QIcon reportIcon(bool detail)
{
    QPixmap picture(32, 32);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(90, 90, 110), 1.2));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(6.5, 2.5, 20, 27));
    p.setBrush(QColor(255, 192, 192));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(9, 5, 15, 4), 1.5, 1.5);
    p.setPen(QPen(QColor(60, 80, 140), 1.4));
    if (detail) {
        for (int y = 12; y <= 26; y += 3)
            p.drawLine(QPointF(9, y), QPointF(24, y));
    } else {
        for (int y : {13, 21}) {
            p.drawLine(QPointF(9, y), QPointF(16, y));
            p.drawLine(QPointF(12, y + 3), QPointF(24, y + 3));
        }
    }
    return QIcon(picture);
}

} // namespace

PayrollWindow::PayrollWindow(QWidget* parent) : FormWindow(parent)
{
    setWindowTitle(tr("Payroll Report"));
    setFixedSize(twips(0, 0, kListWider + 6855, 7200).size());

    auto* frame1 = new QGroupBox(tr("Employee List"), this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    frame1->setGeometry(twips(120, 120, kListWider + 3015, 6915));
    m_list = new QTreeWidget(frame1);
    m_list->setObjectName(QStringLiteral("ListView1"));
    m_list->setGeometry(twips(120, 240, kListWider + 2775, 6555));
    m_list->setHeaderLabels({tr("Name"), tr("Employee ID")});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    // Both headings whole and in sight: the IDs as wide as their heading, the names in the rest. A longer
    // name or ID is cut with "..." and shown whole in its tool tip.
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_list->header()->setSectionResizeMode(1, QHeaderView::Fixed);
    m_list->header()->resizeSection(1, m_list->header()->sectionSizeHint(1));
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    auto* label1 = new QLabel(
        tr("Select the period date range by start date and end date from the 'From' and 'To'  dropdowns"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setWordWrap(true);
    label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label1->setGeometry(twips(kListWider + 3360, 360, 3375, 615));

    auto* label2 = new QLabel(tr("From"), this);
    label2->setObjectName(QStringLiteral("Label2"));
    label2->move(twips(kListWider + 3360, 1080, 0, 0).topLeft());
    m_from = new DateBox(this);
    m_from->setObjectName(QStringLiteral("DTPicker1"));
    m_from->setGeometry(twips(kListWider + 3360, 1320, 2175, 375));

    auto* label3 = new QLabel(tr("To"), this);
    label3->setObjectName(QStringLiteral("Label3"));
    label3->move(twips(kListWider + 3360, 1800, 0, 0).topLeft());
    m_to = new DateBox(this);
    m_to->setObjectName(QStringLiteral("DTPicker2"));
    m_to->setGeometry(twips(kListWider + 3360, 2040, 2175, 375));

    auto* frame2 = new QGroupBox(tr("Report Type"), this);
    frame2->setObjectName(QStringLiteral("Frame2"));
    frame2->setGeometry(twips(kListWider + 3240, 2640, 3375, 2655));
    m_detail = new QPushButton(reportIcon(true), tr("Full Detail Report"), frame2);
    m_detail->setObjectName(QStringLiteral("PushButton1"));
    m_detail->setGeometry(twips(720, 360, 2415, 495));
    m_summary = new QPushButton(reportIcon(false), tr("Summary Report"), frame2);
    m_summary->setObjectName(QStringLiteral("PushButton2"));
    m_summary->setGeometry(twips(720, 960, 2415, 495));
    m_exceptions = new QPushButton(style()->standardIcon(QStyle::SP_MessageBoxWarning), tr("Exceptions"), frame2);
    m_exceptions->setObjectName(QStringLiteral("PushButton3"));
    m_exceptions->setGeometry(twips(720, 1560, 2415, 495));
    m_exceptions->setToolTip(tr("Time records of these days that would be paid wrong, to correct first"));
    // Before a report is made: how many time records of the choice would be paid wrong.
    m_exceptionCount = new QLabel(frame2);
    m_exceptionCount->setObjectName(QStringLiteral("Label5"));
    m_exceptionCount->setWordWrap(true);
    m_exceptionCount->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_exceptionCount->setGeometry(twips(120, 2100, 3135, 495));
    for (QPushButton* button : {m_detail, m_summary, m_exceptions}) {
        button->setIconSize(QSize(22, 22));
        button->setAutoDefault(true);
    }

    m_markAll = new QCheckBox(tr("Mark All Employee"), this);
    m_markAll->setObjectName(QStringLiteral("CheckBox1"));
    m_markAll->setGeometry(twips(kListWider + 3360, 5400, 2535, 255));

    // Under the choices: whether the chosen days may still change.
    m_openPeriod = new QLabel(this);
    m_openPeriod->setObjectName(QStringLiteral("Label4"));
    m_openPeriod->setWordWrap(true);
    m_openPeriod->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_openPeriod->setGeometry(twips(kListWider + 3360, 5715, 3375, 900));

    // The hours of the choice for the payroll service, in the layout chosen in Payroll Export.
    m_export = new QPushButton(tr("Export for Payroll..."), this);
    m_export->setObjectName(QStringLiteral("PushButtonExport"));
    m_export->setGeometry(twips(kListWider + 3360, 6660, 3255, 435));
    m_export->setAutoDefault(true);
    m_export->setToolTip(tr("Write the hours of the chosen days (and checked employees, or everyone with "
                            "hours) for your payroll service"));

    // On a database shared by several sites, below the rest: the reports of one site or of all of them.
    m_siteLabel = new QLabel(tr("&Site"), this);
    m_siteLabel->setObjectName(QStringLiteral("LabelSite"));
    m_siteLabel->setGeometry(twips(kListWider + 3360, 7200, 700, 375));
    m_site = new QComboBox(this);
    m_site->setObjectName(QStringLiteral("ComboSite"));
    m_site->setGeometry(twips(kListWider + 4080, 7170, 2535, 375));
    m_site->setToolTip(tr("Only the days whose first punch was at this site, or every site"));
    m_siteLabel->setBuddy(m_site);
    m_siteLabel->hide();
    m_site->hide();

    giveFocusBackOnClose();
    connect(m_from, &QDateEdit::dateChanged, this, &PayrollWindow::showOpenPeriod);
    connect(m_to, &QDateEdit::dateChanged, this, &PayrollWindow::showOpenPeriod);
    connect(m_markAll, &QCheckBox::clicked, this, &PayrollWindow::markAll);
    connect(m_detail, &QPushButton::clicked, this, &PayrollWindow::fullDetailReport);
    connect(m_summary, &QPushButton::clicked, this, &PayrollWindow::summaryReport);
    connect(m_exceptions, &QPushButton::clicked, this, &PayrollWindow::showExceptions);
    // Counted once the choice has settled: marking every employee changes each line, one by one.
    m_countLater = new QTimer(this);
    m_countLater->setSingleShot(true);
    m_countLater->setInterval(0);
    connect(m_countLater, &QTimer::timeout, this, &PayrollWindow::countExceptions);
    const auto later = [this] {
        if (m_loaded)
            m_countLater->start();
    };
    connect(m_from, &QDateEdit::dateChanged, this, later);
    connect(m_to, &QDateEdit::dateChanged, this, later);
    connect(m_site, &QComboBox::currentIndexChanged, this, later);
    connect(m_list, &QTreeWidget::itemChanged, this, later);
    connect(m_export, &QPushButton::clicked, this, &PayrollWindow::exportForPayroll);
}

bool PayrollWindow::load()
{
    m_from->setDate(today());
    m_to->setDate(today());
    if (!requireDatabase())
        return false;
    // With a pay period set, the last complete one is offered.
    QString why;
    if (Pay::load(&m_rules, &why)) {
        if (const auto period = Pay::lastCompletePeriod(m_rules, today()); period.first.isValid()) {
            m_from->setDate(period.first);
            m_to->setDate(period.second);
        }
    }
    if (!m_employees.open(QStringLiteral("Select * from employee"))) {
        showReadFailed(tr("The employees"), m_employees.lastError());
        return false;
    }
    for (m_employees.moveFirst(); !m_employees.eof(); m_employees.moveNext()) {
        auto* item = new QTreeWidgetItem(m_list);
        item->setText(0, EmployeeRecord::displayName(m_employees.value(QStringLiteral("emp_fname")),
                                                     m_employees.value(QStringLiteral("emp_lname"))));
        item->setText(1, m_employees.value(QStringLiteral("emp_id")).toString());
        item->setToolTip(0, item->text(0)); // the whole text, where a column elides it
        item->setToolTip(1, item->text(1));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Unchecked);
    }
    // A list always has a highlighted row once it has rows.
    if (m_list->topLevelItemCount() > 0)
        m_list->setCurrentItem(m_list->topLevelItem(0));
    readClosedPeriods();
    QString error;
    if (const QStringList sites = Sites::known(&error); !sites.isEmpty()) {
        m_site->clear();
        m_site->addItem(tr("All sites"));
        m_site->addItems(sites);
        m_siteLabel->show();
        m_site->show();
        setFixedSize(twips(0, 0, kListWider + 6855, 7740).size());
    }
    m_loaded = true;
    countExceptions();
    return true;
}

void PayrollWindow::activated()
{
    // A pay period may have been closed or reopened meanwhile, and time records corrected.
    readClosedPeriods();
    countExceptions();
}

void PayrollWindow::readClosedPeriods()
{
    QString error;
    m_closedRead = ClosedPeriods::closedThrough(&m_closedThrough, &error);
    if (!Pay::load(&m_rules, &error))
        m_rules = Pay::Rules();
    showOpenPeriod();
}

void PayrollWindow::showOpenPeriod()
{
    const QDate from = m_from->date();
    const QDate to = m_to->date();
    if (!m_closedRead)
        m_openPeriod->clear();
    else if (!m_closedThrough.isValid())
        m_openPeriod->setText(tr("No pay period is closed: these days may still change."));
    else if (to > m_closedThrough)
        m_openPeriod->setText(QStringLiteral("The days from %1 on are open and may still change.")
                                  .arg(ValueForms::showDate(std::max(from, m_closedThrough.addDays(1)))));
    else
        m_openPeriod->setText(tr("Every day chosen is in a closed pay period."));
    // A weekly threshold counts the week's days before From too; the reports say so, and so does the window.
    if (m_rules.weekly() && m_rules.weekOf(from) != from)
        m_openPeriod->setText(m_openPeriod->text() + QLatin1Char('\n') +
                              QStringLiteral("Weekly overtime counts from %1, the start of that week.")
                                  .arg(ValueForms::showDate(m_rules.weekOf(from))));
}

Payroll::Request PayrollWindow::request() const
{
    Payroll::Request request;
    request.from = m_from->date();
    request.to = m_to->date();
    if (m_site->currentIndex() > 0)
        request.site = m_site->currentText();
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = m_list->topLevelItem(i);
        request.list.append({item->text(0), item->text(1), item->checkState(0) == Qt::Checked});
    }
    return request;
}

PayExceptions::Request PayrollWindow::exceptionsRequest() const
{
    const Payroll::Request chosen = request();
    PayExceptions::Request request{chosen.from, chosen.to, {}, chosen.site};
    for (const Payroll::ListEntry& entry : chosen.list) {
        if (entry.checked)
            request.empIds << entry.empId;
    }
    return request;
}

void PayrollWindow::countExceptions()
{
    std::vector<PayExceptions::Exception> found;
    QString error;
    const PayExceptions::Request request = exceptionsRequest();
    const QString whose = request.empIds.isEmpty() ? tr("of every employee") : tr("of the checked employees");
    if (!PayExceptions::find(request, &found, &error))
        m_exceptionCount->setText(tr("The exceptions could not be counted: ") + error);
    else if (found.empty())
        m_exceptionCount->setText(tr("No exceptions in these days %1.").arg(whose));
    else
        m_exceptionCount->setText(
            tr("%1 %2 in these days %3: correct them before paying.")
                .arg(QString::number(found.size()), found.size() == 1 ? tr("exception") : tr("exceptions"), whose));
}

void PayrollWindow::showExceptions()
{
    if (auto* window = ChildWindows::open<ExceptionsWindow>(QStringLiteral("Exceptions")))
        window->choose(exceptionsRequest());
}

void PayrollWindow::markAll(bool checked)
{
    for (int i = 0; i < m_list->topLevelItemCount(); ++i)
        m_list->topLevelItem(i)->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

void PayrollWindow::reportFailed(const QString& report, const QString& error)
{
    dialogs().ok(tr("The %1 could not be prepared: %2").arg(report, error), tr("Payroll Report"),
                 Dialogs::Icon::Exclamation);
}

void PayrollWindow::fullDetailReport()
{
    Payroll::DetailReport report;
    QString error;
    if (!Payroll::runDetail(request(), &report, &error)) {
        reportFailed(tr("full detail report"), error);
        return;
    }
    // A report headed by nobody, with 0 hours, would pass for a real one.
    if (!report.anyChecked) {
        dialogs().ok(tr("Check the employee whose full detail report you want in the Employee List."),
                     tr("Payroll Report"), Dialogs::Icon::Information);
        return;
    }
    showReport(report);
}

template <class R> void PayrollWindow::showReport(const R& report)
{
    const bool wasOpen = ChildWindows::find(Payroll::layoutOf(report).name) != nullptr;
    ReportWindow* shown = ReportWindow::openReport(report);
    QMdiSubWindow* own = ChildWindows::frameOf(this);
    QMdiSubWindow* frame = ChildWindows::frameOf(shown);
    if (wasOpen || !own || !frame)
        return;
    // A new report window opens beside the employee list rather than over it, where there is room.
    const QRect room = frame->parentWidget()->rect();
    auto listRight = [&] {
        return own->mapTo(frame->parentWidget(), m_list->parentWidget()->geometry().topRight()).x();
    };
    // This window opened centred; to the left edge when that makes room for the report beside the list.
    if (room.width() - (listRight() + 8) < 480 && own->x() > 0)
        own->move(0, own->y());
    const int left = listRight() + 8;
    if (room.width() - left < 480)
        return;
    const int top = room.height() - own->y() >= 360 ? own->y() : 0;
    frame->setGeometry(left, top, room.width() - left, room.height() - top);
}

void PayrollWindow::summaryReport()
{
    Payroll::SummaryReport report;
    QString error;
    if (!Payroll::runSummary(request(), &report, &error)) {
        reportFailed(tr("summary report"), error);
        return;
    }
    if (report.anyChecked)
        showReport(report);
}

void PayrollWindow::exportForPayroll()
{
    const Payroll::Request chosen = request();
    PayrollExport::Request request{chosen.from, chosen.to, {}, chosen.site};
    for (const Payroll::ListEntry& entry : chosen.list) {
        if (entry.checked)
            request.empIds << entry.empId;
    }
    ExportForPayroll::run(request);
}
