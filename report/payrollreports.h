#pragma once

#include "core/payroll/paycomputation.h"
#include "report/reportrenderer.h"

#include <QDate>
#include <QList>
#include <QString>

// The two payroll reports: each empties its work table, fills it from the timesheets of the chosen
// employees and period, and yields its layout with the run-time captions set and its rows.
namespace Payroll {

// One row of the payroll window's employee list.
struct ListEntry
{
    QString name;
    QString empId;
    bool checked = false;
};

struct Request
{
    QDate from;
    QDate to;
    QList<ListEntry> list;
    QString selectedName; // the highlighted row's "Name"; the detail report prints it
};

struct PreparedReport
{
    Report::Layout layout;
    QList<Report::Row> rows; // the work table's rows, as the report's bands show them
    QString csv;             // rows and totals, for payroll software
    QString text;            // the report as aligned plain text
};

struct DetailReport : PreparedReport
{
    bool anyChecked = false;
    QString empId;
    bool employeeFound = false;
    double regWage = 0;
    double otWage = 0;
    Pay::Totals totals;
    Pay::Earnings earnings;
};

struct SummaryReport : PreparedReport
{
    bool anyChecked = false;
};

// "First Last" as lists and reports show an employee; a missing part leaves its blank in place.
QString employeeName(const QVariant& first, const QVariant& last);

// The layouts with their design captions; run-time captions are empty until a report sets them.
Report::Layout detailLayout();
Report::Layout summaryLayout();

// Runs the full detail report for the first checked employee in list order. A store failure leaves the work
// table as it was and returns false with the reason.
bool runDetail(const Request& request, DetailReport* report, QString* error);

// Runs the summary report: one row per checked employee, in list order.
bool runSummary(const Request& request, SummaryReport* report, QString* error);

} // namespace Payroll
