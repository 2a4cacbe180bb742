#include "client/remotewindow.h"
#include "core/datapaths.h"
#include "core/store/database.h"
#include "widgets/desktop.h"
#include "widgets/language.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDebug>
#include <QPointer>
#include <QTextStream>
#include <cstdio>
#include <vector>

int main(int argc, char* argv[])
{
    Desktop::allowHelpWithoutDisplay(argc, argv);
    QApplication app(argc, argv);
    // No display name: the desktop would add it to every box title, and titles are shown exactly as given.
    QApplication::setApplicationName(QStringLiteral(QT_TRANSLATE_NOOP("Application", "Qorvil Client")));
    QApplication::setApplicationVersion(QStringLiteral(QORVIL_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("A Qorvil punch terminal: sends typed employee IDs to the server and shows its answers."));
    const QCommandLineOption config(QStringLiteral("config"),
                                    QStringLiteral("The file that keeps the server's address, instead of the usual "
                                                   "client.mdb."),
                                    QStringLiteral("FILE"));
    parser.addOption(config);
    const QCommandLineOption siteKey(QStringLiteral("site-key"),
                                     QStringLiteral("Stores the site key from the server's Terminal Key window in "
                                                    "the terminal's file and ends; from then on the terminal "
                                                    "connects encrypted. KEY - reads the key from standard input, "
                                                    "so it is not seen in the list of processes. An empty KEY goes "
                                                    "back to plain connections."),
                                     QStringLiteral("KEY"));
    parser.addOption(siteKey);
    // The terminal's options are stored in its file, so they hold at every later start.
    struct Switch
    {
        const RemoteWindow::Option& option;
        QCommandLineOption on;
        QCommandLineOption off;
    };
    const auto optionSwitch = [](const RemoteWindow::Option& option, const char* name, const char* what) {
        const QString flag = QLatin1String(name);
        return Switch{
            option,
            QCommandLineOption(
                flag, QStringLiteral("Stores \"%1\" on: %2.").arg(QLatin1String(option.caption), QLatin1String(what))),
            QCommandLineOption(QStringLiteral("no-") + flag,
                               QStringLiteral("Stores \"%1\" off.").arg(QLatin1String(option.caption)))};
    };
    const std::vector<Switch> switches = {
        optionSwitch(RemoteWindow::kReconnect, "reconnect",
                     "a terminal that loses the server tries again, waiting 1 s at first and up to 30 s"),
        optionSwitch(RemoteWindow::kShowHours, "show-hours",
                     "after a punch the terminal shows the employee's hours today and this week"),
    };
    for (const Switch& option : switches)
        parser.addOptions({option.on, option.off});
    const QCommandLineOption language = Language::option();
    parser.addOption(language);
    parser.addHelpOption();
    parser.addVersionOption();
    parser.process(app);
    if (!Language::install(parser.value(language)))
        std::fprintf(stderr, "qorvil-client: no translation for the language \"%s\"; the windows stay English\n",
                     qPrintable(parser.value(language)));

    Desktop::applySkin(app);
    // A database that cannot be opened is reported by the window's load; the reason also goes to the log.
    if (QString error; !Database::open(Database::Kind::Client,
                                       DataPaths::locate(Database::Kind::Client, parser.value(config)), &error))
        qWarning().noquote() << error;
    // The key is stored and the program ends, so the key does not stay in a running command line.
    if (parser.isSet(siteKey)) {
        QString key = parser.value(siteKey);
        if (key == QLatin1String("-")) {
            QTextStream input(stdin);
            key = input.readLine();
        }
        QString error;
        if (!Database::isOpen() || !RemoteWindow::storeSiteKey(key, &error)) {
            std::fprintf(
                stderr, "qorvil-client: %s\n",
                qPrintable(Database::isOpen() ? error : QStringLiteral("the terminal's file cannot be opened")));
            return 2;
        }
        std::fprintf(stderr, "qorvil-client: %s\n",
                     key.trimmed().isEmpty() ? "the site key is removed; the terminal connects without encryption"
                                             : "the site key is stored; the terminal connects encrypted from now on");
        Database::close();
        return 0;
    }

    for (const Switch& option : switches) {
        if (!parser.isSet(option.on) && !parser.isSet(option.off))
            continue;
        const bool on = parser.isSet(option.on);
        if (QString error; !Database::isOpen() || !RemoteWindow::storeOption(option.option, on, &error)) {
            std::fprintf(
                stderr, "qorvil-client: %s\n",
                qPrintable(Database::isOpen() ? error : QStringLiteral("the terminal's file cannot be opened")));
            return 2;
        }
        std::fprintf(stderr, "qorvil-client: \"%s\" is %s\n", option.option.caption, on ? "on" : "off");
    }

    QPointer<RemoteWindow> remote = new RemoteWindow;
    // Without its database the terminal has no server to talk to: the message was shown, the program ends.
    if (!remote->load()) {
        delete remote;
        return 1;
    }
    QObject::connect(remote, &RemoteWindow::endRequested, &app, [] { QCoreApplication::exit(0); });
    QApplication::setWindowIcon(remote->windowIcon()); // its boxes show the terminal's icon too
    Desktop::showOnScreen(remote);
    const int result = app.exec();
    delete remote;
    return result;
}
