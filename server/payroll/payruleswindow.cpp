#include "server/payroll/payruleswindow.h"

#include "core/clock.h"
#include "core/employees/employeerecord.h"
#include "core/store/query.h"
#include "core/valueforms.h"
#include "widgets/dialogs.h"
#include "widgets/language.h"
#include "widgets/storedwords.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// Kinds of paid time off offered; they are kept in English, shown in the window's language.
const StoredWords::Words kTimeOffKinds = {QT_TRANSLATE_NOOP("PayRulesWindow", "Vacation"),
                                          QT_TRANSLATE_NOOP("PayRulesWindow", "Sick"),
                                          QT_TRANSLATE_NOOP("PayRulesWindow", "Holiday")};

QString title()
{
    return QCoreApplication::translate("PayRulesWindow", "Pay Rules");
}

QDoubleSpinBox* hoursBox(const char* name, double max, QWidget* parent,
                         const QString& suffix = QCoreApplication::translate("PayRulesWindow", " h"))
{
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setRange(0, max);
    box->setDecimals(2);
    box->setSuffix(suffix);
    return box;
}

QDateEdit* dateBox(const char* name, QWidget* parent)
{
    auto* box = new QDateEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setCalendarPopup(true);
    box->setDisplayFormat(ValueForms::kDateForm);
    return box;
}

QTreeWidget* list(const char* name, const QStringList& headers, QWidget* parent)
{
    auto* tree = new QTreeWidget(parent);
    tree->setObjectName(QLatin1String(name));
    tree->setHeaderLabels(headers);
    tree->setRootIsDecorated(false);
    tree->setAlternatingRowColors(true);
    tree->setSelectionMode(QAbstractItemView::SingleSelection);
    tree->header()->setStretchLastSection(true);
    return tree;
}

QString hoursText(int minutes)
{
    return QString::number(minutes / 60.0, 'g', 6);
}

} // namespace

PayRulesWindow::PayRulesWindow(QWidget* parent) : FormWindow(parent)
{
    setWindowTitle(title());
    setWindowIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    auto* tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("Tabs"));
    tabs->addTab(rulesPage(), tr("Rules"));
    tabs->addTab(holidaysPage(), tr("Holidays"));
    tabs->addTab(employeesPage(), tr("Employees"));
    tabs->addTab(timeOffPage(), tr("Paid Time Off"));

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("StatusLabel"));
    m_status->setTextFormat(Qt::PlainText);
    m_status->setWordWrap(true);
    auto* saveButton = makeButton("PushButton1", tr("Save"));
    auto* revert = makeButton("PushButton2", tr("Revert"));
    auto* done = makeButton("PushButton3", tr("Done"));
    connect(saveButton, &QPushButton::clicked, this, &PayRulesWindow::save);
    connect(revert, &QPushButton::clicked, this, [this] { show(m_stored); });
    connect(done, &QPushButton::clicked, this, &PayRulesWindow::closeWindow);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_status, 1);
    buttons->addWidget(saveButton);
    buttons->addWidget(revert);
    buttons->addWidget(done);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs, 1);
    layout->addLayout(buttons);
}

