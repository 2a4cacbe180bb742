#include "report/payrolllayouts.h"

#include "core/valueforms.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace Payroll {

namespace {

// A heading the core keeps in English for the exports, on the page in the language of the program painting it.
QString translated(const QString& english)
{
    return QCoreApplication::translate("Payroll", english.toUtf8().constData());
}

using Report::Control;
using Report::ControlKind;

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

const Column& columnOf(const QList<Column>& columns, const QString& name)
{
    for (const Column& column : columns)
        if (column.name == name)
            return column;
    Q_ASSERT_X(false, "columnOf", "no such column");
    static const Column none;
    return none;
}

// An item's caption as the core writes it for the exports (English), on the page in the language of the
// program painting it. Holiday names are the owner's own words and stay as typed.
QString itemOnPage(const QString& caption)
{
    static const QRegularExpression week(QStringLiteral("^Week of (.+)$"));
    static const QRegularExpression meal(QStringLiteral("^Meal (\\d+) min$"));
    if (const QRegularExpressionMatch found = week.match(caption); found.hasMatch())
        return QCoreApplication::translate("Payroll", "Week of %1").arg(found.captured(1));
    if (const QRegularExpressionMatch found = meal.match(caption); found.hasMatch())
        return QCoreApplication::translate("Payroll", "Meal %1 min").arg(found.captured(1));
    if (caption == QLatin1String("Across midnight"))
        return QCoreApplication::translate("Payroll", "Across midnight");
    return caption;
}

Control columnBox(const Column& column)
{
    Control box = textBox(column.box, column.left, column.top, column.width, column.name);
    if (column.name == QLatin1String("caption"))
        box.shown = itemOnPage;
    return box;
}

// The band's text boxes, one for each printed column.
QList<Control> columnBoxes(const QList<Column>& columns)
{
    QList<Control> boxes;
    for (const Column& column : columns)
        if (column.width > 0)
            boxes << columnBox(column);
    return boxes;
}

} // namespace

namespace {

// Under rules that change pay: the rules named under the title, and the note on the week's earlier days.
void addRulesLabels(Report::Layout* layout, const PreparedReport& report, int top)
{
    if (report.rules.isEmpty())
        return;
    layout->reportHeader.controls << label(QStringLiteral("RulesLabel"), 288, top, 8640, report.rules);
    if (!report.note.isEmpty())
        layout->reportHeader.controls << label(QStringLiteral("NoteLabel"), 288, top + 216, 8640, report.note);
}

// The detail report's footer under rules that change pay: a line per total line, a cell under each column.
Report::Section ruleFooter(const QList<Column>& columns, const QList<TotalLine>& lines)
{
    Report::Section footer{QStringLiteral("Section5"), 2382, {line(QStringLiteral("Line4"), 1728, 432, 7200)}};
    int top = 576;
    for (int i = 0; i < lines.size(); ++i, top += 432) {
        footer.controls << label(QStringLiteral("Total%1").arg(i), 1296, top, 1728, translated(lines[i].caption));
        for (const Column& column : columns) {
            if (!column.numeric || !lines[i].cells.contains(column.name))
                continue;
            Control cell = label(QStringLiteral("Total%1_%2").arg(i).arg(column.name), column.left, top, column.width,
                                 lines[i].cells.value(column.name));
            footer.controls << cell;
        }
    }
    return footer;
}

} // namespace

Report::Layout detailLayout()
{
    return detailLayout(detailColumns());
}

