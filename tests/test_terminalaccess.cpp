// Which terminals the server takes: allowed addresses and ranges, unknown and plain terminals, the site key.
#include "core/net/sitekey.h"
#include "core/net/terminalaccess.h"
#include "core/net/terminallistener.h"
#include "core/settings.h"
#include "core/sites/sites.h"
#include "server/punch/terminalnoticeboxes.h"
#include "server/shell/allowedterminalswindow.h"
#include "server/shell/terminalkeywindow.h"
#include "server/shell/terminalswindow.h"
#include "tests/support/encryptedterminal.h"
#include "tests/support/fixedclock.h"
#include "tests/support/loopbackterminal.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/tempdatabase.h"
#include "widgets/childwindows.h"
#include "widgets/formwindow.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSslCipher>
#include <QTest>
#include <QTreeWidget>
#include <memory>
#include <vector>

namespace {

QStringList rowsOf(const QTreeWidget* list)
{
    QStringList rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QStringList cells;
        for (int column = 0; column < list->columnCount(); ++column)
            cells << list->topLevelItem(i)->text(column);
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

} // namespace

class TestTerminalAccess : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_db = std::make_unique<TempDatabase>();
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_clock = std::make_unique<FixedClock>(QDateTime(QDate(2026, 3, 2), QTime(8, 0, 0)));
        m_db->addEmployee(QStringLiteral("E100"), QStringLiteral("Ann"), QStringLiteral("Lee"));
        m_notices = std::make_unique<TerminalNoticeBoxes>();
        m_listener = std::make_unique<TerminalListener>(0, *m_notices);
        QVERIFY(m_listener->start());
        m_key = SiteKey::generate();
    }

    void cleanup()
    {
        for (const char* name : {"Terminals", "AllowedTerminals", "TerminalKey"})
            delete ChildWindows::find(QLatin1String(name));
        m_listener.reset();
        m_notices.reset();
        m_clock.reset();
        m_dialogs.reset();
        m_db.reset();
    }

    void addressesAndRanges_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored"); // or the start of the message
        QTest::addColumn<QString>("inside");
        QTest::addColumn<QString>("outside");
        QTest::addColumn<bool>("warns"); // asks before it is added: it takes in everyone
        QTest::newRow("every IPv4 address") << "0.0.0.0/0"
                                            << "0.0.0.0/0"
                                            << "203.0.113.9"
                                            << "2001:db8::1" << true;
        QTest::newRow("every IPv6 address, not every IPv4 one") << "::/0"
                                                                << "::/0"
                                                                << "2001:db8::1"
                                                                << "203.0.113.9" << true;
        QTest::newRow("leading zero, octal to some programs") << "010.1.2.3"
                                                              << "\"010.1.2.3\" has a number with a leading zero"
                                                              << ""
                                                              << "" << false;
        QTest::newRow("leading zero in a netmask") << "10.0.0.0/255.000.0.0"
                                                   << "\"/255.000.0.0\" is not a range"
                                                   << ""
                                                   << "" << false;
        QTest::newRow("signed prefix") << "10.0.0.0/+8"
                                       << "\"/+8\" is not a range"
                                       << ""
                                       << "" << false;
        QTest::newRow("IPv4 address") << " 192.168.1.20 "
                                      << "192.168.1.20"
                                      << "192.168.1.20"
                                      << "192.168.1.21" << false;
        QTest::newRow("IPv4 range cut to its network") << "192.168.1.7/24"
                                                       << "192.168.1.0/24"
                                                       << "192.168.1.200"
                                                       << "192.168.2.1" << false;
        QTest::newRow("IPv4 netmask") << "10.0.0.0/255.0.0.0"
                                      << "10.0.0.0/8"
                                      << "10.20.30.40"
                                      << "11.0.0.1" << false;
        QTest::newRow("IPv6 address") << "2001:DB8::7"
                                      << "2001:db8::7"
                                      << "2001:db8::7"
                                      << "2001:db8::8" << false;
        QTest::newRow("IPv6 range") << "2001:db8::/32"
                                    << "2001:db8::/32"
                                    << "2001:db8:1::5"
                                    << "2001:db9::1" << false;
        QTest::newRow("IPv4 written as IPv6, peer on a dual-stack socket") << "::ffff:10.0.0.5"
                                                                           << "10.0.0.5"
                                                                           << "::ffff:10.0.0.5"
                                                                           << "10.0.0.6" << false;
        QTest::newRow("shortened IPv4") << "10.1"
                                        << "\"10.1\" is not an IP address."
                                        << ""
                                        << "" << false;
        QTest::newRow("prefix too long") << "1.2.3.4/33"
                                         << "\"/33\" is not a range"
                                         << ""
                                         << "" << false;
        QTest::newRow("interface scope") << "fe80::1%eth0"
                                         << "\"fe80::1%eth0\" is not an IP address."
                                         << ""
                                         << "" << false;
        QTest::newRow("a name") << "frontdesk"
                                << "\"frontdesk\" is not an IP address."
                                << ""
                                << "" << false;
        QTest::newRow("nothing") << "  "
                                 << "No address was typed."
                                 << ""
                                 << "" << false;
    }

    void addressesAndRanges()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(QString, inside);
        QFETCH(QString, outside);
        QFETCH(bool, warns);
        QString error;
        const std::optional<QString> normal = TerminalAccess::normalize(typed, &error);
        if (inside.isEmpty()) {
            QVERIFY(!normal);
            QVERIFY2(error.startsWith(stored), qPrintable(error));
            QVERIFY2(error.contains(QStringLiteral("192.168.1.0/24")), qPrintable(error)); // says what would do
            return;
        }
        QCOMPARE(normal.value_or(error), stored);
        QCOMPARE(!TerminalAccess::warning(stored).isEmpty(), warns);
        const TerminalAccess::AllowedList list({*normal});
        QVERIFY(list.contains(QHostAddress(inside)));
        QVERIFY(!list.contains(QHostAddress(outside)));
    }

    void whoIsServed_data()
    {
        QTest::addColumn<QString>("allowed");
        QTest::addColumn<bool>("acceptUnknown");
        QTest::addColumn<bool>("acceptPlain");
        QTest::addColumn<QString>("terminal"); // plain, right key, wrong key, another identity, no server key
        QTest::addColumn<QString>("expected"); // greeted (no notice), announced (notice, then greeted), refused
        QTest::newRow("allowed address") << "127.0.0.1" << false << true << "plain"
                                         << "greeted";
        QTest::newRow("allowed range") << "127.0.0.0/8" << false << true << "plain"
                                       << "greeted";
        QTest::newRow("unknown, accepted") << "10.0.0.0/8" << true << true << "plain"
                                           << "announced";
        QTest::newRow("unknown, refused") << "10.0.0.0/8" << false << true << "plain"
                                          << "refused";
        QTest::newRow("plain, refused") << "127.0.0.1" << true << false << "plain"
                                        << "refused";
        QTest::newRow("encrypted, allowed") << "127.0.0.1" << true << false << "right key"
                                            << "greeted";
        QTest::newRow("encrypted, unknown") << "" << true << true << "right key"
                                            << "announced";
        QTest::newRow("wrong key") << "127.0.0.1" << true << true << "wrong key"
                                   << "refused";
        QTest::newRow("right key, another identity") << "127.0.0.1" << true << true << "another identity"
                                                     << "refused";
        QTest::newRow("no key made yet") << "127.0.0.1" << true << true << "no server key"
                                         << "refused";
    }

    void whoIsServed()
    {
        QFETCH(QString, allowed);
        QFETCH(bool, acceptUnknown);
        QFETCH(bool, acceptPlain);
        QFETCH(QString, terminal);
        QFETCH(QString, expected);
        QString error;
        if (!allowed.isEmpty())
            QVERIFY2(TerminalAccess::add({allowed, QStringLiteral("test")}, &error), qPrintable(error));
        QVERIFY(TerminalAccess::setOn(Settings::kAcceptUnknownTerminals, acceptUnknown, &error));
        QVERIFY(TerminalAccess::setOn(Settings::kAcceptPlainTerminals, acceptPlain, &error));
        if (terminal != QLatin1String("no server key"))
            QVERIFY(Settings::setValue(Settings::kTerminalSiteKey, m_key, &error));
        QSignalSpy refused(m_listener.get(), &TerminalListener::refused);

        std::unique_ptr<LoopbackTerminal> plain;
        std::unique_ptr<EncryptedTerminal> encrypted;
        if (terminal == QLatin1String("plain"))
            plain = std::make_unique<LoopbackTerminal>(m_listener->port());
        else
            encrypted = std::make_unique<EncryptedTerminal>(
                m_listener->port(),
                *SiteKey::parse(terminal == QLatin1String("wrong key") ? SiteKey::generate() : m_key),
                terminal == QLatin1String("another identity") ? QByteArrayLiteral("intruder") : QByteArray());
        QTcpSocket& socket = plain ? plain->socket : encrypted->socket;
        const QByteArray& received = plain ? plain->received : encrypted->received;
        const auto send = [&](const QByteArray& bytes) { plain ? plain->send(bytes) : encrypted->send(bytes); };

        if (expected == QLatin1String("refused")) {
            QTRY_COMPARE(refused.count(), 1);
            QTRY_COMPARE(socket.state(), QAbstractSocket::UnconnectedState);
            QCOMPARE(received, QByteArray());
            QCOMPARE(m_notices->refusedCount(), 1);
            QVERIFY(m_dialogs->boxes.isEmpty());
            QCOMPARE(m_listener->connectedIndexes(), QList<qint64>());
            return;
        }
        QTRY_COMPARE(received, QByteArray("CRA"));
        QCOMPARE(m_dialogs->texts(), expected == QLatin1String("announced")
                                         ? QStringList{QStringLiteral("Connected with 127.0.0.1")}
                                         : QStringList());
        send("E100\n");
        QTRY_COMPARE(received, QByteArray("CRARINAnn Lee"));
        const QList<TerminalListener::ConnectedTerminal> connected = m_listener->connectedTerminals();
        QCOMPARE(connected.size(), 1);
        QCOMPARE(connected.first().encrypted, bool(encrypted));
        QCOMPARE(connected.first().allowed, expected == QLatin1String("greeted"));
        QCOMPARE(refused.count(), 0);
    }

    // What a capture of the network sees of an encrypted terminal's punch; the Terminals window says how it came.
    void encryptedPunchShowsNothingInClear()
    {
        QString error;
        QVERIFY(Settings::setValue(Settings::kTerminalSiteKey, m_key, &error));
        QVERIFY(TerminalAccess::setOn(Settings::kAcceptPlainTerminals, false, &error));
        QVERIFY(TerminalAccess::add({QStringLiteral("127.0.0.1"), QString()}, &error));
        RecordingRelay relay(m_listener->port());
        EncryptedTerminal terminal(relay.port(), *SiteKey::parse(m_key));
        QTRY_COMPARE(terminal.received, QByteArray("CRA"));
        terminal.send("E100\n");
        QTRY_COMPARE(terminal.received, QByteArray("CRARINAnn Lee"));
        QVERIFY2(terminal.socket.sessionCipher().name().startsWith(QStringLiteral("ECDHE-PSK-")),
                 qPrintable(terminal.socket.sessionCipher().name()));
        QVERIFY(relay.seen.size() > 100);
        for (const char* clear : {"E100", "Ann", "Lee", "CRA", "RIN"})
            QVERIFY2(!relay.seen.contains(clear), clear);

        QCOMPARE(TerminalsWindow::showConnected(m_listener->connectedTerminals()), TerminalsWindow::Shown::Yes);
        auto* list = ChildWindows::find(QStringLiteral("Terminals"))->findChild<QTreeWidget*>("ListView1");
        QCOMPARE(list->headerItem()->text(1), QStringLiteral("Encrypted"));
        QCOMPARE(list->headerItem()->text(2), QStringLiteral("Allowed"));
        QCOMPARE(rowsOf(list), QStringList{"127.0.0.1|Yes|Yes|"});
    }

    // On a database shared by sites, the office sees every site's terminals or one site's; its own Terminals
    // command rewrites only its own site's rows.
    void terminalsOfEverySiteOrOne()
    {
        QString error;
        Sites::setCurrent(QStringLiteral("North"));
        QVERIFY(Sites::publishTerminals(
            {{QStringLiteral("10.0.0.1"), true, true}, {QStringLiteral("10.0.0.2"), false, true}}, &error));
        Sites::setCurrent(QStringLiteral("South"));
        QVERIFY(Sites::publishTerminals({{QStringLiteral("10.1.0.1"), true, false}}, &error));
        Sites::setCurrent(QStringLiteral("North"));
        QCOMPARE(TerminalsWindow::showConnected(m_listener->connectedTerminals()), TerminalsWindow::Shown::Yes);
        Sites::setCurrent(QString());
        QWidget* window = ChildWindows::find(QStringLiteral("Terminals"));
        auto* list = window->findChild<QTreeWidget*>("ListView1");
        auto* site = window->findChild<QComboBox*>("ComboSite");
        QCOMPARE(site->count(), 3);
        QCOMPARE(site->currentText(), QStringLiteral("North")); // its own site first
        QCOMPARE(rowsOf(list), QStringList{});
        site->setCurrentIndex(0);
        QCOMPARE(rowsOf(list), QStringList{"10.1.0.1|Yes|No|South"});
        site->setCurrentText(QStringLiteral("South"));
        QCOMPARE(rowsOf(list), QStringList{"10.1.0.1|Yes|No|South"});
    }

    // Connections that fail their handshake, or start one and stop, cost the good terminals nothing they notice.
    void floodOfFailingHandshakesDoesNotStallGoodPunches()
    {
        // In batches below the listen backlog, each with a punch from a good terminal while the batch is handled.
        constexpr int kBatches = 5;
        constexpr int kWrongKeys = 20;
        constexpr int kStalled = 6;
        constexpr qsizetype kPerBatch = kWrongKeys + kStalled;
        QString error;
        QVERIFY(Settings::setValue(Settings::kTerminalSiteKey, m_key, &error));
        // A handshake the listener waited for would hold the good punch for its whole timeout; one that is
        // handled beside the others costs it only the work of the batch, which is a fraction of that.
        const int handshakeMs = 3000 * kSanitizerSlowdown;
        m_listener->setHandshakeTimeout(handshakeMs);
        LoopbackTerminal good(m_listener->port());
        QTRY_COMPARE(good.received, QByteArray("CRA"));
        QSignalSpy accepted(m_listener.get(), &TerminalListener::accepted);
        QSignalSpy refused(m_listener.get(), &TerminalListener::refused);

        std::vector<std::unique_ptr<EncryptedTerminal>> wrong;
        std::vector<std::unique_ptr<LoopbackTerminal>> stalled;
        qint64 slowestMs = 0;
        for (int batch = 1; batch <= kBatches; ++batch) {
            for (int i = 0; i < kWrongKeys; ++i)
                wrong.push_back(
                    std::make_unique<EncryptedTerminal>(m_listener->port(), *SiteKey::parse(SiteKey::generate())));
            for (int i = 0; i < kStalled; ++i) {
                stalled.push_back(std::make_unique<LoopbackTerminal>(m_listener->port()));
                LoopbackTerminal* terminal = stalled.back().get();
                // The start of a handshake, and nothing more.
                connect(&terminal->socket, &QTcpSocket::connected, this,
                        [terminal] { terminal->send("\x16\x03\x01"); });
            }
            QElapsedTimer answered;
            answered.start();
            good.send("nobody\n");
            QTRY_COMPARE(good.received, "CRA" + QByteArray("NRF").repeated(batch));
            slowestMs = std::max(slowestMs, answered.elapsed());
            QTRY_COMPARE(accepted.count(), batch * kPerBatch);
        }
        QTRY_COMPARE_WITH_TIMEOUT(refused.count(), kBatches * kPerBatch, 15000 * kSanitizerSlowdown + handshakeMs);
        qInfo("slowest of %d punches beside %lld failing handshakes: %lld ms", kBatches, qlonglong(kBatches * kPerBatch),
              slowestMs);
        QVERIFY2(slowestMs < handshakeMs, qPrintable(QString::number(slowestMs)));
        QCOMPARE(m_listener->connectedIndexes(), QList<qint64>({1}));
        for (const auto& terminal : wrong)
            QCOMPARE(terminal->received, QByteArray());
        good.send("E100\n");
        QTRY_VERIFY(good.received.endsWith("RINAnn Lee"));
    }

    // Rules that cannot be read let nobody in: not before they were read once, and not through an entry another
    // program wrote that reads as no address. The operator is told what keeps terminals out.
    void failsClosed_data()
    {
        QTest::addColumn<QStringList>("entries"); // written as another program would; "-" hides the whole list
        QTest::addColumn<bool>("served");
        QTest::addColumn<QString>("problem"); // told to the operator (the service's log)
        QTest::newRow("rules not readable at start") << QStringList{"-"} << false << "no terminal is served";
        QTest::newRow("only unreadable entries") << QStringList{"127.0.0.1/33", "localhost", "0127.0.0.1"} << false
                                                 << "cannot be read let no terminal in: 127.0.0.1/33, localhost, "
                                                    "0127.0.0.1.";
        QTest::newRow("an unreadable entry beside a good one") << QStringList{"localhost", "127.0.0.0/8"} << true
                                                               << "cannot be read let no terminal in: localhost.";
        QTest::newRow("an entry another program wrote that reads") << QStringList{"127.0.0.7/8"} << true << "";
    }

    void failsClosed()
    {
        QFETCH(QStringList, entries);
        QFETCH(bool, served);
        QFETCH(QString, problem);
        const bool hidden = entries == QStringList{"-"};
        if (hidden)
            m_db->exec(QStringLiteral("ALTER TABLE allowed_terminals RENAME TO allowed_terminals_away"));
        else
            for (const QString& entry : entries)
                m_db->exec(QStringLiteral("INSERT INTO allowed_terminals (address, description) VALUES (?, '')"),
                           {entry});
        // The service: nobody to accept an unknown terminal, so only a list that is really empty lets everyone in.
        m_listener = std::make_unique<TerminalListener>(0, *m_notices);
        m_listener->setOperator(TerminalAccess::Operator::Absent);
        QSignalSpy told(m_listener.get(), &TerminalListener::accessProblem);
        QSignalSpy refused(m_listener.get(), &TerminalListener::refused);
        QVERIFY(m_listener->start());
        const QString said = told.isEmpty() ? QString() : told.last().first().toString();
        QVERIFY2(problem.isEmpty() ? said.isEmpty() : said.contains(problem), qPrintable(said));

        LoopbackTerminal terminal(m_listener->port());
        if (served) {
            QTRY_COMPARE(terminal.received, QByteArray("CRA"));
            terminal.send("E100\n");
            QTRY_COMPARE(terminal.received, QByteArray("CRARINAnn Lee"));
            return;
        }
        QTRY_COMPARE(refused.count(), 1);
        QTRY_COMPARE(terminal.socket.state(), QAbstractSocket::UnconnectedState);
        QCOMPARE(terminal.received, QByteArray());
        if (!hidden)
            return;
        QVERIFY2(refused.first().at(1).toString().startsWith(QStringLiteral("the allowed terminals could not be read")),
                 qPrintable(refused.first().at(1).toString()));
        // Once they can be read, an empty list serves everyone again, and the operator hears the problem is over.
        m_db->exec(QStringLiteral("ALTER TABLE allowed_terminals_away RENAME TO allowed_terminals"));
        LoopbackTerminal later(m_listener->port());
        QTRY_COMPARE(later.received, QByteArray("CRA"));
        QCOMPARE(told.last().first().toString(), QString());
    }

    // A change of the rules or the key closes the connected terminals it no longer allows, at once when made here
    // and within a few seconds when made by another program; the others keep punching.
    void changeClosesTerminalsNoLongerAllowed_data()
    {
        QTest::addColumn<QString>("terminal"); // plain or encrypted, from 127.0.0.1
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("reason"); // why it was closed; empty when it stays
        QTest::newRow("plain ones refused") << "plain"
                                            << "plain off"
                                            << "connected without encryption, and plain terminals are no longer "
                                               "accepted";
        QTest::newRow("a new key") << "encrypted"
                                   << "new key"
                                   << "connected with a site key that is no longer accepted";
        QTest::newRow("its address removed") << "plain"
                                             << "remove"
                                             << "no longer an allowed terminal";
        QTest::newRow("its address removed by another program") << "plain"
                                                                << "delete"
                                                                << "no longer an allowed terminal";
        QTest::newRow("another address added") << "encrypted"
                                               << "add"
                                               << "";
    }

    void changeClosesTerminalsNoLongerAllowed()
    {
        QFETCH(QString, terminal);
        QFETCH(QString, change);
        QFETCH(QString, reason);
        QString error;
        QVERIFY(TerminalAccess::add({QStringLiteral("127.0.0.1"), QString()}, &error));
        QVERIFY(TerminalAccess::setOn(Settings::kAcceptUnknownTerminals, false, &error));
        QVERIFY(TerminalAccess::setSiteKey(m_key, &error));
        std::unique_ptr<LoopbackTerminal> plain;
        std::unique_ptr<EncryptedTerminal> encrypted;
        if (terminal == QLatin1String("plain"))
            plain = std::make_unique<LoopbackTerminal>(m_listener->port());
        else
            encrypted = std::make_unique<EncryptedTerminal>(m_listener->port(), *SiteKey::parse(m_key));
        QTcpSocket& socket = plain ? plain->socket : encrypted->socket;
        const QByteArray& received = plain ? plain->received : encrypted->received;
        const auto send = [&](const QByteArray& bytes) { plain ? plain->send(bytes) : encrypted->send(bytes); };
        QTRY_COMPARE(received, QByteArray("CRA"));
        send("E100\n");
        QTRY_COMPARE(received, QByteArray("CRARINAnn Lee"));
        QSignalSpy refused(m_listener.get(), &TerminalListener::refused);

        if (change == QLatin1String("plain off"))
            QVERIFY(TerminalAccess::setOn(Settings::kAcceptPlainTerminals, false, &error));
        else if (change == QLatin1String("new key"))
            QVERIFY(TerminalAccess::setSiteKey(SiteKey::generate(), &error));
        else if (change == QLatin1String("remove"))
            QVERIFY(TerminalAccess::remove(QStringLiteral("127.0.0.1"), &error));
        else if (change == QLatin1String("delete"))
            m_db->exec(QStringLiteral("DELETE FROM allowed_terminals"));
        else
            QVERIFY(TerminalAccess::add({QStringLiteral("10.0.0.0/8"), QString()}, &error));

        if (reason.isEmpty()) {
            send("E100\n");
            QTRY_COMPARE(received, QByteArray("CRARINAnn LeeOUTAnn Lee"));
            QCOMPARE(m_listener->connectedIndexes().size(), 1);
            QCOMPARE(refused.count(), 0);
            return;
        }
        QTRY_COMPARE_WITH_TIMEOUT(refused.count(), 1, 2 * TerminalListener::kRulesCheckMs + 1000);
        QCOMPARE(refused.first().at(1).toString(), reason);
        QTRY_COMPARE(socket.state(), QAbstractSocket::UnconnectedState);
        QCOMPARE(m_listener->connectedIndexes(), QList<qint64>());
        QCOMPARE(received, QByteArray("CRARINAnn Lee"));
        QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM timesheet")).toInt(), 1);
    }

    void allowedTerminalsWindowStoresEachChange()
    {
        auto* window = ChildWindows::open<AllowedTerminalsWindow>(QStringLiteral("AllowedTerminals"));
        QVERIFY(window);
        auto* list = window->findChild<QTreeWidget*>("ListView1");
        auto* address = window->findChild<QLineEdit*>("Text1");
        auto* description = window->findChild<QLineEdit*>("Text2");
        auto* unknown = window->findChild<QCheckBox*>("CheckBox1");
        auto* plain = window->findChild<QCheckBox*>("CheckBox2");
        const auto add = [&](const QString& typed, const QString& what) {
            address->setText(typed);
            description->setText(what);
            QTest::mouseClick(window->findChild<QPushButton*>("PushButton1"), Qt::LeftButton);
        };
        QVERIFY(unknown->isChecked() && plain->isChecked()); // nothing set: both on

        add(QStringLiteral("192.168.1.7/24"), QStringLiteral("Front office"));
        QCOMPARE(rowsOf(list), QStringList{"192.168.1.0/24|Front office"});
        QCOMPARE(address->text(), QString());
        QVERIFY(m_dialogs->boxes.isEmpty());

        add(QStringLiteral("10.1"), QString());
        QCOMPARE(m_dialogs->last().title, QStringLiteral("Allowed Terminals"));
        QCOMPARE(m_dialogs->last().icon, Dialogs::Icon::Exclamation);
        QVERIFY(m_dialogs->last().text.startsWith(QStringLiteral("\"10.1\" is not an IP address.")));
        QCOMPARE(address->text(), QStringLiteral("10.1")); // kept, to be corrected
        add(QStringLiteral("192.168.1.0/24"), QString());
        QCOMPARE(m_dialogs->last().text, QStringLiteral("192.168.1.0/24 is already in the list."));
        // A range that takes in everyone is added only when confirmed.
        m_dialogs->queueAnswer(Dialogs::Answer::No);
        add(QStringLiteral("0.0.0.0/0"), QString());
        QVERIFY(m_dialogs->last().text.startsWith(QStringLiteral("0.0.0.0/0 takes in every IPv4 address")));
        QCOMPARE(address->text(), QStringLiteral("0.0.0.0/0"));
        m_dialogs->queueAnswer(Dialogs::Answer::Yes);
        add(QStringLiteral("::/0"), QString());
        QCOMPARE(TempDatabase::rows(QStringLiteral("SELECT address FROM allowed_terminals ORDER BY id")),
                 (QList<QVariantList>{{QStringLiteral("192.168.1.0/24")}, {QStringLiteral("::/0")}}));

        // An entry another program wrote that reads as no address is marked, and said to let nobody in.
        auto* unreadable = window->findChild<QLabel*>("Label3");
        QVERIFY(unreadable->isHidden());
        m_db->exec(QStringLiteral("INSERT INTO allowed_terminals (address, description) VALUES ('localhost', '')"));
        QVERIFY(window->load());
        QVERIFY(!unreadable->isHidden());
        QCOMPARE(unreadable->text(), QStringLiteral("1 entry (marked) cannot be read and lets no terminal in. Remove it "
                                                    "and add the address again."));
        QVERIFY(list->topLevelItem(2)->toolTip(0).contains(QStringLiteral("\"localhost\" is not an IP address.")));
        QVERIFY(list->topLevelItem(1)->toolTip(0).isEmpty());
        m_db->exec(QStringLiteral("DELETE FROM allowed_terminals WHERE address <> '192.168.1.0/24'"));
        QVERIFY(window->load());
        QVERIFY(unreadable->isHidden());

        unknown->click();
        plain->click();
        QCOMPARE(Settings::value(Settings::kAcceptUnknownTerminals), QStringLiteral("0"));
        QCOMPARE(Settings::value(Settings::kAcceptPlainTerminals), QStringLiteral("0"));

        list->setCurrentItem(list->topLevelItem(0));
        QTest::mouseClick(window->findChild<QPushButton*>("PushButton2"), Qt::LeftButton);
        QCOMPARE(list->topLevelItemCount(), 0);
        QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM allowed_terminals")).toInt(), 0);
    }

    void terminalKeyWindowMakesTheKeyOnceAndANewOneOnRequest()
    {
        const auto open = [] {
            auto* window = ChildWindows::open<TerminalKeyWindow>(QStringLiteral("TerminalKey"));
            return window ? window->findChild<QLineEdit*>("Text1")->text() : QString();
        };
        // A key that cannot be read now is not replaced by a new one.
        QVERIFY(TerminalAccess::setSiteKey(m_key, nullptr));
        m_db->exec(QStringLiteral("ALTER TABLE settings RENAME TO settings_away"));
        QCOMPARE(open(), QString());
        QVERIFY(m_dialogs->last().text.startsWith(QStringLiteral("The site key could not be read")));
        m_db->exec(QStringLiteral("ALTER TABLE settings_away RENAME TO settings"));
        QCOMPARE(Settings::value(Settings::kTerminalSiteKey), m_key);
        m_db->exec(QStringLiteral("DELETE FROM settings"));

        const QString first = open();
        QVERIFY2(SiteKey::parse(first), qPrintable(first));
        QCOMPARE(Settings::value(Settings::kTerminalSiteKey), first);
        delete ChildWindows::find(QStringLiteral("TerminalKey"));
        QCOMPARE(open(), first);

        FormWindow* window = ChildWindows::find(QStringLiteral("TerminalKey"));
        QTest::mouseClick(window->findChild<QPushButton*>("PushButton1"), Qt::LeftButton);
        QCOMPARE(QGuiApplication::clipboard()->text(), first);

        auto* makeNew = window->findChild<QPushButton*>("PushButton2");
        m_dialogs->queueAnswer(Dialogs::Answer::No);
        QTest::mouseClick(makeNew, Qt::LeftButton);
        QCOMPARE(Settings::value(Settings::kTerminalSiteKey), first);
        m_dialogs->queueAnswer(Dialogs::Answer::Yes);
        QTest::mouseClick(makeNew, Qt::LeftButton);
        const QString second = window->findChild<QLineEdit*>("Text1")->text();
        QVERIFY(second != first && SiteKey::parse(second));
        QCOMPARE(Settings::value(Settings::kTerminalSiteKey), second);
    }

private:
    std::unique_ptr<TempDatabase> m_db;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<FixedClock> m_clock;
    std::unique_ptr<TerminalNoticeBoxes> m_notices;
    std::unique_ptr<TerminalListener> m_listener;
    QString m_key;
};

QTEST_MAIN(TestTerminalAccess)
#include "test_terminalaccess.moc"
