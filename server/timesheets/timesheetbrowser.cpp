#include "server/timesheets/timesheetbrowser.h"

#include "core/audit/closedperiods.h"
#include "core/clock.h"
#include "core/valueforms.h"
#include "server/serverstate.h"
#include "server/timesheets/timesheeteditor.h"
#include "widgets/childwindows.h"
#include "widgets/datebox.h"
#include "widgets/dialogs.h"

#include <QDateEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QStringList kTimeColumns = {QStringLiteral("in1"),   QStringLiteral("out1"), QStringLiteral("in2"),
                                  QStringLiteral("out2"),  QStringLiteral("in3"),  QStringLiteral("out3"),
                                  QStringLiteral("rsdate")};
constexpr int kDateColumn = 6;

QTreeWidget* makeList(const QStringList& headers, const QString& name, QWidget* parent)
{
    auto* list = new QTreeWidget(parent);
    list->setObjectName(name);
    list->setHeaderLabels(headers);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setAlternatingRowColors(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->header()->setSectionsMovable(false);
    return list;
}

} // namespace

TimesheetBrowser::TimesheetBrowser(QWidget* parent) : FormWindow(parent)
{
    setWindowTitle(tr("Employee Timesheets"));

    auto* filter = new QGroupBox(tr("Filter Criteria"), this);
    filter->setObjectName(QStringLiteral("GroupBox1"));
    m_empList = makeList({tr("Employee ID"), tr("Name")}, QStringLiteral("EmpList"), filter);
    m_empList->setColumnWidth(0, 110);
    m_empList->setMinimumSize(380, 150);

    m_from = new DateBox(filter);
    m_from->setObjectName(QStringLiteral("DTPicker1"));
    m_to = new DateBox(filter);
    m_to->setObjectName(QStringLiteral("DTPicker2"));
    for (QDateEdit* picker : {m_from, m_to})
        picker->setMinimumWidth(130);
    auto* fromLabel = new QLabel(tr("From"), filter);
    fromLabel->setObjectName(QStringLiteral("Label1"));
    fromLabel->setBuddy(m_from);
    auto* toLabel = new QLabel(tr("To"), filter);
    toLabel->setObjectName(QStringLiteral("Label2"));
    toLabel->setBuddy(m_to);

    auto* range = new QFormLayout;
    range->addRow(fromLabel, m_from);
    range->addRow(toLabel, m_to);
    auto* hint = new QLabel(tr("Click an employee to list the time records of these days."), filter);
    hint->setObjectName(QStringLiteral("Label3"));
    hint->setWordWrap(true);
    hint->setEnabled(false);
    range->addRow(hint);
    auto* filterLayout = new QHBoxLayout(filter);
    filterLayout->addWidget(m_empList, 1);
    filterLayout->addLayout(range);

    auto* sheets = new QGroupBox(tr("Timesheets"), this);
    sheets->setObjectName(QStringLiteral("GroupBox2"));
    m_timeList = makeList({tr("IN 1"), tr("OUT 1"), tr("IN 2"), tr("OUT 2"), tr("IN 3"), tr("OUT 3"), tr("DATE")},
                          QStringLiteral("TimeList"), sheets);
    const int timeWidth = QFontMetrics(font()).horizontalAdvance(QStringLiteral("00:00:00")) + 30;
    for (int c = 0; c < kDateColumn; ++c)
        m_timeList->setColumnWidth(c, timeWidth);
    m_timeList->setMinimumSize(7 * timeWidth + 40, 180);
    auto* sheetsLayout = new QVBoxLayout(sheets);
    sheetsLayout->addWidget(m_timeList);

    auto button = [this](const QString& text, int number) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QStringLiteral("PushButton%1").arg(number));
        b->setAutoDefault(true);
        b->setMinimumWidth(84);
        return b;
    };
    m_add = button(tr("Add"), 1);
    m_edit = button(tr("Edit"), 2);
    m_delete = button(tr("Delete"), 3);
    m_close = button(tr("Close"), 4);
    m_close->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    usePointerOver(m_close);
    m_edit->setEnabled(false);
    m_delete->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_add);
    buttons->addWidget(m_edit);
    buttons->addWidget(m_delete);
    buttons->addStretch();
    buttons->addWidget(m_close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(filter);
    layout->addWidget(sheets, 1);
    layout->addLayout(buttons);

    giveFocusBackOnClose();
    connect(m_empList, &QTreeWidget::itemClicked, this, &TimesheetBrowser::chooseEmployee);
    connect(m_empList, &QTreeWidget::itemActivated, this, &TimesheetBrowser::chooseEmployee);
    // Once a row was clicked the two stay enabled, also after the list is rebuilt.
    connect(m_timeList, &QTreeWidget::itemClicked, this, [this] {
        m_edit->setEnabled(true);
        m_delete->setEnabled(true);
    });
    connect(m_add, &QPushButton::clicked, this, &TimesheetBrowser::addRecord);
    connect(m_edit, &QPushButton::clicked, this, &TimesheetBrowser::editRecord);
    connect(m_delete, &QPushButton::clicked, this, &TimesheetBrowser::deleteRecord);
    connect(m_close, &QPushButton::clicked, this, &TimesheetBrowser::closeWindow);
}