QWidget* PayRulesWindow::rulesPage()
{
    auto* page = new QWidget(this);
    auto* overtime = new QGroupBox(tr("Overtime"), page);
    m_overtime = new QComboBox(overtime);
    m_overtime->setObjectName(QStringLiteral("OvertimeRule"));
    m_overtime->addItems({tr("After 4 hours of one in/out pair"), tr("After N hours a day"), tr("After N hours a week"),
                          tr("Daily and weekly")});
    m_overtime->setMinimumWidth(260);
    m_dailyAfter = hoursBox("DailyAfter", 24, overtime);
    m_weeklyAfter = hoursBox("WeeklyAfter", 168, overtime);
    m_weekStart = new QComboBox(overtime);
    m_weekStart->setObjectName(QStringLiteral("WeekStart"));
    for (int day = 1; day <= 7; ++day)
        m_weekStart->addItem(Language::namesLocale().dayName(day));
    auto* overtimeForm = new QFormLayout(overtime);
    overtimeForm->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    overtimeForm->addRow(tr("Overtime is paid"), m_overtime);
    overtimeForm->addRow(tr("Hours a day"), m_dailyAfter);
    overtimeForm->addRow(tr("Hours a week"), m_weeklyAfter);
    overtimeForm->addRow(tr("The week starts on"), m_weekStart);

    auto* extra = new QGroupBox(tr("Double time, rounding and meals"), page);
    m_double = new QCheckBox(tr("Double time after"), extra);
    m_double->setObjectName(QStringLiteral("DoubleTime"));
    m_doubleAfter = hoursBox("DoubleAfter", 24, extra, tr(" h a day"));
    m_doubleRate = hoursBox("DoubleRate", 10, extra, tr(" x regular wage"));
    m_rounding = new QComboBox(extra);
    m_rounding->setObjectName(QStringLiteral("Rounding"));
    m_rounding->addItems({tr("Off"), tr("5 minutes"), tr("6 minutes"), tr("10 minutes"), tr("15 minutes")});
    m_meal = new QCheckBox(tr("Deduct a meal of"), extra);
    m_meal->setObjectName(QStringLiteral("Meal"));
    m_mealMinutes = new QSpinBox(extra);
    m_mealMinutes->setObjectName(QStringLiteral("MealMinutes"));
    m_mealMinutes->setRange(1, 240);
    m_mealMinutes->setSuffix(tr(" min"));
    m_mealAfter = hoursBox("MealAfter", 24, extra, tr(" h worked"));
    auto* extraGrid = new QGridLayout(extra);
    extraGrid->addWidget(m_double, 0, 0);
    extraGrid->addWidget(m_doubleAfter, 0, 1);
    extraGrid->addWidget(new QLabel(tr("paid at"), extra), 0, 2);
    extraGrid->addWidget(m_doubleRate, 0, 3);
    extraGrid->addWidget(new QLabel(tr("Round punch times to the nearest"), extra), 1, 0);
    extraGrid->addWidget(m_rounding, 1, 1);
    extraGrid->addWidget(m_meal, 2, 0);
    extraGrid->addWidget(m_mealMinutes, 2, 1);
    extraGrid->addWidget(new QLabel(tr("once a day passes"), extra), 2, 2);
    extraGrid->addWidget(m_mealAfter, 2, 3);
    extraGrid->setColumnStretch(4, 1);

    auto* period = new QGroupBox(tr("Pay period and night shifts"), page);
    m_period = new QComboBox(period);
    m_period->setObjectName(QStringLiteral("Period"));
    m_period->addItems(
        {tr("Not set"), tr("Weekly"), tr("Every two weeks"), tr("Twice a month (1st-15th, 16th-end)"), tr("Monthly")});
    m_periodStart = dateBox("PeriodStart", period);
    m_nightShift = hoursBox("NightShift", 24, period);
    m_nightShift->setSpecialValueText(tr("Off"));
    m_longPair = hoursBox("LongPair", 168, period);
    auto* periodForm = new QFormLayout(period);
    periodForm->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    periodForm->addRow(tr("Pay period"), m_period);
    periodForm->addRow(tr("A period's first day"), m_periodStart);
    periodForm->addRow(tr("Count pairs across midnight up to"), m_nightShift);
    periodForm->addRow(tr("Pairs longer than this are exceptions"), m_longPair);

    for (QComboBox* box : {m_overtime, m_period})
        connect(box, &QComboBox::currentIndexChanged, this, &PayRulesWindow::updateEnabled);
    for (QCheckBox* box : {m_double, m_meal})
        connect(box, &QCheckBox::toggled, this, &PayRulesWindow::updateEnabled);

    auto* layout = new QVBoxLayout(page);
    auto* hint = new QLabel(tr("The first rule is Qorvil's own: up to 4 hours of each in/out pair are "
                               "regular. Most payrolls pay overtime after 8 hours a day or 40 a week."),
                            page);
    hint->setWordWrap(true);
    layout->addWidget(hint);
    layout->addWidget(overtime);
    layout->addWidget(extra);
    layout->addWidget(period);
    layout->addStretch();
    return page;
}

