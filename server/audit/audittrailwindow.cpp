#include "server/audit/audittrailwindow.h"

#include "core/clock.h"
#include "core/store/query.h"
#include "core/valueforms.h"
#include "server/audit/audittrailmodel.h"
#include "widgets/childwindows.h"
#include "widgets/datebox.h"
#include "widgets/dialogs.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>
#include <array>

namespace {

QString allEmployees()
{
    return QCoreApplication::translate("AuditTrailWindow", "All Employees");
}
QString title()
{
    return QCoreApplication::translate("AuditTrailWindow", "Audit Trail");
}

} // namespace

AuditTrailWindow::AuditTrailWindow(QWidget* parent) : FormWindow(parent)
{
    setWindowTitle(title());

    auto* filter = new QGroupBox(tr("Filter Criteria"), this);
    filter->setObjectName(QStringLiteral("GroupBox1"));
    m_employee = new QComboBox(filter);
    m_employee->setObjectName(QStringLiteral("EmpID"));
    // An employee no longer on the list (deleted, or renamed) can still be typed by ID.
    m_employee->setEditable(true);
    m_employee->setInsertPolicy(QComboBox::NoInsert);
    m_employee->setMinimumWidth(240);
    m_from = new DateBox(filter);
    m_from->setObjectName(QStringLiteral("DTPicker1"));
    m_to = new DateBox(filter);
    m_to->setObjectName(QStringLiteral("DTPicker2"));
    for (QDateEdit* picker : {m_from, m_to})
        picker->setMinimumWidth(130);
    const QStringList captions = {tr("Employee"), tr("From"), tr("To")};
    const QList<QWidget*> boxes = {m_employee, m_from, m_to};
    auto* grid = new QGridLayout(filter);
    for (int i = 0; i < captions.size(); ++i) {
        auto* caption = new QLabel(captions.at(i), filter);
        caption->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        caption->setBuddy(boxes.at(i));
        grid->addWidget(caption, 0, 2 * i);
        grid->addWidget(boxes.at(i), 0, 2 * i + 1);
    }
    m_show = new QPushButton(tr("Show"), filter);
    m_show->setObjectName(QStringLiteral("PushButton1"));
    m_show->setAutoDefault(true);
    grid->addWidget(m_show, 0, 6);
    grid->setColumnStretch(7, 1);

    m_model = new AuditTrailModel(this);
    m_list = new QTableView(this);
    m_list->setObjectName(QStringLiteral("AuditList"));
    m_list->setModel(m_model);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setWordWrap(false);
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 8);
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->setMinimumSize(480, 200);

    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("Label4"));
    m_export = makeButton("PushButton2", tr("Export CSV..."), 110);
    m_export->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    m_close = makeButton("PushButton3", tr("Close"));
    m_close->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    usePointerOver(m_close);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_count, 1);
    buttons->addWidget(m_export);
    buttons->addWidget(m_close);

    // Whether the trail is whole: the check of its hash chain, read with the list.
    m_chain = new QLabel(this);
    m_chain->setObjectName(QStringLiteral("Label5"));
    m_chain->setWordWrap(true);
    m_chain->setTextFormat(Qt::PlainText);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(filter);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_chain);
    layout->addLayout(buttons);

    giveFocusBackOnClose();
    connect(m_show, &QPushButton::clicked, this, &AuditTrailWindow::showChanges);
    connect(m_export, &QPushButton::clicked, this, &AuditTrailWindow::exportCsv);
    connect(m_close, &QPushButton::clicked, this, &AuditTrailWindow::closeWindow);
    // Enter in a box moves on towards "Show", and never shows by itself.
    connect(m_employee->lineEdit(), &QLineEdit::returnPressed, m_from, [this] { m_from->setFocus(); });
    connect(m_model, &AuditTrailModel::readFailed, this,
            [](const QString& error) { showReadFailed(tr("The older changes"), error); });
    connect(m_model, &AuditTrailModel::rowsInserted, this, &AuditTrailWindow::showCount);
}

bool AuditTrailWindow::load()
{
    if (!requireDatabase())
        return false;
    m_employee->addItem(allEmployees());
    Query employees;
    if (!employees.exec(QStringLiteral("Select emp_id, emp_lname, emp_fname from Employee order by emp_id"))) {
        showReadFailed(tr("The employees"), employees.error());
        return false;
    }
    while (employees.next())
        m_employee->addItem(QStringLiteral("%1 - %2, %3").arg(employees.text(0), employees.text(1), employees.text(2)),
                            employees.text(0));
    if (!employees.error().isEmpty()) {
        showReadFailed(tr("The employees"), employees.error());
        return false;
    }
    // The last month, which is where a question about a change usually lies.
    m_from->setDate(today().addMonths(-1));
    m_to->setDate(today());
    QString error;
    if (!m_model->show(chosenFilter(), &error)) {
        showReadFailed(tr("The audit trail"), error);
        return false;
    }
    listShown();
    showChain();
    m_loadedNow = true;
    return true;
}

