#pragma once

#include "core/protocol.h"
#include "core/store/database.h"

#include <QString>

class MainWindow;

namespace Startup {

// The server's start: raises the limit on open descriptors as far as the system allows, opens gConn on the
// database (a failure is not reported here: each window that needs the database says so when it loads),
// empties gEmpID and shows the main window, which ends the run when it closes.
MainWindow* run(const QString& databasePath = Database::defaultPath(Database::Kind::Server),
                quint16 listenPort = Protocol::kPort);

} // namespace Startup
