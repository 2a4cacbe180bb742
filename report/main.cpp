// qorvil-report: the payroll reports from the command line, for accountants' scripts.
#include "report/reportcommand.h"

#include <QGuiApplication>
#include <QTextStream>
#include <cstdio>

namespace {

// Qt's own notes (a runtime folder it would like, fonts) are not the report's: scripts read stderr for the
// report's messages alone. Only a fatal one is shown, as Qt ends the program after it.
void keepQtQuiet(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtFatalMsg)
        std::fprintf(stderr, "qorvil-report: %s\n", qPrintable(message));
}

} // namespace

int main(int argc, char* argv[])
{
    qInstallMessageHandler(keepQtQuiet);
    // No window is shown, so no display is needed (PDF output still needs the platform's fonts).
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("qorvil-report"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList arguments = QGuiApplication::arguments();
    arguments.removeFirst();
    return ReportCommand::run(arguments, out, err);
}
