// The server under attack: bad input on the terminal port, floods of connections, kills under load and a
// failing store. `make test` runs each case at a small scale; QORVIL_SOAK=1 (`make soak`) at full scale.

#include "core/audit/audittrail.h"
#include "core/net/openfiles.h"
#include "core/net/terminallistener.h"
#include "core/protocol.h"
#include "core/store/database.h"
#include "core/store/migrations.h"
#include "core/store/recordset.h"
#include "server/employees/employeewindow.h"
#include "server/punch/clockwindow.h"
#include "server/punch/terminalnoticeboxes.h"
#include "server/serverstate.h"
#include "tests/support/fixedclock.h"
#include "tests/support/loopbackterminal.h"
#include "tests/support/outsideconnection.h"
#include "tests/support/powercut.h"
#include "tests/support/previousrelease.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/serviceprocess.h"
#include "tests/support/tempdatabase.h"
#include "widgets/childwindows.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>
#include <QSignalSpy>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cctype>
#include <csignal>
#include <fcntl.h>
#include <map>
#include <memory>
#include <netinet/in.h>
#include <numeric>
#include <optional>
#include <random>
#include <sys/resource.h>
#include <sys/socket.h>
#include <thread>
#include <tuple>
#include <unistd.h>

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

// One generated block for the terminal port. No line of it is exactly an employee's ID.
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
        const QByteArray& bad = invalidUtf8.at(rng.bounded(invalidUtf8.size()));
        return rng.bounded(2) ? id + bad : bad + id;
    }
    case 3: { // quotes and SQL text, alone or after an ID
        const QByteArray& text = sql.at(rng.bounded(sql.size()));
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
        static const QList<QByteArray> around = {" ", "  ", "\t", "\r", "\v", "\xc2\xa0"};
        const QByteArray& blank = around.at(rng.bounded(around.size()));
        return rng.bounded(3) ? id + blank : blank + id;
    }
    case 6: { // one character more or less
        return rng.bounded(2) ? id.left(id.size() - 1) : id + char('0' + rng.bounded(10));
    }
    default:
        return rng.bounded(10) == 0 ? QByteArray() : randomBytes(1 + rng.bounded(64));
    }
}

// The whole server in a process of its own (helper_serverprocess) on the database, its clock at 08:00 on the
// day; the port it listens on, or 0 when it did not start.
quint16 startServerProcess(QProcess& server, const QString& path, const QDate& day)
{
    const QString helper = QCoreApplication::applicationDirPath() + QStringLiteral("/helper_serverprocess");
    server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server.start(helper, {path, day.toString(Qt::ISODate)});
    if (!server.waitForStarted())
        return 0;
    QByteArray banner;
    while (!banner.contains('\n')) {
        if (!server.waitForReadyRead(kWait))
            return 0;
        banner += server.readAllStandardOutput();
    }
    return banner.startsWith("port ") ? quint16(banner.mid(5).trimmed().toUInt()) : 0;
}

// The filled slots of each employee's row of the day.
std::map<QString, int> filledSlots(const QDate& day)
{
    std::map<QString, int> filled;
    QSqlQuery rows(gConn);
    rows.prepare(QStringLiteral("SELECT emp_id, in1, out1, in2, out2, in3, out3 FROM timesheet WHERE rsdate = ?"));
    rows.addBindValue(day.toString(Qt::ISODate));
    if (!rows.exec())
        return filled;
    while (rows.next()) {
        for (int s = 1; s <= 6; ++s)
            filled[rows.value(0).toString()] += rows.value(s).isNull() ? 0 : 1;
    }
    return filled;
}

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The listener on a free port, with the outcome of every punch it handled in order.
struct PunchingListener
{
    TerminalNoticeBoxes notices;
    TerminalListener listener{0, notices};
    QList<PunchResult::Outcome> outcomes;

    PunchingListener()
    {
        QObject::connect(&listener, &TerminalListener::punchHandled, &listener,
                         [this](qint64, const QString&, PunchResult::Outcome outcome) { outcomes << outcome; });
    }
};

// qorvil-service on the database under the power-cut layer (tests/support/powercut.h), the layer's settings
// given as NAME=VALUE.
std::unique_ptr<ServiceProcess> serviceUnderLayer(const QString& path, const QStringList& settings = {})
{
    auto service = std::make_unique<ServiceProcess>(QStringLiteral(QORVIL_SERVICE_PROGRAM), path);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LD_PRELOAD", QStringLiteral(QORVIL_POWERCUT_LAYER));
    // In the sanitizer build the layer comes before the sanitizer's library, which is safe for it.
    environment.insert("ASAN_OPTIONS", environment.value("ASAN_OPTIONS") + ":verify_asan_link_order=0");
    for (const QString& setting : settings)
        environment.insert(setting.section('=', 0, 0), setting.section('=', 1));
    service->process.setProcessEnvironment(environment);
    return service;
}

// A plain connection to a database file, without the program's own checks and migrations.
struct PlainConnection
{
    QSqlDatabase db;
    explicit PlainConnection(const QString& path)
    {
        db = QSqlDatabase::addDatabase("QSQLITE", "plain");
        db.setDatabaseName(path);
        db.open();
    }
    ~PlainConnection()
    {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase("plain");
    }
    QString integrity()
    {
        QSqlQuery check(db);
        return check.exec("PRAGMA integrity_check") && check.next() ? check.value(0).toString()
                                                                    : check.lastError().text();
    }
};

// What a terminal was told of one employee's punches: those answered in order (when sent and answered,
// whether signed in), and whether one more was on its way when the service died.
struct AnsweredPunch
{
    QDateTime sent;
    QDateTime answered;
    bool in = false;
};
struct EmployeeLedger
{
    QByteArray name;
    std::vector<AnsweredPunch> answered;
    bool inFlight = false;
};
using Ledger = std::map<QString, EmployeeLedger>;

// The store against what the terminals were told; the faults found. Each answered punch is stored once, in its
// own slot: an employee's kth answered punch is the kth filled slot (rows by day), an in slot for a sign-in,
// on the punch's day at a time between its sending and its answer; beyond them at most the one punch in flight.
QStringList punchesAgainstStore(const QSqlDatabase& db, const Ledger& ledger)
{
    struct Slot
    {
        QDateTime at;
        bool in;
    };
    std::map<QString, std::vector<Slot>> stored;
    QStringList faults;
    QSet<QString> days;
    QSqlQuery rows(db);
    if (!rows.exec("SELECT emp_id, rsdate, in1, out1, in2, out2, in3, out3 FROM timesheet ORDER BY emp_id, rsdate, id"))
        return {rows.lastError().text()};
    while (rows.next()) {
        const QString id = rows.value(0).toString();
        const QDate day = QDate::fromString(rows.value(1).toString(), Qt::ISODate);
        if (days.contains(id + day.toString()) || !ledger.contains(id))
            faults << QString("%1: a row nobody punched for, or a second row on %2").arg(id, day.toString(Qt::ISODate));
        days.insert(id + day.toString());
        for (int s = 0; s < 6 && !rows.value(2 + s).isNull(); ++s)
            stored[id].push_back(
                {QDateTime(day, QTime::fromString(rows.value(2 + s).toString(), "HH:mm:ss")), s % 2 == 0});
    }
    for (const auto& [id, employee] : ledger) {
        const std::vector<Slot>& slots = stored[id];
        const std::size_t answered = employee.answered.size();
        if (slots.size() < answered || slots.size() > answered + (employee.inFlight ? 1 : 0)) {
            faults << QString("%1: %2 punches answered (%3 in flight), %4 stored")
                          .arg(id)
                          .arg(answered)
                          .arg(employee.inFlight ? 1 : 0)
                          .arg(slots.size());
            continue;
        }
        for (std::size_t k = 0; k < answered; ++k) {
            const AnsweredPunch& punch = employee.answered[k];
            const QDateTime sentSecond = punch.sent.addMSecs(-punch.sent.time().msec());
            if (slots[k].in != punch.in || slots[k].at < sentSecond || slots[k].at > punch.answered)
                faults << QString("%1: punch %2 (%3, sent %4) stored as %5 at %6")
                              .arg(id)
                              .arg(k + 1)
                              .arg(QString::fromLatin1(punch.in ? "in" : "out"), punch.sent.toString(Qt::ISODateWithMs),
                                   QString::fromLatin1(slots[k].in ? "in" : "out"), slots[k].at.toString(Qt::ISODate));
        }
    }
    return faults;
}

