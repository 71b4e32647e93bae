#include "drawing/SheetRenderer.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QHash>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <algorithm>
#include <memory>
#include <vector>

#include "base/ReportFile.h"
#include "drawing/BarRenderer.h"
#include "drawing/PdfText.h"
#include "engine/ResultText.h"

namespace {

// The PDF's coordinate system, dots per inch.
const int PDF_RESOLUTION = 600;

const QColor SPEC_FILL(198, 224, 180);
const QColor HEADER_FILL(255, 242, 204);
const QColor BAND_FILL(238, 246, 250);
const QColor RULE(150, 150, 150);
const QColor SECOND_TEXT(60, 60, 60);

// The fonts of the sheet, in the order SheetPainter adds them.
enum SheetFont { FONT_TITLE, FONT_SPEC, FONT_TEXT, FONT_BOLD, FONT_NUMBER, FONT_SMALL };

// Space above a bar in its row, and the bar's height.
const double BAR_TOP_MM = 1.5;
const double BAR_MM = 6;
const double MARKED_BAR_MM = 9;

QString Q(const std::u16string& text) { return QString::fromStdU16String(text); }

// Everything a page is painted with: the painter, the unit conversion and the fonts.
class SheetPainter {
public:
    SheetPainter(QPainter& painter, const CuttingSheet& sheet, qreal unitsPerMm, qreal bodyWidth)
        : m_painter(painter), m_sheet(sheet), m_k(unitsPerMm), m_bodyWidth(bodyWidth)
    {
        const QString family = SheetFontFamily();
        AddFont(family, 14, true);    // FONT_TITLE
        AddFont(family, 11, true);    // FONT_SPEC
        AddFont(family, 8.5, false);  // FONT_TEXT
        AddFont(family, 8.5, true);   // FONT_BOLD
        AddFont(family, 9, false);    // FONT_NUMBER
        AddFont(family, 7, false);    // FONT_SMALL
        BarStyle style;
        style.labelFont = Font(family, 7.5, false);
        style.markFont = Font(family, 6.5, false);
        style.padding = Mm(0.5);
        style.lineWidth = Mm(0.15);
        style.minimumKerf = Mm(0.35);
        style.hatchRemnant = true;
        style.hatchSpacing = Mm(1.6);
        style.remnantPrefix = QStringLiteral("余 ");
        style.labelGround = true;
        m_bars = std::make_unique<BarPainter>(style, painter.device());
    }

    qreal Mm(double mm) const { return mm * m_k; }

    void PaintPage(const SheetPage& page, int number, int pages, qreal bodyHeight)
    {
        for (const SheetItem& item : page.items) PaintItem(item, page);
        Footer(number, pages, bodyHeight);
    }

private:
    static QFont Font(const QString& family, qreal points, bool bold)
    {
        QFont font(family);
        font.setPointSizeF(points);
        font.setBold(bold);
        // Glyphs straight from the character map: shaping gives some texts
        // (a digit after "_") glyphs of their own that the PDF's text layer
        // cannot name, so they would vanish from copied and searched text.
        // Chinese, Latin and digits need no shaping.
        font.setStyleStrategy(QFont::PreferNoShaping);
        return font;
    }

    void AddFont(const QString& family, qreal points, bool bold)
    {
        m_fonts.push_back(Font(family, points, bold));
        m_metrics.emplace_back(m_fonts.back(), m_painter.device());
        m_advances.emplace_back();
    }

    // One line of text in the box, centred vertically, placed horizontally
    // by the flags' alignment. Widths are measured once per text and font.
    void Text(const QRectF& box, int flags, const QString& text, int font, const QColor& colour = Qt::black)
    {
        const QFontMetricsF& metrics = m_metrics[std::size_t(font)];
        QHash<QString, qreal>& advances = m_advances[std::size_t(font)];
        auto found = advances.find(text);
        if (found == advances.end()) found = advances.insert(text, metrics.horizontalAdvance(text));
        qreal x = box.left();
        if (flags & Qt::AlignRight)
            x = box.right() - found.value();
        else if (flags & Qt::AlignHCenter)
            x = box.center().x() - found.value() / 2;
        const qreal baseline = box.center().y() + (metrics.ascent() - metrics.descent()) / 2;
        m_painter.setFont(m_fonts[std::size_t(font)]);
        m_painter.setPen(colour);
        m_painter.drawText(QPointF(x, baseline), text);
    }

