#include "core/payroll/payrollexport.h"
#include "core/payroll/payrollreports.h"
#include "core/payroll/payrules.h"
#include "core/valueforms.h"
#include "report/reportcommand.h"
#include "server/payroll/exportforpayroll.h"
#include "server/payroll/payrollexportwindow.h"
#include "tests/support/fixedclock.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/tempdatabase.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTableWidget>
#include <QTest>
#include <QTextStream>

namespace {

struct Outcome
{
    int status = -1;
    QString out;
    QString err;
};

Outcome runExport(const QStringList& arguments)
{
    Outcome outcome;
    QTextStream out(&outcome.out);
    QTextStream err(&outcome.err);
    outcome.status = ReportCommand::run(QStringList{QStringLiteral("export")} + arguments, out, err);
    out.flush();
    err.flush();
    return outcome;
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

const QDate kMonday(2026, 3, 2);

// Hours worked on the day are holiday hours, at the overtime wage.
void seedHoliday(const QDate& day)
{
    Pay::Rules rules;
    QString error;
    QVERIFY2(Pay::load(&rules, &error) &&
                 Pay::set(&rules, QStringLiteral("holiday_rate"), QStringLiteral("ot"), &error),
             qPrintable(error));
    rules.holidays.insert(day, QStringLiteral("Founders' Day"));
    QVERIFY2(Pay::save(rules, &error), qPrintable(error));
}

// Two employees over one week: Ann with overtime (a 5-hour pair, a 4:20 one), Bob with hours on a holiday. The
// settings are those the reference files were written for by hand.
void seedWeek(TempDatabase& db)
{
    db.addEmployee(QStringLiteral("1001"), QStringLiteral("Ann"), QStringLiteral("Avery"));
    db.addEmployee(QStringLiteral("1002"), QStringLiteral("Bob"), QStringLiteral("Brown"));
    db.exec(QStringLiteral("Update Employee set payroll_id = '101' where emp_id = '1001'"));
    db.addTimesheet(QStringLiteral("1001"), kMonday, {t("08:00:00"), t("12:00:00"), t("12:30:00"), t("17:30:00")});
    db.addTimesheet(QStringLiteral("1001"), kMonday.addDays(2), {t("08:00:00"), t("12:20:00")});
    db.addTimesheet(QStringLiteral("1002"), kMonday, {t("09:00:00"), t("12:00:00")});
    db.addTimesheet(QStringLiteral("1002"), kMonday.addDays(1), {t("09:00:00"), t("12:15:00")});
    PayrollExport::Settings settings;
    settings.values = {{PayrollExport::kCompanyName, QStringLiteral("Qorvil Test Co")},
                       {PayrollExport::kCompanyCreateTime, QStringLiteral("1700000000")},
                       {PayrollExport::kAdpCompany, QStringLiteral("ABC")},
                       {PayrollExport::kAdpBatch, QStringLiteral("B1")},
                       {PayrollExport::kPaychexClient, QStringLiteral("70012345")}};
    QString error;
    QVERIFY2(PayrollExport::saveSettings(settings, &error), qPrintable(error));
    seedHoliday(kMonday.addDays(1));
}

QStringList week(const QString& format, const QString& output, const QString& database)
{
    return {QStringLiteral("--format"),   format,
            QStringLiteral("--from"),     QStringLiteral("03/02/2026"),
            QStringLiteral("--to"),       QStringLiteral("03/06/2026"),
            QStringLiteral("--output"),   output,
            QStringLiteral("--database"), database};
}

// Hours by employee and hour type, from a generic export.
QHash<QString, double> genericHours(const QByteArray& csv)
{
    QHash<QString, double> hours;
    const QStringList lines = QString::fromUtf8(csv).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    for (const QString& line : lines.mid(1)) {
        const QStringList fields = line.split(QLatin1Char(','));
        hours[fields.at(0) + QLatin1Char('/') + fields.at(6)] += fields.at(7).toDouble();
    }
    return hours;
}

} // namespace

class TestPayrollExport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void layoutsMatchTheirReferenceFiles_data();
    void layoutsMatchTheirReferenceFiles();
    void refusals_data();
    void refusals();
    void genericHoursEqualTheSummaryOverAYear();
    void exportsAreRecordedAndAReexportIsNamed();
    void theWindowsSetUpAndWriteAnExport();
};

