#include "server/shell/terminalswindow.h"

#include "core/sites/sites.h"
#include "core/store/recordset.h"
#include "widgets/childwindows.h"
#include "widgets/dialogs.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QString yesNo(const QVariant& value)
{
    return value.isNull()   ? QString()
           : value.toBool() ? QCoreApplication::translate("TerminalsWindow", "Yes")
                            : QCoreApplication::translate("TerminalsWindow", "No");
}

} // namespace

TerminalsWindow::Shown TerminalsWindow::showConnected(const QList<TerminalListener::ConnectedTerminal>& terminals)
{
    if (!Database::isOpen()) {
        showDatabaseNotOpen();
        return Shown::DatabaseNotOpen;
    }
    // This program's own terminals; the rows of other sites' services stay as they wrote them.
    QList<Sites::Terminal> own;
    for (const TerminalListener::ConnectedTerminal& terminal : terminals)
        own.append({terminal.address, terminal.encrypted, terminal.allowed});
    QString error;
    if (!Sites::publishTerminals(own, &error)) {
        dialogs().ok(tr("The list of terminals could not be written: ") + error, tr("Terminals Connected"),
                     Dialogs::Icon::Exclamation);
        return Shown::NotWritten;
    }
    ChildWindows::open<TerminalsWindow>(QStringLiteral("Terminals"));
    return Shown::Yes;
}

TerminalsWindow::TerminalsWindow(QWidget* parent) : FormWindow(parent)
{
    setWindowTitle(tr("Terminals Connected"));
    setWindowIcon(style()->standardIcon(QStyle::SP_DriveNetIcon));

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("ListView1"));
    m_list->setColumnCount(4);
    m_list->setHeaderLabels({tr("IP Address"), tr("Encrypted"), tr("Allowed"), tr("Site")});
    m_list->setColumnWidth(0, 150);
    m_list->setColumnWidth(1, 80);
    m_list->setColumnWidth(2, 70);
    m_list->headerItem()->setToolTip(1, tr("Whether the terminal connected with the site key"));
    m_list->headerItem()->setToolTip(2, tr("Whether the terminal's address is an allowed terminal"));
    m_list->setRootIsDecorated(false);
    m_list->setAlternatingRowColors(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->header()->setStretchLastSection(true);
    m_list->setMinimumSize(440, 200);

    m_done = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), tr("Done"), this);
    m_done->setObjectName(QStringLiteral("PushButton1"));
    m_done->setDefault(true);
    usePointerOver(m_done);
    connect(m_done, &QPushButton::clicked, this, &TerminalsWindow::closeWindow);

    // Shown once the database knows more than one place the terminals punch from.
    m_site = new QComboBox(this);
    m_site->setObjectName(QStringLiteral("ComboSite"));
    m_site->setToolTip(tr("The terminals of one site, or of all of them"));
    m_siteLabel = new QLabel(tr("Site:"), this);
    m_siteLabel->setBuddy(m_site);
    connect(m_site, &QComboBox::currentIndexChanged, this, [this] { (void)fill(); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_siteLabel);
    buttons->addWidget(m_site);
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
    QString error;
    QStringList sites = Sites::known(&error);
    // This program's own site is offered even while none of its terminals is connected.
    if (!Sites::current().isEmpty() && !sites.contains(Sites::current(), Qt::CaseInsensitive)) {
        sites << Sites::current();
        sites.sort(Qt::CaseInsensitive);
    }
    const QSignalBlocker quiet(m_site);
    m_site->clear();
    m_site->addItem(tr("All sites"));
    m_site->addItems(sites);
    m_site->setVisible(!sites.isEmpty());
    m_siteLabel->setVisible(!sites.isEmpty());
    if (const int own = m_site->findText(Sites::current()); own > 0)
        m_site->setCurrentIndex(own);
    return fill();
}

bool TerminalsWindow::fill()
{
    m_list->clear();
    RecordSet terminals;
    const bool all = m_site->currentIndex() <= 0;
    if (!(all ? terminals.open(QStringLiteral("Select * from Terminal order by site, id"))
              : terminals.open(QStringLiteral("Select * from Terminal where site = ? order by id"),
                               {m_site->currentText()}))) {
        dialogs().ok(tr("The list of terminals could not be read: ") + terminals.lastError(), tr("Terminals Connected"),
                     Dialogs::Icon::Exclamation);
        return false;
    }
    for (terminals.moveFirst(); !terminals.eof(); terminals.moveNext())
        new QTreeWidgetItem(m_list, {terminals.value(QStringLiteral("ip")).toString(),
                                     yesNo(terminals.value(QStringLiteral("encrypted"))),
                                     yesNo(terminals.value(QStringLiteral("allowed"))),
                                     terminals.value(QStringLiteral("site")).toString()});
    return true;
}

void TerminalsWindow::activated()
{
    m_done->setFocus();
}
