// libFuzzer target: any bytes read as a cut list and as a stock list give rows
// that obey the list rules, or bad lines, never a crash.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "exchange/TextListFile.h"

namespace {

std::string TempPath()
{
    static std::string path = [] {
        char name[] = "/tmp/trevak-fuzz-XXXXXX";
        const int fd = mkstemp(name);
        if (fd >= 0)
            close(fd);
        return std::string(name);
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = TempPath();
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    for (ListKind kind : {LIST_CUT, LIST_STOCK}) {
        TextFileReader reader;
        if (OpenTextList(path, reader) != TextListOpenResult::Ok)
            continue;
        InputLists lists;
        ReadTextList(reader, kind, lists);
        // Every row read is a row the program can plan with.
        for (std::size_t i = 0; i < lists.CutRowCount(); ++i)
            if (!(lists.m_cutLength[i] > 0) || lists.m_cutQuantity[i] <= 0 || lists.m_cutSpec[i].empty() ||
                lists.m_cutSpec[i].size() > MYSTRING_MAX_UNITS)
                __builtin_trap();
        for (std::size_t i = 0; i < lists.StockRowCount(); ++i)
            if (!(lists.m_stockLength[i] > 0) || lists.m_stockQuantity[i] == 0 || lists.m_stockSpec[i].empty())
                __builtin_trap();
    }
    return 0;
}
