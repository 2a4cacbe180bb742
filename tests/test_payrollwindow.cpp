#include "core/valueforms.h"
#include "report/payrolllayouts.h"
#include "report/reportrenderer.h"
#include "server/payroll/payrollwindow.h"
#include "server/payroll/reportwindow.h"
#include "tests/support/fixedclock.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/tempdatabase.h"
#include "widgets/childwindows.h"

#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QPaintEngine>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTest>
#include <QTreeWidget>
#include <optional>

namespace {

const QDate kMonday(2026, 3, 2);

// A paint device that keeps the text painted on it and where, in twips (it claims 1440 dpi).
class RecordingEngine : public QPaintEngine
{
public:
    struct Text
    {
        QString text;
        QPointF at;
    };

    RecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState& state) override
    {
        if (state.state() & QPaintEngine::DirtyTransform)
            m_transform = state.transform();
    }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawPath(const QPainterPath&) override {}
    void drawTextItem(const QPointF& at, const QTextItem& item) override
    {
        texts.append({item.text(), m_transform.map(at)});
    }
    Type type() const override { return QPaintEngine::User; }

    QList<Text> texts;

private:
    QTransform m_transform;
};

class RecordingDevice : public QPaintDevice
{
public:
    QPaintEngine* paintEngine() const override { return &engine; }
    mutable RecordingEngine engine;

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
            return 12240;
        case PdmHeight:
            return 15840;
        case PdmWidthMM:
            return 216;
        case PdmHeightMM:
            return 279;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 1440;
        case PdmDepth:
            return 32;
        case PdmNumColors:
            return INT_MAX;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(QPaintDevice::devicePixelRatioFScale());
        }
        return 0;
    }
};

QList<RecordingEngine::Text> pageText(const Report::Renderer& renderer, int page)
{
    RecordingDevice device;
    QPainter painter(&device);
    renderer.paintPage(painter, page);
    painter.end();
    return device.engine.texts;
}

QStringList textsOf(const QList<RecordingEngine::Text>& items)
{
    QStringList texts;
    for (const auto& item : items)
        texts << item.text;
    return texts;
}

// A page as a picture, for looking at the result (QORVIL_SHOT_DIR).
void savePage(const Report::Renderer& renderer, int page, const QString& path)
{
    const double dpi = 110;
    QImage image(int(8.5 * dpi), int(11 * dpi), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.translate(dpi, dpi);
    painter.scale(dpi / 1440, dpi / 1440);
    renderer.paintPage(painter, page);
    painter.end();
    image.save(path);
}

void seedWeek(TempDatabase& db)
{
    db.addEmployee(QStringLiteral("1001"), QStringLiteral("Ann"), QStringLiteral("Avery"), 10.5, 15.75);
    db.addEmployee(QStringLiteral("1002"), QStringLiteral("Bob"), QStringLiteral("Brown"), 12, 18);
    db.exec(
        QStringLiteral("Insert into Employee (emp_id, emp_lname, reg_wage, ot_wage) values ('1003', 'Cole', 9, 13.5)"));
    for (int day = 0; day < 5; ++day) {
        db.addTimesheet(QStringLiteral("1001"), kMonday.addDays(day),
                        {t("07:58:12"), t("12:01:45"), t("12:45:00"), t("17:10:00")});
        db.addTimesheet(QStringLiteral("1002"), kMonday.addDays(day), {t("08:00:00"), t("16:00:00")});
    }
    db.addTimesheet(QStringLiteral("1003"), kMonday, {t("09:00:00"), t("12:30:00")});
}

} // namespace

class TestPayrollWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void loadFillsTheWindow();
    void refusesWithoutDatabase();
    void markAllAndManualUncheck();
    void detailPressOpensAndRefillsOneWindow();
    void summaryPressWithNothingCheckedOpensNothing();
    void refusedStoreIsReported();
    void pagesShowCaptionsAndValues();
    void longReportBreaksIntoPages();
    void summaryPagesAllShowEmployees_data();
    void summaryPagesAllShowEmployees();
    void exportsPdfAndCsv();
    void navigatesPages();
    void exportFailureAndCancelledPrint();

