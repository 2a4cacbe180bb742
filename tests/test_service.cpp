// qorvil-service run as its own process, as systemd runs it, and the desktop server beside it.
#include "core/net/sitekey.h"
#include "core/net/terminallistener.h"
#include "core/settings.h"
#include "server/timesheets/timesheetbrowser.h"
#include "tests/support/encryptedterminal.h"
#include "tests/support/loopbackterminal.h"
#include "tests/support/mainwindowfixture.h"
#include "tests/support/serviceprocess.h"
#include "tests/support/tempdatabase.h"
#include "widgets/childwindows.h"
#include "widgets/formwindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStatusBar>
#include <QTest>
#include <QTreeWidget>
#include <map>
#include <memory>
#include <sys/stat.h>
#include <vector>

namespace {

const QString kProgram = QStringLiteral(QORVIL_SERVICE_PROGRAM);

// A working day's punches from one terminal, sent at once: an unknown ID, sign-ins and sign-outs, an ID that
// matches only without regard to case (no answer), a seventh punch of a full day (no answer), and a last
// known ID whose answer shows that everything before it was handled.
const QByteArray kDay = "nobody\nE100\nE100\ne100\nE200\nE100\nE100\nE100\nE100\nE100\nE200\n";
const QByteArray kDayAnswers = "CRANRFRINAnn LeeOUTAnn LeeRINBob RayRINAnn LeeOUTAnn LeeRINAnn LeeOUTAnn LeeOUTBob Ray";

void seedDay(TempDatabase& db)
{
    db.addEmployee(QStringLiteral("E100"), QStringLiteral("Ann"), QStringLiteral("Lee"));
    db.addEmployee(QStringLiteral("E200"), QStringLiteral("Bob"), QStringLiteral("Ray"));
}

// Which slots of each stored row are filled, in order of the rows.
QStringList storedSlots()
{
    QStringList rows;
    QSqlQuery query(QStringLiteral("Select emp_id, in1, out1, in2, out2, in3, out3 from timesheet order by id"), gConn);
    while (query.next()) {
        QString row = query.value(0).toString() + QLatin1Char(':');
        for (int slot = 1; slot <= 6; ++slot)
            row += query.value(slot).isNull() ? QLatin1Char('-') : QLatin1Char('x');
        rows << row;
    }
    return rows;
}

// Filled time slots per employee over every day, as stored.
std::map<QString, int> storedPunches()
{
    std::map<QString, int> punches;
    QSqlQuery query(QStringLiteral("Select emp_id, in1, out1, in2, out2, in3, out3 from timesheet"), gConn);
    while (query.next()) {
        for (int slot = 1; slot <= 6; ++slot)
            punches[query.value(0).toString()] += query.value(slot).isNull() ? 0 : 1;
    }
    return punches;
}

} // namespace

class TestService : public QObject, MainWindowFixture
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { tearDown(); }
    void refusesBadOptions_data();
    void refusesBadOptions();
    void newDatabaseIsSharedWithTheGroup();
    void waitsForTheDatabaseServer();
    void greetsAtOnceAndPunchesLikeTheDesktopServer();
    void servesOnlyTheListedTerminals_data();
    void servesOnlyTheListedTerminals();
    void stopsCleanlyUnderLoad();
    void desktopServerLeavesTheTerminalsToTheService();
};

void TestService::refusesBadOptions_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("port out of range") << QStringList{"--port", "70000"} << "--port \"70000\" is not a port number";
    QTest::newRow("not an address") << QStringList{"--listen", "server.example"}
                                    << "--listen \"server.example\" is not an IP address";
    QTest::newRow("unknown option") << QStringList{"--daemon"} << "Unknown option 'daemon'";
}

void TestService::refusesBadOptions()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QProcess service;
    service.start(kProgram, QStringList{"--database", dir.filePath("punched.mdb")} + arguments);
    QVERIFY(service.waitForFinished(30000));
    QCOMPARE(service.exitCode(), 2);
    const QString err = QString::fromUtf8(service.readAllStandardError());
    QVERIFY2(err.contains(message), qPrintable(err));
    // Nothing was opened, so nothing was made.
    QVERIFY(!QFileInfo::exists(dir.filePath("punched.mdb")));
}

