#include "exchange/TextListFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "base/Codepage.h"
#include "base/FormatLength.h"
#include "base/ReportFile.h"

namespace {

constexpr std::size_t MAX_FIELDS = 4;
constexpr int MAX_REPORTED_BAD_LINES = 5;

const char16_t* const FIELD_SEPARATOR = u"   ";
const char16_t* const PRIORITY_TEXT = u"优先";
const char16_t* const UNLIMITED_TEXT = u"不限";

bool IsSeparator(char16_t c)
{
    return c == u'\t' || c == u' ' || c == u'?' || c == u'\u3000';
}

bool IsAsciiDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Full-width digits count as digits for the question whether a text is a
// quantity: "２０" must not read as a text without digits, which a stock file
// would take for unlimited.
bool IsAnyDigit(char16_t c) { return IsAsciiDigit(c) || (c >= u'\uFF10' && c <= u'\uFF19'); }

}  // namespace

FileReadLimits ListFileLimits()
{
    FileReadLimits limits;
    limits.m_maxBytes = MAX_LIST_FILE_BYTES;
    limits.m_maxLineBytes = MAX_LIST_READ_LINE_BYTES;
    return limits;
}

bool TextFileReader::Open(const std::string& path, const FileReadLimits& limits)
{
    Close();
    m_encoding = TextEncoding::Cp936;
    FileContent read = ReadFileContent(path, limits);
    if (read.m_status == FileReadStatus::CannotRead) {
        m_readError = read.m_reason;
        return false;
    }
    m_content = std::move(read.m_bytes);
    m_end = m_content.size();
    if (read.m_status != FileReadStatus::Complete) {
        m_stop = read.m_status == FileReadStatus::TooLarge ? TextReadStop::TooLarge : TextReadStop::LineTooLong;
        // The line where the read ended is incomplete: it is not delivered.
        const std::size_t lastEnd = m_content.find_last_of("\r\n");
        m_end = lastEnd == std::string::npos ? 0 : lastEnd + 1;
    }
    m_open = true;
    return true;
}

void TextFileReader::Close()
{
    m_content.clear();
    m_content.shrink_to_fit();
    m_position = 0;
    m_end = 0;
    m_open = false;
    m_readError.clear();
    m_stop = TextReadStop::None;
}

std::size_t TextFileReader::ReadFirstBytes(std::array<unsigned char, 3>& bytes)
{
    bytes = {0, 0, 0};
    std::size_t count = 0;
    while (count < bytes.size() && m_position < m_end)
        bytes[count++] = static_cast<unsigned char>(m_content[m_position++]);
    return count;
}

bool TextFileReader::Rewind()
{
    if (!m_open)
        return false;
    m_position = 0;
    return true;
}

std::string TextFileReader::CutLineStart() const
{
    return m_content.substr(m_end, MAX_LIST_LINE_BYTES);
}

std::string_view TextFileReader::Remaining() const
{
    return std::string_view(m_content).substr(m_position, m_end - m_position);
}

ReadLineResult TextFileReader::ReadLine(std::string& line)
{
    line.clear();
    if (m_position >= m_end)
        return ReadLineResult::End;
    std::size_t stop = m_position;
    while (stop < m_end && m_content[stop] != '\n' && m_content[stop] != '\r')
        ++stop;
    const std::size_t length = stop - m_position;
    line.assign(m_content, m_position, std::min(length, MAX_LIST_LINE_BYTES));
    m_position = stop;
    if (stop < m_end) {
        ++m_position;  // the line feed or carriage return
        if (m_content[stop] == '\r' && m_position < m_end && m_content[m_position] == '\n')
            ++m_position;
    }
    return length > MAX_LIST_LINE_BYTES ? ReadLineResult::TooLong : ReadLineResult::Line;
}

std::u16string TextFileReader::Decode(const std::string& line) const
{
    return m_encoding == TextEncoding::Utf8 ? Utf8ToUtf16(line) : Cp936ToUtf16(line);
}

std::vector<std::u16string> SplitListLine(const std::u16string& line)
{
    std::vector<std::u16string> fields;
    std::u16string current;
    for (char16_t c : line) {
        if (!IsSeparator(c)) {
            current.push_back(c);
            continue;
        }
        if (current.empty())
            continue;
        fields.push_back(std::move(current));
        current.clear();
        if (fields.size() == MAX_FIELDS)
            return fields;
    }
    if (!current.empty())
        fields.push_back(std::move(current));
    return fields;
}

