#include "server/timesheets/timesheeteditor.h"

#include "core/audit/closedperiods.h"
#include "core/clock.h"
#include "core/valueforms.h"
#include "server/serverstate.h"
#include "widgets/dialogs.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

struct FieldInfo
{
    const char* name;
    const char* label;
    const char* column;
};

// In the order a row is shown.
constexpr std::array<FieldInfo, 8> kFields = {{
    {"In1", "In 1", "in1"},
    {"Out1", "Out 1", "out1"},
    {"In2", "In 2", "in2"},
    {"Out2", "Out 2", "out2"},
    {"In3", "In 3", "in3"},
    {"Out3", "Out 3", "out3"},
    {"EmpID", "Employee ID", "emp_id"},
    {"rDate", "Date", "rsdate"},
}};

// A locked field looks like the frame behind it, so the administrator sees at once what can be typed in.
void setLocked(QLineEdit* field, bool locked)
{
    field->setReadOnly(locked);
    if (!locked) {
        field->setPalette(QPalette());
        return;
    }
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    field->setPalette(palette);
}

QString deleteQuestion()
{
    return QCoreApplication::translate("TimesheetEditor", "Are You Sure to Delete This Time Record");
}
QString deleteTitle()
{
    return QCoreApplication::translate("TimesheetEditor", "Warning! Deletion in Progress");
}

} // namespace

TimesheetEditor::TimesheetEditor(QWidget* parent) : FormWindow(parent)
{
    setWindowTitle(tr("Add/Edit/Delete Timesheet"));

    auto* record = new QGroupBox(tr("In/Out Record"), this);
    record->setObjectName(QStringLiteral("GroupBox1"));
    auto* lookup = new QGroupBox(record);
    lookup->setObjectName(QStringLiteral("GroupBox2"));

    const int timeWidth = QFontMetrics(font()).horizontalAdvance(QStringLiteral("00:00:00")) + 28;
    std::array<QLabel*, FieldCount> labels{};
    for (int i = 0; i < FieldCount; ++i) {
        QWidget* owner = i >= EmpID ? static_cast<QWidget*>(lookup) : record;
        labels[i] = new QLabel(QString::fromLatin1(kFields[i].label), owner);
        labels[i]->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        m_fields[i] = new QLineEdit(owner);
        m_fields[i]->setObjectName(QString::fromLatin1(kFields[i].name));
        connect(m_fields[i], &QLineEdit::returnPressed, this, [this, i] { moveOnFrom(Field(i)); });
        labels[i]->setBuddy(m_fields[i]);
        if (i < EmpID) {
            m_fields[i]->setMinimumWidth(timeWidth);
            m_fields[i]->setAlignment(Qt::AlignCenter);
        }
    }
    m_fields[EmpID]->setMinimumWidth(timeWidth + 20);
    m_fields[RDate]->setMinimumWidth(timeWidth + 20);
    m_fields[RDate]->setPlaceholderText(ValueForms::kDatePlaceholder);

    auto button = [this](const QString& text, int number, QWidget* owner) {
        auto* b = new QPushButton(text, owner);
        b->setObjectName(QStringLiteral("PushButton%1").arg(number));
        b->setAutoDefault(true);
        b->setMinimumWidth(84);
        return b;
    };
    m_previous = button(tr("Previous"), 1, record);
    m_next = button(tr("Next"), 2, record);
    m_new = button(tr("New"), 3, record);
    m_save = button(tr("Save"), 4, record);
    m_edit = button(tr("Edit"), 5, lookup);
    m_delete = button(tr("Delete"), 6, lookup);
    m_search = button(tr("Search"), 7, lookup);
    m_save->setEnabled(false);

    // Times in three in/out pairs, the way a day is punched.
    auto* times = new QGridLayout;
    times->setHorizontalSpacing(10);
    for (int pair = 0; pair < 3; ++pair) {
        const int in = In1 + 2 * pair;
        times->addWidget(labels[in], pair, 0);
        times->addWidget(m_fields[in], pair, 1);
        times->addWidget(labels[in + 1], pair, 2);
        times->addWidget(m_fields[in + 1], pair, 3);
    }
    times->setColumnMinimumWidth(2, 48);

    auto* lookupGrid = new QGridLayout(lookup);
    lookupGrid->addWidget(labels[EmpID], 0, 0);
    lookupGrid->addWidget(m_fields[EmpID], 0, 1);
    lookupGrid->addWidget(labels[RDate], 1, 0);
    lookupGrid->addWidget(m_fields[RDate], 1, 1);
    auto* lookupButtons = new QHBoxLayout;
    lookupButtons->addWidget(m_search);
    lookupButtons->addWidget(m_edit);
    lookupButtons->addWidget(m_delete);
    lookupGrid->addLayout(lookupButtons, 2, 0, 1, 2);

    auto* moves = new QHBoxLayout;
    moves->addWidget(m_previous);
    moves->addWidget(m_next);
    moves->addStretch();
    moves->addWidget(m_new);
    moves->addWidget(m_save);

    // Says before any typing that the shown day can no longer change.
    m_closedLine = new QLabel(record);
    m_closedLine->setObjectName(QStringLiteral("ClosedLine"));
    m_closedLine->setWordWrap(true);
    m_closedLine->setFixedWidth(3 * timeWidth + 140);
    m_closedLine->hide();

    auto* recordLayout = new QVBoxLayout(record);
    recordLayout->addLayout(times);
    recordLayout->addWidget(m_closedLine);
    recordLayout->addWidget(lookup);
    recordLayout->addLayout(moves);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(record);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_next, &QPushButton::clicked, this, &TimesheetEditor::next);
    connect(m_previous, &QPushButton::clicked, this, &TimesheetEditor::previous);
    connect(m_new, &QPushButton::clicked, this, &TimesheetEditor::newRecord);
    connect(m_save, &QPushButton::clicked, this, &TimesheetEditor::save);
    connect(m_edit, &QPushButton::clicked, this, &TimesheetEditor::editOrUpdate);
    connect(m_delete, &QPushButton::clicked, this, &TimesheetEditor::deleteRecord);
    connect(m_search, &QPushButton::clicked, this, &TimesheetEditor::searchOrFetch);
}