Report::Layout detailLayout(const QList<Column>& columns)
{
    Report::Layout layout;
    layout.name = QStringLiteral("Detail");
    layout.title = QCoreApplication::translate("Payroll", "Full Detail Report");
    layout.reportHeader = {
        QStringLiteral("Section4"),
        3075,
        {
            shape(QStringLiteral("Shape1"), 288, 288, 4320, 720, false),
            label(QStringLiteral("Label1"), 432, 432, 4032, translated(kDetailHeading), 15.75),
            label(QStringLiteral("Label2"), 288, 1296, 1008, QCoreApplication::translate("Payroll", "Pay Period")),
            label(QStringLiteral("Label3"), 1728, 1296, 576, QCoreApplication::translate("Payroll", "From")),
            label(QStringLiteral("Label5"), 2304, 1296, 864),
            label(QStringLiteral("Label4"), 3312, 1296, 285, QCoreApplication::translate("Payroll", "To")),
            label(QStringLiteral("Label6"), 3744, 1296, 1020),
            label(QStringLiteral("Label7"), 288, 1584, 1005, QCoreApplication::translate("Payroll", "Date")),
            label(QStringLiteral("Label8"), 1728, 1584, 1440),
            line(QStringLiteral("Line1"), 288, 2304, 8640),
            label(QStringLiteral("Label12"), 288, 2304, 1740, QCoreApplication::translate("Payroll", "Name")),
        }};
    // Each printed column is headed by its name, above its text box.
    const bool items = columns.size() > 1 && columns.at(1).name == QLatin1String("caption");
    if (items) // the item column takes the place of the name's heading
        layout.reportHeader.controls.removeIf(
            [](const Control& control) { return control.name == QLatin1String("Label12"); });
    for (const Column& column : columns)
        if (column.width > 0)
            layout.reportHeader.controls << label(column.box + QStringLiteral("Heading"), column.left, 2304,
                                                  column.width, translated(column.header));
    layout.reportHeader.controls << line(QStringLiteral("Line2"), 288, 2592, 8640)
                                 << label(QStringLiteral("Label16"), 288, 2736, 3165);
    layout.pageHeader = {QStringLiteral("Section2"), 0, {}};
    layout.detail = {QStringLiteral("Section1"), 288, columnBoxes(columns)};
    layout.pageFooter = pageFooter();
    layout.reportFooter = {QStringLiteral("Section5"),
                           2382,
                           {
                               line(QStringLiteral("Line4"), 1728, 432, 7200),
                               label(QStringLiteral("Label20"), 4032, 576, 1440,
                                     QCoreApplication::translate("Payroll", "Work week totals")),
                               label(QStringLiteral("Label17"), 6048, 576, 576),
                               label(QStringLiteral("Label18"), 6912, 576, 720),
                               label(QStringLiteral("Label19"), 8064, 576, 870),
                               label(QStringLiteral("Label21"), 4032, 1008, 1440,
                                     QCoreApplication::translate("Payroll", "Pay Period Hours")),
                               label(QStringLiteral("Label23"), 6048, 1008, 585),
                               label(QStringLiteral("Label24"), 6912, 1008, 720),
                               label(QStringLiteral("Label25"), 8064, 1008, 864),
                               label(QStringLiteral("Label22"), 4032, 1296, 1440,
                                     QCoreApplication::translate("Payroll", "Wages Per Hour")),
                               label(QStringLiteral("Label26"), 6048, 1296, 576),
                               label(QStringLiteral("Label27"), 6912, 1296, 720),
                               line(QStringLiteral("Line5"), 3600, 1728, 5340),
                               label(QStringLiteral("Label28"), 4032, 1872, 1440,
                                     QCoreApplication::translate("Payroll", "Total Earnings"), 9),
                               label(QStringLiteral("Label29"), 6048, 1872, 570),
                               label(QStringLiteral("Label30"), 6912, 1872, 720),
                               shape(QStringLiteral("Shape2"), 7920, 1872, 1008, 288, true),
                               label(QStringLiteral("Label31"), 8064, 1872, 864),
                           }};
    return layout;
}

Report::Layout summaryLayout()
{
    return summaryLayout(summaryColumns());
}

