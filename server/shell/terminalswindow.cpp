#include "server/shell/terminalswindow.h"

#include "common/dialogs.h"
#include "common/recordset.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

TerminalsWindow::TerminalsWindow(QWidget* parent) : FormWindow(parent)
{
    setWindowTitle(QStringLiteral("Terminals Connected"));
    setWindowIcon(style()->standardIcon(QStyle::SP_DriveNetIcon));

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("ListView1"));
    m_list->setColumnCount(1);
    m_list->setHeaderLabels({QStringLiteral("IP Address")});
    m_list->setRootIsDecorated(false);
    m_list->setAlternatingRowColors(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->header()->setStretchLastSection(true);
    m_list->setMinimumSize(280, 200);

    m_done = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("Done"), this);
    m_done->setObjectName(QStringLiteral("PushButton1"));
    m_done->setDefault(true);
    usePointerOver(m_done);
    connect(m_done, &QPushButton::clicked, this, &TerminalsWindow::closeWindow);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_done);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addLayout(buttons);
}

bool TerminalsWindow::load()
{
    if (!requireDatabase())
        return false;
    RecordSet terminals;
    if (!terminals.open(QStringLiteral("Select * from Terminal"))) {
        dialogs().ok(QStringLiteral("The list of terminals could not be read: ") + terminals.lastError(),
                     QStringLiteral("Terminals Connected"), Dialogs::Icon::Exclamation);
        return false;
    }
    for (terminals.moveFirst(); !terminals.eof(); terminals.moveNext())
        new QTreeWidgetItem(m_list, {terminals.value(QStringLiteral("ip")).toString()});
    return true;
}

void TerminalsWindow::activated()
{
    m_done->setFocus();
}