QWidget* PayRulesWindow::holidaysPage()
{
    auto* page = new QWidget(this);
    m_holidayPay = new QComboBox(page);
    m_holidayPay->setObjectName(QStringLiteral("HolidayPay"));
    m_holidayPay->addItems(
        {tr("as an ordinary day"), tr("at the overtime wage"), tr("at a multiple of the regular wage")});
    m_holidayRate = hoursBox("HolidayRate", 10, page, tr(" x regular wage"));
    connect(m_holidayPay, &QComboBox::currentIndexChanged, this, &PayRulesWindow::updateEnabled);
    m_holidays = list("HolidayList", {tr("Date"), tr("Holiday")}, page);
    m_holidays->setColumnWidth(0, 120);
    m_holidayDay = dateBox("HolidayDay", page);
    m_holidayName = new QLineEdit(page);
    m_holidayName->setObjectName(QStringLiteral("HolidayName"));
    m_holidayName->setPlaceholderText(tr("Independence Day"));
    auto* add = makeButton("AddHoliday", tr("Add"));
    auto* remove = makeButton("RemoveHoliday", tr("Remove"));
    connect(add, &QPushButton::clicked, this, &PayRulesWindow::addHoliday);
    connect(remove, &QPushButton::clicked, this, &PayRulesWindow::removeHoliday);

    auto* pay = new QHBoxLayout;
    pay->addWidget(new QLabel(tr("Hours worked on a holiday are paid"), page));
    pay->addWidget(m_holidayPay);
    pay->addWidget(m_holidayRate);
    pay->addStretch();
    auto* entry = new QHBoxLayout;
    entry->addWidget(m_holidayDay);
    entry->addWidget(m_holidayName, 1);
    entry->addWidget(add);
    entry->addWidget(remove);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(pay);
    auto* hint = new QLabel(tr("Holiday hours are neither regular nor overtime hours and do not count "
                               "toward the weekly threshold. Paid holidays not worked are entered as "
                               "paid time off."),
                            page);
    hint->setWordWrap(true);
    layout->addWidget(hint);
    layout->addWidget(m_holidays, 1);
    layout->addLayout(entry);
    return page;
}

QWidget* PayRulesWindow::employeesPage()
{
    auto* page = new QWidget(this);
    m_employees = list("EmployeeList", {tr("No overtime"), tr("Employee ID"), tr("Name")}, page);
    m_employees->setColumnWidth(0, 110);
    m_employees->setColumnWidth(1, 120);
    auto* layout = new QVBoxLayout(page);
    auto* hint = new QLabel(tr("An employee marked \"No overtime\" is paid every hour as regular "
                               "(salaried managers, for example)."),
                            page);
    hint->setWordWrap(true);
    layout->addWidget(hint);
    layout->addWidget(m_employees, 1);
    return page;
}

QWidget* PayRulesWindow::timeOffPage()
{
    auto* page = new QWidget(this);
    m_timeOff = list("TimeOffList", {tr("Employee ID"), tr("Date"), tr("Hours"), tr("Kind")}, page);
    m_timeOff->setColumnWidth(0, 120);
    m_timeOff->setColumnWidth(1, 110);
    m_timeOffEmployee = new QComboBox(page);
    m_timeOffEmployee->setObjectName(QStringLiteral("TimeOffEmployee"));
    m_timeOffEmployee->setMinimumWidth(180);
    m_timeOffDay = dateBox("TimeOffDay", page);
    m_timeOffHours = hoursBox("TimeOffHours", 24, page);
    m_timeOffHours->setMinimum(0.25);
    m_timeOffHours->setValue(8);
    m_timeOffKind = new QComboBox(page);
    m_timeOffKind->setObjectName(QStringLiteral("TimeOffKind"));
    m_timeOffKind->setEditable(true);
    for (const char* kind : kTimeOffKinds)
        m_timeOffKind->addItem(StoredWords::shown("PayRulesWindow", kTimeOffKinds, QLatin1String(kind)));
    auto* add = makeButton("AddTimeOff", tr("Add"));
    auto* remove = makeButton("RemoveTimeOff", tr("Remove"));
    connect(add, &QPushButton::clicked, this, &PayRulesWindow::addTimeOff);
    connect(remove, &QPushButton::clicked, this, &PayRulesWindow::removeTimeOff);
    auto* entry = new QHBoxLayout;
    entry->addWidget(m_timeOffEmployee, 1);
    entry->addWidget(m_timeOffDay);
    entry->addWidget(m_timeOffHours);
    entry->addWidget(m_timeOffKind);
    entry->addWidget(add);
    entry->addWidget(remove);
    auto* layout = new QVBoxLayout(page);
    auto* hint = new QLabel(tr("Hours not worked but paid, at the regular wage. They never count toward "
                               "overtime. Each entry is stored when it is added or removed."),
                            page);
    hint->setWordWrap(true);
    layout->addWidget(hint);
    layout->addWidget(m_timeOff, 1);
    layout->addLayout(entry);
    return page;
}

bool PayRulesWindow::load()
{
    if (!requireDatabase())
        return false;
    QString error;
    if (!Pay::load(&m_stored, &error)) {
        showReadFailed(tr("The pay rules"), error);
        return false;
    }
    Query employees;
    if (!employees.exec(QStringLiteral("Select emp_id, emp_fname, emp_lname from employee order by emp_id"))) {
        showReadFailed(tr("The employees"), employees.error());
        return false;
    }
    while (employees.next()) {
        const QString id = employees.text(0);
        const QString name = EmployeeRecord::displayName(employees.value(1), employees.value(2));
        auto* item = new QTreeWidgetItem(m_employees, {QString(), id, name});
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        m_timeOffEmployee->addItem(id + QStringLiteral("  ") + name, id);
    }
    const QDate day = today();
    for (QDateEdit* box : {m_periodStart, m_holidayDay, m_timeOffDay})
        box->setDate(day);
    show(m_stored);
    return readTimeOff();
}

