#pragma once

#include <QProxyStyle>
#include <QString>

// The program at home in Chinese: Qt's own translations for its standard
// buttons and dialogs, and the program's tooltips.

// Loads Qt's Chinese translations (qtbase_zh_CN from the translations folder
// of the Qt installation; Debian package qt6-translations-l10n) into the
// application once, whatever the locale: the program speaks Chinese
// throughout. Returns whether they are installed. Needs the QApplication.
bool InstallQtTranslations();

// Tooltips appear after the pointer has rested this long (the other delays
// follow the platform) ...
constexpr int TOOLTIP_WAKE_UP_DELAY = 1000;  // ms
// ... and are at most this wide; longer lines break.
constexpr int TOOLTIP_MAX_WIDTH = 500;  // pixels

// The application style with the program's tooltip timing.
class ProgramStyle : public QProxyStyle {
public:
    ProgramStyle();
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr, const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
};

// Makes ProgramStyle the application's style unless it already is. Needs the
// QApplication.
void InstallProgramStyle();

// The style-sheet rule for the tooltips of a window: text colour RGB 0, 64, 64
// and the maximum width.
QString ToolTipStyleSheet();

// A tooltip text as the tooltip shows it: line breaks kept, and lines longer
// than the maximum width wrapped (a plain tooltip never wraps).
QString TipText(const QString& plain);
