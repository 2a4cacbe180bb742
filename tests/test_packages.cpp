// The Debian packages as a user gets them: built by CPack from this build, checked by Debian's own
// validators, unpacked into a temporary root and run from there.
#include "tests/support/loopbackterminal.h"
#include "tests/support/serviceprocess.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run
{
    int status = -1;
    QString output;
};

Run run(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment = {})
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (!environment.isEmpty())
        process.setProcessEnvironment(environment);
    process.start(program, arguments);
    Run result;
    // Packing the sanitizer build's programs takes minutes on a busy machine.
    if (process.waitForFinished(480000) && process.exitStatus() == QProcess::NormalExit)
        result.status = process.exitCode();
    result.output = QString::fromUtf8(process.readAll());
    return result;
}

} // namespace

class TestPackages : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void lintianFindsNothing();
    void dependenciesNameTheQtPlugins_data();
    void dependenciesNameTheQtPlugins();
    void desktopFilesAndMetainfoValidate();
    void serviceUnitVerifies();
    void unpackedProgramsRun();

private:
    QString deb(const QString& package) const
    {
        return m_work.filePath(QStringLiteral("%1_%2_%3.deb").arg(package, QStringLiteral(QORVIL_VERSION), m_arch));
    }
    QString root(const QString& path) const { return m_work.filePath(QStringLiteral("root")) + path; }

    QTemporaryDir m_work;
    QString m_arch;
    const QStringList m_packages = {"qorvil", "qorvil-client", "qorvil-service"};
};

void TestPackages::initTestCase()
{
    // scripts/install-deps installs these; a machine without them cannot check packages.
    for (const char* tool : {"dpkg-deb", "dpkg-shlibdeps", "file", "lintian", "desktop-file-validate", "appstreamcli",
                             "systemd-analyze", "man"}) {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            QSKIP(qPrintable(
                QStringLiteral("%1 is not installed (scripts/install-deps installs it)").arg(QLatin1String(tool))));
    }
    QVERIFY(m_work.isValid());
    m_arch = run(QStringLiteral("dpkg"), {"--print-architecture"}).output.trimmed();

    const Run cpack =
        run(QStringLiteral(QORVIL_CPACK),
            {"-G", "DEB", "--config", QStringLiteral(QORVIL_BINARY_DIR "/CPackConfig.cmake"), "-B", m_work.path()});
    QVERIFY2(cpack.status == 0, qPrintable(cpack.output));
    for (const QString& package : m_packages) {
        QVERIFY2(QFileInfo::exists(deb(package)), qPrintable(deb(package) + "\n" + cpack.output));
        const Run unpack = run(QStringLiteral("dpkg"), {"-x", deb(package), m_work.filePath(QStringLiteral("root"))});
        QVERIFY2(unpack.status == 0, qPrintable(unpack.output));
    }
}

void TestPackages::lintianFindsNothing()
{
    QStringList arguments = {"--fail-on", "error,warning", "--no-tag-display-limit"};
    for (const QString& package : m_packages)
        arguments << deb(package);
    const Run lintian = run(QStringLiteral("lintian"), arguments);
    QVERIFY2(lintian.status == 0, qPrintable(lintian.output));
    QVERIFY2(
        !lintian.output.contains(QRegularExpression(QStringLiteral("^[EW]: "), QRegularExpression::MultilineOption)),
        qPrintable(lintian.output));
}

void TestPackages::dependenciesNameTheQtPlugins_data()
{
    QTest::addColumn<QString>("package");
    QTest::addColumn<QStringList>("needs");
    // The plugins Qt loads at run time are no library dependency that dpkg-shlibdeps could find.
    QTest::newRow("qorvil") << "qorvil" << QStringList{"libqt6sql6-sqlite", "qt6-qpa-plugins", "libqt6widgets6"};
    QTest::newRow("qorvil-client") << "qorvil-client"
                                   << QStringList{"libqt6sql6-sqlite", "qt6-qpa-plugins", "libqt6widgets6"};
    QTest::newRow("qorvil-service") << "qorvil-service"
                                    << QStringList{"libqt6sql6-sqlite", "adduser", "libqt6network6"};
}

