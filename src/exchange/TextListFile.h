#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/FileAccess.h"
#include "lists/InputLists.h"

// The cut list and the stock list as text files: one row per line, fields
// separated by runs of tabs, blanks, "?" and ideographic blanks (U+3000). A
// line ends at a line feed, a carriage return and line feed, or a carriage
// return alone. Encoding: a file that starts with the UTF-8 signature EF BB BF
// is UTF-8 from the fourth byte on; a file without it that is valid UTF-8 and
// holds characters beyond ASCII is UTF-8 too (what editors on Linux write);
// every other file is code page 936. Export writes code page 936, three blanks
// between the fields and CR LF line ends.
//
//   cut list:   specification  length  quantity  [mark]
//   stock list: specification  length  quantity  ["优先"]
//
// A stock quantity of 0, or a text without digits such as "不限", means
// unlimited stock.
//
// A file is read whole into memory first and then taken apart, so pipes and
// other streams read as files do. What is read is capped: the read ends at a
// line of more than MAX_LIST_READ_LINE_BYTES bytes (so that an endless stream
// without line ends such as /dev/zero ends) and after MAX_LIST_FILE_BYTES bytes
// in all; the lines before that point are read and the report says where and
// why the read ended.

// Longest line accepted, in bytes before the line end.
constexpr std::size_t MAX_LIST_LINE_BYTES = 255;
// Where the reading of a file ends.
constexpr std::size_t MAX_LIST_READ_LINE_BYTES = std::size_t(1) << 20;
constexpr uint64_t MAX_LIST_FILE_BYTES = uint64_t(1) << 30;

// The limits for list files: MAX_LIST_FILE_BYTES and MAX_LIST_READ_LINE_BYTES.
FileReadLimits ListFileLimits();

enum class ReadLineResult {
    Line,     // a line of at most MAX_LIST_LINE_BYTES bytes
    TooLong,  // a longer line: consumed up to its line end, its first MAX_LIST_LINE_BYTES bytes delivered
    End,      // no line left (or the reader is not open)
};

enum class TextEncoding { Cp936, Utf8 };

// Why the reading of a file ended before its end.
enum class TextReadStop {
    None,         // the whole file was read
    LineTooLong,  // a line longer than the read limit
    TooLarge,     // more bytes than the read limit
};

// A list file's content in memory, delivered line by line.
class TextFileReader {
public:
    // Reads the file at path (UTF-8) into memory. Returns whether it could be
    // read; a read cut short by the limits is a success (see Stop).
    bool Open(const std::string& path, const FileReadLimits& limits = ListFileLimits());
    void Close();
    bool IsOpen() const { return m_open; }
    // Why the file could not be read, as the system words it.
    const std::string& ReadError() const { return m_readError; }
    // Why the content ends before the file does; the incomplete line at the
    // point where the read ended is not delivered.
    TextReadStop Stop() const { return m_stop; }

    // Reads up to three bytes at the current position; bytes missing because
    // the file is shorter are set to 0. Returns how many bytes were read.
    std::size_t ReadFirstBytes(std::array<unsigned char, 3>& bytes);

    // Back to the first byte. False when the reader is not open.
    bool Rewind();

    // The bytes from the current position to the next line end, which is
    // consumed and not delivered: a line feed, a carriage return followed by a
    // line feed, or a carriage return alone. A last line without a line end is
    // delivered.
    ReadLineResult ReadLine(std::string& line);

    // The bytes not yet delivered as lines.
    std::string_view Remaining() const;
    // For a read that ended early: the first MAX_LIST_LINE_BYTES bytes of the
    // incomplete line at which it ended.
    std::string CutLineStart() const;

    // How the lines' bytes are turned into text; code page 936 unless a UTF-8
    // signature was found.
    void SetEncoding(TextEncoding encoding) { m_encoding = encoding; }
    TextEncoding Encoding() const { return m_encoding; }
    std::u16string Decode(const std::string& line) const;

private:
    std::string m_content;
    std::size_t m_position = 0;
    std::size_t m_end = 0;  // end of the complete lines
    bool m_open = false;
    std::string m_readError;
    TextReadStop m_stop = TextReadStop::None;
    TextEncoding m_encoding = TextEncoding::Cp936;
};

// True when bytes hold a character beyond ASCII and are valid UTF-8 without
// control characters of the range U+0080 to U+009F (which no text holds but
// code page 936 pairs such as C2 80 would give).
bool LooksLikeUtf8(std::string_view bytes);

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
    CannotOpen,  // not read (missing, a folder, a read error): reads as a file without lines
    Utf16LE,     // starts with FF FE: not imported, the reader is closed
    Utf16BE,     // starts with FE FF: not imported, the reader is closed
};

// Reads a list file and checks its first bytes: UTF-16 signatures are refused,
// a UTF-8 signature is passed over and sets the reader to UTF-8, and so does
// content that LooksLikeUtf8.
TextListOpenResult OpenTextList(const std::string& path, TextFileReader& reader,
                                const FileReadLimits& limits = ListFileLimits());

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
    int64_t m_badLineCount = 0;  // the incomplete line where a capped read ended included
    // Where and why the read ended before the end of the file (a line of
    // more than MAX_LIST_READ_LINE_BYTES, a file of more than
    // MAX_LIST_FILE_BYTES); empty when the whole file was read. It ends
    // m_badLineText too.
    std::u16string m_stopText;
    // For m_badLineCount > 0: "以下各行数据格式有误:\n\n", then "第N行: " + line +
    // "\n\n" for the first five bad lines and "............\n" once from the sixth.
    // A line longer than MAX_LIST_LINE_BYTES shows its first MAX_LIST_LINE_BYTES
    // bytes. Control characters are shown escaped ("\x1B"). Empty when no line
    // was bad.
    std::u16string m_badLineText;
};

// Adds the bad line numbered lineNumber, the badCount-th bad line of its
// file, to the report text: the header "以下各行数据格式有误:\n\n" before the
// first, "第N行: " + shown + "\n\n" for the first five, "............\n" once
// at the sixth, nothing after. Both list file kinds report this way. Control
// characters of the shown text (U+0000 to U+001F but the tab, U+007F to
// U+009F) are written as "\xHH", so that a report never sends them to a
// terminal or a message box.
void AppendBadLineReport(std::u16string& text, int64_t badCount, int64_t lineNumber, const std::u16string& shown);

// The text with its control characters as "\xHH" (see AppendBadLineReport).
std::u16string EscapeControls(const std::u16string& text);

// Reads every line left in the reader, appends the good rows to the list of
// kind (after the rows it holds) and closes the reader. When the read was cut
// short, the incomplete line at the cut counts as a bad line and m_stopText
// says why.
TextImportReport ReadTextList(TextFileReader& reader, ListKind kind, InputLists& lists);

// Writes the list of kind to path (UTF-8) as a text list file and returns
// whether the file was written (through ReportFile: the old file is replaced
// whole or not at all). Lengths are written with FormatRealExact so
// that they read back exactly; a stock quantity below 1 is written "不限".
bool WriteTextList(const std::string& path, ListKind kind, const InputLists& lists);
