#include "server/shell/allowedterminalswindow.h"

#include "core/net/terminalaccess.h"
#include "core/settings.h"
#include "widgets/dialogs.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QString title()
{
    return QCoreApplication::translate("AllowedTerminalsWindow", "Allowed Terminals");
}

QLabel* hint(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, palette.color(QPalette::Disabled, QPalette::WindowText).darker(130));
    label->setPalette(palette);
    return label;
}

} // namespace

AllowedTerminalsWindow::AllowedTerminalsWindow(QWidget* parent) : FormWindow(parent)
{
    setWindowTitle(title());
    setWindowIcon(style()->standardIcon(QStyle::SP_DriveNetIcon));

    auto* listed = new QGroupBox(tr("Terminals that may connect"), this);
    listed->setObjectName(QStringLiteral("GroupBox1"));
    m_list = new QTreeWidget(listed);
    m_list->setObjectName(QStringLiteral("ListView1"));
    m_list->setColumnCount(2);
    m_list->setHeaderLabels({tr("Address or Range"), tr("Description")});
    m_list->setRootIsDecorated(false);
    m_list->setAlternatingRowColors(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->header()->setStretchLastSection(true);
    m_list->setColumnWidth(0, 200);
    m_list->setMinimumSize(420, 160);

    auto* addressCaption = new QLabel(tr("Address or range"), listed);
    addressCaption->setObjectName(QStringLiteral("Label1"));
    m_address = new QLineEdit(listed);
    m_address->setObjectName(QStringLiteral("Text1"));
    m_address->setPlaceholderText(tr("192.168.1.20 or 192.168.1.0/24"));
    addressCaption->setBuddy(m_address);
    auto* descriptionCaption = new QLabel(tr("Description"), listed);
    descriptionCaption->setObjectName(QStringLiteral("Label2"));
    m_description = new QLineEdit(listed);
    m_description->setObjectName(QStringLiteral("Text2"));
    m_description->setPlaceholderText(tr("Front door"));
    descriptionCaption->setBuddy(m_description);
    m_add = makeButton("PushButton1", tr("Add"));
    m_remove = makeButton("PushButton2", tr("Remove"));
    m_remove->setEnabled(false);

    auto* entry = new QGridLayout;
    entry->addWidget(addressCaption, 0, 0);
    entry->addWidget(m_address, 0, 1);
    entry->addWidget(m_add, 0, 2);
    entry->addWidget(descriptionCaption, 1, 0);
    entry->addWidget(m_description, 1, 1);
    entry->addWidget(m_remove, 1, 2);
    auto* listedLayout = new QVBoxLayout(listed);
    listedLayout->addWidget(hint(tr("A terminal at one of these addresses is greeted at once, without a "
                                    "notice. The terminal service serves only these terminals, or "
                                    "every terminal while the list is empty."),
                                 listed));
    listedLayout->addWidget(m_list);
    m_unreadable = new QLabel(listed);
    m_unreadable->setObjectName(QStringLiteral("Label3"));
    m_unreadable->setWordWrap(true);
    m_unreadable->setTextFormat(Qt::PlainText);
    QPalette warning = m_unreadable->palette();
    warning.setColor(QPalette::WindowText, QColor(0xa0, 0x20, 0x10));
    m_unreadable->setPalette(warning);
    m_unreadable->hide();
    listedLayout->addWidget(m_unreadable);
    listedLayout->addLayout(entry);

    auto* others = new QGroupBox(tr("Other terminals"), this);
    others->setObjectName(QStringLiteral("GroupBox2"));
    m_acceptUnknown = new QCheckBox(tr("Accept unknown terminals"), others);
    m_acceptUnknown->setObjectName(QStringLiteral("CheckBox1"));
    m_acceptPlain = new QCheckBox(tr("Accept plain terminals"), others);
    m_acceptPlain->setObjectName(QStringLiteral("CheckBox2"));
    auto* othersLayout = new QVBoxLayout(others);
    othersLayout->addWidget(m_acceptUnknown);
    othersLayout->addWidget(hint(tr("On: a terminal not in the list is announced (\"Client Accepted\") "
                                    "and served. Off: it is closed without an answer and counted in the "
                                    "status bar."),
                                 others));
    othersLayout->addWidget(m_acceptPlain);
    othersLayout->addWidget(hint(tr("On: terminals without the site key (older ones) are served. Off: "
                                    "only terminals given the key of the Terminal Key window connect."),
                                 others));

    auto* done = makeButton("PushButton3", tr("Done"));
    connect(done, &QPushButton::clicked, this, &AllowedTerminalsWindow::closeWindow);
    connect(m_add, &QPushButton::clicked, this, &AllowedTerminalsWindow::addEntry);
    connect(m_remove, &QPushButton::clicked, this, &AllowedTerminalsWindow::removeEntry);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this,
            [this] { m_remove->setEnabled(!m_list->selectedItems().isEmpty()); });
    // Enter walks to "Add"; it never adds by itself.
    connect(m_address, &QLineEdit::returnPressed, m_description, [this] { m_description->setFocus(); });
    connect(m_description, &QLineEdit::returnPressed, m_add, [this] { m_add->setFocus(); });
    connect(m_acceptUnknown, &QCheckBox::toggled, this,
            [this](bool on) { settingToggled(m_acceptUnknown, Settings::kAcceptUnknownTerminals, on); });
    connect(m_acceptPlain, &QCheckBox::toggled, this,
            [this](bool on) { settingToggled(m_acceptPlain, Settings::kAcceptPlainTerminals, on); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(done);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(listed, 1);
    layout->addWidget(others);
    layout->addLayout(buttons);
    setTabOrder(m_address, m_description);
    setTabOrder(m_description, m_add);
}

bool AllowedTerminalsWindow::load()
{
    if (!requireDatabase() || !readList())
        return false;
    const QSignalBlocker unknown(m_acceptUnknown);
    const QSignalBlocker plain(m_acceptPlain);
    m_acceptUnknown->setChecked(TerminalAccess::isOn(Settings::kAcceptUnknownTerminals));
    m_acceptPlain->setChecked(TerminalAccess::isOn(Settings::kAcceptPlainTerminals));
    return true;
}

void AllowedTerminalsWindow::activated()
{
    m_address->setFocus();
}

bool AllowedTerminalsWindow::readList()
{
    QList<TerminalAccess::Allowed> entries;
    QString error;
    if (!TerminalAccess::read(&entries, &error)) {
        showReadFailed(tr("The allowed terminals"), error);
        return false;
    }
    m_list->clear();
    // Entries another program wrote that do not read as an address let nobody in; they are marked so they can
    // be mended.
    int unreadable = 0;
    for (const TerminalAccess::Allowed& entry : entries) {
        auto* item = new QTreeWidgetItem(m_list, {entry.address, entry.description});
        QString why;
        if (TerminalAccess::normalize(entry.address, &why))
            continue;
        ++unreadable;
        item->setIcon(0, style()->standardIcon(QStyle::SP_MessageBoxWarning));
        item->setToolTip(0, tr("Cannot be read, so it lets no terminal in: %1").arg(why));
    }
    m_unreadable->setText(unreadable == 1 ? tr("1 entry (marked) cannot be read and lets no terminal in. "
                                               "Remove it and add the address again.")
                                          : tr("%1 entries (marked) cannot be read and let no terminal "
                                               "in. Remove them and add the addresses again.")
                                                .arg(unreadable));
    m_unreadable->setVisible(unreadable > 0);
    return true;
}

void AllowedTerminalsWindow::addEntry()
{
    QString error;
    // A range that takes in everyone is rarely what was meant; it is added only when confirmed.
    if (const std::optional<QString> stored = TerminalAccess::normalize(m_address->text(), &error)) {
        if (const QString warning = TerminalAccess::warning(*stored);
            !warning.isEmpty() &&
            !dialogs().yesNo(warning + tr(" Add it anyway?"), title(), Dialogs::Icon::Exclamation)) {
            m_address->setFocus();
            return;
        }
    }
    if (!TerminalAccess::add({m_address->text(), m_description->text()}, &error)) {
        // The typed text stays, to be corrected.
        dialogs().ok(error, title(), Dialogs::Icon::Exclamation);
        m_address->setFocus();
        return;
    }
    m_address->clear();
    m_description->clear();
    readList();
    m_address->setFocus();
}

void AllowedTerminalsWindow::removeEntry()
{
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty())
        return;
    QString error;
    if (!TerminalAccess::remove(selected.first()->text(0), &error)) {
        dialogs().ok(tr("The terminal could not be removed: ") + error, title(), Dialogs::Icon::Exclamation);
        return;
    }
    readList();
}

void AllowedTerminalsWindow::settingToggled(QCheckBox* box, const QString& setting, bool on)
{
    QString error;
    if (TerminalAccess::setOn(setting, on, &error))
        return;
    dialogs().ok(tr("The setting could not be stored: ") + error, title(), Dialogs::Icon::Exclamation);
    const QSignalBlocker quiet(box);
    box->setChecked(!on);
}
