// The server under attack: bad input on the terminal port, floods of connections, kills under load and a
// failing store. `make test` runs each case at a small scale; QORVIL_SOAK=1 (`make soak`) at full scale.

#include "core/audit/audittrail.h"
#include "core/protocol.h"
#include "core/store/database.h"
#include "core/store/recordset.h"
#include "server/employees/employeewindow.h"
#include "server/punch/clockwindow.h"
#include "server/punch/terminallistener.h"
#include "server/serverstate.h"
#include "tests/support/fixedclock.h"
#include "tests/support/loopbackterminal.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/tempdatabase.h"
#include "widgets/childwindows.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTcpSocket>
#include <QTest>
#include <algorithm>
#include <cctype>
#include <csignal>
#include <map>
#include <memory>
#include <numeric>

namespace {

// Generous: the machine is shared, and a wait only ends early when the awaited thing happened.
constexpr int kWait = 60000;

bool soak()
{
    return qEnvironmentVariableIsSet("QORVIL_SOAK");
}

// Every row of a table, every column, in id order: what "nothing already stored is damaged" compares.
QList<QVariantList> rowsOf(const QString& table)
{
    QList<QVariantList> rows;
    QSqlQuery query(gConn);
    if (!query.exec(QStringLiteral("SELECT * FROM %1 ORDER BY id").arg(table)))
        return rows;
    while (query.next()) {
        QVariantList row;
        for (int i = 0; i < query.record().count(); ++i)
            row << query.value(i);
        rows << row;
    }
    return rows;
}

const QStringList kIds = {QStringLiteral("E100"), QStringLiteral("Ab7"), QStringLiteral("x'9"),
                          QStringLiteral("Zed-42")};

// One generated block for the terminal port. None is exactly an employee's ID.
QByteArray fuzzBlock(QRandomGenerator& rng, int n)
{
    const QByteArray id = kIds.at(n % kIds.size()).toUtf8();
    auto randomBytes = [&rng](qsizetype length) {
        QByteArray bytes(length, Qt::Uninitialized);
        for (qsizetype i = 0; i < length; ++i)
            bytes[i] = char(rng.bounded(256));
        return bytes;
    };
    static const QList<QByteArray> invalidUtf8 = {"\xc3\x28",     "\xa0\xa1",        "\xe2\x28\xa1", "\xf0\x28\x8c\x28",
                                                  "\xf8\xa1\xa1", "\xc0\xaf",        "\xed\xa0\x80", "\xff",
                                                  "\xfe\xfe",     "\xef\xbf\xbe\xc3"};
    static const QList<QByteArray> sql = {"'",
                                          "''",
                                          "' OR '1'='1",
                                          "' OR 1=1 --",
                                          "'; DROP TABLE Employee; --",
                                          "'; DELETE FROM timesheet; --",
                                          "\"; UPDATE Employee SET emp_id = 'x'; --",
                                          "' UNION SELECT * FROM admin --",
                                          "%",
                                          "_",
                                          "E1%",
                                          "\\",
                                          "?",
                                          "NULL",
                                          "#03/02/2026#",
                                          "*"};

    if (n == 0)
        return randomBytes(1 << 20); // the largest block, once for sure
    if (n % 100 == 50)
        return QByteArray(rng.bounded(64 << 10, 1 << 20), char("'A\0 "[rng.bounded(4)]));
    switch (n % 8) {
    case 0:
        return randomBytes(rng.bounded(4096));
    case 1: { // NULs around, inside and instead of an ID
        QByteArray bytes = id;
        bytes.insert(rng.bounded(bytes.size() + 1), QByteArray(1 + rng.bounded(3), '\0'));
        return rng.bounded(4) == 0 ? QByteArray(1 + rng.bounded(64), '\0') : bytes;
    }
    case 2: { // invalid UTF-8 glued to an ID
        const QByteArray bad = invalidUtf8.at(rng.bounded(invalidUtf8.size()));
        return rng.bounded(2) ? id + bad : bad + id;
    }
    case 3: { // quotes and SQL text, alone or after an ID
        const QByteArray text = sql.at(rng.bounded(sql.size()));
        return rng.bounded(2) ? text : id + text;
    }
    case 4: { // the same letters in another case
        QByteArray bytes = id;
        for (int tries = 0; bytes == id && tries < 16; ++tries) {
            for (char& c : bytes) {
                if (std::isalpha(uchar(c)) && rng.bounded(2))
                    c = char(std::isupper(uchar(c)) ? std::tolower(uchar(c)) : std::toupper(uchar(c)));
            }
        }
        return bytes == id ? id.toLower() + "\t" : bytes;
    }
    case 5: { // blanks and line ends around an ID
        static const QList<QByteArray> around = {" ", "  ", "\t", "\r\n", "\n", "\xc2\xa0"};
        const QByteArray blank = around.at(rng.bounded(around.size()));
        return rng.bounded(3) ? id + blank : blank + id;
    }
    case 6: { // one character more or less
        return rng.bounded(2) ? id.left(id.size() - 1) : id + char('0' + rng.bounded(10));
    }
    default:
        return rng.bounded(10) == 0 ? QByteArray() : randomBytes(1 + rng.bounded(64));
    }
}

} // namespace

