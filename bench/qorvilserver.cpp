// The real server for the punch load: the main window with its terminal listener on the given port, every
// box answered at once. Prints "listening <port>" when terminals can connect. Each line on standard input
// prints "cpu_us <user + system time> peak_kib <peak memory>", as the reference server does; the end of
// standard input ends the program.
//   qorvilserver <database> <port>
#include "bench/benchsupport.h"
#include "core/net/terminallistener.h"
#include "server/shell/mainwindow.h"
#include "server/shell/startup.h"

#include <QApplication>
#include <QSocketNotifier>
#include <cstdio>
#include <sys/resource.h>
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
        const ssize_t got = ::read(STDIN_FILENO, line, sizeof line);
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        std::printf("cpu_us %lld peak_kib %ld\n",
                    (long long)(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000 + usage.ru_utime.tv_usec +
                        usage.ru_stime.tv_usec,
                    usage.ru_maxrss);
        std::fflush(stdout);
        if (got <= 0)
            QCoreApplication::exit(0);
    });
    return app.exec();
}