// Terminals punching through the service at `port` for the employees of `ids` (each terminal its own share,
// in turn, up to six punches each), one punch at a time, each answer awaited and entered in the ledger. The
// service is killed from inside the handler of the killAfter-th answer (at the latest after the last one), so
// the kill lands while the other terminals' punches are on their way, unless it died before. False when a
// terminal could not start.
bool punchThenKill(QProcess& service, quint16 port, const QStringList& ids, int terminals, int killAfter,
                   Ledger& ledger, QStringList* wrong)
{
    struct Terminal
    {
        std::unique_ptr<LoopbackTerminal> socket;
        int next = 0;
        QString pending;
        QDateTime sent;
        QByteArray expected;
    };
    std::vector<Terminal> all(terminals);
    const int perTerminal = int(ids.size()) / terminals;
    const int total = perTerminal * terminals * 6;
    int answered = 0;
    bool killed = false;
    const auto kill = [&] {
        killed = true;
        ::kill(pid_t(service.processId()), SIGKILL);
    };
    const auto sendNext = [&](Terminal& terminal, int t) {
        terminal.pending.clear();
        if (killed || terminal.next >= perTerminal * 6)
            return;
        terminal.pending = ids.at(t * perTerminal + terminal.next++ % perTerminal);
        EmployeeLedger& employee = ledger[terminal.pending];
        terminal.expected = (employee.answered.size() % 2 == 0 ? "RIN" : "OUT") + employee.name;
        terminal.sent = QDateTime::currentDateTime();
        terminal.socket->send(Protocol::idToWire(terminal.pending));
    };
    for (int t = 0; t < terminals; ++t) {
        Terminal& terminal = all[t];
        terminal.socket = std::make_unique<LoopbackTerminal>(port);
        if (!terminal.socket->connected(kWait) ||
            !QTest::qWaitFor([&] { return terminal.socket->received == "CRA"; }, kWait))
            return false;
        terminal.socket->received.clear();
        QObject::connect(&terminal.socket->socket, &QTcpSocket::readyRead, [&, t] {
            Terminal& at = all[t];
            if (at.pending.isEmpty() || at.socket->received.size() < at.expected.size())
                return;
            if (at.socket->received != at.expected)
                *wrong << QString::fromUtf8(at.socket->received);
            at.socket->received.clear();
            ledger[at.pending].answered.push_back(
                {at.sent, QDateTime::currentDateTime(), at.expected.startsWith("RIN")});
            if (!killed && (++answered >= killAfter || answered == total))
                kill();
            sendNext(at, t);
        });
    }
    if (killAfter == 0)
        kill();
    for (int t = 0; t < terminals; ++t)
        sendNext(all[t], t);
    // Answers the service sent before it died still count: each socket is read to its end.
    const bool ended = QTest::qWaitFor(
        [&] {
            return std::all_of(all.begin(), all.end(), [](const Terminal& terminal) {
                return terminal.socket->socket.state() == QAbstractSocket::UnconnectedState;
            });
        },
        kWait);
    for (const Terminal& terminal : all) {
        if (!terminal.pending.isEmpty())
            ledger[terminal.pending].inFlight = true;
    }
    return ended && (service.state() == QProcess::NotRunning || service.waitForFinished(kWait));
}

} // namespace

class TestHardening : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup();
    void protocolFuzz();
    void connectionFlood();
    void framing_data();
    void framing();
    void connectionHoldsLittle();
    void noticeOfAClosedConnection();
    void outageNotice();
    void boxesShowTextPlainAndTakeAllInput();
    void acceptWithoutDescriptors();
    void idleTerminalsBeyondTheSoftLimit();
    void crashLoop();
    void powerCuts_data();
    void powerCuts();
    void powerCutDuringMigration();
    void storeFaults_data();
    void storeFaults();
    void slowStore();
    void logLostThenKilled_data();
    void logLostThenKilled();
    void databaseChangedInPlace_data();
    void databaseChangedInPlace();
    void schemaChangedWhileRunning_data();
    void schemaChangedWhileRunning();
    void exactIds_data();
    void exactIds();
    void outsideLock();
    void reportWritesOnlyItsOwn_data();
    void reportWritesOnlyItsOwn();

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

    TerminalNoticeBoxes notices;
    TerminalListener listener(0, notices);
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
            // Each block ends in a line that is nobody's ID, so it is at least one punch; now and then it is
            // left without a line end, to be taken once the terminal falls quiet.
            const QByteArray sent = block + (n % 100 == 25 ? "~" : "~\n");
            for (QByteArray line : sent.split('\n')) {
                if (line.endsWith('\r'))
                    line.chop(1);
                if (line.startsWith("\xef\xbb\xbf"))
                    line.remove(0, 3);
                QVERIFY2(!ids.contains(Protocol::fromWire(line)), line.constData());
            }
            // The clock window's rules, fed the same text, find nobody either.
            const PunchResult direct = Punch::recordFromLoadedEmployees(loaded, Protocol::fromWire(block));
            QCOMPARE(direct.outcome, PunchResult::Outcome::NotFound);
            bytesSent += block.size();
            if (block.isEmpty())
                continue;
            const qint64 index = c + 1;
            waitFor[index] = handled[index];
            terminals[c]->send(sent);
        }
        for (const auto& [index, before] : waitFor)
            QTRY_VERIFY_WITH_TIMEOUT(handled[index] > before, kWait);

        if (n % 200 < kConnections) {
            clock.advance(24 * 3600);
            control.send(Protocol::idToWire(kIds.at(controlPunches % kIds.size())));
            controlExpected += "RIN" + names.at(controlPunches % names.size()).toUtf8();
            ++controlPunches;
            QTRY_COMPARE_WITH_TIMEOUT(control.received, controlExpected, kWait);
        }
    }
    // A last block on each connection: once it is handled, everything sent before it has been read.
    for (int c = 0; c < kConnections; ++c) {
        const qint64 index = c + 1;
        const int before = handled[index];
        terminals[c]->send("end of fuzz\n");
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
    TerminalNoticeBoxes notices;
    TerminalListener listener(0, notices);
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
            control.send("E100\n");
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
    VERIFY_MEMORY_GROWTH(afterKiB - idleKiB, 8 * 1024);

    LoopbackTerminal late(listener.port());
    QVERIFY(late.connected(kWait));
    late.send("Ab7\n");
    QTRY_VERIFY_WITH_TIMEOUT(late.received == "CRARINBo Ek" || late.received == "RINBo EkCRA", kWait);
    QCOMPARE(accepted.last(), qint64(total + 2));
    // Only the real punches left rows, under their exact IDs.
    QCOMPARE(db.scalar(QStringLiteral("SELECT COUNT(*) FROM timesheet WHERE emp_id COLLATE BINARY IN ('E100', "
                                      "'Ab7')"))
                 .toInt(),
             controlPunches + 1);
    QCOMPARE(db.scalar(QStringLiteral("SELECT COUNT(*) FROM timesheet")).toInt(), controlPunches + 1);
}

// A terminal's text on the wire: each line is one ID, and text without a line end one ID once the terminal
// falls quiet. The writes of a row go out 50 ms apart.
void TestHardening::framing_data()
{
    QTest::addColumn<QList<QByteArray>>("writes");
    QTest::addColumn<QStringList>("punched");
    QTest::addColumn<QByteArray>("replies");
    QTest::addColumn<int>("lockedMs"); // another program holds the database's write lock this long
    using W = QList<QByteArray>;
    QTest::newRow("an ID split by the network") << W{"10", "01"} << QStringList{"1001"} << QByteArray("RINAnn Lee") << 0;
    QTest::newRow("two lines in one write")
        << W{"1003\n1004\n"} << QStringList{"1003", "1004"} << QByteArray("RINCy OkRINDi Fox") << 0;
    QTest::newRow("CR LF") << W{"1003\r\n1004\r", "\n"} << QStringList{"1003", "1004"}
                           << QByteArray("RINCy OkRINDi Fox") << 0;
    QTest::newRow("a reader's carriage return alone") << W{"1003\r"} << QStringList{"1003"} << QByteArray("RINCy Ok") << 0;
    QTest::newRow("a bare ID") << W{"1003"} << QStringList{"1003"} << QByteArray("RINCy Ok") << 0;
    QTest::newRow("a line in pieces, then a bare ID")
        << W{"10", "03\n10", "04"} << QStringList{"1003", "1004"} << QByteArray("RINCy OkRINDi Fox") << 0;
    QTest::newRow("blank lines are no ID") << W{"\n\r\n1003\n\n"} << QStringList{"1003"} << QByteArray("RINCy Ok") << 0;
    QTest::newRow("byte-order mark") << W{"\xEF\xBB\xBF"
                                          "1003\n"}
                                     << QStringList{"1003"} << QByteArray("RINCy Ok") << 0;
    QTest::newRow("byte-order mark before a bare ID in pieces") << W{"\xEF\xBB",
                                                                     "\xBF"
                                                                     "10",
                                                                     "01"}
                                                                << QStringList{"1001"} << QByteArray("RINAnn Lee") << 0;
    QTest::newRow("a line longer than any ID")
        << W{QByteArray(1 << 20, '1') + "\n1003\n"}
        << QStringList{QString(Protocol::IdSplitter::kMaxIdBytes, '1'), "1003"} << QByteArray("NRFRINCy Ok") << 0;
    // The terminal is not read while its punch waits; what it sent meanwhile is the rest of the held text.
    QTest::newRow("the rest of an ID while a punch waits for the database")
        << W{"1003\n10", "04"} << QStringList{"1003", "1004"} << QByteArray("RINCy OkRINDi Fox") << 400;
}

void TestHardening::framing()
{
    QFETCH(QList<QByteArray>, writes);
    QFETCH(QStringList, punched);
    QFETCH(QByteArray, replies);
    QFETCH(int, lockedMs);
    TempDatabase db;
    ScriptedDialogs dialogs;
    FixedClock clock;
    for (const auto& [id, first, last] : {std::tuple{"10", "Ten", "Ten"},
                                          {"01", "One", "One"},
                                          {"1001", "Ann", "Lee"},
                                          {"1003", "Cy", "Ok"},
                                          {"1004", "Di", "Fox"}})
        db.addEmployee(QString::fromLatin1(id), QString::fromLatin1(first), QString::fromLatin1(last));
    TerminalNoticeBoxes notices;
    TerminalListener listener(0, notices);
    QVERIFY(listener.start());
    QStringList handled;
    connect(&listener, &TerminalListener::punchHandled, this, [&](qint64, const QString& id) { handled << id; });
    LoopbackTerminal terminal(listener.port());
    QVERIFY(terminal.connected(kWait));
    QTRY_COMPARE_WITH_TIMEOUT(terminal.received, QByteArray("CRA"), kWait);
    terminal.received.clear();

    std::optional<OutsideConnection> outside;
    if (lockedMs > 0) {
        outside.emplace(db.path());
        outside->exec(QStringLiteral("BEGIN IMMEDIATE"));
        QTimer::singleShot(lockedMs, &terminal.socket, [&outside] { outside->exec(QStringLiteral("COMMIT")); });
    }
    for (int i = 0; i < writes.size(); ++i)
        QTimer::singleShot(50 * i, &terminal.socket, [&terminal, bytes = writes.at(i)] { terminal.send(bytes); });
    QTRY_COMPARE_WITH_TIMEOUT(handled, punched, kWait);
    // Anything more the server made of the writes would be handled and answered before this probe.
    terminal.send("nobody\n");
    QTRY_COMPARE_WITH_TIMEOUT(terminal.received, replies + "NRF", kWait);
    QCOMPARE(handled, punched + QStringList{"nobody"});
}

