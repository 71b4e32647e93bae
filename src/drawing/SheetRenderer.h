#pragma once

#include <QPageLayout>
#include <string>

#include "reports/CuttingSheet.h"

class QPagedPaintDevice;

// The cutting sheet painted with QPainter: A4 pages of bars drawn to one scale
// per page, headers per specification, the stock summary and the leftover
// list, and "第 n 页 / 共 m 页" in the footer. Vector drawing and text only.

// A4 with the sheet's margins, landscape or portrait.
QPageLayout SheetPageLayout(bool landscape);

// Paints the sheet on a paged device (a PDF writer or a printer) whose page
// layout is already set: the pages follow from the device's printable area.
// Returns false when painting could not begin or end.
bool PaintCuttingSheet(QPagedPaintDevice& device, const CuttingSheet& sheet);

// The number of pages the sheet takes on the device's pages.
int SheetPageCount(const QPagedPaintDevice& device, const CuttingSheet& sheet);

// Writes the sheet as a PDF file (path UTF-8): made in memory with the text
// layer mended (Chinese reads as Chinese when copied or searched), then saved
// in one step, on the pages of layout (SheetPageLayout without one). Needs a
// QGuiApplication. Returns false with error set when no font writes Chinese
// or the file could not be written.
bool WriteCuttingSheetPdf(const CuttingSheet& sheet, const std::string& path, std::u16string& error,
                          const QPageLayout* layout = nullptr);
