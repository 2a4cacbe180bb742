#include "server/payroll/payrollexportwindow.h"

#include "core/store/database.h"
#include "core/store/query.h"
#include "widgets/dialogs.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QString title()
{
    return QCoreApplication::translate("PayrollExportWindow", "Payroll Export");
}

// The services whose codes the grid shows, one column each, in the order of the layouts.
struct CodeColumn
{
    QString group;
    QString title;
    const PayrollExport::Layout* layout;
};

QList<CodeColumn> codeColumns()
{
    QList<CodeColumn> columns;
    for (const PayrollExport::Layout& layout : PayrollExport::layouts()) {
        if (layout.codeGroup.isEmpty() || std::any_of(columns.begin(), columns.end(),
                                                      [&](const CodeColumn& c) { return c.group == layout.codeGroup; }))
            continue;
        // Headed by the service's name, which no language changes; the generic layout's by a word.
        const QString heading = layout.codeGroup == QLatin1String("generic")
                                    ? QCoreApplication::translate("PayrollExportWindow", "Generic")
                                    : layout.title.section(QLatin1Char(' '), 0, 0);
        columns.append({layout.codeGroup, heading, &layout});
    }
    return columns;
}

// Whether the layout's file has a place for the hour type's code: a row of its own, or a code column.
bool takesCode(const PayrollExport::Layout& layout, PayrollExport::HourType type)
{
    if (layout.grain != PayrollExport::Grain::Employee)
        return true;
    static const QStringList names = {QStringLiteral("regular"), QStringLiteral("overtime"),
                                      QStringLiteral("double_time"), QStringLiteral("holiday")};
    return std::any_of(layout.columns.begin(), layout.columns.end(), [&](const PayrollExport::Column& column) {
        return column.cell.value == PayrollExport::Value::CodeOf && names.indexOf(column.cell.text) == int(type);
    });
}

} // namespace