// What one connection holds stays small, however long a line is and however few replies the terminal takes.
void TestHardening::connectionHoldsLittle()
{
    const qint64 lineBytes = qint64(soak() ? 256 : 8) << 20;
    constexpr int kIds = 100000; // about 300 KB of replies
    TempDatabase db;
    ScriptedDialogs dialogs;
    TerminalNoticeBoxes notices;
    TerminalListener listener(0, notices);
    QVERIFY(listener.start());
    int handled = 0;
    qint64 unsentPeak = 0;
    connect(&listener, &TerminalListener::punchHandled, this, [&](qint64 index) {
        ++handled;
        unsentPeak = std::max(unsentPeak, listener.socket(index) ? listener.socket(index)->bytesToWrite() : 0);
    });

    // A line without end, sent as fast as the server takes it.
    LoopbackTerminal endless(listener.port());
    QVERIFY(endless.connected(kWait));
    const qint64 before = residentKiB();
    qint64 sent = 0;
    const QByteArray chunk(64 << 10, 'x');
    auto pump = [&] {
        while (sent < lineBytes && endless.socket.bytesToWrite() < chunk.size()) {
            endless.socket.write(chunk);
            sent += chunk.size();
        }
        if (sent >= lineBytes && !endless.socket.bytesToWrite())
            endless.send("\n");
    };
    connect(&endless.socket, &QTcpSocket::bytesWritten, this, pump);
    pump();
    QTRY_COMPARE_WITH_TIMEOUT(handled, 1, kWait);
    QTRY_COMPARE_WITH_TIMEOUT(endless.received, QByteArray("CRANRF"), kWait);
    const qint64 grownKiB = residentKiB() - before;
    VERIFY_MEMORY_GROWTH(grownKiB, 4 * 1024);

    // IDs from a terminal that does not read its replies, with small buffers on both ends so the system holds
    // few of them: the server stops reading it, and so stops answering it, until it reads.
    QSignalSpy accepted(&listener, &TerminalListener::accepted);
    const int raw = ::socket(AF_INET, SOCK_STREAM, 0);
    const int small = 4096;
    QVERIFY(::setsockopt(raw, SOL_SOCKET, SO_RCVBUF, &small, sizeof small) == 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(listener.port());
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    QVERIFY(::connect(raw, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0);
    QTcpSocket deaf;
    QVERIFY(deaf.setSocketDescriptor(raw));
    deaf.setReadBufferSize(1);
    QTRY_COMPARE_WITH_TIMEOUT(accepted.count(), 1, kWait);
    QTRY_VERIFY_WITH_TIMEOUT(listener.socket(2), kWait); // a terminal once the wait for its first byte is over
    listener.socket(2)->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, 4096);
    deaf.write(QByteArray("x\n").repeated(kIds));
    QTRY_VERIFY_WITH_TIMEOUT(unsentPeak > TerminalListener::kUnsentReplyBytes, kWait);
    const int handledWhileDeaf = handled;
    deaf.setReadBufferSize(0);
    connect(&deaf, &QTcpSocket::readyRead, this, [&deaf] { deaf.readAll(); });
    deaf.readAll();
    QTRY_COMPARE_WITH_TIMEOUT(handled, 1 + kIds, kWait);
    qInfo("a %lld MiB line grew memory by %lld KiB; at most %lld bytes of replies waited for a terminal that did "
          "not read, %d of %d IDs handled before it did",
          lineBytes >> 20, grownKiB, unsentPeak, handledWhileDeaf - 1, kIds);
    // The replies of one read's IDs may come on top of the limit, never more.
    QVERIFY(unsentPeak <= TerminalListener::kUnsentReplyBytes + TerminalListener::kReadBufferBytes / 2 * 3);
}

// A "Client Accepted" notice whose terminal left before the notice came up is never shown, and nobody is greeted.
void TestHardening::noticeOfAClosedConnection()
{
    TempDatabase db;
    ScriptedDialogs dialogs;
    dialogs.holdNotices(true);
    TerminalNoticeBoxes notices;
    TerminalListener listener(0, notices);
    QVERIFY(listener.start());
    QSignalSpy closed(&listener, &TerminalListener::socketClosed);
    std::vector<std::unique_ptr<LoopbackTerminal>> terminals;
    for (const char* from : {"127.0.0.11", "127.0.0.12", "127.0.0.13", "127.0.0.14"}) {
        terminals.push_back(std::make_unique<LoopbackTerminal>(listener.port(), QString::fromLatin1(from)));
        QVERIFY(terminals.back()->connected(kWait));
        QTRY_COMPARE_WITH_TIMEOUT(dialogs.pendingNotices(), int(terminals.size()), kWait);
    }
    // The first notice is on screen; the second and third wait behind it when their terminals leave.
    terminals[1]->socket.abort();
    terminals[2]->socket.disconnectFromHost();
    terminals[0]->socket.abort();
    QTRY_COMPARE_WITH_TIMEOUT(closed.count(), 3, kWait);
    QCOMPARE(dialogs.pendingNotices(), 2);
    while (dialogs.dismissNotice()) {
    }
    QTRY_COMPARE_WITH_TIMEOUT(terminals[3]->received, QByteArray("CRA"), kWait);
    QCOMPARE(dialogs.texts(), QStringList({"Connected with 127.0.0.11", "Connected with 127.0.0.14"}));
    QVERIFY(terminals[1]->received.isEmpty() && terminals[2]->received.isEmpty());
}

// The punches not recorded during one outage share one box, which counts them while it is up.
void TestHardening::outageNotice()
{
    TempDatabase db;
    ScriptedDialogs dialogs;
    FixedClock clock;
    seedEmployees(db);
    db.exec(QStringLiteral("CREATE TRIGGER outage BEFORE INSERT ON timesheet BEGIN SELECT RAISE(ABORT, 'disk "
                           "trouble'); END"));
    TerminalNoticeBoxes notices;
    TerminalListener listener(0, notices);
    QVERIFY(listener.start());
    QSignalSpy handled(&listener, &TerminalListener::punchHandled);
    LoopbackTerminal terminal(listener.port());
    QVERIFY(terminal.connected(kWait));
    QTRY_COMPARE_WITH_TIMEOUT(terminal.received, QByteArray("CRA"), kWait);
    dialogs.clear();
    dialogs.holdNotices(true);
    auto outageBoxes = [&dialogs] {
        QStringList texts;
        for (const ScriptedDialogs::Box& box : dialogs.boxes) {
            if (box.title == QStringLiteral("Punch Not Recorded"))
                texts << box.text;
        }
        return texts;
    };

    terminal.send("E100\nAb7\nx'9\n");
    QTRY_COMPARE_WITH_TIMEOUT(handled.count(), 3, kWait);
    QCOMPARE(outageBoxes().size(), 1);
    QVERIFY2(outageBoxes().first().startsWith(QStringLiteral("3 punches from terminals were not recorded")),
             qPrintable(outageBoxes().first()));
    terminal.send("Zed-42\n");
    QTRY_COMPARE_WITH_TIMEOUT(handled.count(), 4, kWait);
    QCOMPARE(outageBoxes().size(), 1);
    QVERIFY2(outageBoxes().first().startsWith(QStringLiteral("4 punches from terminals were not recorded")) &&
                 outageBoxes().first().contains(QStringLiteral("\"Zed-42\": disk trouble")),
             qPrintable(outageBoxes().first()));

    // Once the box was dismissed, the next failure is a new outage.
    QVERIFY(dialogs.dismissNotice());
    terminal.send("E100\n");
    QTRY_COMPARE_WITH_TIMEOUT(handled.count(), 5, kWait);
    QCOMPARE(outageBoxes().size(), 2);
    QVERIFY2(outageBoxes().last().startsWith(QStringLiteral("A punch from the terminal at 127.0.0.1 for ID \"E100\" "
                                                            "was not recorded")),
             qPrintable(outageBoxes().last()));
    QCOMPARE(terminal.received, QByteArray("CRA"));

    // Failed terminal connections (each keyed terminal's TLS errors) share one box in the same way.
    dialogs.clear();
    for (int i = 0; i < 3; ++i)
        notices.socketError(int(QAbstractSocket::SslHandshakeFailedError), QStringLiteral("handshake failed"));
    QCOMPARE(dialogs.boxes.size(), 1);
    QVERIFY2(dialogs.last().text.startsWith(QStringLiteral("3 terminal connections failed. The latest: Socket Error")),
             qPrintable(dialogs.last().text));
}

// The real boxes: text from the wire is shown as it is, never as markup, and a notice takes all the
// program's input even when none of its windows is active.
void TestHardening::boxesShowTextPlainAndTakeAllInput()
{
    const QString hostile = QStringLiteral("<h1 style=\"color:red\">CALL 555-0100</h1>");
    TempDatabase db;
    FixedClock clock;
    db.exec(QStringLiteral("CREATE TRIGGER outage BEFORE INSERT ON timesheet BEGIN SELECT RAISE(ABORT, 'disk "
                           "trouble'); END"));
    db.addEmployee(hostile, QStringLiteral("<b>Ann</b>"), QStringLiteral("Lee"));
    TerminalNoticeBoxes notices;
    TerminalListener listener(0, notices);
    QVERIFY(listener.start());
    QVERIFY(!QApplication::activeWindow());
    auto shownBox = [] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible())
                return box;
        }
        return static_cast<QMessageBox*>(nullptr);
    };
    auto checkPlain = [](QMessageBox* box, const QString& text) {
        auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        QVERIFY(label);
        QCOMPARE(label->textFormat(), Qt::PlainText);
        QVERIFY2(label->text().contains(text), qPrintable(label->text()));
    };

    LoopbackTerminal terminal(listener.port());
    QVERIFY(terminal.connected(kWait));
    QTRY_VERIFY_WITH_TIMEOUT(shownBox(), kWait);
    QCOMPARE(shownBox()->windowTitle(), QStringLiteral("Client Accepted"));
    QCOMPARE(shownBox()->windowModality(), Qt::ApplicationModal);
    QCOMPARE(QApplication::activeModalWidget(), shownBox());
    shownBox()->button(QMessageBox::Ok)->click();
    QTRY_COMPARE_WITH_TIMEOUT(terminal.received, QByteArray("CRA"), kWait);

    terminal.send(Protocol::idToWire(hostile));
    QTRY_VERIFY_WITH_TIMEOUT(shownBox(), kWait);
    QCOMPARE(shownBox()->windowTitle(), QStringLiteral("Punch Not Recorded"));
    QCOMPARE(shownBox()->windowModality(), Qt::ApplicationModal);
    checkPlain(shownBox(), hostile);
    shownBox()->button(QMessageBox::Ok)->click();
    QTRY_VERIFY(!shownBox());

    // A box a window waits on, with text read from the database.
    bool checked = false;
    QTimer::singleShot(0, this, [&] {
        QMessageBox* box = shownBox();
        QVERIFY(box);
        checkPlain(box, QStringLiteral("<b>Ann</b> Lee"));
        checked = true;
        box->accept();
    });
    dialogs().ok(QStringLiteral("Employee <b>Ann</b> Lee"), QStringLiteral("Employee"), Dialogs::Icon::Information);
    QVERIFY(checked);
}

