#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QRectF>
#include <QString>
#include <vector>

#include "engine/Job.h"
#include "reports/CuttingSheet.h"

class QPaintDevice;
class QPainter;

// One bar drawn with QPainter: the pattern detail view, the cutting sheet and
// its print all draw their bars here. Where a part lies comes from the core's
// drawing arithmetic (PatternBlocks, BarParts); this only paints.

// One part of a bar in the painter's coordinates.
struct DrawnPart {
    BarPartKind kind = BarPartKind::Piece;
    qreal left = 0;
    qreal right = 0;
    int colourIndex = 0;  // pieces: palette entry
    QString label;        // pieces: the length; remnant: its length
    QString mark;         // pieces: the mark, drawn under the length where there is room
};

struct BarStyle {
    QFont labelFont;
    QFont markFont;
    qreal padding = 1;    // kept free between a label and its part's edges
    qreal lineWidth = 0;  // the black lines between parts; 0 is one device pixel
    // Integer pixels: a line ends one unit above the band's bottom, as a
    // filled rectangle's last row of pixels does.
    bool pixelGrid = false;
    qreal minimumKerf = 0;  // a kerf cut is drawn at least this wide
    bool hatchRemnant = false;
    qreal hatchSpacing = 4;
    QString remnantPrefix;  // written before the remnant's length: "余 "
    // Piece labels in black on a white ground, legible on any fill and in
    // black and white; otherwise in the palette's label colour on the fill.
    bool labelGround = false;
};

// A palette entry (0xBBGGRR) as a colour.
QColor PaletteColour(uint32_t bgr);

// The pieces of one bar of the pattern over the pixels left..right, as the
// detail view draws them (PatternBlocks), labelled with their lengths.
std::vector<DrawnPart> PartsOnPixels(const WireCombine& pattern, int left, int right);

// Parts measured along a bar (BarParts) placed from x = left at scale device
// units per length unit.
std::vector<DrawnPart> PartsToScale(const std::vector<BarPart>& parts, qreal left, qreal scale);

// Draws bars in one style for one paint device. Label sizes are measured once
// per text, so a sheet of thousands of bars measures each length once.
class BarPainter {
public:
    // Labels are measured for device (its resolution), where they are drawn.
    BarPainter(const BarStyle& style, const QPaintDevice* device);

    // Draws the parts over the band (pieces filled in their palette colours
    // with a black line on either side, kerf cuts black, the remnant white or
    // hatched) and writes each label inside its part where it fits. Returns,
    // for every part, whether its label was written.
    std::vector<bool> Draw(QPainter& painter, const QRectF& band, const std::vector<DrawnPart>& parts);

    // Whether a label in the label font fits inside a part width wide and
    // height high, with the style's padding free on either side.
    bool LabelFits(const QString& label, qreal width, qreal height);

    // The advance and ink of a text in the label font.
    const QRectF& Ink(const QString& text);
    qreal Advance(const QString& text);

private:
    struct Size {
        qreal advance = 0;
        QRectF ink;
    };
    const Size& Measure(const QString& text, QHash<QString, Size>& cache, const QFontMetricsF& metrics);
    void DrawCentred(QPainter& painter, const QString& text, const QFont& font, const QPointF& centre,
                     QHash<QString, Size>& cache, const QFontMetricsF& metrics);

    BarStyle m_style;
    QFontMetricsF m_labelMetrics;
    QFontMetricsF m_markMetrics;
    QHash<QString, Size> m_labelSizes;
    QHash<QString, Size> m_markSizes;
};
