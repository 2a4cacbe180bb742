// qorvil-report: the payroll reports from the command line, for accountants' scripts.
#include "report/reportcommand.h"

#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char* argv[])
{
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