void TestPayrollExport::layoutsMatchTheirReferenceFiles_data()
{
    QTest::addColumn<QString>("reference");
    for (const PayrollExport::Layout& layout : PayrollExport::layouts())
        QTest::newRow(qPrintable(layout.name)) << layout.name + QLatin1Char('.') + layout.extension;
}

void TestPayrollExport::layoutsMatchTheirReferenceFiles()
{
    QFETCH(QString, reference);
    const QString format = reference.section(QLatin1Char('.'), 0, 0);
    FixedClock clock(QDateTime(QDate(2026, 3, 9), QTime(8, 0)));
    TempDatabase db;
    seedWeek(db);
    // ADP knows everyone by file number.
    if (format == QLatin1String("adp"))
        db.exec(QStringLiteral("Update Employee set payroll_id = '102' where emp_id = '1002'"));
    const QString output = QDir(db.dir()).filePath(reference);
    const Outcome outcome = runExport(week(format, output, db.path()));
    QVERIFY2(outcome.status == 0, qPrintable(outcome.err));
    QCOMPARE(contents(output), contents(QStringLiteral(QORVIL_EXPORT_REFERENCES "/") + reference));
}

void TestPayrollExport::refusals_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("sql");    // what the owner got wrong
    QTest::addColumn<QString>("output"); // in the database's folder; "@" is the database itself
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown format") << "csv"
                                    << ""
                                    << "out.csv" << 2 << "--format \"csv\" is not a layout";
    QTest::newRow("onto the database") << "generic"
                                       << ""
                                       << "@" << 2 << "is the database or one of its files";
    QTest::newRow("exceptions in range") << "generic"
                                         << "Update timesheet set out1 = NULL where emp_id = '1002' and rsdate = "
                                            "'2026-03-02'"
                                         << "out.csv" << 3 << "1 exception(s)";
    QTest::newRow("ADP without a file number") << "adp"
                                               << ""
                                               << "out.csv" << 1 << "for: Bob Brown (1002)";
    QTest::newRow("QuickBooks names alike") << "qbo"
                                            << "Update Employee set emp_fname = 'Bob', emp_lname = 'Brown', "
                                               "payroll_id = NULL"
                                            << "out.csv" << 1 << "Bob Brown (1001) and Bob Brown (1002)";
    QTest::newRow("paid time off without its code")
        << "paychex"
        << "Insert into paid_time_off (emp_id, rsdate, hours, kind) values ('1002', '2026-03-05', 8, 'Vacation')"
        << "out.csv" << 1 << "Set the code of paid time off: vacation for Paychex";
    QTest::newRow("Paychex without a client") << "paychex"
                                              << "Delete from settings where name like '%paychex%'"
                                              << "out.csv" << 1 << "the Paychex client ID";
}

void TestPayrollExport::refusals()
{
    QFETCH(QString, format);
    QFETCH(QString, sql);
    QFETCH(QString, output);
    QFETCH(int, status);
    QFETCH(QString, message);
    if (output == QLatin1String("@") && TempDatabase::onServer())
        QSKIP("a database server's database is not a file an export could overwrite");
    FixedClock clock(QDateTime(QDate(2026, 3, 9), QTime(8, 0)));
    TempDatabase db;
    seedWeek(db);
    if (!sql.isEmpty())
        db.exec(sql);
    const QString path = output == QLatin1String("@") ? db.path() : QDir(db.dir()).filePath(output);
    const QByteArray before = contents(path);
    const Outcome outcome = runExport(week(format, path, db.path()));
    QCOMPARE(outcome.status, status);
    QVERIFY2(outcome.err.contains(message), qPrintable(outcome.err));
    QCOMPARE(contents(path), before);
    QCOMPARE(db.scalar(QStringLiteral("Select count(*) from payroll_export")).toInt(), 0);
}