int32_t ParseQuantityText(const std::u16string& text, bool& ok)
{
    ok = true;
    std::size_t pos = 0;
    const bool negative = !text.empty() && text[0] == u'-';
    if (negative)
        pos = 1;

    int64_t value = 0;
    const std::size_t digitsStart = pos;
    for (; pos < text.size() && IsAsciiDigit(text[pos]); ++pos) {
        value = value * 10 + (text[pos] - u'0');
        // One past the largest magnitude is enough to know it does not fit;
        // stopping there keeps the 64-bit sum from overflowing.
        if (value > int64_t(std::numeric_limits<int32_t>::max()) + 1) {
            ok = false;
            return 0;
        }
    }
    const bool hasLeadingDigits = pos > digitsStart;

    // Any digit after the leading run (or any digit at all when there is no
    // leading run) means the text is not a plain count with a unit after it.
    for (; pos < text.size(); ++pos) {
        if (IsAnyDigit(text[pos])) {
            ok = false;
            return 0;
        }
    }
    if (!hasLeadingDigits)
        return 0;

    if (negative)
        value = -value;
    if (value > std::numeric_limits<int32_t>::max() || value < std::numeric_limits<int32_t>::min()) {
        ok = false;
        return 0;
    }
    return static_cast<int32_t>(value);
}

bool IsSpreadsheetName(const std::string& path)
{
    std::string upper = path;
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return upper.size() > 1 && upper.find(".XLS", 1) != std::string::npos;
}

bool LooksLikeUtf8(std::string_view bytes)
{
    bool beyondAscii = false;
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        beyondAscii = true;
        // The continuation bytes and the range of the first one: the narrower
        // ranges exclude overlong forms, surrogates and values above U+10FFFF.
        std::size_t need = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            need = 1;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            need = 2;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            need = 3;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (n - i <= need)
            return false;
        const unsigned char first = static_cast<unsigned char>(bytes[i + 1]);
        if (first < low || first > high)
            return false;
        // U+0080 to U+009F (C2 80 to C2 9F) are control characters.
        if (lead == 0xC2 && first <= 0x9F)
            return false;
        for (std::size_t k = 2; k <= need; ++k) {
            const unsigned char next = static_cast<unsigned char>(bytes[i + k]);
            if (next < 0x80 || next > 0xBF)
                return false;
        }
        i += need + 1;
    }
    return beyondAscii;
}

TextListOpenResult OpenTextList(const std::string& path, TextFileReader& reader, const FileReadLimits& limits)
{
    if (!reader.Open(path, limits))
        return TextListOpenResult::CannotOpen;

    std::array<unsigned char, 3> bytes;
    const std::size_t count = reader.ReadFirstBytes(bytes);
    if (bytes[0] == 0xFF && bytes[1] == 0xFE) {
        reader.Close();
        return TextListOpenResult::Utf16LE;
    }
    if (bytes[0] == 0xFE && bytes[1] == 0xFF) {
        reader.Close();
        return TextListOpenResult::Utf16BE;
    }
    if (count < bytes.size() && reader.Stop() == TextReadStop::None) {
        // Too short to hold a row: read as a file without lines.
        reader.Close();
        return TextListOpenResult::Ok;
    }
    if (bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        reader.SetEncoding(TextEncoding::Utf8);
        return TextListOpenResult::Ok;
    }
    reader.Rewind();
    if (LooksLikeUtf8(reader.Remaining()))
        reader.SetEncoding(TextEncoding::Utf8);
    return TextListOpenResult::Ok;
}

std::u16string TextListOpenMessage(TextListOpenResult result)
{
    switch (result) {
    case TextListOpenResult::Utf16LE:
        return UTF16_LE_FILE_MESSAGE;
    case TextListOpenResult::Utf16BE:
        return UTF16_BE_FILE_MESSAGE;
    case TextListOpenResult::Ok:
    case TextListOpenResult::CannotOpen:
        break;
    }
    return std::u16string();
}

std::u16string ReplaceListQuestion(ListKind kind)
{
    return kind == LIST_CUT ? u"是否删除列表内已有下料信息?" : u"是否删除列表内已有原料信息?";
}

ListLineResult AppendListLine(const std::u16string& line, ListKind kind, InputLists& lists)
{
    const std::vector<std::u16string> fields = SplitListLine(line);
    if (fields.empty())
        return ListLineResult::Empty;
    if (fields.size() < 3)
        return ListLineResult::Bad;

    const std::u16string& spec = fields[0];
    if (spec.size() > MYSTRING_MAX_UNITS)
        return ListLineResult::Bad;

    // The length reads like strtod: "2995.5mm" gives 2995.5, "abc" gives 0.
    // "inf", "nan" and "1e999" are numbers to strtod but not lengths.
    const std::string lengthText = Utf16ToCp936(fields[1]);
    const double length = ParseRealC(lengthText.c_str(), nullptr);
    if (!std::isfinite(length) || !(length > 0))
        return ListLineResult::Bad;

    bool quantityOk = false;
    int32_t quantity = ParseQuantityText(fields[2], quantityOk);
    if (!quantityOk)
        return ListLineResult::Bad;

    if (kind == LIST_CUT) {
        if (quantity <= 0)
            return ListLineResult::Bad;
        const std::u16string mark = fields.size() > 3 ? fields[3] : std::u16string();
        if (mark.size() > MYSTRING_MAX_UNITS)
            return ListLineResult::Bad;
        lists.AppendCutRow(spec, length, quantity, mark);
    } else {
        if (quantity == 0)
            quantity = -1;  // unlimited
        const int32_t priority = fields.size() > 3 && fields[3] == PRIORITY_TEXT ? 1 : 0;
        lists.AppendStockRow(spec, length, quantity, priority);
    }
    return ListLineResult::Good;
}

