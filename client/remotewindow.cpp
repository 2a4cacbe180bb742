#include "client/remotewindow.h"

#include "core/clock.h"
#include "core/net/sitekey.h"
#include "core/net/socketerrors.h"
#include "core/payroll/hourstonow.h"
#include "core/store/query.h"
#include "core/valueforms.h"
#include "widgets/clockdisplay.h"
#include "widgets/dialogs.h"
#include "widgets/punchstation.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QSslPreSharedKeyAuthenticator>
#include <QSslSocket>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace {

const QColor kInk(30, 60, 120);
// The most the socket reads ahead of the window: with the decoder's bound, all a flood of replies can hold.
constexpr qint64 kReadBufferBytes = qint64(64) * 1024;

QString notAKey()
{
    return QCoreApplication::translate("RemoteWindow",
                                       "\"%1\" is not a site key. A key has 32 digits and letters a to f, as the "
                                       "server's Terminal Key window shows it.");
}

// A terminal screen with a keypad, the window's decorative picture.
QPixmap terminalPicture(int size)
{
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kInk, 2.5));
    p.setBrush(QColor(235, 242, 252));
    p.drawRoundedRect(QRectF(size * 0.08, size * 0.06, size * 0.84, size * 0.56), 5, 5);
    p.setBrush(QColor(70, 140, 90));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(size * 0.16, size * 0.14, size * 0.68, size * 0.40), 3, 3);
    p.setPen(QPen(QColor(200, 255, 210), 2));
    p.drawText(QRectF(size * 0.16, size * 0.14, size * 0.68, size * 0.40), Qt::AlignCenter, QStringLiteral("ID"));
    p.setPen(QPen(kInk, 2.5));
    p.setBrush(QColor(210, 220, 235));
    p.drawRoundedRect(QRectF(size * 0.04, size * 0.70, size * 0.92, size * 0.24), 4, 4);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    for (int i = 0; i < 6; ++i)
        p.drawRect(QRectF(size * (0.12 + i * 0.13), size * 0.77, size * 0.09, size * 0.09));
    return picture;
}

// Two computers joined by a line: "Connect to Server".
QIcon connectPicture()
{
    QPixmap picture(32, 32);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kInk, 2));
    p.setBrush(QColor(180, 210, 245));
    p.drawRect(QRectF(2, 4, 11, 9));
    p.drawRect(QRectF(19, 19, 11, 9));
    p.setPen(QPen(QColor(40, 150, 60), 2.5));
    p.drawLine(QPointF(8, 14), QPointF(8, 23));
    p.drawLine(QPointF(8, 23), QPointF(18, 23));
    p.setBrush(QColor(40, 150, 60));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(8, 23), 3, 3);
    return QIcon(picture);
}

// A red disc with a white cross: "Close this Window".
QIcon closePicture()
{
    QPixmap picture(32, 32);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(140, 20, 20), 1.5));
    p.setBrush(QColor(210, 50, 45));
    p.drawEllipse(QRectF(3, 3, 26, 26));
    p.setPen(QPen(Qt::white, 3.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(11, 11), QPointF(21, 21));
    p.drawLine(QPointF(21, 11), QPointF(11, 21));
    return QIcon(picture);
}

// Writes one column of the terminal's server row in gConn; a terminal whose row was removed by hand gets the
// first start's one back.
bool storeInServerRow(const QString& column, const QVariant& value, QString* error)
{
    Transaction transaction;
    Query update;
    Query insert;
    if (!transaction.isActive()) {
        *error = transaction.error();
        return false;
    }
    if (!update.exec(QStringLiteral("UPDATE server SET %1 = ?").arg(column), {value})) {
        *error = update.error();
        return false;
    }
    if (update.rowsAffected() == 0 &&
        !insert.exec(QStringLiteral("INSERT INTO server (ip, %1) VALUES (?, ?)").arg(column),
                     {QStringLiteral("127.0.0.1"), value})) {
        *error = insert.error();
        return false;
    }
    if (!transaction.commit()) {
        *error = transaction.error();
        return false;
    }
    return true;
}

} // namespace

const RemoteWindow::Option RemoteWindow::kReconnect = {"reconnect", "Reconnect by itself"};
const RemoteWindow::Option RemoteWindow::kShowHours = {"show_hours", "Show hours after a punch"};