// Out of descriptors, the server keeps serving the terminals it has and accepts the waiting one once it can.
void TestHardening::acceptWithoutDescriptors()
{
    TempDatabase db;
    ScriptedDialogs dialogs;
    FixedClock clock;
    seedEmployees(db);
    TerminalNoticeBoxes notices;
    TerminalListener listener(0, notices);
    QVERIFY(listener.start());
    LoopbackTerminal connected(listener.port());
    QVERIFY(connected.connected(kWait));
    QTRY_COMPARE_WITH_TIMEOUT(connected.received, QByteArray("CRA"), kWait);
    dialogs.clear();

    // Lower this process's limit to a little above what it uses, then take every descriptor left.
    struct Exhausted
    {
        rlimit saved{};
        std::vector<int> taken;
        void takeAll()
        {
            for (int fd; (fd = ::open("/dev/null", O_RDONLY)) >= 0;)
                taken.push_back(fd);
        }
        ~Exhausted()
        {
            for (const int fd : taken)
                ::close(fd);
            ::setrlimit(RLIMIT_NOFILE, &saved);
        }
    } exhausted;
    QVERIFY(::getrlimit(RLIMIT_NOFILE, &exhausted.saved) == 0);
    int highest = 0;
    for (const QString& fd : QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System))
        highest = std::max(highest, fd.toInt());
    rlimit low = exhausted.saved;
    low.rlim_cur = rlim_t(highest) + 32;
    QVERIFY(::setrlimit(RLIMIT_NOFILE, &low) == 0);
    exhausted.takeAll();
    QCOMPARE(errno, EMFILE);

    // The connected terminal is still served.
    connected.send("E100\n");
    QTRY_COMPARE_WITH_TIMEOUT(connected.received, QByteArray("CRARINAnn Lee"), kWait);

    // A new terminal gets its own end (the store may have let one go meanwhile); none is left for the server's.
    exhausted.takeAll();
    ::close(exhausted.taken.back());
    exhausted.taken.pop_back();
    LoopbackTerminal waiting(listener.port());
    QVERIFY(waiting.connected(kWait)); // the system completes the connection; the server cannot take it yet
    exhausted.takeAll();
    QTRY_COMPARE_WITH_TIMEOUT(dialogs.boxes.size(), 1, kWait);
    QVERIFY2(dialogs.last().text.contains(QLatin1String("New terminals cannot connect until the server has "
                                                        "descriptors free")),
             qPrintable(dialogs.last().text));
    QCOMPARE(listener.connectionCount(), 1);
    clock.advance(3600);
    connected.send("E100\n");
    QTRY_COMPARE_WITH_TIMEOUT(connected.received, QByteArray("CRARINAnn LeeOUTAnn Lee"), kWait);

    for (const int fd : exhausted.taken)
        ::close(fd);
    exhausted.taken.clear();
    QTRY_COMPARE_WITH_TIMEOUT(waiting.received, QByteArray("CRA"), kWait);
    waiting.send("Ab7\n");
    QTRY_COMPARE_WITH_TIMEOUT(waiting.received, QByteArray("CRARINBo Ek"), kWait);
    QCOMPARE(dialogs.boxes.size(), 2); // told once about descriptors, then the greeting
}

// The whole server started under a low soft limit on descriptors raises it and serves more idle terminals
// than that limit would allow.
void TestHardening::idleTerminalsBeyondTheSoftLimit()
{
    const rlim_t softLimit = soak() ? 1024 : 64;
    const int idle = soak() ? 1100 : 100;
    rlimit limit{};
    QVERIFY(::getrlimit(RLIMIT_NOFILE, &limit) == 0);
    if (limit.rlim_max != RLIM_INFINITY && limit.rlim_max < rlim_t(2) * idle + 256)
        QSKIP("the hard limit on descriptors is too low for this many terminals");
    QVERIFY(OpenFiles::raiseSoftLimit()); // this process holds the terminals' ends
    TempDatabase db;
    seedEmployees(db);
    const QString path = db.path();
    Database::close();

    QProcess server;
    server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server.setChildProcessModifier([softLimit] {
        rlimit low{};
        ::getrlimit(RLIMIT_NOFILE, &low);
        low.rlim_cur = softLimit;
        ::setrlimit(RLIMIT_NOFILE, &low);
    });
    server.start(QCoreApplication::applicationDirPath() + QStringLiteral("/helper_serverprocess"),
                 {path, QStringLiteral("2026-03-02")});
    QVERIFY(server.waitForStarted());
    QByteArray banner;
    while (!banner.contains('\n')) {
        QVERIFY2(server.waitForReadyRead(kWait), "the server did not start listening");
        banner += server.readAllStandardOutput();
    }
    const quint16 port = quint16(banner.mid(5).trimmed().toUInt());

    std::vector<std::unique_ptr<LoopbackTerminal>> terminals;
    constexpr int kBatch = 40; // below the listen backlog
    while (int(terminals.size()) < idle) {
        const std::size_t from = terminals.size();
        for (int i = 0; i < kBatch && int(terminals.size()) < idle; ++i) {
            terminals.push_back(std::make_unique<LoopbackTerminal>(port));
            QVERIFY(terminals.back()->connected(kWait));
        }
        for (std::size_t i = from; i < terminals.size(); ++i)
            QTRY_COMPARE_WITH_TIMEOUT(terminals[i]->received, QByteArray("CRA"), kWait);
    }
    LoopbackTerminal late(port);
    QVERIFY(late.connected(kWait));
    late.send("E100\n");
    QTRY_COMPARE_WITH_TIMEOUT(late.received, QByteArray("CRARINAnn Lee"), kWait);
    server.kill();
    server.waitForFinished();
}

