#include "core/payroll/payrollreports.h"

#include "core/clock.h"
#include "core/csv.h"
#include "core/employees/employeerecord.h"
#include "core/store/query.h"
#include "core/store/recordset.h"
#include "core/valueforms.h"

#include <QHash>
#include <functional>
#include <optional>

namespace Payroll {

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
    QString csv = Csv::line(header);
    QList<QStringList> lines;
    for (const Row& row : report->rows) {
        QStringList fields;
        QStringList shown;
        for (const Column& column : spec.columns) {
            const QVariant value = row.value(column.name);
            fields << csvValue(value);
            shown << ValueForms::showValue(value);
        }
        csv += Csv::line(fields);
        lines << shown;
    }
    for (const TotalLine& total : totals) {
        QStringList fields = {total.caption};
        for (int i = 1; i < spec.columns.size(); ++i)
            fields << total.cells.value(spec.columns[i].name);
        csv += Csv::line(fields);
        lines << fields;
    }
    report->csv = csv;

    QString text = spec.heading + (report->rules.isEmpty() ? QString() : QStringLiteral(" - ") + report->rules) +
                   QStringLiteral("\nPay Period From ") + ValueForms::showDate(report->from) + QStringLiteral(" To ") +
                   ValueForms::showDate(report->to) + QStringLiteral("\nDate ") +
                   ValueForms::showDate(report->printed) + QLatin1Char('\n');
    if (!report->note.isEmpty())
        text += report->note + QLatin1Char('\n');
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

QString hoursText(qint64 minutes)
{
    return number(Pay::hoursOf(minutes));
}

QString moneyText(qint64 cents)
{
    const qint64 whole = cents / 100;
    const qint64 part = std::abs(cents % 100);
    return (cents < 0 && whole == 0 ? QStringLiteral("-") : QString()) + QString::number(whole) + QLatin1Char('.') +
           QStringLiteral("%1").arg(part, 2, 10, QLatin1Char('0'));
}

// A counted minute of the day: 24:00 for the midnight an out time rounds to, "+1" for the next day.
QString countedText(int minute)
{
    if (minute < 0)
        return QString();
    const auto hm = [](int m) {
        return QStringLiteral("%1:%2").arg(m / 60, 2, 10, QLatin1Char('0')).arg(m % 60, 2, 10, QLatin1Char('0'));
    };
    if (minute <= 24 * 60)
        return hm(minute);
    return hm(minute - 24 * 60) + QStringLiteral(" +1");
}

// The hour types' columns in the work tables, beside the ones every report has.
struct TypeColumn
{
    Pay::HourType type;
    QString detail;  // column in details
    QString summary; // hours column in summary
    QString header;
    QString wage;     // wage column in summary ("" when none)
    QString earnings; // earnings column in summary
};

const QList<TypeColumn>& typeColumns()
{
    static const QList<TypeColumn> columns = {
        {Pay::HourType::Regular, QStringLiteral("regular"), QStringLiteral("regular"),
         QStringLiteral(QT_TRANSLATE_NOOP("Payroll", "Regular")), QStringLiteral("wage"),
         QStringLiteral("reg_earnings")},
        {Pay::HourType::Overtime, QStringLiteral("rsot"), QStringLiteral("ot"),
         QStringLiteral(QT_TRANSLATE_NOOP("Payroll", "Overtime")), QStringLiteral("ot_wage"),
         QStringLiteral("ot_earnings")},
        {Pay::HourType::DoubleTime, QStringLiteral("double_time"), QStringLiteral("double_time"),
         QStringLiteral(QT_TRANSLATE_NOOP("Payroll", "Double Time")), QStringLiteral("dt_wage"),
         QStringLiteral("dt_earnings")},
        {Pay::HourType::Holiday, QStringLiteral("holiday"), QStringLiteral("holiday"),
         QStringLiteral(QT_TRANSLATE_NOOP("Payroll", "Holiday")), QStringLiteral("hol_wage"),
         QStringLiteral("hol_earnings")},
        {Pay::HourType::PaidTimeOff, QStringLiteral("pto"), QStringLiteral("pto"),
         QStringLiteral(QT_TRANSLATE_NOOP("Payroll", "Paid Time Off")), QString(), QStringLiteral("pto_earnings")},
    };
    return columns;
}

bool shown(const Shape& shape, Pay::HourType type)
{
    switch (type) {
    case Pay::HourType::DoubleTime:
        return shape.doubleTime;
    case Pay::HourType::Holiday:
        return shape.holiday;
    case Pay::HourType::PaidTimeOff:
        return shape.paidTimeOff;
    default:
        return true;
    }
}

// The wage each hour type is paid at, per hour.
double wageOf(Pay::HourType type, const Pay::Rules& rules, const Pay::Wages& wages)
{
    switch (type) {
    case Pay::HourType::Overtime:
        return wages.overtime;
    case Pay::HourType::DoubleTime:
        return wages.regular * rules.doubleRate;
    case Pay::HourType::Holiday:
        return rules.holidayPay == Pay::HolidayPay::Rate ? wages.regular * rules.holidayRate : wages.overtime;
    default:
        return wages.regular;
    }
}

Shape shapeOf(const Pay::Calculator& calculator, const Request& request, bool paidTimeOff, bool mixedWages)
{
    Shape shape;
    shape.byRules = calculator.changesPay(request.from, request.to) || paidTimeOff || mixedWages;
    if (!shape.byRules)
        return shape;
    for (const QDate& day : {request.from, request.to}) {
        const Pay::Rules& rules = calculator.rulesOn(day);
        shape.rounding = shape.rounding || rules.roundMinutes > 0;
        shape.doubleTime = shape.doubleTime || rules.doubleTime();
        shape.holiday = shape.holiday || rules.holidaysPaid();
        shape.weekly = shape.weekly || rules.weekly();
    }
    shape.paidTimeOff = paidTimeOff;
    return shape;
}

// The rules named in a report's heading, and the note on the earlier days of the week.
void describeRules(const Pay::Calculator& calculator, const Request& request, bool readEarlierDays,
                   PreparedReport* report)
{
    if (!report->shape.byRules)
        return;
    const Pay::Rules& last = calculator.rulesOn(request.to);
    report->rules = last.describe();
    if (!(calculator.rulesOn(request.from) == last))
        report->rules += QStringLiteral(" (closed pay periods under the rules they were closed with)");
    if (readEarlierDays)
        report->note = QStringLiteral("Weekly overtime counts the hours worked from %1, the start of the week.")
                           .arg(ValueForms::showDate(last.weekOf(request.from)));
}

struct Employee
{
    bool found = false;
    QString name;
    double regWage = 0;
    double otWage = 0;
};

Employee employeeOf(const Query& query, int first)
{
    Employee employee;
    employee.found = true;
    employee.name = EmployeeRecord::displayName(query.value(first), query.value(first + 1));
    employee.regWage = Pay::wage(query.value(first + 2));
    employee.otWage = Pay::wage(query.value(first + 3));
    return employee;
}

bool readEmployee(const QString& empId, Employee* employee, QString* error)
{
    *employee = Employee();
    Query query;
    if (!query.exec(QStringLiteral("Select emp_fname, emp_lname, reg_wage, ot_wage from employee where emp_id = ?"),
                    {empId}))
        return fail(error, query.error());
    if (query.next())
        *employee = employeeOf(query, 0);
    return query.error().isEmpty() || fail(error, query.error());
}

// Every employee at once, by the form its ID compares by (case-blind, as readEmployee's do), which goes to `ids`.
bool readEmployees(QHash<QString, Employee>* employees, Pay::IdForms* ids, QString* error)
{
    Query query;
    if (!query.exec(
            QStringLiteral("Select emp_id, lower(emp_id), emp_fname, emp_lname, reg_wage, ot_wage from employee")))
        return fail(error, query.error());
    while (query.next()) {
        if (!employees->contains(query.text(1)))
            employees->insert(query.text(1), employeeOf(query, 2));
        ids->add(query.text(0), query.text(1));
    }
    return query.error().isEmpty() || fail(error, query.error());
}

QList<TotalLine> detailTotals(const DetailReport& report)
{
    const auto known = [&](double value) { return report.employeeFound ? number(value) : QString(); };
    return {
        {QStringLiteral(QT_TRANSLATE_NOOP("Payroll", "Pay Period Hours")),
         {{QStringLiteral("regular"), number(report.totals.regular)},
          {QStringLiteral("rsot"), number(report.totals.overtime)},
          {QStringLiteral("work_hours"), number(report.totals.work)}}},
        {QStringLiteral(QT_TRANSLATE_NOOP("Payroll", "Wages Per Hour")),
         {{QStringLiteral("regular"), known(report.regWage)}, {QStringLiteral("rsot"), known(report.otWage)}}},
        {QStringLiteral(QT_TRANSLATE_NOOP("Payroll", "Total Earnings")),
         {{QStringLiteral("regular"), known(report.earnings.regular)},
          {QStringLiteral("rsot"), known(report.earnings.overtime)},
          {QStringLiteral("work_hours"), number(report.earnings.total)}}},
    };
}

} // namespace

