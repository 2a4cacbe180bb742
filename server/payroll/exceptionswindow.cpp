#include "server/payroll/exceptionswindow.h"

#include "core/audit/closedperiods.h"
#include "core/clock.h"
#include "core/valueforms.h"
#include "server/serverstate.h"
#include "server/timesheets/timesheeteditor.h"
#include "widgets/childwindows.h"
#include "widgets/datebox.h"
#include "widgets/dialogs.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

ExceptionsWindow::ExceptionsWindow(QWidget* parent) : FormWindow(parent)
{
    setWindowTitle(tr("Exceptions"));

    auto* fromLabel = new QLabel(tr("From"), this);
    fromLabel->setObjectName(QStringLiteral("Label1"));
    m_from = new DateBox(this);
    m_from->setObjectName(QStringLiteral("DTPicker1"));
    fromLabel->setBuddy(m_from);
    auto* toLabel = new QLabel(tr("To"), this);
    toLabel->setObjectName(QStringLiteral("Label2"));
    m_to = new DateBox(this);
    m_to->setObjectName(QStringLiteral("DTPicker2"));
    toLabel->setBuddy(m_to);
    for (QDateEdit* picker : {m_from, m_to})
        picker->setMinimumWidth(120);
    QPushButton* show = makeButton("PushButton1", tr("Show"));
    m_whose = new QLabel(this);
    m_whose->setObjectName(QStringLiteral("Label3"));

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("ExceptionList"));
    m_list->setHeaderLabels({tr("Employee ID"), tr("Name"), tr("Date"), tr("Pair"), tr("Exception"), tr("Detail")});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setAlternatingRowColors(true);
    m_list->setToolTip(tr("Double-click a line to correct its time record"));
    // The short columns as wide as their contents; a long name is cut with "..." and the detail takes the rest.
    for (int column : {0, 2, 4})
        m_list->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    m_list->header()->setSectionResizeMode(3, QHeaderView::Fixed);
    m_list->header()->resizeSection(3, m_list->header()->sectionSizeHint(3) + 12);
    m_list->header()->resizeSection(1, 170);
    m_list->setMinimumSize(560, 220);

    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("Label4"));
    QPushButton* close = makeButton("PushButton2", tr("Close"));

    for (QLabel* label : {fromLabel, toLabel})
        label->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    auto* choice = new QHBoxLayout;
    choice->addWidget(fromLabel);
    choice->addWidget(m_from);
    choice->addSpacing(12);
    choice->addWidget(toLabel);
    choice->addWidget(m_to);
    choice->addSpacing(12);
    choice->addWidget(show);
    choice->addSpacing(12);
    choice->addWidget(m_whose, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_count, 1);
    bottom->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choice);
    layout->addWidget(m_list, 1);
    layout->addLayout(bottom);

    giveFocusBackOnClose();
    connect(show, &QPushButton::clicked, this, [this] {
        m_request.from = m_from->date();
        m_request.to = m_to->date();
        showExceptions();
    });
    connect(close, &QPushButton::clicked, this, &ExceptionsWindow::closeWindow);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &ExceptionsWindow::editRow);
}

bool ExceptionsWindow::load()
{
    if (!requireDatabase())
        return false;
    // The days since the last closed pay period (at most the last two weeks), of every employee.
    QDate closed;
    QString error;
    const QDate twoWeeks = today().addDays(-13);
    PayExceptions::Request request;
    request.from = ClosedPeriods::closedThrough(&closed, &error) && closed.isValid() && closed >= twoWeeks
                       ? closed.addDays(1)
                       : twoWeeks;
    request.to = today();
    m_request = request;
    m_from->setDate(request.from);
    m_to->setDate(request.to);
    return true;
}

void ExceptionsWindow::activated()
{
    showExceptions();
}

void ExceptionsWindow::choose(const PayExceptions::Request& request)
{
    m_request = request;
    m_from->setDate(request.from);
    m_to->setDate(request.to);
    showExceptions();
}

void ExceptionsWindow::showExceptions()
{
    const QString site = m_request.site.isEmpty() ? QString() : tr(" at %1").arg(m_request.site);
    const qsizetype checked = m_request.empIds.size();
    m_whose->setText((checked == 0   ? tr("Every employee")
                      : checked == 1 ? tr("Employee %1").arg(m_request.empIds.constFirst())
                                     : tr("%1 checked employees").arg(checked)) +
                     site);
    m_list->clear();
    m_found.clear();
    QString error;
    if (!PayExceptions::find(m_request, &m_found, &error)) {
        m_count->setText(tr("The time records could not be read: ") + error);
        return;
    }
    for (const PayExceptions::Exception& e : m_found) {
        auto* item = new QTreeWidgetItem(m_list);
        item->setText(0, e.empId);
        item->setText(1, e.name);
        item->setText(2, ValueForms::showDate(e.day));
        item->setText(3, e.pair > 0 ? QString::number(e.pair) : QString());
        item->setText(4, PayExceptions::kindText(e.kind));
        item->setText(5, e.detail);
        item->setToolTip(1, e.name);
        item->setToolTip(5, e.detail);
    }
    m_count->setText(m_found.empty() ? tr("No exceptions: every time record of these days can be paid.")
                     : m_found.size() == 1
                         ? tr("1 exception. Double-click it to correct the time record.")
                         : tr("%1 exceptions. Double-click one to correct its time record.").arg(m_found.size()));
}

void ExceptionsWindow::editRow(QTreeWidgetItem* item)
{
    if (!item)
        return;
    gEmpID = item->text(0);
    gRecDate = item->text(2);
    // An editor left open would keep showing its own row; one that is being changed is only brought forward.
    if (auto* editor = qobject_cast<TimesheetEditor*>(ChildWindows::find(QStringLiteral("AddTime")))) {
        if (editor->isEditing() || editor->isSearching()) {
            ChildWindows::open<TimesheetEditor>(QStringLiteral("AddTime"));
            dialogs().ok(tr("The time record editor is in the middle of a change. Finish it with Update "
                            "or Fetch, then double-click the exception again."),
                         tr("Exceptions"), Dialogs::Icon::Information);
            return;
        }
        if (QMdiSubWindow* frame = ChildWindows::frameOf(editor))
            delete frame;
        else
            delete editor;
    }
    ChildWindows::open<TimesheetEditor>(QStringLiteral("AddTime"));
}