// A year of a small staff with pairs of every length: the generic file's hours per employee and hour type are the
// summary report's, to the hundredth.
void TestPayrollExport::genericHoursEqualTheSummaryOverAYear()
{
    FixedClock clock(QDateTime(QDate(2026, 1, 5), QTime(8, 0)));
    TempDatabase db;
    QRandomGenerator random(27);
    const QDate first(2025, 1, 1);
    const QDate last(2025, 12, 31);
    Payroll::Request request{first, last, {}};
    for (int e = 1; e <= 4; ++e) {
        const QString id = QStringLiteral("E%1").arg(e);
        db.addEmployee(id, QStringLiteral("First%1").arg(e), QStringLiteral("Last%1").arg(e));
        request.list.append({QString(), id, true});
        for (QDate day = first; day <= last; day = day.addDays(1)) {
            if (day.dayOfWeek() > 5)
                continue;
            const QTime in(7 + random.bounded(3), random.bounded(60), random.bounded(60));
            const QTime lunch = in.addSecs(3 * 3600 + random.bounded(3 * 3600));
            const QTime back = lunch.addSecs(1800 + random.bounded(1800));
            const QTime out = back.addSecs(2 * 3600 + random.bounded(4 * 3600));
            db.addTimesheet(id, day,
                            {ValueForms::storeTime(in), ValueForms::storeTime(lunch), ValueForms::storeTime(back),
                             ValueForms::storeTime(out)});
        }
    }
    const QString output = QDir(db.dir()).filePath(QStringLiteral("year.csv"));
    const Outcome outcome =
        runExport({QStringLiteral("--format"), QStringLiteral("generic"), QStringLiteral("--from"),
                   QStringLiteral("01/01/2025"), QStringLiteral("--to"), QStringLiteral("12/31/2025"),
                   QStringLiteral("--output"), output, QStringLiteral("--database"), db.path()});
    QVERIFY2(outcome.status == 0, qPrintable(outcome.err));
    const QHash<QString, double> hours = genericHours(contents(output));

    Payroll::SummaryReport summary;
    QString error;
    QVERIFY2(Payroll::runSummary(request, &summary, &error), qPrintable(error));
    QCOMPARE(summary.rows.size(), 4);
    for (const Payroll::Row& row : std::as_const(summary.rows)) {
        const QString id = row.value(QStringLiteral("emp_id")).toString();
        QVERIFY(row.value(QStringLiteral("ot")).toDouble() > 100); // the year has overtime to compare
        QVERIFY(qAbs(hours.value(id + QStringLiteral("/REG")) - row.value(QStringLiteral("regular")).toDouble()) <
                0.005 + 1e-9);
        QVERIFY(qAbs(hours.value(id + QStringLiteral("/OT")) - row.value(QStringLiteral("ot")).toDouble()) <
                0.005 + 1e-9);
    }
}

void TestPayrollExport::exportsAreRecordedAndAReexportIsNamed()
{
    FixedClock clock(QDateTime(QDate(2026, 3, 9), QTime(8, 0)));
    TempDatabase db;
    seedWeek(db);
    const QString first = QDir(db.dir()).filePath(QStringLiteral("first.csv"));
    Outcome outcome = runExport(week(QStringLiteral("gusto"), first, db.path()));
    QVERIFY2(outcome.status == 0, qPrintable(outcome.err));
    QVERIFY2(outcome.err.contains(QStringLiteral("the days from 03/02/2026 on are not in a closed pay period")),
             qPrintable(outcome.err));
    QVERIFY(!outcome.err.contains(QStringLiteral("exported before")));
    QCOMPARE(db.scalar(QStringLiteral("Select count(*) from audit_change where table_name = 'payroll_export'")).toInt(),
             1);
    const QVariantMap made =
        TempDatabase::row(QStringLiteral("Select from_date, to_date, layout, file from payroll_export"));
    QCOMPARE(made.value(QStringLiteral("layout")).toString(), QStringLiteral("gusto"));
    QCOMPARE(made.value(QStringLiteral("file")).toString(), first);

    // Wednesday alone, again: the earlier export of the week is named.
    outcome = runExport({QStringLiteral("--format"), QStringLiteral("generic"), QStringLiteral("--from"),
                         QStringLiteral("03/04/2026"), QStringLiteral("--to"), QStringLiteral("03/04/2026"),
                         QStringLiteral("--output"), QDir(db.dir()).filePath(QStringLiteral("again.csv")),
                         QStringLiteral("--database"), db.path()});
    QVERIFY2(outcome.status == 0, qPrintable(outcome.err));
    QVERIFY2(outcome.err.contains(QStringLiteral("exported before: 03/02/2026 to 03/06/2026 as gusto to ") + first),
             qPrintable(outcome.err));
    QVERIFY(outcome.out.contains(QStringLiteral("Wrote 2 row(s) of hours of 1 employee(s)")));
}