const QList<Column>& detailColumns()
{
    static const QList<Column> columns = {
        {QStringLiteral("emp_id"), QStringLiteral(QT_TRANSLATE_NOOP("Payroll", "Employee ID")), 0, 0, 0, false,
         QString()},
        {QStringLiteral("rsdate"), QStringLiteral(QT_TRANSLATE_NOOP("Payroll", "Date")), 2160, 0, 864, false,
         QStringLiteral("rsDate")},
        {QStringLiteral("in1"), QStringLiteral(QT_TRANSLATE_NOOP("Payroll", "Time In")), 3312, 0, 1152, false,
         QStringLiteral("Text1")},
        {QStringLiteral("out1"), QStringLiteral(QT_TRANSLATE_NOOP("Payroll", "Time Out")), 4752, 0, 1008, false,
         QStringLiteral("Text2")},
        {QStringLiteral("regular"), QStringLiteral(QT_TRANSLATE_NOOP("Payroll", "Regular")), 6048, 0, 864, true,
         QStringLiteral("Text3")},
        {QStringLiteral("rsot"), QStringLiteral(QT_TRANSLATE_NOOP("Payroll", "Overtime")), 6912, 0, 864, true,
         QStringLiteral("Text4")},
        {QStringLiteral("work_hours"), QStringLiteral(QT_TRANSLATE_NOOP("Payroll", "Work Hours")), 7920, 0, 1152, true,
         QStringLiteral("Text5")},
    };
    return columns;
}