class TestHardening : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup();
    void protocolFuzz();
    void connectionFlood();
    void crashLoop();
    void storeFaults_data();
    void storeFaults();

private:
    void seedEmployees(TempDatabase& db);
};

void TestHardening::cleanup()
{
    for (const QString& name : {QStringLiteral("Clock"), QStringLiteral("Employee")}) {
        if (FormWindow* window = ChildWindows::find(name))
            delete window;
    }
    gEmpID.clear();
}

void TestHardening::seedEmployees(TempDatabase& db)
{
    db.addEmployee(kIds.at(0), QStringLiteral("Ann"), QStringLiteral("Lee"));
    db.addEmployee(kIds.at(1), QStringLiteral("Bo"), QStringLiteral("Ek"));
    db.addEmployee(kIds.at(2), QStringLiteral("Cy"), QStringLiteral("O'Neil"));
    db.addEmployee(kIds.at(3), QStringLiteral("Di"), QStringLiteral("Fox"));
}

void TestHardening::protocolFuzz()
{
    const int blocks = soak() ? 10000 : 1000;
    constexpr int kConnections = 8;
    TempDatabase db;
    ScriptedDialogs dialogs;
    FixedClock clock;
    seedEmployees(db);
    const QList<QVariantList> employeesBefore = rowsOf(QStringLiteral("Employee"));
    RecordSet loaded; // the clock window's view of the employees
    QVERIFY(loaded.open(QStringLiteral("Select * from employee")));
    const QSet<QString> ids(kIds.cbegin(), kIds.cend());

    TerminalListener listener(0);
    QVERIFY(listener.start());
    std::map<qint64, int> handled;
    QStringList violations;
    int signedIn = 0;
    connect(&listener, &TerminalListener::punchHandled, this,
            [&](qint64 index, const QString& id, PunchResult::Outcome outcome) {
                ++handled[index];
                const bool recorded =
                    outcome == PunchResult::Outcome::SignedIn || outcome == PunchResult::Outcome::SignedOut;
                signedIn += recorded ? 1 : 0;
                if (recorded && !ids.contains(id))
                    violations << id.left(40);
                if (outcome == PunchResult::Outcome::StoreFailed)
                    violations << QStringLiteral("store failed for ") + id.left(40);
            });

    std::vector<std::unique_ptr<LoopbackTerminal>> terminals;
    for (int i = 0; i < kConnections; ++i) {
        terminals.push_back(std::make_unique<LoopbackTerminal>(listener.port()));
        QVERIFY(terminals.back()->connected(kWait));
        QTRY_COMPARE_WITH_TIMEOUT(terminals.back()->received, QByteArray("CRA"), kWait);
    }
    // Connections are numbered in arrival order: terminal c is socket c + 1.
    // A real terminal punches now and then, each time on a new day, so every one of its punches signs in.
    LoopbackTerminal control(listener.port());
    QVERIFY(control.connected(kWait));
    QTRY_COMPARE_WITH_TIMEOUT(control.received, QByteArray("CRA"), kWait);
    QByteArray controlExpected("CRA");
    int controlPunches = 0;
    const QStringList names = {QStringLiteral("Ann Lee"), QStringLiteral("Bo Ek"), QStringLiteral("Cy O'Neil"),
                               QStringLiteral("Di Fox")};

    QRandomGenerator rng(20260302);
    qint64 bytesSent = 0;
    QElapsedTimer elapsed;
    elapsed.start();
    for (int n = 0; n < blocks;) {
        std::map<qint64, int> waitFor; // connection index -> punches handled before this round
        for (int c = 0; c < kConnections && n < blocks; ++c, ++n) {
            const QByteArray block = fuzzBlock(rng, n);
            QVERIFY2(!ids.contains(Protocol::fromWire(block)), block.constData());
            // The clock window's rules, fed the same text, find nobody either.
            const PunchResult direct = Punch::recordFromLoadedEmployees(loaded, Protocol::fromWire(block));
            QCOMPARE(direct.outcome, PunchResult::Outcome::NotFound);
            bytesSent += block.size();
            if (block.isEmpty())
                continue;
            const qint64 index = c + 1;
            waitFor[index] = handled[index];
            terminals[c]->send(block);
        }
        for (const auto& [index, before] : waitFor)
            QTRY_VERIFY_WITH_TIMEOUT(handled[index] > before, kWait);

        if (n % 200 < kConnections) {
            clock.advance(24 * 3600);
            control.send(kIds.at(controlPunches % kIds.size()).toUtf8());
            controlExpected += "RIN" + names.at(controlPunches % names.size()).toUtf8();
            ++controlPunches;
            QTRY_COMPARE_WITH_TIMEOUT(control.received, controlExpected, kWait);
        }
    }
    // A last block on each connection: once it is handled, everything sent before it has been read.
    for (int c = 0; c < kConnections; ++c) {
        const qint64 index = c + 1;
        const int before = handled[index];
        terminals[c]->send("end of fuzz");
        QTRY_VERIFY_WITH_TIMEOUT(handled[index] > before, kWait);
    }
    QTRY_VERIFY_WITH_TIMEOUT(
        std::all_of(terminals.begin(), terminals.end(), [](const auto& t) { return t->received.endsWith("NRF"); }),
        kWait);
    qInfo("fuzz: %d blocks, %lld bytes over %d connections, %d reads handled, %d control punches, %lld ms", blocks,
          bytesSent, kConnections,
          std::accumulate(handled.begin(), handled.end(), 0, [](int sum, const auto& h) { return sum + h.second; }),
          controlPunches, elapsed.elapsed());

    QVERIFY2(violations.isEmpty(), qPrintable(violations.join(QStringLiteral(" | "))));
    QCOMPARE(signedIn, controlPunches);
    // What the fuzzing terminals got is only their greeting and "NRF": never a sign-in or sign-out.
    for (const auto& terminal : terminals) {
        QCOMPARE(terminal->received.size() % 3, 0);
        QVERIFY(terminal->received.startsWith("CRA"));
        for (qsizetype i = 3; i < terminal->received.size(); i += 3)
            QCOMPARE(terminal->received.mid(i, 3), QByteArray("NRF"));
    }
    QCOMPARE(control.received, controlExpected);

    // Rows exist only for the control punches, each under an exact ID.
    QSqlQuery rows(gConn);
    QVERIFY(rows.exec(QStringLiteral("SELECT emp_id FROM timesheet")));
    int stored = 0;
    while (rows.next()) {
        QVERIFY2(ids.contains(rows.value(0).toString()), qPrintable(rows.value(0).toString()));
        ++stored;
    }
    QCOMPARE(stored, controlPunches);
    QCOMPARE(rowsOf(QStringLiteral("Employee")), employeesBefore);
    QVERIFY(listener.isListening());
}

