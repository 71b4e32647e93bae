#include "app/DialogUnits.h"

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
}

int DialogBaseUnitX()
{
    // The usual rule: the advance of the 52 Latin letters, halved per 26 and rounded.
    const QFontMetrics metrics(DialogFont());
    const int width = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return std::max(1, (width / 26 + 1) / 2);
}

int DialogBaseUnitY()
{
    const QFontInfo info(DialogFont());
    return std::max(1, info.pixelSize());
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
