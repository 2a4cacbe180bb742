// The whole server in a process of its own, for tests that kill it: the real start-up, main window and
// terminal listener, on a port the system chooses, with every box answered at once.
//
// helper_serverprocess <database> <yyyy-MM-dd>
// Prints "port N" once listening. The server's clock starts at 08:00:00 on the given day and moves on one
// second after each punch, so every punch of a run has its own time.

#include "core/net/terminallistener.h"
#include "server/shell/mainwindow.h"
#include "server/shell/startup.h"
#include "tests/support/fixedclock.h"
#include "tests/support/scripteddialogs.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const QDate day = QDate::fromString(args.value(1), Qt::ISODate);
    if (args.size() != 2 || !day.isValid()) {
        std::fprintf(stderr, "usage: helper_serverprocess <database> <yyyy-MM-dd>\n");
        return 2;
    }
    ScriptedDialogs dialogs;
    FixedClock clock(QDateTime(day, QTime(8, 0, 0)));
    MainWindow* window = Startup::run(args.at(0), 0);
    TerminalListener* listener = window->listener();
    if (!listener->isListening())
        return 1;
    QObject::connect(listener, &TerminalListener::punchHandled, [&clock] { clock.advance(1); });
    std::printf("port %u\n", unsigned(listener->port()));
    std::fflush(stdout);
    return app.exec();
}
