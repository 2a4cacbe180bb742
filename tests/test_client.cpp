#include "client/remotewindow.h"
#include "core/net/sitekey.h"
#include "core/protocol.h"
#include "core/valueforms.h"
#include "tests/support/fixedclock.h"
#include "tests/support/loopbackterminal.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/tempdatabase.h"

#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <arpa/inet.h>
#include <cerrno>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

class TestClient : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The real listener runs in a helper process with its own server database; its clock stands at 08:00:00.
    void initTestCase()
    {
        QVERIFY(m_serverDir.isValid());
        m_serverDb = m_serverDir.filePath(QStringLiteral("punched.mdb"));
        connect(&m_server, &QProcess::readyReadStandardOutput, this,
                [this] { m_serverOut += m_server.readAllStandardOutput(); });
        m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_server.start(QCoreApplication::applicationDirPath() + QStringLiteral("/helper_terminalserver"),
                       {m_serverDb, QStringLiteral("E100=Ann Lee"), QStringLiteral("É5=José Núñez"),
                        QStringLiteral("full=E200=Bo Day"), QStringLiteral("K7=Kim Ode"), QStringLiteral("H1=Hal Ito"),
                        QStringLiteral("site-key=") + m_siteKey});
        QVERIFY2(m_server.waitForStarted(10000), qPrintable(m_server.errorString()));
        QTRY_VERIFY_WITH_TIMEOUT(m_serverOut.contains('\n'), 10000);
        QVERIFY2(m_serverOut.startsWith("port "), m_serverOut.constData());
        m_serverPort = quint16(m_serverOut.mid(5, m_serverOut.indexOf('\n') - 5).toUInt());
        QVERIFY(m_serverPort != 0);
    }

    void cleanupTestCase()
    {
        m_server.kill();
        m_server.waitForFinished();
    }

    void init()
    {
        m_db = std::make_unique<TempDatabase>(Database::Kind::Client);
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_clock = std::make_unique<FixedClock>(QDateTime(QDate(2026, 3, 2), QTime(9, 15, 30)));
        m_quiet = std::make_unique<QTcpServer>();
        QVERIFY(m_quiet->listen(QHostAddress::LocalHost, 0));
    }

    void cleanup()
    {
        delete m_window;
        m_quiet.reset();
        m_clock.reset();
        m_dialogs.reset();
        m_db.reset();
    }

    // The replies carry no end of their own: however the stream is cut, each reply is read once, whole.
    void decodesTheReplyStream_data()
    {
        QTest::addColumn<QList<QByteArray>>("reads");
        QTest::addColumn<int>("idsSent");
        QTest::addColumn<QStringList>("replies");
        const QByteArray longName = QByteArray(2000, 'x') + " y";
        using L = QList<QByteArray>;
        QTest::newRow("greeting") << L{"CRA"} << 0 << QStringList{"CRA"};
        QTest::newRow("greeting glued to an answer") << L{"CRARINAnn Lee"} << 1 << QStringList{"CRA", "RIN Ann Lee"};
        QTest::newRow("answer before the greeting") << L{"NRFCRA"} << 1 << QStringList{"NRF", "CRA"};
        QTest::newRow("name before the greeting") << L{"RINAnn LeeCRA"} << 1 << QStringList{"RIN Ann Lee", "CRA"};
        QTest::newRow("reply in pieces") << L{"CRA", "RI", "NAnn Lee"} << 1 << QStringList{"CRA", "RIN Ann Lee"};
        QTest::newRow("name in pieces") << L{"RINAnn", " Lee"} << 1 << QStringList{"RIN Ann Lee"};
        QTest::newRow("two answers in one read")
            << L{"RINAnn LeeOUTBo Ek"} << 2 << QStringList{"RIN Ann Lee", "OUT Bo Ek"};
        QTest::newRow("answers and not-founds run together")
            << L{"NRFRINAnn LeeN", "RF"} << 3 << QStringList{"NRF", "RIN Ann Lee", "NRF"};
        QTest::newRow("a code inside the only awaited name")
            << L{"CRA", "RINJOHN TROUT"} << 1 << QStringList{"CRA", "RIN JOHN TROUT"};
        QTest::newRow("a code inside a name before the greeting")
            << L{"OUTJOE CRAWFORDCRA"} << 1 << QStringList{"OUT JOE CRAWFORD", "CRA"};
        QTest::newRow("a name beginning with a code")
            << L{"RINCRAIG SMITHOUTBo Ek"} << 2 << QStringList{"RIN CRAIG SMITH", "OUT Bo Ek"};
        QTest::newRow("non-ASCII name") << L{"RINJos\xc3\xa9 N\xc3\xba\xc3\xb1", "ez"} << 1
                                        << QStringList{"RIN José Núñez"};
        QTest::newRow("bytes that begin no reply") << L{"XYZ", "NRF"} << 1 << QStringList{"NRF"};
        QTest::newRow("codes are exact") << L{"rinAnn Lee"} << 1 << QStringList{};
        QTest::newRow("code alone") << L{"OUT"} << 1 << QStringList{"OUT "};
        QTest::newRow("code cut short") << L{"RI"} << 1 << QStringList{};
        QTest::newRow("name too long") << L{"RIN" + longName, "NRF"} << 2 << QStringList{"RIN " + QString(1024, 'x')};
    }

    void decodesTheReplyStream()
    {
        QFETCH(QList<QByteArray>, reads);
        QFETCH(int, idsSent);
        QFETCH(QStringList, replies);
        Protocol::ReplyDecoder decoder;
        for (int i = 0; i < idsSent; ++i)
            decoder.expectReply();
        QStringList decoded;
        auto describe = [&decoded](const QList<Protocol::ServerReply>& batch) {
            static const QStringList codes = {"CRA", "NRF", "RIN", "OUT"};
            for (const Protocol::ServerReply& reply : batch)
                decoded << (int(reply.kind) < 2 ? codes.at(int(reply.kind))
                                                : codes.at(int(reply.kind)) + QLatin1Char(' ') + reply.name);
        };
        for (const QByteArray& read : reads)
            describe(decoder.feed(read));
        describe(decoder.flush());
        QCOMPARE(decoded, replies);
        QVERIFY(!decoder.holding());
    }

    void punchRoadEndToEnd()
    {
        openWindow(m_serverPort);
        QTRY_VERIFY(m_dialogs->texts().contains(QStringLiteral("Connection Request Accepted")));
        QCOMPARE(m_dialogs->last().title, QStringLiteral("Remote Connected"));
        QCOMPARE(m_dialogs->last().icon, Dialogs::Icon::Information);

        punch(QStringLiteral("E100"));
        QCOMPARE(text1()->text(), QString());
        QTRY_COMPARE(label("Label5")->text(), QStringLiteral("Ann Lee"));
        QCOMPARE(label("Status")->text(), QStringLiteral("Connected to 127.0.0.1, not encrypted"));
        QVERIFY(!label("Hours")->isVisible());
        // The terminal's own clock, not the server's 08:00:00.
        QCOMPARE(label("Label6")->text(), QStringLiteral("Signed In at 09:15:30"));
        QCOMPARE(serverValue(QStringLiteral("SELECT in1 FROM timesheet WHERE emp_id = 'E100'")),
                 QStringLiteral("08:00:00"));

        m_clock->advance(30);
        punch(QStringLiteral("E100"));
        QTRY_COMPARE(label("Label6")->text(), QStringLiteral("Signed Out at 09:16:00"));
        QVERIFY(!serverValue(QStringLiteral("SELECT out1 FROM timesheet WHERE emp_id = 'E100'")).isEmpty());

        punch(QStringLiteral("É5"));
        QTRY_COMPARE(label("Label5")->text(), QStringLiteral("José Núñez"));
        QCOMPARE(label("Label6")->text(), QStringLiteral("Signed In at 09:16:00"));

        // A full day gets no answer and "NRF" only a message: the displays keep the last punch.
        const int boxesBefore = int(m_dialogs->boxes.size());
        punch(QStringLiteral("E200"));
        QTRY_VERIFY(m_serverOut.contains("punch E200\n"));
        punch(QStringLiteral("nobody"));
        QTRY_COMPARE(int(m_dialogs->boxes.size()), boxesBefore + 1);
        QCOMPARE(m_dialogs->last().text, QStringLiteral("No Record of That ID Found"));
        QCOMPARE(m_dialogs->last().title, QStringLiteral("ID Not Found"));
        QCOMPARE(m_dialogs->last().icon, Dialogs::Icon::Information);
        QCOMPARE(label("Label5")->text(), QStringLiteral("José Núñez"));
        QCOMPARE(label("Label6")->text(), QStringLiteral("Signed In at 09:16:00"));
        QCOMPARE(serverValue(QStringLiteral("SELECT COUNT(*) FROM timesheet WHERE emp_id = 'E200'")),
                 QStringLiteral("1"));
    }

    // "Show hours after a punch": a server that knows the request answers it under the punch; one that does not
    // answers "NRF", which is no message, and is not asked again.
    void hoursAfterAPunch()
    {
        m_db->exec(QStringLiteral("UPDATE server SET show_hours = 1"));
        openWindow(m_serverPort);
        QTRY_VERIFY(m_dialogs->texts().contains(QStringLiteral("Connection Request Accepted")));
        auto* hours = label("Hours");
        QVERIFY(hours->isVisible());
        punch(QStringLiteral("H1"));
        QTRY_COMPARE(hours->text(), QStringLiteral("Today 0:00, this week 0:00"));
        delete m_window;
        m_dialogs->boxes.clear();

        openWindow(m_quiet->serverPort());
        hours = label("Hours");
        QTRY_VERIFY(m_quiet->hasPendingConnections());
        QTcpSocket* oldServer = m_quiet->nextPendingConnection();
        QByteArray read;
        const auto answer = [&](const QByteArray& expected, const QByteArray& reply) {
            QTRY_COMPARE((read += oldServer->readAll()), expected);
            read.clear();
            oldServer->write(reply);
        };
        oldServer->write("CRA");
        punch(QStringLiteral("E100"));
        answer("E100\n", "RINAnn Lee");
        answer(Protocol::hoursRequestToWire(), "NRF");
        QTRY_VERIFY(!hours->isVisible());
        punch(QStringLiteral("K7"));
        answer("K7\n", "OUTKim Ode");
        QTRY_COMPARE(label("Label5")->text(), QStringLiteral("Kim Ode"));
        punch(QStringLiteral("E100"));
        answer("E100\n", QByteArray()); // nothing asked in between
        QCOMPARE(m_dialogs->texts(), QStringList{"Connection Request Accepted"});
    }

    void encryptedTerminal_data()
    {
        QTest::addColumn<bool>("rightKey");
        QTest::newRow("the server's key") << true;
        QTest::newRow("another key") << false;
    }

    // A terminal with a site key connects encrypted; one whose key the server does not take says so.
    void encryptedTerminal()
    {
        QFETCH(bool, rightKey);
        m_db->exec(QStringLiteral("UPDATE server SET site_key = ?"), {rightKey ? m_siteKey : SiteKey::generate()});
        openWindow(m_serverPort);
        QVERIFY(m_window->encrypts());
        auto* socket = m_window->findChild<QSslSocket*>(QStringLiteral("rsSock"));
        if (!rightKey) {
            QTRY_COMPARE(m_dialogs->boxes.size(), 1);
            QVERIFY2(m_dialogs->last().text.startsWith(QStringLiteral("The server did not accept this terminal's site "
                                                                      "key")),
                     qPrintable(m_dialogs->last().text));
            QCOMPARE(m_dialogs->last().title, QStringLiteral("Connection Error"));
            punch(QStringLiteral("K7"));
            QCOMPARE(m_dialogs->last().title, QStringLiteral("Error In Connection"));
            return;
        }
        QTRY_VERIFY(m_dialogs->texts().contains(QStringLiteral("Connection Request Accepted")));
        QVERIFY(socket->isEncrypted());
        QCOMPARE(label("Status")->text(), QStringLiteral("Connected to 127.0.0.1, encrypted"));
        punch(QStringLiteral("K7"));
        QTRY_COMPARE(label("Label5")->text(), QStringLiteral("Kim Ode"));
        QCOMPARE(label("Label6")->text(), QStringLiteral("Signed In at 09:15:30"));
    }

    void unreachableServerIsReportedAndEnterKeepsTheId()
    {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
        const quint16 nobodyListens = closed.serverPort();
        closed.close();

        openWindow(nobodyListens);
        QTRY_COMPARE(m_dialogs->boxes.size(), 1);
        // The system's error number, and the address the terminal tried.
        const QStringList lines = m_dialogs->last().text.split(QLatin1Char('\n'));
        QCOMPARE(lines.first(), QStringLiteral("Socket Error %1: Connection refused").arg(ECONNREFUSED));
        QVERIFY2(lines.last().contains(QStringLiteral("127.0.0.1 (port %1)").arg(nobodyListens)),
                 qPrintable(lines.last()));
        QCOMPARE(m_dialogs->last().title, QStringLiteral("Connection Error"));
        QCOMPARE(m_dialogs->last().icon, Dialogs::Icon::Information);

        punch(QStringLiteral("E100"));
        QCOMPARE(m_dialogs->last().text, QStringLiteral("Unable to Reach Server! Please Make Sure They're Connected."));
        QCOMPARE(m_dialogs->last().title, QStringLiteral("Error In Connection"));
        QCOMPARE(m_dialogs->last().icon, Dialogs::Icon::Exclamation);
        QCOMPARE(text1()->text(), QStringLiteral("E100"));
    }

    // A server that never answers the connection (here one whose queue of connections is full) is reported
    // after the terminal's own time-out, and the terminal says what it is doing meanwhile.
    void deadAddressTimesOut()
    {
        const int listening = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        QVERIFY(::bind(listening, reinterpret_cast<sockaddr*>(&address), length) == 0 && ::listen(listening, 0) == 0 &&
                ::getsockname(listening, reinterpret_cast<sockaddr*>(&address), &length) == 0);
        QTcpSocket fillsTheQueue;
        fillsTheQueue.connectToHost(QHostAddress::LocalHost, ntohs(address.sin_port));
        QVERIFY(fillsTheQueue.waitForConnected(5000));

        QElapsedTimer waited;
        waited.start();
        openWindow(ntohs(address.sin_port), 400);
        QCOMPARE(label("Status")->text(), QStringLiteral("Connecting to 127.0.0.1..."));
        QTRY_COMPARE(m_dialogs->boxes.size(), 1);
        QVERIFY2(waited.elapsed() < 3000, qPrintable(QString::number(waited.elapsed())));
        QCOMPARE(m_dialogs->last().text.section(QLatin1Char('\n'), 0, 0),
                 QStringLiteral("Socket Error %1: Connection timed out").arg(ETIMEDOUT));
        QCOMPARE(m_dialogs->last().title, QStringLiteral("Connection Error"));
        QCOMPARE(label("Status")->text(), QStringLiteral("Not connected to 127.0.0.1 (Socket Error %1: Connection "
                                                         "timed out)")
                                              .arg(ETIMEDOUT));
        ::close(listening);
    }

    // With "Reconnect by itself" the terminal comes back with the server, greets quietly, and an ID typed
    // while the server was away is never sent.
    void reconnectsWhenTheServerReturns()
    {
        m_db->exec(QStringLiteral("UPDATE server SET reconnect = 1"));
        const quint16 port = m_quiet->serverPort();
        openWindow(port);
        QVERIFY(m_window->reconnects());
        QTRY_VERIFY(m_quiet->hasPendingConnections());
        QTcpSocket* serverSide = m_quiet->nextPendingConnection();
        serverSide->write("CRA");
        QTRY_COMPARE(m_dialogs->texts(), QStringList{"Connection Request Accepted"});

        // The server stops.
        serverSide->abort();
        m_quiet->close();
        QTRY_COMPARE(label("Status")->text(), QStringLiteral("Reconnecting..."));
        punch(QStringLiteral("E100"));
        QCOMPARE(m_dialogs->last().text, QStringLiteral("Unable to Reach Server! Please Make Sure They're Connected."));
        QCOMPARE(text1()->text(), QStringLiteral("E100"));
        text1()->clear();

        // ... and starts again.
        QVERIFY(m_quiet->listen(QHostAddress::LocalHost, port));
        QTRY_VERIFY_WITH_TIMEOUT(m_quiet->hasPendingConnections(), 10000);
        serverSide = m_quiet->nextPendingConnection();
        serverSide->write("CRA");
        QTRY_COMPARE(label("Status")->text(), QStringLiteral("Connected to 127.0.0.1, not encrypted"));
        punch(QStringLiteral("K7"));
        QByteArray received;
        QTRY_COMPARE((received += serverSide->readAll()), QByteArray("K7\n"));
        QCOMPARE(m_dialogs->boxes.size(), 2); // no second greeting box
    }

    void serverClosingTheConnectionIsNoError()
    {
        openWindow(m_quiet->serverPort());
        QTRY_VERIFY(m_quiet->hasPendingConnections());
        QTcpSocket* serverSide = m_quiet->nextPendingConnection();
        serverSide->write("CRA");
        QTRY_COMPARE(m_dialogs->boxes.size(), 1);
        serverSide->disconnectFromHost();
        auto* socket = m_window->findChild<QTcpSocket*>(QStringLiteral("rsSock"));
        QTRY_COMPARE(socket->state(), QAbstractSocket::UnconnectedState);
        QCOMPARE(m_dialogs->boxes.size(), 1);
        QCOMPARE(label("Status")->text(), QStringLiteral("Not connected to 127.0.0.1"));

        punch(QStringLiteral("E100"));
        QCOMPARE(m_dialogs->last().title, QStringLiteral("Error In Connection"));
        QCOMPARE(text1()->text(), QStringLiteral("E100"));
    }

    // A window destroyed while connected, with a name still held back: nothing of it runs while it goes.
    void windowDestroyedWithAReplyHeldRunsNothing()
    {
        openWindow(m_quiet->serverPort());
        QTRY_VERIFY(m_quiet->hasPendingConnections());
        QTcpSocket* serverSide = m_quiet->nextPendingConnection();
        auto* socket = m_window->findChild<QTcpSocket*>(QStringLiteral("rsSock"));
        QTRY_COMPARE(socket->state(), QAbstractSocket::ConnectedState);
        QSignalSpy arrived(socket, &QTcpSocket::readyRead);
        serverSide->write("RINAnn");
        QVERIFY(arrived.wait());
        QCOMPARE(label("Label5")->text(), QString()); // a name waits for the server to fall quiet
        delete m_window;
        QTest::qWait(3 * Protocol::kQuietMs);
        QCOMPARE(m_dialogs->boxes.size(), 0);
        QTRY_COMPARE(serverSide->state(), QAbstractSocket::UnconnectedState);
    }

    void textIsSentAsTypedInUtf8AndTheBoxEmptied()
    {
        openWindow(m_quiet->serverPort());
        QTRY_VERIFY(m_quiet->hasPendingConnections());
        QTcpSocket* serverSide = m_quiet->nextPendingConnection();
        auto* socket = m_window->findChild<QTcpSocket*>(QStringLiteral("rsSock"));
        QTRY_COMPARE(socket->state(), QAbstractSocket::ConnectedState);
        punch(QStringLiteral(" o'Connor É "));
        QCOMPARE(text1()->text(), QString());
        QByteArray received;
        QTRY_COMPARE((received += serverSide->readAll()), QStringLiteral(" o'Connor É \n").toUtf8());
    }

    // Replies reach the window however the stream is cut: pieces wait for the rest, glued replies are split.
    void repliesCutAnyWayReachTheWindow_data()
    {
        QTest::addColumn<QList<QByteArray>>("reads");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QString>("name");
        using L = QList<QByteArray>;
        QTest::newRow("greeting glued to an answer")
            << L{"CRARINAnn Lee"} << QStringList{"Connection Request Accepted"} << "Ann Lee";
        QTest::newRow("answer in pieces")
            << L{"CRA", "RI", "NAnn", " Lee"} << QStringList{"Connection Request Accepted"} << "Ann Lee";
        QTest::newRow("not found glued to the greeting")
            << L{"NRFCRA"} << QStringList{"No Record of That ID Found", "Connection Request Accepted"} << QString();
    }

    void repliesCutAnyWayReachTheWindow()
    {
        QFETCH(QList<QByteArray>, reads);
        QFETCH(QStringList, boxes);
        QFETCH(QString, name);
        openWindow(m_quiet->serverPort());
        QTRY_VERIFY(m_quiet->hasPendingConnections());
        QTcpSocket* serverSide = m_quiet->nextPendingConnection();
        auto* socket = m_window->findChild<QTcpSocket*>(QStringLiteral("rsSock"));
        QTRY_COMPARE(socket->state(), QAbstractSocket::ConnectedState);
        punch(QStringLiteral("E100"));
        QSignalSpy arrived(socket, &QTcpSocket::readyRead);
        for (const QByteArray& read : reads) {
            serverSide->write(read);
            QVERIFY(arrived.wait());
        }
        QTRY_COMPARE(m_dialogs->texts(), boxes);
        QTRY_COMPARE(label("Label5")->text(), name);
    }

    // A server that streams replies while a box is up: the terminal keeps reading, holds little, and drops
    // what it cannot show rather than queueing it as boxes.
    void floodOfRepliesWhileABoxIsUp()
    {
        const qint64 floodBytes = 8 << 20;
        openWindow(m_quiet->serverPort());
        QTRY_VERIFY(m_quiet->hasPendingConnections());
        QTcpSocket* serverSide = m_quiet->nextPendingConnection();
        const QByteArray chunk = QByteArray("NRF").repeated(20000);
        qint64 sent = 0;
        auto pump = [&] {
            for (; sent < floodBytes && serverSide->bytesToWrite() < chunk.size(); sent += chunk.size()) {
                serverSide->write(chunk);
                if (sent + chunk.size() >= floodBytes)
                    serverSide->write("RINEnd Of Flood");
            }
        };
        const qint64 before = residentKiB();
        bool floodedWhileUp = false;
        m_dialogs->onShow = [&](const ScriptedDialogs::Box&) {
            if (m_dialogs->boxes.size() > 1)
                return;
            connect(serverSide, &QTcpSocket::bytesWritten, this, pump);
            pump();
            QTRY_COMPARE_WITH_TIMEOUT(label("Label5")->text(), QStringLiteral("End Of Flood"), 60000);
            floodedWhileUp = true;
        };
        serverSide->write("CRA");
        QTRY_VERIFY_WITH_TIMEOUT(floodedWhileUp, 60000);
        QTRY_COMPARE(m_dialogs->boxes.size(), 1 + RemoteWindow::kMaxWaitingBoxes);
        const qint64 grownKiB = residentKiB() - before;
        qInfo("%lld MiB of replies while a box was up grew the terminal by %lld KiB", floodBytes >> 20, grownKiB);
        VERIFY_MEMORY_GROWTH(grownKiB, 4 * 1024);
        QCOMPARE(m_dialogs->texts().mid(1), QStringList(RemoteWindow::kMaxWaitingBoxes, "No Record of That ID Found"));
    }

    void cancellingTheAddressPromptChangesNothing()
    {
        openWindow(m_quiet->serverPort());
        QSignalSpy ended(m_window.data(), &RemoteWindow::endRequested);
        m_dialogs->queueText(QString());
        QTest::mouseClick(button("konek"), Qt::LeftButton);
        QCOMPARE(m_dialogs->last().kind, QStringLiteral("input"));
        QCOMPARE(m_dialogs->last().text, QStringLiteral("Please Enter the Server's IP Address"));
        QCOMPARE(m_dialogs->last().title, QStringLiteral("Connect to Remote Server"));
        QCOMPARE(m_db->scalar(QStringLiteral("SELECT ip FROM server")).toString(), QStringLiteral("127.0.0.1"));
        QCOMPARE(m_db->scalar(QStringLiteral("SELECT COUNT(*) FROM server")), QVariant(1));
        QCOMPARE(ended.count(), 0);
        QVERIFY(m_window && m_window->isVisible());
    }

    void newAddressIsStoredAndTheProgramEnds()
    {
        openWindow(m_quiet->serverPort());
        QSignalSpy ended(m_window.data(), &RemoteWindow::endRequested);
        m_dialogs->queueText(QStringLiteral(" 192.168.1.20 "));
        QTest::mouseClick(button("konek"), Qt::LeftButton);
        QCOMPARE(m_db->scalar(QStringLiteral("SELECT ip FROM server")).toString(), QStringLiteral("192.168.1.20"));
        QCOMPARE(m_db->scalar(QStringLiteral("SELECT COUNT(*) FROM server")), QVariant(1));
        QCOMPARE(m_dialogs->last().text, QStringLiteral("The System Needs to be Restarted"));
        QCOMPARE(m_dialogs->last().title, QStringLiteral("Closing Client"));
        QCOMPARE(m_dialogs->last().icon, Dialogs::Icon::Information);
        QCOMPARE(ended.count(), 1);

        // The next start reads the new address.
        delete m_window;
        auto next = std::make_unique<RemoteWindow>(m_quiet->serverPort());
        QVERIFY(next->load());
        QCOMPARE(next->serverAddress(), QStringLiteral("192.168.1.20"));
    }

    // The key is asked for with a new address; the command line stores it the same way.
    void siteKeyIsAskedWithTheAddress_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QVariant>("stored");
        const QString key = QStringLiteral("0123-4567-89ab-cdef-0123-4567-89ab-cdef");
        QTest::newRow("a key") << key << QVariant(key);
        QTest::newRow("a key in capitals, without dashes") << " 0123456789ABCDEF0123456789ABCDEF " << QVariant(key);
        QTest::newRow("none") << "" << QVariant();
        QTest::newRow("too short") << "0123-4567" << QVariant(QStringLiteral("unchanged"));
        QTest::newRow("not hex") << "0123-4567-89ab-cdef-0123-4567-89ab-cdeg" << QVariant(QStringLiteral("unchanged"));
    }

    void siteKeyIsAskedWithTheAddress()
    {
        QFETCH(QString, typed);
        QFETCH(QVariant, stored);
        const QString before = SiteKey::generate();
        m_db->exec(QStringLiteral("UPDATE server SET site_key = ?"), {before});
        const bool refused = stored == QVariant(QStringLiteral("unchanged"));
        const auto storedKey = [this] {
            const QVariant value = m_db->scalar(QStringLiteral("SELECT site_key FROM server"));
            return value.isNull() ? QVariant() : QVariant(value.toString());
        };
        openWindow(m_quiet->serverPort());
        QSignalSpy ended(m_window.data(), &RemoteWindow::endRequested);
        m_dialogs->queueText(QStringLiteral("10.1.1.9"));
        m_dialogs->queueText(typed);
        QTest::mouseClick(button("konek"), Qt::LeftButton);
        QCOMPARE(m_dialogs->boxes.at(1).kind, QStringLiteral("input"));
        QVERIFY(m_dialogs->boxes.at(1).text.startsWith(QStringLiteral("Please Enter the Site Key")));
        QCOMPARE(ended.count(), refused ? 0 : 1);
        QCOMPARE(m_db->scalar(QStringLiteral("SELECT ip FROM server")).toString(),
                 refused ? QStringLiteral("127.0.0.1") : QStringLiteral("10.1.1.9"));
        QCOMPARE(storedKey(), refused ? QVariant(before) : stored);
        if (refused)
            QVERIFY2(m_dialogs->last().text.contains(QStringLiteral("is not a site key")),
                     qPrintable(m_dialogs->last().text));

        QString error;
        m_db->exec(QStringLiteral("UPDATE server SET site_key = ?"), {before});
        QCOMPARE(RemoteWindow::storeSiteKey(typed, &error), !refused);
        QCOMPARE(storedKey(), refused ? QVariant(before) : stored);
    }

    void addressThatCannotBeStoredKeepsTheProgramRunning()
    {
        openWindow(m_quiet->serverPort());
        QSignalSpy ended(m_window.data(), &RemoteWindow::endRequested);
        m_db->exec(QStringLiteral("DROP TABLE server"));
        m_dialogs->queueText(QStringLiteral("10.1.1.1"));
        QTest::mouseClick(button("konek"), Qt::LeftButton);
        QVERIFY2(m_dialogs->last().text.startsWith(QStringLiteral("The server's address could not be stored")),
                 qPrintable(m_dialogs->last().text));
        QCOMPARE(ended.count(), 0);
    }

    void closeAsksFirst_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("yes");
        QTest::newRow("button, no") << "button" << false;
        QTest::newRow("button, yes") << "button" << true;
        QTest::newRow("Enter on the button, yes") << "enter" << true;
        QTest::newRow("window frame, no") << "frame" << false;
        QTest::newRow("window frame, yes") << "frame" << true;
    }

    void closeAsksFirst()
    {
        QFETCH(QString, how);
        QFETCH(bool, yes);
        openWindow(m_quiet->serverPort());
        m_dialogs->queueAnswer(yes ? Dialogs::Answer::Yes : Dialogs::Answer::No);
        if (how == "button") {
            QTest::mouseClick(button("PushButton1"), Qt::LeftButton);
        } else if (how == "enter") {
            button("PushButton1")->setFocus();
            QTest::keyClick(button("PushButton1"), Qt::Key_Return);
        } else {
            m_window->windowHandle()->close(); // as the desktop closes it
        }
        QCOMPARE(m_dialogs->boxes.size(), 1);
        QCOMPARE(m_dialogs->last().text, QStringLiteral("Are You Sure to Exit Qorvil"));
        QCOMPARE(m_dialogs->last().title, QStringLiteral("You're About to Close Qorvil Client"));
        QCOMPARE(m_dialogs->last().buttons, Dialogs::Buttons::YesNo);
        QCOMPARE(m_dialogs->last().icon, Dialogs::Icon::Question);
        if (yes)
            QTRY_VERIFY(!m_window);
        else
            QVERIFY(m_window && m_window->isVisible());
    }

    void windowShowsItsControlsAndTheTerminalsClock()
    {
        openWindow(m_quiet->serverPort());
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Qorvil Client"));
        QCOMPARE(m_window->objectName(), QStringLiteral("Remote"));
        QCOMPARE(label("Label1")->text(), QStringLiteral("03/02/2026 09:15:30"));
        QVERIFY(label("Label1")->font().bold());
        QCOMPARE(label("Label1")->font().family(), QStringLiteral("Times New Roman"));
        QCOMPARE(label("Label2")->text(), QStringLiteral("Employee ID"));
        QCOMPARE(label("Label3")->text(), QStringLiteral("Name "));
        QCOMPARE(label("Label4")->text(), QStringLiteral("Action "));
        QVERIFY(m_window->findChild<QGroupBox*>(QStringLiteral("GroupBox1")));
        QVERIFY(!label("Picture1")->pixmap().isNull());
        QCOMPARE(button("konek")->text(), QStringLiteral("Connect to Server"));
        QCOMPARE(button("PushButton1")->text(), QStringLiteral("Close this Window"));
        QVERIFY(!button("konek")->icon().isNull() && !button("PushButton1")->icon().isNull());

        auto* timer = m_window->findChild<QTimer*>(QStringLiteral("Timer1"));
        QVERIFY(timer);
        m_clock->advance(61);
        QTRY_COMPARE(label("Label1")->text(), QStringLiteral("03/02/2026 09:16:31"));
    }

    void withoutDatabaseTheWindowDoesNotOpen()
    {
        Database::close();
        RemoteWindow window(m_quiet->serverPort());
        QVERIFY(!window.load());
        QCOMPARE(m_dialogs->last().text, QStringLiteral("Could not open database ..."));
        QCOMPARE(m_dialogs->last().title, QStringLiteral("Connection Failed"));
        QCOMPARE(m_dialogs->last().icon, Dialogs::Icon::Exclamation);
        QVERIFY(!m_quiet->waitForNewConnection(0));
    }

