#pragma once

#include <cstdint>

#include <QString>

class QLineEdit;
class QWidget;

#include "lists/InputLists.h"

// Texts of the edit fields and the tables of the window and its dialogs.

// Reads a real from a field: optional blanks, a number in plain or exponent
// notation ("." as decimal point whatever the locale), optional blanks, nothing
// else. False when the text is not such a number.
bool ParseNumberText(const QString& text, double& value);

// Reads a 32-bit integer from a field: optional blanks, an optional sign,
// digits, optional blanks. False when the text is not such an integer.
bool ParseIntegerText(const QString& text, int32_t& value);

// A text with every U+0020, U+3000 and U+00A0 removed.
QString RemoveBlanks(const QString& text);

// A length as the user reads it (FormatLength).
QString LengthText(double value);

QString ToQString(const MyString& text);
MyString ToMyString(const QString& text);

// "请输入一个数字。", shown for a number field that does not hold a number.
extern const QString NUMBER_MESSAGE;

// Focuses the field and selects its first `count` characters (all of a
// shorter text).
void FocusField(QLineEdit* field, int count);
// Shows the message over parent, then focuses the field as FocusField does.
void RefuseField(QWidget* parent, QLineEdit* field, const QString& message, int count);
