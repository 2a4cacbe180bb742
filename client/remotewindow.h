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

    // The port is the server's; tests pass the one their listener was given.
    explicit RemoteWindow(quint16 port = Protocol::kPort, QWidget* parent = nullptr);
    ~RemoteWindow() override;

    // Reads the server's address and connects to it. False when the database is not open.
    bool load() override;
    void activated() override;

    QString serverAddress() const { return m_address; }
    // Whether this terminal has a site key and so connects encrypted.
    bool encrypts() const { return !m_siteKey.isEmpty(); }

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
    static int systemErrorNumber(QAbstractSocket::SocketError error, const QString& description);

    RecordSet m_server; // the one row of the server table, kept while the window is open
    QString m_address;
    QByteArray m_siteKey;
    quint16 m_port;
    QSslSocket* m_socket;
    Protocol::ReplyDecoder m_replies;
    QTimer* m_quiet;
    std::deque<Protocol::ServerReply::Kind> m_waitingBoxes;
    bool m_showingBoxes = false;
    ClockDisplay* m_clock;
    QLineEdit* m_id;
    QLabel* m_name;
    QLabel* m_action;
    QPushButton* m_connect;
    QPushButton* m_close;
};