const QList<Column>& summaryColumns()
{
    static const QList<Column> columns = {
        {QStringLiteral("emp_id"), QStringLiteral(QT_TRANSLATE_NOOP("Payroll", "Employee ID")), 0, 0, 0, false,
         QString()},
        {QStringLiteral("emp_name"), QStringLiteral(QT_TRANSLATE_NOOP("Payroll", "Name")), 288, 144, 2310, false,
         QStringLiteral("Text1")},
        {QStringLiteral("regular"), QStringLiteral(QT_TRANSLATE_NOOP("Payroll", "Regular")), 4752, 576, 864, true,
         QStringLiteral("Text5")},
        {QStringLiteral("ot"), QStringLiteral(QT_TRANSLATE_NOOP("Payroll", "Overtime")), 6048, 576, 864, true,
         QStringLiteral("Text6")},
        {QStringLiteral("work_hours"), QStringLiteral(QT_TRANSLATE_NOOP("Payroll", "Work Hours")), 7488, 576, 1005,
         true, QStringLiteral("Text2")},
        {QStringLiteral("wage"), QStringLiteral(QT_TRANSLATE_NOOP("Payroll", "Wage")), 4752, 1296, 864, true,
         QStringLiteral("Text3")},
        {QStringLiteral("ot_wage"), QStringLiteral(QT_TRANSLATE_NOOP("Payroll", "Overtime Wage")), 6048, 1296, 864,
         true, QStringLiteral("Text4")},
        {QStringLiteral("reg_earnings"), QStringLiteral(QT_TRANSLATE_NOOP("Payroll", "Regular Earnings")), 4752, 1728,
         870, true, QStringLiteral("Text9")},
        {QStringLiteral("ot_earnings"), QStringLiteral(QT_TRANSLATE_NOOP("Payroll", "Overtime Earnings")), 6048, 1728,
         864, true, QStringLiteral("Text10")},
        {QStringLiteral("tot_earnings"), QStringLiteral(QT_TRANSLATE_NOOP("Payroll", "Total Earnings")), 7488, 1728,
         1008, true, QStringLiteral("Text11")},
    };
    return columns;
}

