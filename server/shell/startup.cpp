#include "server/shell/startup.h"

#include "core/net/openfiles.h"
#include "server/serverstate.h"
#include "server/shell/mainwindow.h"
#include "widgets/desktop.h"

#include <QDebug>

namespace Startup {

MainWindow* run(const QString& databasePath, quint16 listenPort)
{
    // Each terminal holds a descriptor: the usual soft limit would lock terminals out at about a thousand.
    OpenFiles::raiseSoftLimit();
    // A database that cannot be used is reported by each window that needs it; the reason also goes to the log.
    if (QString error; !Database::open(Database::Kind::Server, databasePath, &error))
        qWarning().noquote() << error;
    gEmpID.clear();
    auto* window = new MainWindow(listenPort);
    window->setAttribute(Qt::WA_DeleteOnClose);
    Desktop::showOnScreen(window);
    return window;
}

} // namespace Startup