private:
    void closeAll();

    std::optional<TempDatabase> m_db;
};

void TestPayrollWindow::init()
{
    closeAll();
    m_db.emplace();
}

// Windows keep their record sets open, so they go before the database does.
void TestPayrollWindow::cleanup()
{
    closeAll();
    m_db.reset();
}

void TestPayrollWindow::closeAll()
{
    for (const char* name : {"Payroll", "Detail", "Summary"})
        delete ChildWindows::find(QLatin1String(name));
}

void TestPayrollWindow::loadFillsTheWindow()
{
    FixedClock clock(QDateTime(QDate(2026, 3, 6), QTime(9, 30)));
    ScriptedDialogs dialogs;
    TempDatabase& db = *m_db;
    seedWeek(db);
    auto* window = ChildWindows::open<PayrollWindow>(QStringLiteral("Payroll"));
    QVERIFY(window);
    QCOMPARE(window->windowTitle(), QStringLiteral("Payroll Report"));
    QCOMPARE(window->findChild<QDateEdit*>(QStringLiteral("DTPicker1"))->date(), QDate(2026, 3, 6));
    QCOMPARE(window->findChild<QDateEdit*>(QStringLiteral("DTPicker2"))->date(), QDate(2026, 3, 6));
    QCOMPARE(window->findChild<QGroupBox*>(QStringLiteral("Frame1"))->title(), QStringLiteral("Employee List"));
    QCOMPARE(window->findChild<QGroupBox*>(QStringLiteral("Frame2"))->title(), QStringLiteral("Report Type"));
    QCOMPARE(window->findChild<QPushButton*>(QStringLiteral("PushButton1"))->text(),
             QStringLiteral("Full Detail Report"));
    QCOMPARE(window->findChild<QPushButton*>(QStringLiteral("PushButton2"))->text(), QStringLiteral("Summary Report"));
    QCOMPARE(
        window->findChild<QLabel*>(QStringLiteral("Label1"))->text(),
        QStringLiteral("Select the period date range by start date and end date from the 'From' and 'To'  dropdowns"));

    auto* list = window->findChild<QTreeWidget*>(QStringLiteral("ListView1"));
    QCOMPARE(list->headerItem()->text(0), QStringLiteral("Name"));
    QCOMPARE(list->headerItem()->text(1), QStringLiteral("Employee ID"));
    QCOMPARE(list->topLevelItemCount(), 3);
    QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("Ann Avery"));
    QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral("1001"));
    // A Null first name keeps its blank.
    QCOMPARE(list->topLevelItem(2)->text(0), QStringLiteral(" Cole"));
    for (int i = 0; i < 3; ++i)
        QCOMPARE(list->topLevelItem(i)->checkState(0), Qt::Unchecked);
    // Whole names and the whole "Employee ID" heading, both in sight while the names are short.
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QHeaderView* header = list->header();
    const int checkBox = list->style()->pixelMetric(QStyle::PM_IndicatorWidth);
    for (int i = 0; i < 3; ++i)
        QVERIFY(header->sectionSize(0) >=
                list->fontMetrics().horizontalAdvance(list->topLevelItem(i)->text(0)) + checkBox);
    QVERIFY(header->sectionSize(1) >= header->sectionSizeHint(1));
    QVERIFY(header->sectionPosition(1) + header->sectionSizeHint(1) <= list->viewport()->width());

    if (const QString dir = qEnvironmentVariable("QORVIL_SHOT_DIR"); !dir.isEmpty()) {
        list->topLevelItem(0)->setCheckState(0, Qt::Checked);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QCoreApplication::processEvents();
        window->grab().save(QDir(dir).filePath(QStringLiteral("payroll-window.png")));
    }
}

