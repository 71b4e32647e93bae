#pragma once

#include <QString>

// The program's version as the window title and the about window show it:
// year, month and day, month and day with two digits ("2026.04.30").
QString ProgramVersionText();
