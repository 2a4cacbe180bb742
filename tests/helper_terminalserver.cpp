// A server's terminal listener in a process of its own, for the client's tests: the client and the
// server each keep their own database in gConn, so they cannot share one process.
//
// helper_terminalserver <database> [ID=First Last | full=ID=First Last | site-key=KEY]...
// Listens on a port the system chooses and prints "port N"; prints "punch ID" after each punch it handled.
// Notices are dismissed at once, as by an operator who is always there. The server's clock stands at
// 08:00:00 on 2026-03-02, so a test can tell the server's time from the terminal's.

#include "core/net/terminallistener.h"
#include "core/settings.h"
#include "core/store/database.h"
#include "server/punch/terminalnoticeboxes.h"
#include "tests/support/fixedclock.h"
#include "tests/support/scripteddialogs.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <cstdio>

namespace {

bool addEmployee(const QString& id, const QString& name)
{
    QSqlQuery insert(gConn);
    insert.prepare(QStringLiteral("INSERT INTO Employee (emp_id, emp_fname, emp_lname, status) VALUES (?, ?, ?, 1)"));
    insert.addBindValue(id);
    insert.addBindValue(name.section(QLatin1Char(' '), 0, 0));
    insert.addBindValue(name.section(QLatin1Char(' '), 1));
    return insert.exec();
}

bool fillDay(const QString& id, const QDate& day)
{
    QSqlQuery insert(gConn);
    insert.prepare(QStringLiteral("INSERT INTO timesheet (emp_id, rsdate, in1, out1, in2, out2, in3, out3) "
                                  "VALUES (?, ?, '07:00:00', '08:00:00', '09:00:00', '10:00:00', '11:00:00', "
                                  "'12:00:00')"));
    insert.addBindValue(id);
    insert.addBindValue(day.toString(Qt::ISODate));
    return insert.exec();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: helper_terminalserver <database> [ID=First Last | full=ID=First Last]...\n");
        return 2;
    }
    ScriptedDialogs dialogs;
    FixedClock clock(QDateTime(QDate(2026, 3, 2), QTime(8, 0, 0)));
    QString error;
    if (!Database::open(Database::Kind::Server, args.first(), &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    for (const QString& arg : args.mid(1)) {
        if (arg.startsWith(QStringLiteral("site-key="))) {
            if (!Settings::setValue(Settings::kTerminalSiteKey, arg.mid(9)))
                return 1;
            continue;
        }
        const bool full = arg.startsWith(QStringLiteral("full="));
        const QString entry = full ? arg.mid(5) : arg;
        const QString id = entry.section(QLatin1Char('='), 0, 0);
        if (!addEmployee(id, entry.section(QLatin1Char('='), 1)) || (full && !fillDay(id, clock.now().date()))) {
            std::fprintf(stderr, "could not seed %s\n", qPrintable(arg));
            return 1;
        }
    }

    TerminalNoticeBoxes notices;
    TerminalListener listener(0, notices);
    if (!listener.start())
        return 1;
    QObject::connect(&listener, &TerminalListener::punchHandled, [](qint64, const QString& id) {
        std::printf("punch %s\n", id.toUtf8().constData());
        std::fflush(stdout);
    });
    std::printf("port %u\n", unsigned(listener.port()));
    std::fflush(stdout);
    return app.exec();
}
