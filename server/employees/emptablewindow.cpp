#include "server/employees/emptablewindow.h"

#include "core/store/database.h"
#include "server/employees/recordsetmodel.h"
#include "widgets/dialogs.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

EmpTableWindow::EmpTableWindow(QWidget* parent) : FormWindow(parent)
{
    setWindowTitle(tr("Employee Table"));

    m_model = new RecordSetModel(m_employees, this);
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("DataGrid1"));
    m_grid->setModel(m_model);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setAlternatingRowColors(true);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 8);
    m_grid->verticalHeader()->setFixedWidth(18);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->setMinimumSize(360, 200);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { lineChosen(current); });

    m_previous = makeButton("PushButton1", tr("Previous"));
    m_next = makeButton("PushButton2", tr("Next"));
    m_close = makeButton("PushButton3", tr("Close"));
    usePointerOver(m_close);
    connect(m_previous, &QPushButton::clicked, this, &EmpTableWindow::previous);
    connect(m_next, &QPushButton::clicked, this, &EmpTableWindow::next);
    connect(m_close, &QPushButton::clicked, this, &EmpTableWindow::closeWindow);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_previous);
    buttons->addWidget(m_next);
    buttons->addStretch();
    buttons->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_grid, 1);
    layout->addLayout(buttons);
}

QString EmpTableWindow::query()
{
    // The aliases head the columns; the grid shows them in the program's language.
    static const struct
    {
        const char* column;
        const char* heading;
    } columns[] = {
        {"emp_id", QT_TRANSLATE_NOOP("RecordSetModel", "Employee ID")},
        {"emp_lname", QT_TRANSLATE_NOOP("RecordSetModel", "Last Name")},
        {"emp_fname", QT_TRANSLATE_NOOP("RecordSetModel", "First Name")},
        {"emp_mname", QT_TRANSLATE_NOOP("RecordSetModel", "Middle Name")},
        {"emp_sex", QT_TRANSLATE_NOOP("RecordSetModel", "Sex")},
        {"emp_dob", QT_TRANSLATE_NOOP("RecordSetModel", "Birth Date")},
        {"emp_address", QT_TRANSLATE_NOOP("RecordSetModel", "Address")},
        {"emp_apt", QT_TRANSLATE_NOOP("RecordSetModel", "Apartment")},
        {"city", QT_TRANSLATE_NOOP("RecordSetModel", "City")},
        {"emp_state", QT_TRANSLATE_NOOP("RecordSetModel", "State")},
        {"Zip", QT_TRANSLATE_NOOP("RecordSetModel", "Zip")},
    };
    QStringList selected;
    for (const auto& column : columns)
        selected << QStringLiteral("%1 as \"%2\"").arg(QLatin1String(column.column), QLatin1String(column.heading));
    return QStringLiteral("Select ") + selected.join(QStringLiteral(", ")) + QStringLiteral(" from Employee ");
}

bool EmpTableWindow::load()
{
    // Unlike the other windows this one stays open, with an empty grid, when there is no database.
    if (!Database::isOpen()) {
        dialogs().message(tr("Could not open database ..."), QString(), Dialogs::Buttons::Ok, Dialogs::Icon::None);
        return true;
    }
    if (!m_employees.open(query()))
        dialogs().ok(tr("The employees could not be read:\n") + m_employees.lastError(), tr("Employee Table"),
                     Dialogs::Icon::Exclamation);
    m_model->refresh();
    m_grid->resizeColumnsToContents();
    // Columns fit their headings and ordinary contents; a very long text is cut at a sensible width and
    // shown whole in its tool tip, so one odd record does not push the others out of sight.
    const int widest = m_grid->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 18;
    int width = m_grid->verticalHeader()->width() + 2 * m_grid->frameWidth();
    for (int column = 0; column < m_model->columnCount(); ++column) {
        const int heading = m_grid->horizontalHeader()->sectionSizeHint(column);
        m_grid->setColumnWidth(column, std::max(std::min(m_grid->columnWidth(column) + 16, widest), heading + 8));
        width += m_grid->columnWidth(column);
    }
    m_width = width;
    showCurrentLine();
    return true;
}

QSize EmpTableWindow::sizeHint() const
{
    // As wide as the columns where there is room; the main window bounds it, and the grid scrolls.
    const QSize hint = FormWindow::sizeHint();
    return QSize(std::max(hint.width(), m_width + 24), std::max(hint.height(), 360));
}

void EmpTableWindow::previous()
{
    m_employees.movePrevious();
    showCurrentLine();
    if (m_employees.bof())
        dialogs().ok(tr("You're At The First Record"), tr("BOF Reached"), Dialogs::Icon::Exclamation);
}

void EmpTableWindow::next()
{
    m_employees.moveNext();
    showCurrentLine();
    if (m_employees.eof())
        dialogs().ok(tr("You're At The Last Record"), tr("EOF Reached"), Dialogs::Icon::Exclamation);
}

void EmpTableWindow::showCurrentLine()
{
    m_following = true;
    QItemSelectionModel* selection = m_grid->selectionModel();
    if (m_employees.bof() || m_employees.eof()) {
        // Before the first or after the last line no line is current.
        selection->clear();
    } else {
        const int row = m_employees.absolutePosition();
        const int column = qMax(0, m_grid->currentIndex().column());
        selection->setCurrentIndex(m_model->index(row, column),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        m_grid->scrollTo(m_model->index(row, column));
    }
    m_following = false;
}

void EmpTableWindow::lineChosen(const QModelIndex& current)
{
    if (m_following || !current.isValid())
        return;
    m_employees.setAbsolutePosition(current.row());
}