void TestService::newDatabaseIsSharedWithTheGroup()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("punched.mdb");
    ServiceProcess service(kProgram, path);
    const mode_t before = ::umask(0022); // a shell's, not the unit's: the file is the group's all the same
    const bool started = service.start();
    ::umask(before);
    QVERIFY2(started, qPrintable(service.log()));
    // The group's to write, nobody else's to read (employees' numbers and wages).
    for (const QString& file : QStringList{path, path + "-wal"}) {
        struct stat seen = {};
        QVERIFY(::stat(QFile::encodeName(file).constData(), &seen) == 0);
        QCOMPARE(seen.st_mode & 0777, 0660u);
    }
    QCOMPARE(service.stop(), 0);
}

// A database server not reachable yet at start (still starting, the network not up): the service waits for it
// instead of exiting, says so once, and still stops cleanly.
void TestService::waitsForTheDatabaseServer()
{
    if (!QSqlDatabase::isDriverAvailable("QPSQL"))
        QSKIP("Qt's PostgreSQL driver is not installed");
    ServiceProcess service(kProgram, "postgresql://qorvil@127.0.0.1:1/qorvil");
    service.process.start();
    QVERIFY(service.process.waitForStarted(10000));
    QTRY_VERIFY_WITH_TIMEOUT(service.log().contains("Trying again every 5 seconds"), 30000);
    QTest::qWait(500);
    QCOMPARE(service.process.state(), QProcess::Running);
    QCOMPARE(service.log().count("Trying again"), 1);
    QCOMPARE(service.stop(), 0);
}

void TestService::greetsAtOnceAndPunchesLikeTheDesktopServer()
{
    // The service, with nobody to accept the terminal.
    auto db = std::make_unique<TempDatabase>();
    seedDay(*db);
    const QString path = db->path();
    Database::close();
    ServiceProcess service(kProgram, path);
    QVERIFY2(service.start(), qPrintable(service.log()));
    QByteArray fromService;
    {
        LoopbackTerminal terminal(service.port());
        QVERIFY(terminal.connected());
        QTRY_COMPARE(terminal.received, QByteArray("CRA"));
        terminal.send(kDay);
        QTRY_VERIFY(terminal.received.endsWith("OUTBob Ray"));
        fromService = terminal.received;
    }
    QCOMPARE(service.stop(), 0);
    QVERIFY(service.log().contains("<6>Connected with 127.0.0.1"));
    QVERIFY(Database::open(Database::Kind::Server, path));
    const QStringList serviceRows = storedSlots();
    db.reset();

    // The desktop server, its notice dismissed at once.
    QVERIFY(setUp([](TempDatabase& desktopDb) { seedDay(desktopDb); }));
    LoopbackTerminal terminal(window().listener()->port());
    QVERIFY(terminal.connected());
    QTRY_COMPARE(terminal.received, QByteArray("CRA"));
    terminal.send(kDay);
    QTRY_VERIFY(terminal.received.endsWith("OUTBob Ray"));

    QCOMPARE(fromService, terminal.received);
    QCOMPARE(fromService, kDayAnswers);
    QCOMPARE(serviceRows, storedSlots());
}

void TestService::servesOnlyTheListedTerminals_data()
{
    QTest::addColumn<QString>("allowed");
    QTest::addColumn<bool>("encrypted");
    QTest::addColumn<bool>("served");
    QTest::addColumn<QString>("logged");
    QTest::newRow("no list: every terminal") << "" << false << true << "<4>No allowed terminals are listed";
    QTest::newRow("listed") << "127.0.0.0/8" << false << true
                            << "<6>Connected with 127.0.0.1 (connection 1); "
                               "allowed terminal, plain";
    QTest::newRow("listed, encrypted") << "127.0.0.1" << true << true << "allowed terminal, encrypted";
    QTest::newRow("not listed") << "10.0.0.0/8" << false << false
                                << "<4>Refused the connection from 127.0.0.1: not an allowed terminal";
}