void TestPayrollWindow::refusesWithoutDatabase()
{
    m_db.reset();
    ScriptedDialogs dialogs;
    QVERIFY(!ChildWindows::open<PayrollWindow>(QStringLiteral("Payroll")));
    QCOMPARE(dialogs.last().text, QStringLiteral("Could not open database ..."));
    QCOMPARE(dialogs.last().title, QStringLiteral("Connection Failed"));
    QVERIFY(!ChildWindows::find(QStringLiteral("Payroll")));
}

void TestPayrollWindow::markAllAndManualUncheck()
{
    FixedClock clock;
    ScriptedDialogs dialogs;
    TempDatabase& db = *m_db;
    seedWeek(db);
    auto* window = ChildWindows::open<PayrollWindow>(QStringLiteral("Payroll"));
    auto* list = window->findChild<QTreeWidget*>(QStringLiteral("ListView1"));
    auto* markAll = window->findChild<QCheckBox*>(QStringLiteral("CheckBox1"));
    QCOMPARE(markAll->text(), QStringLiteral("Mark All Employee"));
    auto checks = [&] {
        QList<bool> states;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            states << (list->topLevelItem(i)->checkState(0) == Qt::Checked);
        return states;
    };

    QTest::mouseClick(markAll, Qt::LeftButton);
    QCOMPARE(checks(), (QList<bool>{true, true, true}));
    list->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
    QVERIFY(markAll->isChecked());
    QCOMPARE(window->request().list.at(1).checked, false);
    QCOMPARE(window->request().list.at(2).empId, QStringLiteral("1003"));

    QTest::mouseClick(markAll, Qt::LeftButton);
    QCOMPARE(checks(), (QList<bool>{false, false, false}));
    list->topLevelItem(0)->setCheckState(0, Qt::Checked);
    QTest::mouseClick(markAll, Qt::LeftButton);
    QTest::mouseClick(markAll, Qt::LeftButton);
    QCOMPARE(checks(), (QList<bool>{false, false, false}));
}

void TestPayrollWindow::detailPressOpensAndRefillsOneWindow()
{
    FixedClock clock(QDateTime(kMonday.addDays(7), QTime(9, 0)));
    ScriptedDialogs dialogs;
    TempDatabase& db = *m_db;
    seedWeek(db);
    auto* window = ChildWindows::open<PayrollWindow>(QStringLiteral("Payroll"));
    window->findChild<QDateEdit*>(QStringLiteral("DTPicker1"))->setDate(kMonday);
    window->findChild<QDateEdit*>(QStringLiteral("DTPicker2"))->setDate(kMonday.addDays(4));
    auto* list = window->findChild<QTreeWidget*>(QStringLiteral("ListView1"));
    list->topLevelItem(1)->setCheckState(0, Qt::Checked);
    list->topLevelItem(2)->setCheckState(0, Qt::Checked);

    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("PushButton1")), Qt::LeftButton);
    auto* report = qobject_cast<ReportWindow*>(ChildWindows::find(QStringLiteral("Detail")));
    QVERIFY(report);
    QCOMPARE(report->windowTitle(), QStringLiteral("Full Detail Report"));
    QCOMPARE(report->report().rows.size(), 5);
    QCOMPARE(report->report().rows.first().value(QStringLiteral("emp_id")).toString(), QStringLiteral("1002"));
    // The report is headed by the employee whose rows it lists, not by the highlighted row (the first).
    QCOMPARE(report->layout().caption(QStringLiteral("Label16")), QStringLiteral("Bob Brown"));
    QCOMPARE(report->layout().caption(QStringLiteral("Label31")), QStringLiteral("600"));

    list->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
    list->setCurrentItem(list->topLevelItem(2));
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("PushButton1")), Qt::LeftButton);
    QCOMPARE(qobject_cast<ReportWindow*>(ChildWindows::find(QStringLiteral("Detail"))), report);
    QCOMPARE(report->report().rows.size(), 1);
    QCOMPARE(report->layout().caption(QStringLiteral("Label16")), QStringLiteral(" Cole"));
    QCOMPARE(db.scalar(QStringLiteral("Select count(*) from details")).toInt(), 1);

    // The summary covers both checked rows in its own window.
    list->topLevelItem(0)->setCheckState(0, Qt::Checked);
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("PushButton2")), Qt::LeftButton);
    auto* summary = qobject_cast<ReportWindow*>(ChildWindows::find(QStringLiteral("Summary")));
    QVERIFY(summary);
    QVERIFY(summary != report);
    QCOMPARE(summary->windowTitle(), QStringLiteral("Timesheet Report Summary"));
    QCOMPARE(summary->report().rows.size(), 2);
    QCOMPARE(summary->pageCount(), 1);
    QVERIFY(dialogs.boxes.isEmpty());

    if (const QString dir = qEnvironmentVariable("QORVIL_SHOT_DIR"); !dir.isEmpty()) {
        summary->resize(900, 800);
        summary->grab().save(QDir(dir).filePath(QStringLiteral("summary-window.png")));
    }
}

