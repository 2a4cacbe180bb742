#include "server/employees/searchidwindow.h"

#include "core/employees/employeerecord.h"
#include "core/store/database.h"
#include "core/valueforms.h"
#include "server/employees/employeewindow.h"
#include "server/serverstate.h"
#include "widgets/childwindows.h"
#include "widgets/dialogs.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// The two picture buttons' pictures, drawn in code so they look the same under every style.
// A record card; each button adds its own mark to it.
void drawCard(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 70, 130), 1.5));
    p.setBrush(QColor(250, 250, 245));
    p.drawRect(QRectF(5.5, 3.5, 17, 23));
    for (int y = 9; y <= 21; y += 4)
        p.drawLine(QPointF(9, y), QPointF(19, y));
}

QIcon uploadPicture()
{
    QPixmap picture(32, 32);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    drawCard(p);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 140, 60));
    const QPointF arrow[] = {{18, 20}, {30, 20}, {24, 12}};
    p.drawPolygon(arrow, 3);
    p.drawRect(QRectF(21.5, 20, 5, 9));
    return QIcon(picture);
}

QIcon deletePicture()
{
    QPixmap picture(32, 32);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    drawCard(p);
    p.setPen(QPen(QColor(200, 30, 30), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(17, 17), QPointF(28, 28));
    p.drawLine(QPointF(28, 17), QPointF(17, 28));
    return QIcon(picture);
}

} // namespace

SearchIdWindow::SearchIdWindow(QWidget* parent) : FormWindow(parent)
{
    setWindowTitle(tr("Search Employee"));

    auto searchButton = [this](const char* name) {
        auto* b = new QPushButton(tr("Search"), this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(true);
        return b;
    };
    // Each search key sits in its own captioned frame inside a group box of the window.
    auto keyPart = [this](const char* groupName, const QString& frameCaption, QLineEdit* key, QPushButton* button) {
        auto* group = new QGroupBox(this);
        group->setObjectName(QLatin1String(groupName));
        auto* frame = new QGroupBox(frameCaption, group);
        auto* row = new QHBoxLayout(frame);
        row->addWidget(key, 1);
        row->addWidget(button);
        auto* groupLayout = new QVBoxLayout(group);
        groupLayout->addWidget(frame);
        return group;
    };

    m_idKey = new QLineEdit(this);
    m_idKey->setObjectName(QStringLiteral("Srch_Emp_ID"));
    m_idSearch = searchButton("PushButton1");
    // Enter only moves on to the box's own "Search" button; it does not search.
    connect(m_idKey, &QLineEdit::returnPressed, m_idSearch, [this] { m_idSearch->setFocus(); });
    m_nameKey = new QLineEdit(this);
    m_nameKey->setObjectName(QStringLiteral("Srch_LName"));
    m_nameSearch = searchButton("PushButton2");
    connect(m_nameKey, &QLineEdit::returnPressed, m_nameSearch, [this] { m_nameSearch->setFocus(); });
    QGroupBox* idPart = keyPart("GroupBox3", tr("Employee ID"), m_idKey, m_idSearch);
    QGroupBox* namePart = keyPart("GroupBox1", tr("Last Name"), m_nameKey, m_nameSearch);

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("ListView1"));
    m_list->setHeaderLabels({tr("Employee ID"), tr("Last Name"), tr("First Name"), tr("Middle Name")});
    m_list->setRootIsDecorated(false);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setMinimumSize(460, 200);
    m_list->header()->setDefaultSectionSize(115);
    m_list->header()->setStretchLastSection(true);

    auto pictureButton = [this](const char* name, const QIcon& icon, const QString& tip) {
        auto* b = new QPushButton(this);
        b->setObjectName(QLatin1String(name));
        b->setIcon(icon);
        b->setIconSize(QSize(32, 32));
        b->setFixedSize(48, 48);
        b->setToolTip(tip);
        b->setAutoDefault(true);
        return b;
    };
    m_upload = pictureButton("PushButton3", uploadPicture(), tr("Upload this Record"));
    m_delete = pictureButton("PushButton4", deletePicture(), tr("Delete this Record"));

    auto* resultPart = new QGroupBox(this);
    resultPart->setObjectName(QStringLiteral("GroupBox2"));
    auto* resultFrame = new QGroupBox(tr("Result"), resultPart);
    auto* pictures = new QVBoxLayout;
    pictures->addWidget(m_upload);
    pictures->addWidget(m_delete);
    pictures->addStretch();
    auto* resultRow = new QHBoxLayout(resultFrame);
    resultRow->addWidget(m_list, 1);
    resultRow->addLayout(pictures);
    auto* resultLayout = new QVBoxLayout(resultPart);
    resultLayout->addWidget(resultFrame);

    auto* keys = new QHBoxLayout;
    keys->addWidget(idPart);
    keys->addWidget(namePart);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(keys);
    layout->addWidget(resultPart, 1);

    giveFocusBackOnClose();
    // The window's pointer changes over the buttons and returns to the arrow over the group boxes.
    switchPointerOver({m_idSearch, m_nameSearch, m_upload, m_delete}, {idPart, namePart, resultPart});

    connect(m_idSearch, &QPushButton::clicked, this, &SearchIdWindow::searchById);
    connect(m_nameSearch, &QPushButton::clicked, this, &SearchIdWindow::searchByLastName);
    connect(m_upload, &QPushButton::clicked, this, &SearchIdWindow::uploadRecord);
    connect(m_delete, &QPushButton::clicked, this, &SearchIdWindow::deleteRecord);
}