void TestService::servesOnlyTheListedTerminals()
{
    QFETCH(QString, allowed);
    QFETCH(bool, encrypted);
    QFETCH(bool, served);
    QFETCH(QString, logged);
    auto db = std::make_unique<TempDatabase>();
    seedDay(*db);
    const QString key = SiteKey::generate();
    if (!allowed.isEmpty())
        db->exec(QStringLiteral("INSERT INTO allowed_terminals (address) VALUES (?)"), {allowed});
    // Nobody is there to be asked, so this setting of the desktop server does not count.
    QVERIFY(Settings::setValue(Settings::kAcceptUnknownTerminals, QStringLiteral("0")));
    QVERIFY(Settings::setValue(Settings::kTerminalSiteKey, key));
    const QString path = db->path();
    Database::close();
    ServiceProcess service(kProgram, path);
    QVERIFY2(service.start(), qPrintable(service.log()));
    {
        std::unique_ptr<LoopbackTerminal> plain;
        std::unique_ptr<EncryptedTerminal> secure;
        if (encrypted)
            secure = std::make_unique<EncryptedTerminal>(service.port(), *SiteKey::parse(key));
        else
            plain = std::make_unique<LoopbackTerminal>(service.port());
        QTcpSocket& socket = encrypted ? static_cast<QTcpSocket&>(secure->socket) : plain->socket;
        const QByteArray& received = encrypted ? secure->received : plain->received;
        if (served) {
            QTRY_COMPARE(received, QByteArray("CRA"));
            encrypted ? secure->send("E100\n") : plain->send("E100\n");
            QTRY_COMPARE(received, QByteArray("CRARINAnn Lee"));
        } else {
            QTRY_COMPARE(socket.state(), QAbstractSocket::UnconnectedState);
            QCOMPARE(received, QByteArray());
        }
    }
    QTRY_VERIFY2(service.log().contains(logged), qPrintable(service.log()));
    QCOMPARE(service.log().count(QStringLiteral("No allowed terminals are listed")), allowed.isEmpty() ? 1 : 0);
    QCOMPARE(service.stop(), 0);
}

