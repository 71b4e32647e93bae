#include "workbench/SettingsFile.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <system_error>
#include <vector>

#include "exchange/Codepage.h"
#include "reports/FormatLength.h"
#include "reports/ReportFile.h"

namespace fs = std::filesystem;

namespace {

const char* const CONFIG_FOLDER = "Config";
const char* const SETTINGS_FILE = "QRMCfg.txt";
const char* const NEW_FILE_SUFFIX = ".new";
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

// The characters that separate tokens on reading, besides the line feed.
bool IsBlankByte(int c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

bool IsBlankUnit(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

// Reads the settings file line by line, each line as its white-space separated
// tokens, holding no more of a line than a sound line can hold.
class SettingsReader {
public:
    bool Open(const std::string& path)
    {
        return m_file.open(fs::u8path(path), std::ios::in | std::ios::binary) != nullptr;
    }

    // The tokens of the next line that holds any; false at the end of the file
    // or when that line does not hold exactly fieldCount tokens.
    bool NextLine(std::size_t fieldCount, std::vector<std::string>& tokens)
    {
        return ReadTokenLine(tokens) && tokens.size() == fieldCount;
    }

    // A line holding only an integer, or only a real.
    bool ReadInteger(int32_t& value);
    bool ReadReal(double& value);

private:
    bool ReadTokenLine(std::vector<std::string>& tokens);

    std::filebuf m_file;
    std::vector<std::string> m_tokens;
};

// False at the end of the file and on a line with more than MAX_FIELDS tokens
// or a token longer than MAX_TOKEN_BYTES; such a line is not read to its end.
bool SettingsReader::ReadTokenLine(std::vector<std::string>& tokens)
{
    using Traits = std::char_traits<char>;
    tokens.clear();
    std::string token;
    auto endToken = [&]() {
        if (token.empty())
            return true;
        tokens.push_back(token);
        token.clear();
        return tokens.size() <= MAX_FIELDS;
    };
    for (;;) {
        const int c = m_file.sbumpc();
        if (c == Traits::eof())
            return endToken() && !tokens.empty();
        if (c == '\n') {
            if (!endToken())
                return false;
            if (!tokens.empty())
                return true;
        } else if (IsBlankByte(c)) {
            if (!endToken())
                return false;
        } else {
            token.push_back(Traits::to_char_type(c));
            if (token.size() > MAX_TOKEN_BYTES)
                return false;
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

// Reads as far as the file is sound; see the header for where it stops.
void ReadSettings(SettingsReader& reader, InputLists& lists, SettingsRecord& record)
{
    int32_t first = 0;
    if (!reader.ReadInteger(first))
        return;
    const bool currentLayout = first > SETTINGS_OLDER_LAYOUT_LAST;
    int32_t cutCount = first;
    if ((currentLayout && !reader.ReadInteger(cutCount)) || cutCount < 0)
        return;

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
            return;
        lists.AppendCutRow(spec, length, quantity, mark);
    }

    int32_t stockCount = 0;
    if (!reader.ReadInteger(stockCount) || stockCount < 0)
        return;
    const std::size_t stockFields = currentLayout ? STOCK_FIELDS : OLDER_STOCK_FIELDS;
    for (int32_t i = 0; i < stockCount; ++i) {
        double length = 0;
        int32_t quantity = 0;
        MyString spec;
        int32_t priority = 0;
        if (!reader.NextLine(stockFields, fields) || !ParseReal(fields[0], length) ||
            !ParseInteger(fields[1], quantity) || !ParseText(fields[2], spec) ||
            (currentLayout && !ParseInteger(fields[3], priority)))
            return;
        lists.AppendStockRow(spec, length, quantity, priority);
    }

    // Each value is stored only when it was read; the rest keep their defaults.
    if (!reader.ReadReal(record.m_kerfWidth) || !reader.ReadReal(record.m_reservedValue) ||
        !reader.ReadInteger(record.m_reservedInteger) || !reader.ReadInteger(record.m_maxLengthKinds) ||
        !reader.ReadReal(record.m_trimLength))
        return;
    reader.ReadInteger(record.m_speedLevel);
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

bool LoadSettings(const std::string& path, InputLists& lists, SettingsRecord& record)
{
    lists.ClearCutList();
    lists.ClearStockList();
    record = SettingsRecord();
    SettingsReader reader;
    if (!reader.Open(path))
        return false;
    ReadSettings(reader, lists, record);
    return true;
}

bool SaveSettings(const std::string& path, const InputLists& lists, const SettingsRecord& record)
{
    const fs::path target = fs::u8path(path);
    const fs::path folder = target.parent_path();
    std::error_code error;
    if (!folder.empty()) {
        fs::create_directories(folder, error);
        if (!fs::is_directory(folder, error))
            return false;
    }

    const std::string newPath = path + NEW_FILE_SUFFIX;
    ReportFile file;
    if (!file.Open(newPath))
        return false;
    file.Write(SettingsText(lists, record));
    if (!file.Finish(false)) {
        fs::remove(fs::u8path(newPath), error);
        return false;
    }
    fs::rename(fs::u8path(newPath), target, error);
    if (error) {
        std::error_code removeError;
        fs::remove(fs::u8path(newPath), removeError);
        return false;
    }
    return true;
}