void TestPackages::dependenciesNameTheQtPlugins()
{
    QFETCH(QString, package);
    QFETCH(QStringList, needs);
    const QString depends = run(QStringLiteral("dpkg-deb"), {"--field", deb(package), "Depends"}).output;
    for (const QString& need : needs)
        QVERIFY2(depends.contains(need), qPrintable(package + ": " + depends));
    // The service has no display and none of its libraries.
    if (package == QLatin1String("qorvil-service"))
        QVERIFY2(!depends.contains(QLatin1String("libqt6gui6")), qPrintable(depends));
}

void TestPackages::desktopFilesAndMetainfoValidate()
{
    const QStringList desktop = QDir(root("/usr/share/applications")).entryList({"*.desktop"}, QDir::Files);
    const QStringList metainfo = QDir(root("/usr/share/metainfo")).entryList({"*.xml"}, QDir::Files);
    QCOMPARE(desktop.size(), 2);
    QCOMPARE(metainfo.size(), 2);
    for (const QString& name : desktop) {
        const Run check = run(QStringLiteral("desktop-file-validate"), {root("/usr/share/applications/") + name});
        QVERIFY2(check.status == 0 && check.output.isEmpty(), qPrintable(name + ": " + check.output));
        // The icon the entry names is in the package.
        const QString icon = name.chopped(8);
        QVERIFY(QFileInfo::exists(root("/usr/share/icons/hicolor/scalable/apps/") + icon + ".svg"));
    }
    for (const QString& name : metainfo) {
        const Run check =
            run(QStringLiteral("appstreamcli"), {"validate", "--no-net", root("/usr/share/metainfo/") + name});
        QVERIFY2(check.status == 0, qPrintable(name + ": " + check.output));
    }
}

void TestPackages::serviceUnitVerifies()
{
    // Verified as installed, except that the program it starts is the unpacked one and man finds the
    // unpacked manual page its Documentation names.
    QFile unit(root("/lib/systemd/system/qorvil-service.service"));
    QVERIFY(unit.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(unit.readAll());
    for (const char* setting : {"Restart=on-failure", "ProtectSystem=strict", "ReadWritePaths=/var/lib/qorvil",
                                "NoNewPrivileges=yes", "User=qorvil"})
        QVERIFY2(text.contains(QLatin1String(setting)), setting);
    QFile copy(m_work.filePath(QStringLiteral("qorvil-service.service")));
    QVERIFY(copy.open(QIODevice::WriteOnly));
    copy.write(
        QString(text).replace(QStringLiteral("/usr/bin/qorvil-service"), root("/usr/bin/qorvil-service")).toUtf8());
    copy.close();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("MANPATH"), root("/usr/share/man"));
    const Run verify = run(QStringLiteral("systemd-analyze"), {"verify", copy.fileName()}, environment);
    QVERIFY2(verify.status == 0 && verify.output.isEmpty(), qPrintable(verify.output));
}

void TestPackages::unpackedProgramsRun()
{
    for (const char* program : {"qorvil-server", "qorvil-client", "qorvil-report", "qorvil-service"}) {
        const Run version = run(root("/usr/bin/") + QLatin1String(program), {"--version"});
        QCOMPARE(version.status, 0);
        QVERIFY2(version.output.contains(QStringLiteral(QORVIL_VERSION)), qPrintable(version.output));
#if defined(__SSP_STRONG__)
        // A hardened build hardens the programs, which read bytes from files and the network: stack canaries.
        const Run symbols =
            run(QStringLiteral("nm"), {"-D", "--undefined-only", root("/usr/bin/") + QLatin1String(program)});
        QVERIFY2(symbols.output.contains(QStringLiteral("__stack_chk_fail")), program);
#endif
    }

    // The unpacked service serves a terminal on its own database and ends cleanly.
    ServiceProcess service(root("/usr/bin/qorvil-service"), m_work.filePath(QStringLiteral("punched.mdb")));
    QVERIFY2(service.start(), qPrintable(service.log()));
    LoopbackTerminal terminal(service.port());
    QVERIFY(terminal.connected());
    QTRY_COMPARE(terminal.received, QByteArray("CRA"));
    terminal.send("nobody\n");
    QTRY_COMPARE(terminal.received, QByteArray("CRANRF"));
    QCOMPARE(service.stop(), 0);
}

QTEST_GUILESS_MAIN(TestPackages)
#include "test_packages.moc"