void TestService::stopsCleanlyUnderLoad()
{
    constexpr int kTerminals = 20;
    constexpr int kEmployees = 200;
    constexpr int kAnswersBeforeStop = 300;
    auto db = std::make_unique<TempDatabase>();
    QHash<QString, QString> names;
    for (int i = 0; i < kEmployees; ++i) {
        const QString id = QStringLiteral("E%1").arg(i, 3, 10, QLatin1Char('0'));
        names.insert(id, QStringLiteral("Worker %1").arg(i));
        db->addEmployee(id, QStringLiteral("Worker"), QString::number(i));
    }
    const QString path = db->path();
    Database::close();

    ServiceProcess service(kProgram, path);
    QVERIFY2(service.start(), qPrintable(service.log()));

    // Each terminal punches its own employees in turn, sending the next ID as soon as the last is answered.
    struct Terminal
    {
        std::unique_ptr<LoopbackTerminal> link;
        int next = 0;
        QString waitingFor;
    };
    std::vector<Terminal> terminals(kTerminals);
    std::map<QString, int> answered;
    int answers = 0;
    for (int t = 0; t < kTerminals; ++t) {
        Terminal& terminal = terminals[std::size_t(t)];
        terminal.link = std::make_unique<LoopbackTerminal>(service.port());
        auto sendNext = [&terminal, t] {
            const int employee = t + kTerminals * (terminal.next++ % (kEmployees / kTerminals));
            terminal.waitingFor = QStringLiteral("E%1").arg(employee, 3, 10, QLatin1Char('0'));
            terminal.link->send(terminal.waitingFor.toUtf8() + '\n');
        };
        QObject::connect(&terminal.link->socket, &QTcpSocket::readyRead, &terminal.link->socket,
                         [&terminal, &answered, &answers, &names, sendNext] {
                             QByteArray& received = terminal.link->received;
                             if (received == "CRA") {
                                 received.clear();
                                 sendNext();
                                 return;
                             }
                             const QByteArray name = names.value(terminal.waitingFor).toUtf8();
                             if (received != "RIN" + name && received != "OUT" + name)
                                 return; // more to come
                             received.clear();
                             ++answered[terminal.waitingFor];
                             ++answers;
                             sendNext();
                         });
    }
    QTRY_VERIFY_WITH_TIMEOUT(answers >= kAnswersBeforeStop, 30000);

    service.process.terminate();
    QVERIFY(service.process.waitForFinished(30000));
    QCOMPARE(service.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(service.process.exitCode(), 0);
    QVERIFY2(service.log().contains("<6>Stopped; the database is closed"), qPrintable(service.log()));
    QCoreApplication::processEvents(); // answers that arrived with the end

    QVERIFY(Database::open(Database::Kind::Server, path));
    QCOMPARE(db->scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    const std::map<QString, int> stored = storedPunches();
    for (const auto& [id, count] : answered)
        QVERIFY2(stored.count(id) && stored.at(id) >= count, qPrintable(id));
    // A clean close leaves no write-ahead log to replay.
    QVERIFY(!QFileInfo::exists(path + "-wal") || QFileInfo(path + "-wal").size() == 0);
}

void TestService::desktopServerLeavesTheTerminalsToTheService()
{
    // The service starts on the database first, as at boot; the desktop server opens the same file later.
    std::unique_ptr<ServiceProcess> service;
    QVERIFY(setUp([&service](TempDatabase& db) {
        seedDay(db);
        service = std::make_unique<ServiceProcess>(kProgram, db.path());
        QVERIFY2(service->start(), qPrintable(service->log()));
    }));
    QVERIFY(!window().listener()->isListening());
    auto* indicator = window().statusBar()->findChild<QLabel*>(QStringLiteral("TerminalsIndicator"));
    QVERIFY(indicator);
    QCOMPARE(indicator->text(), QStringLiteral("Terminals are served by the Qorvil terminal service"));
    QVERIFY(m_dialogs->boxes.isEmpty()); // no port to fail on, nothing to retry

    LoopbackTerminal terminal(service->port());
    QVERIFY(terminal.connected());
    terminal.send("E100\n");
    QTRY_COMPARE(terminal.received, QByteArray("CRARINAnn Lee"));

    // The desktop server shows the service's punch and corrects it while the service runs.
    auto* browser = ChildWindows::open<TimesheetBrowser>(QStringLiteral("Timesheets"));
    auto* employees = browser->findChild<QTreeWidget*>(QStringLiteral("EmpList"));
    auto* times = browser->findChild<QTreeWidget*>(QStringLiteral("TimeList"));
    employees->setCurrentItem(employees->topLevelItem(0));
    Q_EMIT employees->itemClicked(employees->topLevelItem(0), 0);
    QCOMPARE(times->topLevelItemCount(), 1);
    times->setCurrentItem(times->topLevelItem(0));
    Q_EMIT times->itemClicked(times->topLevelItem(0), 0);
    QTest::mouseClick(browser->findChild<QPushButton*>(QStringLiteral("PushButton2")), Qt::LeftButton); // Edit
    FormWindow* editor = ChildWindows::find(QStringLiteral("AddTime"));
    QVERIFY(editor);
    auto* edit = editor->findChild<QPushButton*>(QStringLiteral("PushButton5"));
    QTest::mouseClick(edit, Qt::LeftButton);
    auto* in1 = editor->findChild<QLineEdit*>(QStringLiteral("In1"));
    in1->clear();
    QTest::keyClicks(in1, QStringLiteral("07:00:00"));
    // Update. On a loaded machine the service may hold the write lock longer than a window waits; the window
    // then says so, and the correction is made by pressing Update again, as its message asks.
    QTest::mouseClick(edit, Qt::LeftButton);
    for (int again = 0; again < 5 && !m_dialogs->boxes.isEmpty() &&
                        m_dialogs->last().text.startsWith(QStringLiteral("The database is busy"));
         ++again) {
        m_dialogs->clear();
        QTest::qWait(200);
        QTest::mouseClick(edit, Qt::LeftButton);
    }
    QVERIFY2(m_dialogs->boxes.isEmpty(), qPrintable(m_dialogs->texts().join(QLatin1Char('\n'))));

    // Punches go on beside the correction, and nothing of either is lost.
    terminal.send("E200\n");
    QTRY_COMPARE(terminal.received, QByteArray("CRARINAnn LeeRINBob Ray"));
    QCOMPARE(m_db->scalar(QStringLiteral("select in1 from timesheet where emp_id = 'E100'")).toString(),
             QStringLiteral("07:00:00"));
    QVERIFY(!m_db->scalar(QStringLiteral("select in1 from timesheet where emp_id = 'E200'")).isNull());
    QCOMPARE(service->stop(), 0);
}

QTEST_MAIN(TestService)
#include "test_service.moc"