QList<Column> detailColumns(const Shape& shape)
{
    if (!shape.byRules)
        return detailColumns();
    // The item (a week's subtotal, the kind of paid time off, a meal deducted) at the left, then the date,
    // then the times and the hour types sharing the rest of the line.
    QList<Column> columns = {
        {QStringLiteral("emp_id"), QStringLiteral(QT_TRANSLATE_NOOP("Payroll", "Employee ID")), 0, 0, 0, false,
         QString()},
        {QStringLiteral("caption"), QStringLiteral(QT_TRANSLATE_NOOP("Payroll", "Item")), 288, 0, 1368, false,
         QStringLiteral("Caption")},
        {QStringLiteral("rsdate"), QStringLiteral(QT_TRANSLATE_NOOP("Payroll", "Date")), 1728, 0, 864, false,
         QStringLiteral("rsDate")},
        {QStringLiteral("in1"), QStringLiteral(QT_TRANSLATE_NOOP("Payroll", "Time In")), 0, 0, 1, false,
         QStringLiteral("Text1")},
        {QStringLiteral("out1"), QStringLiteral(QT_TRANSLATE_NOOP("Payroll", "Time Out")), 0, 0, 1, false,
         QStringLiteral("Text2")},
    };
    if (shape.rounding)
        columns << Column{QStringLiteral("counted_in"),
                          QStringLiteral(QT_TRANSLATE_NOOP("Payroll", "Counted In")),
                          0,
                          0,
                          1,
                          false,
                          QStringLiteral("CountedIn")}
                << Column{QStringLiteral("counted_out"),
                          QStringLiteral(QT_TRANSLATE_NOOP("Payroll", "Counted Out")),
                          0,
                          0,
                          1,
                          false,
                          QStringLiteral("CountedOut")};
    int box = 3;
    for (const TypeColumn& type : typeColumns())
        if (shown(shape, type.type))
            columns << Column{type.detail, type.header, 0, 0, 1, true, QStringLiteral("Text%1").arg(box++)};
    columns << Column{
        QStringLiteral("work_hours"),     QStringLiteral(QT_TRANSLATE_NOOP("Payroll", "Work Hours")), 0, 0, 1, true,
        QStringLiteral("Text%1").arg(box)};
    const int first = 3; // the columns after the date share the line
    const int width = (8928 - 2664) / int(columns.size() - first);
    for (int i = first; i < columns.size(); ++i) {
        columns[i].left = 2664 + (i - first) * width;
        columns[i].width = width - 72;
    }
    return columns;
}

