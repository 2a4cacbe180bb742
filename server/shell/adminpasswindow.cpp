#include "server/shell/adminpasswindow.h"

#include "core/admin/adminpassword.h"
#include "server/shell/passwordfield.h"
#include "widgets/dialogs.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

AdminPassWindow::AdminPassWindow(QWidget* parent) : FormWindow(parent)
{
    setWindowTitle(tr("Change Administrator Password"));

    auto* frame = new QGroupBox(tr("Enter Password"), this);
    frame->setObjectName(QStringLiteral("GroupBox1"));
    auto* grid = new QGridLayout(frame);
    const QStringList captions = {tr("Current Password"), tr("New Password"), tr("Confirm Password")};
    QList<QLineEdit*> fields;
    for (int i = 0; i < captions.size(); ++i) {
        auto* caption = new QLabel(captions.at(i), frame);
        caption->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        QLineEdit* field = makePasswordField(QStringLiteral("Text%1").arg(i + 1), frame);
        caption->setBuddy(field);
        grid->addWidget(caption, i, 0);
        grid->addWidget(field, i, 1);
        fields << field;
    }
    m_current = fields.at(0);
    m_new = fields.at(1);
    m_confirm = fields.at(2);

    m_accept = new QPushButton(tr("Accept"), this);
    m_accept->setObjectName(QStringLiteral("PushButton1"));
    auto* cancel = new QPushButton(tr("Cancel"), this);
    cancel->setObjectName(QStringLiteral("PushButton2"));
    for (QPushButton* button : {m_accept, cancel})
        button->setAutoDefault(true);
    connect(m_accept, &QPushButton::clicked, this, &AdminPassWindow::accept);
    connect(cancel, &QPushButton::clicked, this, &AdminPassWindow::closeWindow);

    // Enter walks down the fields to "Accept"; it never changes the password by itself.
    connect(m_current, &QLineEdit::returnPressed, m_new, [this] { m_new->setFocus(); });
    connect(m_new, &QLineEdit::returnPressed, m_confirm, [this] { m_confirm->setFocus(); });
    connect(m_confirm, &QLineEdit::returnPressed, m_accept, [this] { m_accept->setFocus(); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_accept);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addStretch();
    layout->addLayout(buttons);
    setTabOrder(m_current, m_new);
    setTabOrder(m_new, m_confirm);
    setTabOrder(m_confirm, m_accept);
    setTabOrder(m_accept, cancel);
}

bool AdminPassWindow::load()
{
    if (!requireDatabase())
        return false;
    if (!m_admin.openWritable(QStringLiteral("admin"), QStringLiteral("Select * from admin"))) {
        showReadFailed(tr("The administrator password"), m_admin.lastError());
        return false;
    }
    return true;
}

void AdminPassWindow::activated()
{
    // Whoever comes back to this window types everything again.
    m_current->clear();
    m_new->clear();
    m_confirm->clear();
    m_current->setFocus();
}

void AdminPassWindow::accept()
{
    m_admin.moveFirst();
    if (m_current->text().isEmpty() || m_new->text().isEmpty() || m_confirm->text().isEmpty()) {
        dialogs().ok(tr("Some Fields are Empty"), tr("Incomplete Information"), Dialogs::Icon::Exclamation);
        return;
    }
    if (m_confirm->text() != m_new->text()) {
        dialogs().ok(tr("New Password Did Not Match"), tr("Password Mismatch"), Dialogs::Icon::Exclamation);
        return;
    }
    if (!AdminPassword::matches(m_admin.value(QStringLiteral("password")), m_current->text())) {
        dialogs().ok(tr("Incorrect Admin Password"), tr("Password Incorrect! No Changes Have Been Made"),
                     Dialogs::Icon::Exclamation);
        return;
    }
    m_admin.setValue(QStringLiteral("password"), AdminPassword::hash(m_new->text()));
    if (!m_admin.update()) {
        // The old password still holds; the typed entries stay so the administrator can try again.
        m_admin.cancelUpdate();
        dialogs().ok(tr("The password was not changed: ") + m_admin.lastError(), tr("Password Not Updated"),
                     Dialogs::Icon::Exclamation);
        return;
    }
    dialogs().ok(tr("Admin Password Updated"), tr("Password Update Successful"), Dialogs::Icon::Information);
    closeWindow();
}
