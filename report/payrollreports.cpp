#include "report/payrollreports.h"

#include "core/clock.h"
#include "core/store/database.h"
#include "core/store/recordset.h"
#include "core/valueforms.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>

namespace Payroll {

namespace {

using Report::Control;
using Report::ControlKind;
using Report::Row;

const QColor kLightRed(255, 192, 192);
const QColor kShapeBorder(214, 112, 112);

Control label(const QString& name, int left, int top, int width, const QString& caption = QString(),
              double points = 8.25)
{
    Control control;
    control.name = name;
    control.left = left;
    control.top = top;
    control.width = width;
    control.caption = caption;
    control.points = points;
    return control;
}

Control textBox(const QString& name, int left, int top, int width, const QString& column)
{
    Control control = label(name, left, top, width);
    control.kind = ControlKind::TextBox;
    control.column = column;
    return control;
}

Control line(const QString& name, int left, int top, int width, Qt::PenStyle style = Qt::SolidLine)
{
    Control control = label(name, left, top, width);
    control.kind = ControlKind::Line;
    control.lineStyle = style;
    control.border = Qt::black;
    return control;
}

Control shape(const QString& name, int left, int top, int width, int height, bool bordered)
{
    Control control = label(name, left, top, width);
    control.kind = ControlKind::Shape;
    control.height = height;
    control.fill = kLightRed;
    control.border = bordered ? kShapeBorder : kLightRed;
    return control;
}

Report::Section pageFooter()
{
    Control page = label(QStringLiteral("PageNumber"), 288, 72, 8640);
    page.pageNumber = true;
    page.align = Qt::AlignRight;
    page.points = 7.5;
    return {QStringLiteral("Section3"), 360, {page}};
}

QString number(double value)
{
    return ValueForms::showValue(value);
}

QString csvField(const QString& text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n')) &&
        !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString csvLine(const QStringList& fields)
{
    QStringList out;
    for (const QString& field : fields)
        out << csvField(field);
    return out.join(QLatin1Char(',')) + QStringLiteral("\r\n");
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

// A plain text table, every column as wide as its widest cell; numbers right-aligned.
QString textTable(const QStringList& header, const QList<QStringList>& rows, const QList<bool>& rightAligned)
{
    QList<int> widths;
    for (const QString& cell : header)
        widths << int(cell.size());
    for (const QStringList& row : rows)
        for (int i = 0; i < row.size() && i < widths.size(); ++i)
            widths[i] = qMax(widths[i], int(row[i].size()));
    auto format = [&](const QStringList& row) -> QString {
        QStringList cells;
        for (int i = 0; i < widths.size(); ++i) {
            const QString cell = row.value(i);
            cells << (rightAligned.value(i) ? cell.rightJustified(widths[i]) : cell.leftJustified(widths[i]));
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

// The store's own words where it gave any; the driver's step ("Unable to fetch row") says nothing to a user.
QString storeError(const QSqlError& error)
{
    return error.databaseText().isEmpty() ? error.text() : error.databaseText();
}

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    if (gConn.isOpen())
        gConn.rollback();
    return false;
}

QList<Row> readRows(const QString& sql)
{
    QList<Row> rows;
    RecordSet set;
    if (!set.open(sql))
        return rows;
    const QStringList columns = set.columns();
    for (set.moveFirst(); !set.eof(); set.moveNext()) {
        Row row;
        for (const QString& column : columns)
            row.insert(column.toLower(), set.value(column));
        rows.append(row);
    }
    return rows;
}

const QString kTimesheetSql = QStringLiteral("Select in1, out1, in2, out2, in3, out3, rsdate, emp_id from timesheet"
                                             " where emp_id = ? and rsdate >= ? and rsdate <= ? order by rsdate, id");
// The summary needs the pairs only, and takes them as seconds of the day: a year of a large staff is
// hundreds of thousands of rows, and numbers cross from the store far more cheaply than text.
const QString kPairsSql = QStringLiteral(
    "Select unixepoch(in1) % 86400, unixepoch(out1) % 86400, unixepoch(in2) % 86400, unixepoch(out2) % 86400,"
    " unixepoch(in3) % 86400, unixepoch(out3) % 86400 from timesheet"
    " where emp_id = ? and rsdate >= ? and rsdate <= ? order by rsdate, id");
const QString kEmployeeSql = QStringLiteral("Select * from employee where emp_id = ?");

} // namespace

QString employeeName(const QVariant& first, const QVariant& last)
{
    return first.toString() + QLatin1Char(' ') + last.toString();
}

Report::Layout detailLayout()
{
    Report::Layout layout;
    layout.name = QStringLiteral("Detail");
    layout.title = QStringLiteral("Full Detail Report");
    layout.reportHeader = {
        QStringLiteral("Section4"),
        3075,
        {
            shape(QStringLiteral("Shape1"), 288, 288, 4320, 720, false),
            label(QStringLiteral("Label1"), 432, 432, 4032, QStringLiteral("Detailed Timesheet Report"), 15.75),
            label(QStringLiteral("Label2"), 288, 1296, 1008, QStringLiteral("Pay Period")),
            label(QStringLiteral("Label3"), 1728, 1296, 576, QStringLiteral("From")),
            label(QStringLiteral("Label5"), 2304, 1296, 864),
            label(QStringLiteral("Label4"), 3312, 1296, 285, QStringLiteral("To")),
            label(QStringLiteral("Label6"), 3744, 1296, 1020),
            label(QStringLiteral("Label7"), 288, 1584, 1005, QStringLiteral("Date")),
            label(QStringLiteral("Label8"), 1728, 1584, 1440),
            line(QStringLiteral("Line1"), 288, 2304, 8640),
            label(QStringLiteral("Label12"), 288, 2304, 1740, QStringLiteral("Name")),
            label(QStringLiteral("Label14"), 2160, 2304, 870, QStringLiteral("Date")),
            label(QStringLiteral("Label9"), 3312, 2304, 1140, QStringLiteral("Time In")),
            label(QStringLiteral("Label10"), 4752, 2304, 1005, QStringLiteral("Time Out")),
            label(QStringLiteral("Label11"), 6048, 2304, 870, QStringLiteral("Regular")),
            label(QStringLiteral("Label13"), 6912, 2304, 855, QStringLiteral("Overtime")),
            label(QStringLiteral("Label15"), 7920, 2304, 1155, QStringLiteral("Work Hours")),
            line(QStringLiteral("Line2"), 288, 2592, 8640),
            label(QStringLiteral("Label16"), 288, 2736, 3165),
        }};
    layout.pageHeader = {QStringLiteral("Section2"), 0, {}};
    layout.detail = {QStringLiteral("Section1"),
                     288,
                     {
                         textBox(QStringLiteral("rsDate"), 2160, 0, 864, QStringLiteral("rsdate")),
                         textBox(QStringLiteral("Text1"), 3312, 0, 1152, QStringLiteral("in1")),
                         textBox(QStringLiteral("Text2"), 4752, 0, 1008, QStringLiteral("out1")),
                         textBox(QStringLiteral("Text3"), 6048, 0, 864, QStringLiteral("regular")),
                         textBox(QStringLiteral("Text4"), 6912, 0, 864, QStringLiteral("rsot")),
                         textBox(QStringLiteral("Text5"), 7920, 0, 1152, QStringLiteral("work_hours")),
                     }};
    layout.pageFooter = pageFooter();
    layout.reportFooter = {QStringLiteral("Section5"),
                           2382,
                           {
                               line(QStringLiteral("Line4"), 1728, 432, 7200),
                               label(QStringLiteral("Label20"), 4032, 576, 1440, QStringLiteral("Work week totals")),
                               label(QStringLiteral("Label17"), 6048, 576, 576),
                               label(QStringLiteral("Label18"), 6912, 576, 720),
                               label(QStringLiteral("Label19"), 8064, 576, 870),
                               label(QStringLiteral("Label21"), 4032, 1008, 1440, QStringLiteral("Pay Period Hours")),
                               label(QStringLiteral("Label23"), 6048, 1008, 585),
                               label(QStringLiteral("Label24"), 6912, 1008, 720),
                               label(QStringLiteral("Label25"), 8064, 1008, 864),
                               label(QStringLiteral("Label22"), 4032, 1296, 1440, QStringLiteral("Wages Per Hour")),
                               label(QStringLiteral("Label26"), 6048, 1296, 576),
                               label(QStringLiteral("Label27"), 6912, 1296, 720),
                               line(QStringLiteral("Line5"), 3600, 1728, 5340),
                               label(QStringLiteral("Label28"), 4032, 1872, 1440, QStringLiteral("Total Earnings"), 9),
                               label(QStringLiteral("Label29"), 6048, 1872, 570),
                               label(QStringLiteral("Label30"), 6912, 1872, 720),
                               shape(QStringLiteral("Shape2"), 7920, 1872, 1008, 288, true),
                               label(QStringLiteral("Label31"), 8064, 1872, 864),
                           }};
    return layout;
}

Report::Layout summaryLayout()
{
    Report::Layout layout;
    layout.name = QStringLiteral("Summary");
    layout.title = QStringLiteral("Timesheet Report Summary");
    layout.reportHeader = {
        QStringLiteral("Section4"),
        2160,
        {
            shape(QStringLiteral("Shape1"), 288, 144, 4320, 720, false),
            label(QStringLiteral("Label1"), 432, 288, 4035, QStringLiteral("Timesheet Report Summary"), 14.25),
            label(QStringLiteral("Label2"), 432, 1008, 1008, QStringLiteral("Pay Period")),
            label(QStringLiteral("Label3"), 1584, 1008, 570, QStringLiteral("From")),
            label(QStringLiteral("Label5"), 2160, 1008, 720),
            label(QStringLiteral("Label4"), 3024, 1008, 300, QStringLiteral("To")),
            label(QStringLiteral("Label6"), 3312, 1008, 1005),
            label(QStringLiteral("Label7"), 432, 1296, 576, QStringLiteral("Date")),
            label(QStringLiteral("Label8"), 1584, 1296, 864),
            line(QStringLiteral("Line1"), 288, 1872, 8640),
            label(QStringLiteral("Label9"), 288, 1872, 1740, QStringLiteral("Name")),
            label(QStringLiteral("Label11"), 4752, 1872, 870, QStringLiteral("Regular")),
            label(QStringLiteral("Label12"), 6048, 1872, 855, QStringLiteral("Overtime")),
            label(QStringLiteral("Label13"), 7344, 1872, 1155, QStringLiteral("Work Hours")),
            line(QStringLiteral("Line2"), 288, 2160, 8640),
        }};
    layout.pageHeader = {QStringLiteral("Section2"), 0, {}};
    Control name = textBox(QStringLiteral("Text1"), 288, 144, 2310, QStringLiteral("emp_name"));
    name.points = 9.75;
    name.italic = true;
    Control separator = line(QStringLiteral("Line4"), 1296, 2304, 7488, Qt::DashLine);
    separator.border = QColor(110, 110, 110);
    layout.detail = {QStringLiteral("Section1"),
                     2355,
                     {
                         name,
                         label(QStringLiteral("Label10"), 2880, 576, 1440, QStringLiteral("Work week totals")),
                         textBox(QStringLiteral("Text5"), 4752, 576, 864, QStringLiteral("regular")),
                         textBox(QStringLiteral("Text6"), 6048, 576, 864, QStringLiteral("ot")),
                         textBox(QStringLiteral("Text2"), 7488, 576, 1005, QStringLiteral("work_hours")),
                         label(QStringLiteral("Label14"), 2880, 1008, 1440, QStringLiteral("Pay Period Hours")),
                         textBox(QStringLiteral("Text7"), 4752, 1008, 864, QStringLiteral("regular")),
                         textBox(QStringLiteral("Text8"), 6048, 1008, 864, QStringLiteral("ot")),
                         label(QStringLiteral("Label15"), 2880, 1296, 1440, QStringLiteral("Wages Per Hour")),
                         textBox(QStringLiteral("Text3"), 4752, 1296, 864, QStringLiteral("wage")),
                         textBox(QStringLiteral("Text4"), 6048, 1296, 864, QStringLiteral("ot_wage")),
                         line(QStringLiteral("Line3"), 2736, 1584, 6195),
                         label(QStringLiteral("Label16"), 2880, 1728, 1440, QStringLiteral("Total Earnings"), 9),
                         textBox(QStringLiteral("Text9"), 4752, 1728, 870, QStringLiteral("reg_earnings")),
                         textBox(QStringLiteral("Text10"), 6048, 1728, 864, QStringLiteral("ot_earnings")),
                         shape(QStringLiteral("Shape2"), 7344, 1728, 1296, 288, true),
                         textBox(QStringLiteral("Text11"), 7488, 1728, 1008, QStringLiteral("tot_earnings")),
                         separator,
                     }};
    layout.pageFooter = pageFooter();
    layout.reportFooter = {QStringLiteral("Section5"), 1065, {}};
    return layout;
}

bool runDetail(const Request& request, DetailReport* report, QString* error)
{
    *report = DetailReport();
    if (!Database::isOpen())
        return fail(error, QStringLiteral("The database is not open."));
    for (const ListEntry& entry : request.list) {
        if (entry.checked) {
            report->anyChecked = true;
            report->empId = entry.empId;
            break;
        }
    }

    // The work table is replaced as a whole or not at all.
    if (!gConn.transaction())
        return fail(error, storeError(gConn.lastError()));
    QSqlQuery query(gConn);
    if (!query.exec(QStringLiteral("Delete from details")))
        return fail(error, storeError(query.lastError()));
    if (report->anyChecked) {
        QSqlQuery sheets(gConn);
        sheets.setForwardOnly(true);
        QSqlQuery insert(gConn);
        if (!sheets.prepare(kTimesheetSql) ||
            !insert.prepare(QStringLiteral("Insert into details (in1, out1, rsdate, emp_id, work_hours, rsot, regular)"
                                           " values (?, ?, ?, ?, ?, ?, ?)")))
            return fail(error, storeError(sheets.lastError()) + storeError(insert.lastError()));
        sheets.addBindValue(report->empId);
        sheets.addBindValue(ValueForms::storeDate(request.from));
        sheets.addBindValue(ValueForms::storeDate(request.to));
        if (!sheets.exec())
            return fail(error, storeError(sheets.lastError()));
        while (sheets.next()) {
            for (int pair = 0; pair < 3; ++pair) {
                const QVariant in = sheets.value(2 * pair);
                if (!Pay::pairCounts(in))
                    continue;
                const QVariant out = sheets.value(2 * pair + 1);
                const Pay::PairHours hours = Pay::pairHours(in, out);
                for (const QVariant& value : {in, out, sheets.value(6), sheets.value(7), QVariant(hours.hours),
                                              QVariant(hours.overtime), QVariant(hours.regular)})
                    insert.addBindValue(value);
                if (!insert.exec())
                    return fail(error, storeError(insert.lastError()));
                report->totals.add(hours);
            }
        }
    }
    if (!gConn.commit())
        return fail(error, storeError(gConn.lastError()));

    report->rows = readRows(QStringLiteral("Select * from details"));

    Report::Layout& layout = report->layout;
    layout = detailLayout();
    layout.setCaption(QStringLiteral("Label5"), ValueForms::showDate(request.from));
    layout.setCaption(QStringLiteral("Label6"), ValueForms::showDate(request.to));
    layout.setCaption(QStringLiteral("Label8"), ValueForms::showDate(today()));
    layout.setCaption(QStringLiteral("Label16"), request.selectedName);
    for (const QString& name : {QStringLiteral("Label17"), QStringLiteral("Label23")})
        layout.setCaption(name, number(report->totals.regular));
    for (const QString& name : {QStringLiteral("Label18"), QStringLiteral("Label24")})
        layout.setCaption(name, number(report->totals.overtime));
    for (const QString& name : {QStringLiteral("Label19"), QStringLiteral("Label25")})
        layout.setCaption(name, number(report->totals.work));

    if (report->anyChecked) {
        RecordSet employee;
        if (employee.open(kEmployeeSql, {report->empId}) && !employee.eof()) {
            report->employeeFound = true;
            report->regWage = Pay::wage(employee.value(QStringLiteral("reg_wage")));
            report->otWage = Pay::wage(employee.value(QStringLiteral("ot_wage")));
            report->earnings = Pay::detailEarnings(report->totals, report->regWage, report->otWage);
            layout.setCaption(QStringLiteral("Label26"), number(report->regWage));
            layout.setCaption(QStringLiteral("Label27"), number(report->otWage));
            layout.setCaption(QStringLiteral("Label29"), number(report->earnings.regular));
            layout.setCaption(QStringLiteral("Label30"), number(report->earnings.overtime));
        }
    }
    layout.setCaption(QStringLiteral("Label31"), number(report->earnings.total));

    // Export forms.
    const QStringList header = {QStringLiteral("Employee ID"), QStringLiteral("Date"),    QStringLiteral("Time In"),
                                QStringLiteral("Time Out"),    QStringLiteral("Regular"), QStringLiteral("Overtime"),
                                QStringLiteral("Work Hours")};
    QString csv = csvLine(header);
    QList<QStringList> lines;
    for (const Row& row : report->rows) {
        QStringList fields;
        for (const char* column : {"emp_id", "rsdate", "in1", "out1", "regular", "rsot", "work_hours"})
            fields << csvValue(row.value(QLatin1String(column)));
        csv += csvLine(fields);
        fields[1] = ValueForms::showValue(row.value(QStringLiteral("rsdate")));
        lines << fields;
    }
    csv += csvLine({QStringLiteral("Pay Period Hours"), QString(), QString(), QString(), number(report->totals.regular),
                    number(report->totals.overtime), number(report->totals.work)});
    const auto shown = [&](const QString& name) { return layout.caption(name); };
    csv += csvLine({QStringLiteral("Wages Per Hour"), QString(), QString(), QString(), shown(QStringLiteral("Label26")),
                    shown(QStringLiteral("Label27")), QString()});
    csv += csvLine({QStringLiteral("Total Earnings"), QString(), QString(), QString(), shown(QStringLiteral("Label29")),
                    shown(QStringLiteral("Label30")), shown(QStringLiteral("Label31"))});
    report->csv = csv;

    lines << QStringList{QStringLiteral("Pay Period Hours"),
                         QString(),
                         QString(),
                         QString(),
                         number(report->totals.regular),
                         number(report->totals.overtime),
                         number(report->totals.work)};
    lines << QStringList{
        QStringLiteral("Wages Per Hour"), QString(), QString(), QString(), shown(QStringLiteral("Label26")),
        shown(QStringLiteral("Label27")), QString()};
    lines << QStringList{QStringLiteral("Total Earnings"),
                         QString(),
                         QString(),
                         QString(),
                         shown(QStringLiteral("Label29")),
                         shown(QStringLiteral("Label30")),
                         shown(QStringLiteral("Label31"))};
    QString text;
    QTextStream out(&text);
    out << "Detailed Timesheet Report\n"
        << "Pay Period From " << shown(QStringLiteral("Label5")) << " To " << shown(QStringLiteral("Label6")) << '\n'
        << "Date " << shown(QStringLiteral("Label8")) << '\n'
        << "Name " << request.selectedName << "\n\n";
    out.flush();
    text += textTable(header, lines, {false, false, false, false, true, true, true});
    report->text = text;
    return true;
}

bool runSummary(const Request& request, SummaryReport* report, QString* error)
{
    *report = SummaryReport();
    if (!Database::isOpen())
        return fail(error, QStringLiteral("The database is not open."));
    if (!gConn.transaction())
        return fail(error, storeError(gConn.lastError()));
    QSqlQuery query(gConn);
    if (!query.exec(QStringLiteral("Delete from summary")))
        return fail(error, storeError(query.lastError()));

    QSqlQuery sheets(gConn);
    sheets.setForwardOnly(true);
    QSqlQuery employee(gConn);
    employee.setForwardOnly(true);
    QSqlQuery insert(gConn);
    if (!sheets.prepare(kPairsSql) || !employee.prepare(kEmployeeSql) ||
        !insert.prepare(
            QStringLiteral("Insert into summary (emp_id, emp_name, work_hours, wage, ot_wage, regular, ot,"
                           " tot_earnings, ot_earnings, reg_earnings) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")))
        return fail(error,
                    storeError(sheets.lastError()) + storeError(employee.lastError()) + storeError(insert.lastError()));
    const QString from = ValueForms::storeDate(request.from);
    const QString to = ValueForms::storeDate(request.to);

    for (const ListEntry& entry : request.list) {
        if (!entry.checked)
            continue;
        report->anyChecked = true;
        Pay::Totals totals;
        sheets.addBindValue(entry.empId);
        sheets.addBindValue(from);
        sheets.addBindValue(to);
        if (!sheets.exec())
            return fail(error, storeError(sheets.lastError()));
        while (sheets.next()) {
            for (int pair = 0; pair < 3; ++pair) {
                const QVariant in = sheets.value(2 * pair);
                if (Pay::pairCounts(in))
                    totals.add(Pay::pairHours(in, sheets.value(2 * pair + 1)));
            }
        }
        sheets.finish();

        // An employee removed since the list was filled keeps its row: hours written, name and wages
        // left empty, earnings 0.
        QVariant name, regWage, otWage;
        Pay::Earnings earnings;
        employee.addBindValue(entry.empId);
        if (!employee.exec())
            return fail(error, storeError(employee.lastError()));
        if (employee.next()) {
            name =
                employeeName(employee.value(QStringLiteral("emp_fname")), employee.value(QStringLiteral("emp_lname")));
            regWage = Pay::wage(employee.value(QStringLiteral("reg_wage")));
            otWage = Pay::wage(employee.value(QStringLiteral("ot_wage")));
            earnings = Pay::summaryEarnings(totals, regWage.toDouble(), otWage.toDouble());
        }
        employee.finish();

        for (const QVariant& value :
             {QVariant(entry.empId), name, QVariant(Pay::round4(totals.work)), regWage, otWage,
              QVariant(Pay::round4(totals.regular)), QVariant(Pay::round4(totals.overtime)), QVariant(earnings.total),
              QVariant(earnings.overtime), QVariant(earnings.regular)})
            insert.addBindValue(value);
        if (!insert.exec())
            return fail(error, storeError(insert.lastError()));
    }
    if (!gConn.commit())
        return fail(error, storeError(gConn.lastError()));

    report->rows = readRows(QStringLiteral("Select * from summary"));
    Report::Layout& layout = report->layout;
    layout = summaryLayout();
    layout.setCaption(QStringLiteral("Label5"), ValueForms::showDate(request.from));
    layout.setCaption(QStringLiteral("Label6"), ValueForms::showDate(request.to));
    layout.setCaption(QStringLiteral("Label8"), ValueForms::showDate(today()));

    const QStringList header = {QStringLiteral("Employee ID"),       QStringLiteral("Name"),
                                QStringLiteral("Regular"),           QStringLiteral("Overtime"),
                                QStringLiteral("Work Hours"),        QStringLiteral("Wage"),
                                QStringLiteral("Overtime Wage"),     QStringLiteral("Regular Earnings"),
                                QStringLiteral("Overtime Earnings"), QStringLiteral("Total Earnings")};
    QString csv = csvLine(header);
    QList<QStringList> lines;
    for (const Row& row : report->rows) {
        QStringList fields;
        for (const char* column : {"emp_id", "emp_name", "regular", "ot", "work_hours", "wage", "ot_wage",
                                   "reg_earnings", "ot_earnings", "tot_earnings"})
            fields << csvValue(row.value(QLatin1String(column)));
        csv += csvLine(fields);
        lines << fields;
    }
    report->csv = csv;
    report->text = QStringLiteral("Timesheet Report Summary\nPay Period From ") +
                   layout.caption(QStringLiteral("Label5")) + QStringLiteral(" To ") +
                   layout.caption(QStringLiteral("Label6")) + QStringLiteral("\nDate ") +
                   layout.caption(QStringLiteral("Label8")) + QStringLiteral("\n\n") +
                   textTable(header, lines, {false, false, true, true, true, true, true, true, true, true});
    return true;
}

} // namespace Payroll
