// Records punches without end into the database given on the command line and prints one line per
// punch the rules reported as recorded: "<emp_id> <yyyy-MM-dd> <slot> <HH:mm:ss>". A test kills it.
#include "core/punch/punchrules.h"
#include "core/store/database.h"
#include "core/valueforms.h"
#include "tests/support/fixedclock.h"

#include <QCoreApplication>
#include <QHash>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 3 || !Database::open(Database::Kind::Server, QString::fromLocal8Bit(argv[1])))
        return 2;
    const int employees = QString::fromLatin1(argv[2]).toInt();
    FixedClock clock(QDateTime(QDate(2026, 1, 1), QTime(6, 0, 0)));
    const char* slots[] = {"in1", "out1", "in2", "out2", "in3", "out3"};
    QHash<QString, int> used; // punches of each employee on the current day
    for (int punch = 0;; ++punch) {
        const QString id = QStringLiteral("E%1").arg(punch % employees);
        if (punch % employees == 0)
            clock.advance(60);
        if (used.value(id) == 6) { // a new day for everybody
            clock.set(QDateTime(clock.now().date().addDays(1), QTime(6, 0, 0)));
            used.clear();
        }
        const PunchResult result = Punch::recordFromTerminal(id);
        if (result.outcome != PunchResult::Outcome::SignedIn && result.outcome != PunchResult::Outcome::SignedOut)
            return 3;
        const int slot = used[id]++;
        std::printf("%s %s %s %s\n", qPrintable(id), qPrintable(clock.now().date().toString(Qt::ISODate)), slots[slot],
                    qPrintable(ValueForms::showTime(result.time)));
        std::fflush(stdout);
    }
}
