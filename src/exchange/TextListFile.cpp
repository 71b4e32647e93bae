#include "exchange/TextListFile.h"

#include <cmath>
#include <filesystem>
#include <limits>

#include "exchange/Codepage.h"
#include "engine/ResultText.h"
#include "reports/FormatLength.h"
#include "reports/ReportFile.h"

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

bool TextFileReader::Open(const std::string& path)
{
    Close();
    m_encoding = TextEncoding::Cp936;
    return m_file.open(std::filesystem::u8path(path), std::ios::in | std::ios::binary) != nullptr;
}

void TextFileReader::Close()
{
    if (m_file.is_open())
        m_file.close();
}

std::size_t TextFileReader::ReadFirstBytes(std::array<unsigned char, 3>& bytes)
{
    bytes = {0, 0, 0};
    if (!m_file.is_open())
        return 0;
    std::size_t count = 0;
    while (count < bytes.size()) {
        const int c = m_file.sbumpc();
        if (c == std::char_traits<char>::eof())
            break;
        bytes[count++] = static_cast<unsigned char>(c);
    }
    return count;
}

bool TextFileReader::Rewind()
{
    if (!m_file.is_open())
        return false;
    return m_file.pubseekpos(0, std::ios::in) != std::streampos(std::streamoff(-1));
}

ReadLineResult TextFileReader::ReadLine(std::string& line)
{
    line.clear();
    if (!m_file.is_open())
        return ReadLineResult::End;

    using Traits = std::char_traits<char>;
    bool anyByte = false;
    bool tooLong = false;
    bool pendingReturn = false;  // a CR whose fate depends on the next byte
    auto keep = [&](char byte) {
        if (line.size() < MAX_LIST_LINE_BYTES)
            line.push_back(byte);
        else
            tooLong = true;  // the rest of the line is consumed but not kept
    };
    for (;;) {
        const int c = m_file.sbumpc();
        if (c == Traits::eof()) {
            if (!anyByte)
                return ReadLineResult::End;
            break;
        }
        anyByte = true;
        if (c == '\n')
            break;
        if (pendingReturn) {
            keep('\r');
            pendingReturn = false;
        }
        if (c == '\r')
            pendingReturn = true;
        else
            keep(static_cast<char>(c));
    }
    return tooLong ? ReadLineResult::TooLong : ReadLineResult::Line;
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

TextListOpenResult OpenTextList(const std::string& path, TextFileReader& reader)
{
    if (!reader.Open(path))
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
    if (count < bytes.size()) {
        // Too short to hold a row: read as a file without lines.
        reader.Close();
        return TextListOpenResult::Ok;
    }
    if (bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        reader.SetEncoding(TextEncoding::Utf8);
        return TextListOpenResult::Ok;
    }
    if (!reader.Rewind())
        reader.Close();
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
    reader.Close();
    return report;
}

void AppendBadLineReport(std::u16string& text, int64_t badCount, int64_t lineNumber, const std::u16string& shown)
{
    if (badCount == 1)
        text = u"以下各行数据格式有误:\n\n";
    if (badCount <= MAX_REPORTED_BAD_LINES)
        text += u"第" + CountString(lineNumber) + u"行: " + shown + u"\n\n";
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