private:
    void openWindow(quint16 port, int connectTimeoutMs = RemoteWindow::kConnectTimeoutMs)
    {
        m_window = new RemoteWindow(port);
        m_window->setConnectTimeout(connectTimeoutMs);
        QVERIFY(m_window->load());
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
    }

    QLineEdit* text1() const { return m_window->findChild<QLineEdit*>(QStringLiteral("Text1")); }
    QLabel* label(const char* name) const { return m_window->findChild<QLabel*>(QLatin1String(name)); }
    QPushButton* button(const char* name) const { return m_window->findChild<QPushButton*>(QLatin1String(name)); }

    void punch(const QString& id)
    {
        QTest::keyClicks(text1(), id);
        QTest::keyClick(text1(), Qt::Key_Return);
    }

    // Reads the server's database through a connection of its own, as the administrator would.
    QString serverValue(const QString& sql)
    {
        QString value;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("serverCheck"));
            db.setDatabaseName(m_serverDb);
            if (db.open()) {
                QSqlQuery query(db);
                if (query.exec(sql) && query.next())
                    value = query.value(0).toString();
            }
        }
        QSqlDatabase::removeDatabase(QStringLiteral("serverCheck"));
        return value;
    }

    const QString m_siteKey = SiteKey::generate();
    QTemporaryDir m_serverDir;
    QString m_serverDb;
    QProcess m_server;
    QByteArray m_serverOut;
    quint16 m_serverPort = 0;

    std::unique_ptr<TempDatabase> m_db;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<FixedClock> m_clock;
    std::unique_ptr<QTcpServer> m_quiet; // accepts terminals and says nothing
    QPointer<RemoteWindow> m_window;
};

QTEST_MAIN(TestClient)
#include "test_client.moc"
