#include "core/datapaths.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A file system of one program: <root>/bin holds the program, <root>/share/qorvil is there when it is
// installed, <root>/var/punched.mdb is the shared database, <root>/home/qorvil the user's folder.
struct Tree
{
    QTemporaryDir root;
    QSet<QString> readOnly;

    QString path(const QString& relative) const { return root.filePath(relative); }
    void touch(const QString& relative) const
    {
        QDir().mkpath(QFileInfo(path(relative)).path());
        QFile file(path(relative));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    DataPaths::Places places() const
    {
        // Tests run as root too, who may write anything: which paths are read-only is told, not probed.
        return {path(QStringLiteral("bin")), path(QStringLiteral("var/punched.mdb")),
                path(QStringLiteral("home/qorvil")),
                [this](const QString& p) { return !readOnly.contains(QDir::cleanPath(p)); }};
    }
};

} // namespace

class TestDataPaths : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void databaseLocation_data();
    void databaseLocation();
    void documentsBesideOrInstalled_data();
    void documentsBesideOrInstalled();
};

void TestDataPaths::databaseLocation_data()
{
    QTest::addColumn<bool>("server");
    QTest::addColumn<bool>("given");
    QTest::addColumn<bool>("besideHoldsFile");
    QTest::addColumn<bool>("programFolderWritable");
    QTest::addColumn<bool>("installed");
    QTest::addColumn<QString>("shared"); // "", "present", "read-only file", "read-only folder"
    QTest::addColumn<QString>("expected");

    QTest::newRow("option wins over everything") << true << true << true << true << false << "present"
                                                 << "given";
    QTest::newRow("client option") << false << true << false << false << true << ""
                                   << "given";
    QTest::newRow("source build: writable folder") << true << false << false << true << false << "present"
                                                   << "beside";
    QTest::newRow("portable folder holding the file, read-only") << true << false << true << false << false << "present"
                                                                 << "beside";
    QTest::newRow("installed folder holding the file") << true << false << true << true << true << ""
                                                       << "beside";
    QTest::newRow("read-only folder without the file, no shared database")
        << true << false << false << false << false << ""
        << "user";
    QTest::newRow("installed, shared database writable") << true << false << false << true << true << "present"
                                                         << "shared";
    QTest::newRow("installed, shared database read-only") << true << false << false << false << true << "read-only file"
                                                          << "user";
    QTest::newRow("installed, shared database's folder read-only")
        << true << false << false << false << true << "read-only folder"
        << "user";
    QTest::newRow("installed, no shared database") << true << false << false << true << true << ""
                                                   << "user";
    QTest::newRow("client never takes the shared database") << false << false << false << true << true << "present"
                                                            << "user";
    QTest::newRow("client in a source build") << false << false << false << true << false << ""
                                              << "beside";
}

void TestDataPaths::databaseLocation()
{
    QFETCH(bool, server);
    QFETCH(bool, given);
    QFETCH(bool, besideHoldsFile);
    QFETCH(bool, programFolderWritable);
    QFETCH(bool, installed);
    QFETCH(QString, shared);
    QFETCH(QString, expected);

    const Database::Kind kind = server ? Database::Kind::Server : Database::Kind::Client;
    const QString name = DataPaths::fileName(kind);
    Tree tree;
    QDir().mkpath(tree.path(QStringLiteral("bin")));
    if (besideHoldsFile)
        tree.touch(QStringLiteral("bin/") + name);
    if (!programFolderWritable)
        tree.readOnly << tree.path(QStringLiteral("bin"));
    if (installed)
        QDir().mkpath(tree.path(QStringLiteral("share/qorvil")));
    if (!shared.isEmpty())
        tree.touch(QStringLiteral("var/punched.mdb"));
    if (shared == QLatin1String("read-only file"))
        tree.readOnly << tree.path(QStringLiteral("var/punched.mdb"));
    if (shared == QLatin1String("read-only folder"))
        tree.readOnly << tree.path(QStringLiteral("var"));

    const QString option = tree.path(QStringLiteral("elsewhere/") + name);
    const QString found = DataPaths::locate(kind, given ? option : QString(), tree.places());
    const QHash<QString, QString> places = {
        {QStringLiteral("given"), option},
        {QStringLiteral("beside"), tree.path(QStringLiteral("bin/") + name)},
        {QStringLiteral("shared"), tree.path(QStringLiteral("var/punched.mdb"))},
        {QStringLiteral("user"), tree.path(QStringLiteral("home/qorvil/") + name)},
    };
    QCOMPARE(found, places.value(expected));
    // The user's folder is made when the file goes there, and only then.
    QCOMPARE(QFileInfo(tree.path(QStringLiteral("home/qorvil"))).isDir(), expected == QLatin1String("user"));
}

void TestDataPaths::documentsBesideOrInstalled_data()
{
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QString>("expected");
    QTest::newRow("beside the program") << QStringList{"bin/manual.qorviltest", "share/qorvil/manual.qorviltest"}
                                        << "bin/manual.qorviltest";
    QTest::newRow("installed data folder")
        << QStringList{"share/qorvil/manual.qorviltest"} << "share/qorvil/manual.qorviltest";
    QTest::newRow("nowhere: the place beside the program") << QStringList{} << "bin/manual.qorviltest";
}

void TestDataPaths::documentsBesideOrInstalled()
{
    QFETCH(QStringList, present);
    QFETCH(QString, expected);
    Tree tree;
    QDir().mkpath(tree.path(QStringLiteral("bin")));
    for (const QString& file : present)
        tree.touch(file);
    QCOMPARE(DataPaths::document(QStringLiteral("manual.qorviltest"), tree.path(QStringLiteral("bin"))),
             tree.path(expected));
}

QTEST_GUILESS_MAIN(TestDataPaths)
#include "test_datapaths.moc"