void PayRulesWindow::show(const Pay::Rules& rules)
{
    m_overtime->setCurrentIndex(int(rules.overtime));
    m_dailyAfter->setValue(rules.dailyAfter);
    m_weeklyAfter->setValue(rules.weeklyAfter);
    m_weekStart->setCurrentIndex(int(rules.weekStart) - 1);
    m_double->setChecked(rules.doubleTime());
    m_doubleAfter->setValue(rules.doubleTime() ? rules.doubleAfter : 12);
    m_doubleRate->setValue(rules.doubleRate);
    static const QList<int> steps = {0, 5, 6, 10, 15};
    m_rounding->setCurrentIndex(int(qMax(qsizetype(0), steps.indexOf(rules.roundMinutes))));
    m_meal->setChecked(rules.mealMinutes > 0);
    m_mealMinutes->setValue(rules.mealMinutes > 0 ? rules.mealMinutes : 30);
    m_mealAfter->setValue(rules.mealAfter);
    m_holidayPay->setCurrentIndex(int(rules.holidayPay));
    m_holidayRate->setValue(rules.holidayPay == Pay::HolidayPay::Rate ? rules.holidayRate : 1.5);
    m_period->setCurrentIndex(int(rules.period));
    if (rules.periodStart.isValid())
        m_periodStart->setDate(rules.periodStart);
    m_nightShift->setValue(rules.nightShiftHours);
    m_longPair->setValue(rules.longPairHours);
    m_holidays->clear();
    for (auto it = rules.holidays.cbegin(); it != rules.holidays.cend(); ++it) {
        auto* item = new QTreeWidgetItem(m_holidays, {ValueForms::showDate(it.key()), it.value()});
        item->setData(0, Qt::UserRole, it.key());
    }
    for (int i = 0; i < m_employees->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_employees->topLevelItem(i);
        item->setCheckState(0, rules.exempt.contains(item->text(1)) ? Qt::Checked : Qt::Unchecked);
    }
    m_status->setText(rules.describe() + QLatin1Char('.'));
    updateEnabled();
}

Pay::Rules PayRulesWindow::shown() const
{
    Pay::Rules rules;
    rules.overtime = Pay::OvertimeRule(m_overtime->currentIndex());
    rules.dailyAfter = m_dailyAfter->value();
    rules.weeklyAfter = m_weeklyAfter->value();
    rules.weekStart = Qt::DayOfWeek(m_weekStart->currentIndex() + 1);
    rules.doubleAfter = m_double->isChecked() ? m_doubleAfter->value() : 0;
    rules.doubleRate = m_doubleRate->value();
    static const QList<int> steps = {0, 5, 6, 10, 15};
    rules.roundMinutes = steps.value(m_rounding->currentIndex());
    rules.mealMinutes = m_meal->isChecked() ? m_mealMinutes->value() : 0;
    rules.mealAfter = m_mealAfter->value();
    rules.holidayPay = Pay::HolidayPay(m_holidayPay->currentIndex());
    rules.holidayRate = rules.holidayPay == Pay::HolidayPay::Rate ? m_holidayRate->value() : 0;
    rules.period = Pay::PayPeriod(m_period->currentIndex());
    rules.periodStart = rules.period == Pay::PayPeriod::None ? m_stored.periodStart : m_periodStart->date();
    rules.nightShiftHours = m_nightShift->value();
    rules.longPairHours = m_longPair->value();
    for (int i = 0; i < m_holidays->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = m_holidays->topLevelItem(i);
        rules.holidays.insert(item->data(0, Qt::UserRole).toDate(), item->text(1));
    }
    for (int i = 0; i < m_employees->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = m_employees->topLevelItem(i);
        if (item->checkState(0) == Qt::Checked)
            rules.exempt.insert(item->text(1));
    }
    // Exempt employees not in the list (removed since) stay exempt.
    for (const QString& id : m_stored.exempt)
        if (m_employees->findItems(id, Qt::MatchExactly | Qt::MatchCaseSensitive, 1).isEmpty())
            rules.exempt.insert(id);
    return rules;
}

