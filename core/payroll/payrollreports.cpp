#include "core/payroll/payrollreports.h"

#include "core/clock.h"
#include "core/employees/employeerecord.h"
#include "core/store/query.h"
#include "core/store/recordset.h"
#include "core/valueforms.h"

#include <QHash>
#include <functional>
#include <optional>

namespace Payroll {

namespace {

QString csvField(const QString& text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n')) &&
        !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace

QString csvLine(const QStringList& fields)
{
    QStringList out;
    for (const QString& field : fields)
        out << csvField(field);
    return out.join(QLatin1Char(',')) + QStringLiteral("\r\n");
}

QString textTable(const QList<Column>& columns, const QList<QStringList>& rows)
{
    QList<int> widths;
    QStringList header;
    for (const Column& column : columns) {
        header << column.header;
        widths << int(column.header.size());
    }
    for (const QStringList& row : rows)
        for (int i = 0; i < row.size() && i < widths.size(); ++i)
            widths[i] = qMax(widths[i], int(row[i].size()));
    auto format = [&](const QStringList& row) -> QString {
        QStringList cells;
        for (int i = 0; i < widths.size(); ++i) {
            const QString cell = row.value(i);
            cells << (columns[i].numeric ? cell.rightJustified(widths[i]) : cell.leftJustified(widths[i]));
        }
        return cells.join(QStringLiteral("  ")).trimmed() + QLatin1Char('\n');
    };
    QString out = format(header);
    int total = 0;
    for (int width : widths)
        total += width;
    out += QString(total + 2 * (int(widths.size()) - 1), QLatin1Char('-')) + QLatin1Char('\n');
    for (const QStringList& row : rows)
        out += format(row);
    return out;
}

namespace {

// What sets one report apart in the skeleton both share.
struct Spec
{
    QString table;   // the work table
    QString heading; // the report's heading, first line of the text form
    const QList<Column>& columns;
};

// A line under the rows: its caption in the first column, then texts by column name.
struct TotalLine
{
    QString caption;
    QHash<QString, QString> cells;
};

QString number(double value)
{
    return ValueForms::showValue(value);
}

// CSV keeps values in forms software reads without guessing: ISO dates, 24 h times, plain numbers.
QString csvValue(const QVariant& value)
{
    if (value.isNull())
        return QString();
    if (value.typeId() == QMetaType::QDate)
        return ValueForms::storeDate(value.toDate());
    return ValueForms::showValue(value);
}

// The CSV and text forms of the rows and the lines under them, both laid out by the column table.
void writeExports(const Spec& spec, const QList<TotalLine>& totals, const std::optional<QString>& name,
                  PreparedReport* report)
{
    QStringList header;
    for (const Column& column : spec.columns)
        header << column.header;
    QString csv = csvLine(header);
    QList<QStringList> lines;
    for (const Row& row : report->rows) {
        QStringList fields;
        QStringList shown;
        for (const Column& column : spec.columns) {
            const QVariant value = row.value(column.name);
            fields << csvValue(value);
            shown << ValueForms::showValue(value);
        }
        csv += csvLine(fields);
        lines << shown;
    }
    for (const TotalLine& total : totals) {
        QStringList fields = {total.caption};
        for (int i = 1; i < spec.columns.size(); ++i)
            fields << total.cells.value(spec.columns[i].name);
        csv += csvLine(fields);
        lines << fields;
    }
    report->csv = csv;

    QString text = spec.heading + QStringLiteral("\nPay Period From ") + ValueForms::showDate(report->from) +
                   QStringLiteral(" To ") + ValueForms::showDate(report->to) + QStringLiteral("\nDate ") +
                   ValueForms::showDate(report->printed) + QLatin1Char('\n');
    if (name)
        text += QStringLiteral("Name ") + *name + QLatin1Char('\n');
    report->text = text + QLatin1Char('\n') + textTable(spec.columns, lines);
}

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

// The skeleton both reports share: the work table is emptied and filled in one transaction and its rows read
// back inside it, so a report is replaced as a whole or not at all, and rows that cannot be read fail the
// report instead of showing it empty. `fill` gets a function that adds one row, values in column order.
using AddRow = std::function<bool(const QVariantList& values)>;
bool runReport(const Spec& spec, const Request& request, PreparedReport* report, QString* error,
               const std::function<bool(const AddRow& add, QString* error)>& fill)
{
    report->from = request.from;
    report->to = request.to;
    report->printed = today();

    QStringList names;
    for (const Column& column : spec.columns)
        names << column.name;
    const QString insertSql = QStringLiteral("Insert into ") + spec.table + QStringLiteral(" (") +
                              names.join(QStringLiteral(", ")) + QStringLiteral(") values (") +
                              QStringList(names.size(), QStringLiteral("?")).join(QStringLiteral(", ")) +
                              QLatin1Char(')');

    Transaction transaction;
    if (!transaction.isActive())
        return fail(error, transaction.error());
    Query write;
    if (!write.exec(QStringLiteral("Delete from ") + spec.table))
        return fail(error, write.error());
    QString why;
    const AddRow add = [&](const QVariantList& values) {
        if (write.exec(insertSql, values))
            return true;
        why = write.error();
        return false;
    };
    if (!fill(add, &why))
        return fail(error, why);

    RecordSet rows;
    if (!rows.open(QStringLiteral("Select ") + names.join(QStringLiteral(", ")) + QStringLiteral(" from ") +
                   spec.table + QStringLiteral(" order by id")))
        return fail(error, rows.lastError());
    for (rows.moveFirst(); !rows.eof(); rows.moveNext()) {
        Row row;
        for (const QString& name : names)
            row.insert(name, rows.value(name));
        report->rows.append(row);
    }
    if (!transaction.commit())
        return fail(error, transaction.error());
    return true;
}

// Both reports read the period's timesheet rows of an employee through this, so they count the same hours
// for the same rows. `pair` gets each pair that takes part: the row, the pair's in slot and its hours. The
// summary leaves out the date, which it does not show: a year of a large staff is hundreds of thousands of rows.
constexpr int kDateColumn = 6;
QString timesheetSql(bool withDate, bool oneSite)
{
    return QStringLiteral("Select in1, out1, in2, out2, in3, out3") +
           (withDate ? QStringLiteral(", rsdate") : QString()) +
           QStringLiteral(" from timesheet where emp_id = ? and rsdate >= ? and rsdate <= ?") +
           (oneSite ? QStringLiteral(" and site = ?") : QString()) + QStringLiteral(" order by rsdate, id");
}
// The stored times are read as text straight from the statement by the shared parser: a year of a large staff
// is millions of slots, and a QVariant for each would cost more than the query.
template <typename PairFound>
bool forEachPair(const QString& empId, const Request& request, bool withDate, QString* error, const PairFound& pair)
{
    Query sheets;
    QVariantList binds = {empId, ValueForms::storeDate(request.from), ValueForms::storeDate(request.to)};
    if (!request.site.isEmpty())
        binds << request.site;
    if (!sheets.exec(timesheetSql(withDate, !request.site.isEmpty()), binds))
        return fail(error, sheets.error());
    while (sheets.next()) {
        for (int in = 0; in < kDateColumn; in += 2) {
            if (!Pay::pairCounts(!sheets.isNull(in)))
                continue;
            const QTime from = ValueForms::storedTime(sheets.utf8(in));
            const QTime to = sheets.isNull(in + 1) ? QTime() : ValueForms::storedTime(sheets.utf8(in + 1));
            if (!pair(sheets, in, Pay::pairHours(from, to)))
                return false;
        }
    }
    if (!sheets.error().isEmpty())
        return fail(error, sheets.error());
    return true;
}

struct Employee
{
    bool found = false;
    QString name;
    double regWage = 0;
    double otWage = 0;
};

bool readEmployee(const QString& empId, Employee* employee, QString* error)
{
    *employee = Employee();
    Query query;
    if (!query.exec(QStringLiteral("Select emp_fname, emp_lname, reg_wage, ot_wage from employee where emp_id = ?"),
                    {empId}))
        return fail(error, query.error());
    if (query.next()) {
        employee->found = true;
        employee->name = EmployeeRecord::displayName(query.value(0), query.value(1));
        employee->regWage = Pay::wage(query.value(2));
        employee->otWage = Pay::wage(query.value(3));
    }
    return query.error().isEmpty() || fail(error, query.error());
}

QList<TotalLine> detailTotals(const DetailReport& report)
{
    const auto known = [&](double value) { return report.employeeFound ? number(value) : QString(); };
    return {
        {QStringLiteral("Pay Period Hours"),
         {{QStringLiteral("regular"), number(report.totals.regular)},
          {QStringLiteral("rsot"), number(report.totals.overtime)},
          {QStringLiteral("work_hours"), number(report.totals.work)}}},
        {QStringLiteral("Wages Per Hour"),
         {{QStringLiteral("regular"), known(report.regWage)}, {QStringLiteral("rsot"), known(report.otWage)}}},
        {QStringLiteral("Total Earnings"),
         {{QStringLiteral("regular"), known(report.earnings.regular)},
          {QStringLiteral("rsot"), known(report.earnings.overtime)},
          {QStringLiteral("work_hours"), number(report.earnings.total)}}},
    };
}

} // namespace

const QList<Column>& detailColumns()
{
    static const QList<Column> columns = {
        {QStringLiteral("emp_id"), QStringLiteral("Employee ID"), 0, 0, 0, false, QString()},
        {QStringLiteral("rsdate"), QStringLiteral("Date"), 2160, 0, 864, false, QStringLiteral("rsDate")},
        {QStringLiteral("in1"), QStringLiteral("Time In"), 3312, 0, 1152, false, QStringLiteral("Text1")},
        {QStringLiteral("out1"), QStringLiteral("Time Out"), 4752, 0, 1008, false, QStringLiteral("Text2")},
        {QStringLiteral("regular"), QStringLiteral("Regular"), 6048, 0, 864, true, QStringLiteral("Text3")},
        {QStringLiteral("rsot"), QStringLiteral("Overtime"), 6912, 0, 864, true, QStringLiteral("Text4")},
        {QStringLiteral("work_hours"), QStringLiteral("Work Hours"), 7920, 0, 1152, true, QStringLiteral("Text5")},
    };
    return columns;
}

const QList<Column>& summaryColumns()
{
    static const QList<Column> columns = {
        {QStringLiteral("emp_id"), QStringLiteral("Employee ID"), 0, 0, 0, false, QString()},
        {QStringLiteral("emp_name"), QStringLiteral("Name"), 288, 144, 2310, false, QStringLiteral("Text1")},
        {QStringLiteral("regular"), QStringLiteral("Regular"), 4752, 576, 864, true, QStringLiteral("Text5")},
        {QStringLiteral("ot"), QStringLiteral("Overtime"), 6048, 576, 864, true, QStringLiteral("Text6")},
        {QStringLiteral("work_hours"), QStringLiteral("Work Hours"), 7488, 576, 1005, true, QStringLiteral("Text2")},
        {QStringLiteral("wage"), QStringLiteral("Wage"), 4752, 1296, 864, true, QStringLiteral("Text3")},
        {QStringLiteral("ot_wage"), QStringLiteral("Overtime Wage"), 6048, 1296, 864, true, QStringLiteral("Text4")},
        {QStringLiteral("reg_earnings"), QStringLiteral("Regular Earnings"), 4752, 1728, 870, true,
         QStringLiteral("Text9")},
        {QStringLiteral("ot_earnings"), QStringLiteral("Overtime Earnings"), 6048, 1728, 864, true,
         QStringLiteral("Text10")},
        {QStringLiteral("tot_earnings"), QStringLiteral("Total Earnings"), 7488, 1728, 1008, true,
         QStringLiteral("Text11")},
    };
    return columns;
}

bool runDetail(const Request& request, DetailReport* report, QString* error)
{
    *report = DetailReport();
    const ListEntry* checked = nullptr;
    for (const ListEntry& entry : request.list) {
        if (entry.checked) {
            checked = &entry;
            break;
        }
    }
    report->anyChecked = checked != nullptr;
    if (checked)
        report->empId = checked->empId;
    const Spec spec{QStringLiteral("details"), kDetailHeading, detailColumns()};
    const bool done = runReport(spec, request, report, error, [&](const AddRow& add, QString* why) {
        if (!checked)
            return true;
        return forEachPair(checked->empId, request, true, why,
                           [&](const Query& row, int in, const Pay::PairHours& hours) {
                               report->totals.add(hours);
                               return add({checked->empId, row.value(kDateColumn), row.value(in), row.value(in + 1),
                                           hours.regular, hours.overtime, hours.hours});
                           });
    });
    if (!done)
        return false;

    if (checked) {
        Employee employee;
        if (!readEmployee(checked->empId, &employee, error))
            return false;
        // The heading names the employee whose rows these are, as the store knows them now.
        report->name = employee.found ? employee.name : checked->name;
        report->employeeFound = employee.found;
        if (employee.found) {
            report->regWage = employee.regWage;
            report->otWage = employee.otWage;
            report->earnings = Pay::detailEarnings(report->totals, employee.regWage, employee.otWage);
        }
    }
    writeExports(spec, detailTotals(*report), report->name, report);
    return true;
}

bool runSummary(const Request& request, SummaryReport* report, QString* error)
{
    *report = SummaryReport();
    const Spec spec{QStringLiteral("summary"), kSummaryHeading, summaryColumns()};
    const bool done = runReport(spec, request, report, error, [&](const AddRow& add, QString* why) {
        for (const ListEntry& entry : request.list) {
            if (!entry.checked)
                continue;
            report->anyChecked = true;
            Pay::Totals totals;
            if (!forEachPair(entry.empId, request, false, why, [&](const Query&, int, const Pay::PairHours& hours) {
                    totals.add(hours);
                    return true;
                }))
                return false;

            // An employee removed since the list was filled keeps its row: hours written, name and wages
            // left empty, earnings 0.
            Employee employee;
            if (!readEmployee(entry.empId, &employee, why))
                return false;
            QVariant name, regWage, otWage;
            Pay::Earnings earnings;
            if (employee.found) {
                name = employee.name;
                regWage = employee.regWage;
                otWage = employee.otWage;
                earnings = Pay::summaryEarnings(totals, employee.regWage, employee.otWage);
            }
            if (!add({entry.empId, name, Pay::round4(totals.regular), Pay::round4(totals.overtime),
                      Pay::round4(totals.work), regWage, otWage, earnings.regular, earnings.overtime, earnings.total}))
                return false;
        }
        return true;
    });
    if (!done)
        return false;
    writeExports(spec, {}, std::nullopt, report);
    return true;
}

} // namespace Payroll
