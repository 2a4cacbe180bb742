#include "server/punch/terminalnoticeboxes.h"

#include "core/clock.h"
#include "core/net/socketerrors.h"
#include "core/valueforms.h"

#include <QDebug>
#include <QPointer>
#include <memory>

namespace {

QString socketErrorText(int error, const QString& description)
{
    return SocketErrors::text(error, description);
}

} // namespace

TerminalNoticeBoxes::TerminalNoticeBoxes(QObject* parent) : QObject(parent) {}

TerminalNoticeBoxes::~TerminalNoticeBoxes()
{
    for (const auto& [index, notice] : m_greetings)
        dialogs().withdrawNotice(notice);
}

void TerminalNoticeBoxes::clientAccepted(qint64 index, const QString& address, std::function<void()> greet)
{
    QPointer<TerminalNoticeBoxes> self(this);
    auto dismissed = std::make_shared<bool>(false);
    const Dialogs::NoticeId notice =
        dialogs().notice(tr("Connected with ") + address, tr("Client Accepted"), Dialogs::Icon::Information,
                         [self, index, dismissed, greet = std::move(greet)] {
                             *dismissed = true;
                             if (self)
                                 self->m_greetings.erase(index);
                             greet();
                         });
    if (!*dismissed)
        m_greetings[index] = notice;
}

void TerminalNoticeBoxes::clientClosed(qint64 index)
{
    // Nobody is told about a terminal that has already gone again.
    const auto it = m_greetings.find(index);
    if (it == m_greetings.end())
        return;
    dialogs().withdrawNotice(it->second);
    m_greetings.erase(it);
}

void TerminalNoticeBoxes::listenFailed(quint16 port, int error, const QString& description)
{
    dialogs().notice(socketErrorText(error, description) +
                         tr("\nTerminals cannot connect until port %1 is free; the server keeps trying.").arg(port),
                     QString(), Dialogs::Icon::None, {});
}

void TerminalNoticeBoxes::acceptFailed(int error, const QString& description)
{
    dialogs().notice(socketErrorText(error, description) +
                         tr("\nNew terminals cannot connect until the server has descriptors free; "
                            "connected terminals are still served, and the server keeps trying."),
                     QString(), Dialogs::Icon::None, {});
}

void TerminalNoticeBoxes::socketError(int error, const QString& description)
{
    // Each keyed terminal's failed read or handshake may end in an error: one box counts those of a spell.
    const int count = m_socketErrors.open ? m_socketErrors.count + 1 : 1;
    const QString text = count == 1 ? socketErrorText(error, description)
                                    : tr("%1 terminal connections failed. The latest: %2")
                                          .arg(QString::number(count), socketErrorText(error, description));
    show(m_socketErrors, text, QString(), Dialogs::Icon::None);
}

void TerminalNoticeBoxes::punchNotRecorded(const QString& address, const QString& id, const QString& error)
{
    const QString from = address.isEmpty() ? tr("a terminal") : address;
    const QString which = tr("the terminal at %1 for ID \"%2\"").arg(from, id.left(40));
    const int count = m_outage.open ? m_outage.count + 1 : 1;
    QString text;
    if (count == 1)
        text = tr("A punch from %1 was not recorded, and the terminal was given no answer: %2").arg(which, error);
    else
        text = tr("%1 punches from terminals were not recorded, and their terminals were given no answer. "
                  "The latest, from %2: %3")
                   .arg(QString::number(count), which, error);
    show(m_outage, text, tr("Punch Not Recorded"), Dialogs::Icon::Exclamation);
}

void TerminalNoticeBoxes::show(Counted& counted, const QString& text, const QString& title, Dialogs::Icon icon)
{
    if (counted.open) {
        ++counted.count;
        dialogs().updateNotice(counted.box, text);
        return;
    }
    // A box dismissed at once closes the spell before notice() returns.
    counted.open = true;
    counted.count = 1;
    const quint64 number = ++counted.number;
    QPointer<TerminalNoticeBoxes> self(this);
    Counted* which = &counted;
    counted.box = dialogs().notice(text, title, icon, [self, which, number] {
        if (self && which->number == number)
            which->open = false;
    });
}

void TerminalNoticeBoxes::terminalRefused(const QString& address, const QString& reason)
{
    ++m_refused;
    m_latestRefusals << ValueForms::showTime(now().time()) + QLatin1Char(' ') + address + QStringLiteral(": ") + reason;
    while (m_latestRefusals.size() > kLatestRefusals)
        m_latestRefusals.removeFirst();
    qInfo().noquote() << QStringLiteral("Refused the connection from %1: %2").arg(address, reason);
    Q_EMIT refusedChanged();
}
