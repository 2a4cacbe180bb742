#include "core/audit/closedperiods.h"
#include "core/payroll/paycomputation.h"
#include "core/payroll/payrules.h"
#include "report/payrolllayouts.h"
#include "report/reportcommand.h"
#include "tests/support/fixedclock.h"
#include "tests/support/tempdatabase.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QTest>
#include <QTextStream>

namespace {

// A fixed database with the cases the reports have always had to get right: pairs over and under 4 hours,
// seconds in the punches, an open pair, an out before its in, an empty first pair, a second site, missing
// wages, a checked employee that no longer exists, and CSV's special characters.
void seedFixed(TempDatabase& db)
{
    const QDate monday(2026, 3, 2);
    db.addEmployee(QStringLiteral("1001"), QStringLiteral("Ann"), QStringLiteral("Avery"), 10.5, 15.75);
    db.addEmployee(QStringLiteral("1002"), QStringLiteral("Bob"), QStringLiteral("Brown"), 12, 18);
    db.addEmployee(QStringLiteral("1003"), QStringLiteral("Cy"), QStringLiteral("Null"), QVariant(), QVariant());
    db.addEmployee(QStringLiteral("10,4"), QStringLiteral("Di \"Dee\""), QStringLiteral("O'Day"), 11.25, 16.875);
    for (int day = 0; day < 7; ++day) {
        db.addTimesheet(QStringLiteral("1001"), monday.addDays(day),
                        {t("07:58:12"), t("12:01:45"), t("12:45:00"), t("17:10:00")});
        db.addTimesheet(QStringLiteral("10,4"), monday.addDays(day),
                        {t("06:00:00"), t("10:00:00"), t("10:30:00"), t("14:31:00"), t("15:00:00"), t("19:59:59")});
    }
    db.addTimesheet(QStringLiteral("1002"), monday, {t("08:00:00"), t("16:00:00")});
    db.addTimesheet(QStringLiteral("1002"), monday.addDays(1), {t("08:00:30"), t("12:00:10"), t("13:00:00")});
    db.addTimesheet(QStringLiteral("1002"), monday.addDays(2), {t("08:00:00"), t("00:00:00")});
    db.addTimesheet(QStringLiteral("1002"), monday.addDays(3), {QVariant(), QVariant(), t("09:00:00"), t("13:01:00")});
    db.addTimesheet(QStringLiteral("1002"), monday.addDays(4), {t("13:00:00"), t("13:00:40")});
    db.addTimesheet(QStringLiteral("1003"), monday, {t("09:00:00"), t("17:30:00")});
    db.exec(QStringLiteral("UPDATE timesheet SET site = 'North' WHERE emp_id = '1001' AND rsdate >= '2026-03-05'"));
}

struct Case
{
    const char* name;
    QStringList arguments;
};

QList<Case> cases()
{
    const QStringList period = {QStringLiteral("--from"), QStringLiteral("03/01/2026"), QStringLiteral("--to"),
                                QStringLiteral("03/10/2026")};
    const auto employees = [](const QStringList& ids) {
        QStringList arguments;
        for (const QString& id : ids)
            arguments << QStringLiteral("--employee") << id;
        return arguments;
    };
    return {
        {"summary", QStringList{QStringLiteral("summary")} + period + QStringList{QStringLiteral("--all")}},
        {"summary-missing", QStringList{QStringLiteral("summary")} + period +
                                employees({QStringLiteral("1002"), QStringLiteral("9999"), QStringLiteral("1001")})},
        {"summary-site", QStringList{QStringLiteral("summary")} + period +
                             QStringList{QStringLiteral("--all"), QStringLiteral("--site"), QStringLiteral("North")}},
        {"detail-1001", QStringList{QStringLiteral("detail")} + period + employees({QStringLiteral("1001")})},
        {"detail-1002", QStringList{QStringLiteral("detail")} + period + employees({QStringLiteral("1002")})},
        {"detail-104", QStringList{QStringLiteral("detail")} + period + employees({QStringLiteral("10,4")})},
        {"detail-missing", QStringList{QStringLiteral("detail")} + period + employees({QStringLiteral("9999")})},
    };
}

QString run(const QStringList& arguments)
{
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    const int status = ReportCommand::run(arguments, outStream, errStream);
    outStream.flush();
    return status == 0 ? out : QStringLiteral("exit %1\n").arg(status) + err;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The pages as they are painted, one digest per page: a PDF carries its creation time, its pages do not.
QByteArray pageDigests(const Report::Layout& layout, const QList<Report::Row>& rows)
{
    Report::Renderer renderer(layout, rows);
    renderer.paginate(QSizeF(6.5 * 1440, 9 * 1440));
    QByteArray digests;
    for (int page = 0; page < renderer.pageCount(); ++page) {
        QImage image(650, 900, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.scale(1 / 14.4, 1 / 14.4);
        renderer.paintPage(painter, page);
        painter.end();
        digests +=
            QCryptographicHash::hash(QByteArrayView(image.constBits(), image.sizeInBytes()), QCryptographicHash::Sha256)
                .toHex() +
            '\n';
    }
    return digests;
}

// Hours as H:MM, so the expected figures read as they were worked out.
QString hm(qint64 minutes)
{
    return QStringLiteral("%1:%2").arg(minutes / 60).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString minuteText(int minute)
{
    return minute < 0 ? QStringLiteral("-") : hm(minute);
}

const QDate kSunday(2026, 3, 1); // weeks start on Sunday by default

// A row per day: "D HH:MM[:SS]-HH:MM[:SS] ..." with D the days after kSunday, or "D pto H kind", or
// "D @site HH:MM-HH:MM".
Pay::Input inputOf(const QStringList& days)
{
    Pay::Input input;
    for (const QString& day : days) {
        QStringList parts = day.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const QDate date = kSunday.addDays(parts.takeFirst().toInt());
        if (parts.value(0) == QLatin1String("pto")) {
            input.paidTimeOff.push_back(
                {QStringLiteral("1"), date, int(parts.value(1).toDouble() * 60), parts.value(2)});
            continue;
        }
        Pay::SheetRow row;
        row.day = date;
        if (parts.value(0).startsWith(QLatin1Char('@')))
            row.site = parts.takeFirst().mid(1);
        for (int slot = 0; slot < parts.size(); ++slot) {
            const QStringList times = parts.at(slot).split(QLatin1Char('-'));
            const auto time = [](const QString& text) {
                return QTime::fromString(text, text.size() > 5 ? QStringLiteral("HH:mm:ss") : QStringLiteral("HH:mm"));
            };
            row.in[std::size_t(slot)] = time(times.value(0));
            row.out[std::size_t(slot)] = time(times.value(1));
            row.hasIn[std::size_t(slot)] = true;
        }
        input.rows.push_back(row);
    }
    input.from = kSunday;
    input.to = kSunday.addDays(13);
    input.wages = {10, 15};
    return input;
}

} // namespace

class TestPayRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Figures worked out by hand. Expected: "regular overtime double holiday paid-time-off" as H:MM, then the
    // pairs as counted when the case is about counting, then the earnings in cents when it is about money.
    void hoursUnderRules_data()
    {
        QTest::addColumn<QStringList>("settings");
        QTest::addColumn<QStringList>("days");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("counted");
        QTest::addColumn<qint64>("cents");
        const QStringList daily = {QStringLiteral("overtime=daily")};
        const QStringList weekly = {QStringLiteral("overtime=weekly")};
        const QStringList both = {QStringLiteral("overtime=daily-weekly")};
        const auto week = [](int days, const QString& pair, int first = 1) {
            QStringList rows;
            for (int d = 0; d < days; ++d)
                rows << QString::number(first + d) + QLatin1Char(' ') + pair;
            return rows;
        };
        const auto add = [](const char* name, const QStringList& settings, const QStringList& days,
                            const char* expected, const char* counted = "", qint64 cents = -1) {
            QTest::newRow(name) << settings << days << QString::fromLatin1(expected) << QString::fromLatin1(counted)
                                << cents;
        };
        add("8:00 a day", daily, {QStringLiteral("1 08:00-16:00")}, "8:00 0:00 0:00 0:00 0:00");
        add("8:01 a day", daily, {QStringLiteral("1 08:00-16:01")}, "8:00 0:01 0:00 0:00 0:00");
        add("8:01 a day in three pairs", daily, {QStringLiteral("1 08:00-11:00 12:00-15:00 16:00-18:01")},
            "8:00 0:01 0:00 0:00 0:00");
        add("12:00 a day", daily + QStringList{QStringLiteral("double_after=12")}, {QStringLiteral("1 06:00-18:00")},
            "8:00 4:00 0:00 0:00 0:00");
        add("12:01 a day", daily + QStringList{QStringLiteral("double_after=12")}, {QStringLiteral("1 06:00-18:01")},
            "8:00 4:00 0:01 0:00 0:00");
        add("40:00 a week", weekly, week(5, QStringLiteral("08:00-16:00")), "40:00 0:00 0:00 0:00 0:00");
        add("40:01 a week", weekly, week(4, QStringLiteral("08:00-16:00")) << QStringLiteral("5 08:00-16:01"),
            "40:00 0:01 0:00 0:00 0:00");
        add("five 9-hour days, weekly", weekly, week(5, QStringLiteral("08:00-17:00")), "40:00 5:00 0:00 0:00 0:00");
        add("six 9-hour days, daily and weekly", both, week(6, QStringLiteral("08:00-17:00")),
            "40:00 14:00 0:00 0:00 0:00");
        add("four 10-hour days and a 4-hour day, daily and weekly", both,
            week(4, QStringLiteral("07:00-17:00")) << QStringLiteral("5 08:00-12:00"), "36:00 8:00 0:00 0:00 0:00");
        add("four 10-hour days and a 4-hour day, weekly", weekly,
            week(4, QStringLiteral("07:00-17:00")) << QStringLiteral("5 08:00-12:00"), "40:00 4:00 0:00 0:00 0:00");
        add("six 8-hour days, weekly", weekly, week(6, QStringLiteral("08:00-16:00")), "40:00 8:00 0:00 0:00 0:00");
        // Thursday to Monday, 10 hours a day: Sunday starts a new week, so neither week passes 40.
        add("a week crossing the week-start day", weekly, week(5, QStringLiteral("07:00-17:00"), 4),
            "50:00 0:00 0:00 0:00 0:00");
        add("week starting Thursday", weekly + QStringList{QStringLiteral("week_start=thursday")},
            week(5, QStringLiteral("07:00-17:00"), 4), "40:00 10:00 0:00 0:00 0:00");
        add("rounding to 15 minutes", daily + QStringList{QStringLiteral("round_minutes=15")},
            {QStringLiteral("1 07:52-16:07"), QStringLiteral("2 07:53-15:08"), QStringLiteral("3 07:07-15:52:40"),
             QStringLiteral("4 07:52:40-07:53")},
            "23:30 1:00 0:00 0:00 0:00", "7:45-16:00 8:00-15:15 7:00-15:45 7:45-8:00");
        add("an out at 23:55 rounds to 24:00", daily + QStringList{QStringLiteral("round_minutes=15")},
            {QStringLiteral("1 16:00-23:55")}, "8:00 0:00 0:00 0:00 0:00", "16:00-24:00");
        add("meal deducted", daily + QStringList{QStringLiteral("meal_minutes=30")}, {QStringLiteral("1 08:00-16:30")},
            "8:00 0:00 0:00 0:00 0:00");
        add("meal skipped after a lunch punch", daily + QStringList{QStringLiteral("meal_minutes=30")},
            {QStringLiteral("1 08:00-12:00 12:30-17:00")}, "8:00 0:30 0:00 0:00 0:00");
        add("meal not due at 6:00", daily + QStringList{QStringLiteral("meal_minutes=30")},
            {QStringLiteral("1 08:00-14:00")}, "6:00 0:00 0:00 0:00 0:00");
        // Monday is a holiday: its hours are holiday hours and leave the week's 40 to the other days.
        add("a holiday worked", weekly + QStringList{QStringLiteral("holiday_rate=ot")},
            week(6, QStringLiteral("08:00-16:00")), "40:00 0:00 0:00 8:00 0:00", "", 40 * 1000 + 8 * 1500);
        add("a holiday at 2x", weekly + QStringList{QStringLiteral("holiday_rate=2")},
            {QStringLiteral("1 08:00-16:00")}, "0:00 0:00 0:00 8:00 0:00", "", qint64(8 * 2000));
        add("a holiday as an ordinary day", weekly, week(6, QStringLiteral("08:00-16:00")),
            "40:00 8:00 0:00 0:00 0:00");
        add("paid time off", weekly, week(5, QStringLiteral("08:00-16:00"), 2) << QStringLiteral("1 pto 8 Vacation"),
            "40:00 0:00 0:00 0:00 8:00", "", qint64(48 * 1000));
        add("exempt", daily + QStringList{QStringLiteral("exempt=1")}, {QStringLiteral("1 07:00-19:00")},
            "12:00 0:00 0:00 0:00 0:00");
        add("the per-pair rule", {}, {QStringLiteral("1 07:00-19:00 20:00-23:00")}, "7:00 8:00 0:00 0:00 0:00");
        // Tuesday to Friday at one site (40 hours), Saturday at North: a report of North lists Saturday only,
        // all of it overtime, since the threshold counts every site.
        add("one site of two", weekly,
            week(4, QStringLiteral("@South 07:00-17:00"), 2) << QStringLiteral("6 @North 08:00-16:00"),
            "0:00 8:00 0:00 0:00 0:00");
        add("night shift", daily + QStringList{QStringLiteral("night_shift_hours=10")},
            {QStringLiteral("1 22:00-07:00"), QStringLiteral("2 20:00-07:00")}, "8:00 1:00 0:00 0:00 0:00",
            "22:00-31:00 -");
        add("30 h 02 min at 11.25", weekly,
            {QStringLiteral("1 08:00-15:30"), QStringLiteral("2 08:00-15:30"), QStringLiteral("3 08:00-15:30"),
             QStringLiteral("4 08:00-15:32")},
            "30:02 0:00 0:00 0:00 0:00", "", 33788);
    }

    void hoursUnderRules()
    {
        QFETCH(QStringList, settings);
        QFETCH(QStringList, days);
        QFETCH(QString, expected);
        QFETCH(QString, counted);
        QFETCH(qint64, cents);
        Pay::Input input = inputOf(days);
        for (const QString& setting : settings) {
            QString error;
            QVERIFY2(Pay::set(&input.rules, setting.section(QLatin1Char('='), 0, 0),
                              setting.section(QLatin1Char('='), 1), &error),
                     qPrintable(error));
        }
        input.rules.holidays.insert(kSunday.addDays(1), QStringLiteral("Founders' Day"));
        input.exempt = input.rules.exempt.contains(QStringLiteral("1"));
        if (QByteArray(QTest::currentDataTag()) == "one site of two")
            input.site = QStringLiteral("north");
        if (QByteArray(QTest::currentDataTag()) == "30 h 02 min at 11.25")
            input.wages = {11.25, 16.875};
        const Pay::Result result = Pay::compute(input);
        QStringList figures;
        for (const Pay::HourType type : {Pay::HourType::Regular, Pay::HourType::Overtime, Pay::HourType::DoubleTime,
                                         Pay::HourType::Holiday, Pay::HourType::PaidTimeOff})
            figures << hm(result.totals[type]);
        QCOMPARE(figures.join(QLatin1Char(' ')), expected);
        if (!counted.isEmpty()) {
            QStringList pairs;
            for (const Pay::PairResult& pair : result.pairs)
                pairs << (pair.countedOut < 0
                              ? QStringLiteral("-")
                              : minuteText(pair.countedIn) + QLatin1Char('-') + minuteText(pair.countedOut));
            QCOMPARE(pairs.join(QLatin1Char(' ')), counted);
        }
        if (cents >= 0)
            QCOMPARE(result.earnings.total, cents);
    }

    // A closed period is reprinted under the rules and wages it was closed with; the open days after it under
    // those in force.
    void closedPeriodKeepsItsRules()
    {
        FixedClock clock(QDateTime(QDate(2026, 3, 10), QTime(10, 0)));
        TempDatabase db;
        db.addEmployee(QStringLiteral("1"), QStringLiteral("Ann"), QStringLiteral("Avery"), 10, 15);
        for (int day = 1; day <= 6; ++day)
            db.addTimesheet(QStringLiteral("1"), kSunday.addDays(day), {t("08:00:00"), t("17:00:00")});
        db.addTimesheet(QStringLiteral("1"), kSunday.addDays(8), {t("08:00:00"), t("17:00:00")});
        Pay::Rules rules;
        QString error;
        QVERIFY(Pay::set(&rules, QStringLiteral("overtime"), QStringLiteral("daily"), &error));
        QVERIFY2(Pay::save(rules, &error), qPrintable(error));
        const auto summaryCsv = [] {
            Payroll::SummaryReport report;
            QString why;
            const Payroll::Request request{kSunday, kSunday.addDays(6), {{QString(), QStringLiteral("1"), true}}};
            return Payroll::runSummary(request, &report, &why) ? report.csv : why;
        };
        const QString paid = summaryCsv();
        QVERIFY2(paid.contains(QStringLiteral("48,6,54,10,15,")), qPrintable(paid));
        QString message;
        QCOMPARE(Pay::closePeriod(kSunday.addDays(6), &message), ClosedPeriods::Outcome::Done);

        QVERIFY(Pay::set(&rules, QStringLiteral("overtime"), QStringLiteral("weekly"), &error));
        QVERIFY2(Pay::save(rules, &error), qPrintable(error));
        db.exec(QStringLiteral("UPDATE Employee SET reg_wage = 20, ot_wage = 30"));

        QCOMPARE(summaryCsv(), paid); // the reprint is what was paid
        // Six 9-hour days under the daily rule at $10/$15: 48 regular, 6 overtime, $570.
        Pay::Result result;
        QVERIFY2(Pay::computeFor(QStringLiteral("1"), kSunday, kSunday.addDays(6), &result, &error), qPrintable(error));
        QCOMPARE(hm(result.totals[Pay::HourType::Regular]), QStringLiteral("48:00"));
        QCOMPARE(hm(result.totals[Pay::HourType::Overtime]), QStringLiteral("6:00"));
        QCOMPARE(result.earnings.total, qint64(57000));
        // Monday after the close, under the weekly rule at $20: 9 regular hours, $180 more.
        QVERIFY2(Pay::computeFor(QStringLiteral("1"), kSunday, kSunday.addDays(8), &result, &error), qPrintable(error));
        QCOMPARE(hm(result.totals[Pay::HourType::Regular]), QStringLiteral("57:00"));
        QCOMPARE(result.earnings.total, qint64(57000 + 18000));
    }

    // The command changes the stored rules (recorded in the trail with old and new values); a bad name or value
    // exits 2 and changes nothing.
    void rulesCommand()
    {
        FixedClock clock(QDateTime(QDate(2026, 3, 10), QTime(10, 0)));
        TempDatabase db;
        db.addEmployee(QStringLiteral("1"), QStringLiteral("Ann"), QStringLiteral("Avery"), 10, 15);
        const QStringList base = {QStringLiteral("rules"), QStringLiteral("--database"), db.path()};
        const QString before = run(base);
        QVERIFY(before.startsWith(QStringLiteral("overtime=pair\n")));
        for (const QStringList& bad :
             {QStringList{QStringLiteral("--set"), QStringLiteral("overtime=daily"), QStringLiteral("--set"),
                          QStringLiteral("overtim=weekly")},
              QStringList{QStringLiteral("--set"), QStringLiteral("round_minutes=7")},
              QStringList{QStringLiteral("--set"), QStringLiteral("double_after=12")}, // needs a daily rule
              QStringList{QStringLiteral("--pto"), QStringLiteral("1,2026-03-02,25,Vacation")}}) {
            QVERIFY(run(base + bad).startsWith(QStringLiteral("exit 2\n")));
            QCOMPARE(run(base), before);
        }
        const QString after =
            run(base + QStringList{QStringLiteral("--set"), QStringLiteral("overtime=daily-weekly"),
                                   QStringLiteral("--set"), QStringLiteral("double_after=12"),
                                   QStringLiteral("--holiday"), QStringLiteral("2026-07-04=Independence Day"),
                                   QStringLiteral("--pto"), QStringLiteral("1,2026-03-11,7.5,Sick")});
        QVERIFY(after.contains(QStringLiteral("overtime=daily-weekly\n")));
        QVERIFY(after.contains(QStringLiteral("double_after=12\n")));
        QVERIFY(after.contains(QStringLiteral("holiday 2026-07-04=Independence Day\n")));
        QCOMPARE(db.scalar(QStringLiteral("SELECT hours FROM paid_time_off WHERE emp_id = '1'")).toDouble(), 7.5);
        QCOMPARE(TempDatabase::rows(QStringLiteral("SELECT c.program, v.old_value, v.new_value FROM audit_change c "
                                                   "JOIN audit_value v ON v.change_id = c.id WHERE v.column_name = "
                                                   "'overtime'")),
                 (QList<QVariantList>{
                     {QCoreApplication::applicationName(), QStringLiteral("pair"), QStringLiteral("daily-weekly")}}));
    }

    // Under a rule that changes pay the reports name it, show double time only when it is on, and the detail
    // report adds a subtotal per week; a range from the middle of a week says it read the week's earlier days.
    void reportsFollowRules()
    {
        FixedClock clock(QDateTime(QDate(2026, 12, 8), QTime(10, 0)));
        TempDatabase db;
        seedFixed(db);
        const QStringList base = {QStringLiteral("--database"), db.path(),
                                  QStringLiteral("--from"),     QStringLiteral("03/04/2026"),
                                  QStringLiteral("--to"),       QStringLiteral("03/10/2026")};
        QCOMPARE(run({QStringLiteral("rules"), QStringLiteral("--database"), db.path(), QStringLiteral("--set"),
                      QStringLiteral("overtime=weekly")})
                     .left(5),
                 QStringLiteral("overt"));
        const QString detail = run(QStringList{QStringLiteral("detail")} + base +
                                   QStringList{QStringLiteral("--employee"), QStringLiteral("10,4")});
        // 13 h a day from Monday 03/02: Monday and Tuesday (26 h) are read, not listed; Thursday crosses 40
        // after 1 h; Sunday 03/08 starts a new week.
        QVERIFY2(detail.startsWith(QStringLiteral("Detailed Timesheet Report - Overtime after 40 hours a week\n")),
                 qPrintable(detail));
        QVERIFY(detail.contains(QStringLiteral("the hours worked from 03/01/2026, the start of the week")));
        QVERIFY(!detail.contains(QStringLiteral("Double Time")));
        QVERIFY(detail.contains(QStringLiteral("Week of 03/01/2026")) &&
                detail.contains(QStringLiteral("Week of 03/08/2026")));
        const QString summary = run(QStringList{QStringLiteral("summary")} + base +
                                    QStringList{QStringLiteral("--employee"), QStringLiteral("10,4")});
        // Wednesday 13 + Thursday 1 + Sunday 13 regular; Thursday 12 + Friday 13 + Saturday 13 overtime.
        QVERIFY2(summary.contains(QRegularExpression(QStringLiteral("10,4 +Di \"Dee\" O'Day +27 +38 +65 "))),
                 qPrintable(summary));
    }

    // With every rule at its default, the reports are what they were before pay rules existed, byte for byte:
    // the outputs below were written by qorvil-report before pay rules were added.
    void defaultReportsUnchanged()
    {
        FixedClock clock(QDateTime(QDate(2026, 12, 8), QTime(10, 0)));
        TempDatabase db;
        seedFixed(db);
        const QDir golden(QStringLiteral(QORVIL_TEST_DATA "/default-reports"));
        for (const Case& c : cases()) {
            const QString csvPath = QDir(db.dir()).filePath(QStringLiteral("out.csv"));
            QFile::remove(csvPath);
            QByteArray produced[] = {
                run(QStringList{QStringLiteral("--database"), db.path()} + c.arguments).toUtf8(),
                (run(QStringList{QStringLiteral("--database"), db.path(), QStringLiteral("--csv"), csvPath} +
                     c.arguments)
                     .toUtf8() +
                 readFile(csvPath)),
                QByteArray(),
            };
            // The pages the PDF is made of, from the same prepared report the command writes.
            Payroll::Request request{QDate(2026, 3, 1), QDate(2026, 3, 10), {}, QString()};
            const int siteAt = c.arguments.indexOf(QStringLiteral("--site"));
            if (siteAt >= 0)
                request.site = c.arguments.at(siteAt + 1);
            for (int i = 0; i + 1 < c.arguments.size(); ++i)
                if (c.arguments.at(i) == QLatin1String("--employee"))
                    request.list.append({QString(), c.arguments.at(i + 1), true});
            if (c.arguments.contains(QStringLiteral("--all")))
                for (const QVariantList& row :
                     TempDatabase::rows(QStringLiteral("Select emp_id from employee order by id")))
                    request.list.append({QString(), row.value(0).toString(), true});
            QString error;
            if (c.arguments.constFirst() == QLatin1String("detail")) {
                Payroll::DetailReport report;
                QVERIFY2(Payroll::runDetail(request, &report, &error), qPrintable(error));
                produced[2] = pageDigests(Payroll::layoutOf(report), report.rows);
            } else {
                Payroll::SummaryReport report;
                QVERIFY2(Payroll::runSummary(request, &report, &error), qPrintable(error));
                produced[2] = pageDigests(Payroll::layoutOf(report), report.rows);
            }
            const char* suffixes[] = {".txt", ".csv", ".pages"};
            for (int i = 0; i < 3; ++i) {
                const QString path = golden.filePath(QLatin1String(c.name) + QLatin1String(suffixes[i]));
                QCOMPARE(QString::fromUtf8(produced[i]), QString::fromUtf8(readFile(path)));
            }
        }
    }
};

QTEST_MAIN(TestPayRules)
#include "test_payrules.moc"