void TestHardening::crashLoop()
{
    const int cycles = soak() ? 20 : 3;
    constexpr int kTerminals = 6;
    constexpr int kPerTerminal = 8; // employees each terminal punches for, six times a day at most
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
        const quint16 port = startServerProcess(server, path, day);
        QVERIFY2(port != 0, "the server did not start listening");

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
            load.terminal->send(Protocol::idToWire(load.pending));
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

void TestHardening::powerCuts_data()
{
    QTest::addColumn<bool>("syncs");
    QTest::addColumn<double>("keep"); // the chance an unsynced sector survives; below 0 drawn for each cut
    QTest::newRow("syncs reach the disk") << true << -1.0;
    QTest::newRow("control: syncs ignored, unsynced sectors lost") << false << 0.0;
    QTest::newRow("control: syncs ignored, unsynced sectors kept") << false << 1.0;
}

// The service under load, killed at a random moment, then the power cut: every write not synced undone, a
// random share of its sectors kept. Every answered punch must be there once, in its slot, and punching goes
// on. The controls run the same with the syncs ignored: with every unsynced sector lost the check must find
// every answered punch gone, with every one kept (the file as the kill left it) none.
void TestHardening::powerCuts()
{
    QFETCH(bool, syncs);
    QFETCH(double, keep);
    const int cuts = !syncs ? 1 : soak() ? 60 : 3;
    constexpr int kTerminals = 4;
    constexpr int kPerTerminal = 6;
    constexpr int kPerRun = kTerminals * kPerTerminal; // fresh employees each run, six punches each at most
    const int runs = syncs ? cuts + 1 : 1;             // the last one without the layer and without a cut
    TempDatabase db;
    db.exec("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i + 1 < ?) INSERT INTO Employee "
            "(emp_id, emp_fname, emp_lname, reg_wage, ot_wage, status) SELECT 'P' || i, 'F' || i, 'L' || i, 10, 15, 1 "
            "FROM n",
            {runs * kPerRun});
    const QString path = db.path();
    Database::close();

    std::mt19937_64 rng(20261208);
    Ledger ledger;
    QStringList wrong;
    PowerCut::Outcome dropped;
    int killedStarting = 0;
    // Integrity, and each answered punch against the store; run while the next service is up, after its start
    // found the file as the cut left it.
    const auto check = [&] {
        PlainConnection plain(path);
        QCOMPARE(plain.integrity(), QString("ok"));
        const QStringList faults = punchesAgainstStore(plain.db, ledger);
        if (keep != 0) {
            QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
            return;
        }
        // Nothing reached the disk: the check finds each employee's punches gone.
        QSqlQuery stored(plain.db);
        QVERIFY(stored.exec("SELECT COUNT(*) FROM timesheet") && stored.next());
        QCOMPARE(stored.value(0).toInt(), 0);
        QCOMPARE(faults.size(), kPerRun);
    };
    QElapsedTimer timer;
    timer.start();
    for (int run = 0; run < runs; ++run) {
        const bool cut = run < cuts;
        QStringList ids;
        for (int e = run * kPerRun; e < (run + 1) * kPerRun; ++e) {
            ids << QString("P%1").arg(e);
            ledger[ids.last()].name = QString("F%1 L%1").arg(e).toUtf8();
        }
        // Every other cut the layer kills the service at a random write or sync (a run's punches take some two
        // hundred), so the cut often finds writes not yet synced, now and then while the service starts.
        const bool layerKills = syncs && cut && run % 2 == 1;
        QStringList settings;
        if (!syncs)
            settings << "QORVIL_POWERCUT_NO_SYNC=1";
        if (layerKills)
            settings << QString("QORVIL_POWERCUT_KILL_AT=%1").arg(1 + rng() % 200);
        std::unique_ptr<ServiceProcess> service =
            cut ? serviceUnderLayer(path, settings)
                : std::make_unique<ServiceProcess>(QStringLiteral(QORVIL_SERVICE_PROGRAM), path);
        if (service->start()) {
            if (run > 0) {
                check();
                if (QTest::currentTestFailed())
                    return;
            }
            const int killAfter = cut && syncs && !layerKills ? int(rng() % (kPerRun * 6 + 1)) : kPerRun * 6;
            QVERIFY(punchThenKill(service->process, service->port(), ids, kTerminals, killAfter, ledger, &wrong));
        } else {
            // Killed by the layer while starting; the file is not looked at before the cut.
            QVERIFY2(layerKills, qPrintable(service->log()));
            ++killedStarting;
        }
        QCOMPARE(service->process.exitStatus(), QProcess::CrashExit);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(" | ")));
        if (cut) {
            const PowerCut::Outcome outcome =
                PowerCut::cut(path.toStdString(), rng, keep < 0 ? double(rng() % 5) / 4 : keep);
            dropped.filesCut += outcome.filesCut;
            dropped.sectorsLost += outcome.sectorsLost;
            dropped.sectorsKept += outcome.sectorsKept;
        }
    }
    check();
    if (QTest::currentTestFailed())
        return;
    qsizetype answered = 0;
    qsizetype inFlight = 0;
    for (const auto& [id, employee] : ledger) {
        answered += qsizetype(employee.answered.size());
        inFlight += employee.inFlight ? 1 : 0;
    }
    QVERIFY(answered > 0);
    qInfo("power cuts: %d cuts (%d while starting) in %lld ms, %lld answered punches checked (%lld more in flight); "
          "%d files cut, %llu sectors lost, %llu kept",
          cuts, killedStarting, qint64(timer.elapsed()), qint64(answered), qint64(inFlight), dropped.filesCut,
          static_cast<unsigned long long>(dropped.sectorsLost), static_cast<unsigned long long>(dropped.sectorsKept));
}