void TestHardening::connectionFlood()
{
    const int total = soak() ? 10000 : 1000;
    constexpr int kBatch = 40; // below the listen backlog, so no connect waits on a refused handshake
    TempDatabase db;
    ScriptedDialogs dialogs;
    FixedClock clock;
    seedEmployees(db);
    TerminalListener listener(0);
    QVERIFY(listener.start());
    QList<qint64> accepted;
    int closed = 0;
    connect(&listener, &TerminalListener::accepted, this, [&](qint64 index) { accepted << index; });
    connect(&listener, &TerminalListener::socketClosed, this, [&] { ++closed; });

    LoopbackTerminal control(listener.port());
    QVERIFY(control.connected(kWait));
    QTRY_COMPARE_WITH_TIMEOUT(control.received, QByteArray("CRA"), kWait);
    QByteArray controlExpected("CRA");
    int controlPunches = 0;

    qint64 idleKiB = 0;
    qint64 peakKiB = 0;
    int socketErrorBoxes = 0;
    QElapsedTimer elapsed;
    elapsed.start();
    for (int done = 0; done < total; done += kBatch) {
        std::vector<std::unique_ptr<LoopbackTerminal>> batch;
        for (int i = 0; i < kBatch; ++i) {
            batch.push_back(std::make_unique<LoopbackTerminal>(listener.port()));
            QVERIFY(batch.back()->connected(kWait));
        }
        QTRY_COMPARE_WITH_TIMEOUT(int(accepted.size()), 1 + done + kBatch, kWait);
        for (int i = 0; i < kBatch; ++i) {
            QTcpSocket& socket = batch[i]->socket;
            switch ((done + i) % 5) {
            case 0: // gone at once
                socket.abort();
                break;
            case 1: // half an ID, then gone
                socket.write("E1");
                socket.flush();
                socket.abort();
                break;
            case 2: // a large block cut off while it is still being sent
                socket.write(QByteArray(256 << 10, 'x'));
                socket.flush();
                socket.abort();
                break;
            case 3: // a punch for nobody, then an orderly close
                batch[i]->send("nobody");
                socket.disconnectFromHost();
                break;
            default: // an orderly close without a word
                socket.disconnectFromHost();
                break;
            }
        }
        QTRY_COMPARE_WITH_TIMEOUT(closed, done + kBatch, kWait);
        batch.clear();
        for (const ScriptedDialogs::Box& box : dialogs.boxes)
            socketErrorBoxes += box.text.startsWith(QStringLiteral("Socket Error")) ? 1 : 0;
        dialogs.clear();

        // The server keeps serving the terminal that stayed, on a new day each time.
        if ((done / kBatch) % 10 == 0) {
            clock.advance(24 * 3600);
            control.send("E100");
            controlExpected += "RINAnn Lee";
            ++controlPunches;
            QTRY_COMPARE_WITH_TIMEOUT(control.received, controlExpected, kWait);
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        peakKiB = std::max(peakKiB, residentKiB());
        if (done == 5 * kBatch) // after a warm-up, so the first allocations of each kind are in the idle level
            idleKiB = residentKiB();
    }
    QTRY_COMPARE_WITH_TIMEOUT(listener.findChildren<QTcpSocket*>().size(), 1, kWait);
    const qint64 afterKiB = residentKiB();
    qInfo("flood: %d connections in %lld ms; resident memory idle %lld KiB, peak %lld KiB, after %lld KiB", total,
          elapsed.elapsed(), idleKiB, peakKiB, afterKiB);

    // Indexes in arrival order, each given out once.
    QCOMPARE(int(accepted.size()), total + 1);
    for (int i = 0; i < accepted.size(); ++i)
        QCOMPARE(accepted.at(i), qint64(i + 1));
    QCOMPARE(listener.connectionCount(), qint64(total + 1));
    QCOMPARE(listener.connectedIndexes(), QList<qint64>({1}));
    QCOMPARE(socketErrorBoxes, 0); // terminals that go away, even abruptly, are closes
    QVERIFY2(afterKiB - idleKiB < 8 * 1024, qPrintable(QString::number(afterKiB - idleKiB)));

    LoopbackTerminal late(listener.port());
    QVERIFY(late.connected(kWait));
    late.send("Ab7");
    QTRY_VERIFY_WITH_TIMEOUT(late.received == "CRARINBo Ek" || late.received == "RINBo EkCRA", kWait);
    QCOMPARE(accepted.last(), qint64(total + 2));
    // Only the real punches left rows, under their exact IDs.
    QCOMPARE(db.scalar(QStringLiteral("SELECT COUNT(*) FROM timesheet WHERE emp_id COLLATE BINARY IN ('E100', "
                                      "'Ab7')"))
                 .toInt(),
             controlPunches + 1);
    QCOMPARE(db.scalar(QStringLiteral("SELECT COUNT(*) FROM timesheet")).toInt(), controlPunches + 1);
}

void TestHardening::crashLoop()
{
    const int cycles = soak() ? 20 : 3;
    constexpr int kTerminals = 6;
    constexpr int kPerTerminal = 8; // employees each terminal punches for, six times a day at most
    const QString helper = QCoreApplication::applicationDirPath() + QStringLiteral("/helper_serverprocess");
    QVERIFY2(QFile::exists(helper), qPrintable(helper));
    TempDatabase db;
    for (int e = 0; e < kTerminals * kPerTerminal; ++e)
        db.addEmployee(QStringLiteral("C%1").arg(e), QStringLiteral("F%1").arg(e), QStringLiteral("L%1").arg(e));
    const QString path = db.path();
    Database::close();

    QRandomGenerator rng(4242);
    int answeredTotal = 0;
    int inFlightTotal = 0;
    qint64 storedEarlier = 0; // slots filled on the days of earlier cycles
    for (int cycle = 0; cycle < cycles; ++cycle) {
        const QDate day = QDate(2026, 1, 1).addDays(cycle);
        QProcess server;
        server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        server.start(helper, {path, day.toString(Qt::ISODate)});
        QVERIFY(server.waitForStarted());
        QByteArray banner;
        while (!banner.contains('\n')) {
            QVERIFY2(server.waitForReadyRead(kWait), "the server did not start listening");
            banner += server.readAllStandardOutput();
        }
        QVERIFY2(banner.startsWith("port "), banner.constData());
        const quint16 port = quint16(banner.mid(5).trimmed().toUInt());

        // Each terminal punches for its own employees, one punch at a time, each answer awaited.
        struct Load
        {
            std::unique_ptr<LoopbackTerminal> terminal;
            int next = 0;        // punches sent so far
            QString pending;     // the employee whose punch is unanswered
            QByteArray expected; // the answer it must get
            std::map<QString, int> answered;
        };
        std::vector<Load> loads(kTerminals);
        auto sendNext = [&](Load& load, int t) {
            if (load.next >= kPerTerminal * 6) {
                load.pending.clear();
                return;
            }
            const int e = t * kPerTerminal + load.next % kPerTerminal;
            load.pending = QStringLiteral("C%1").arg(e);
            const bool in = load.answered[load.pending] % 2 == 0;
            load.expected = (in ? "RIN" : "OUT") + QStringLiteral("F%1 L%1").arg(e).toUtf8();
            ++load.next;
            load.terminal->send(load.pending.toUtf8());
        };
        int answered = 0;
        QStringList wrong;
        for (int t = 0; t < kTerminals; ++t) {
            loads[t].terminal = std::make_unique<LoopbackTerminal>(port);
            QVERIFY(loads[t].terminal->connected(kWait));
            QTRY_COMPARE_WITH_TIMEOUT(loads[t].terminal->received, QByteArray("CRA"), kWait);
            loads[t].terminal->received.clear();
            QObject::connect(&loads[t].terminal->socket, &QTcpSocket::readyRead, [&, t] {
                Load& load = loads[t];
                if (load.pending.isEmpty() || load.terminal->received.size() < load.expected.size())
                    return;
                if (load.terminal->received != load.expected)
                    wrong << QString::fromUtf8(load.terminal->received);
                load.terminal->received.clear();
                ++load.answered[load.pending];
                ++answered;
                sendNext(load, t);
            });
        }
        const int killAfter = 10 + rng.bounded(40);
        for (int t = 0; t < kTerminals; ++t)
            sendNext(loads[t], t);
        QTRY_VERIFY_WITH_TIMEOUT(answered >= killAfter, kWait);
        ::kill(pid_t(server.processId()), SIGKILL);
        QVERIFY(server.waitForFinished(kWait));
        QCOMPARE(server.exitStatus(), QProcess::CrashExit);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral(" | "))));

        // After the kill: the file is whole, every answered punch is there once, and nothing more than the
        // punches still unanswered when the server died.
        QVERIFY(Database::open(Database::Kind::Server, path));
        QSqlQuery check(gConn);
        QVERIFY(check.exec(QStringLiteral("PRAGMA integrity_check")) && check.next());
        QCOMPARE(check.value(0).toString(), QStringLiteral("ok"));
        int inFlight = 0;
        for (int t = 0; t < kTerminals; ++t) {
            Load& load = loads[t];
            for (int k = 0; k < kPerTerminal; ++k) {
                const QString id = QStringLiteral("C%1").arg(t * kPerTerminal + k);
                QSqlQuery row(gConn);
                row.prepare(QStringLiteral("SELECT in1, out1, in2, out2, in3, out3 FROM timesheet WHERE emp_id = ? "
                                           "AND rsdate = ?"));
                row.addBindValue(id);
                row.addBindValue(day.toString(Qt::ISODate));
                QVERIFY(row.exec());
                int filled = 0;
                int rowsOfDay = 0;
                while (row.next()) {
                    ++rowsOfDay;
                    for (int s = 0; s < 6; ++s) {
                        if (row.value(s).isNull())
                            break;
                        ++filled;
                    }
                }
                const int want = load.answered[id];
                const int unanswered = load.pending == id ? 1 : 0;
                QVERIFY2(rowsOfDay <= 1, qPrintable(id));
                QVERIFY2(filled >= want && filled <= want + unanswered,
                         qPrintable(QStringLiteral("%1: %2 answered, %3 stored").arg(id).arg(want).arg(filled)));
                inFlight += unanswered;
            }
        }
        QSqlQuery earlier(gConn);
        QVERIFY(earlier.exec(QStringLiteral("SELECT COUNT(in1) + COUNT(out1) + COUNT(in2) + COUNT(out2) + "
                                            "COUNT(in3) + COUNT(out3) FROM timesheet WHERE rsdate < '%1'")
                                 .arg(day.toString(Qt::ISODate))) &&
                earlier.next());
        QCOMPARE(earlier.value(0).toLongLong(), storedEarlier);
        QSqlQuery today(gConn);
        QVERIFY(today.exec(QStringLiteral("SELECT COUNT(in1) + COUNT(out1) + COUNT(in2) + COUNT(out2) + "
                                          "COUNT(in3) + COUNT(out3) FROM timesheet WHERE rsdate = '%1'")
                               .arg(day.toString(Qt::ISODate))) &&
                today.next());
        storedEarlier += today.value(0).toLongLong();
        Database::close();
        answeredTotal += answered;
        inFlightTotal += inFlight;
    }
    qInfo("crash loop: %d cycles killed under load, %d answered punches all stored once, %d unanswered in flight",
          cycles, answeredTotal, inFlightTotal);
}

