#include "common/desktop.h"
#include "server/shell/startup.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Qorvil"));
    QApplication::setApplicationDisplayName(QStringLiteral("Qorvil Clock System"));
    Desktop::applySkin(app);

    Startup::run();
    return app.exec();
}
