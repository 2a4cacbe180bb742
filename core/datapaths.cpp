#include "core/datapaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace DataPaths {

namespace {

const QString kSharedDatabase = QStringLiteral(QORVIL_SHARED_DATABASE);
const QString kInstalledBinFolder = QStringLiteral(QORVIL_INSTALL_BINDIR);
const QString kInstalledDataFolder = QStringLiteral(QORVIL_INSTALL_DATADIR);

QString programFolderOrApplication(const QString& programFolder)
{
    return programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : programFolder;
}

// The data folder that lies beside an installed program folder (bin/../share/qorvil).
QString dataFolderBeside(const QString& programFolder)
{
    return QDir::cleanPath(programFolder + QStringLiteral("/../share/qorvil"));
}

// A program folder of an installation is not a place for data, even for root, who may write it.
bool isInstalledFolder(const QString& programFolder)
{
    return QDir(programFolder) == QDir(kInstalledBinFolder) || QFileInfo(dataFolderBeside(programFolder)).isDir();
}

} // namespace

Places Places::ofThisProcess()
{
    Places places;
    places.programFolder = QCoreApplication::applicationDirPath();
    places.sharedDatabase = kSharedDatabase;
    places.userFolder =
        QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)).filePath(QStringLiteral("qorvil"));
    places.writable = [](const QString& path) { return QFileInfo(path).isWritable(); };
    return places;
}

QString fileName(Database::Kind kind)
{
    return kind == Database::Kind::Server ? QStringLiteral("punched.mdb") : QStringLiteral("client.mdb");
}

QCommandLineOption databaseOption()
{
    return QCommandLineOption(
        QStringLiteral("database"),
        QStringLiteral("The database to use instead of the usual punched.mdb: a file, or "
                       "postgresql://USER@HOST:PORT/DBNAME shared by several sites (the password from ~/.pgpass or "
                       "PGPASSWORD)."),
        QStringLiteral("FILE"));
}

QString locate(Database::Kind kind, const QString& given, const Places& places)
{
    if (!given.isEmpty())
        return given;
    const QString name = fileName(kind);
    QString beside = QDir(places.programFolder).filePath(name);
    if (QFileInfo::exists(beside) ||
        (places.writable(places.programFolder) && !isInstalledFolder(places.programFolder)))
        return beside;
    // The database file alone is not enough: the write-ahead log beside it is created and removed as it runs.
    if (kind == Database::Kind::Server && !places.sharedDatabase.isEmpty() &&
        QFileInfo(places.sharedDatabase).isFile() && places.writable(places.sharedDatabase) &&
        places.writable(QFileInfo(places.sharedDatabase).path()))
        return places.sharedDatabase;
    QDir().mkpath(places.userFolder);
    return QDir(places.userFolder).filePath(name);
}

QString document(const QString& fileName, const QString& programFolder)
{
    const QString folder = programFolderOrApplication(programFolder);
    QString beside = QDir(folder).filePath(fileName);
    for (const QString& candidate :
         {beside, QDir(dataFolderBeside(folder)).filePath(fileName), QDir(kInstalledDataFolder).filePath(fileName)}) {
        if (QFileInfo(candidate).isFile())
            return candidate;
    }
    return beside;
}

} // namespace DataPaths