    QRectF Box(double x, double y, double w, double h) const { return QRectF(Mm(x), Mm(y), Mm(w), Mm(h)); }

    void PaintItem(const SheetItem& item, const SheetPage& page)
    {
        switch (item.kind) {
            case SheetItemKind::Title:
                Text(Box(0, item.top, WidthMm(), SHEET_TITLE_MM - 3), Qt::AlignLeft | Qt::AlignVCenter,
                     Q(m_sheet.title), FONT_TITLE);
                Text(Box(0, item.top, WidthMm(), SHEET_TITLE_MM - 3), Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("日期 ") + Q(m_sheet.madeAt), FONT_TEXT);
                Rule(item.top + SHEET_TITLE_MM - 2.5, Mm(0.3), Qt::black);
                break;
            case SheetItemKind::SectionHeader:
            case SheetItemKind::SectionResumed:
                SectionHeader(item);
                break;
            case SheetItemKind::BarRow:
                BarRow(m_sheet.sections[item.section].rows[item.row], item, page);
                break;
            case SheetItemKind::TableTitle:
            case SheetItemKind::TableResumed:
            case SheetItemKind::TableRow:
            case SheetItemKind::TableTotals:
                TableItem(item);
                break;
        }
    }

    double WidthMm() const { return m_bodyWidth / m_k; }

    void Rule(double y, qreal width, const QColor& colour)
    {
        m_painter.setPen(QPen(colour, width));
        m_painter.drawLine(QPointF(0, Mm(y)), QPointF(m_bodyWidth, Mm(y)));
    }

    void SectionHeader(const SheetItem& item)
    {
        const SheetSection& section = m_sheet.sections[item.section];
        double y = item.top;
        const bool resumed = item.kind == SheetItemKind::SectionResumed;
        m_painter.fillRect(Box(0, y + 0.8, WidthMm(), SHEET_SPEC_LINE_MM - 1.6), SPEC_FILL);
        QString spec = QStringLiteral("规格  ") + Q(section.spec);
        if (resumed) spec += QStringLiteral("  (续)");
        Text(Box(2, y, WidthMm() - 4, SHEET_SPEC_LINE_MM), Qt::AlignLeft | Qt::AlignVCenter, spec, FONT_SPEC);
        y += SHEET_SPEC_LINE_MM;
        if (!resumed) {
            for (const std::u16string& line : section.headerLines) {
                Text(Box(2, y, WidthMm() - 4, SHEET_HEADER_LINE_MM), Qt::AlignLeft | Qt::AlignVCenter, Q(line),
                     FONT_TEXT);
                y += SHEET_HEADER_LINE_MM;
            }
        }
        m_painter.fillRect(Box(0, y + 0.5, WidthMm(), SHEET_COLUMN_HEADER_MM - 1), HEADER_FILL);
        const double h = SHEET_COLUMN_HEADER_MM;
        Text(Box(0, y, SHEET_NUMBER_MM, h), Qt::AlignCenter, QStringLiteral("序号"), FONT_BOLD);
        Text(Box(SHEET_NUMBER_MM, y, SHEET_LENGTH_MM, h), Qt::AlignCenter, QStringLiteral("原料长度"), FONT_BOLD);
        Text(Box(SHEET_NUMBER_MM + SHEET_LENGTH_MM, y, SHEET_COUNT_MM, h), Qt::AlignCenter, QStringLiteral("根数"),
             FONT_BOLD);
        Text(Box(SHEET_BAR_LEFT_MM, y, WidthMm() - SHEET_BAR_LEFT_MM, h), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("下料图 (本页各料同一比例; 黑线为切缝, 斜线为余料)"), FONT_BOLD);
    }

