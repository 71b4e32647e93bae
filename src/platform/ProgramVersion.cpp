#include "platform/ProgramVersion.h"

namespace {

constexpr int VERSION_YEAR = 2026;
constexpr int VERSION_MONTH = 4;
constexpr int VERSION_DAY = 30;

}  // namespace

QString ProgramVersionText()
{
    return QStringLiteral("%1.%2.%3")
        .arg(VERSION_YEAR)
        .arg(VERSION_MONTH, 2, 10, QLatin1Char('0'))
        .arg(VERSION_DAY, 2, 10, QLatin1Char('0'));
}