RemoteWindow::RemoteWindow(quint16 port, QWidget* parent) : FormWindow(parent), m_port(port)
{
    setObjectName(QStringLiteral("Remote"));
    setWindowTitle(tr("Qorvil Client"));
    setWindowIcon(QIcon(terminalPicture(32)));

    m_socket = new QSslSocket(this);
    m_socket->setObjectName(QStringLiteral("rsSock"));
    m_socket->setReadBufferSize(kReadBufferBytes);
    connect(m_socket, &QSslSocket::preSharedKeyAuthenticationRequired, this,
            [this](QSslPreSharedKeyAuthenticator* authenticator) {
                authenticator->setIdentity(SiteKey::kIdentity);
                authenticator->setPreSharedKey(m_siteKey);
            });
    connect(m_socket, &QTcpSocket::readyRead, this, &RemoteWindow::receive);
    connect(m_socket, &QTcpSocket::connected, this, [this] {
        if (!encrypts())
            connected();
    });
    connect(m_socket, &QSslSocket::encrypted, this, &RemoteWindow::connected);
    connect(m_socket, &QTcpSocket::disconnected, this, [this] {
        serverQuiet();
        m_socket->abort();
        lost(QString());
    });
    m_connectTimer = new QTimer(this);
    m_connectTimer->setSingleShot(true);
    connect(m_connectTimer, &QTimer::timeout, this, &RemoteWindow::connectTimedOut);
    m_settle = new QTimer(this);
    m_settle->setSingleShot(true);
    m_settle->setInterval(kSettleMs);
    connect(m_settle, &QTimer::timeout, this, [this] { m_inFlight = 0; });
    m_retry = new QTimer(this);
    m_retry->setSingleShot(true);
    connect(m_retry, &QTimer::timeout, this, &RemoteWindow::startConnecting);
    m_quiet = new QTimer(this);
    m_quiet->setSingleShot(true);
    m_quiet->setInterval(Protocol::kQuietMs);
    connect(m_quiet, &QTimer::timeout, this, &RemoteWindow::serverQuiet);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &RemoteWindow::socketError);

    m_connect = new QPushButton(connectPicture(), tr("Connect to Server"), this);
    m_connect->setObjectName(QStringLiteral("konek"));
    m_close = new QPushButton(closePicture(), tr("Close this Window"), this);
    m_close->setObjectName(QStringLiteral("PushButton1"));
    for (QPushButton* button : {m_connect, m_close}) {
        button->setIconSize(QSize(24, 24));
        button->setAutoDefault(true);
        usePointerOver(button);
    }
    connect(m_connect, &QPushButton::clicked, this, &RemoteWindow::connectToServer);
    connect(m_close, &QPushButton::clicked, this, &RemoteWindow::confirmClose);

    const PunchStation station(this, terminalPicture(64), {m_connect}, {m_close});
    m_clock = station.clock;
    m_id = station.id;
    m_name = station.name;
    m_action = station.action;
    m_hours = station.hours;
    connect(m_id, &QLineEdit::returnPressed, this, &RemoteWindow::sendId);
    // The connection's state, on a line below the described controls.
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("Status"));
    m_status->setWordWrap(true);
    layout()->addWidget(m_status);
}

RemoteWindow::~RemoteWindow()
{
    // The socket, a child, is deleted after this window's members and says `disconnected` as it goes: no slot
    // may run then on a window that is half gone.
    m_socket->disconnect(this);
}