    void BarRow(const SheetBarRow& row, const SheetItem& item, const SheetPage& page)
    {
        const double barHeight = row.withMarks ? MARKED_BAR_MM : BAR_MM;
        const double barTop = item.top + BAR_TOP_MM;
        const double centre = barTop + barHeight / 2;
        const int numberFont = row.markGroup ? FONT_SMALL : FONT_NUMBER;
        const QColor numberColour = row.markGroup ? SECOND_TEXT : QColor(Qt::black);
        const double lineHeight = 5;
        Text(Box(0, centre - lineHeight / 2, SHEET_NUMBER_MM, lineHeight), Qt::AlignCenter, Q(row.number), numberFont,
             numberColour);
        if (!row.markGroup)
            Text(Box(SHEET_NUMBER_MM, centre - lineHeight / 2, SHEET_LENGTH_MM, lineHeight), Qt::AlignCenter,
                 Q(LengthString(row.barLength)), FONT_NUMBER);
        Text(Box(SHEET_NUMBER_MM + SHEET_LENGTH_MM, centre - lineHeight / 2, SHEET_COUNT_MM, lineHeight),
             Qt::AlignCenter, Q(CountString(row.barCount)), numberFont, numberColour);

        const double barWidthMm = WidthMm() - SHEET_BAR_LEFT_MM - SHEET_BAR_RIGHT_MARGIN_MM;
        if (page.longestBar > 0 && row.barLength > 0) {
            const qreal scale = Mm(barWidthMm) / page.longestBar;
            const qreal left = Mm(SHEET_BAR_LEFT_MM);
            const QRectF band(left, Mm(barTop), row.barLength * scale, Mm(barHeight));
            m_painter.fillRect(band, Qt::white);
            m_bars->Draw(m_painter, band, PartsToScale(row.parts, left, scale));
            m_painter.setPen(QPen(Qt::black, Mm(0.25)));
            m_painter.setBrush(Qt::NoBrush);
            m_painter.drawRect(band);
        }
        QString below = Q(row.composition);
        if (!row.figures.empty()) below += QStringLiteral("    ") + Q(row.figures);
        Text(Box(SHEET_BAR_LEFT_MM, barTop + barHeight + 0.3, barWidthMm, 4), Qt::AlignLeft | Qt::AlignVCenter, below,
             FONT_SMALL, SECOND_TEXT);
        if (!row.markGroup) {
            m_painter.setPen(QPen(RULE, Mm(0.1)));
            m_painter.drawLine(QPointF(0, Mm(item.top)), QPointF(m_bodyWidth, Mm(item.top)));
        }
    }

    void TableItem(const SheetItem& item)
    {
        const SheetTable& table = item.section == 0 ? m_sheet.stock : m_sheet.leftover;
        double y = item.top;
        const std::vector<std::u16string>* cells = nullptr;
        bool header = false;
        QColor fill = Qt::transparent;
        switch (item.kind) {
            case SheetItemKind::TableTitle:
                Text(Box(0, y + 3, WidthMm(), SHEET_TABLE_TITLE_MM - 3), Qt::AlignLeft | Qt::AlignVCenter,
                     Q(table.title), FONT_SPEC);
                y += SHEET_TABLE_TITLE_MM;
                [[fallthrough]];
            case SheetItemKind::TableResumed:
                cells = &table.header;
                header = true;
                fill = HEADER_FILL;
                break;
            case SheetItemKind::TableRow:
                cells = &table.rows[item.row];
                if (item.row % 2 == 1) fill = BAND_FILL;
                break;
            case SheetItemKind::TableTotals:
                cells = &table.totals;
                header = true;
                fill = HEADER_FILL;
                break;
            default:
                return;
        }
        double x = 0;
        double total = 0;
        for (double w : table.columnWidths) total += w;
        if (fill != Qt::transparent) m_painter.fillRect(Box(0, y, total, SHEET_TABLE_ROW_MM), fill);
        for (std::size_t c = 0; c < table.columnWidths.size() && c < cells->size(); ++c) {
            Text(Box(x, y, table.columnWidths[c], SHEET_TABLE_ROW_MM), Qt::AlignCenter, Q((*cells)[c]),
                 header ? FONT_BOLD : FONT_TEXT);
            x += table.columnWidths[c];
        }
        m_painter.setPen(QPen(RULE, Mm(0.1)));
        m_painter.drawLine(QPointF(0, Mm(y + SHEET_TABLE_ROW_MM)), QPointF(Mm(total), Mm(y + SHEET_TABLE_ROW_MM)));
    }

