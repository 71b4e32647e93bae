#include "workbench/window/FieldText.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include <QLineEdit>

#include "base/FormatLength.h"
#include "platform/Prompts.h"

namespace {

// The text without leading and trailing blanks, as ASCII; false when a
// character outside ASCII remains (no number contains one).
bool TrimmedAscii(const QString& text, std::string& ascii)
{
    const QString trimmed = text.trimmed();
    ascii.clear();
    for (const QChar c : trimmed) {
        if (c.unicode() > 0x7F)
            return false;
        ascii.push_back(static_cast<char>(c.unicode()));
    }
    return !ascii.empty();
}

}  // namespace

bool ParseNumberText(const QString& text, double& value)
{
    std::string ascii;
    if (!TrimmedAscii(text, ascii))
        return false;
    // ParseRealC would also take "inf", "nan" and hexadecimal forms; a length
    // field holds digits, sign, point and exponent only.
    for (const char c : ascii) {
        const bool allowed = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'e' || c == 'E';
        if (!allowed)
            return false;
    }
    char* end = nullptr;
    const double parsed = ParseRealC(ascii.c_str(), &end);
    if (end != ascii.c_str() + ascii.size() || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

bool ParseIntegerText(const QString& text, int32_t& value)
{
    std::string ascii;
    if (!TrimmedAscii(text, ascii))
        return false;
    std::size_t i = 0;
    bool negative = false;
    if (ascii[0] == '+' || ascii[0] == '-') {
        negative = ascii[0] == '-';
        i = 1;
    }
    if (i == ascii.size())
        return false;
    int64_t magnitude = 0;
    for (; i < ascii.size(); ++i) {
        const char c = ascii[i];
        if (c < '0' || c > '9')
            return false;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > int64_t(std::numeric_limits<int32_t>::max()) + 1)
            return false;
    }
    const int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue > std::numeric_limits<int32_t>::max())
        return false;
    value = static_cast<int32_t>(signedValue);
    return true;
}

QString RemoveBlanks(const QString& text)
{
    QString cleaned;
    cleaned.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u != 0x0020 && u != 0x3000 && u != 0x00A0)
            cleaned.append(c);
    }
    return cleaned;
}

QString LengthText(double value)
{
    return QString::fromStdString(FormatLength(value));
}

QString ToQString(const MyString& text)
{
    return QString::fromStdU16String(text);
}

MyString ToMyString(const QString& text)
{
    return text.toStdU16String();
}

const QString NUMBER_MESSAGE = QStringLiteral("请输入一个数字。");

void FocusField(QLineEdit* field, int count)
{
    field->setFocus(Qt::OtherFocusReason);
    field->setSelection(0, std::min<int>(count, static_cast<int>(field->text().size())));
}

void RefuseField(QWidget* parent, QLineEdit* field, const QString& message, int count)
{
    AppPrompts().Message(message, parent);
    FocusField(field, count);
}
