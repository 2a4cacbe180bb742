#include "server/shell/terminalswindow.h"

#include "core/store/recordset.h"
#include "widgets/childwindows.h"
#include "widgets/dialogs.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// Empties the Terminal table and writes one row per address, in the order given.
bool rewriteTerminalTable(const QStringList& addresses, QString* error)
{
    RecordSet terminals;
    if (!terminals.openWritable(QStringLiteral("Terminal"), QStringLiteral("Select * from Terminal"))) {
        *error = terminals.lastError();
        return false;
    }
    for (terminals.moveFirst(); !terminals.eof(); terminals.moveNext()) {
        if (!terminals.deleteCurrent()) {
            *error = terminals.lastError();
            return false;
        }
    }
    for (const QString& address : addresses) {
        terminals.addNew();
        if (!terminals.setValue(QStringLiteral("ip"), address) || !terminals.update()) {
            *error = terminals.lastError();
            return false;
        }
    }
    return true;
}

} // namespace

TerminalsWindow::Shown TerminalsWindow::showConnected(const QStringList& addresses)
{
    if (!Database::isOpen()) {
        showDatabaseNotOpen();
        return Shown::DatabaseNotOpen;
    }
    QString error;
    if (!rewriteTerminalTable(addresses, &error)) {
        dialogs().ok(QStringLiteral("The list of terminals could not be written: ") + error,
                     QStringLiteral("Terminals Connected"), Dialogs::Icon::Exclamation);
        return Shown::NotWritten;
    }
    ChildWindows::open<TerminalsWindow>(QStringLiteral("Terminals"));
    return Shown::Yes;
}

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