void TestPayrollWindow::summaryPressWithNothingCheckedOpensNothing()
{
    FixedClock clock;
    ScriptedDialogs dialogs;
    TempDatabase& db = *m_db;
    seedWeek(db);
    db.exec(QStringLiteral("Insert into summary (emp_id) values ('old')"));
    auto* window = ChildWindows::open<PayrollWindow>(QStringLiteral("Payroll"));
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("PushButton2")), Qt::LeftButton);
    QVERIFY(!ChildWindows::find(QStringLiteral("Summary")));
    QCOMPARE(db.scalar(QStringLiteral("Select count(*) from summary")).toInt(), 0);
    QVERIFY(dialogs.boxes.isEmpty());

    // The detail report says what is missing instead of printing a nameless report of 0 hours.
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("PushButton1")), Qt::LeftButton);
    QVERIFY(!ChildWindows::find(QStringLiteral("Detail")));
    QCOMPARE(dialogs.boxes.size(), 1);
    QCOMPARE(dialogs.last().text,
             QStringLiteral("Check the employee whose full detail report you want in the Employee List."));
    QCOMPARE(dialogs.last().title, QStringLiteral("Payroll Report"));
}

void TestPayrollWindow::refusedStoreIsReported()
{
    FixedClock clock;
    ScriptedDialogs dialogs;
    TempDatabase& db = *m_db;
    seedWeek(db);
    db.refuseInserts(QStringLiteral("summary"), QStringLiteral("true"), QStringLiteral("database is full"));
    auto* window = ChildWindows::open<PayrollWindow>(QStringLiteral("Payroll"));
    QTest::mouseClick(window->findChild<QCheckBox*>(QStringLiteral("CheckBox1")), Qt::LeftButton);
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("PushButton2")), Qt::LeftButton);
    QCOMPARE(dialogs.boxes.size(), 1);
    // The store's reason, as the store gives it.
    QVERIFY2(
        dialogs.last().text.startsWith(QStringLiteral("The summary report could not be prepared: database is full")),
        qPrintable(dialogs.last().text));
    QCOMPARE(dialogs.last().title, QStringLiteral("Payroll Report"));
    QCOMPARE(dialogs.last().icon, Dialogs::Icon::Exclamation);
    QVERIFY(!ChildWindows::find(QStringLiteral("Summary")));
}

