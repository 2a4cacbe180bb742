#include "server/shell/startup.h"
#include "widgets/desktop.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // No display name: the desktop would add it to every box title, and titles are shown exactly as given.
    QApplication::setApplicationName(QStringLiteral("Qorvil Clock System"));
    Desktop::applySkin(app);

    Startup::run();
    return app.exec();
}