// A file of the release before the version history, with some thousands of rows, opened by the service under
// the layer and killed part-way through its migration, then the power cut. Opened again it must be sound, fully
// migrated and hold every row it held.
void TestHardening::powerCutDuringMigration()
{
    const int cuts = soak() ? 12 : 3;
    QTemporaryDir dir;
    const QString original = dir.filePath("previous.mdb");
    makeFile(
        original,
        kPreviousServerSchema +
            QStringList{"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) INSERT INTO "
                        "Employee (emp_id, emp_fname, emp_lname, reg_wage, date_hired) SELECT 'M' || i, 'F' || i, "
                        "'L' || i, 11.5, '2024-02-01' FROM n",
                        "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 19999) INSERT INTO "
                        "timesheet (emp_id, rsdate, in1, out1) SELECT 'M' || (i % 2000 + 1), date('2025-01-01', '+' "
                        "|| (i / 2000) || ' days'), '08:00:00', '16:30:00' FROM n"});
    if (QTest::currentTestFailed())
        return;
    // The rows of the release's own tables but Terminal, the list of connected terminals each service start
    // writes anew.
    QSet<QString> tables;
    const auto rowsOfTables = [&tables](const QString& path) {
        PlainConnection plain(path);
        QStringList rows = everyRowOf(plain.db);
        rows.removeIf([&tables](const QString& row) { return !tables.contains(row.section('|', 0, 0)); });
        return rows;
    };
    {
        PlainConnection plain(original);
        const QStringList names = plain.db.tables();
        tables = QSet<QString>(names.begin(), names.end());
        tables.remove("Terminal");
    }
    const QStringList before = rowsOfTables(original);
    QVERIFY(before.size() > 20000);
    QStringList versions;
    for (const Migrations::Migration& step : Migrations::forKind(Database::Kind::Server))
        versions << QString::number(step.version);
    const auto historyOf = [](const QString& path) {
        PlainConnection plain(path);
        QSqlQuery history(plain.db);
        return history.exec("SELECT group_concat(version) FROM schema_migrations") && history.next()
                   ? history.value(0).toString()
                   : QString();
    };

    // A whole run under the layer counts its writes and syncs; the cuts fall among them.
    QElapsedTimer timer;
    timer.start();
    const QString whole = dir.filePath("whole.mdb");
    QVERIFY(QFile::copy(original, whole));
    std::unique_ptr<ServiceProcess> counting = serviceUnderLayer(whole);
    QVERIFY2(counting->start(), qPrintable(counting->log()));
    QCOMPARE(counting->stop(), 0);
    static const QRegularExpression counted("powercut: (\\d+) writes and syncs");
    const QRegularExpressionMatch match = counted.match(counting->log());
    QVERIFY2(match.hasMatch(), qPrintable(counting->log()));
    const quint64 changes = match.captured(1).toULongLong();
    QVERIFY(changes > 0);

    std::mt19937_64 rng(8122026);
    int partWay = 0;
    for (int i = 0; i < cuts; ++i) {
        const QString path = dir.filePath(QString("cut%1.mdb").arg(i));
        QVERIFY(QFile::copy(original, path));
        // The ith cut falls in the ith share of the run's writes and syncs.
        const quint64 killAt =
            1 + changes * quint64(i) / quint64(cuts) + rng() % std::max<quint64>(1, changes / quint64(cuts));
        std::unique_ptr<ServiceProcess> service =
            serviceUnderLayer(path, {QString("QORVIL_POWERCUT_KILL_AT=%1").arg(killAt)});
        if (service->start()) // done migrating before its cut
            ::kill(pid_t(service->process.processId()), SIGKILL);
        QVERIFY(service->process.state() == QProcess::NotRunning || service->process.waitForFinished(kWait));
        QCOMPARE(service->process.exitStatus(), QProcess::CrashExit);
        PowerCut::cut(path.toStdString(), rng, double(rng() % 5) / 4);
        {
            PlainConnection plain(path);
            QCOMPARE(plain.integrity(), QString("ok"));
        }
        partWay += historyOf(path) != versions.join(',') ? 1 : 0;

        ServiceProcess reopened(QStringLiteral(QORVIL_SERVICE_PROGRAM), path);
        QVERIFY2(reopened.start(), qPrintable(reopened.log()));
        QCOMPARE(reopened.stop(), 0);
        {
            PlainConnection plain(path);
            QCOMPARE(plain.integrity(), QString("ok"));
        }
        QCOMPARE(historyOf(path), versions.join(','));
        QCOMPARE(rowsOfTables(path), before);
        QFile::remove(path);
    }
    QVERIFY2(partWay > 0, "no cut fell inside the migration");
    qInfo("power cuts during a migration: %d cuts (%d part-way) among %llu writes and syncs, %lld rows kept, %lld ms",
          cuts, partWay, static_cast<unsigned long long>(changes), qint64(before.size()), qint64(timer.elapsed()));
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

    PunchingListener server;
    TerminalListener& listener = server.listener;
    const QList<PunchResult::Outcome>& outcomes = server.outcomes;
    QVERIFY(listener.start());
    // The punches' own connection open before the fault, as in a server that has been running.
    bool storeOpen = false;
    listener.punches().onStoreConnection([&](const QSqlDatabase& punches) { storeOpen = punches.isOpen(); });
    QVERIFY(storeOpen);
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

    // A fault of the connection is put on the punches' own connection too.
    const auto onBoth = [&](const QString& sql) {
        db.exec(sql);
        listener.punches().onStoreConnection([&](const QSqlDatabase& punches) { QSqlQuery(punches).exec(sql); });
    };
    if (fault == QLatin1String("full")) {
        // Fill the store up to a page limit, so the next new row finds no room.
        QSqlQuery pages(gConn);
        QVERIFY(pages.exec(QStringLiteral("PRAGMA page_count")) && pages.next());
        const qint64 limit = pages.value(0).toLongLong();
        pages.finish();
        onBoth(QStringLiteral("PRAGMA max_page_count = %1").arg(limit));
        QSqlQuery fill(gConn);
        fill.prepare(QStringLiteral("INSERT INTO timesheet (emp_id, rsdate, in1) VALUES (?, '2026-01-05', "
                                    "'09:00:00')"));
        // Rows like punches, which the audit trail leaves out, so the one that found no room is a punch's size.
        const AuditTrail::PunchWrites likePunches(gConn);
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
        onBoth(QStringLiteral("PRAGMA query_only = ON"));
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
        onBoth(QStringLiteral("PRAGMA query_only = OFF"));
    else if (fault == QLatin1String("full"))
        onBoth(QStringLiteral("PRAGMA max_page_count = 1073741823"));
    else if (fault == QLatin1String("moved"))
        QVERIFY(QFile::rename(aside, db.path()));
    else
        QVERIFY(QFile::copy(copy, db.path()));

    if (fault == QLatin1String("deleted")) {
        // Another file at the path is not the one the server wrote into: refused until it starts again.
        terminal.send("E100");
        QTRY_COMPARE_WITH_TIMEOUT(outcomes.size(), 3, kWait);
        QCOMPARE(outcomes.last(), PunchResult::Outcome::StoreFailed);
        QVERIFY2(dialogs.last().text.contains(QLatin1String("was replaced")), qPrintable(dialogs.last().text));
        QCOMPARE(terminal.received, QByteArray("CRANRF"));
        cleanup();
        return;
    }
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

// A database slow to answer (a disk, or a server across a slow link): the punches wait for it on their own
// thread while a terminal that connects meanwhile is greeted, and each answer still follows its commit.
void TestHardening::slowStore()
{
    TempDatabase db;
    ScriptedDialogs dialogs;
    FixedClock clock;
    seedEmployees(db);
    PunchingListener server;
    QVERIFY(server.listener.start());
    LoopbackTerminal first(server.listener.port());
    QVERIFY(first.connected(kWait));
    QTRY_COMPARE_WITH_TIMEOUT(first.received, QByteArray("CRA"), kWait);

    std::atomic<bool> inside{false};
    std::atomic<bool> release{false};
    std::thread slow([&] {
        server.listener.punches().onStoreConnection([&](const QSqlDatabase&) {
            inside = true;
            while (!release)
                QThread::msleep(5);
        });
    });
    const auto letGo = qScopeGuard([&] {
        release = true;
        slow.join();
    });
    QTRY_VERIFY_WITH_TIMEOUT(inside, kWait);
    first.send("E100\n");
    LoopbackTerminal second(server.listener.port());
    QVERIFY(second.connected(kWait));
    QTRY_COMPARE_WITH_TIMEOUT(second.received, QByteArray("CRA"), kWait);
    second.send("nobody\n");
    QTest::qWait(200);
    QCOMPARE(first.received, QByteArray("CRA"));
    QCOMPARE(second.received, QByteArray("CRA"));
    QVERIFY(server.outcomes.isEmpty());

    release = true;
    QTRY_COMPARE_WITH_TIMEOUT(first.received, QByteArray("CRARINAnn Lee"), kWait);
    QTRY_COMPARE_WITH_TIMEOUT(second.received, QByteArray("CRANRF"), kWait);
    QCOMPARE(filledSlots(clock.now().date()), (std::map<QString, int>{{"E100", 1}}));
}

// The write-ahead log removed, replaced or emptied under a running server (as a README once advised when
// restoring): what the server's own log still holds is saved into the database and a new log started before
// the next punch is answered, so a kill afterwards loses no punch answered since.
void TestHardening::logLostThenKilled_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("log deleted") << "deleted";
    QTest::newRow("log and its index deleted") << "deleted with index";
    QTest::newRow("log replaced by an older copy") << "replaced";
    QTest::newRow("log emptied in place") << "emptied";
}

void TestHardening::logLostThenKilled()
{
    QFETCH(QString, fault);
    constexpr int kEmployees = 6;
    const QDate day(2026, 1, 5);
    TempDatabase db;
    for (int e = 0; e < kEmployees; ++e)
        db.addEmployee(QStringLiteral("W%1").arg(e), QStringLiteral("F%1").arg(e), QStringLiteral("L%1").arg(e));
    const QString path = db.path();
    const QString log = path + QStringLiteral("-wal");
    Database::close();

    QProcess server;
    const quint16 port = startServerProcess(server, path, day);
    QVERIFY2(port != 0, "the server did not start listening");
    LoopbackTerminal terminal(port);
    QVERIFY(terminal.connected(kWait));
    QTRY_COMPARE_WITH_TIMEOUT(terminal.received, QByteArray("CRA"), kWait);
    std::map<QString, int> answered;
    int sent = 0;
    auto punch = [&](int count) {
        for (int i = 0; i < count; ++i, ++sent) {
            const int e = sent % kEmployees;
            const QString id = QStringLiteral("W%1").arg(e);
            const QByteArray expected =
                (answered[id] % 2 == 0 ? "RIN" : "OUT") + QStringLiteral("F%1 L%1").arg(e).toUtf8();
            terminal.received.clear();
            terminal.send(Protocol::idToWire(id));
            QTRY_COMPARE_WITH_TIMEOUT(terminal.received, expected, kWait);
            ++answered[id];
        }
    };

    punch(kEmployees);
    const QByteArray older = contentsOf(log);
    QVERIFY(!older.isEmpty());
    punch(kEmployees);
    if (fault == QLatin1String("replaced")) {
        QFile copy(log + QStringLiteral(".old"));
        QVERIFY(copy.open(QIODevice::WriteOnly) && copy.write(older) == older.size());
        copy.close();
        QVERIFY(::rename(QFile::encodeName(copy.fileName()).constData(), QFile::encodeName(log).constData()) == 0);
    } else if (fault == QLatin1String("emptied")) {
        // What the log held is gone with it; what is answered from now on must not be.
        QVERIFY(QFile(log).resize(0));
        answered.clear();
    } else {
        QVERIFY(QFile::remove(log));
        if (fault == QLatin1String("deleted with index"))
            QVERIFY(QFile::remove(path + QStringLiteral("-shm")));
    }
    punch(kEmployees);
    ::kill(pid_t(server.processId()), SIGKILL);
    QVERIFY(server.waitForFinished(kWait));

    QVERIFY(Database::open(Database::Kind::Server, path));
    QCOMPARE(db.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    QCOMPARE(filledSlots(day), answered);
    Database::close();
}

// The database file written in place or swapped by something else while the server runs (a backup restored
// under it, right after its own checkpoint or with none since): punches are refused with one clear message
// and a log line, nothing is answered, and the file left at the path opens sound, without the server's log.
// A checkpoint by another program writes the file too, and is fine.
void TestHardening::databaseChangedInPlace_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("refused");
    QTest::newRow("truncated") << "truncated" << true;
    QTest::newRow("cut to its first page") << "first page" << true;
    QTest::newRow("overwritten by another database") << "overwritten" << true;
    QTest::newRow("older copy written over it after the server's own checkpoint") << "restored" << true;
    QTest::newRow("compacted copy written over it") << "compacted" << true;
    QTest::newRow("older copy moved in place") << "moved in" << true;
    QTest::newRow("checkpointed by another program") << "checkpointed" << false;
}

void TestHardening::databaseChangedInPlace()
{
    QFETCH(QString, change);
    QFETCH(bool, refused);
    TempDatabase db;
    ScriptedDialogs dialogs;
    FixedClock clock;
    seedEmployees(db);
    const QString other = db.dir() + QStringLiteral("/other.mdb");
    {
        OutsideConnection make(other);
        make.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        make.exec(QStringLiteral("CREATE TABLE Employee (id INTEGER PRIMARY KEY, emp_id TEXT, emp_fname TEXT)"));
        make.exec(QStringLiteral("INSERT INTO Employee (emp_id, emp_fname) VALUES ('E100', 'Someone else')"));
    }
    db.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)")); // the file holds every page, as after a while
    const QString backup = db.dir() + QStringLiteral("/backup.mdb");
    QVERIFY(QFile::copy(db.path(), backup));
    std::optional<PunchingListener> server(std::in_place);
    TerminalListener& listener = server->listener;
    const QList<PunchResult::Outcome>& outcomes = server->outcomes;
    QVERIFY(listener.start());
    LoopbackTerminal terminal(listener.port());
    QVERIFY(terminal.connected(kWait));
    QTRY_COMPARE_WITH_TIMEOUT(terminal.received, QByteArray("CRA"), kWait);
    terminal.send("E100\n");
    QTRY_COMPARE_WITH_TIMEOUT(terminal.received, QByteArray("CRARINAnn Lee"), kWait);

    auto overwrite = [](const QString& path, const QByteArray& bytes) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    };
    QFile file(db.path());
    if (change == QLatin1String("truncated")) {
        QVERIFY(file.resize(0));
    } else if (change == QLatin1String("first page")) {
        QVERIFY(file.resize(4096));
    } else if (change == QLatin1String("overwritten")) {
        QVERIFY(overwrite(db.path(), contentsOf(other)));
    } else if (change == QLatin1String("restored")) {
        // A write larger than the log holds before the engine copies it back: the server's own checkpoint.
        db.exec(QStringLiteral("INSERT INTO Terminal (ip) VALUES (zeroblob(5000000))"));
        QVERIFY(QFileInfo(db.path()).size() > 5000000);
        QVERIFY(overwrite(db.path(), contentsOf(backup)));
    } else if (change == QLatin1String("compacted")) {
        const QString compacted = db.dir() + QStringLiteral("/compacted.mdb");
        OutsideConnection(backup).exec(QStringLiteral("VACUUM INTO '%1'").arg(compacted));
        QVERIFY(overwrite(db.path(), contentsOf(compacted)));
    } else if (change == QLatin1String("moved in")) {
        QVERIFY(::rename(QFile::encodeName(backup).constData(), QFile::encodeName(db.path()).constData()) == 0);
    } else {
        OutsideConnection(db.path()).exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    }

    dialogs.clear();
    clock.advance(60);
    if (refused)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("was replaced or changed by another")));
    terminal.send("Ab7\nE100\n");
    QTRY_COMPARE_WITH_TIMEOUT(outcomes.size(), 3, kWait);
    if (!refused) {
        QTRY_COMPARE_WITH_TIMEOUT(terminal.received, QByteArray("CRARINAnn LeeRINBo EkOUTAnn Lee"), kWait);
        QCOMPARE(filledSlots(clock.now().date()), (std::map<QString, int>{{"Ab7", 1}, {"E100", 2}}));
        return;
    }
    QCOMPARE(outcomes.mid(1),
             (QList<PunchResult::Outcome>{PunchResult::Outcome::StoreFailed, PunchResult::Outcome::StoreFailed}));
    QVERIFY2(dialogs.last().text.contains(QLatin1String("was replaced or changed by another program")),
             qPrintable(dialogs.last().text));
    QCOMPARE(terminal.received, QByteArray("CRARINAnn Lee"));
    // Still refused later, without a second log line: it stays so until the server starts again.
    terminal.send("E100\n");
    QTRY_COMPARE_WITH_TIMEOUT(outcomes.size(), 4, kWait);
    QCOMPARE(outcomes.last(), PunchResult::Outcome::StoreFailed);
    if (change == QLatin1String("truncated") || change == QLatin1String("first page") ||
        change == QLatin1String("overwritten"))
        return;
    // The restored copy is what the next start finds, whole: none of the server's log was copied into it.
    server.reset();
    Database::close();
    QString error;
    QVERIFY2(Database::open(Database::Kind::Server, db.path(), &error), qPrintable(error));
    QCOMPARE(db.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    QCOMPARE(filledSlots(clock.now().date()), (std::map<QString, int>{}));
}