bool TimesheetEditor::load()
{
    if (!requireDatabase())
        return false;
    if (!m_records.open()) {
        dialogs().ok(tr("The time records could not be read: ") + m_records.lastError(), tr("Connection Failed"),
                     Dialogs::Icon::Exclamation);
        return false;
    }
    if (m_records.findFirst(gEmpID, gRecDate))
        showRow();
    LockFields(true);
    m_editing = false;
    m_searching = false;
    return true;
}

void TimesheetEditor::activated()
{
    // A pay period may have been closed or reopened meanwhile.
    showClosedLine();
    if (!m_fields[In1]->isReadOnly())
        m_fields[In1]->setFocus();
    else if (!m_fields[EmpID]->isReadOnly())
        m_fields[EmpID]->setFocus();
    else
        m_next->setFocus();
}

void TimesheetEditor::LockFields(bool locked)
{
    for (QLineEdit* field : m_fields)
        setLocked(field, locked);
}

void TimesheetEditor::showRow()
{
    for (int i = 0; i < FieldCount; ++i)
        m_fields[i]->setText(ValueForms::showValue(m_records.value(QString::fromLatin1(kFields[i].column))));
    showClosedLine();
}

bool TimesheetEditor::currentDayClosed(QDate* through) const
{
    if (!m_records.hasCurrent())
        return false;
    QDate last;
    const std::optional<QDate> day = ValueForms::readDate(m_records.value(QStringLiteral("rsdate")).toString());
    const bool closed = day && ClosedPeriods::isClosed(*day, &last);
    if (through)
        *through = last;
    return closed;
}

void TimesheetEditor::showClosedLine()
{
    QDate through;
    const bool closed = currentDayClosed(&through);
    m_closedLine->setVisible(closed);
    if (closed)
        m_closedLine->setText(tr("This day is in the pay period closed through %1: it is shown "
                                 "read-only and cannot be changed or deleted.")
                                  .arg(ValueForms::showDate(through)));
}

bool TimesheetEditor::refuseClosedDay(const QString& notDone)
{
    QDate through;
    if (!currentDayClosed(&through))
        return false;
    showClosedLine();
    dialogs().ok(ClosedPeriods::refusal(through) + QLatin1Char('\n') + notDone, ClosedPeriods::title(),
                 Dialogs::Icon::Exclamation);
    return true;
}

