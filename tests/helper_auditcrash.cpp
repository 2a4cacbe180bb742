// Corrects one time record by hand without end, as the time record editor does, and prints the number of each
// correction once it is stored: in1 becomes that many seconds after midnight. A test kills it.
#include "core/store/database.h"
#include "core/timesheets/timesheetcursor.h"

#include <QCoreApplication>
#include <QTime>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 4 || !Database::open(Database::Kind::Server, QString::fromLocal8Bit(argv[1])))
        return 2;
    TimesheetCursor records;
    if (!records.open() || !records.findFirst(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3])))
        return 3;
    for (int correction = 1;; ++correction) {
        if (!records.updateCurrent({{QStringLiteral("in1"), QTime(0, 0).addSecs(correction)}}))
            return 4;
        std::printf("%d\n", correction);
        std::fflush(stdout);
    }
}
