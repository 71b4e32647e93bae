#include "drawing/BarRenderer.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "engine/ResultText.h"
#include "reports/PatternDrawing.h"
#include "reports/SpreadsheetReports.h"

namespace {

const QColor REMNANT_HATCH(110, 110, 110);

QString ToQString(const std::u16string& text) { return QString::fromStdU16String(text); }

void HatchRemnant(QPainter& painter, const QRectF& area, const BarStyle& style)
{
    if (area.width() <= 0 || area.height() <= 0 || style.hatchSpacing <= 0) return;
    painter.save();
    painter.setClipRect(area, Qt::IntersectClip);
    painter.setPen(QPen(REMNANT_HATCH, style.lineWidth));
    QPainterPath lines;
    // Lines rising to the right at 45 degrees, hatchSpacing apart.
    const qreal h = area.height();
    for (qreal x = area.left() - h; x < area.right(); x += style.hatchSpacing) {
        lines.moveTo(x, area.bottom());
        lines.lineTo(x + h, area.top());
    }
    painter.drawPath(lines);
    painter.restore();
}

}  // namespace

QColor PaletteColour(uint32_t bgr) { return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF)); }

std::vector<DrawnPart> PartsOnPixels(const WireCombine& pattern, int left, int right)
{
    std::vector<DrawnPart> parts;
    const std::vector<PatternBlock> blocks = PatternBlocks(pattern, left, right);
    // The blocks follow the pattern's pieces in order: the label of each
    // comes from the same walk.
    std::size_t t = 0;
    int64_t n = 0;
    for (const PatternBlock& block : blocks) {
        while (t < pattern.m_pieceCount.size() && n >= pattern.m_pieceCount[t]) {
            ++t;
            n = 0;
        }
        ++n;
        DrawnPart part;
        part.left = block.left;
        part.right = block.right;
        part.colourIndex = block.colourIndex;
        if (t < pattern.m_pieceLength.size()) part.label = ToQString(LengthString(pattern.m_pieceLength[t]));
        parts.push_back(part);
    }
    return parts;
}

std::vector<DrawnPart> PartsToScale(const std::vector<BarPart>& parts, qreal left, qreal scale)
{
    std::vector<DrawnPart> drawn;
    drawn.reserve(parts.size());
    for (const BarPart& part : parts) {
        DrawnPart d;
        d.kind = part.kind;
        d.left = left + part.start * scale;
        d.right = left + (part.start + part.length) * scale;
        d.colourIndex = part.colourIndex;
        d.label = ToQString(part.label);
        d.mark = ToQString(part.mark);
        drawn.push_back(d);
    }
    return drawn;
}

BarPainter::BarPainter(const BarStyle& style, const QPaintDevice* device)
    : m_style(style), m_labelMetrics(style.labelFont, device), m_markMetrics(style.markFont, device)
{
}

const BarPainter::Size& BarPainter::Measure(const QString& text, QHash<QString, Size>& cache,
                                            const QFontMetricsF& metrics)
{
    auto found = cache.find(text);
    if (found == cache.end())
        found = cache.insert(text, Size{metrics.horizontalAdvance(text), metrics.tightBoundingRect(text)});
    return found.value();
}

const QRectF& BarPainter::Ink(const QString& text) { return Measure(text, m_labelSizes, m_labelMetrics).ink; }

qreal BarPainter::Advance(const QString& text) { return Measure(text, m_labelSizes, m_labelMetrics).advance; }

bool BarPainter::LabelFits(const QString& label, qreal width, qreal height)
{
    if (label.isEmpty()) return false;
    const Size& size = Measure(label, m_labelSizes, m_labelMetrics);
    return size.advance + 2 * m_style.padding <= width && size.ink.height() + 2 * m_style.padding <= height;
}

