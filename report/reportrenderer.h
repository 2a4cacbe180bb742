#pragma once

#include <functional>

#include <QColor>
#include <QList>
#include <QSizeF>
#include <QString>
#include <QVariantMap>

class QPageLayout;
class QPagedPaintDevice;
class QPainter;

// Banded report layouts and their renderer. Positions and sizes are in twips (1/1440 inch) from the top
// left corner of the control's section; the renderer paints at 1440 dpi, so twips are its device units.
namespace Report {

enum class ControlKind {
    Label,   // fixed caption, or one set at run time
    TextBox, // shows a column of the band's row
    Line,    // horizontal line
    Shape,   // rounded rectangle
};

struct Control
{
    QString name;
    ControlKind kind = ControlKind::Label;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    QString caption; // labels
    QString column;  // text boxes
    double points = 8.25;
    bool italic = false;
    QColor fill;   // shapes
    QColor border; // shapes and lines; invalid means no border
    Qt::PenStyle lineStyle = Qt::SolidLine;
    Qt::Alignment align = Qt::AlignLeft;
    bool pageNumber = false; // caption is "Page n of m", filled in per page
    // How a text box's value reads on the page when not as the report keeps it (a caption in the language of
    // the program painting the page).
    std::function<QString(const QString&)> shown;
};

struct Section
{
    QString name;
    int height = 0;
    QList<Control> controls;
};

// One row of a band's data, by lower-case column name.
using Row = QVariantMap;

struct Layout
{
    QString name;  // Detail, Summary
    QString title; // the caption of the report window
    Section reportHeader;
    Section pageHeader;
    Section detail;
    Section pageFooter;
    Section reportFooter;

    QList<Section*> sections();
    QList<const Section*> sections() const;
    Control* control(const QString& name);
    const Control* control(const QString& name) const;
    // Sets a run-time caption; false when the layout has no such control.
    bool setCaption(const QString& name, const QString& caption);
    QString caption(const QString& name) const;
};

// The text a label or text box shows for a row (values in their default text form).
QString controlText(const Control& control, const Row& row);

// The default page: US Letter, portrait, one inch margins.
QSizeF defaultPaperInches();
inline constexpr double kMarginInches = 1.0;
QPageLayout pageLayout();

class Renderer
{
public:
    Renderer(const Layout& layout, const QList<Row>& rows);

    // Lays out the bands on pages whose printable area has this size in twips.
    void paginate(const QSizeF& areaTwips);
    int pageCount() const { return int(m_pages.size()); }

    // Paints one page with the painter's origin at the printable area's top left, in twips.
    void paintPage(QPainter& painter, int page) const;

    // Paints every page on the device (a printer, a PDF writer), page breaks between bands.
    bool render(QPagedPaintDevice* device);
    // Writes the pages to a PDF file; false with the reason when it could not be written.
    bool writePdf(const QString& path, const QString& title, QString* error = nullptr);

private:
    struct Band
    {
        const Section* section;
        int top;
        int row; // index into the rows for detail bands, -1 otherwise
    };
    struct Page
    {
        QList<Band> bands;
    };

    void paintSection(QPainter& painter, const Section& section, int top, const Row& row, int page) const;

    Layout m_layout;
    QList<Row> m_rows;
    QList<Page> m_pages;
    int m_pageHeight = 0;
};

} // namespace Report
