#include "server/payroll/reportwindow.h"

#include "common/dialogs.h"
#include "server/shell/childwindows.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QPageLayout>
#include <QPdfWriter>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QSaveFile>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

QPageLayout reportPage()
{
    const double margin = Report::kMarginInches * 72;
    return QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF(margin, margin, margin, margin),
                       QPageLayout::Point);
}

} // namespace

ReportWindow::ReportWindow(QWidget* parent) : FormWindow(parent), m_printer(new QPrinter(QPrinter::HighResolution))
{
    m_printer->setPageLayout(reportPage());

    auto* toolbar = new QToolBar(this);
    toolbar->setObjectName(QStringLiteral("ReportToolBar"));
    toolbar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    toolbar->setIconSize(QSize(18, 18));
    auto add = [&](const QString& name, QStyle::StandardPixmap icon, const QString& text, auto slot) {
        QAction* action = toolbar->addAction(style()->standardIcon(icon), text);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };

    m_preview = new QPrintPreviewWidget(m_printer.get(), this);
    m_preview->setObjectName(QStringLiteral("Preview"));
    connect(m_preview, &QPrintPreviewWidget::paintRequested, this, &ReportWindow::paintPreview);
    connect(m_preview, &QPrintPreviewWidget::previewChanged, this, &ReportWindow::updatePageActions);

    add(QStringLiteral("Print"), QStyle::SP_DialogSaveButton, tr("Print..."), [this] {
        print();
    })->setShortcut(QKeySequence::Print);
    add(QStringLiteral("ExportPdf"), QStyle::SP_FileIcon, tr("Export PDF..."), [this] { exportPdf(); });
    add(QStringLiteral("ExportCsv"), QStyle::SP_FileDialogDetailedView, tr("Export CSV..."), [this] { exportCsv(); });
    toolbar->addSeparator();
    add(QStringLiteral("ZoomOut"), QStyle::SP_ArrowDown, tr("Zoom Out"), [this] {
        m_preview->zoomOut();
    })->setShortcut(QKeySequence::ZoomOut);
    add(QStringLiteral("ZoomIn"), QStyle::SP_ArrowUp, tr("Zoom In"), [this] {
        m_preview->zoomIn();
    })->setShortcut(QKeySequence::ZoomIn);
    add(QStringLiteral("FitWidth"), QStyle::SP_TitleBarMaxButton, tr("Fit Width"), [this] { m_preview->fitToWidth(); });
    toolbar->addSeparator();
    m_first = add(QStringLiteral("FirstPage"), QStyle::SP_MediaSkipBackward, tr("First"),
                  [this] { m_preview->setCurrentPage(1); });
    m_previous = add(QStringLiteral("PreviousPage"), QStyle::SP_MediaSeekBackward, tr("Previous"),
                     [this] { m_preview->setCurrentPage(m_preview->currentPage() - 1); });
    m_page = new QLabel(this);
    m_page->setObjectName(QStringLiteral("PageNumber"));
    m_page->setContentsMargins(8, 0, 8, 0);
    toolbar->addWidget(m_page);
    m_next = add(QStringLiteral("NextPage"), QStyle::SP_MediaSeekForward, tr("Next"),
                 [this] { m_preview->setCurrentPage(m_preview->currentPage() + 1); });
    m_last = add(QStringLiteral("LastPage"), QStyle::SP_MediaSkipForward, tr("Last"),
                 [this] { m_preview->setCurrentPage(m_preview->pageCount()); });
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolbar);
    layout->addWidget(m_preview, 1);
    updatePageActions();
}

ReportWindow::~ReportWindow() = default;

QSize ReportWindow::sizeHint() const
{
    return QSize(900, 760);
}

ReportWindow* ReportWindow::show(const Payroll::PreparedReport& report)
{
    auto* window = static_cast<ReportWindow*>(ChildWindows::open(report.layout.name, [] { return new ReportWindow; }));
    if (window)
        window->setReport(report);
    return window;
}

void ReportWindow::setReport(const Payroll::PreparedReport& report)
{
    m_report = report;
    setWindowTitle(report.layout.title);
    m_preview->updatePreview();
    m_preview->setCurrentPage(1);
    updatePageActions();
}

int ReportWindow::pageCount() const
{
    return m_preview->pageCount();
}

int ReportWindow::currentPage() const
{
    return m_preview->currentPage();
}

void ReportWindow::paintPreview(QPrinter* printer)
{
    Report::Renderer renderer(m_report.layout, m_report.rows);
    renderer.render(printer);
}

void ReportWindow::updatePageActions()
{
    const int count = m_preview->pageCount();
    const int page = m_preview->currentPage();
    m_page->setText(tr("Page %1 of %2").arg(count > 0 ? page : 0).arg(count));
    m_first->setEnabled(page > 1);
    m_previous->setEnabled(page > 1);
    m_next->setEnabled(page < count);
    m_last->setEnabled(page < count);
}

QString ReportWindow::suggestedName(const QString& extension) const
{
    return m_report.layout.title + QLatin1Char('.') + extension;
}

void ReportWindow::exportFailed(const QString& what, const QString& reason)
{
    dialogs().ok(what + QStringLiteral(" failed: ") + reason, what, Dialogs::Icon::Exclamation);
}

bool ReportWindow::print()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(reportPage());
    printer.setDocName(m_report.layout.title);
    if (!dialogs().choosePrinter(printer))
        return false;
    Report::Renderer renderer(m_report.layout, m_report.rows);
    if (!renderer.render(&printer)) {
        exportFailed(QStringLiteral("Printing"), QStringLiteral("the printer could not be started."));
        return false;
    }
    return true;
}

bool ReportWindow::exportPdf()
{
    const QString path = dialogs().saveFileName(QStringLiteral("Export PDF"), suggestedName(QStringLiteral("pdf")),
                                                QStringLiteral("PDF files (*.pdf)"));
    if (path.isEmpty())
        return false;
    Report::Renderer renderer(m_report.layout, m_report.rows);
    bool written = false;
    {
        QPdfWriter writer(path);
        writer.setResolution(1440);
        writer.setPageLayout(reportPage());
        writer.setTitle(m_report.layout.title);
        writer.setCreator(QStringLiteral("Qorvil"));
        written = renderer.render(&writer);
    }
    if (!written || QFileInfo(path).size() == 0) {
        exportFailed(QStringLiteral("Export PDF"), QStringLiteral("could not write ") + path);
        return false;
    }
    return true;
}

bool ReportWindow::exportCsv()
{
    const QString path = dialogs().saveFileName(QStringLiteral("Export CSV"), suggestedName(QStringLiteral("csv")),
                                                QStringLiteral("CSV files (*.csv)"));
    if (path.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(m_report.csv.toUtf8()) < 0 || !file.commit()) {
        exportFailed(QStringLiteral("Export CSV"), file.errorString());
        return false;
    }
    return true;
}