// A column dropped, or the table rebuilt with its columns in another order, while the server runs: the
// schema is checked again, so a punch is refused (no answer, a clear message) rather than answered for a
// slot that was not written, and the statements read the columns where they are now.
void TestHardening::schemaChangedWhileRunning_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("out1 dropped") << "dropped";
    QTest::newRow("timesheet rebuilt with its columns in another order") << "reordered";
}

void TestHardening::schemaChangedWhileRunning()
{
    QFETCH(QString, change);
    TempDatabase db;
    ScriptedDialogs dialogs;
    FixedClock clock;
    seedEmployees(db);
    PunchingListener server;
    TerminalListener& listener = server.listener;
    const QList<PunchResult::Outcome>& outcomes = server.outcomes;
    QVERIFY(listener.start());
    LoopbackTerminal terminal(listener.port());
    QVERIFY(terminal.connected(kWait));
    QTRY_COMPARE_WITH_TIMEOUT(terminal.received, QByteArray("CRA"), kWait);
    terminal.send("E100\n");
    QTRY_COMPARE_WITH_TIMEOUT(terminal.received, QByteArray("CRARINAnn Lee"), kWait);

    {
        OutsideConnection outside(db.path());
        if (change == QLatin1String("dropped")) {
            // The audit trail's triggers name every column; whoever drops one has to drop them first.
            for (const char* event : {"insert", "update", "delete", "replace_insert", "replace_update"})
                outside.exec(QStringLiteral("DROP TRIGGER IF EXISTS audit_timesheet_%1").arg(QLatin1String(event)));
            outside.exec(QStringLiteral("ALTER TABLE timesheet DROP COLUMN out1"));
        } else {
            outside.exec(QStringLiteral(
                "CREATE TABLE rebuilt (out3 TIME, in3 TIME, out2 TIME, in2 TIME, out1 TIME, "
                "in1 TIME, rsdate DATE, emp_id TEXT COLLATE NOCASE, site TEXT, id INTEGER PRIMARY KEY)"));
            outside.exec(
                QStringLiteral("INSERT INTO rebuilt (id, emp_id, rsdate, in1, out1, in2, out2, in3, out3, site) "
                               "SELECT id, emp_id, rsdate, in1, out1, in2, out2, in3, out3, site FROM timesheet"));
            outside.exec(QStringLiteral("DROP TABLE timesheet"));
            outside.exec(QStringLiteral("ALTER TABLE rebuilt RENAME TO timesheet"));
            outside.exec(QStringLiteral("CREATE INDEX timesheet_emp_id_rsdate ON timesheet(emp_id, rsdate)"));
        }
    }
    dialogs.clear();
    clock.advance(3600);
    terminal.send("E100\nnobody\n");
    QTRY_COMPARE_WITH_TIMEOUT(outcomes.size(), 3, kWait);
    if (change == QLatin1String("dropped")) {
        QCOMPARE(outcomes.at(1), PunchResult::Outcome::StoreFailed);
        QVERIFY2(dialogs.last().text.contains(QLatin1String("column timesheet.out1")), qPrintable(dialogs.last().text));
        QTRY_COMPARE_WITH_TIMEOUT(terminal.received, QByteArray("CRARINAnn LeeNRF"), kWait);
        QCOMPARE(db.scalar(QStringLiteral("SELECT in1 || '|' || ifnull(in2, '') FROM timesheet")).toString(),
                 QStringLiteral("08:00:00|"));
    } else {
        QTRY_COMPARE_WITH_TIMEOUT(terminal.received, QByteArray("CRARINAnn LeeOUTAnn LeeNRF"), kWait);
        QCOMPARE(
            db.scalar(QStringLiteral("SELECT in1 || '|' || out1 || '|' || ifnull(in2, '') FROM timesheet")).toString(),
            QStringLiteral("08:00:00|09:00:00|"));
    }
}

// Employees whose IDs differ only in letter case each punch their own row (SQL finds rows case-blind), and an
// empty ID at the clock window is nobody's, not that of a row imported without an ID.
void TestHardening::exactIds_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("id");
    QTest::newRow("terminal, an ID beside its upper-case twin") << "terminal"
                                                                << "ab1";
    QTest::newRow("clock window, an ID beside its upper-case twin") << "clock"
                                                                    << "ab1";
    QTest::newRow("clock window, the empty ID beside rows without one") << "clock"
                                                                        << "";
}

void TestHardening::exactIds()
{
    QFETCH(QString, path);
    QFETCH(QString, id);
    TempDatabase db;
    ScriptedDialogs dialogs;
    FixedClock clock;
    const QDate today = clock.now().date();
    db.addEmployee(QStringLiteral("AB1"), QStringLiteral("Al"), QStringLiteral("Big"));
    db.addEmployee(QStringLiteral("ab1"), QStringLiteral("Al"), QStringLiteral("Small"));
    db.exec(QStringLiteral("INSERT INTO Employee (emp_fname, emp_lname) VALUES ('No', 'Id')"));
    db.addTimesheet(QStringLiteral("AB1"), today, {t("07:00:00")});
    db.exec(QStringLiteral("INSERT INTO timesheet (rsdate, in1) VALUES (?, '07:30:00')"),
            {today.toString(Qt::ISODate)});
    const QList<QVariantList> before = rowsOf(QStringLiteral("timesheet"));
    const auto closeWindows = qScopeGuard([this] { cleanup(); }); // before the database closes

    TerminalNoticeBoxes notices;
    TerminalListener listener(0, notices);
    QVERIFY(listener.start());
    LoopbackTerminal terminal(listener.port());
    QVERIFY(terminal.connected(kWait));
    QTRY_COMPARE_WITH_TIMEOUT(terminal.received, QByteArray("CRA"), kWait);
    auto* clockWindow = ChildWindows::open<ClockWindow>(QStringLiteral("Clock"));
    QVERIFY(clockWindow);
    auto* idBox = clockWindow->findChild<QLineEdit*>(QStringLiteral("Text1"));
    auto* name = clockWindow->findChild<QLabel*>(QStringLiteral("Label5"));
    auto* action = clockWindow->findChild<QLabel*>(QStringLiteral("Label6"));
    QVERIFY(idBox && name && action);
    auto punch = [&]() -> QString {
        if (path == QLatin1String("terminal")) {
            const qsizetype had = terminal.received.size();
            terminal.send(Protocol::idToWire(id));
            if (!QTest::qWaitFor([&] { return terminal.received.size() > had; }, kWait))
                return QStringLiteral("no answer");
            return QString::fromUtf8(terminal.received.mid(had));
        }
        dialogs.clear();
        idBox->setText(id);
        QTest::keyClick(idBox, Qt::Key_Return);
        return dialogs.boxes.isEmpty() ? name->text() + QLatin1Char('|') + action->text() : dialogs.last().title;
    };

    if (id.isEmpty()) {
        QCOMPARE(punch(), QStringLiteral("Record Not Found"));
        QCOMPARE(rowsOf(QStringLiteral("timesheet")), before);
        return;
    }
    const bool terminalPath = path == QLatin1String("terminal");
    QCOMPARE(punch(), terminalPath ? QStringLiteral("RINAl Small") : QStringLiteral("Al Small|Signed In At 08:00:00"));
    clock.advance(60);
    QCOMPARE(punch(), terminalPath ? QStringLiteral("OUTAl Small") : QStringLiteral("Al Small|Signed Out At 08:01:00"));
    const QList<QVariantList> after = rowsOf(QStringLiteral("timesheet"));
    QCOMPARE(after.mid(0, before.size()), before);
    QCOMPARE(after.size(), before.size() + 1);
    QCOMPARE(after.last().mid(1, 4), (QVariantList{"ab1", today.toString(Qt::ISODate), "08:00:00", "08:01:00"}));
    QVERIFY(after.last().at(5).isNull());
}

