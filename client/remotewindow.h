#pragma once

#include "core/protocol.h"
#include "core/store/recordset.h"
#include "widgets/formwindow.h"

#include <QAbstractSocket>
#include <deque>

class QLabel;
class QLineEdit;
class QPushButton;
class QSslSocket;
class QTimer;
class ClockDisplay;

// The punch terminal: sends each typed ID to the server and shows the answer with this computer's time.
class RemoteWindow : public FormWindow
{
    Q_OBJECT
public:
    // Replies that need a box wait while one is shown; beyond this many more are dropped, so a server that
    // floods the terminal cannot bury it in boxes.
    static constexpr int kMaxWaitingBoxes = 3;
    // A server that does not answer a connection within this time is reported unreachable, rather than after
    // the system's own wait of minutes.
    static constexpr int kConnectTimeoutMs = 5000;
    // Reconnecting waits this long after the first failure, twice as long after each further one, up to the
    // most.
    static constexpr int kFirstRetryMs = 1000;
    static constexpr int kMostRetryMs = 30000;

    // The port is the server's; tests pass the one their listener was given.
    explicit RemoteWindow(quint16 port = Protocol::kPort, QWidget* parent = nullptr);
    ~RemoteWindow() override;

    // Reads the server's address and connects to it. False when the database is not open.
    bool load() override;
    void activated() override;

    QString serverAddress() const { return m_address; }
    // Whether this terminal has a site key and so connects encrypted.
    bool encrypts() const { return !m_siteKey.isEmpty(); }
    // Whether the terminal connects again by itself after losing the server ("Reconnect by itself").
    bool reconnects() const { return m_reconnect; }
    // Whether the terminal asks for the employee's hours after a punch ("Show hours after a punch").
    bool showsHours() const { return m_showHours; }
    // An answer to a punch that came later than this after the ID was sent is not waited for: the IDs sent
    // before are taken as answered (a full day gets no answer), so the hours can be asked for again.
    static constexpr int kSettleMs = 2000;
    // Tests shorten the wait for a connection.
    void setConnectTimeout(int milliseconds) { m_connectTimeoutMs = milliseconds; }
    // The wait before the next reconnection attempt.
    int retryWait() const { return m_retryMs; }

    // The terminal's options kept in its database (gConn): the column of the server row and its caption.
    struct Option
    {
        const char* column;
        const char* caption;
    };
    static const Option kReconnect;
    static const Option kShowHours;
    static bool storeOption(const Option& option, bool on, QString* error);

    // Stores the site key in the terminal's database (gConn): `text` in any form SiteKey::parse reads, or the
    // empty text for none (plain connections). False with a message when it is no key or cannot be stored.
    static bool storeSiteKey(const QString& text, QString* error);

    // "Socket Error " with the system's error number and text, and the stored server address.
    static QString socketErrorText(QAbstractSocket::SocketError error, const QString& description,
                                   const QString& address, quint16 port);

protected:
    void closeEvent(QCloseEvent* event) override;

Q_SIGNALS:
    // A new server address was stored: the program must end now and be started again to use it.
    void endRequested();

private:
    void sendId();
    void receive();
    void serverQuiet();
    void showReplies(const QList<Protocol::ServerReply>& replies);
    void showWaitingBoxes();
    void socketError(QAbstractSocket::SocketError error);
    void connectToServer();
    void confirmClose();
    void startConnecting();
    void connected();
    void connectTimedOut();
    void lost(const QString& why);
    void setStatus(const QString& text);
    void askForHours();
    static int systemErrorNumber(QAbstractSocket::SocketError error, const QString& description);

    RecordSet m_server; // the one row of the server table, kept while the window is open
    QString m_address;
    QByteArray m_siteKey;
    quint16 m_port;
    QSslSocket* m_socket;
    Protocol::ReplyDecoder m_replies;
    QTimer* m_quiet;
    QTimer* m_connectTimer;
    QTimer* m_retry;
    int m_connectTimeoutMs = kConnectTimeoutMs;
    int m_retryMs = kFirstRetryMs;
    bool m_reconnect = false;
    bool m_showHours = false;
    bool m_serverGivesHours = true; // until it answers the request "NRF": a server that does not know it
    bool m_hoursAsked = false;      // the next reply answers the request
    int m_inFlight = 0;             // IDs sent and not answered yet
    QTimer* m_settle;
    bool m_greeted = false;        // the first greeting of this run was shown; later ones only in the status
    bool m_wasConnecting = false;  // later attempts are reconnections
    bool m_keyRefusalTold = false; // a refused key is told once, however often reconnecting meets it
    std::deque<Protocol::ServerReply::Kind> m_waitingBoxes;
    bool m_showingBoxes = false;
    ClockDisplay* m_clock;
    QLineEdit* m_id;
    QLabel* m_name;
    QLabel* m_action;
    QLabel* m_status;
    QLabel* m_hours;
    QPushButton* m_connect;
    QPushButton* m_close;
};