QList<Column> summaryColumns(const Shape& shape)
{
    if (!shape.byRules)
        return summaryColumns();
    // The band is a block: hours on its first line, wages on the third, earnings on the fourth, each hour type
    // in its own column and the work hours and total earnings in the last.
    QList<TypeColumn> types;
    for (const TypeColumn& type : typeColumns())
        if (shown(shape, type.type))
            types << type;
    const int width = (8928 - 3024) / int(types.size() + 1);
    const auto left = [&](int i) { return 3024 + i * width; };
    QList<Column> columns = {
        {QStringLiteral("emp_id"), QStringLiteral(QT_TRANSLATE_NOOP("Payroll", "Employee ID")), 0, 0, 0, false,
         QString()},
        {QStringLiteral("emp_name"), QStringLiteral(QT_TRANSLATE_NOOP("Payroll", "Name")), 288, 144, 2736, false,
         QStringLiteral("Text1")},
    };
    int box = 20;
    for (int i = 0; i < types.size(); ++i)
        columns << Column{
            types[i].summary, types[i].header, left(i), 576, width - 72, true, QStringLiteral("Text%1").arg(box++)};
    columns << Column{QStringLiteral("work_hours"),
                      QStringLiteral(QT_TRANSLATE_NOOP("Payroll", "Work Hours")),
                      left(int(types.size())),
                      576,
                      width - 72,
                      true,
                      QStringLiteral("Text2")};
    for (int i = 0; i < types.size(); ++i)
        if (!types[i].wage.isEmpty())
            columns << Column{types[i].wage, types[i].header + QStringLiteral(" Wage"), left(i), 1296, width - 72,
                              true,          QStringLiteral("Text%1").arg(box++)};
    for (int i = 0; i < types.size(); ++i)
        columns << Column{types[i].earnings,
                          types[i].header + QStringLiteral(" Earnings"),
                          left(i),
                          1728,
                          width - 72,
                          true,
                          QStringLiteral("Text%1").arg(box++)};
    columns << Column{QStringLiteral("tot_earnings"),
                      QStringLiteral(QT_TRANSLATE_NOOP("Payroll", "Total Earnings")),
                      left(int(types.size())),
                      1728,
                      width - 72,
                      true,
                      QStringLiteral("Text11")};
    // The wage of regular hours keeps its name in the exports.
    for (Column& column : columns)
        if (column.name == QLatin1String("wage"))
            column.header = QStringLiteral(QT_TRANSLATE_NOOP("Payroll", "Wage"));
        else if (column.name == QLatin1String("ot_wage"))
            column.header = QStringLiteral(QT_TRANSLATE_NOOP("Payroll", "Overtime Wage"));
    return columns;
}