QString TimesheetBrowser::employeeName(const RecordSet& employee)
{
    auto text = [&](const char* column) { return ValueForms::showValue(employee.value(QLatin1String(column))); };
    return text("emp_lname") + QStringLiteral(", ") + text("emp_fname") + QLatin1Char(' ') + text("emp_mname");
}

bool TimesheetBrowser::openTimeRows(RecordSet& rows, const QString& empId, const QDate& from, const QDate& to)
{
    return rows.openWritable(QStringLiteral("timesheet"),
                             QStringLiteral("Select * from timesheet where emp_id = ? and rsdate >= ? and rsdate <= ?"),
                             {empId, ValueForms::storeDate(from), ValueForms::storeDate(to)});
}

bool TimesheetBrowser::load()
{
    if (!requireDatabase())
        return false;
    if (!m_employees.open(QStringLiteral("Select * from Employee"))) {
        dialogs().ok(tr("The employees could not be read: ") + m_employees.lastError(), tr("Connection Failed"),
                     Dialogs::Icon::Exclamation);
        return false;
    }
    for (m_employees.moveFirst(); !m_employees.eof(); m_employees.moveNext()) {
        auto* item = new QTreeWidgetItem(m_empList);
        item->setText(0, ValueForms::showValue(m_employees.value(QStringLiteral("emp_id"))));
        item->setText(1, employeeName(m_employees));
    }
    m_from->setDate(today());
    m_to->setDate(today());
    return true;
}

void TimesheetBrowser::activated()
{
    // Back from the time record editor (or any other window): the list shows the records as they are now.
    if (m_times.isOpen())
        refreshTimes();
    m_empList->setFocus();
}

void TimesheetBrowser::chooseEmployee(QTreeWidgetItem* item)
{
    m_timeList->clear();
    m_listedId.clear();
    m_times.close();
    if (!item)
        return;
    listTimes(item->text(0), m_from->date(), m_to->date());
}

void TimesheetBrowser::listTimes(const QString& id, const QDate& from, const QDate& to)
{
    if (!Database::isOpen()) {
        showDatabaseNotOpen();
        closeWindow();
        return;
    }
    if (!openTimeRows(m_times, id, from, to)) {
        dialogs().ok(tr("The time records could not be read: ") + m_times.lastError(), tr("Employee Timesheets"),
                     Dialogs::Icon::Exclamation);
        return;
    }
    m_listedId = id;
    m_listedFrom = from;
    m_listedTo = to;
    for (; !m_times.eof(); m_times.moveNext()) {
        auto* row = new QTreeWidgetItem(m_timeList);
        for (int c = 0; c < kTimeColumns.size(); ++c)
            row->setText(c, ValueForms::showValue(m_times.value(kTimeColumns.at(c))));
    }
}

