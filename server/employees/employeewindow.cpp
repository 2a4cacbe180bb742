#include "server/employees/employeewindow.h"

#include "core/clock.h"
#include "core/valueforms.h"
#include "server/employees/searchidwindow.h"
#include "server/serverstate.h"
#include "widgets/childwindows.h"
#include "widgets/dialogs.h"
#include "widgets/storedwords.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

// The two usual answers, kept in English whatever language the window shows them in.
const StoredWords::Words kSexes = {QT_TRANSLATE_NOOP("EmployeeWindow", "Male"),
                                   QT_TRANSLATE_NOOP("EmployeeWindow", "Female")};

QString shownSex(const QString& stored)
{
    return StoredWords::shown("EmployeeWindow", kSexes, stored);
}

QString storedSex(const QString& shown)
{
    return StoredWords::stored("EmployeeWindow", kSexes, shown);
}

// An editable drop-down that can be made read-only like the text boxes beside it: no typing, no list.
class LockableComboBox : public QComboBox
{
public:
    using QComboBox::QComboBox;

    void setReadOnly(bool readOnly)
    {
        m_readOnly = readOnly;
        if (lineEdit())
            lineEdit()->setReadOnly(readOnly);
    }

    void showPopup() override
    {
        if (!m_readOnly)
            QComboBox::showPopup();
    }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (m_readOnly && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down ||
                           event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown ||
                           event->key() == Qt::Key_Home || event->key() == Qt::Key_End || event->key() == Qt::Key_F4)) {
            event->ignore();
            return;
        }
        QComboBox::keyPressEvent(event);
    }

    void wheelEvent(QWheelEvent* event) override
    {
        if (!m_readOnly)
            QComboBox::wheelEvent(event);
    }

private:
    bool m_readOnly = false;
};

const QString kPlaceholder = ValueForms::kDatePlaceholder;

} // namespace