namespace {

QVariantList valuesOf(const QList<Column>& columns, const QVariantMap& values)
{
    QVariantList list;
    for (const Column& column : columns)
        list << values.value(column.name);
    return list;
}

// The rows of the detail report under rules that change pay: the pairs with their hour types, the paid time
// off, and a subtotal after each week under a weekly rule.
bool addRuleRows(const Pay::Calculator& calculator, const QString& empId, const Pay::Result& result,
                 const QList<Column>& columns, const Shape& shape, const AddRow& add)
{
    Pay::Minutes week, weekWorked;
    QDate weekStart;
    qint64 weekWork = 0;
    const auto hoursOfTypes = [&](QVariantMap* values, const Pay::Minutes& minutes) {
        for (const TypeColumn& type : typeColumns())
            if (shown(shape, type.type))
                values->insert(type.detail, Pay::hoursOf(minutes[type.type]));
    };
    const auto closeWeek = [&]() {
        if (!weekStart.isValid())
            return true;
        QVariantMap values = {
            {QStringLiteral("emp_id"), empId},
            {QStringLiteral("caption"), QStringLiteral("Week of %1").arg(ValueForms::showDate(weekStart))},
            {QStringLiteral("work_hours"), Pay::hoursOf(weekWork)}};
        hoursOfTypes(&values, week);
        week = Pay::Minutes();
        weekWork = 0;
        return add(valuesOf(columns, values));
    };
    const auto enterWeek = [&](const QDate& day) {
        const Pay::Rules& rules = calculator.rulesOn(day);
        if (!shape.weekly || !rules.weekly())
            return true;
        const QDate start = rules.weekOf(day);
        if (start == weekStart)
            return true;
        const bool done = closeWeek();
        weekStart = start;
        return done;
    };
    std::size_t next = 0;
    for (const Pay::DayResult& day : result.days) {
        if (!enterWeek(day.day))
            return false;
        for (; next < result.pairs.size() && result.pairs[next].day == day.day; ++next) {
            const Pay::PairResult& pair = result.pairs[next];
            const Pay::SheetRow& row = result.rows[std::size_t(pair.row)];
            QString caption;
            if (pair.mealMinutes > 0)
                caption = QStringLiteral("Meal %1 min").arg(pair.mealMinutes);
            else if (pair.acrossMidnight)
                caption = QStringLiteral("Across midnight");
            else if (day.holiday)
                caption = calculator.rulesOn(day.day).holidays.value(day.day);
            QVariantMap values = {{QStringLiteral("emp_id"), empId},
                                  {QStringLiteral("caption"), caption.isEmpty() ? QVariant() : QVariant(caption)},
                                  {QStringLiteral("rsdate"), row.dayStored},
                                  {QStringLiteral("in1"), row.inStored[std::size_t(pair.slot)]},
                                  {QStringLiteral("out1"), row.outStored[std::size_t(pair.slot)]},
                                  {QStringLiteral("counted_in"), countedText(pair.countedIn)},
                                  {QStringLiteral("counted_out"), countedText(pair.countedOut)},
                                  {QStringLiteral("work_hours"), Pay::hoursOf(pair.minutes)}};
            hoursOfTypes(&values, pair.split);
            week += pair.split;
            weekWork += pair.minutes;
            if (!add(valuesOf(columns, values)))
                return false;
        }
        for (const Pay::PaidTimeOff& entry : day.paidTimeOff) {
            Pay::Minutes minutes;
            minutes[Pay::HourType::PaidTimeOff] = entry.minutes;
            QVariantMap values = {{QStringLiteral("emp_id"), empId},
                                  {QStringLiteral("caption"), entry.kind},
                                  {QStringLiteral("rsdate"), ValueForms::storeDate(entry.day)},
                                  {QStringLiteral("work_hours"), 0.0}};
            hoursOfTypes(&values, minutes);
            week += minutes;
            if (!add(valuesOf(columns, values)))
                return false;
        }
    }
    return closeWeek();
}

QList<TotalLine> ruleTotals(const DetailReport& report, const Pay::Rules& rules)
{
    TotalLine hours{QStringLiteral(QT_TRANSLATE_NOOP("Payroll", "Pay Period Hours")), {}};
    TotalLine wages{QStringLiteral(QT_TRANSLATE_NOOP("Payroll", "Wages Per Hour")), {}};
    TotalLine earnings{QStringLiteral(QT_TRANSLATE_NOOP("Payroll", "Total Earnings")), {}};
    const Pay::Wages paid{report.regWage, report.otWage};
    for (const TypeColumn& type : typeColumns()) {
        if (!shown(report.shape, type.type))
            continue;
        hours.cells.insert(type.detail, hoursText(report.minutes[type.type]));
        if (report.employeeFound && !report.mixedWages)
            wages.cells.insert(type.detail, number(wageOf(type.type, rules, paid)));
        earnings.cells.insert(type.detail, moneyText(report.money[type.type]));
    }
    hours.cells.insert(QStringLiteral("work_hours"), hoursText(report.minutes.worked()));
    earnings.cells.insert(QStringLiteral("work_hours"), moneyText(report.money.total));
    return {hours, wages, earnings};
}

} // namespace

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

    Pay::Calculator calculator;
    if (!calculator.load(error))
        return false;
    Employee employee;
    Pay::Result result;
    if (checked) {
        if (!readEmployee(checked->empId, &employee, error))
            return false;
        Pay::Calculator::Options options;
        options.site = request.site;
        options.keepStored = true;
        options.wages = Pay::Wages{employee.regWage, employee.otWage};
        options.wagesFound = employee.found;
        if (!calculator.compute(checked->empId, request.from, request.to, &result, error, options))
            return false;
    }
    report->shape = shapeOf(calculator, request, result.totals[Pay::HourType::PaidTimeOff] > 0, result.mixedWages);
    report->columns = detailColumns(report->shape);
    describeRules(calculator, request, result.readEarlierDays, report);

    const Spec spec{QStringLiteral("details"), kDetailHeading, report->columns};
    const bool done = runReport(spec, request, report, error, [&](const AddRow& add, QString*) {
        if (!checked)
            return true;
        if (report->shape.byRules)
            return addRuleRows(calculator, checked->empId, result, report->columns, report->shape, add);
        for (const Pay::PairResult& pair : result.pairs) {
            const Pay::SheetRow& row = result.rows[std::size_t(pair.row)];
            if (!add({checked->empId, row.dayStored, row.inStored[std::size_t(pair.slot)],
                      row.outStored[std::size_t(pair.slot)], pair.legacy.regular, pair.legacy.overtime,
                      pair.legacy.hours}))
                return false;
        }
        return true;
    });
    if (!done)
        return false;

    if (checked) {
        // The heading names the employee whose rows these are, as the store knows them now.
        report->name = employee.found ? employee.name : checked->name;
        report->employeeFound = employee.found || result.wagesFound;
        report->totals = result.legacyTotals;
        report->minutes = result.totals;
        report->money = result.earnings;
        report->mixedWages = result.mixedWages;
        if (report->employeeFound) {
            report->regWage = result.wages.regular;
            report->otWage = result.wages.overtime;
            report->earnings = Pay::detailEarnings(report->totals, report->regWage, report->otWage);
        }
    }
    if (report->shape.byRules)
        report->totalLines = ruleTotals(*report, calculator.rulesOn(request.to));
    // A pair counted across midnight shows its out time on the next day: counted, yet earlier than its in.
    for (Row& row : report->rows) {
        const auto timeOf = [](const QVariant& value) {
            return value.typeId() == QMetaType::QTime ? value.toTime() : ValueForms::storedTime(value.toString());
        };
        const QTime in = timeOf(row.value(QStringLiteral("in1")));
        const QTime out = timeOf(row.value(QStringLiteral("out1")));
        if (in.isValid() && out.isValid() && out < in && row.value(QStringLiteral("work_hours")).toDouble() > 0)
            row.insert(QStringLiteral("out1"), QString(ValueForms::showTime(out) + QStringLiteral(" (+1)")));
    }
    writeExports(spec, report->shape.byRules ? report->totalLines : detailTotals(*report), report->name, report);
    return true;
}