Report::Layout summaryLayout(const QList<Column>& columns)
{
    const bool byRules =
        columns.size() != summaryColumns().size() || columnOf(columns, QStringLiteral("regular")).left != 4752;
    const auto header = [&](const char* column) { return columnOf(columns, QLatin1String(column)).header; };
    Report::Layout layout;
    layout.name = QStringLiteral("Summary");
    layout.title = QCoreApplication::translate("Payroll", "Timesheet Report Summary");
    layout.reportHeader = {
        QStringLiteral("Section4"),
        2160,
        {
            shape(QStringLiteral("Shape1"), 288, 144, 4320, 720, false),
            label(QStringLiteral("Label1"), 432, 288, 4035, translated(kSummaryHeading), 14.25),
            label(QStringLiteral("Label2"), 432, 1008, 1008, QCoreApplication::translate("Payroll", "Pay Period")),
            label(QStringLiteral("Label3"), 1584, 1008, 570, QCoreApplication::translate("Payroll", "From")),
            label(QStringLiteral("Label5"), 2160, 1008, 720),
            label(QStringLiteral("Label4"), 3024, 1008, 300, QCoreApplication::translate("Payroll", "To")),
            label(QStringLiteral("Label6"), 3312, 1008, 1005),
            label(QStringLiteral("Label7"), 432, 1296, 576, QCoreApplication::translate("Payroll", "Date")),
            label(QStringLiteral("Label8"), 1584, 1296, 864),
            line(QStringLiteral("Line1"), 288, 1872, 8640),
            // The band is a block of lines rather than one line of columns, so its headings are placed here.
            label(QStringLiteral("Label9"), 288, 1872, 1740, translated(header("emp_name"))),
            label(QStringLiteral("Label11"), 4752, 1872, 870, translated(header("regular"))),
            label(QStringLiteral("Label12"), 6048, 1872, 855, translated(header("ot"))),
            label(QStringLiteral("Label13"), 7344, 1872, 1155, translated(header("work_hours"))),
            line(QStringLiteral("Line2"), 288, 2160, 8640),
        }};
    layout.pageHeader = {QStringLiteral("Section2"), 0, {}};
    Control separator = line(QStringLiteral("Line4"), 1296, 2304, 7488, Qt::DashLine);
    separator.border = QColor(110, 110, 110);
    // "Pay Period Hours" repeats the week's regular and overtime hours on the line below them.
    auto periodBox = [&](const QString& name, const QString& column) {
        Control box = columnBox(columnOf(columns, column));
        box.name = name;
        box.top = 1008;
        return box;
    };
    layout.detail = {QStringLiteral("Section1"),
                     2355,
                     {
                         label(QStringLiteral("Label10"), 2880, 576, 1440,
                               QCoreApplication::translate("Payroll", "Work week totals")),
                         label(QStringLiteral("Label14"), 2880, 1008, 1440,
                               QCoreApplication::translate("Payroll", "Pay Period Hours")),
                         periodBox(QStringLiteral("Text7"), QStringLiteral("regular")),
                         periodBox(QStringLiteral("Text8"), QStringLiteral("ot")),
                         label(QStringLiteral("Label15"), 2880, 1296, 1440,
                               QCoreApplication::translate("Payroll", "Wages Per Hour")),
                         line(QStringLiteral("Line3"), 2736, 1584, 6195),
                         label(QStringLiteral("Label16"), 2880, 1728, 1440,
                               QCoreApplication::translate("Payroll", "Total Earnings"), 9),
                         shape(QStringLiteral("Shape2"), 7344, 1728, 1296, 288, true),
                         separator,
                     }};
    if (byRules) {
        // Every hour type has its own column: the headings above them, the lines' captions to their left, and
        // no repeated line.
        layout.reportHeader.controls.removeIf([](const Control& control) {
            return control.name == QLatin1String("Label11") || control.name == QLatin1String("Label12") ||
                   control.name == QLatin1String("Label13");
        });
        for (const Column& column : columns)
            if (column.numeric && column.top == 576)
                layout.reportHeader.controls << label(column.box + QStringLiteral("Heading"), column.left, 1872,
                                                      column.width, translated(column.header));
        layout.detail.controls = {
            label(QStringLiteral("Label10"), 1296, 576, 1656,
                  QCoreApplication::translate("Payroll", "Pay Period Hours")),
            label(QStringLiteral("Label15"), 1296, 1296, 1656,
                  QCoreApplication::translate("Payroll", "Wages Per Hour")),
            line(QStringLiteral("Line3"), 1296, 1584, 7632),
            label(QStringLiteral("Label16"), 1296, 1728, 1656, QCoreApplication::translate("Payroll", "Total Earnings"),
                  9),
            separator,
        };
    }
    layout.detail.controls << columnBoxes(columns);
    if (Control* name = layout.control(columnOf(columns, QStringLiteral("emp_name")).box)) {
        name->points = 9.75;
        name->italic = true;
    }
    layout.pageFooter = pageFooter();
    layout.reportFooter = {QStringLiteral("Section5"), 1065, {}};
    return layout;
}

Report::Layout layoutOf(const DetailReport& report)
{
    Report::Layout layout = detailLayout(report.columns.isEmpty() ? detailColumns() : report.columns);
    const auto set = [&](const char* name, const QString& caption) { layout.setCaption(QLatin1String(name), caption); };
    set("Label5", ValueForms::showDate(report.from));
    set("Label6", ValueForms::showDate(report.to));
    set("Label8", ValueForms::showDate(report.printed));
    set("Label16", report.name);
    if (report.shape.byRules) {
        addRulesLabels(&layout, report, 1872);
        layout.reportFooter = ruleFooter(report.columns, report.totalLines);
        return layout;
    }
    // "Work week totals" and "Pay Period Hours" show the same totals.
    for (const char* name : {"Label17", "Label23"})
        set(name, number(report.totals.regular));
    for (const char* name : {"Label18", "Label24"})
        set(name, number(report.totals.overtime));
    for (const char* name : {"Label19", "Label25"})
        set(name, number(report.totals.work));
    if (report.employeeFound) {
        set("Label26", number(report.regWage));
        set("Label27", number(report.otWage));
        set("Label29", number(report.earnings.regular));
        set("Label30", number(report.earnings.overtime));
    }
    set("Label31", number(report.earnings.total));
    return layout;
}

Report::Layout layoutOf(const SummaryReport& report)
{
    Report::Layout layout = summaryLayout(report.columns.isEmpty() ? summaryColumns() : report.columns);
    addRulesLabels(&layout, report, 1584);
    layout.setCaption(QStringLiteral("Label5"), ValueForms::showDate(report.from));
    layout.setCaption(QStringLiteral("Label6"), ValueForms::showDate(report.to));
    layout.setCaption(QStringLiteral("Label8"), ValueForms::showDate(report.printed));
    return layout;
}

} // namespace Payroll