void TestHardening::storeFaults_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("database read-only") << "read-only";
    QTest::newRow("disk full") << "full";
    QTest::newRow("file moved away and back") << "moved";
    QTest::newRow("file deleted, then restored from a copy") << "deleted";
}

void TestHardening::storeFaults()
{
    QFETCH(QString, fault);
    TempDatabase db;
    ScriptedDialogs dialogs;
    FixedClock clock;
    seedEmployees(db);
    db.addTimesheet(QStringLiteral("Ab7"), clock.now().date().addDays(-1), {t("08:00:00"), t("17:00:00")});
    db.addTimesheet(QStringLiteral("Zed-42"), clock.now().date(), {t("07:00:00")});

    TerminalListener listener(0);
    QVERIFY(listener.start());
    QList<PunchResult::Outcome> outcomes;
    connect(&listener, &TerminalListener::punchHandled, this,
            [&](qint64, const QString&, PunchResult::Outcome outcome) { outcomes << outcome; });
    LoopbackTerminal terminal(listener.port());
    QVERIFY(terminal.connected(kWait));
    QTRY_COMPARE_WITH_TIMEOUT(terminal.received, QByteArray("CRA"), kWait);

    auto* clockWindow = ChildWindows::open<ClockWindow>(QStringLiteral("Clock"));
    QVERIFY(clockWindow);
    auto* idBox = clockWindow->findChild<QLineEdit*>(QStringLiteral("Text1"));
    auto* action = clockWindow->findChild<QLabel*>(QStringLiteral("Label6"));
    gEmpID = QStringLiteral("E100");
    auto* employeeWindow = ChildWindows::open<EmployeeWindow>(QStringLiteral("Employee"));
    QVERIFY(employeeWindow);
    employeeWindow->allowEdit();
    auto* lastName = employeeWindow->findChild<QLineEdit*>(QStringLiteral("emp_lname"));
    auto* editButton = employeeWindow->findChild<QPushButton*>(QStringLiteral("PushButton4"));
    QVERIFY(idBox && action && lastName && editButton);

    if (fault == QLatin1String("full")) {
        // Fill the store up to a page limit, so the next new row finds no room.
        QSqlQuery pages(gConn);
        QVERIFY(pages.exec(QStringLiteral("PRAGMA page_count")) && pages.next());
        const qint64 limit = pages.value(0).toLongLong();
        pages.finish();
        db.exec(QStringLiteral("PRAGMA max_page_count = %1").arg(limit));
        QSqlQuery fill(gConn);
        fill.prepare(QStringLiteral("INSERT INTO timesheet (emp_id, rsdate, in1) VALUES (?, '2026-01-05', "
                                    "'09:00:00')"));
        // Rows like punches, which the audit trail leaves out, so the one that found no room is a punch's size.
        const AuditTrail::PunchWrites likePunches;
        bool full = false;
        for (int i = 0; i < 100000 && !full; ++i) {
            fill.addBindValue(QStringLiteral("E100-%1").arg(i, 6, 10, QLatin1Char('0')));
            full = !fill.exec();
        }
        QVERIFY2(full && fill.lastError().text().contains(QLatin1String("full")), qPrintable(fill.lastError().text()));
    }
    const QList<QVariantList> timesheetBefore = rowsOf(QStringLiteral("timesheet"));
    const QList<QVariantList> employeesBefore = rowsOf(QStringLiteral("Employee"));
    const QString aside = db.dir() + QStringLiteral("/aside.mdb");
    const QString copy = db.dir() + QStringLiteral("/copy.mdb");
    if (fault == QLatin1String("read-only")) {
        db.exec(QStringLiteral("PRAGMA query_only = ON"));
    } else if (fault == QLatin1String("moved")) {
        QVERIFY(QFile::rename(db.path(), aside));
    } else if (fault == QLatin1String("deleted")) {
        db.exec(QStringLiteral("VACUUM INTO ?"), {copy});
        QVERIFY(QFile::remove(db.path()));
    }

    if (fault == QLatin1String("moved") || fault == QLatin1String("deleted")) {
        // Writes that go around the record sets are refused too.
        QSqlQuery raw(gConn);
        QVERIFY(!raw.exec(QStringLiteral("INSERT INTO Terminal (ip) VALUES ('10.0.0.1')")));
    }

    // A terminal's punch: no answer, and the operator is told.
    dialogs.clear();
    terminal.send("E100");
    QTRY_COMPARE_WITH_TIMEOUT(outcomes.size(), 1, kWait);
    QCOMPARE(outcomes.last(), PunchResult::Outcome::StoreFailed);
    QCOMPARE(dialogs.last().title, QStringLiteral("Punch Not Recorded"));
    if (fault == QLatin1String("moved") || fault == QLatin1String("deleted"))
        QVERIFY2(dialogs.last().text.contains(QLatin1String("no longer where it was opened")),
                 qPrintable(dialogs.last().text));
    terminal.send("nobody"); // anything sent for the punch would arrive before this answer
    QTRY_COMPARE_WITH_TIMEOUT(outcomes.size(), 2, kWait);
    QTRY_COMPARE_WITH_TIMEOUT(terminal.received, QByteArray("CRANRF"), kWait);

    // The clock window says so and keeps the ID for another try.
    dialogs.clear();
    QTest::keyClicks(idBox, QStringLiteral("Ab7"));
    QTest::keyClick(idBox, Qt::Key_Return);
    QCOMPARE(dialogs.boxes.size(), 1);
    QCOMPARE(dialogs.last().title, QStringLiteral("Punch Not Recorded"));
    QVERIFY2(dialogs.last().text.startsWith(QStringLiteral("The punch was not recorded")),
             qPrintable(dialogs.last().text));
    QCOMPARE(action->text(), QString());
    QCOMPARE(idBox->text(), QStringLiteral("Ab7"));

    // An administrative window: a change the store did not take is reported, never shown as saved.
    dialogs.clear();
    QTest::mouseClick(editButton, Qt::LeftButton);
    lastName->clear();
    QTest::keyClicks(lastName, QStringLiteral("Lee-Park"));
    QTest::mouseClick(editButton, Qt::LeftButton);
    const bool refused = !dialogs.boxes.isEmpty() && dialogs.last().title == QStringLiteral("Record Not Saved");
    if (fault != QLatin1String("full")) // a change that fits in place may still be stored on a full disk
        QVERIFY2(refused, qPrintable(dialogs.texts().join(QStringLiteral(" | "))));

    // The fault goes away; the server needs no restart.
    if (fault == QLatin1String("read-only"))
        db.exec(QStringLiteral("PRAGMA query_only = OFF"));
    else if (fault == QLatin1String("full"))
        db.exec(QStringLiteral("PRAGMA max_page_count = 1073741823"));
    else if (fault == QLatin1String("moved"))
        QVERIFY(QFile::rename(aside, db.path()));
    else
        QVERIFY(QFile::copy(copy, db.path()));

    QList<QVariantList> employeesNow = rowsOf(QStringLiteral("Employee"));
    if (refused) {
        QCOMPARE(employeesNow, employeesBefore);
    } else {
        QCOMPARE(db.scalar(QStringLiteral("SELECT emp_lname FROM Employee WHERE emp_id = 'E100'")).toString(),
                 QStringLiteral("Lee-Park"));
    }
    QCOMPARE(rowsOf(QStringLiteral("timesheet")), timesheetBefore);

    terminal.send("E100");
    QTRY_COMPARE_WITH_TIMEOUT(terminal.received, QByteArray(refused ? "CRANRFRINAnn Lee" : "CRANRFRINAnn Lee-Park"),
                              kWait);
    dialogs.clear();
    QTest::keyClick(idBox, Qt::Key_Return);
    QCOMPARE(dialogs.boxes.size(), 0);
    QCOMPARE(action->text(), QStringLiteral("Signed In At 08:00:00"));
    QCOMPARE(idBox->text(), QString());

    // Everything stored before the fault is still there, plus exactly the two punches made after it.
    const QList<QVariantList> timesheetAfter = rowsOf(QStringLiteral("timesheet"));
    QCOMPARE(db.scalar(QStringLiteral("SELECT COUNT(*) FROM Terminal")), QVariant(0));
    QCOMPARE(timesheetAfter.mid(0, timesheetBefore.size()), timesheetBefore);
    QCOMPARE(timesheetAfter.size(), timesheetBefore.size() + 2);
    QCOMPARE(db.scalar(QStringLiteral("SELECT COUNT(*) FROM timesheet WHERE emp_id IN ('E100', 'Ab7') AND rsdate = "
                                      "'2026-03-02' AND in1 = '08:00:00' AND out1 IS NULL")),
             QVariant(2));
    QSqlQuery check(gConn);
    QVERIFY(check.exec(QStringLiteral("PRAGMA integrity_check")) && check.next());
    QCOMPARE(check.value(0).toString(), QStringLiteral("ok"));
    check.finish();
    cleanup(); // the windows let go of the database before it closes
}

QTEST_MAIN(TestHardening)
#include "test_hardening.moc"