// Another program holds the write lock (the sqlite3 tool, a backup, a second process): the server keeps
// serving. Lookups that write nothing are answered at once; punches wait in order and are answered as
// soon as their rows commit, none refused and none answered before it is stored.
void TestHardening::outsideLock()
{
    const int terminals = soak() ? 20 : 3;
    const int holdMs = soak() ? 30000 : 2000;
    constexpr int kPerTerminal = 3;
    TempDatabase db;
    ScriptedDialogs dialogs;
    FixedClock clock;
    for (int t = 0; t < terminals; ++t) {
        for (int k = 0; k < kPerTerminal; ++k)
            db.addEmployee(QStringLiteral("T%1-%2").arg(t).arg(k), QStringLiteral("F%1").arg(k),
                           QStringLiteral("L%1").arg(t));
    }
    db.addEmployee(QStringLiteral("Full"), QStringLiteral("Fay"), QStringLiteral("Day"));
    db.addTimesheet(QStringLiteral("Full"), clock.now().date(),
                    {t("07:00:00"), t("07:10:00"), t("07:20:00"), t("07:30:00"), t("07:40:00"), t("07:50:00")});
    PunchingListener server;
    TerminalListener& listener = server.listener;
    const QList<PunchResult::Outcome>& outcomes = server.outcomes;
    QVERIFY(listener.start());
    std::vector<std::unique_ptr<LoopbackTerminal>> punchers;
    for (int t = 0; t < terminals + 1; ++t) {
        punchers.push_back(std::make_unique<LoopbackTerminal>(listener.port()));
        QVERIFY(punchers.back()->connected(kWait));
        QTRY_COMPARE_WITH_TIMEOUT(punchers.back()->received, QByteArray("CRA"), kWait);
        punchers.back()->received.clear();
    }
    LoopbackTerminal& asker = *punchers.back();
    const auto closeWindows = qScopeGuard([this] { cleanup(); }); // before the database closes
    auto* clockWindow = ChildWindows::open<ClockWindow>(QStringLiteral("Clock"));
    QVERIFY(clockWindow);
    auto* idBox = clockWindow->findChild<QLineEdit*>(QStringLiteral("Text1"));
    QVERIFY(idBox);

    OutsideConnection outside(db.path());
    outside.exec(QStringLiteral("BEGIN IMMEDIATE"));
    outside.exec(QStringLiteral("INSERT INTO Terminal (ip) VALUES ('10.0.0.9')"));
    bool released = false;
    QElapsedTimer sinceRelease;
    QTimer::singleShot(holdMs, this, [&] {
        outside.exec(QStringLiteral("COMMIT"));
        released = true;
        sinceRelease.start();
    });
    QByteArray expected[64];
    for (int t = 0; t < terminals; ++t) {
        QByteArray ids;
        for (int k = 0; k < kPerTerminal; ++k) {
            ids += Protocol::idToWire(QStringLiteral("T%1-%2").arg(t).arg(k));
            expected[t] += QStringLiteral("RINF%1 L%2").arg(k).arg(t).toUtf8();
        }
        punchers[t]->send(ids);
    }
    asker.send("nobody\n");
    QTRY_COMPARE_WITH_TIMEOUT(asker.received, QByteArray("NRF"), kWait);
    asker.send("Full\n");
    QTRY_VERIFY_WITH_TIMEOUT(outcomes.contains(PunchResult::Outcome::NoFreeSlot), kWait);
    dialogs.clear();
    idBox->setText(QStringLiteral("Full"));
    QTest::keyClick(idBox, Qt::Key_Return);
    QVERIFY(dialogs.boxes.isEmpty()); // a full day writes nothing, so it needs no lock
    idBox->setText(QStringLiteral("T0-0"));
    QTest::keyClick(idBox, Qt::Key_Return);
    QCOMPARE(dialogs.last().title, QStringLiteral("Punch Not Recorded"));
    QVERIFY2(dialogs.last().text.contains(QLatin1String("busy")), qPrintable(dialogs.last().text));
    QVERIFY2(!released, "the lock was let go before the lookups were answered");
    for (int t = 0; t < terminals; ++t)
        QCOMPARE(punchers[t]->received, QByteArray());

    for (int t = 0; t < terminals; ++t)
        QTRY_COMPARE_WITH_TIMEOUT(punchers[t]->received, expected[t], kWait + holdMs);
    QVERIFY(released);
    qInfo("outside lock: %d punches from %d terminals held %d ms, all answered %lld ms after the lock went",
          terminals * kPerTerminal, terminals, holdMs, sinceRelease.elapsed());
    QVERIFY(!outcomes.contains(PunchResult::Outcome::StoreFailed));
    QCOMPARE(
        db.scalar(QStringLiteral("SELECT COUNT(*) FROM timesheet WHERE in1 = '08:00:00' AND out1 IS NULL")).toInt(),
        terminals * kPerTerminal);
    QCOMPARE(db.scalar(QStringLiteral("SELECT ip FROM Terminal")).toString(), QStringLiteral("10.0.0.9"));
}

// qorvil-report reads: it opens only an existing Qorvil database, never writes output over the database or
// the files beside it, replaces its output file rather than writing into it, and keeps Qt's own warnings
// off its stderr.
void TestHardening::reportWritesOnlyItsOwn_data()
{
    QTest::addColumn<QString>("database"); // "qorvil", "missing", "empty", "other"
    QTest::addColumn<QString>("output");   // "", "database", "-wal", "-shm", "link", "pdf"
    QTest::addColumn<int>("status");
    QTest::newRow("no database at the path") << "missing"
                                             << "" << 1;
    QTest::newRow("an empty file") << "empty"
                                   << "" << 1;
    QTest::newRow("another program's database") << "other"
                                                << "" << 1;
    QTest::newRow("--csv onto the database") << "qorvil"
                                             << "database" << 2;
    QTest::newRow("--csv onto its -wal") << "qorvil"
                                         << "-wal" << 2;
    QTest::newRow("--pdf onto its -shm") << "qorvil"
                                         << "-shm" << 2;
    QTest::newRow("--csv onto a hard link of the database") << "qorvil"
                                                            << "link" << 0;
    QTest::newRow("--pdf without a runtime folder") << "qorvil"
                                                    << "pdf" << 0;
}

void TestHardening::reportWritesOnlyItsOwn()
{
    QFETCH(QString, database);
    QFETCH(QString, output);
    QFETCH(int, status);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("punched.mdb"));
    if (database == QLatin1String("qorvil")) {
        TempDatabase db;
        seedEmployees(db);
        db.addTimesheet(QStringLiteral("E100"), QDate(2026, 3, 2), {t("08:00:00"), t("12:00:00")});
        db.exec(QStringLiteral("VACUUM INTO ?"), {path});
    } else if (database == QLatin1String("empty")) {
        QFile empty(path);
        QVERIFY(empty.open(QIODevice::WriteOnly));
    } else if (database == QLatin1String("other")) {
        OutsideConnection(path).exec(QStringLiteral("CREATE TABLE notes (body TEXT)"));
    }
    const QByteArray before = contentsOf(path);

    QStringList arguments = {
        QStringLiteral("summary"),    QStringLiteral("--from"), QStringLiteral("03/02/2026"), QStringLiteral("--to"),
        QStringLiteral("03/06/2026"), QStringLiteral("--all"),  QStringLiteral("--database"), path};
    const QString link = dir.filePath(QStringLiteral("report.pdf"));
    if (output == QLatin1String("database"))
        arguments << QStringLiteral("--csv") << path;
    else if (output == QLatin1String("-wal") || output == QLatin1String("-shm"))
        arguments << (output == QLatin1String("-wal") ? QStringLiteral("--csv") : QStringLiteral("--pdf"))
                  << path + output;
    else if (output == QLatin1String("link")) {
        QVERIFY(::link(QFile::encodeName(path).constData(), QFile::encodeName(link).constData()) == 0);
        arguments << QStringLiteral("--pdf") << link;
    } else if (output == QLatin1String("pdf"))
        arguments << QStringLiteral("--pdf") << dir.filePath(QStringLiteral("week.pdf"));

    QProcess report;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    environment.insert(QStringLiteral("HOME"), dir.path());
    report.setProcessEnvironment(environment);
    report.start(QStringLiteral(QORVIL_REPORT_PROGRAM), arguments);
    QVERIFY(report.waitForFinished(kWait));
    const QString err = QString::fromUtf8(report.readAllStandardError());
    QCOMPARE(report.exitStatus(), QProcess::NormalExit);
    QVERIFY2(report.exitCode() == status, qPrintable(err));
    for (const QString& line : err.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        QVERIFY2(line.startsWith(QStringLiteral("qorvil-report: ")), qPrintable(line));

    if (database == QLatin1String("missing")) {
        QVERIFY(!QFile::exists(path));
    } else if (status != 0) {
        QCOMPARE(contentsOf(path), before);
    } else {
        QVERIFY(contentsOf(output == QLatin1String("link") ? link : dir.filePath(QStringLiteral("week.pdf")))
                    .startsWith("%PDF-"));
        QVERIFY(Database::open(Database::Kind::Server, path));
        QCOMPARE(rowsOf(QStringLiteral("Employee")).size(), 4);
        QCOMPARE(rowsOf(QStringLiteral("summary")).size(), 4);
        Database::close();
    }
}

QTEST_MAIN(TestHardening)
#include "test_hardening.moc"