void PayRulesWindow::updateEnabled()
{
    const auto rule = Pay::OvertimeRule(m_overtime->currentIndex());
    const bool daily = rule == Pay::OvertimeRule::Daily || rule == Pay::OvertimeRule::DailyWeekly;
    const bool weekly = rule == Pay::OvertimeRule::Weekly || rule == Pay::OvertimeRule::DailyWeekly;
    m_dailyAfter->setEnabled(daily);
    m_weeklyAfter->setEnabled(weekly);
    m_weekStart->setEnabled(weekly);
    // Double time needs a daily rule, a meal deduction any rule but the per-pair one.
    m_double->setEnabled(daily || m_double->isChecked());
    m_doubleAfter->setEnabled(m_double->isChecked());
    m_doubleRate->setEnabled(m_double->isChecked());
    m_meal->setEnabled(rule != Pay::OvertimeRule::PerPair || m_meal->isChecked());
    m_mealMinutes->setEnabled(m_meal->isChecked());
    m_mealAfter->setEnabled(m_meal->isChecked());
    m_periodStart->setEnabled(m_period->currentIndex() != int(Pay::PayPeriod::None));
    m_holidayRate->setEnabled(m_holidayPay->currentIndex() == int(Pay::HolidayPay::Rate));
}

void PayRulesWindow::save()
{
    const Pay::Rules rules = shown();
    QString error;
    if (const QString problem = Pay::problem(rules); !problem.isEmpty()) {
        dialogs().ok(problem, title(), Dialogs::Icon::Exclamation);
        return;
    }
    if (!Pay::save(rules, &error)) {
        dialogs().ok(tr("The pay rules could not be stored: ") + error, title(), Dialogs::Icon::Exclamation);
        return;
    }
    m_stored = rules;
    m_status->setText(tr("Saved. ") + rules.describe() + QLatin1Char('.'));
}

void PayRulesWindow::addHoliday()
{
    const QString name = m_holidayName->text().trimmed();
    if (name.isEmpty()) {
        dialogs().ok(tr("Type the holiday's name."), title(), Dialogs::Icon::Exclamation);
        m_holidayName->setFocus();
        return;
    }
    const QDate day = m_holidayDay->date();
    for (int i = 0; i < m_holidays->topLevelItemCount(); ++i)
        if (m_holidays->topLevelItem(i)->data(0, Qt::UserRole).toDate() == day)
            delete m_holidays->takeTopLevelItem(i--);
    auto* item = new QTreeWidgetItem({ValueForms::showDate(day), name});
    item->setData(0, Qt::UserRole, day);
    int at = 0;
    while (at < m_holidays->topLevelItemCount() && m_holidays->topLevelItem(at)->data(0, Qt::UserRole).toDate() < day)
        ++at;
    m_holidays->insertTopLevelItem(at, item);
    m_holidayName->clear();
    m_status->setText(tr("Save to keep the holidays."));
}

void PayRulesWindow::removeHoliday()
{
    if (QTreeWidgetItem* item = m_holidays->currentItem()) {
        delete item;
        m_status->setText(tr("Save to keep the holidays."));
    }
}

bool PayRulesWindow::readTimeOff()
{
    std::vector<Pay::PaidTimeOff> entries;
    QString error;
    const QDate day = today();
    if (!Pay::readPaidTimeOff(QString(), day.addYears(-1), day.addYears(1), &entries, &error)) {
        showReadFailed(tr("The paid time off"), error);
        return false;
    }
    m_timeOff->clear();
    for (const Pay::PaidTimeOff& entry : entries) {
        auto* item = new QTreeWidgetItem(
            m_timeOff, {entry.empId, ValueForms::showDate(entry.day), hoursText(entry.minutes),
                                   StoredWords::shown("PayRulesWindow", kTimeOffKinds, entry.kind)});
        item->setData(1, Qt::UserRole, entry.day);
    }
    return true;
}

void PayRulesWindow::addTimeOff()
{
    const Pay::PaidTimeOff entry{m_timeOffEmployee->currentData().toString(), m_timeOffDay->date(),
                                 int(std::lround(m_timeOffHours->value() * 60)),
                                 StoredWords::stored("PayRulesWindow", kTimeOffKinds, m_timeOffKind->currentText().trimmed())};
    QString error;
    if (!Pay::setPaidTimeOff(entry, &error)) {
        dialogs().ok(error, title(), Dialogs::Icon::Exclamation);
        return;
    }
    readTimeOff();
}

void PayRulesWindow::removeTimeOff()
{
    QTreeWidgetItem* item = m_timeOff->currentItem();
    if (!item)
        return;
    QString error;
    if (!Pay::removePaidTimeOff(item->text(0), item->data(1, Qt::UserRole).toDate(), item->text(3), &error)) {
        dialogs().ok(error, title(), Dialogs::Icon::Exclamation);
        return;
    }
    readTimeOff();
}
