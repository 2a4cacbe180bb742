#pragma once

#include "core/payroll/paycomputation.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <vector>

// The hours of a pay period in the layouts payroll services and accounting packages import. One table per
// layout (its columns, header, date and duration forms) drives one writer, so a layout is added by adding a
// table. The hours come from the same pay computation as the reports.
namespace PayrollExport {

using Pay::HourType;
inline constexpr int kWorkedTypes = 4; // regular to holiday: the hour types with a code of their own in every layout

// Hours of one type on one day, in whole minutes; paid time off by its kind.
struct Hours
{
    HourType type = HourType::Regular;
    QString kind; // paid time off only: "Vacation", "Sick", ...
    qint64 minutes = 0;
};

struct Day
{
    QDate day;
    std::vector<Hours> hours;
};

// One employee with hours in the period, as the store knows them.
struct Worker
{
    QString empId;
    QString payrollId; // empty when not set
    QString firstName;
    QString lastName;
    bool found = true; // false: the employee's record is gone, only the hours are left
    std::vector<Day> days;
};

struct Period
{
    QDate from;
    QDate to;
    std::vector<Worker> workers;
};

// What a payroll service takes from the owner: company and client codes, and each layout's codes of the hour
// types. Kept in the database's settings; a code not set is the layout's default.
struct Settings
{
    QString layout;                 // the layout the payroll window exports; empty until chosen
    QHash<QString, QString> values; // by setting name (kCompanyName, ..., codeName(...))

    QString value(const QString& name) const { return values.value(name); }
};

inline const QString kCompanyName = QStringLiteral("company_name");
inline const QString kCompanyCreateTime = QStringLiteral("company_create_time");
inline const QString kServiceItem = QStringLiteral("service_item");
inline const QString kAdpCompany = QStringLiteral("adp_co_code");
inline const QString kAdpBatch = QStringLiteral("adp_batch_id");
inline const QString kPaychexClient = QStringLiteral("paychex_client_id");

// What a cell of a layout holds.
enum class Value {
    Text,        // the column's text as it stands
    EmployeeId,  // the employee's ID
    PayrollId,   // the payroll ID, or the employee ID when none is set
    FileNumber,  // the payroll ID; an employee without one is refused
    ServiceName, // the payroll ID, or "Last, First" when none is set (QuickBooks' employee list)
    LastName,
    FirstName,
    PeriodStart,
    PeriodEnd,
    Day,
    Code,    // the code of the row's hour type
    Hours,   // the row's hours (decimal, or H:MM where the layout says so)
    Setting, // the setting named by the cell's text
    HoursOf, // the hours of the hour type named by the cell's text, in a row per employee
    CodeOf,  // the code of that hour type when it has hours, in a row per employee
};

struct Cell
{
    Value value = Value::Text;
    QString text = {};
};

struct Column
{
    QString header;
    Cell cell;
};

// How many rows an employee gets.
enum class Grain {
    EmployeeAndType, // one per employee and hour type, for the whole period
    DayAndType,      // one per employee, day and hour type
    Employee,        // one per employee for the whole period, a column per hour type
};

struct Layout
{
    QString name;  // as given to --format
    QString title; // as people read it
    QString extension;
    Grain grain = Grain::EmployeeAndType;
    bool tabs = false;           // tab-separated, nothing quoted (IIF); CSV otherwise
    QList<QList<Cell>> preamble; // lines before the header
    QString headerMark;          // a first header field whose rows carry its text without the '!' (IIF)
    QList<Column> columns;
    QString dateForm = QStringLiteral("yyyy-MM-dd");
    bool clockDuration = false;   // H:MM instead of decimal hours
    Value key = Value::PayrollId; // how the service finds the employee; two the same are refused
    QString codeGroup;            // where its codes are kept (layouts of one service share them); empty: none
    QStringList defaultCodes;     // regular, overtime, double time, holiday
    QStringList required;         // settings the file cannot do without
    int requiredLength = 0;       // the first of them has exactly this many characters (ADP's company code)
    bool kindIsCode = false;      // paid time off's code is its kind unless one is set
    QString fileName;             // suggested name; %1 is the first required setting
};

const QList<Layout>& layouts();
const Layout* layout(const QString& name);
QStringList layoutNames();

// The setting that keeps a code: regular, overtime, double time and holiday by type, paid time off by kind.
QString codeName(const QString& group, HourType type, const QString& kind = QString());
// The code a layout writes for an hour type: the one set, else its default (none for paid time off).
QString codeOf(const Layout& layout, const Settings& settings, HourType type, const QString& kind = QString());
// The name of an hour type in words ("Regular", "Paid time off: Vacation").
QString typeText(HourType type, const QString& kind = QString());

// A written file: its text, its rows of hours, and what the owner should know before importing it.
struct Written
{
    QString text;
    int rows = 0;
    QStringList warnings;
};

// Writes the period in the layout. False with the reason, naming employees and settings, when the layout cannot
// carry it (an ADP employee without a file number, two employees the service could not tell apart, a setting
// the layout needs, text a tab-separated file cannot hold).
bool write(const Layout& layout, const Settings& settings, const Period& period, Written* written, QString* refusal);

// ---- The store --------------------------------------------------------------------------------------------

// The settings on gConn.
bool loadSettings(Settings* settings, QString* error);
bool saveSettings(const Settings& settings, QString* error);
// Payroll IDs by employee ID (employees with one set), and changing one (empty text clears it).
bool setPayrollId(const QString& empId, const QString& payrollId, QString* error);

struct Request
{
    QDate from;
    QDate to;
    QStringList empIds; // these employees in this order; empty: every employee with hours in the range
    QString site = {};  // only the days whose first punch was at this site; empty for every site
};

// The hours of the days and employees, from the pay computation the reports use.
bool gather(const Request& request, Period* period, QString* error);

// An export made before, as the store recorded it.
struct Record
{
    QString exportedAt; // UTC, as stored
    QDate from;
    QDate to;
    QString layout;
    QString file;
};

// The exports whose days overlap the range, newest first.
bool exportedBefore(const QDate& from, const QDate& to, QList<Record>* records, QString* error);
// Records an export (the audit trail follows the table, so it also says who made it).
bool record(const Record& record, int rows, QString* error);

// What should be said before an export is written: exceptions in its days, days not closed yet, days exported
// before.
struct Warnings
{
    int exceptions = 0;
    QDate openFrom; // the first day of the range not in a closed pay period; invalid when all are closed
    QList<Record> previous;
};
bool warnings(const Request& request, Warnings* found, QString* error);

// Gathers, writes the file through a temporary file renamed into place, and records the export.
struct Outcome
{
    Written written;
    int employees = 0;
};
enum class Result { Done, Refused, Failed };
Result exportTo(const Request& request, const Layout& layout, const QString& path, Outcome* outcome, QString* why);

} // namespace PayrollExport
