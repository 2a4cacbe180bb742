#include "server/payroll/reportwindow.h"

#include "widgets/childwindows.h"
#include "widgets/dialogs.h"
#include "widgets/icons.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPageLayout>
#include <QPainter>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QSaveFile>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

enum class Zoom { In, Out, FitWidth };

// The zoom pictures, drawn here where the desktop's icon theme has none: a magnifying glass with a plus
// or a minus, and a page between two arrows for the page width.
QIcon zoomPicture(Zoom kind)
{
    QPixmap picture(32, 32);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(40, 60, 110);
    if (kind == Zoom::FitWidth) {
        p.setPen(QPen(ink, 1.5));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(9.5, 4.5, 13, 23));
        p.setPen(QPen(QColor(30, 120, 60), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(2, 16), QPointF(30, 16));
        for (const qreal tip : {2.0, 30.0}) {
            const qreal back = tip < 16 ? tip + 5 : tip - 5;
            p.drawLine(QPointF(tip, 16), QPointF(back, 11));
            p.drawLine(QPointF(tip, 16), QPointF(back, 21));
        }
        return QIcon(picture);
    }
    p.setPen(QPen(ink, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(19, 19), QPointF(28, 28));
    p.setPen(QPen(ink, 2.5));
    p.setBrush(QColor(225, 238, 252));
    p.drawEllipse(QPointF(13, 13), 9.5, 9.5);
    p.setPen(QPen(ink, 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(8.5, 13), QPointF(17.5, 13));
    if (kind == Zoom::In)
        p.drawLine(QPointF(13, 8.5), QPointF(13, 17.5));
    return QIcon(picture);
}

} // namespace

ReportWindow::ReportWindow(QWidget* parent) : FormWindow(parent), m_printer(new QPrinter(QPrinter::HighResolution))
{
    m_printer->setPageLayout(Report::pageLayout());

    // Output on the left with captions; the view controls on the right as icons with tool tips.
    auto* output = new QToolBar(this);
    output->setObjectName(QStringLiteral("ReportToolBar"));
    output->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    auto* view = new QToolBar(this);
    view->setObjectName(QStringLiteral("ViewToolBar"));
    view->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (QToolBar* bar : {output, view})
        bar->setIconSize(QSize(18, 18));
    auto add = [&](QToolBar* toolbar, const QString& name, const char* theme, const QIcon& fallback,
                   const QString& text, auto slot) {
        QAction* action = toolbar->addAction(QIcon::fromTheme(QLatin1String(theme), fallback), text);
        action->setObjectName(name);
        action->setToolTip(text);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };

    m_preview = new QPrintPreviewWidget(m_printer.get(), this);
    m_preview->setObjectName(QStringLiteral("Preview"));
    connect(m_preview, &QPrintPreviewWidget::paintRequested, this, &ReportWindow::paintPreview);
    connect(m_preview, &QPrintPreviewWidget::previewChanged, this, &ReportWindow::updatePageActions);
    // Eight-point figures are only readable at the page's width; whole pages are a zoom-out away.
    m_preview->setZoomMode(QPrintPreviewWidget::FitToWidth);
    auto standard = [this](QStyle::StandardPixmap pixmap) { return style()->standardIcon(pixmap); };

    add(output, QStringLiteral("Print"), "document-print", Icons::print(), tr("Print..."), [this] {
        print();
    })->setShortcut(QKeySequence::Print);
    add(output, QStringLiteral("ExportPdf"), "application-pdf", Icons::exportPdf(), tr("Export PDF..."),
        [this] { exportPdf(); });
    add(output, QStringLiteral("ExportCsv"), "text-csv", standard(QStyle::SP_FileDialogDetailedView),
        tr("Export CSV..."), [this] { exportCsv(); });
    add(view, QStringLiteral("ZoomOut"), "zoom-out", zoomPicture(Zoom::Out), tr("Zoom Out"), [this] {
        m_preview->zoomOut();
    })->setShortcut(QKeySequence::ZoomOut);
    add(view, QStringLiteral("ZoomIn"), "zoom-in", zoomPicture(Zoom::In), tr("Zoom In"), [this] {
        m_preview->zoomIn();
    })->setShortcut(QKeySequence::ZoomIn);
    add(view, QStringLiteral("FitWidth"), "zoom-fit-width", zoomPicture(Zoom::FitWidth), tr("Fit Width"),
        [this] { m_preview->fitToWidth(); });
    view->addSeparator();
    m_first = add(view, QStringLiteral("FirstPage"), "go-first", standard(QStyle::SP_MediaSkipBackward),
                  tr("First Page"), [this] { goToPage(1); });
    m_previous = add(view, QStringLiteral("PreviousPage"), "go-previous", standard(QStyle::SP_MediaSeekBackward),
                     tr("Previous Page"), [this] { goToPage(m_preview->currentPage() - 1); });
    m_page = new QLabel(this);
    m_page->setObjectName(QStringLiteral("PageNumber"));
    m_page->setContentsMargins(8, 0, 8, 0);
    view->addWidget(m_page);
    m_next = add(view, QStringLiteral("NextPage"), "go-next", standard(QStyle::SP_MediaSeekForward), tr("Next Page"),
                 [this] { goToPage(m_preview->currentPage() + 1); });
    m_last = add(view, QStringLiteral("LastPage"), "go-last", standard(QStyle::SP_MediaSkipForward), tr("Last Page"),
                 [this] { goToPage(m_preview->pageCount()); });

    auto* bars = new QHBoxLayout;
    bars->setContentsMargins(0, 0, 0, 0);
    bars->setSpacing(0);
    bars->addWidget(output);
    bars->addStretch();
    bars->addWidget(view);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(bars);
    layout->addWidget(m_preview, 1);
    updatePageActions();
}

ReportWindow::~ReportWindow() = default;

QSize ReportWindow::sizeHint() const
{
    return QSize(900, 760);
}

ReportWindow* ReportWindow::openReport(const Payroll::DetailReport& report)
{
    return open(Payroll::layoutOf(report), report);
}

ReportWindow* ReportWindow::openReport(const Payroll::SummaryReport& report)
{
    return open(Payroll::layoutOf(report), report);
}

ReportWindow* ReportWindow::open(const Report::Layout& layout, const Payroll::PreparedReport& report)
{
    auto* window = static_cast<ReportWindow*>(ChildWindows::open(layout.name, [] { return new ReportWindow; }));
    if (window)
        window->setReport(layout, report);
    return window;
}

void ReportWindow::setReport(const Report::Layout& layout, const Payroll::PreparedReport& report)
{
    m_layout = layout;
    m_report = report;
    setWindowTitle(layout.title);
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
    Report::Renderer renderer(m_layout, m_report.rows);
    renderer.render(printer);
}

void ReportWindow::goToPage(int page)
{
    // Scrolling reports a new page by itself; a jump does not.
    m_preview->setCurrentPage(page);
    updatePageActions();
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
    return m_layout.title + QLatin1Char('.') + extension;
}

void ReportWindow::exportFailed(const QString& what, const QString& reason)
{
    dialogs().ok(tr("%1 failed: %2").arg(what, reason), what, Dialogs::Icon::Exclamation);
}

void ReportWindow::exported(const QString& format, const QString& path)
{
    ChildWindows::showStatus(tr("%1 exported as %2: %3").arg(m_layout.title, format, QDir::toNativeSeparators(path)));
}

bool ReportWindow::print()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(Report::pageLayout());
    printer.setDocName(m_layout.title);
    if (!dialogs().choosePrinter(printer))
        return false;
    Report::Renderer renderer(m_layout, m_report.rows);
    if (!renderer.render(&printer)) {
        exportFailed(tr("Printing"), tr("the printer could not be started."));
        return false;
    }
    return true;
}

bool ReportWindow::exportPdf()
{
    const QString path =
        dialogs().saveFileName(tr("Export PDF"), suggestedName(QStringLiteral("pdf")), tr("PDF files (*.pdf)"));
    if (path.isEmpty())
        return false;
    Report::Renderer renderer(m_layout, m_report.rows);
    QString error;
    if (!renderer.writePdf(path, m_layout.title, &error)) {
        exportFailed(tr("Export PDF"), error);
        return false;
    }
    exported(QStringLiteral("PDF"), path);
    return true;
}

bool ReportWindow::exportCsv()
{
    const QString path =
        dialogs().saveFileName(tr("Export CSV"), suggestedName(QStringLiteral("csv")), tr("CSV files (*.csv)"));
    if (path.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(m_report.csv.toUtf8()) < 0 || !file.commit()) {
        exportFailed(tr("Export CSV"), file.errorString());
        return false;
    }
    exported(QStringLiteral("CSV"), path);
    return true;
}