void TimesheetEditor::leaveEditing()
{
    m_editing = false;
    m_edit->setText(tr("Edit"));
    LockFields(true);
}

void TimesheetEditor::showRecord(const QString& empId, const QString& shownDate)
{
    if ((m_editing || m_save->isEnabled()) &&
        !dialogs().yesNo(tr("The changes typed in the time record editor are not stored yet. Leave "
                            "them and show the time record of employee ID \"%1\" dated %2?")
                             .arg(empId, shownDate),
                         windowTitle()))
        return;
    leaveEditing();
    m_save->setEnabled(false);
    m_searching = false;
    m_search->setText(tr("Search"));
    if (m_records.findFirst(empId, shownDate)) {
        showRow();
        return;
    }
    for (QLineEdit* field : m_fields)
        field->clear();
    showClosedLine();
}

void TimesheetEditor::next()
{
    const bool fromEnd = m_records.eof();
    m_records.moveNext();
    if (m_records.eof()) {
        dialogs().ok(tr("This is the Last Record"), tr("EOF Reached"), Dialogs::Icon::Exclamation);
        // The last row stays current; after a look-up that found nothing there is none to stay on.
        if (fromEnd)
            return;
        m_records.movePrevious();
    }
    if (m_records.hasCurrent())
        showRow();
}

void TimesheetEditor::previous()
{
    const bool fromStart = m_records.bof();
    m_records.movePrevious();
    if (m_records.bof()) {
        dialogs().ok(tr("This is the First Record"), tr("BOF Reached"), Dialogs::Icon::Exclamation);
        if (fromStart)
            return;
        m_records.moveNext();
    }
    if (m_records.hasCurrent())
        showRow();
}

void TimesheetEditor::newRecord()
{
    LockFields(false);
    m_save->setEnabled(true);
    m_fields[EmpID]->clear();
    m_fields[RDate]->setText(ValueForms::kDatePlaceholder);
    // A new row's slots start free: a box left empty stays free for the day's punches.
    for (int i = In1; i <= Out3; ++i)
        m_fields[i]->clear();
    m_fields[EmpID]->setFocus();
}

bool TimesheetEditor::valuesFromFields(QVariantHash* values, bool newRow, const QString& notDone)
{
    const QString example = ValueForms::showDate(today());
    auto refuse = [&](Field field, const QString& text) {
        dialogs().ok(text + QLatin1Char(' ') + notDone, tr("Invalid Entry"), Dialogs::Icon::Exclamation);
        m_fields[field]->setFocus();
        m_fields[field]->selectAll();
        return false;
    };
    for (int i = In1; i <= Out3; ++i) {
        const QString column = QString::fromLatin1(kFields[i].column);
        const QString text = m_fields[i]->text();
        if (text.trimmed().isEmpty()) {
            // A slot that was free and is left blank is not written: it stays free for the day's later punches,
            // and a punch stored there since the row was shown is kept. A punch whose box was emptied keeps its
            // place as 00:00:00.
            if (!newRow && !m_records.value(column).isNull())
                values->insert(column, ValueForms::kBlankTime);
            continue;
        }
        if (!ValueForms::readTime(text))
            return refuse(Field(i), tr("\"%1\" in %2 is not a time of day. Type it as HH:MM:SS "
                                       "(for example 08:30:00), or leave the box empty.")
                                        .arg(text, QString::fromLatin1(kFields[i].label)));
        values->insert(column, text.trimmed());
    }
    const QString date = m_fields[RDate]->text();
    if (date.trimmed().isEmpty()) {
        values->insert(QStringLiteral("rsdate"), today());
    } else if (date.trimmed() == ValueForms::kDatePlaceholder) {
        return refuse(RDate, tr("Type the date of the time record in place of %1 (for example %2), "
                                "or empty the box for today's date.")
                                 .arg(ValueForms::kDatePlaceholder, example));
    } else if (!ValueForms::readDate(date)) {
        return refuse(RDate, tr("\"%1\" in Date is not a date. Type it as %2 (for example %3), "
                                "or empty the box for today's date.")
                                 .arg(date, ValueForms::kDatePlaceholder, example));
    } else {
        values->insert(QStringLiteral("rsdate"), date.trimmed());
    }
    values->insert(QStringLiteral("emp_id"), m_fields[EmpID]->text());
    return true;
}

