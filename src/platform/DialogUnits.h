#pragma once

#include <QFont>
#include <QRect>

// Dialog units: the window and dialog layouts are given in them. One
// horizontal unit is a quarter of the dialog font's average character width,
// one vertical unit an eighth of its character height.

// "宋体" 9 pt when installed, else the platform's CJK font (Noto Sans CJK SC).
QFont MakeDialogFont();

// The font the layouts are measured with and the dialogs use; MakeDialogFont()
// until SetDialogFont is called (start-up sets it as the application font).
QFont DialogFont();
void SetDialogFont(const QFont& font);

// The dialog font's base units in pixels: the average width of the Latin
// letters (rounded) and the character height (the em height in pixels:
// "宋体"'s character cell is its em; the CJK fallback's line spacing is about
// 1.45 em and would stretch every layout by that much).
int DialogBaseUnitX();
int DialogBaseUnitY();

int DluToPixelsX(int dlu);
int DluToPixelsY(int dlu);
// A rectangle x, y, width, height in dialog units, in pixels.
QRect DluToPixels(int x, int y, int width, int height);

