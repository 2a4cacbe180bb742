// The real server for the punch load: the main window with its terminal listener on the given port, every
// box answered at once. Prints "listening <port>" when terminals can connect, and its peak memory when it
// receives a line on standard input or ends.
//   qorvilserver <database> <port>
#include "bench/benchsupport.h"
#include "core/net/terminallistener.h"
#include "server/shell/mainwindow.h"
#include "server/shell/startup.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>
#include <unistd.h>

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: qorvilserver <database> <port>\n");
        return 2;
    }
    AnsweringDialogs dialogs;
    MainWindow* window = Startup::run(QString::fromLocal8Bit(argv[1]), quint16(std::atoi(argv[2])));
    if (!window->listener()->isListening()) {
        std::fprintf(stderr, "qorvilserver: cannot listen on %s\n", argv[2]);
        return 1;
    }
    std::printf("listening %u\n", window->listener()->port());
    std::fflush(stdout);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char line[64];
        if (::read(STDIN_FILENO, line, sizeof line) <= 0 || true) {
            std::printf("peak_kib %ld\n", procStatusKiB("VmHWM"));
            std::fflush(stdout);
            QCoreApplication::exit(0);
        }
    });
    return app.exec();
}