void TimesheetEditor::save()
{
    // Fields stay open and "Save" enabled while a refusal is shown: the typed values are for correcting.
    QVariantHash values;
    const QString notSaved = tr("Nothing was saved.");
    if (!valuesFromFields(&values, true, notSaved))
        return;
    if (!m_records.addRow(values)) {
        writeRefused(tr("Saved"), notSaved);
        return;
    }
    m_save->setEnabled(false);
    LockFields(true);
    // Shows what was stored: an empty date as today.
    showRow();
}

void TimesheetEditor::editOrUpdate()
{
    if (!m_editing && refuseClosedDay(tr("Nothing can be changed.")))
        return;
    if (!m_editing) {
        m_edit->setText(tr("Update"));
        m_editing = true;
        LockFields(false);
        m_fields[In1]->setFocus();
        return;
    }
    // A refused update keeps the editor editing, with the typed values in their boxes.
    const QString notUpdated = tr("Nothing was changed.");
    if (!m_records.hasCurrent()) {
        dialogs().ok(tr("There is no current time record to update. Go to one with Next, Previous "
                        "or Search first. ") +
                         notUpdated,
                     tr("No Current Record"), Dialogs::Icon::Exclamation);
        return;
    }
    QVariantHash values;
    if (!valuesFromFields(&values, false, notUpdated))
        return;
    if (!m_records.updateCurrent(values)) {
        writeRefused(tr("Updated"), notUpdated);
        // A day closed meanwhile cannot be corrected here at all: back to the stored row, not left editing.
        if (m_records.refusedAsClosed()) {
            leaveEditing();
            showRow();
        }
        return;
    }
    leaveEditing();
    showRow();
}

void TimesheetEditor::deleteRecord()
{
    if (!m_records.hasCurrent()) {
        dialogs().ok(tr("There is no current time record to delete. Go to one with Next, Previous "
                        "or Search first. Nothing was deleted."),
                     tr("No Current Record"), Dialogs::Icon::Exclamation);
        return;
    }
    if (refuseClosedDay(tr("Nothing was deleted.")))
        return;
    if (!dialogs().yesNo(deleteQuestion(), deleteTitle(), Dialogs::Icon::None))
        return;
    if (!m_records.deleteCurrent())
        writeRefused(tr("Deleted"), tr("Nothing was deleted."));
}

void TimesheetEditor::writeRefused(const QString& done, const QString& notDone)
{
    if (m_records.refusedAsClosed())
        dialogs().ok(m_records.lastError() + QLatin1Char('\n') + notDone, ClosedPeriods::title(),
                     Dialogs::Icon::Exclamation);
    else
        dialogs().ok(tr("The time record could not be %1: %2\n%3").arg(done.toLower(), m_records.lastError(), notDone),
                     tr("Time Record Not %1").arg(done), Dialogs::Icon::Exclamation);
}

void TimesheetEditor::searchOrFetch()
{
    if (!m_searching) {
        m_search->setText(tr("Fetch"));
        m_searching = true;
        setLocked(m_fields[EmpID], false);
        setLocked(m_fields[RDate], false);
        m_fields[EmpID]->setFocus();
        return;
    }
    m_search->setText(tr("Search"));
    m_searching = false;
    if (!m_records.findFirst(m_fields[EmpID]->text(), m_fields[RDate]->text())) {
        dialogs().ok(tr("No Matching Record Found"), tr("Re-Enter Filter Criteria"), Dialogs::Icon::Exclamation);
        m_fields[EmpID]->setFocus();
        return;
    }
    for (int i = In1; i <= Out3; ++i)
        m_fields[i]->setText(ValueForms::showValue(m_records.value(QString::fromLatin1(kFields[i].column))));
    setLocked(m_fields[EmpID], true);
    setLocked(m_fields[RDate], true);
    showClosedLine();
}

void TimesheetEditor::moveOnFrom(Field field)
{
    if (field < RDate) {
        m_fields[field + 1]->setFocus();
        m_fields[field + 1]->selectAll();
        return;
    }
    // From the last box to the button that finishes what is being typed.
    if (m_searching)
        m_search->setFocus();
    else if (m_editing)
        m_edit->setFocus();
    else if (m_save->isEnabled())
        m_save->setFocus();
    else
        m_next->setFocus();
}
