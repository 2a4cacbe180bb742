#include "server/shell/startup.h"

#include "core/net/openfiles.h"
#include "server/serverstate.h"
#include "server/shell/mainwindow.h"

namespace Startup {

MainWindow* run(const QString& databasePath, quint16 listenPort)
{
    // Each terminal holds a descriptor: the usual soft limit would lock terminals out at about a thousand.
    OpenFiles::raiseSoftLimit();
    Database::open(Database::Kind::Server, databasePath);
    gEmpID.clear();
    auto* window = new MainWindow(listenPort);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return window;
}

} // namespace Startup
