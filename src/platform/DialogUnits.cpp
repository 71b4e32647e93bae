#include "platform/DialogUnits.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QStringList>

#include <algorithm>
#include <optional>

namespace {

const int DIALOG_FONT_POINTS = 9;

std::optional<QFont>& StoredDialogFont()
{
    static std::optional<QFont> font;
    return font;
}

// The base units of the stored font, measured once: every control of every
// layout converts its rectangle through them.
struct BaseUnits {
    int x = 0;
    int y = 0;
};

std::optional<BaseUnits>& StoredBaseUnits()
{
    static std::optional<BaseUnits> units;
    return units;
}

const BaseUnits& MeasuredBaseUnits()
{
    std::optional<BaseUnits>& units = StoredBaseUnits();
    if (!units) {
        const QFont font = DialogFont();
        // The usual rule: the advance of the 52 Latin letters, halved per 26 and rounded.
        const int width =
            QFontMetrics(font).horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
        units = BaseUnits{std::max(1, (width / 26 + 1) / 2), std::max(1, QFontInfo(font).pixelSize())};
    }
    return *units;
}

bool FamilyInstalled(const QString& family)
{
    return QFontDatabase::families().contains(family, Qt::CaseInsensitive);
}

}  // namespace

QFont MakeDialogFont()
{
    QString family = QStringLiteral("Noto Sans CJK SC");
    for (const QString& candidate : {QStringLiteral("宋体"), QStringLiteral("SimSun")}) {
        if (FamilyInstalled(candidate)) {
            family = candidate;
            break;
        }
    }
    QFont font(family, DIALOG_FONT_POINTS);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QFont DialogFont()
{
    if (!StoredDialogFont()) {
        StoredDialogFont() = MakeDialogFont();
    }
    return *StoredDialogFont();
}

void SetDialogFont(const QFont& font)
{
    StoredDialogFont() = font;
    StoredBaseUnits().reset();
}

int DialogBaseUnitX()
{
    return MeasuredBaseUnits().x;
}

int DialogBaseUnitY()
{
    return MeasuredBaseUnits().y;
}

int DluToPixelsX(int dlu)
{
    return dlu * DialogBaseUnitX() / 4;
}

int DluToPixelsY(int dlu)
{
    return dlu * DialogBaseUnitY() / 8;
}

QRect DluToPixels(int x, int y, int width, int height)
{
    // Edges are converted, not sizes, so that adjacent items stay adjacent.
    const int left = DluToPixelsX(x);
    const int top = DluToPixelsY(y);
    return QRect(left, top, DluToPixelsX(x + width) - left, DluToPixelsY(y + height) - top);
}
