#pragma once

#include <string>
#include <vector>

#include "base/ReportFile.h"

// A cell text made safe for a table cell of an RTF document: "\", "{" and "}"
// are escaped as "\\", "\{" and "\}", and every character that code page 936
// cannot hold is written as the Unicode escape "\uN??" (N the signed 16-bit
// value of each UTF-16 unit, so a surrogate pair gives two escapes; "??" are
// the two fallback bytes the prologue's \uc2 announces). Characters that code
// page 936 holds stay as they are, so Chinese texts remain plain GBK bytes.
std::u16string RtfCellText(const std::u16string& text);

// The rich-text writer behind the plan and leftover documents. It writes the
// fixed prologue (fonts, colours, styles, list table), a page header and
// footer with page numbering, title paragraphs and table rows built from cell
// definitions, through a ReportFile in code page 936 with CR LF line ends.
//
// Calling order: Create, Begin, PageHeader, then any sequence of title
// paragraphs and tables (EndTable after each table), End. Each table row is a
// row definition (RowStart and Cells, or PlanRowLayout) followed by its
// content (RowContent, or Write with the same text).
class RtfDocument {
public:
    // Keeps the path (UTF-8); nothing is written yet.
    void Create(const std::string& path);

    // Opens the file and writes the nineteen prologue lines. The document
    // group opened here stays open until End.
    void Begin();

    // Paragraph defaults, the page header "Trevak线材下料优化----" + title, the
    // footer "第 n 页/共 m 页" and the centred bold title. The title is written
    // as it stands, without escaping.
    void PageHeader(const std::u16string& title);

    // A centred bold title paragraph. Braces in the title are escaped, then
    // "[MSUB_" text "_EE]" and "[MSUPER_" text "_EE]" become subscript and
    // superscript runs.
    void TitleParagraph(const std::u16string& title);

    // Begins a row definition whose left edge is at left twips.
    void RowStart(int left);

    // Adds a cell with its right edge at rightEdge twips. mergeMode: 0 an
    // ordinary cell, 1 the first cell of a vertically merged group, 2 a cell
    // merged into the one above. shading: 0 none, else a colour-table index.
    void Cell(int rightEdge, int mergeMode, int shading);

    // The row definition of the plan table: 序号, 规 格, 原料长度, 数量, 利用率 and
    // 余长 with the merge mode, 下料组合 and (withMarks) 标记 never merged; every
    // cell shaded with shading.
    void PlanRowLayout(bool withMarks, int mergeMode, int shading);

    // The content of one row: "\pard\qc\fs22\intbl " then "{\f15 " (or
    // "{\f15\b " when bold) + text + "}{\cell }" for each cell, then "{\row}"
    // and a line feed. The texts are written as they are given.
    void RowContent(const std::vector<std::u16string>& cells, bool bold);

    // Writes text unchanged, without escaping.
    void Write(const std::u16string& text);

    // Closes a table and leaves an empty paragraph.
    void EndTable();

    // Closes the document group and finishes the file, showing the write-error
    // message when it was not written; then, when open is set, opens the path
    // with OpenWithShell whatever the result. Returns whether the file was
    // written.
    bool End(bool open = true);

private:
    std::string m_path;
    ReportFile m_file;
};
