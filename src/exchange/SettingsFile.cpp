#include "exchange/SettingsFile.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <system_error>
#include <vector>

#include "base/Codepage.h"
#include "base/FileAccess.h"
#include "base/FormatLength.h"
#include "base/ReportFile.h"

namespace fs = std::filesystem;

namespace {

const char* const CONFIG_FOLDER = "Config";
const char* const SETTINGS_FILE = "QRMCfg.txt";
const char16_t* const FIELD_SEPARATOR = u"  ";

constexpr std::size_t CUT_FIELDS = 4;
constexpr std::size_t STOCK_FIELDS = 4;
constexpr std::size_t OLDER_STOCK_FIELDS = 3;
constexpr std::size_t MAX_FIELDS = 4;

// A code-page-936 character takes one or two bytes and decodes to one UTF-16
// code unit, and so does every byte of an invalid sequence: a token of more
// bytes than this decodes to more than MYSTRING_MAX_UNITS units, and no number
// is written that long. Longer tokens are damage, so they are never kept whole.
constexpr std::size_t MAX_TOKEN_BYTES = 2 * MYSTRING_MAX_UNITS;

// Settings files hold a few lines per list row; these limits are far above
// any file the program writes and end the reading of a stream that never ends.
constexpr uint64_t MAX_SETTINGS_BYTES = uint64_t(1) << 30;
constexpr std::size_t MAX_SETTINGS_LINE_BYTES = std::size_t(1) << 20;

// The characters that separate tokens on reading, besides the line ends.
bool IsBlankByte(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

bool IsBlankUnit(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

// The settings file's content, taken line by line, each line as its white-space
// separated tokens. A line ends at a line feed, CR LF or a carriage return.
class SettingsReader {
public:
    explicit SettingsReader(std::string content) : m_content(std::move(content)) {}

    // The tokens of the next line that holds any; false at the end of the
    // content or when that line does not hold exactly fieldCount tokens.
    bool NextLine(std::size_t fieldCount, std::vector<std::string>& tokens)
    {
        return ReadTokenLine(tokens) && tokens.size() == fieldCount;
    }

    // A line holding only an integer, or only a real.
    bool ReadInteger(int32_t& value);
    bool ReadReal(double& value);

    // Whether the last line asked for was missing because the content ended.
    bool AtEnd() const { return m_atEnd; }
    // The number (from 1) of the last line that held a token.
    int64_t LineNumber() const { return m_tokenLine; }

private:
    bool ReadTokenLine(std::vector<std::string>& tokens);

    std::string m_content;
    std::size_t m_position = 0;
    int64_t m_line = 1;  // the line m_position is in
    int64_t m_tokenLine = 0;
    bool m_atEnd = false;
    std::vector<std::string> m_tokens;
};

// False at the end of the content and on a line with more than MAX_FIELDS
// tokens or a token longer than MAX_TOKEN_BYTES.
bool SettingsReader::ReadTokenLine(std::vector<std::string>& tokens)
{
    tokens.clear();
    for (;;) {
        if (m_position >= m_content.size()) {
            m_atEnd = true;
            return false;
        }
        std::size_t stop = m_position;
        while (stop < m_content.size() && m_content[stop] != '\n' && m_content[stop] != '\r')
            ++stop;
        const int64_t line = m_line;
        std::size_t at = m_position;
        bool sound = true;
        while (at < stop && sound) {
            while (at < stop && IsBlankByte(m_content[at]))
                ++at;
            const std::size_t begin = at;
            while (at < stop && !IsBlankByte(m_content[at]))
                ++at;
            if (at == begin)
                break;
            sound = at - begin <= MAX_TOKEN_BYTES && tokens.size() < MAX_FIELDS;
            if (sound)
                tokens.emplace_back(m_content, begin, at - begin);
        }
        m_position = stop;
        if (stop < m_content.size()) {
            ++m_position;
            if (m_content[stop] == '\r' && m_position < m_content.size() && m_content[m_position] == '\n')
                ++m_position;
            ++m_line;
        }
        if (!sound || !tokens.empty()) {
            m_tokenLine = line;
            return sound;
        }
    }
}

// An optional sign and decimal digits, nothing else, within the 32-bit range.
bool ParseInteger(const std::string& token, int32_t& value)
{
    std::size_t pos = 0;
    const bool negative = !token.empty() && token[0] == '-';
    if (!token.empty() && (token[0] == '-' || token[0] == '+'))
        pos = 1;
    if (pos == token.size())
        return false;
    const int64_t limit =
        negative ? -int64_t(std::numeric_limits<int32_t>::min()) : std::numeric_limits<int32_t>::max();
    int64_t magnitude = 0;
    for (; pos < token.size(); ++pos) {
        const char c = token[pos];
        if (c < '0' || c > '9')
            return false;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > limit)
            return false;
    }
    value = static_cast<int32_t>(negative ? -magnitude : magnitude);
    return true;
}

// A finite number in plain or exponent notation, the whole token, "." as the
// decimal point.
bool ParseReal(const std::string& token, double& value)
{
    if (token.empty() || token.find_first_not_of("0123456789+-.eE") != std::string::npos)
        return false;
    char* end = nullptr;
    const double parsed = ParseRealC(token.c_str(), &end);
    if (end != token.c_str() + token.size() || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

// A specification or mark: code page 936 to UTF-16, the empty-text token to
// the empty text; false for a text longer than MYSTRING_MAX_UNITS.
bool ParseText(const std::string& token, MyString& text)
{
    if (token == EMPTY_TEXT_TOKEN) {
        text.clear();
        return true;
    }
    MyString decoded = Cp936ToUtf16(token);
    if (decoded.size() > MYSTRING_MAX_UNITS)
        return false;
    text = std::move(decoded);
    return true;
}

bool SettingsReader::ReadInteger(int32_t& value)
{
    return NextLine(1, m_tokens) && ParseInteger(m_tokens[0], value);
}

bool SettingsReader::ReadReal(double& value)
{
    return NextLine(1, m_tokens) && ParseReal(m_tokens[0], value);
}

// The number of lines of the content, a last line without a line end counted.
int64_t LineCount(const std::string& content)
{
    int64_t lines = 1;
    for (std::size_t i = 0; i < content.size(); ++i) {
        if (content[i] == '\n' || (content[i] == '\r' && (i + 1 == content.size() || content[i + 1] != '\n')))
            ++lines;
    }
    return lines;
}

// What stopped the reading: the content ended too early, or the line the
// reader was at breaks the layout.
std::u16string Damage(const SettingsReader& reader, const char16_t* expected)
{
    if (reader.AtEnd())
        return std::u16string(u"文件在") + expected + u"之前结束";
    return u"第" + Widen(std::to_string(reader.LineNumber())) + u"行不是" + expected;
}

// Reads as far as the file is sound; see the header for where it stops.
// Returns what was wrong, empty for a sound file.
std::u16string ReadSettings(SettingsReader& reader, InputLists& lists, SettingsRecord& record)
{
    int32_t first = 0;
    if (!reader.ReadInteger(first))
        return reader.AtEnd() ? std::u16string(u"文件是空的") : Damage(reader, u"版本号或下料行数");
    const bool currentLayout = first > SETTINGS_OLDER_LAYOUT_LAST;
    int32_t cutCount = first;
    if ((currentLayout && !reader.ReadInteger(cutCount)) || cutCount < 0)
        return Damage(reader, u"下料行数");

    // The rows are appended one by one as they are read: a count larger than
    // the rows present costs nothing.
    std::vector<std::string> fields;
    for (int32_t i = 0; i < cutCount; ++i) {
        double length = 0;
        int32_t quantity = 0;
        MyString spec;
        MyString mark;
        if (!reader.NextLine(CUT_FIELDS, fields) || !ParseReal(fields[0], length) ||
            !ParseInteger(fields[1], quantity) || !ParseText(fields[2], spec) || !ParseText(fields[3], mark))
            return Damage(reader, u"下料行");
        lists.AppendCutRow(spec, length, quantity, mark);
    }

    int32_t stockCount = 0;
    if (!reader.ReadInteger(stockCount) || stockCount < 0)
        return Damage(reader, u"原料行数");
    const std::size_t stockFields = currentLayout ? STOCK_FIELDS : OLDER_STOCK_FIELDS;
    for (int32_t i = 0; i < stockCount; ++i) {
        double length = 0;
        int32_t quantity = 0;
        MyString spec;
        int32_t priority = 0;
        if (!reader.NextLine(stockFields, fields) || !ParseReal(fields[0], length) ||
            !ParseInteger(fields[1], quantity) || !ParseText(fields[2], spec) ||
            (currentLayout && !ParseInteger(fields[3], priority)))
            return Damage(reader, u"原料行");
        lists.AppendStockRow(spec, length, quantity, priority);
    }

    // Each value is stored only when it was read; the rest keep their
    // defaults. A file that ends among them is sound (it may hold only the
    // two lists).
    const bool read = reader.ReadReal(record.m_kerfWidth) && reader.ReadReal(record.m_reservedValue) &&
                      reader.ReadInteger(record.m_reservedInteger) &&
                      reader.ReadInteger(record.m_maxLengthKinds) && reader.ReadReal(record.m_trimLength) &&
                      reader.ReadInteger(record.m_speedLevel);
    if (!read && !reader.AtEnd())
        return Damage(reader, u"参数");
    return std::u16string();
}

// A real as it reads back exactly; a value that is not finite as 0.
std::u16string RealText(double value)
{
    return Widen(std::isfinite(value) ? FormatRealExact(value) : std::string("0"));
}

std::u16string IntegerText(int64_t value)
{
    return Widen(std::to_string(value));
}

// A text as one token that reads back as the same text where the format
// allows it; see the header.
std::u16string TextToken(const MyString& text)
{
    if (text.empty())
        return Widen(EMPTY_TEXT_TOKEN);
    MyString token = text;
    if (token.size() > MYSTRING_MAX_UNITS) {
        std::size_t keep = MYSTRING_MAX_UNITS;
        if (IsHighSurrogate(token[keep - 1]))
            --keep;
        token.resize(keep);
    }
    std::replace_if(token.begin(), token.end(), IsBlankUnit, u'_');
    return token;
}

std::u16string SettingsText(const InputLists& lists, const SettingsRecord& record)
{
    std::u16string text = IntegerText(SETTINGS_VERSION) + u"\n";

    const std::size_t cutRows = std::min(
        {lists.m_cutLength.size(), lists.m_cutQuantity.size(), lists.m_cutSpec.size(), lists.m_cutMark.size()});
    text += IntegerText(int64_t(cutRows)) + u"\n";
    for (std::size_t i = 0; i < cutRows; ++i) {
        text += RealText(lists.m_cutLength[i]) + FIELD_SEPARATOR + IntegerText(lists.m_cutQuantity[i]) +
                FIELD_SEPARATOR + TextToken(lists.m_cutSpec[i]) + FIELD_SEPARATOR + TextToken(lists.m_cutMark[i]) +
                u"\n";
    }

    const std::size_t stockRows = std::min({lists.m_stockLength.size(), lists.m_stockQuantity.size(),
                                            lists.m_stockSpec.size(), lists.m_stockPriority.size()});
    text += IntegerText(int64_t(stockRows)) + u"\n";
    for (std::size_t i = 0; i < stockRows; ++i) {
        text += RealText(lists.m_stockLength[i]) + FIELD_SEPARATOR + IntegerText(lists.m_stockQuantity[i]) +
                FIELD_SEPARATOR + TextToken(lists.m_stockSpec[i]) + FIELD_SEPARATOR +
                IntegerText(lists.m_stockPriority[i]) + u"\n";
    }

    text += RealText(record.m_kerfWidth) + u"\n";
    text += RealText(record.m_reservedValue) + u"\n";
    text += IntegerText(record.m_reservedInteger) + u"\n";
    text += IntegerText(record.m_maxLengthKinds) + u"\n";
    text += RealText(record.m_trimLength) + u"\n";
    text += IntegerText(record.m_speedLevel) + u"\n";
    return text;
}

}  // namespace

std::string SettingsFilePath(const std::string& programFolder)
{
    return (fs::u8path(programFolder) / CONFIG_FOLDER / SETTINGS_FILE).u8string();
}

bool LoadSettings(const std::string& path, InputLists& lists, SettingsRecord& record, SettingsLoadReport* report)
{
    lists.ClearCutList();
    lists.ClearStockList();
    record = SettingsRecord();
    SettingsLoadReport result;
    FileReadLimits limits;
    limits.m_maxBytes = MAX_SETTINGS_BYTES;
    limits.m_maxLineBytes = MAX_SETTINGS_LINE_BYTES;
    FileContent content = ReadFileContent(path, limits);
    bool read = true;
    if (content.m_status == FileReadStatus::CannotRead) {
        result.m_state = content.m_missing ? SettingsFileState::Missing : SettingsFileState::CannotRead;
        result.m_problem = Utf8ToUtf16(content.m_reason);
        read = false;
    } else {
        // A file cut short by the limits is read up to the cut, which then
        // shows as damage unless the rows and counts before it were sound.
        const FileReadStatus status = content.m_status;
        const int64_t lastLine = LineCount(content.m_bytes);
        SettingsReader reader(std::move(content.m_bytes));
        result.m_problem = ReadSettings(reader, lists, record);
        if (status == FileReadStatus::LineTooLong)
            result.m_problem = u"第" + Widen(std::to_string(lastLine)) + u"行过长";
        else if (status == FileReadStatus::TooLarge)
            result.m_problem = u"文件过大";
        if (!result.m_problem.empty())
            result.m_state = SettingsFileState::Damaged;
    }
    if (report)
        *report = result;
    return read;
}

std::u16string SettingsLoadMessage(const std::string& path, const SettingsLoadReport& report)
{
    const std::u16string shown = Utf8ToUtf16(path);
    switch (report.m_state) {
    case SettingsFileState::CannotRead:
        return u"设置文件 < " + shown + u" > 无法读取（" + report.m_problem +
               u"），列表为空，参数为默认值 !";
    case SettingsFileState::Damaged:
        return u"设置文件 < " + shown + u" > 有误（" + report.m_problem +
               u"），只读入了有误之处以前的数据 !";
    case SettingsFileState::Sound:
    case SettingsFileState::Missing:
        break;
    }
    return std::u16string();
}

bool SaveSettings(const std::string& path, const InputLists& lists, const SettingsRecord& record)
{
    const fs::path folder = fs::u8path(path).parent_path();
    std::error_code error;
    if (!folder.empty()) {
        fs::create_directories(folder, error);
        if (!fs::is_directory(folder, error))
            return false;
    }
    ReportFile file;
    file.Open(path);
    file.Write(SettingsText(lists, record));
    return file.Finish(false);
}