bool RemoteWindow::load()
{
    if (!requireDatabase())
        return false;
    if (!m_server.openWritable(QStringLiteral("server"), QStringLiteral("Select * from server"))) {
        dialogs().ok(tr("The server's address could not be read: ") + m_server.lastError(), tr("Connection Failed"),
                     Dialogs::Icon::Exclamation);
        return false;
    }
    m_server.moveFirst();
    m_address = m_server.eof() ? QString() : m_server.value(QStringLiteral("ip")).toString();
    const QString storedKey = m_server.eof() ? QString() : m_server.value(QStringLiteral("site_key")).toString();
    m_reconnect = !m_server.eof() && m_server.value(QLatin1String(kReconnect.column)).toInt() == 1;
    m_showHours = !m_server.eof() && m_server.value(QLatin1String(kShowHours.column)).toInt() == 1;
    m_hours->setVisible(m_showHours);
    m_clock->start();
    if (!storedKey.trimmed().isEmpty()) {
        // A terminal given a key never falls back to a plain connection.
        const std::optional<QByteArray> key = SiteKey::parse(storedKey);
        if (!key) {
            dialogs().ok(notAKey().arg(storedKey.left(64)) +
                             tr("\n\nThe terminal does not connect; enter the key again with Connect to "
                                "Server."),
                         tr("Connection Error"), Dialogs::Icon::Information);
            setStatus(tr("Not connected: the stored site key is not a key."));
            return true;
        }
        m_siteKey = *key;
        m_socket->setSslConfiguration(SiteKey::clientConfiguration());
    }
    startConnecting();
    return true;
}

void RemoteWindow::startConnecting()
{
    // What the last connection left unread or unanswered belongs to it, never to the next one.
    m_quiet->stop();
    m_replies = Protocol::ReplyDecoder();
    m_hoursAsked = false;
    m_serverGivesHours = true; // the server may have been updated meanwhile
    m_inFlight = 0;
    setStatus(m_wasConnecting ? tr("Reconnecting...") : tr("Connecting to %1...").arg(m_address));
    m_wasConnecting = true;
    if (encrypts())
        m_socket->connectToHostEncrypted(m_address, m_port);
    else
        m_socket->connectToHost(m_address, m_port);
    m_connectTimer->start(m_connectTimeoutMs);
}

void RemoteWindow::connected()
{
    m_connectTimer->stop();
    m_retryMs = kFirstRetryMs;
    setStatus((m_socket->isEncrypted() ? tr("Connected to %1, encrypted") : tr("Connected to %1, not encrypted"))
                  .arg(m_address));
}

void RemoteWindow::connectTimedOut()
{
    const QString text = socketErrorText(QAbstractSocket::SocketTimeoutError, QString(), m_address, m_port);
    m_socket->abort();
    lost(text.section(QLatin1Char('\n'), 0, 0));
    if (!m_reconnect)
        dialogs().ok(text, tr("Connection Error"), Dialogs::Icon::Information);
}

void RemoteWindow::lost(const QString& why)
{
    m_connectTimer->stop();
    if (!m_reconnect) {
        setStatus(why.isEmpty() ? tr("Not connected to %1").arg(m_address)
                                : tr("Not connected to %1 (%2)").arg(m_address, why));
        return;
    }
    if (m_retry->isActive()) // the same loss, told twice by the socket
        return;
    setStatus(why.isEmpty() ? tr("Reconnecting...") : tr("Reconnecting... (%1)").arg(why));
    m_retry->start(m_retryMs);
    m_retryMs = std::min(m_retryMs * 2, kMostRetryMs);
}

void RemoteWindow::setStatus(const QString& text)
{
    m_status->setText(text);
}

void RemoteWindow::activated()
{
    m_id->setFocus();
}

void RemoteWindow::sendId()
{
    if (m_socket->state() != QAbstractSocket::ConnectedState || (encrypts() && !m_socket->isEncrypted()) ||
        m_socket->write(Protocol::idToWire(m_id->text())) < 0) {
        // The ID stays in the box, so it can be sent again once the server is back.
        dialogs().ok(tr("Unable to Reach Server! Please Make Sure They're Connected."), tr("Error In Connection"),
                     Dialogs::Icon::Exclamation);
        return;
    }
    if (!m_id->text().isEmpty()) { // a blank line is no ID and gets no reply
        m_replies.expectReply();
        ++m_inFlight;
        m_settle->start();
    }
    m_id->clear();
}

void RemoteWindow::receive()
{
    showReplies(m_replies.feed(m_socket->readAll()));
    // A name is complete once the next reply begins or the server falls quiet.
    if (m_replies.holding())
        m_quiet->start();
    else
        m_quiet->stop();
}

void RemoteWindow::serverQuiet()
{
    m_quiet->stop();
    showReplies(m_replies.flush());
}