EmployeeWindow::EmployeeWindow(QWidget* parent) : FormWindow(parent)
{
    setWindowTitle(tr("Employee Form/Records"));

    int labelNumber = 0;
    auto caption = [this, &labelNumber](const QString& text, QWidget* box) {
        auto* label = new QLabel(text, this);
        label->setObjectName(QStringLiteral("Label%1").arg(++labelNumber));
        label->setBuddy(box);
        return label;
    };
    auto lineBox = [this](const char* name, int width = 0) {
        auto* box = new QLineEdit(this);
        box->setObjectName(QLatin1String(name));
        if (width > 0)
            box->setMaximumWidth(width);
        // Enter moves on to the next box; it never saves.
        connect(box, &QLineEdit::returnPressed, this, [this] { focusNextChild(); });
        m_lineBoxes << box;
        return box;
    };
    auto textBox = [this](const char* name) {
        auto* box = new QPlainTextEdit(this);
        box->setObjectName(QLatin1String(name));
        box->setTabChangesFocus(true);
        return box;
    };

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("TabControl1"));

    // Personal Information: name and birth on the left, address and phones on the right.
    m_id = lineBox("emp_id", 160);
    m_lastName = lineBox("emp_lname");
    m_firstName = lineBox("emp_fname");
    m_middleName = lineBox("emp_mname");
    auto* sex = new LockableComboBox(this);
    sex->setObjectName(QStringLiteral("emp_sex1"));
    sex->setEditable(true);
    for (const char* name : kSexes)
        sex->addItem(shownSex(QLatin1String(name)));
    sex->setMaximumWidth(160);
    sex->setInsertPolicy(QComboBox::NoInsert);
    // Enter moves on here too, so the next typing does not land in the drop-down.
    connect(sex->lineEdit(), &QLineEdit::returnPressed, this, [this] { focusNextChild(); });
    m_sex = sex;
    m_birthDate = lineBox("emp_dob", 160);
    m_apartment = lineBox("emp_apt", 160);
    m_address = lineBox("emp_address");
    m_city = lineBox("city");
    m_state = lineBox("emp_state", 160);
    m_zip = lineBox("zip1", 160);
    m_homePhone = lineBox("emp_home_phone", 160);
    m_workPhone = lineBox("emp_work_phone", 160);
    m_mobilePhone = lineBox("emp_cp", 160);
    m_socialSecurity = lineBox("SSS", 160);
    for (QLineEdit* box : {m_lastName, m_firstName, m_middleName, m_address, m_city})
        box->setMinimumWidth(200);

    auto* personal = new QWidget;
    auto* personalGrid = new QGridLayout(personal);
    personalGrid->setHorizontalSpacing(10);
    const std::pair<QString, QWidget*> left[] = {
        {tr("Employee ID"), m_id},
        {tr("Last Name"), m_lastName},
        {tr("First Name"), m_firstName},
        {tr("Middle Name"), m_middleName},
        {tr("Sex"), m_sex},
        {tr("Date of Birth"), m_birthDate},
        {tr("Social Security"), m_socialSecurity},
    };
    const std::pair<QString, QWidget*> right[] = {
        {tr("Appartment"), m_apartment},
        {tr("Address"), m_address},
        {tr("City"), m_city},
        {tr("State"), m_state},
        {tr("Zip"), m_zip},
        {tr("Home Phone"), m_homePhone},
        {tr("Work Phone"), m_workPhone},
        {tr("Mobile Phone"), m_mobilePhone},
    };
    int row = 0;
    for (const auto& [text, box] : left) {
        personalGrid->addWidget(caption(text, box), row, 0);
        personalGrid->addWidget(box, row++, 1);
    }
    row = 0;
    for (const auto& [text, box] : right) {
        personalGrid->addWidget(caption(text, box), row, 3);
        personalGrid->addWidget(box, row++, 4);
    }
    personalGrid->setColumnMinimumWidth(2, 24);
    personalGrid->setColumnStretch(1, 1);
    personalGrid->setColumnStretch(4, 1);
    personalGrid->setRowStretch(row, 1);
    m_tabs->addTab(personal, tr("Personal Information"));

    // Job Description.
    m_jobDescription = textBox("Job_Description");
    auto* job = new QWidget;
    auto* jobLayout = new QVBoxLayout(job);
    jobLayout->addWidget(caption(tr("Job Definition && Responsibilities"), m_jobDescription));
    jobLayout->addWidget(m_jobDescription, 1);
    m_tabs->addTab(job, tr("Job Description"));

    // Other Information.
    m_regularWage = lineBox("reg_wage", 120);
    m_overtimeWage = lineBox("ot_wage", 120);
    m_dateHired = lineBox("date_hired", 120);
    m_active = new QCheckBox(tr("Active"), this);
    m_active->setObjectName(QStringLiteral("cur_stat"));
    m_notes = textBox("Notes");
    auto* other = new QWidget;
    auto* otherGrid = new QGridLayout(other);
    otherGrid->setHorizontalSpacing(10);
    row = 0;
    for (const auto& [text, box] : {std::pair<QString, QWidget*>{tr("Regular Wage"), m_regularWage},
                                    {tr("Overtime Wage"), m_overtimeWage},
                                    {tr("Date Hired"), m_dateHired},
                                    {tr("Current Status"), m_active}}) {
        otherGrid->addWidget(caption(text, box), row, 0);
        otherGrid->addWidget(box, row++, 1);
    }
    otherGrid->addWidget(caption(tr("Notes"), m_notes), row, 0, Qt::AlignTop);
    otherGrid->addWidget(m_notes, row, 1);
    otherGrid->setRowStretch(row, 1);
    otherGrid->setColumnStretch(1, 1);
    m_tabs->addTab(other, tr("Other Information"));

    m_addNew = makeButton("PushButton1", tr("Add New"));
    m_save = makeButton("PushButton3", tr("Save"));
    m_edit = makeButton("PushButton4", tr("Edit"));
    m_search = makeButton("PushButton5", tr("Search"));
    m_close = makeButton("PushButton2", tr("Close"));
    m_save->setEnabled(false);
    m_edit->setEnabled(false);
    usePointerOver(m_close);
    connect(m_addNew, &QPushButton::clicked, this, &EmployeeWindow::addNew);
    connect(m_save, &QPushButton::clicked, this, &EmployeeWindow::save);
    connect(m_edit, &QPushButton::clicked, this, &EmployeeWindow::editOrUpdate);
    connect(m_search, &QPushButton::clicked, this, &EmployeeWindow::search);
    connect(m_close, &QPushButton::clicked, this, &EmployeeWindow::closeWindow);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {m_addNew, m_save, m_edit, m_search})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(m_close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs, 1);
    layout->addLayout(buttons);

    m_regularWage->setText(QStringLiteral("0.00"));
    m_overtimeWage->setText(QStringLiteral("0.00"));
    m_birthDate->setText(kPlaceholder);
    m_dateHired->setText(kPlaceholder);
    m_sex->setEditText(shownSex(QStringLiteral("Male")));
    LockFields(true);
}

