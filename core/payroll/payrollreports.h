#pragma once

#include "core/payroll/paycomputation.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QVariantMap>

// The data of the two payroll reports: each replaces its work table with the rows of the chosen employees
// and period, reads them back, and computes its totals and export forms once. The banded layouts that
// print them live with the renderer.
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
    QString site = {}; // only the days whose first punch was at this site; empty for every site
};

// The reports' headings, on the page and at the top of the text form.
inline const QString kDetailHeading = QStringLiteral(QT_TRANSLATE_NOOP("Payroll", "Detailed Timesheet Report"));
inline const QString kSummaryHeading = QStringLiteral(QT_TRANSLATE_NOOP("Payroll", "Timesheet Report Summary"));

// One column of a report. The work table's INSERT, the band's text box, the CSV and text exports and their
// alignment all come from this table, so a column is added or moved in one place.
struct Column
{
    QString name;   // in the work table, lower case
    QString header; // the exports' heading, and the page heading where the band has one
    int left = 0;   // the text box in the band, in twips from the band's top left
    int top = 0;
    int width = 0; // 0: exported only, not printed
    bool numeric = false;
    QString box; // the text box's name
};

// A plain text table under a heading line, every column as wide as its widest cell; numbers right-aligned.
QString textTable(const QList<Column>& columns, const QList<QStringList>& rows);

// The columns with every pay rule at its default.
const QList<Column>& detailColumns();
const QList<Column>& summaryColumns();

// What a report under other rules shows beyond the default columns.
struct Shape
{
    bool byRules = false;  // a rule changes pay: hours in exact minutes, money in cents
    bool rounding = false; // counted times beside the stored ones
    bool doubleTime = false;
    bool holiday = false;
    bool paidTimeOff = false;
    bool weekly = false; // per-week subtotals in the detail report
};
QList<Column> detailColumns(const Shape& shape);
QList<Column> summaryColumns(const Shape& shape);

// A line under the rows: its caption in the first column, then texts by column name.
struct TotalLine
{
    QString caption;
    QHash<QString, QString> cells;
};

// One row of a work table by lower-case column name, values in their column's type.
using Row = QVariantMap;

struct PreparedReport
{
    QDate from;
    QDate to;
    QDate printed; // the day the report was made
    Shape shape;
    QList<Column> columns; // as shown: the default ones unless a rule changes pay
    QString rules;         // the rules in words, named in the heading when they change pay
    QString note;          // "the week's earlier days were read", when they were
    QList<Row> rows;       // the work table's rows, as the report's bands show them
    QString csv;           // rows and totals, for payroll software
    QString text;          // the report as aligned plain text
};

struct DetailReport : PreparedReport
{
    bool anyChecked = false;
    QString empId;
    QString name; // the employee whose rows are listed
    bool employeeFound = false;
    // The totals, computed once; the footer's captions and the exports both show these.
    Pay::Totals totals;
    double regWage = 0; // wages and earnings are unknown (shown empty) unless the employee was found
    double otWage = 0;
    Pay::Earnings earnings;
    // Under rules that change pay: the totals in minutes and the earnings in cents.
    Pay::Minutes minutes;
    Pay::Money money;
    bool mixedWages = false;     // the range crosses pay periods closed at other wages
    QList<TotalLine> totalLines; // hours, wages and earnings per hour type, as printed under the rows
};

struct SummaryReport : PreparedReport
{
    bool anyChecked = false;
    bool readEarlierDays = false;
};

// The full detail report of the first checked employee in list order. A failure of the store leaves the
// work table as it was and returns false with the store's reason.
bool runDetail(const Request& request, DetailReport* report, QString* error);

// The summary report: one row per checked employee, in list order. Fails as the detail report does.
bool runSummary(const Request& request, SummaryReport* report, QString* error);

} // namespace Payroll
