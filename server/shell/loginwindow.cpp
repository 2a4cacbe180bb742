#include "server/shell/loginwindow.h"

#include "core/admin/adminpassword.h"
#include "server/shell/lockstate.h"
#include "server/shell/passwordfield.h"
#include "widgets/dialogs.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

LoginWindow::LoginWindow(QWidget* parent) : FormWindow(parent)
{
    setWindowTitle(tr("Administrator Login"));

    auto* frame = new QGroupBox(tr(" Enter Administrator Password "), this);
    frame->setObjectName(QStringLiteral("GroupBox1"));
    auto* caption = new QLabel(tr("Password"), frame);
    caption->setObjectName(QStringLiteral("Label1"));
    m_password = makePasswordField(QStringLiteral("Text1"), frame);
    caption->setBuddy(m_password);
    auto* grid = new QGridLayout(frame);
    grid->addWidget(caption, 0, 0);
    grid->addWidget(m_password, 0, 1);

    m_ok = new QPushButton(tr("Ok"), this);
    m_ok->setObjectName(QStringLiteral("PushButton1"));
    auto* cancel = new QPushButton(tr("Cancel"), this);
    cancel->setObjectName(QStringLiteral("PushButton2"));
    for (QPushButton* button : {m_ok, cancel})
        button->setAutoDefault(true); // Enter on a focused button presses it
    connect(m_ok, &QPushButton::clicked, this, &LoginWindow::tryLogin);
    connect(cancel, &QPushButton::clicked, this, &LoginWindow::closeWindow);
    // Enter in the field only moves on to "Ok": a login is always a deliberate second step.
    connect(m_password, &QLineEdit::returnPressed, m_ok, [this] { m_ok->setFocus(); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addStretch();
    layout->addLayout(buttons);
    setTabOrder(m_password, m_ok);
    setTabOrder(m_ok, cancel);
}

bool LoginWindow::load()
{
    if (!requireDatabase())
        return false;
    if (!m_admin.open(QStringLiteral("Select * from admin"))) {
        showReadFailed(tr("The administrator password"), m_admin.lastError());
        return false;
    }
    return true;
}

void LoginWindow::activated()
{
    focusPassword();
}

void LoginWindow::focusPassword()
{
    // Selected, so that what is typed replaces it; the field is never cleared.
    m_password->setFocus();
    m_password->selectAll();
}

void LoginWindow::tryLogin()
{
    if (AdminPassword::matches(m_admin.value(QStringLiteral("password")), m_password->text())) {
        dialogs().ok(tr("Log-in Successful"), tr("Administrator Priviledges are Opened"), Dialogs::Icon::Information);
        LockState::set(false);
        closeWindow();
        return;
    }
    dialogs().ok(tr("Incorrect Password"), tr("Access Denied"), Dialogs::Icon::Exclamation);
    // Back in the field: left on "Ok", typing would go nowhere and Enter would send the wrong password again.
    focusPassword();
}