bool EmployeeWindow::load()
{
    if (!requireDatabase())
        return false;
    if (!m_employees.openWritable(QStringLiteral("Employee"), QStringLiteral("Select * from employee"))) {
        showReadFailed(tr("The employees"), m_employees.lastError());
        return false;
    }
    if (EmployeeRecord::findExact(m_employees, gEmpID))
        showFields(EmployeeRecord::fromRow(m_employees));
    gEmpID.clear();
    m_editing = false;
    return true;
}

void EmployeeWindow::LockFields(bool lock)
{
    for (QLineEdit* box : std::as_const(m_lineBoxes))
        box->setReadOnly(lock);
    m_jobDescription->setReadOnly(lock);
    m_notes->setReadOnly(lock);
    static_cast<LockableComboBox*>(m_sex)->setReadOnly(lock);
    // Locked boxes take the window's colour, so the mode shows at a glance.
    QList<QWidget*> boxes(m_lineBoxes.cbegin(), m_lineBoxes.cend());
    boxes << m_jobDescription << m_notes << m_sex;
    for (QWidget* box : std::as_const(boxes)) {
        QPalette look = QApplication::palette(box);
        if (lock)
            look.setColor(QPalette::Base, look.color(QPalette::Window));
        box->setPalette(look);
    }
    m_active->setEnabled(!lock);
}

void EmployeeWindow::allowEdit()
{
    m_edit->setEnabled(true);
}

void EmployeeWindow::closeEvent(QCloseEvent* event)
{
    gEmpID.clear();
    FormWindow::closeEvent(event);
}

EmployeeRecord::Fields EmployeeWindow::fields() const
{
    EmployeeRecord::Fields f;
    f.empId = m_id->text();
    f.lastName = m_lastName->text();
    f.firstName = m_firstName->text();
    f.middleName = m_middleName->text();
    f.sex = storedSex(m_sex->currentText());
    f.birthDate = m_birthDate->text();
    f.apartment = m_apartment->text();
    f.address = m_address->text();
    f.city = m_city->text();
    f.state = m_state->text();
    f.zip = m_zip->text();
    f.homePhone = m_homePhone->text();
    f.workPhone = m_workPhone->text();
    f.mobilePhone = m_mobilePhone->text();
    f.socialSecurity = m_socialSecurity->text();
    f.jobDescription = m_jobDescription->toPlainText();
    f.regularWage = m_regularWage->text();
    f.overtimeWage = m_overtimeWage->text();
    f.dateHired = m_dateHired->text();
    f.active = m_active->isChecked();
    f.notes = m_notes->toPlainText();
    return f;
}

