#pragma once

#include "core/net/terminalnotices.h"
#include "widgets/dialogs.h"

#include <QObject>
#include <QStringList>
#include <unordered_map>

// The terminal listener's notices as the desktop server shows them: boxes through the dialogs seam, one at
// a time. A terminal's "Client Accepted" box is dropped when its connection ends before the box was shown,
// and the punches not recorded during one outage share one box that counts them, as do failed terminal
// connections. Refused connections get no
// box (a flood of them would bury the operator): they are counted, the latest kept, and written to the log.
class TerminalNoticeBoxes : public QObject, public TerminalNotices
{
    Q_OBJECT
public:
    explicit TerminalNoticeBoxes(QObject* parent = nullptr);
    ~TerminalNoticeBoxes() override;

    void clientAccepted(qint64 index, const QString& address, std::function<void()> greet) override;
    void clientClosed(qint64 index) override;
    void listenFailed(quint16 port, int error, const QString& description) override;
    void acceptFailed(int error, const QString& description) override;
    void socketError(int error, const QString& description) override;
    void punchNotRecorded(const QString& address, const QString& id, const QString& error) override;
    void terminalRefused(const QString& address, const QString& reason) override;

    static constexpr int kLatestRefusals = 10;
    int refusedCount() const { return m_refused; }
    // "HH:mm:ss address: reason", oldest first.
    QStringList latestRefusals() const { return m_latestRefusals; }

Q_SIGNALS:
    void refusedChanged();

private:
    // Greetings raised and not yet dismissed, by connection.
    std::unordered_map<qint64, Dialogs::NoticeId> m_greetings;
    // A box that counts what happens while it is up (the punches not recorded during one outage, the failed
    // terminal connections), so a spell of them is one box.
    struct Counted
    {
        Dialogs::NoticeId box = 0;
        bool open = false;
        quint64 number = 0;
        int count = 0;
    };
    void show(Counted& counted, const QString& text, const QString& title, Dialogs::Icon icon);

    Counted m_outage;
    Counted m_socketErrors;
    int m_refused = 0;
    QStringList m_latestRefusals;
};
