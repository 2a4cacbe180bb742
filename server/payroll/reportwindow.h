#pragma once

#include "report/payrolllayouts.h"
#include "widgets/formwindow.h"

#include <memory>

class QLabel;
class QPrinter;
class QPrintPreviewWidget;
class QAction;

// Shows a payroll report as printed pages, with print, PDF and CSV export, zoom and page navigation.
// One window of each report kind; a new run of the report refills it in place.
class ReportWindow : public FormWindow
{
    Q_OBJECT
public:
    explicit ReportWindow(QWidget* parent = nullptr);
    ~ReportWindow() override;

    void setReport(const Report::Layout& layout, const Payroll::PreparedReport& report);
    const Payroll::PreparedReport& report() const { return m_report; }
    const Report::Layout& layout() const { return m_layout; }
    int pageCount() const;
    int currentPage() const;

    // Both answer the user themselves; false when nothing was written (cancelled or failed).
    bool print();
    bool exportPdf();
    bool exportCsv();

    QSize sizeHint() const override;

    // Opens (or refills) the report window of the report's layout.
    static ReportWindow* openReport(const Payroll::DetailReport& report);
    static ReportWindow* openReport(const Payroll::SummaryReport& report);

private:
    void paintPreview(QPrinter* printer);
    void goToPage(int page);
    void updatePageActions();
    void exportFailed(const QString& what, const QString& reason);
    void exported(const QString& format, const QString& path);
    QString suggestedName(const QString& extension) const;

    static ReportWindow* open(const Report::Layout& layout, const Payroll::PreparedReport& report);

    Report::Layout m_layout;
    Payroll::PreparedReport m_report;
    std::unique_ptr<QPrinter> m_printer;
    QPrintPreviewWidget* m_preview;
    QLabel* m_page;
    QAction* m_first;
    QAction* m_previous;
    QAction* m_next;
    QAction* m_last;
};