void AuditTrailWindow::activated()
{
    // Back from a window that may have changed records: the same choice, read again.
    if (!m_loadedNow) {
        QString error;
        if (!m_model->show(m_model->filter(), &error))
            showReadFailed(tr("The audit trail"), error);
        listShown();
        showChain();
    }
    m_loadedNow = false;
    m_employee->setFocus();
}

AuditTrail::Filter AuditTrailWindow::chosenFilter() const
{
    AuditTrail::Filter filter{m_from->date(), m_to->date(), std::nullopt};
    const QString text = m_employee->currentText();
    const int picked = m_employee->currentIndex();
    if (picked >= 0 && m_employee->itemText(picked) == text) {
        if (m_employee->itemData(picked).isValid())
            filter.empId = m_employee->itemData(picked).toString();
    } else if (!text.trimmed().isEmpty() && text != allEmployees()) {
        filter.empId = text;
    }
    return filter;
}

void AuditTrailWindow::showChanges()
{
    QString error;
    if (!m_model->show(chosenFilter(), &error))
        showReadFailed(tr("The audit trail"), error);
    listShown();
}

void AuditTrailWindow::listShown()
{
    // The window exists to compare the old and the new value: those two share what the other columns leave,
    // and the others fit their contents only up to a few letters (Who, the employee, the change and the field
    // narrowest), so both values stay in sight on a small screen. A cut text is shown whole in its tool tip.
    constexpr int kValueColumns = 6;
    constexpr std::array<int, kValueColumns> kWidestInLetters = {0, 9, 8, 0, 11, 9}; // 0: as wide as its text
    const int letter = m_list->fontMetrics().horizontalAdvance(QLatin1Char('M'));
    QHeaderView* header = m_list->horizontalHeader();
    int width = 2 * m_list->frameWidth() + m_list->verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < m_model->columnCount(); ++column) {
        const int natural = std::max(static_cast<QAbstractItemView*>(m_list)->sizeHintForColumn(column),
                                     header->sectionSizeHint(column)) +
                            12;
        if (column >= kValueColumns) {
            header->setSectionResizeMode(column, QHeaderView::Stretch);
            width += std::min(natural, 22 * letter);
            continue;
        }
        // Never narrower than its heading.
        const int heading =
            header->fontMetrics().horizontalAdvance(m_model->headerData(column, Qt::Horizontal).toString());
        const int widest = std::max(kWidestInLetters[std::size_t(column)] * letter, heading + 16);
        m_list->setColumnWidth(column, kWidestInLetters[std::size_t(column)] > 0 ? std::min(natural, widest) : natural);
        width += m_list->columnWidth(column);
    }
    m_width = std::max(m_width, width);
    m_list->scrollToTop();
    showCount();
}

QSize AuditTrailWindow::sizeHint() const
{
    // As wide as the columns where there is room; the main window bounds it, and the list scrolls.
    const QSize hint = FormWindow::sizeHint();
    return QSize(std::max(hint.width(), m_width + 24), std::max(hint.height(), 420));
}

void AuditTrailWindow::showCount()
{
    const int count = m_model->changeCount();
    QString text =
        count == 0
            ? tr("No changes were recorded for this choice.")
            : tr("%1 change%2, newest first").arg(count).arg(count == 1 ? QLatin1String("") : QLatin1String("s"));
    if (m_model->canFetchMore(QModelIndex()))
        text += tr("; older ones follow as you scroll down");
    m_count->setText(text + QLatin1Char('.'));
}

void AuditTrailWindow::showChain()
{
    AuditTrail::ChainCheck check;
    QString error;
    const bool read = AuditTrail::verifyChain(&check, &error);
    const bool bad = !read || !check.intact;
    m_chain->setText(read ? AuditTrail::chainLine(check) : tr("The audit trail's chain could not be checked: %1").arg(error));
    // A broken chain must not pass unseen among the rows.
    m_chain->setStyleSheet(bad ? QStringLiteral("color: #b00020; font-weight: bold;") : QString());
}

void AuditTrailWindow::exportCsv()
{
    // The changes the list shows, all of them, not only those read so far.
    const QString path =
        dialogs().saveFileName(tr("Export CSV"), QStringLiteral("audit-trail.csv"), tr("CSV files (*.csv)"));
    if (path.isEmpty())
        return;
    int written = 0;
    QString error;
    if (!AuditTrail::exportCsv(m_model->filter(), path, &written, &error)) {
        dialogs().ok(tr("The audit trail could not be exported to %1: %2").arg(QDir::toNativeSeparators(path), error),
                     tr("Export CSV"), Dialogs::Icon::Exclamation);
        return;
    }
    ChildWindows::showStatus(
        tr("Audit trail exported as CSV (%1 changes): %2").arg(written).arg(QDir::toNativeSeparators(path)));
}
