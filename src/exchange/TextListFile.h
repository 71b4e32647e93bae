#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "workbench/InputLists.h"

// The cut list and the stock list as text files: one row per line, fields
// separated by runs of tabs, blanks, "?" and ideographic blanks (U+3000), in
// code page 936. A file that starts with the UTF-8 signature EF BB BF is read as
// UTF-8 from the fourth byte on. Export writes three blanks between the fields
// and CR LF line ends.
//
//   cut list:   specification  length  quantity  [mark]
//   stock list: specification  length  quantity  ["优先"]
//
// A stock quantity of 0, or a text without digits such as "不限", means
// unlimited stock.

// Longest line accepted, in bytes before the line end.
constexpr std::size_t MAX_LIST_LINE_BYTES = 255;

enum class ReadLineResult {
    Line,     // a line of at most MAX_LIST_LINE_BYTES bytes
    TooLong,  // a longer line: consumed up to its line feed, its first MAX_LIST_LINE_BYTES bytes delivered
    End,      // no byte left (or the reader is not open)
};

enum class TextEncoding { Cp936, Utf8 };

// Reads a file line by line through a buffered stream; a line is held in
// memory only up to MAX_LIST_LINE_BYTES bytes, however long it is in the file.
class TextFileReader {
public:
    // path is UTF-8. Returns whether the file opened.
    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return m_file.is_open(); }

    // Reads up to three bytes at the current position; bytes missing because
    // the file is shorter are set to 0. Returns how many bytes were read.
    std::size_t ReadFirstBytes(std::array<unsigned char, 3>& bytes);

    // Back to the first byte. Returns false when the file cannot seek.
    bool Rewind();

    // Reads up to and including the next line feed. A carriage return right
    // before the line feed (or before the end of the file) is dropped and does
    // not count toward the length; the line feed is not delivered. A last line
    // without a line feed is delivered.
    ReadLineResult ReadLine(std::string& line);

    // How the lines' bytes are turned into text; code page 936 unless a UTF-8
    // signature was found.
    void SetEncoding(TextEncoding encoding) { m_encoding = encoding; }
    std::u16string Decode(const std::string& line) const;

private:
    std::filebuf m_file;
    TextEncoding m_encoding = TextEncoding::Cp936;
};

// Splits a decoded line into at most four fields. Separators are tab, blank,
// "?" and U+3000; runs of them, leading and trailing ones make no empty field;
// whatever follows the fourth field is ignored.
std::vector<std::u16string> SplitListLine(const std::u16string& line);

// Reads a quantity: an optional leading "-", then the digits standing at the
// start; text after them is ignored ("20件" gives 20, "15块" gives 15).
// ok is false when the text holds a digit that does not belong to that leading
// run ("1.5", "2x3", "约20", "20件3", full-width digits included) or when the
// value lies outside the 32-bit range; the result is then 0. A text without any
// digit ("不限", "", "-") gives 0 with ok true.
int32_t ParseQuantityText(const std::u16string& text, bool& ok);

// True when the path, its ASCII letters in capitals, contains ".XLS" at any
// position after the first character (a.xls, a.xlsx, list.XLS.txt, x.xls.bak/y).
bool IsSpreadsheetName(const std::string& path);

enum class TextListOpenResult {
    Ok,          // ready to read (a file shorter than three bytes reads as a file without lines)
    CannotOpen,  // reads as a file without lines
    Utf16LE,     // starts with FF FE: not imported, the reader is closed
    Utf16BE,     // starts with FE FF: not imported, the reader is closed
};

// Opens a list file and checks its first bytes: UTF-16 signatures are refused,
// a UTF-8 signature is passed over and sets the reader to UTF-8.
TextListOpenResult OpenTextList(const std::string& path, TextFileReader& reader);

// The messages for the refused UTF-16 files, shown with FILE_FORMAT_CAPTION.
inline constexpr const char16_t* UTF16_LE_FILE_MESSAGE =
    u"该文本为 Unicode 格式 !\n\n请将该文本另存为 ANSI 格式后再进行导入 !";
inline constexpr const char16_t* UTF16_BE_FILE_MESSAGE =
    u"该文本为 Unicode big endian 格式 !\n\n请将该文本另存为 ANSI 格式后再进行导入 !";
inline constexpr const char16_t* FILE_FORMAT_CAPTION = u"文件格式提示";

// The message for an open result, empty for Ok and CannotOpen.
std::u16string TextListOpenMessage(TextListOpenResult result);

// The question asked before an import into a list that holds rows (Yes empties
// the list, No appends), shown with the caption LIST_QUESTION_CAPTION.
std::u16string ReplaceListQuestion(ListKind kind);
inline constexpr const char16_t* LIST_QUESTION_CAPTION = u"下料优化";

enum class ListLineResult { Empty, Good, Bad };

// Applies the line rules to one decoded line and appends its row to the list
// of kind when it is good. Empty: no field (blank or separators only). Bad:
// fewer than three fields; a specification (or, for the cut list, a mark)
// longer than MYSTRING_MAX_UNITS; a length that is not a finite number above 0;
// a quantity that is not a quantity, or for the cut list not above 0. The
// stock list stores a quantity of 0 as -1 (unlimited) and sets the priority
// when the fourth field is exactly "优先".
ListLineResult AppendListLine(const std::u16string& line, ListKind kind, InputLists& lists);

struct TextImportReport {
    int64_t m_lineCount = 0;     // lines read, blank and bad ones included
    int64_t m_goodRowCount = 0;  // rows appended
    int64_t m_badLineCount = 0;
    // For m_badLineCount > 0: "以下各行数据格式有误:\n\n", then "第N行: " + line +
    // "\n\n" for the first five bad lines and "............\n" once from the sixth.
    // A line longer than MAX_LIST_LINE_BYTES shows its first MAX_LIST_LINE_BYTES
    // bytes. Empty when no line was bad.
    std::u16string m_badLineText;
};

// Adds the bad line numbered lineNumber, the badCount-th bad line of its
// file, to the report text: the header "以下各行数据格式有误:\n\n" before the
// first, "第N行: " + shown + "\n\n" for the first five, "............\n" once
// at the sixth, nothing after. Both list file kinds report this way.
void AppendBadLineReport(std::u16string& text, int64_t badCount, int64_t lineNumber, const std::u16string& shown);

// Reads every line left in the reader, appends the good rows to the list of
// kind (after the rows it holds) and closes the reader.
TextImportReport ReadTextList(TextFileReader& reader, ListKind kind, InputLists& lists);

// Writes the list of kind to path (UTF-8) as a text list file and returns
// whether the file was written. Lengths are written with FormatRealExact so
// that they read back exactly; a stock quantity below 1 is written "不限".
bool WriteTextList(const std::string& path, ListKind kind, const InputLists& lists);
