#include "report/reportrenderer.h"

#include "core/valueforms.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

namespace Report {

namespace {

constexpr double kTwipsPerInch = 1440.0;
constexpr int kShapeRadius = 90;

QFont reportFont(const Control& control)
{
    QFont font;
    // Where Arial itself is missing, a font with its metrics keeps the columns where they were drawn.
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"),
                      QStringLiteral("Helvetica")});
    font.setBold(true);
    font.setItalic(control.italic);
    // One point is 20 twips, and the painter works in twips.
    font.setPixelSize(qRound(control.points * 20));
    return font;
}

} // namespace

QList<Section*> Layout::sections()
{
    return {&reportHeader, &pageHeader, &detail, &pageFooter, &reportFooter};
}

QList<const Section*> Layout::sections() const
{
    return {&reportHeader, &pageHeader, &detail, &pageFooter, &reportFooter};
}

Control* Layout::control(const QString& name)
{
    for (Section* section : sections()) {
        for (Control& control : section->controls) {
            if (control.name == name)
                return &control;
        }
    }
    return nullptr;
}

const Control* Layout::control(const QString& name) const
{
    return const_cast<Layout*>(this)->control(name);
}

bool Layout::setCaption(const QString& name, const QString& caption)
{
    Control* found = control(name);
    if (!found)
        return false;
    found->caption = caption;
    return true;
}

QString Layout::caption(const QString& name) const
{
    const Control* found = control(name);
    return found ? found->caption : QString();
}

QString controlText(const Control& control, const Row& row)
{
    if (control.kind == ControlKind::TextBox) {
        const QString text = ValueForms::showValue(row.value(control.column.toLower()));
        return control.shown ? control.shown(text) : text;
    }
    return control.caption;
}

QSizeF defaultPaperInches()
{
    return QSizeF(8.5, 11.0);
}

QPageLayout pageLayout()
{
    const double margin = kMarginInches * 72;
    return QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF(margin, margin, margin, margin),
                       QPageLayout::Point);
}

Renderer::Renderer(const Layout& layout, const QList<Row>& rows) : m_layout(layout), m_rows(rows)
{
    paginate(QSizeF((defaultPaperInches().width() - 2 * kMarginInches) * kTwipsPerInch,
                    (defaultPaperInches().height() - 2 * kMarginInches) * kTwipsPerInch));
}

void Renderer::paginate(const QSizeF& areaTwips)
{
    m_pages.clear();
    m_pageHeight = int(areaTwips.height());
    const int bodyBottom = m_pageHeight - m_layout.pageFooter.height;
    Page page;
    int y = m_layout.pageHeader.height;
    // A band that does not fit in what is left of the page starts the next one; a band taller than a
    // whole page is printed anyway rather than looping for ever. A band with nothing on it is only space,
    // and never starts a page that would show nothing else.
    auto place = [&](const Section& section, int row) {
        if (y + section.height > bodyBottom && section.controls.isEmpty())
            return;
        if (y + section.height > bodyBottom && y > m_layout.pageHeader.height) {
            m_pages.append(page);
            page = Page();
            y = m_layout.pageHeader.height;
        }
        page.bands.append({&section, y, row});
        y += section.height;
    };
    place(m_layout.reportHeader, -1);
    for (int i = 0; i < m_rows.size(); ++i)
        place(m_layout.detail, i);
    place(m_layout.reportFooter, -1);
    m_pages.append(page);
}

void Renderer::paintPage(QPainter& painter, int page) const
{
    if (page < 0 || page >= m_pages.size())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const Row none;
    paintSection(painter, m_layout.pageHeader, 0, none, page);
    for (const Band& band : m_pages[page].bands)
        paintSection(painter, *band.section, band.top, band.row >= 0 ? m_rows[band.row] : none, page);
    paintSection(painter, m_layout.pageFooter, m_pageHeight - m_layout.pageFooter.height, none, page);
    painter.restore();
}

void Renderer::paintSection(QPainter& painter, const Section& section, int top, const Row& row, int page) const
{
    for (const Control& control : section.controls) {
        const QRect box(control.left, top + control.top, control.width, control.height);
        switch (control.kind) {
        case ControlKind::Line:
            painter.setPen(QPen(control.border.isValid() ? control.border : QColor(Qt::black), 15, control.lineStyle,
                                Qt::FlatCap));
            painter.drawLine(box.left(), box.top(), box.left() + control.width, box.top());
            break;
        case ControlKind::Shape:
            if (control.border.isValid())
                painter.setPen(QPen(control.border, 15));
            else
                painter.setPen(Qt::NoPen);
            painter.setBrush(control.fill.isValid() ? QBrush(control.fill) : QBrush(Qt::NoBrush));
            painter.drawRoundedRect(box, kShapeRadius, kShapeRadius);
            painter.setBrush(Qt::NoBrush);
            break;
        case ControlKind::Label:
        case ControlKind::TextBox: {
            QString text = controlText(control, row);
            if (control.pageNumber)
                text = QCoreApplication::translate("Report", "Page %1 of %2").arg(page + 1).arg(pageCount());
            if (text.isEmpty())
                break;
            QFont font = reportFont(control);
            // A value wider than its box is narrowed to fit, never cut off or run into its neighbour.
            const qreal natural = QFontMetricsF(font).horizontalAdvance(text);
            if (control.width > 0 && natural > control.width)
                font.setStretch(qMax(50, int(100.0 * control.width / natural)));
            painter.setFont(font);
            painter.setPen(Qt::black);
            const int height = control.height > 0 ? control.height : qRound(control.points * 20 * 1.4);
            painter.drawText(QRect(box.left(), box.top(), control.width, height),
                             int(control.align | Qt::AlignTop) | Qt::TextSingleLine | Qt::TextDontClip, text);
            break;
        }
        }
    }
}

bool Renderer::render(QPagedPaintDevice* device)
{
    const QRectF area = device->pageLayout().paintRect(QPageLayout::Point);
    paginate(area.size() * 20);
    QPainter painter;
    if (!painter.begin(device))
        return false;
    painter.scale(device->logicalDpiX() / kTwipsPerInch, device->logicalDpiY() / kTwipsPerInch);
    for (int page = 0; page < pageCount(); ++page) {
        if (page > 0 && !device->newPage())
            return false;
        paintPage(painter, page);
    }
    return painter.end();
}

bool Renderer::writePdf(const QString& path, const QString& title, QString* error)
{
    // Written beside the target and renamed into place: nobody finds half a file, and an export that fails
    // leaves the previous file as it was.
    QSaveFile file(path);
    bool written = file.open(QIODevice::WriteOnly);
    if (written) {
        QPdfWriter writer(&file);
        writer.setResolution(int(kTwipsPerInch));
        writer.setPageLayout(pageLayout());
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("Qorvil"));
        written = render(&writer);
    }
    if (written && file.size() > 0 && file.commit())
        return true;
    if (error)
        *error = QStringLiteral("could not write ") + path +
                 (file.error() == QFileDevice::NoError ? QString() : QStringLiteral(": ") + file.errorString());
    return false;
}

} // namespace Report
