#include "cli/PdfReport.h"

#include <QGuiApplication>
#include <memory>

#include "drawing/SheetRenderer.h"

bool WriteCuttingSheetOffscreen(const WireOptimize_Whole& job, const SheetSettings& settings, const std::string& path,
                                std::u16string& error)
{
    std::unique_ptr<QGuiApplication> application;
    if (!QGuiApplication::instance()) {
        // The arguments must outlive the application.
        static char program[] = "trevak-cli";
        static char platformOption[] = "-platform";
        static char platform[] = "offscreen";
        static char* argv[] = {program, platformOption, platform, nullptr};
        static int argc = 3;
        application = std::make_unique<QGuiApplication>(argc, argv);
    }
    return WriteCuttingSheetPdf(BuildCuttingSheet(job, settings), path, error);
}