void TestPayrollWindow::pagesShowCaptionsAndValues()
{
    FixedClock clock(QDateTime(kMonday.addDays(7), QTime(9, 0)));
    TempDatabase& db = *m_db;
    seedWeek(db);
    const QList<Payroll::ListEntry> list = {{QStringLiteral("Ann Avery"), QStringLiteral("1001"), true},
                                            {QStringLiteral("Bob Brown"), QStringLiteral("1002"), true}};
    Payroll::DetailReport detail;
    QString error;
    QVERIFY(Payroll::runDetail({kMonday, kMonday.addDays(4), list}, &detail, &error));
    Report::Renderer detailPages(Payroll::layoutOf(detail), detail.rows);
    QCOMPARE(detailPages.pageCount(), 1);
    const auto texts = pageText(detailPages, 0);
    const QStringList shown = textsOf(texts);
    for (const char* expected : {"Detailed Timesheet Report",
                                 "Pay Period",
                                 "From",
                                 "03/02/2026",
                                 "To",
                                 "03/06/2026",
                                 "03/09/2026",
                                 "Name",
                                 "Time In",
                                 "Time Out",
                                 "Regular",
                                 "Overtime",
                                 "Work Hours",
                                 "Ann Avery",
                                 "07:58:12",
                                 "17:10:00",
                                 "4.4167",
                                 "Work week totals",
                                 "Pay Period Hours",
                                 "Wages Per Hour",
                                 "Total Earnings",
                                 "42.3335",
                                 "10.5",
                                 "15.75",
                                 "420",
                                 "36.752625",
                                 "456.752625",
                                 "Page 1 of 1"})
        QVERIFY2(shown.contains(QLatin1String(expected)), expected);
    // Ten pair rows, each on its own band 288 twips below the last, from the end of the report header.
    QList<double> inRows;
    for (const auto& item : texts) {
        if (item.text == QStringLiteral("07:58:12")) {
            QVERIFY(qAbs(item.at.x() - 3312) < 20);
            inRows << item.at.y();
        }
    }
    QCOMPARE(inRows.size(), 5);
    for (int i = 1; i < inRows.size(); ++i)
        QCOMPARE(qRound(inRows[i] - inRows[i - 1]), 2 * 288);
    QVERIFY(inRows.first() > 3075 && inRows.first() < 3075 + 288);

    Payroll::SummaryReport summary;
    QVERIFY(Payroll::runSummary({kMonday, kMonday.addDays(4), list}, &summary, &error));
    Report::Renderer summaryPages(Payroll::layoutOf(summary), summary.rows);
    const QStringList summaryText = textsOf(pageText(summaryPages, 0));
    for (const char* expected : {"Timesheet Report Summary", "Ann Avery", "Bob Brown", "42.3335", "2.3335", "40", "20",
                                 "Wages Per Hour", "456.752625", "360", "600"})
        QVERIFY2(summaryText.contains(QLatin1String(expected)), expected);
    // Regular and overtime twice per employee, work hours once.
    QCOMPARE(summaryText.count(QStringLiteral("2.3335")), 2);
    QCOMPARE(summaryText.count(QStringLiteral("42.3335")), 1);
    QCOMPARE(summaryText.count(QStringLiteral("Work week totals")), 2);

    if (const QString dir = qEnvironmentVariable("QORVIL_SHOT_DIR"); !dir.isEmpty()) {
        savePage(detailPages, 0, QDir(dir).filePath(QStringLiteral("detail-page.png")));
        savePage(summaryPages, 0, QDir(dir).filePath(QStringLiteral("summary-page.png")));
        QVERIFY(
            detailPages.writePdf(QDir(dir).filePath(QStringLiteral("detail.pdf")), Payroll::layoutOf(detail).title));
        QVERIFY(
            summaryPages.writePdf(QDir(dir).filePath(QStringLiteral("summary.pdf")), Payroll::layoutOf(summary).title));
    }
}