// An owner sets ADP up in the Payroll Export window, then exports from the payroll window's button: the file is
// the reference file.
void TestPayrollExport::theWindowsSetUpAndWriteAnExport()
{
    FixedClock clock(QDateTime(QDate(2026, 3, 9), QTime(8, 0)));
    TempDatabase db;
    seedWeek(db);
    db.exec(QStringLiteral("Delete from settings where name like 'payroll_export.adp%'"));
    ScriptedDialogs dialogs;
    PayrollExportWindow window;
    QVERIFY(window.load());
    auto* layouts = window.findChild<QComboBox*>(QStringLiteral("ComboLayout"));
    layouts->setCurrentIndex(layouts->findData(QStringLiteral("adp")));
    window.findChild<QLineEdit*>(PayrollExport::kAdpCompany)->setText(QStringLiteral("ABC"));
    window.findChild<QLineEdit*>(PayrollExport::kAdpBatch)->setText(QStringLiteral(" B1 "));
    auto* grid = window.findChild<QTableWidget*>(QStringLiteral("EmpGrid"));
    const int bob = grid->findItems(QStringLiteral("1002"), Qt::MatchExactly).constFirst()->row();
    auto* save = window.findChild<QPushButton*>(QStringLiteral("PushButtonSave"));

    // One payroll ID for two people is refused, and nothing is stored.
    grid->item(bob, 2)->setText(QStringLiteral("101"));
    save->click();
    QVERIFY2(dialogs.last().text.contains(QStringLiteral("is given to Ann Avery and Bob Brown")),
             qPrintable(dialogs.last().text));
    QVERIFY(db.scalar(QStringLiteral("Select payroll_id from Employee where emp_id = '1002'")).isNull());
    grid->item(bob, 2)->setText(QStringLiteral("102"));
    save->click();
    QCOMPARE(dialogs.last().text, QStringLiteral("The payroll export settings are saved."));
    QCOMPARE(db.scalar(QStringLiteral("Select payroll_id from Employee where emp_id = '1002'")).toString(),
             QStringLiteral("102"));

    const QString output = QDir(db.dir()).filePath(QStringLiteral("PRABCEPI.csv"));
    dialogs.clear();
    dialogs.queueAnswer(Dialogs::Answer::Yes); // the days are not closed yet
    dialogs.queueText(output);
    QCOMPARE(ExportForPayroll::run({kMonday, kMonday.addDays(4), {}}), output);
    QVERIFY(dialogs.texts().at(0).contains(QStringLiteral("not in a closed pay period")));
    QVERIFY(dialogs.boxes.at(1).text.endsWith(QStringLiteral("PRABCEPI.csv"))); // the suggested name
    QCOMPARE(contents(output), contents(QStringLiteral(QORVIL_EXPORT_REFERENCES "/adp.csv")));

    // Exported again: the earlier export is named, and No leaves everything as it was.
    dialogs.clear();
    QVERIFY(ExportForPayroll::run({kMonday, kMonday.addDays(4), {}}).isEmpty());
    QVERIFY2(
        dialogs.texts().at(0).contains(QStringLiteral("exported before: 03/02/2026 to 03/06/2026 as adp to ") + output),
        qPrintable(dialogs.texts().join(QLatin1Char('\n'))));
    QCOMPARE(dialogs.boxes.size(), 1);
}

QTEST_MAIN(TestPayrollExport)
#include "test_payrollexport.moc"
