// Reports and windows on a seeded database, through the code the windows use:
//   reportbench <database> <from yyyy-mm-dd> <to yyyy-mm-dd> [detail from yyyy-mm-dd]
// The summary covers from..to; the detail report, one employee, covers its own start (or from)..to.
// Prints one "name value" line per figure: times in ms, memory in KiB, and the summary's check sums.
#include "bench/benchsupport.h"
#include "core/employees/employeerecord.h"
#include "core/payroll/payrollreports.h"
#include "core/store/recordset.h"
#include "server/payroll/reportwindow.h"
#include "server/serverstate.h"
#include "server/timesheets/timesheetbrowser.h"
#include "server/timesheets/timesheeteditor.h"
#include "widgets/childwindows.h"

#include <QApplication>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QTreeWidget>
#include <cstdio>

namespace {

void figure(const char* name, double value)
{
    std::printf("%s %.3f\n", name, value);
    std::fflush(stdout);
}

double msSince(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: reportbench <database> <from> <to>\n");
        return 2;
    }
    AnsweringDialogs dialogs;
    if (!Database::open(Database::Kind::Server, QString::fromLocal8Bit(argv[1])))
        return 1;
    Payroll::Request request;
    request.from = QDate::fromString(QString::fromLatin1(argv[2]), Qt::ISODate);
    request.to = QDate::fromString(QString::fromLatin1(argv[3]), Qt::ISODate);
    {
        // Everybody checked, in the payroll window's list order.
        RecordSet employees;
        if (!employees.open(QStringLiteral("Select * from Employee"))) {
            std::fprintf(stderr, "reportbench: %s\n", qPrintable(employees.lastError()));
            return 1;
        }
        for (; !employees.eof(); employees.moveNext())
            request.list.append({EmployeeRecord::displayName(employees.value(QStringLiteral("emp_fname")),
                                                             employees.value(QStringLiteral("emp_lname"))),
                                 employees.value(QStringLiteral("emp_id")).toString(), true});
    }
    QString error;
    QElapsedTimer timer;

    timer.start();
    Payroll::SummaryReport summary;
    if (!Payroll::runSummary(request, &summary, &error)) {
        std::fprintf(stderr, "reportbench: %s\n", qPrintable(error));
        return 1;
    }
    figure("summary_ms", msSince(timer));
    double hours = 0;
    double earnings = 0;
    for (const auto& row : summary.rows) {
        hours += row.value(QStringLiteral("work_hours")).toDouble();
        earnings += row.value(QStringLiteral("tot_earnings")).toDouble();
    }
    figure("summary_rows", summary.rows.size());
    std::printf("summary_hours %.4f\nsummary_earnings %.6f\n", hours, earnings);

    // The same summary under daily and weekly overtime, double time, rounding and a meal deduction; the rules
    // in force are put back afterwards.
    {
        Pay::Rules stored, rules;
        if (!Pay::load(&stored, &error))
            return 1;
        rules = stored;
        for (const auto& [name, value] : {std::pair{"overtime", "daily-weekly"}, std::pair{"double_after", "12"},
                                          std::pair{"round_minutes", "15"}, std::pair{"meal_minutes", "30"}})
            Pay::set(&rules, QLatin1String(name), QLatin1String(value), &error);
        if (!Pay::save(rules, &error)) {
            std::fprintf(stderr, "reportbench: %s\n", qPrintable(error));
            return 1;
        }
        timer.restart();
        Payroll::SummaryReport underRules;
        const bool done = Payroll::runSummary(request, &underRules, &error);
        const double ms = msSince(timer);
        if (!Pay::save(stored, &error) || !done) {
            std::fprintf(stderr, "reportbench: %s\n", qPrintable(error));
            return 1;
        }
        figure("summary_rules_ms", ms);
    }

    timer.restart();
    ReportWindow::openReport(summary);
    QCoreApplication::processEvents();
    figure("summary_first_page_ms", msSince(timer));

    timer.restart();
    Payroll::DetailReport detail;
    Payroll::Request detailRequest = request;
    if (argc > 4)
        detailRequest.from = QDate::fromString(QString::fromLatin1(argv[4]), Qt::ISODate);
    if (!Payroll::runDetail(detailRequest, &detail, &error)) {
        std::fprintf(stderr, "reportbench: %s\n", qPrintable(error));
        return 1;
    }
    figure("detail_ms", msSince(timer));
    figure("detail_rows", detail.rows.size());
    timer.restart();
    ReportWindow::openReport(detail);
    QCoreApplication::processEvents();
    figure("detail_first_page_ms", msSince(timer));

    // The time record editor and the timesheet browser on the whole table.
    const long before = procStatusKiB("VmRSS");
    timer.restart();
    FormWindow* editor = ChildWindows::open(QStringLiteral("AddTime"), [] { return new TimesheetEditor; });
    QCoreApplication::processEvents();
    figure("editor_open_ms", msSince(timer));
    figure("editor_rss_growth_kib", procStatusKiB("VmRSS") - before);
    if (editor)
        editor->closeWindow();
    QCoreApplication::processEvents();

    const long beforeBrowser = procStatusKiB("VmRSS");
    timer.restart();
    FormWindow* browser = ChildWindows::open(QStringLiteral("Timesheets"), [] { return new TimesheetBrowser; });
    QCoreApplication::processEvents();
    figure("browser_open_ms", msSince(timer));
    // Listing the first employee's year, as a click in the employee list does.
    auto* list = browser ? browser->findChild<QTreeWidget*>(QStringLiteral("EmpList")) : nullptr;
    auto* from = browser ? browser->findChild<QDateEdit*>(QStringLiteral("DTPicker1")) : nullptr;
    if (list && from && list->topLevelItemCount() > 0) {
        from->setDate(request.from);
        timer.restart();
        Q_EMIT list->itemClicked(list->topLevelItem(0), 0);
        QCoreApplication::processEvents();
        figure("browser_list_year_ms", msSince(timer));
    }
    figure("browser_rss_growth_kib", procStatusKiB("VmRSS") - beforeBrowser);
    figure("peak_kib", procStatusKiB("VmHWM"));
    Database::close();
    return 0;
}