void TestPayrollWindow::longReportBreaksIntoPages()
{
    QList<Report::Row> rows;
    for (int i = 0; i < 120; ++i)
        rows.append({{QStringLiteral("rsdate"), kMonday.addDays(i)},
                     {QStringLiteral("in1"), QTime(8, 0)},
                     {QStringLiteral("work_hours"), 4.0}});
    const Report::Renderer renderer(Payroll::detailLayout(), rows);
    QVERIFY(renderer.pageCount() > 2);
    QStringList dates;
    for (int page = 0; page < renderer.pageCount(); ++page) {
        const auto texts = pageText(renderer, page);
        for (const auto& item : texts) {
            if (item.text.contains(QLatin1Char('/')))
                dates << item.text;
            // Nothing is painted in the page footer's space except the page number.
            if (item.at.y() > 9 * 1440 - 360)
                QCOMPARE(item.text, QStringLiteral("Page %1 of %2").arg(page + 1).arg(renderer.pageCount()));
        }
        const QStringList shown = textsOf(texts);
        QCOMPARE(shown.contains(QStringLiteral("Detailed Timesheet Report")), page == 0);
        QCOMPARE(shown.contains(QStringLiteral("Total Earnings")), page == renderer.pageCount() - 1);
    }
    QCOMPARE(dates.size(), 120);
    QCOMPARE(dates.first(), ValueForms::showDate(kMonday));
    QCOMPARE(dates.last(), ValueForms::showDate(kMonday.addDays(119)));
    QCOMPARE(QSet<QString>(dates.begin(), dates.end()).size(), 120);
}

void TestPayrollWindow::summaryPagesAllShowEmployees_data()
{
    QTest::addColumn<int>("employees");
    QTest::newRow("4, the last band just short of the page's end") << 4;
    QTest::newRow("60, many pages") << 60;
}

void TestPayrollWindow::summaryPagesAllShowEmployees()
{
    QFETCH(int, employees);
    FixedClock clock;
    ScriptedDialogs dialogs;
    TempDatabase& db = *m_db;
    QList<Payroll::ListEntry> list;
    for (int i = 0; i < employees; ++i) {
        const QString id = QString::number(1001 + i);
        db.addEmployee(id, QStringLiteral("First%1").arg(i), QStringLiteral("Last%1").arg(i));
        list.append({QString(), id, true});
    }
    Payroll::SummaryReport summary;
    QString error;
    QVERIFY(Payroll::runSummary({kMonday, kMonday, list}, &summary, &error));
    ReportWindow* window = ReportWindow::openReport(summary);
    const Report::Renderer renderer(window->layout(), summary.rows);
    QCOMPARE(window->pageCount(), renderer.pageCount());

    // No page is left with nothing but its page number.
    const QRegularExpression name(QStringLiteral("^First\\d+ Last\\d+$"));
    int names = 0;
    for (int page = 0; page < renderer.pageCount(); ++page) {
        const int onPage = int(textsOf(pageText(renderer, page)).filter(name).size());
        QVERIFY2(onPage > 0, qPrintable(QStringLiteral("page %1 of %2").arg(page + 1).arg(renderer.pageCount())));
        names += onPage;
    }
    QCOMPARE(names, employees);

    // Printed and exported, the report has the pages of the preview.
    const auto pdfPages = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? int(file.readAll().count("/Type /Page\n")) : -1;
    };
    const QString pdf = QDir(db.dir()).filePath(QStringLiteral("summary.pdf"));
    dialogs.queueText(pdf);
    QVERIFY(window->exportPdf());
    QCOMPARE(pdfPages(pdf), window->pageCount());
    const QString printed = QDir(db.dir()).filePath(QStringLiteral("printed.pdf"));
    dialogs.queuePrinter(true, printed);
    QVERIFY(window->print());
    QCOMPARE(pdfPages(printed), window->pageCount());
}

