#include "core/net/terminallistener.h"
#include "core/settings.h"
#include "core/store/database.h"
#include "server/punch/terminalnoticeboxes.h"
#include "server/shell/terminalswindow.h"
#include "tests/support/fixedclock.h"
#include "tests/support/loopbackterminal.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/tempdatabase.h"
#include "widgets/childwindows.h"
#include "widgets/formwindow.h"

#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <cerrno>
#include <cstring>
#include <memory>

namespace {

} // namespace

class TestListener : public QObject
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
        QVERIFY(m_listener->port() != 0);
    }

    void cleanup()
    {
        if (FormWindow* window = ChildWindows::find(QStringLiteral("Terminals")))
            delete window;
        m_listener.reset();
        m_notices.reset();
        m_clock.reset();
        m_dialogs.reset();
        m_db.reset();
    }

    void idSentBeforeTheNoticeIsDismissedIsAnsweredAndCraFollowsOnce()
    {
        m_dialogs->holdNotices(true);
        LoopbackTerminal terminal(m_listener->port());
        QVERIFY(terminal.connected());
        QTRY_COMPARE(m_dialogs->pendingNotices(), 1);
        const ScriptedDialogs::Box notice = m_dialogs->last();
        QCOMPARE(notice.kind, QStringLiteral("notice"));
        QCOMPARE(notice.text, QStringLiteral("Connected with 127.0.0.1"));
        QCOMPARE(notice.title, QStringLiteral("Client Accepted"));
        QCOMPARE(notice.icon, Dialogs::Icon::Information);

        // The notice is still up: the punch is served, the greeting waits.
        terminal.send("nobody");
        QTRY_COMPARE(terminal.received, QByteArray("NRF"));

        QVERIFY(m_dialogs->dismissNotice());
        QTRY_COMPARE(terminal.received, QByteArray("NRFCRA"));

        QSignalSpy handled(m_listener.get(), &TerminalListener::punchHandled);
        terminal.send("stranger");
        QVERIFY(handled.wait());
        QTRY_COMPARE(terminal.received, QByteArray("NRFCRANRF"));
    }

    // The hours a terminal asks for after a punch's answer, which itself stays byte for byte as it always was.
    // The week began on Sunday 03/01 with 4 hours; today the employee came at 06:00.
    void hoursAfterAPunch_data()
    {
        QTest::addColumn<bool>("refuseUnknown");
        QTest::newRow("unknown terminals accepted") << false;
        QTest::newRow("unknown terminals refused after this one connected") << true;
    }

    void hoursAfterAPunch()
    {
        QFETCH(bool, refuseUnknown);
        m_db->addTimesheet(QStringLiteral("E100"), QDate(2026, 3, 1),
                           {QStringLiteral("08:00:00"), QStringLiteral("12:00:00")});
        m_db->addTimesheet(QStringLiteral("E100"), QDate(2026, 3, 2), {QStringLiteral("06:00:00")});
        LoopbackTerminal terminal(m_listener->port());
        QVERIFY(terminal.connected());
        QTRY_COMPARE(terminal.received, QByteArray("CRA"));
        const auto ask = [&terminal](const QByteArray& before, const QByteArray& answer) {
            terminal.send(Protocol::hoursRequestToWire());
            QTRY_COMPARE(terminal.received, before + answer);
            terminal.received.clear();
        };
        ask("CRA", "HRS\n"); // no punch yet: nobody to tell about

        terminal.send("E100"); // a bare ID, as other makers' terminals send it: out at 08:00
        QTRY_COMPARE(terminal.received, QByteArray("OUTAnn Lee"));
        if (refuseUnknown) {
            QVERIFY(Settings::setValue(Settings::kAcceptUnknownTerminals, QStringLiteral("0")));
            ask("OUTAnn Lee", "NRF");
            return;
        }
        ask("OUTAnn Lee", "HRS2:00 6:00\n");

        // Back at 10:15; asked at 11:20, the open pair counts 65 minutes.
        m_clock->advance(2 * 3600 + 15 * 60);
        terminal.send("E100\n");
        QTRY_COMPARE(terminal.received, QByteArray("RINAnn Lee"));
        m_clock->advance(65 * 60);
        ask("RINAnn Lee", "HRS3:05 7:05\n");
    }

    void firstPunchSignsInSecondSignsOut()
    {
        LoopbackTerminal terminal(m_listener->port());
        QVERIFY(terminal.connected());
        QTRY_COMPARE(terminal.received, QByteArray("CRA"));

        terminal.send("E100");
        QTRY_COMPARE(terminal.received, QByteArray("CRARINAnn Lee"));
        QCOMPARE(m_db->scalar(QStringLiteral("SELECT in1 FROM timesheet WHERE emp_id = 'E100' AND rsdate = "
                                             "'2026-03-02'"))
                     .toString(),
                 QStringLiteral("08:00:00"));

        m_clock->advance(4 * 3600);
        terminal.send("E100");
        QTRY_COMPARE(terminal.received, QByteArray("CRARINAnn LeeOUTAnn Lee"));
        QCOMPARE(m_db->scalar(QStringLiteral("SELECT out1 FROM timesheet WHERE emp_id = 'E100'")).toString(),
                 QStringLiteral("12:00:00"));
    }

    // Terminals whose IDs arrive together are stored together; a punch the store refuses costs no
    // other punch of its group, and gets no answer itself.
    void punchesArrivingTogether()
    {
        m_db->addEmployee(QStringLiteral("E200"), QStringLiteral("Bo"), QStringLiteral("Ek"));
        m_db->addEmployee(QStringLiteral("BAD"), QStringLiteral("Cy"), QStringLiteral("Ng"));
        m_db->exec(QStringLiteral("CREATE TRIGGER refuse_bad BEFORE INSERT ON timesheet WHEN NEW.emp_id = 'BAD' "
                                  "BEGIN SELECT RAISE(ABORT, 'refused for the test'); END"));
        std::vector<std::unique_ptr<LoopbackTerminal>> terminals;
        for (int i = 0; i < 3; ++i) {
            terminals.push_back(std::make_unique<LoopbackTerminal>(m_listener->port()));
            QVERIFY(terminals.back()->connected());
            QTRY_COMPARE(terminals.back()->received, QByteArray("CRA"));
        }
        QSignalSpy handled(m_listener.get(), &TerminalListener::punchHandled);
        // All three are in the server's receive buffers before its event loop looks again.
        terminals[0]->send("E100");
        terminals[1]->send("BAD");
        terminals[2]->send("E200");
        QTRY_COMPARE(handled.count(), 3);
        QTRY_COMPARE(terminals[0]->received, QByteArray("CRARINAnn Lee"));
        QTRY_COMPARE(terminals[2]->received, QByteArray("CRARINBo Ek"));
        QCOMPARE(terminals[1]->received, QByteArray("CRA"));
        QCOMPARE(m_db->scalar(QStringLiteral("SELECT group_concat(emp_id) FROM (SELECT emp_id FROM timesheet "
                                             "ORDER BY emp_id)"))
                     .toString(),
                 QStringLiteral("E100,E200"));
        QCOMPARE(m_dialogs->last().title, QStringLiteral("Punch Not Recorded"));

        // A second round: the same three again, now signing out; still nothing for the refused one.
        m_clock->advance(3600);
        terminals[0]->send("E100");
        terminals[1]->send("BAD");
        terminals[2]->send("E200");
        QTRY_COMPARE(handled.count(), 6);
        QTRY_COMPARE(terminals[0]->received, QByteArray("CRARINAnn LeeOUTAnn Lee"));
        QTRY_COMPARE(terminals[2]->received, QByteArray("CRARINBo EkOUTBo Ek"));
        QCOMPARE(terminals[1]->received, QByteArray("CRA"));
        QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM timesheet WHERE out1 = '09:00:00'")).toInt(), 2);
    }

    void punchesThatRecordNothingGetNoReply_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QVariantList>("today");
        QTest::addColumn<int>("outcome");
        const QVariantList full = {t("08:00:00"), t("12:00:00"), t("13:00:00"),
                                   t("17:00:00"), t("18:00:00"), t("19:00:00")};
        QTest::newRow("full day") << "E100" << full << int(PunchResult::Outcome::NoFreeSlot);
        const QVariantList blanks(6, t("00:00:00"));
        QTest::newRow("editor's blank slots") << "E100" << blanks << int(PunchResult::Outcome::NoFreeSlot);
        QTest::newRow("case-only match") << "e100" << QVariantList() << int(PunchResult::Outcome::CaseOnly);
    }

    void punchesThatRecordNothingGetNoReply()
    {
        QFETCH(QString, id);
        QFETCH(QVariantList, today);
        QFETCH(int, outcome);
        if (!today.isEmpty())
            m_db->addTimesheet(QStringLiteral("E100"), QDate(2026, 3, 2), today);
        const QVariant rowsBefore = m_db->scalar(QStringLiteral("SELECT COUNT(*) FROM timesheet"));

        LoopbackTerminal terminal(m_listener->port());
        QVERIFY(terminal.connected());
        QTRY_COMPARE(terminal.received, QByteArray("CRA"));
        QSignalSpy handled(m_listener.get(), &TerminalListener::punchHandled);
        terminal.send(id.toUtf8());
        QVERIFY(handled.wait());
        QCOMPARE(handled.first().at(2).value<PunchResult::Outcome>(), PunchResult::Outcome(outcome));

        // Whatever the server sent for the punch would arrive before the answer to this probe.
        terminal.send("nobody");
        QTRY_COMPARE(terminal.received, QByteArray("CRANRF"));
        QCOMPARE(m_db->scalar(QStringLiteral("SELECT COUNT(*) FROM timesheet")), rowsBefore);
        QCOMPARE(m_db->scalar(QStringLiteral("SELECT COUNT(*) FROM timesheet WHERE in1 = '08:00:00' AND out3 IS "
                                             "NULL")),
                 QVariant(0));
    }

    void punchTheStoreRefusedGetsNoReplyAndIsReported()
    {
        LoopbackTerminal terminal(m_listener->port());
        QVERIFY(terminal.connected());
        QTRY_COMPARE(terminal.received, QByteArray("CRA"));
        // Answered once the punches' own connection is open: the table goes from under it, not before it opens.
        terminal.send("nobody");
        QTRY_COMPARE(terminal.received, QByteArray("CRANRF"));
        m_db->exec(QStringLiteral("DROP TABLE timesheet"));
        QSignalSpy handled(m_listener.get(), &TerminalListener::punchHandled);
        terminal.send("E100");
        QVERIFY(handled.wait());
        QCOMPARE(handled.first().at(2).value<PunchResult::Outcome>(), PunchResult::Outcome::StoreFailed);
        QCOMPARE(m_dialogs->last().title, QStringLiteral("Punch Not Recorded"));
        QVERIFY(m_dialogs->last().text.contains(QStringLiteral("E100")));

        terminal.send("nobody");
        QTRY_COMPARE(terminal.received, QByteArray("CRANRFNRF"));
    }

    void socketsAreNumberedInArrivalAndNeverReused()
    {
        QSignalSpy accepted(m_listener.get(), &TerminalListener::accepted);
        std::vector<std::unique_ptr<LoopbackTerminal>> terminals;
        for (const char* from : {"127.0.0.11", "127.0.0.12", "127.0.0.13"}) {
            terminals.push_back(std::make_unique<LoopbackTerminal>(m_listener->port(), QString::fromLatin1(from)));
            QVERIFY(terminals.back()->connected());
            QTRY_COMPARE(accepted.count(), int(terminals.size()));
        }
        QCOMPARE(accepted.at(0).at(0).toLongLong(), 1);
        QCOMPARE(accepted.at(1).at(0).toLongLong(), 2);
        QCOMPARE(accepted.at(2).at(0).toLongLong(), 3);

        terminals[1]->socket.disconnectFromHost();
        QTRY_COMPARE(m_listener->connectedIndexes(), QList<qint64>({1, 3}));
        QCOMPARE(m_listener->socket(2), nullptr);

        terminals[1] = std::make_unique<LoopbackTerminal>(m_listener->port(), QStringLiteral("127.0.0.12"));
        QVERIFY(terminals[1]->connected());
        QTRY_COMPARE(accepted.count(), 4);
        QCOMPARE(accepted.at(3).at(0).toLongLong(), 4);
        QCOMPARE(m_listener->connectionCount(), 4);
        // A silent connection is a terminal once the wait for a first byte is over.
        QTRY_COMPARE(m_listener->connectedIndexes(), QList<qint64>({1, 3, 4}));

        QCOMPARE(TerminalsWindow::showConnected(m_listener->connectedTerminals()), TerminalsWindow::Shown::Yes);
        QSqlQuery rows(gConn);
        QVERIFY(rows.exec(QStringLiteral("SELECT ip FROM Terminal ORDER BY id")));
        QStringList stored;
        while (rows.next())
            stored << rows.value(0).toString();
        const QStringList expected = {QStringLiteral("127.0.0.11"), QStringLiteral("127.0.0.13"),
                                      QStringLiteral("127.0.0.12")};
        QCOMPARE(stored, expected);

        auto* window = ChildWindows::find(QStringLiteral("Terminals"));
        QVERIFY(window);
        QCOMPARE(window->windowTitle(), QStringLiteral("Terminals Connected"));
        auto* list = window->findChild<QTreeWidget*>(QStringLiteral("ListView1"));
        QVERIFY(list);
        QCOMPARE(list->headerItem()->text(0), QStringLiteral("IP Address"));
        QStringList shown;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            shown << list->topLevelItem(i)->text(0);
        QCOMPARE(shown, expected);

        // A terminal leaving is a close, not an error.
        for (const ScriptedDialogs::Box& box : m_dialogs->boxes)
            QVERIFY2(!box.text.startsWith(QStringLiteral("Socket Error")), qPrintable(box.text));
    }

    void noTerminalLeavesTheListEmpty()
    {
        m_db->exec(QStringLiteral("INSERT INTO Terminal (ip) VALUES ('10.0.0.9'), ('10.0.0.10')"));
        QCOMPARE(TerminalsWindow::showConnected(m_listener->connectedTerminals()), TerminalsWindow::Shown::Yes);
        QCOMPARE(m_db->scalar(QStringLiteral("SELECT COUNT(*) FROM Terminal")), QVariant(0));
        auto* window = ChildWindows::find(QStringLiteral("Terminals"));
        QVERIFY(window);
        QCOMPARE(window->findChild<QTreeWidget*>(QStringLiteral("ListView1"))->topLevelItemCount(), 0);

        QPointer<FormWindow> guard(window);
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("PushButton1")), Qt::LeftButton);
        QTRY_VERIFY(!guard);
    }

    void terminalListWithoutDatabaseTellsTheOwner()
    {
        Database::close();
        QCOMPARE(TerminalsWindow::showConnected(m_listener->connectedTerminals()),
                 TerminalsWindow::Shown::DatabaseNotOpen);
        QCOMPARE(m_dialogs->last().text, QStringLiteral("Could not open database ..."));
        QCOMPARE(m_dialogs->last().title, QStringLiteral("Connection Failed"));
        QCOMPARE(m_dialogs->last().icon, Dialogs::Icon::Exclamation);
        QVERIFY(!ChildWindows::find(QStringLiteral("Terminals")));
    }

    void socketErrorIsShownAndClosesOnlyThatTerminal()
    {
        LoopbackTerminal first(m_listener->port());
        QVERIFY(first.connected());
        QTRY_COMPARE(first.received, QByteArray("CRA"));
        QTcpSocket* serverSide = m_listener->socket(1);
        QVERIFY(serverSide);
        Q_EMIT serverSide->errorOccurred(QAbstractSocket::NetworkError);

        const ScriptedDialogs::Box box = m_dialogs->last();
        QCOMPARE(box.kind, QStringLiteral("notice"));
        // The system's number and words, not the toolkit's code.
        QVERIFY2(box.text.startsWith(QStringLiteral("Socket Error %1: ").arg(ENETUNREACH)), qPrintable(box.text));
        QCOMPARE(box.title, QString());
        QCOMPARE(box.icon, Dialogs::Icon::None);
        QCOMPARE(m_listener->socket(1), nullptr);
        QTRY_COMPARE(first.socket.state(), QAbstractSocket::UnconnectedState);

        LoopbackTerminal second(m_listener->port());
        QVERIFY(second.connected());
        second.send("E100");
        QTRY_COMPARE(second.received, QByteArray("CRARINAnn Lee"));
        QCOMPARE(m_listener->connectedIndexes(), QList<qint64>({2}));
    }

    void badInputNeverCrashesOrWritesARow_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("1 MiB block") << QByteArray(1 << 20, 'A');
        QTest::newRow("binary and NULs") << QByteArray("\x00\x01\xff\xfe\x7f\x00"
                                                       "E100\x00\x1b[2J",
                                                       15);
        QTest::newRow("known ID then NUL") << QByteArray("E100\0", 5);
        QTest::newRow("invalid UTF-8") << QByteArray("\xc3\x28\xa0\xa1\xf0\x28\x8c\x28");
        QTest::newRow("quote") << QByteArray("O'Brien");
        QTest::newRow("always-true condition") << QByteArray("' OR '1'='1");
        QTest::newRow("statement after a quote") << QByteArray("E100'; DROP TABLE Employee; --");
        QTest::newRow("double quotes") << QByteArray("\"E100\"");
    }

    void badInputNeverCrashesOrWritesARow()
    {
        QFETCH(QByteArray, bytes);
        QSignalSpy handled(m_listener.get(), &TerminalListener::punchHandled);
        QSignalSpy closed(m_listener.get(), &TerminalListener::socketClosed);
        {
            LoopbackTerminal bad(m_listener->port());
            QVERIFY(bad.connected());
            bad.send(bytes);
            // The server reads everything sent before it sees the terminal leave.
            bad.socket.disconnectFromHost();
            QTRY_COMPARE_WITH_TIMEOUT(closed.count(), 1, 20000);
            QVERIFY(!bad.received.contains("RIN") && !bad.received.contains("OUT"));
        }
        QTRY_VERIFY(handled.count() >= 1); // text without a line end is punched when the terminal leaves
        for (const QList<QVariant>& punch : handled) {
            const auto outcome = punch.at(2).value<PunchResult::Outcome>();
            QVERIFY(outcome == PunchResult::Outcome::NotFound || outcome == PunchResult::Outcome::CaseOnly);
        }
        QCOMPARE(m_db->scalar(QStringLiteral("SELECT COUNT(*) FROM timesheet")), QVariant(0));
        QCOMPARE(m_db->scalar(QStringLiteral("SELECT COUNT(*) FROM Employee")), QVariant(1));

        LoopbackTerminal good(m_listener->port());
        QVERIFY(good.connected());
        good.send("E100");
        QTRY_COMPARE(good.received, QByteArray("CRARINAnn Lee"));
    }

    void floodOfConnectionsLeavesTheServerServingAndSmall()
    {
        constexpr int kConnections = 2000;
        constexpr int kBatch = 25; // below the listen backlog, so no connect waits on an unanswered handshake
        m_dialogs->holdNotices(true);
        QSignalSpy accepted(m_listener.get(), &TerminalListener::accepted);
        QSignalSpy closed(m_listener.get(), &TerminalListener::socketClosed);
        const qint64 before = residentKiB();

        for (int done = 0; done < kConnections; done += kBatch) {
            std::vector<std::unique_ptr<LoopbackTerminal>> batch;
            for (int i = 0; i < kBatch; ++i) {
                batch.push_back(std::make_unique<LoopbackTerminal>(m_listener->port()));
                QVERIFY(batch.back()->connected());
            }
            QTRY_COMPARE(accepted.count(), done + kBatch);
            for (auto& terminal : batch)
                terminal->socket.abort();
            QTRY_COMPARE(closed.count(), done + kBatch);
        }
        QCOMPARE(m_listener->connectionCount(), kConnections);
        QCOMPARE(m_listener->connectedIndexes(), QList<qint64>());
        QTRY_COMPARE(m_listener->findChildren<QTcpSocket*>().size(), 0);

        // At most the notice on screen is left: those of terminals that left before theirs came up were dropped, and
        // a terminal that leaves before its first byte or the end of the wait for it raises none.
        QVERIFY(m_dialogs->pendingNotices() <= 1);
        while (m_dialogs->dismissNotice()) {
        }
        m_dialogs->holdNotices(false);

        LoopbackTerminal late(m_listener->port());
        QVERIFY(late.connected());
        late.send("E100");
        QTRY_VERIFY(late.received == "CRARINAnn Lee" || late.received == "RINAnn LeeCRA");
        QCOMPARE(accepted.last().at(0).toLongLong(), kConnections + 1);

        const qint64 grownKiB = residentKiB() - before;
        qInfo("resident memory grew by %lld KiB over %d connections", grownKiB, kConnections);
        VERIFY_MEMORY_GROWTH(grownKiB, 32 * 1024);
    }

    void portInUseIsReportedOnceThenRetriedQuietly()
    {
        QTcpServer blocker;
        QVERIFY(blocker.listen(QHostAddress::Any, 0));
        const quint16 taken = blocker.serverPort();
        m_dialogs->clear();

        TerminalListener listener(taken, *m_notices);
        listener.setRetryInterval(20);
        QVERIFY(!listener.start());
        QCOMPARE(m_dialogs->boxes.size(), 1);
        QVERIFY2(m_dialogs->last().text.startsWith(QStringLiteral("Socket Error %1: %2")
                                                       .arg(EADDRINUSE)
                                                       .arg(QString::fromLocal8Bit(std::strerror(EADDRINUSE)))),
                 qPrintable(m_dialogs->last().text));
        QCOMPARE(m_dialogs->last().icon, Dialogs::Icon::None);

        auto* retry = listener.findChild<QTimer*>(QStringLiteral("listenRetry"));
        QVERIFY(retry);
        QSignalSpy retries(retry, &QTimer::timeout);
        QTRY_VERIFY(retries.count() >= 3);
        QVERIFY(!listener.isListening());
        QCOMPARE(m_dialogs->boxes.size(), 1);

        blocker.close();
        QTRY_VERIFY(listener.isListening());
        QCOMPARE(listener.port(), taken);
        LoopbackTerminal terminal(taken);
        QVERIFY(terminal.connected());
        QTRY_COMPARE(terminal.received, QByteArray("CRA"));
        QCOMPARE(m_dialogs->boxes.size(), 2); // the greeting's notice, nothing more
    }

private:
    std::unique_ptr<TempDatabase> m_db;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<FixedClock> m_clock;
    std::unique_ptr<TerminalNoticeBoxes> m_notices;
    std::unique_ptr<TerminalListener> m_listener;
};

QTEST_MAIN(TestListener)
#include "test_listener.moc"