PayrollExportWindow::PayrollExportWindow(QWidget* parent) : FormWindow(parent)
{
    setWindowTitle(title());
    setObjectName(QStringLiteral("PayrollExport"));

    auto* top = new QHBoxLayout;
    auto* layoutLabel = new QLabel(tr("Your payroll service's layout:"), this);
    m_layout = new QComboBox(this);
    m_layout->setObjectName(QStringLiteral("ComboLayout"));
    for (const PayrollExport::Layout& layout : PayrollExport::layouts())
        m_layout->addItem(QCoreApplication::translate("PayrollExport", layout.title.toUtf8().constData()), layout.name);
    layoutLabel->setBuddy(m_layout);
    layoutLabel->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    top->addWidget(layoutLabel);
    top->addWidget(m_layout, 1);

    auto* company = new QGroupBox(tr("Company and client codes"), this);
    auto* form = new QFormLayout(company);
    const QList<QPair<QString, QString>> boxes = {
        {PayrollExport::kCompanyName, tr("QuickBooks company name")},
        {PayrollExport::kCompanyCreateTime, tr("QuickBooks company file created (IIF)")},
        {PayrollExport::kServiceItem, tr("QuickBooks service item (IIF)")},
        {PayrollExport::kAdpCompany, tr("ADP company code")},
        {PayrollExport::kAdpBatch, tr("ADP batch ID")},
        {PayrollExport::kPaychexClient, tr("Paychex client ID")},
    };
    for (const auto& [name, caption] : boxes) {
        auto* box = new QLineEdit(company);
        box->setObjectName(name);
        m_boxes.insert(name, box);
        form->addRow(caption, box);
    }
    m_boxes.value(PayrollExport::kAdpCompany)->setMaxLength(3);
    m_boxes.value(PayrollExport::kCompanyCreateTime)
        ->setToolTip(tr("COMPANYCREATETIME from the TIMERHDR line of a timer export of your QuickBooks "
                        "company file (File > Utilities > Export > Timer Lists)"));

    auto* codes = new QGroupBox(tr("Hour type codes"), this);
    auto* codesLayout = new QVBoxLayout(codes);
    m_codes = new QTableWidget(codes);
    m_codes->setObjectName(QStringLiteral("CodeGrid"));
    m_codes->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_codes->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_codes->horizontalHeader()->setMinimumSectionSize(90);
    m_codes->setWordWrap(false);
    codesLayout->addWidget(m_codes);

    auto* left = new QVBoxLayout;
    left->addWidget(company);
    left->addWidget(codes, 1);

    auto* people = new QGroupBox(tr("Payroll IDs"), this);
    auto* peopleLayout = new QVBoxLayout(people);
    auto* hint = new QLabel(tr("The employee's number in the payroll service (ADP: the file number). "
                               "Empty: generic and Paychex use the employee ID, QuickBooks and Gusto "
                               "the name."),
                            people);
    hint->setWordWrap(true);
    m_employees = new QTableWidget(0, 3, people);
    m_employees->setObjectName(QStringLiteral("EmpGrid"));
    m_employees->setHorizontalHeaderLabels({tr("Employee ID"), tr("Name"), tr("Payroll ID")});
    m_employees->verticalHeader()->hide();
    m_employees->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    m_employees->setColumnWidth(0, 110);
    m_employees->setColumnWidth(2, 120);
    m_employees->setWordWrap(false);
    m_employees->setSelectionBehavior(QAbstractItemView::SelectRows);
    peopleLayout->addWidget(hint);
    peopleLayout->addWidget(m_employees, 1);

    auto* middle = new QHBoxLayout;
    middle->addLayout(left, 3);
    middle->addWidget(people, 2);

    QPushButton* saveButton = makeButton("PushButtonSave", tr("&Save"));
    QPushButton* closeButton = makeButton("PushButtonClose", tr("&Close"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(saveButton);
    buttons->addWidget(closeButton);

    auto* whole = new QVBoxLayout(this);
    whole->addLayout(top);
    whole->addLayout(middle, 1);
    whole->addLayout(buttons);

    giveFocusBackOnClose();
    connect(saveButton, &QPushButton::clicked, this, &PayrollExportWindow::save);
    connect(closeButton, &QPushButton::clicked, this, &FormWindow::closeWindow);
}

bool PayrollExportWindow::load()
{
    if (!requireDatabase())
        return false;
    QString error;
    if (!PayrollExport::loadSettings(&m_settings, &error)) {
        showReadFailed(tr("The payroll export settings"), error);
        return false;
    }
    const int chosen = m_layout->findData(m_settings.layout);
    m_layout->setCurrentIndex(chosen < 0 ? 0 : chosen);
    for (auto it = m_boxes.cbegin(); it != m_boxes.cend(); ++it)
        it.value()->setText(m_settings.value(it.key()));

    // Kinds of paid time off need codes of their own, once the database has any.
    m_kinds.clear();
    if (gConn.tables().contains(QStringLiteral("paid_time_off"), Qt::CaseInsensitive)) {
        Query kinds;
        if (kinds.exec(QStringLiteral("SELECT DISTINCT kind FROM paid_time_off ORDER BY kind"))) {
            while (kinds.next())
                m_kinds << kinds.text(0);
        }
    }
    fillCodes();
    return readEmployees();
}

void PayrollExportWindow::fillCodes()
{
    const QList<CodeColumn> columns = codeColumns();
    QStringList headers;
    for (const CodeColumn& column : columns)
        headers << column.title;
    QStringList rows;
    for (int type = 0; type < PayrollExport::kWorkedTypes; ++type)
        rows << PayrollExport::typeText(PayrollExport::HourType(type));
    for (const QString& kind : std::as_const(m_kinds))
        rows << PayrollExport::typeText(PayrollExport::HourType::PaidTimeOff, kind);
    m_codes->setColumnCount(int(columns.size()));
    m_codes->setRowCount(int(rows.size()));
    m_codes->setHorizontalHeaderLabels(headers);
    m_codes->setVerticalHeaderLabels(rows);
    for (int row = 0; row < rows.size(); ++row) {
        const bool pto = row >= PayrollExport::kWorkedTypes;
        const auto type = pto ? PayrollExport::HourType::PaidTimeOff : PayrollExport::HourType(row);
        const QString kind = pto ? m_kinds.at(row - PayrollExport::kWorkedTypes) : QString();
        for (int c = 0; c < columns.size(); ++c) {
            const PayrollExport::Layout& layout = *columns.at(c).layout;
            auto* item = new QTableWidgetItem;
            if (takesCode(layout, type)) {
                item->setText(PayrollExport::codeOf(layout, m_settings, type, kind));
            } else {
                // ADP's regular and overtime hours have columns of their own; the file has no place for a code.
                item->setFlags(Qt::ItemIsEnabled);
                item->setText(tr("(own column)"));
                item->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
            }
            m_codes->setItem(row, c, item);
        }
    }
}

bool PayrollExportWindow::readEmployees()
{
    m_employees->setRowCount(0);
    m_storedIds.clear();
    Query query;
    if (!query.exec(QStringLiteral("SELECT emp_id, emp_fname, emp_lname, payroll_id FROM Employee "
                                   "ORDER BY emp_lname, emp_fname, emp_id"))) {
        showReadFailed(tr("The employees"), query.error());
        return false;
    }
    while (query.next()) {
        const int row = m_employees->rowCount();
        m_employees->insertRow(row);
        auto* id = new QTableWidgetItem(query.text(0));
        auto* name = new QTableWidgetItem(QString(query.text(1) + QLatin1Char(' ') + query.text(2)).trimmed());
        for (QTableWidgetItem* fixed : {id, name}) {
            fixed->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            fixed->setToolTip(fixed->text()); // the whole text, where the column cuts it
        }
        m_employees->setItem(row, 0, id);
        m_employees->setItem(row, 1, name);
        m_employees->setItem(row, 2, new QTableWidgetItem(query.text(3)));
        m_storedIds.insert(row, query.text(3));
    }
    return true;
}

QSize PayrollExportWindow::sizeHint() const
{
    // Room for the codes of every service side by side and the employee grid; the main window bounds it.
    return QSize(980, 620);
}

void PayrollExportWindow::save()
{
    PayrollExport::Settings settings = m_settings;
    settings.layout = m_layout->currentData().toString();
    for (auto it = m_boxes.cbegin(); it != m_boxes.cend(); ++it)
        settings.values.insert(it.key(), it.value()->text().trimmed());
    const QList<CodeColumn> columns = codeColumns();
    for (int row = 0; row < m_codes->rowCount(); ++row) {
        const bool pto = row >= PayrollExport::kWorkedTypes;
        const auto type = pto ? PayrollExport::HourType::PaidTimeOff : PayrollExport::HourType(row);
        const QString kind = pto ? m_kinds.at(row - PayrollExport::kWorkedTypes) : QString();
        for (int c = 0; c < columns.size(); ++c) {
            const PayrollExport::Layout& layout = *columns.at(c).layout;
            if (!takesCode(layout, type))
                continue;
            // A code left at its default is not stored, so it follows the default.
            const QString code = m_codes->item(row, c)->text().trimmed();
            const QString fallback = PayrollExport::codeOf(layout, PayrollExport::Settings(), type, kind);
            settings.values.insert(PayrollExport::codeName(layout.codeGroup, type, kind),
                                   code == fallback ? QString() : code);
        }
    }
    const QString adp = settings.value(PayrollExport::kAdpCompany);
    if (!adp.isEmpty() && adp.size() != 3) {
        dialogs().ok(tr("The ADP company code has 3 characters."), title(), Dialogs::Icon::Exclamation);
        return;
    }

    // Two employees with one payroll ID would be one person to the service.
    QHash<QString, QStringList> owners;
    for (int row = 0; row < m_employees->rowCount(); ++row) {
        const QString id = m_employees->item(row, 2)->text().trimmed();
        if (!id.isEmpty())
            owners[id.toCaseFolded()] << m_employees->item(row, 1)->text();
    }
    for (auto it = owners.cbegin(); it != owners.cend(); ++it) {
        if (it.value().size() > 1) {
            dialogs().ok(tr("The payroll ID %1 is given to %2; each employee needs one of their own.")
                             .arg(it.key(), it.value().join(tr(" and "))),
                         title(), Dialogs::Icon::Exclamation);
            return;
        }
    }

    QString error;
    if (!PayrollExport::saveSettings(settings, &error)) {
        dialogs().ok(tr("The settings could not be saved: ") + error, title(), Dialogs::Icon::Exclamation);
        return;
    }
    m_settings = settings;
    for (int row = 0; row < m_employees->rowCount(); ++row) {
        const QString id = m_employees->item(row, 2)->text().trimmed();
        if (id == m_storedIds.value(row))
            continue;
        if (!PayrollExport::setPayrollId(m_employees->item(row, 0)->text(), id, &error)) {
            dialogs().ok(
                tr("The payroll ID of %1 could not be saved: %2").arg(m_employees->item(row, 1)->text(), error),
                title(), Dialogs::Icon::Exclamation);
            return;
        }
        m_storedIds.insert(row, id);
    }
    dialogs().ok(tr("The payroll export settings are saved."), title(), Dialogs::Icon::Information);
}