void TestPayrollWindow::exportsPdfAndCsv()
{
    FixedClock clock;
    ScriptedDialogs dialogs;
    TempDatabase& db = *m_db;
    seedWeek(db);
    Payroll::DetailReport detail;
    QString error;
    QList<Payroll::ListEntry> list = {{QStringLiteral("Ann Avery"), QStringLiteral("1001"), true}};
    QVERIFY(Payroll::runDetail({kMonday, kMonday.addDays(4), list}, &detail, &error));
    // Inside a main window, whose status bar says where each export went.
    QMainWindow main;
    auto* area = new QMdiArea;
    main.setCentralWidget(area);
    main.resize(1000, 700);
    main.show();
    ChildWindows::setArea(area);
    ReportWindow* window = ReportWindow::openReport(detail);
    QVERIFY(window);

    const QString pdf = QDir(db.dir()).filePath(QStringLiteral("detail.pdf"));
    dialogs.queueText(pdf);
    QVERIFY(window->findChild<QAction*>(QStringLiteral("ExportPdf")));
    window->findChild<QAction*>(QStringLiteral("ExportPdf"))->trigger();
    QCOMPARE(dialogs.last().kind, QStringLiteral("save"));
    QCOMPARE(dialogs.last().text, QStringLiteral("Full Detail Report.pdf"));
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("%PDF-"));
    QCOMPARE(bytes.count("/Type /Page\n"), 1);
    // One page object per rendered page.
    QCOMPARE(bytes.count("/Type /Page\n"), window->pageCount());
    QCOMPARE(main.statusBar()->currentMessage(),
             QStringLiteral("Full Detail Report exported as PDF: ") + QDir::toNativeSeparators(pdf));
    // The text of the page, where the poppler tools are at hand.
    if (const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext")); !pdftotext.isEmpty()) {
        QProcess process;
        process.start(pdftotext, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        QVERIFY(process.waitForFinished(30000));
        const QString text = QString::fromUtf8(process.readAllStandardOutput());
        for (const char* expected : {"Detailed Timesheet Report", "Pay Period", "Ann Avery", "07:58:12", "4.4167",
                                     "Work week totals", "Total Earnings", "456.752625"})
            QVERIFY2(text.contains(QLatin1String(expected)), expected);
    }

    const QString csv = QDir(db.dir()).filePath(QStringLiteral("detail.csv"));
    dialogs.queueText(csv);
    window->findChild<QAction*>(QStringLiteral("ExportCsv"))->trigger();
    QFile csvFile(csv);
    QVERIFY(csvFile.open(QIODevice::ReadOnly));
    // The rows and totals the report prepared (their forms are checked with the reports themselves).
    QCOMPARE(QString::fromUtf8(csvFile.readAll()), detail.csv);
    QCOMPARE(main.statusBar()->currentMessage(),
             QStringLiteral("Full Detail Report exported as CSV: ") + QDir::toNativeSeparators(csv));
    QVERIFY(detail.csv.contains(QStringLiteral("Total Earnings,,,,420,36.752625,456.752625\r\n")));

    // The summary window exports its own rows.
    list.append({QStringLiteral("Bob Brown"), QStringLiteral("1002"), true});
    Payroll::SummaryReport summary;
    QVERIFY(Payroll::runSummary({kMonday, kMonday.addDays(4), list}, &summary, &error));
    ReportWindow* summaryWindow = ReportWindow::openReport(summary);
    dialogs.queueText(csv);
    QVERIFY(summaryWindow->exportCsv());
    csvFile.close();
    QVERIFY(csvFile.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(csvFile.readAll()), summary.csv);
    QVERIFY(summary.csv.contains(QStringLiteral("1002,Bob Brown,20,20,40,12,18,240,360,600\r\n")));
    closeAll();
    ChildWindows::setArea(nullptr);
}

