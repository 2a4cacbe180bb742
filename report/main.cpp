// qorvil-report: the payroll reports from the command line, for accountants' scripts.
#include "report/reportcommand.h"

#include <QGuiApplication>
#include <QTextStream>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// Qt's own notes (a runtime folder it would like, fonts) are not the report's: scripts read stderr for the
// report's messages alone. Only a fatal one is shown, as Qt ends the program after it.
void keepQtQuiet(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtFatalMsg)
        std::fprintf(stderr, "qorvil-report: %s\n", qPrintable(message));
}

// Only a PDF is painted; text and CSV need neither the platform nor its fonts, and start sooner without them.
bool paints(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--pdf") == 0 || std::strncmp(argv[i], "--pdf=", 6) == 0)
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char* argv[])
{
    qInstallMessageHandler(keepQtQuiet);
    // No window is shown, so no display is needed (PDF output still needs the platform's fonts).
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::unique_ptr<QCoreApplication> app =
        paints(argc, argv) ? std::make_unique<QGuiApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qorvil-report"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    return ReportCommand::run(arguments, out, err);
}