// The text's ink centred on the point, so that digits stand in the middle of
// a low bar whatever the font's ascent and descent.
void BarPainter::DrawCentred(QPainter& painter, const QString& text, const QFont& font, const QPointF& centre,
                             QHash<QString, Size>& cache, const QFontMetricsF& metrics)
{
    const Size& size = Measure(text, cache, metrics);
    painter.setFont(font);
    painter.drawText(QPointF(centre.x() - size.advance / 2, centre.y() - size.ink.center().y()), text);
}

std::vector<bool> BarPainter::Draw(QPainter& painter, const QRectF& band, const std::vector<DrawnPart>& parts)
{
    const BarStyle& style = m_style;
    std::vector<bool> written(parts.size(), false);
    const QPen black(Qt::black, style.lineWidth);
    const qreal top = band.top();
    const qreal lineBottom = style.pixelGrid ? band.bottom() - 1 : band.bottom();

    // Fills first, then the lines, so that a neighbour's fill never covers a line.
    for (const DrawnPart& part : parts) {
        const QRectF area(part.left, top, part.right - part.left, band.height());
        switch (part.kind) {
            case BarPartKind::Piece:
                painter.fillRect(area, PaletteColour(SegmentColour(part.colourIndex)));
                break;
            case BarPartKind::Kerf: {
                const qreal width = std::max(area.width(), style.minimumKerf);
                painter.fillRect(QRectF(part.left, top, width, band.height()), Qt::black);
                break;
            }
            case BarPartKind::Remnant:
                painter.fillRect(area, Qt::white);
                if (style.hatchRemnant) HatchRemnant(painter, area, style);
                break;
        }
    }
    painter.setPen(black);
    for (const DrawnPart& part : parts) {
        if (part.kind != BarPartKind::Piece) continue;
        painter.drawLine(QPointF(part.left, top), QPointF(part.left, lineBottom));
        painter.drawLine(QPointF(part.right, top), QPointF(part.right, lineBottom));
    }

    for (std::size_t i = 0; i < parts.size(); ++i) {
        const DrawnPart& part = parts[i];
        if (part.kind == BarPartKind::Kerf) continue;
        const QString text = part.kind == BarPartKind::Remnant ? style.remnantPrefix + part.label : part.label;
        // The room inside the part, within its lines.
        const qreal width = part.right - part.left - 1;
        if (!LabelFits(text, width, band.height())) continue;
        written[i] = true;
        const Size& size = Measure(text, m_labelSizes, m_labelMetrics);
        const bool withMark =
            part.kind == BarPartKind::Piece && !part.mark.isEmpty() &&
            size.ink.height() + 2 * style.padding <= band.height() / 2 &&
            Measure(part.mark, m_markSizes, m_markMetrics).advance + 2 * style.padding <= width &&
            Measure(part.mark, m_markSizes, m_markMetrics).ink.height() + 2 * style.padding <= band.height() / 2;
        const qreal centreX = (part.left + part.right) / 2;
        const qreal labelY = withMark ? top + band.height() * 0.3 : band.center().y();
        QColor colour = Qt::black;
        if (part.kind == BarPartKind::Piece && !style.labelGround) {
            colour = PaletteColour(SegmentTextColour(part.colourIndex));
        } else {
            // On a white ground: over the hatching, or on any fill.
            const qreal w = size.advance + style.padding;
            const qreal h = size.ink.height() + style.padding;
            painter.fillRect(QRectF(centreX - w / 2, labelY - h / 2, w, h), Qt::white);
        }
        painter.setPen(colour);
        DrawCentred(painter, text, style.labelFont, QPointF(centreX, labelY), m_labelSizes, m_labelMetrics);
        if (withMark) {
            const qreal markY = top + band.height() * 0.72;
            if (style.labelGround) {
                const Size& mark = Measure(part.mark, m_markSizes, m_markMetrics);
                const qreal w = mark.advance + style.padding;
                const qreal h = mark.ink.height() + style.padding;
                painter.fillRect(QRectF(centreX - w / 2, markY - h / 2, w, h), Qt::white);
            }
            DrawCentred(painter, part.mark, style.markFont, QPointF(centreX, markY), m_markSizes, m_markMetrics);
        }
    }
    painter.setPen(black);
    return written;
}
