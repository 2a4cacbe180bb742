#include "server/shell/startup.h"

#include "core/net/openfiles.h"
#include "core/store/trailwriter.h"
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
    else
        // The chain's head goes to the log at each start: a trail recomputed later still disagrees with it.
        for (const QString& line : TrailWriter::startLines(TrailWriter::lastStart()))
            qDebug().noquote() << line;
    gEmpID.clear();
    auto* window = new MainWindow(listenPort);
    window->setAttribute(Qt::WA_DeleteOnClose);
    Desktop::showOnScreen(window);
    return window;
}

} // namespace Startup
