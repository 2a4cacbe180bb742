#include "server/shell/terminalkeywindow.h"

#include "core/net/sitekey.h"
#include "core/net/terminalaccess.h"
#include "widgets/dialogs.h"
#include "widgets/icons.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

QString title()
{
    return QCoreApplication::translate("TerminalKeyWindow", "Terminal Key");
}

} // namespace

TerminalKeyWindow::TerminalKeyWindow(QWidget* parent) : FormWindow(parent)
{
    setWindowTitle(title());
    setWindowIcon(Icons::key());

    auto* frame = new QGroupBox(tr("Site key"), this);
    frame->setObjectName(QStringLiteral("GroupBox1"));
    auto* explanation =
        new QLabel(tr("Terminals given this key connect encrypted, and only with it. Give it to each terminal once: "
                      "start it with  qorvil-client --site-key KEY  or type it after its Connect to Server "
                      "button. Keep it as secret as the administrator password."),
                   frame);
    explanation->setObjectName(QStringLiteral("Label1"));
    explanation->setWordWrap(true);
    explanation->setTextFormat(Qt::PlainText);

    m_key = new QLineEdit(frame);
    m_key->setObjectName(QStringLiteral("Text1"));
    m_key->setReadOnly(true);
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSizeF(fixed.pointSizeF() * 1.25);
    m_key->setFont(fixed);
    m_key->setMinimumWidth(QFontMetrics(fixed).horizontalAdvance(QString(46, QLatin1Char('0'))));

    auto* copy = makeButton("PushButton1", tr("Copy"));
    auto* keyRow = new QHBoxLayout;
    keyRow->addWidget(m_key, 1);
    keyRow->addWidget(copy);
    m_status = new QLabel(frame);
    m_status->setObjectName(QStringLiteral("Label2"));
    m_status->setTextFormat(Qt::PlainText);
    m_status->setWordWrap(true);
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(explanation);
    frameLayout->addLayout(keyRow);
    frameLayout->addWidget(m_status);

    auto* makeNew = makeButton("PushButton2", tr("Make New Key"), 120);
    auto* done = makeButton("PushButton3", tr("Done"));
    connect(copy, &QPushButton::clicked, this, &TerminalKeyWindow::copyKey);
    connect(makeNew, &QPushButton::clicked, this, &TerminalKeyWindow::makeNewKey);
    connect(done, &QPushButton::clicked, this, &TerminalKeyWindow::closeWindow);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(makeNew);
    buttons->addStretch();
    buttons->addWidget(done);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addStretch();
    layout->addLayout(buttons);
}

bool TerminalKeyWindow::load()
{
    if (!requireDatabase())
        return false;
    // A key that cannot be read now is not replaced: a new one would shut out every encrypted terminal.
    QString stored;
    if (QString error; !TerminalAccess::readSiteKey(&stored, &error)) {
        showReadFailed(QStringLiteral("The site key"), error);
        return false;
    }
    if (const auto key = SiteKey::parse(stored)) {
        m_key->setText(SiteKey::format(*key));
        m_status->setText(tr("Plain terminals are served too while \"Accept plain terminals\" is on "
                             "(Allowed Terminals window)."));
        return true;
    }
    if (!store(SiteKey::generate()))
        return false;
    m_status->setText(tr("A new key was made. Copy it to the terminals that should connect encrypted."));
    return true;
}

void TerminalKeyWindow::activated()
{
    m_key->setFocus();
    m_key->selectAll();
}

bool TerminalKeyWindow::store(const QString& key)
{
    QString error;
    if (!TerminalAccess::setSiteKey(key, &error)) {
        dialogs().ok(tr("The site key could not be stored: ") + error, title(), Dialogs::Icon::Exclamation);
        return false;
    }
    m_key->setText(key);
    return true;
}

void TerminalKeyWindow::copyKey()
{
    QGuiApplication::clipboard()->setText(m_key->text());
    m_status->setText(tr("The key is on the clipboard."));
}

void TerminalKeyWindow::makeNewKey()
{
    if (!dialogs().yesNo(tr("Terminals that have the current key are disconnected and refused until they "
                            "are given the new one. Make a new key?"),
                         title()))
        return;
    if (store(SiteKey::generate()))
        m_status->setText(tr("A new key was made; the old one is no longer accepted. Give the new key "
                             "to every encrypted terminal."));
}