void RemoteWindow::showReplies(const QList<Protocol::ServerReply>& replies)
{
    using Kind = Protocol::ServerReply::Kind;
    for (const Protocol::ServerReply& reply : replies) {
        // The answer to the terminal's own request is never a message; "NRF" means the server does not give
        // hours (or not to this terminal), so it is not asked again.
        if (std::exchange(m_hoursAsked, false) && (reply.kind == Kind::Hours || reply.kind == Kind::NotFound)) {
            m_serverGivesHours = reply.kind == Kind::Hours;
            m_hours->setVisible(m_serverGivesHours);
            const QStringList times = reply.name.split(QLatin1Char(' '));
            m_hours->setText(times.size() == 2 ? Pay::workedText(times.at(0), times.at(1)) : QString());
            continue;
        }
        if (reply.kind == Kind::NotFound || reply.kind == Kind::SignedIn || reply.kind == Kind::SignedOut)
            m_inFlight = std::max(0, m_inFlight - 1);
        switch (reply.kind) {
        case Kind::Accepted:
            // Greetings after a reconnection show only in the status line: nobody need dismiss a box each
            // time the server came back.
            if (std::exchange(m_greeted, true))
                break;
            [[fallthrough]];
        case Kind::NotFound:
            if (m_waitingBoxes.size() < std::size_t(kMaxWaitingBoxes))
                m_waitingBoxes.push_back(reply.kind);
            break;
        case Kind::SignedIn:
            PunchStation::showName(m_name, reply.name);
            m_action->setText(tr("Signed In at ") + ValueForms::showTime(now().time()));
            askForHours();
            break;
        case Kind::SignedOut:
            PunchStation::showName(m_name, reply.name);
            m_action->setText(tr("Signed Out at ") + ValueForms::showTime(now().time()));
            askForHours();
            break;
        case Kind::Hours: // asked for by nobody
            break;
        }
    }
    // Boxes are shown outside the socket's handler, so replies keep being read while one is up.
    if (!m_waitingBoxes.empty() && !m_showingBoxes)
        QMetaObject::invokeMethod(this, &RemoteWindow::showWaitingBoxes, Qt::QueuedConnection);
}

void RemoteWindow::askForHours()
{
    m_hours->clear(); // never the last employee's hours under this one's name
    // Only when every ID sent is answered, so the next reply is surely the request's.
    if (!m_showHours || !m_serverGivesHours || m_inFlight > 0 || m_socket->state() != QAbstractSocket::ConnectedState)
        return;
    if (m_socket->write(Protocol::hoursRequestToWire()) < 0)
        return;
    m_replies.expectReply();
    m_hoursAsked = true;
}

void RemoteWindow::showWaitingBoxes()
{
    if (m_showingBoxes)
        return;
    m_showingBoxes = true;
    while (!m_waitingBoxes.empty()) {
        const Protocol::ServerReply::Kind kind = m_waitingBoxes.front();
        m_waitingBoxes.pop_front();
        if (kind == Protocol::ServerReply::Kind::Accepted)
            dialogs().ok(tr("Connection Request Accepted"), tr("Remote Connected"), Dialogs::Icon::Information);
        else
            dialogs().ok(tr("No Record of That ID Found"), tr("ID Not Found"), Dialogs::Icon::Information);
    }
    m_showingBoxes = false;
}

void RemoteWindow::socketError(QAbstractSocket::SocketError error)
{
    // A server that closes an encrypted connection before it is set up, or fails its handshake, does not take
    // this terminal's key; that is worth saying, unlike a server that goes away later.
    const bool keyRefused =
        encrypts() && !m_socket->isEncrypted() &&
        (error == QAbstractSocket::RemoteHostClosedError || error == QAbstractSocket::SslHandshakeFailedError);
    // The server going away is a close, not an error: the socket just stays closed.
    if (error == QAbstractSocket::RemoteHostClosedError && !keyRefused) {
        serverQuiet();
        m_socket->abort();
        lost(QString());
        return;
    }
    const QString description = m_socket->errorString();
    m_socket->abort();
    if (keyRefused) {
        // Told once: a terminal that reconnects meets the same refusal at every attempt.
        lost(tr("the server did not accept the site key"));
        if (!std::exchange(m_keyRefusalTold, true))
            dialogs().ok(tr("The server did not accept this terminal's site key (%1).\n\nEnter the key "
                            "the server's Terminal Key window shows with Connect to Server. The server "
                            "address stored in this terminal is %2 (port %3).")
                             .arg(description, m_address)
                             .arg(m_port),
                         tr("Connection Error"), Dialogs::Icon::Information);
        return;
    }
    const QString text = socketErrorText(error, description, m_address, m_port);
    // A terminal that reconnects says why in its status line; a box at every attempt would bury it.
    lost(text.section(QLatin1Char('\n'), 0, 0));
    if (!m_reconnect)
        dialogs().ok(text, tr("Connection Error"), Dialogs::Icon::Information);
}

