#include "common/database.h"
#include "common/desktop.h"
#include "server/punch/clockwindow.h"
#include "server/serverstate.h"
#include "server/shell/childwindows.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Qorvil"));
    QApplication::setApplicationDisplayName(QStringLiteral("Qorvil Clock System"));
    Desktop::applySkin(app);

    // A database that cannot be opened is not fatal: each window reports it when it loads.
    Database::open(Database::Kind::Server, Database::defaultPath(Database::Kind::Server));
    gEmpID.clear();

    if (!ChildWindows::open<ClockWindow>(QStringLiteral("Clock")))
        return 1;
    return app.exec();
}