TextImportReport ReadTextList(TextFileReader& reader, ListKind kind, InputLists& lists)
{
    TextImportReport report;
    std::string bytes;
    for (;;) {
        const ReadLineResult read = reader.ReadLine(bytes);
        if (read == ReadLineResult::End)
            break;
        ++report.m_lineCount;
        const std::u16string line = reader.Decode(bytes);
        ListLineResult result = ListLineResult::Bad;
        if (read == ReadLineResult::Line)
            result = AppendListLine(line, kind, lists);
        if (result == ListLineResult::Good)
            ++report.m_goodRowCount;
        if (result != ListLineResult::Bad)
            continue;

        ++report.m_badLineCount;
        AppendBadLineReport(report.m_badLineText, report.m_badLineCount, report.m_lineCount, line);
    }

    if (reader.Stop() != TextReadStop::None) {
        // The line at which the read ended is incomplete: a bad line, shown
        // with what fits of its start.
        ++report.m_lineCount;
        ++report.m_badLineCount;
        AppendBadLineReport(report.m_badLineText, report.m_badLineCount, report.m_lineCount,
                            reader.Decode(reader.CutLineStart()));
        const std::u16string number = CountString(report.m_lineCount);
        if (reader.Stop() == TextReadStop::LineTooLong)
            report.m_stopText = u"第" + number + u"行长于 " + CountString(int64_t(MAX_LIST_READ_LINE_BYTES)) +
                                u" 字节，读取在此结束，该行及以后各行未读入 !\n";
        else
            report.m_stopText = u"文件大于 " + CountString(int64_t(MAX_LIST_FILE_BYTES)) + u" 字节，读取在第" +
                                number + u"行结束，该行及以后各行未读入 !\n";
        report.m_badLineText += report.m_stopText;
    }
    reader.Close();
    return report;
}

std::u16string EscapeControls(const std::u16string& text)
{
    std::u16string shown;
    shown.reserve(text.size());
    for (char16_t c : text) {
        if ((c < 0x20 && c != u'\t') || (c >= 0x7F && c <= 0x9F)) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", unsigned(c));
            shown += Widen(escaped);
        } else {
            shown.push_back(c);
        }
    }
    return shown;
}

void AppendBadLineReport(std::u16string& text, int64_t badCount, int64_t lineNumber, const std::u16string& shown)
{
    if (badCount == 1)
        text = u"以下各行数据格式有误:\n\n";
    if (badCount <= MAX_REPORTED_BAD_LINES)
        text += u"第" + CountString(lineNumber) + u"行: " + EscapeControls(shown) + u"\n\n";
    else if (badCount == MAX_REPORTED_BAD_LINES + 1)
        text += u"............\n";
}

bool WriteTextList(const std::string& path, ListKind kind, const InputLists& lists)
{
    ReportFile file;
    file.Open(path);
    if (kind == LIST_CUT) {
        for (std::size_t i = 0; i < lists.CutRowCount(); ++i) {
            file.Write(lists.m_cutSpec[i] + FIELD_SEPARATOR + Widen(FormatRealExact(lists.m_cutLength[i])) +
                       FIELD_SEPARATOR);
            file.Write(int64_t(lists.m_cutQuantity[i]));
            file.Write(FIELD_SEPARATOR + lists.m_cutMark[i] + u"\n");
        }
    } else {
        for (std::size_t i = 0; i < lists.StockRowCount(); ++i) {
            file.Write(lists.m_stockSpec[i] + FIELD_SEPARATOR + Widen(FormatRealExact(lists.m_stockLength[i])) +
                       FIELD_SEPARATOR);
            if (lists.m_stockQuantity[i] < 1)
                file.Write(UNLIMITED_TEXT);
            else
                file.Write(int64_t(lists.m_stockQuantity[i]));
            if (lists.m_stockPriority[i] == 1)
                file.Write(FIELD_SEPARATOR + std::u16string(PRIORITY_TEXT));
            file.Write(u"\n");
        }
    }
    return file.Finish(false);
}