void TimesheetBrowser::refreshTimes()
{
    // The same employee and days as listed, read again; the chosen record stays chosen while it is there.
    const QTreeWidgetItem* chosen = m_timeList->currentItem();
    const QString chosenDate = chosen && chosen->isSelected() ? chosen->text(kDateColumn) : QString();
    const QString id = m_listedId;
    m_timeList->clear();
    m_listedId.clear();
    m_times.close();
    listTimes(id, m_listedFrom, m_listedTo);
    for (int i = 0; !chosenDate.isEmpty() && i < m_timeList->topLevelItemCount(); ++i) {
        if (m_timeList->topLevelItem(i)->text(kDateColumn) == chosenDate) {
            m_timeList->setCurrentItem(m_timeList->topLevelItem(i));
            break;
        }
    }
}

bool TimesheetBrowser::haveSelection()
{
    if (m_times.isOpen() && m_timeList->currentItem() && m_timeList->currentItem()->isSelected())
        return true;
    dialogs().ok(tr("Click an employee, then the time record in the list below."), tr("Employee Timesheets"),
                 Dialogs::Icon::Information);
    return false;
}

void TimesheetBrowser::addRecord()
{
    ChildWindows::open<TimesheetEditor>(QStringLiteral("AddTime"));
}

void TimesheetBrowser::editRecord()
{
    if (!haveSelection())
        return;
    gEmpID = m_listedId;
    gRecDate = m_timeList->currentItem()->text(kDateColumn);
    // An editor already open is asked for this record too: it loaded the one chosen earlier.
    const bool wasOpen = ChildWindows::find(QStringLiteral("AddTime")) != nullptr;
    auto* editor = ChildWindows::open<TimesheetEditor>(QStringLiteral("AddTime"));
    if (editor && wasOpen)
        editor->showRecord(gEmpID, gRecDate);
}

void TimesheetBrowser::deleteRecord()
{
    if (!haveSelection())
        return;
    QTreeWidgetItem* line = m_timeList->currentItem();
    const QString date = line->text(kDateColumn);
    // A closed day is said at once, not after the question.
    if (QDate through; ClosedPeriods::isClosed(ValueForms::readDate(date).value_or(QDate()), &through)) {
        dialogs().ok(ClosedPeriods::refusal(through) + tr("\nNothing was deleted."), ClosedPeriods::title(),
                     Dialogs::Icon::Exclamation);
        return;
    }
    if (!dialogs().yesNo(tr("Are You Sure to Delete This Time Record"), tr("Warning! Deletion in Progress"),
                         Dialogs::Icon::None))
        return;
    for (m_times.moveFirst(); !m_times.eof(); m_times.moveNext()) {
        const QVariant emp = m_times.value(QStringLiteral("emp_id"));
        if (emp.isNull() || emp.toString() != m_listedId ||
            ValueForms::showValue(m_times.value(QStringLiteral("rsdate"))) != date)
            continue;
        bool wrote = false;
        QString why;
        const ClosedPeriods::Outcome outcome = ClosedPeriods::changeTimeRecords(
            {m_times.value(QStringLiteral("rsdate"))},
            [&](QString* error) {
                wrote = m_times.deleteCurrent();
                *error = m_times.lastError();
                return wrote;
            },
            &why);
        if (outcome == ClosedPeriods::Outcome::Refused) {
            dialogs().ok(why + tr("\nNothing was deleted."), ClosedPeriods::title(), Dialogs::Icon::Exclamation);
            return;
        }
        if (outcome == ClosedPeriods::Outcome::Failed) {
            dialogs().ok(tr("The time record could not be deleted: ") + why, tr("Time Record Not Deleted"),
                         Dialogs::Icon::Exclamation);
            // A delete written but not kept: the list shows the records as they are stored.
            if (wrote)
                refreshTimes();
            return;
        }
        delete line;
        return;
    }
    // Listed through the case-blind query, but its ID is not written exactly like the employee's.
    dialogs().ok(tr("No time record of employee ID \"%1\" dated %2 is written exactly like that; "
                    "nothing was deleted. Correct it in the time record editor.")
                     .arg(m_listedId, date),
                 tr("Time Record Not Deleted"), Dialogs::Icon::Exclamation);
}