bool runSummary(const Request& request, SummaryReport* report, QString* error)
{
    *report = SummaryReport();
    Pay::Calculator calculator;
    if (!calculator.load(error))
        return false;
    // Every employee is computed first: whether any of them needs the columns of the rules decides the layout.
    struct Line
    {
        const ListEntry* entry;
        Employee employee;
        Pay::Result result;
    };
    std::vector<Line> lines;
    for (const ListEntry& entry : request.list) {
        if (entry.checked)
            lines.push_back({&entry, {}, {}});
    }
    report->anyChecked = !lines.empty();
    Pay::Calculator::Options options;
    options.site = request.site;
    options.keepPairs = false;
    const auto compute = [&](Line& line, const std::vector<Pay::SheetRow>* rows, QString* why) {
        options.wages = Pay::Wages{line.employee.regWage, line.employee.otWage};
        options.wagesFound = line.employee.found;
        options.rows = rows;
        return calculator.compute(line.entry->empId, request.from, request.to, &line.result, why, options);
    };
    if (lines.size() > 1 && Database::statementIsRoundTrip()) {
        // On a database server, everybody's rows in one read instead of a round trip for each employee.
        QHash<QString, Employee> employees;
        Pay::IdForms ids;
        if (!readEmployees(&employees, &ids, error))
            return false;
        QHash<QString, std::vector<Line*>> byId;
        for (Line& line : lines) {
            QString form;
            if (!ids.formOf(line.entry->empId.toUtf8(), &form, error))
                return false;
            line.employee = employees.value(form);
            byId[form].push_back(&line);
        }
        const auto each = [&](const QString& empId, const std::vector<Pay::SheetRow>& rows) {
            for (Line* line : byId.take(empId))
                if (!compute(*line, &rows, error))
                    return false;
            return true;
        };
        if (!calculator.readSheets(request.from, request.to, options, ids, each, error))
            return false;
        const std::vector<Pay::SheetRow> none; // the employees without rows
        for (const std::vector<Line*>& left : std::as_const(byId))
            for (Line* line : left)
                if (!compute(*line, &none, error))
                    return false;
    } else {
        for (Line& line : lines)
            if (!readEmployee(line.entry->empId, &line.employee, error) || !compute(line, nullptr, error))
                return false;
    }
    bool paidTimeOff = false, mixedWages = false;
    for (const Line& line : lines) {
        paidTimeOff = paidTimeOff || line.result.totals[Pay::HourType::PaidTimeOff] > 0;
        mixedWages = mixedWages || line.result.mixedWages;
        report->readEarlierDays = report->readEarlierDays || line.result.readEarlierDays;
    }
    report->shape = shapeOf(calculator, request, paidTimeOff, mixedWages);
    report->columns = summaryColumns(report->shape);
    describeRules(calculator, request, report->readEarlierDays, report);

    const Spec spec{QStringLiteral("summary"), kSummaryHeading, report->columns};
    const bool done = runReport(spec, request, report, error, [&](const AddRow& add, QString*) {
        for (const Line& line : lines) {
            const Pay::Result& result = line.result;
            // An employee removed since the list was filled keeps its row: hours written, name and wages
            // left empty, earnings 0.
            const bool found = line.employee.found || result.wagesFound;
            QVariant name = line.employee.found ? QVariant(line.employee.name) : QVariant();
            if (!report->shape.byRules) {
                QVariant regWage, otWage;
                Pay::Earnings earnings;
                if (found) {
                    regWage = result.wages.regular;
                    otWage = result.wages.overtime;
                    earnings = Pay::summaryEarnings(result.legacyTotals, result.wages.regular, result.wages.overtime);
                }
                if (!add({line.entry->empId, name, Pay::round4(result.legacyTotals.regular),
                          Pay::round4(result.legacyTotals.overtime), Pay::round4(result.legacyTotals.work), regWage,
                          otWage, earnings.regular, earnings.overtime, earnings.total}))
                    return false;
                continue;
            }
            const Pay::Rules& rules = calculator.rulesOn(request.to);
            QVariantMap values = {{QStringLiteral("emp_id"), line.entry->empId},
                                  {QStringLiteral("emp_name"), name},
                                  {QStringLiteral("work_hours"), Pay::hoursOf(result.totals.worked())},
                                  {QStringLiteral("tot_earnings"), result.earnings.total / 100.0}};
            for (const TypeColumn& type : typeColumns()) {
                values.insert(type.summary, Pay::hoursOf(result.totals[type.type]));
                values.insert(type.earnings, result.earnings[type.type] / 100.0);
                if (found && !result.mixedWages && !type.wage.isEmpty())
                    values.insert(type.wage, wageOf(type.type, rules, result.wages));
            }
            if (!add(valuesOf(report->columns, values)))
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