    void Footer(int number, int pages, qreal bodyHeight)
    {
        const qreal y = bodyHeight + Mm(2);
        m_painter.setPen(QPen(RULE, Mm(0.2)));
        m_painter.drawLine(QPointF(0, y), QPointF(m_bodyWidth, y));
        const QRectF box(0, y + Mm(0.8), m_bodyWidth, Mm(SHEET_FOOTER_MM - 3));
        Text(box, Qt::AlignLeft | Qt::AlignVCenter, Q(m_sheet.title) + QStringLiteral("    ") + Q(m_sheet.madeAt),
             FONT_SMALL, SECOND_TEXT);
        Text(box, Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("第 %1 页 / 共 %2 页").arg(number).arg(pages),
             FONT_SMALL, SECOND_TEXT);
    }

    QPainter& m_painter;
    const CuttingSheet& m_sheet;
    qreal m_k;
    qreal m_bodyWidth;
    std::vector<QFont> m_fonts;
    std::vector<QFontMetricsF> m_metrics;
    std::vector<QHash<QString, qreal>> m_advances;
    std::unique_ptr<BarPainter> m_bars;
};

// The body of the device's pages in millimetres.
QSizeF BodyMm(const QPagedPaintDevice& device)
{
    const QRectF paint = device.pageLayout().paintRect(QPageLayout::Millimeter);
    return QSizeF(paint.width(), std::max(paint.height() - SHEET_FOOTER_MM, 10.0));
}

}  // namespace

QPageLayout SheetPageLayout(bool landscape)
{
    return QPageLayout(QPageSize(QPageSize::A4), landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(SHEET_MARGIN_MM, SHEET_MARGIN_MM, SHEET_MARGIN_MM, SHEET_MARGIN_MM),
                       QPageLayout::Millimeter);
}

int SheetPageCount(const QPagedPaintDevice& device, const CuttingSheet& sheet)
{
    return int(PaginateSheet(sheet, BodyMm(device).height()).size());
}

bool PaintCuttingSheet(QPagedPaintDevice& device, const CuttingSheet& sheet)
{
    const QSizeF body = BodyMm(device);
    const std::vector<SheetPage> pages = PaginateSheet(sheet, body.height());
    QPainter painter;
    if (!painter.begin(&device)) return false;
    const qreal k = device.logicalDpiY() / 25.4;
    SheetPainter sheetPainter(painter, sheet, k, body.width() * k);
    for (std::size_t p = 0; p < pages.size(); ++p) {
        if (p > 0) device.newPage();
        sheetPainter.PaintPage(pages[p], int(p + 1), int(pages.size()), body.height() * k);
    }
    return painter.end();
}

bool WriteCuttingSheetPdf(const CuttingSheet& sheet, const std::string& path, std::u16string& error,
                          const QPageLayout* layout)
{
    const QString family = SheetFontFamily();
    if (family.isEmpty()) {
        error = u"没有找到可以书写中文的字体 !";
        return false;
    }
    // Room for the whole file from the start (about 1.6 kB a bar), so that
    // the writer's many small writes never move it.
    QByteArray bytes;
    std::size_t bars = 0;
    for (const SheetSection& section : sheet.sections)
        bars += section.rows.size();
    bytes.reserve(qsizetype(std::min<std::size_t>(64 << 20, (1 << 20) + bars * 1600)));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(PDF_RESOLUTION);
        writer.setPageLayout(layout ? *layout : SheetPageLayout(sheet.landscape));
        writer.setTitle(Q(sheet.title));
        writer.setCreator(QStringLiteral("Trevak线材下料优化"));
        if (!PaintCuttingSheet(writer, sheet)) {
            error = u"PDF 文件无法生成 !";
            return false;
        }
    }
    buffer.close();
    QByteArray& pdf = bytes;
    QFont bold(family);
    bold.setBold(true);
    FixTextLayer(pdf, RadicalsSharingGlyphs({QFont(family), bold}));

    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size() || !file.commit()) {
        error = WriteErrorMessage(path);
        return false;
    }
    return true;
}
