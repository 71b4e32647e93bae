#pragma once

#include <string>

#include "lists/InputLists.h"

class SpreadsheetConnection;

// The ready-made examples of an importable list ("导入文件格式"): a text file
// opened in the text editor, and a workbook shown in the spreadsheet program.
// Both hold the example rows of ExampleTextLines: 15 cut rows or 4 stock rows.

// The list whose "导入文件格式" button was pressed last: both menu items show
// the example of that list.
extern ListKind g_exampleListKind;

// The example text file's name inside the configuration folder.
inline constexpr const char* EXAMPLE_TEXT_FILE_NAME = "示例.txt";

// Writes the example lines of kind to path (UTF-8) in code page 936 with CR LF
// line ends. Returns whether the file was written.
bool WriteTextExampleFile(const std::string& path, ListKind kind);

// Makes sure the folder "Config" under programFolder exists, writes the example
// text file "示例.txt" there and opens it in the text editor. Failures are not
// reported: the editor is asked to open the path all the same.
void ShowTextExample(const std::string& programFolder, ListKind kind);

// Builds the example workbook in a new workbook of the connection: one
// worksheet "下料信息导入文件格式示例" or "原料信息导入文件格式示例", a header in
// row 1 and the example rows from row 2 (serial number, specification,
// length, quantity, mark or priority in columns A to E), every cell and the
// whole table outlined, centred, row height 19. Stock quantities of unlimited
// rows are the text "不限", the priority the text "优先".
void BuildExampleWorkbook(SpreadsheetConnection& sheet, ListKind kind);

// Builds the example workbook and saves it to path (UTF-8). Returns false with
// error set when it could not be written.
bool WriteExampleWorkbook(const std::string& path, ListKind kind, std::u16string& error);

// Builds the example workbook and leaves it to the user (saved in the report
// folder and opened). Returns false when it could not be shown; savedPath is
// the saved file's path, empty when it was not saved.
bool ShowSpreadsheetExample(ListKind kind, std::string& savedPath);
