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

QString yesNo(const QVariant& value)
{
    return value.isNull() ? QString() : value.toBool() ? QStringLiteral("Yes") : QStringLiteral("No");
}

// Empties the Terminal table and writes one row per terminal, in the order given.
bool rewriteTerminalTable(const QList<TerminalListener::ConnectedTerminal>& connected, QString* error)
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
    for (const TerminalListener::ConnectedTerminal& terminal : connected) {
        terminals.addNew();
        if (!terminals.setValue(QStringLiteral("ip"), terminal.address) ||
            !terminals.setValue(QStringLiteral("encrypted"), int(terminal.encrypted)) ||
            !terminals.setValue(QStringLiteral("allowed"), int(terminal.allowed)) || !terminals.update()) {
            *error = terminals.lastError();
            return false;
        }
    }
    return true;
}

} // namespace

TerminalsWindow::Shown TerminalsWindow::showConnected(const QList<TerminalListener::ConnectedTerminal>& terminals)
{
    if (!Database::isOpen()) {
        showDatabaseNotOpen();
        return Shown::DatabaseNotOpen;
    }
    QString error;
    if (!rewriteTerminalTable(terminals, &error)) {
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
    m_list->setColumnCount(3);
    m_list->setHeaderLabels({QStringLiteral("IP Address"), QStringLiteral("Encrypted"), QStringLiteral("Allowed")});
    m_list->setColumnWidth(0, 170);
    m_list->setColumnWidth(1, 90);
    m_list->headerItem()->setToolTip(1, QStringLiteral("Whether the terminal connected with the site key"));
    m_list->headerItem()->setToolTip(2, QStringLiteral("Whether the terminal's address is an allowed terminal"));
    m_list->setRootIsDecorated(false);
    m_list->setAlternatingRowColors(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->header()->setStretchLastSection(true);
    m_list->setMinimumSize(360, 200);

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
        new QTreeWidgetItem(m_list, {terminals.value(QStringLiteral("ip")).toString(),
                                     yesNo(terminals.value(QStringLiteral("encrypted"))),
                                     yesNo(terminals.value(QStringLiteral("allowed")))});
    return true;
}

void TerminalsWindow::activated()
{
    m_done->setFocus();
}
