// trevak-sheet-bench: writes the cutting sheet of a large made-up plan as a
// PDF and reports the time, the peak memory of the process and the file size.
//
// usage: trevak-sheet-bench [--patterns N] [--out FILE]
//
// The plan: N patterns over three specifications, bars of 6000, 9000 or
// 12000 filled with 2 to 12 pieces of 200 distinct lengths (200 to 3000),
// kerf 3, 1 to 20 bars each; every third pattern has two mark groups.

#include <sys/resource.h>

#include <QGuiApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "base/Codepage.h"
#include "drawing/SheetRenderer.h"
#include "engine/ResultModel.h"

namespace {

WireOptimize_Whole MadeUpPlan(int patterns)
{
    std::mt19937 random(20261209);
    const double bars[] = {6000, 9000, 12000};
    const double kerf = 3;
    WireOptimize_Whole job;
    job.m_kerfWidth = kerf;
    for (int s = 0; s < 3; ++s) {
        WireOptimize group;
        group.m_spec = u"Φ" + Utf8ToUtf16(std::to_string(10 + 2 * s)) + u"-HRB400";
        group.m_kerfWidth = kerf;
        job.m_groups.push_back(group);
        for (double length : bars) {
            job.m_stockLength.push_back(length);
            job.m_stockQuantity.push_back(UNLIMITED_QUANTITY);
            job.m_stockSpec.push_back(group.m_spec);
            job.m_stockPriority.push_back(0);
        }
    }
    for (int p = 0; p < patterns; ++p) {
        WireOptimize& group = job.m_groups[std::size_t(p % 3)];
        WireCombine pattern;
        pattern.m_barLength = bars[random() % 3];
        pattern.m_barCount = 1 + int64_t(random() % 20);
        double left = pattern.m_barLength;
        const int wanted = 2 + int(random() % 11);
        for (int i = 0; i < wanted; ++i) {
            const double length = 200 + 14.0 * double(random() % 200);
            if (length + kerf > left) break;
            left -= length + kerf;
            if (!pattern.m_pieceLength.empty() && pattern.m_pieceLength.back() == length) {
                ++pattern.m_pieceCount.back();
            } else {
                pattern.m_pieceLength.push_back(length);
                pattern.m_pieceCount.push_back(1);
            }
        }
        if (pattern.m_pieceLength.empty()) {
            pattern.m_pieceLength.push_back(pattern.m_barLength / 2);
            pattern.m_pieceCount.push_back(1);
        }
        if (p % 3 == 0 && pattern.m_barCount >= 2) {
            for (int g = 0; g < 2; ++g) {
                WireCombine_Mark record;
                record.m_barCount = g == 0 ? pattern.m_barCount / 2 : pattern.m_barCount - pattern.m_barCount / 2;
                record.m_pieceLength = pattern.m_pieceLength;
                record.m_pieceCount = pattern.m_pieceCount;
                record.m_pieceMark.assign(pattern.m_pieceLength.size(),
                                          u"订单" + Utf8ToUtf16(std::to_string(p % 97 + g)));
                pattern.m_markRecords.push_back(record);
            }
        }
        group.m_patterns.push_back(pattern);
    }
    for (WireOptimize& group : job.m_groups) TotalGroup(group);
    TotalJob(job);
    BuildLeftoverList(job);
    job.m_markSpec.push_back(job.m_groups[0].m_spec);
    return job;
}

}  // namespace

int main(int argc, char** argv)
{
    int patterns = 10000;
    std::string out = "sheet-bench.pdf";
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--patterns")
            patterns = std::atoi(argv[i + 1]);
        else if (option == "--out")
            out = argv[i + 1];
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);

    const WireOptimize_Whole job = MadeUpPlan(patterns);
    SheetSettings settings;
    settings.madeAt = std::time(nullptr);
    settings.speedLevel = 1;

    const auto start = std::chrono::steady_clock::now();
    const CuttingSheet sheet = BuildCuttingSheet(job, settings);
    std::u16string error;
    const bool written = WriteCuttingSheetPdf(sheet, out, error);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!written) {
        std::fprintf(stderr, "trevak-sheet-bench: %s\n", Utf16ToUtf8(error).c_str());
        return 1;
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const std::size_t pages = PaginateSheet(sheet, SheetBodyHeight(sheet.landscape)).size();
    std::printf("patterns %d  pages %zu  %s  seconds %.2f  peak memory %.0f MB  file %.1f MB\n", patterns, pages,
                sheet.landscape ? "landscape" : "portrait", seconds, double(usage.ru_maxrss) / 1024.0,
                double(std::filesystem::file_size(out)) / (1024.0 * 1024.0));
    return 0;
}
