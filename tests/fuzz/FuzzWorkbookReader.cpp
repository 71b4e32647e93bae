// libFuzzer target: any bytes given to the workbook reader are read or refused
// with an error text, never a crash, within bounded memory.
#include <cstddef>
#include <cstdint>
#include <string>

#include "automation/SpreadsheetConnection.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    Workbook book;
    std::u16string error;
    ReadLimits limits;
    limits.maxRows = 10000;
    limits.maxCells = 100000;
    if (!ReadWorkbookBytes(bytes, book, error, limits, "fuzz.xlsx") && error.empty())
        __builtin_trap();  // a refused file must say why
    return 0;
}