void TestPayrollWindow::navigatesPages()
{
    FixedClock clock;
    ScriptedDialogs dialogs;
    TempDatabase& db = *m_db;
    db.addEmployee(QStringLiteral("1001"), QStringLiteral("Ann"), QStringLiteral("Avery"));
    for (int day = 0; day < 40; ++day)
        db.addTimesheet(QStringLiteral("1001"), kMonday.addDays(day),
                        {t("08:00:00"), t("10:00:00"), t("10:15:00"), t("12:00:00"), t("13:00:00"), t("17:00:00")});
    Payroll::DetailReport detail;
    QString error;
    QVERIFY(Payroll::runDetail({kMonday, kMonday.addDays(39), {{QString(), QStringLiteral("1001"), true}}}, &detail,
                               &error));
    QCOMPARE(detail.rows.size(), 120);
    ReportWindow* window = ReportWindow::openReport(detail);
    const int pages = Report::Renderer(Payroll::layoutOf(detail), detail.rows).pageCount();
    QVERIFY(pages > 2);
    QCOMPARE(window->pageCount(), pages);
    auto* label = window->findChild<QLabel*>(QStringLiteral("PageNumber"));
    QCOMPARE(label->text(), QStringLiteral("Page 1 of %1").arg(pages));
    QVERIFY(!window->findChild<QAction*>(QStringLiteral("PreviousPage"))->isEnabled());

    window->findChild<QAction*>(QStringLiteral("NextPage"))->trigger();
    QCOMPARE(window->currentPage(), 2);
    QCOMPARE(label->text(), QStringLiteral("Page 2 of %1").arg(pages));
    window->findChild<QAction*>(QStringLiteral("LastPage"))->trigger();
    QCOMPARE(window->currentPage(), pages);
    QVERIFY(!window->findChild<QAction*>(QStringLiteral("NextPage"))->isEnabled());
    window->findChild<QAction*>(QStringLiteral("FirstPage"))->trigger();
    QCOMPARE(window->currentPage(), 1);

    // Opened at the page's width, where the small figures can be read.
    auto* preview = window->findChild<QPrintPreviewWidget*>(QStringLiteral("Preview"));
    QCOMPARE(preview->zoomMode(), QPrintPreviewWidget::FitToWidth);
    const qreal zoom = preview->zoomFactor();
    window->findChild<QAction*>(QStringLiteral("ZoomIn"))->trigger();
    QVERIFY(preview->zoomFactor() > zoom);

    // A PDF of the report has as many pages as the viewer.
    const QString pdf = QDir(db.dir()).filePath(QStringLiteral("long.pdf"));
    dialogs.queueText(pdf);
    QVERIFY(window->exportPdf());
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll().count("/Type /Page\n"), pages);
}

void TestPayrollWindow::exportFailureAndCancelledPrint()
{
    FixedClock clock;
    ScriptedDialogs dialogs;
    TempDatabase& db = *m_db;
    Payroll::SummaryReport summary;
    QString error;
    QVERIFY(Payroll::runSummary({kMonday, kMonday, {{QString(), QStringLiteral("X"), true}}}, &summary, &error));
    ReportWindow* window = ReportWindow::openReport(summary);

    dialogs.queueText(QDir(db.dir()).filePath(QStringLiteral("missing/folder/summary.csv")));
    QVERIFY(!window->exportCsv());
    QCOMPARE(dialogs.last().title, QStringLiteral("Export CSV"));
    QVERIFY(dialogs.last().text.startsWith(QStringLiteral("Export CSV failed: ")));
    QCOMPARE(dialogs.last().icon, Dialogs::Icon::Exclamation);

    // Cancelled file and printer choices write nothing and say nothing.
    dialogs.clear();
    QVERIFY(!window->exportPdf());
    dialogs.queuePrinter(false);
    QVERIFY(!window->print());
    QCOMPARE(dialogs.boxes.size(), 2);
    QCOMPARE(dialogs.boxes.at(0).kind, QStringLiteral("save"));
    QCOMPARE(dialogs.boxes.at(1).kind, QStringLiteral("print"));
    QCOMPARE(QDir(db.dir()).entryList(QDir::Files).filter(QStringLiteral(".pdf")), QStringList());
}

QTEST_MAIN(TestPayrollWindow)
#include "test_payrollwindow.moc"