void EmployeeWindow::showFields(const EmployeeRecord::Fields& f)
{
    m_id->setText(f.empId);
    m_lastName->setText(f.lastName);
    m_firstName->setText(f.firstName);
    m_middleName->setText(f.middleName);
    m_sex->setEditText(shownSex(f.sex));
    m_birthDate->setText(f.birthDate);
    m_apartment->setText(f.apartment);
    m_address->setText(f.address);
    m_city->setText(f.city);
    m_state->setText(f.state);
    m_zip->setText(f.zip);
    m_homePhone->setText(f.homePhone);
    m_workPhone->setText(f.workPhone);
    m_mobilePhone->setText(f.mobilePhone);
    m_socialSecurity->setText(f.socialSecurity);
    m_jobDescription->setPlainText(f.jobDescription);
    m_regularWage->setText(f.regularWage);
    m_overtimeWage->setText(f.overtimeWage);
    m_dateHired->setText(f.dateHired);
    m_active->setChecked(f.active);
    m_notes->setPlainText(f.notes);
}

void EmployeeWindow::clearFields()
{
    showFields(EmployeeRecord::Fields{});
}

void EmployeeWindow::storeRefused(const QString& action, const QString& why)
{
    dialogs().ok(tr("The employee record was not %1:\n%2\n\nNothing was written; "
                    "please correct the entry and try again.")
                     .arg(action, why),
                 tr("Record Not Saved"), Dialogs::Icon::Exclamation);
}

void EmployeeWindow::addNew()
{
    LockFields(false);
    m_save->setEnabled(true);
    clearFields();
    m_birthDate->setText(kPlaceholder);
    m_dateHired->setText(kPlaceholder);
    m_regularWage->setText(QStringLiteral("0"));
    m_overtimeWage->setText(QStringLiteral("0"));
    m_tabs->setCurrentIndex(0);
    m_id->setFocus();
}

void EmployeeWindow::save()
{
    const EmployeeRecord::Fields typed = fields();
    if (const QString missing = EmployeeRecord::missingRequired(typed); !missing.isEmpty()) {
        dialogs().ok(missing, tr("Info Incomplete"), Dialogs::Icon::Exclamation);
        return;
    }
    QString why;
    if (!EmployeeRecord::write(m_employees, typed, EmployeeRecord::Write::Save, today(), &why)) {
        storeRefused(tr("saved"), why);
        return;
    }
    clearFields();
    LockFields(true);
    m_save->setEnabled(false);
    // The boxes empty at once, so without this line a saved record looks like a lost one.
    ChildWindows::showStatus(tr("Employee %1 saved.").arg(describe(typed)));
}

void EmployeeWindow::editOrUpdate()
{
    if (!m_editing) {
        m_editing = true;
        LockFields(false);
        m_edit->setText(tr("Update"));
        return;
    }
    QString why;
    if (!EmployeeRecord::write(m_employees, fields(), EmployeeRecord::Write::Update, today(), &why)) {
        // Still editing, so the typed values can be corrected and stored with another "Update".
        storeRefused(tr("updated"), why);
        return;
    }
    m_editing = false;
    LockFields(true);
    m_edit->setText(tr("Edit"));
    ChildWindows::showStatus(tr("Employee %1 updated.").arg(describe(fields())));
}

QString EmployeeWindow::describe(const EmployeeRecord::Fields& f)
{
    const QString name = QStringList{f.firstName, f.lastName}.join(QLatin1Char(' ')).trimmed();
    return name.isEmpty() ? f.empId : QStringLiteral("%1 (%2)").arg(f.empId, name);
}

void EmployeeWindow::showEmployee(const QString& empId)
{
    if ((m_editing || m_save->isEnabled()) &&
        !dialogs().yesNo(tr("The changes typed in the employee record are not stored yet. Leave them "
                            "and show employee ID \"%1\"?")
                             .arg(empId),
                         windowTitle()))
        return;
    m_editing = false;
    m_edit->setText(tr("Edit"));
    m_save->setEnabled(false);
    LockFields(true);
    if (EmployeeRecord::findExact(m_employees, empId))
        showFields(EmployeeRecord::fromRow(m_employees));
    else
        clearFields();
}

void EmployeeWindow::search()
{
    ChildWindows::open<SearchIdWindow>(QStringLiteral("SearchID"));
    closeWindow();
}