bool SearchIdWindow::load()
{
    if (!requireDatabase())
        return false;
    if (!m_employees.openWritable(QStringLiteral("Employee"), QStringLiteral("Select * from employee"))) {
        showReadFailed(tr("The employees"), m_employees.lastError());
        return false;
    }
    return true;
}

void SearchIdWindow::searchById()
{
    search(m_idKey->text(), QStringLiteral("Select * from employee where emp_id = ?"), false);
}

void SearchIdWindow::searchByLastName()
{
    // The store compares case-blind, so the capitals still find names stored in any case.
    search(m_nameKey->text(), QStringLiteral("Select * from employee where emp_lname = ?"), true);
}

void SearchIdWindow::search(const QString& typed, const QString& sql, bool capitals)
{
    if (typed.isEmpty()) {
        dialogs().ok(tr("Unable to Search Empty Field"), tr("Search Key Empty"), Dialogs::Icon::Exclamation);
        return;
    }
    const QString key = capitals ? typed.trimmed().toUpper() : typed.trimmed();
    if (!requireDatabase()) {
        closeWindow();
        return;
    }
    RecordSet found;
    if (!found.openWritable(QStringLiteral("Employee"), sql, {key})) {
        dialogs().ok(tr("The search could not be made:\n") + found.lastError(), tr("Search Failed"),
                     Dialogs::Icon::Exclamation);
        return;
    }
    m_employees = found;
    m_list->clear();
    for (int i = 0; i < m_employees.recordCount(); ++i) {
        auto* line = new QTreeWidgetItem(m_list);
        line->setText(0, ValueForms::showValue(m_employees.valueAt(i, QStringLiteral("emp_id"))));
        line->setText(1, ValueForms::showValue(m_employees.valueAt(i, QStringLiteral("emp_lname"))));
        line->setText(2, ValueForms::showValue(m_employees.valueAt(i, QStringLiteral("emp_fname"))));
        line->setText(3, ValueForms::showValue(m_employees.valueAt(i, QStringLiteral("emp_mname"))));
    }
}

void SearchIdWindow::uploadRecord()
{
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty())
        return;
    gEmpID = selected.first()->text(0);
    // An employee window already open is asked for this employee too: it loaded another one earlier.
    const bool wasOpen = ChildWindows::find(QStringLiteral("Employee")) != nullptr;
    auto* record = ChildWindows::open<EmployeeWindow>(QStringLiteral("Employee"));
    if (!record)
        return;
    if (wasOpen)
        record->showEmployee(selected.first()->text(0));
    record->allowEdit();
    closeWindow();
}

void SearchIdWindow::deleteRecord()
{
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty())
        return;
    QTreeWidgetItem* line = selected.first();
    const QString key = line->text(0);
    QString why;
    if (!EmployeeRecord::deleteExact(m_employees, key, &why)) {
        // The line stays, so the list never shows as gone an employee who is still stored.
        dialogs().ok(tr("The employee could not be deleted:\n") + why, tr("Delete Failed"), Dialogs::Icon::Exclamation);
        return;
    }
    delete line;
}