QString RemoteWindow::socketErrorText(QAbstractSocket::SocketError error, const QString& description,
                                      const QString& address, quint16 port)
{
    // The system's own error number and text, as the operating system reports them; a name the resolver
    // does not know has no error number of its own.
    const int number = systemErrorNumber(error, description);
    const QString what = number > 0
                             ? tr("Socket Error %1: %2").arg(number).arg(QString::fromLocal8Bit(std::strerror(number)))
                             : tr("Socket Error: ") + description;
    return what + tr("\n\nThe server address stored in this terminal is %1 (port %2).")
                      .arg(address.isEmpty() ? QStringLiteral("empty") : address)
                      .arg(port);
}

int RemoteWindow::systemErrorNumber(QAbstractSocket::SocketError error, const QString& description)
{
    return SocketErrors::systemNumber(error, description);
}

void RemoteWindow::closeEvent(QCloseEvent* event)
{
    // However the window is closed (its button, the frame, the desktop), the terminal asks first.
    if (!dialogs().yesNo(tr("Are You Sure to Exit Qorvil"), tr("You're About to Close Qorvil Client"),
                         Dialogs::Icon::Question)) {
        event->ignore();
        return;
    }
    FormWindow::closeEvent(event);
}

void RemoteWindow::connectToServer()
{
    // Blanks around a pasted address would only make the next start fail to connect.
    const QString address =
        dialogs().input(tr("Please Enter the Server's IP Address"), tr("Connect to Remote Server")).trimmed();
    if (address.isEmpty())
        return;
    // A new server may be another site's: its key is asked for with it.
    const QString keyText = dialogs()
                                .input(QStringLiteral("Please Enter the Site Key from the server's Terminal Key "
                                                      "window (leave it empty for a server without one)"),
                                       tr("Connect to Remote Server"))
                                .trimmed();
    const std::optional<QByteArray> key = keyText.isEmpty() ? QByteArray() : SiteKey::parse(keyText);
    if (!key) {
        dialogs().ok(notAKey().arg(keyText.left(64)) + tr(" Nothing was changed."), tr("Connect to Remote Server"),
                     Dialogs::Icon::Exclamation);
        return;
    }
    m_server.moveFirst();
    if (m_server.eof())
        m_server.addNew();
    m_server.setValue(QStringLiteral("ip"), address);
    m_server.setValue(QStringLiteral("site_key"), key->isEmpty() ? QVariant() : QVariant(SiteKey::format(*key)));
    if (!m_server.update()) {
        dialogs().ok(tr("The server's address could not be stored: ") + m_server.lastError(),
                     tr("Connect to Remote Server"), Dialogs::Icon::Exclamation);
        return;
    }
    dialogs().ok(tr("The System Needs to be Restarted"), tr("Closing Client"), Dialogs::Icon::Information);
    Q_EMIT endRequested();
}

bool RemoteWindow::storeSiteKey(const QString& text, QString* error)
{
    const std::optional<QByteArray> key = text.trimmed().isEmpty() ? QByteArray() : SiteKey::parse(text);
    if (!key) {
        *error = notAKey().arg(text.left(64));
        return false;
    }
    return storeInServerRow(QStringLiteral("site_key"), key->isEmpty() ? QVariant() : QVariant(SiteKey::format(*key)),
                            error);
}

bool RemoteWindow::storeOption(const Option& option, bool on, QString* error)
{
    return storeInServerRow(QLatin1String(option.column), on ? 1 : 0, error);
}

void RemoteWindow::confirmClose()
{
    close(); // the question comes with every close
}
