#include "base/ReportFile.h"

#include <cmath>

#include "base/Codepage.h"
#include "base/FormatLength.h"
#include "base/Messages.h"

namespace {

constexpr std::size_t BLOCK_BYTES = 1 << 16;

const char16_t* const WRITE_ERROR_BEFORE = u"文件 < ";
const char16_t* const WRITE_ERROR_AFTER = u" > 写入有误，请检查文件是否被锁定或被打开状态 ！";

}  // namespace

ReportFile::~ReportFile()
{
    m_file.Abandon();
}

bool ReportFile::Open(const std::string& path)
{
    m_file.Abandon();
    m_path = path;
    m_buffer.clear();
    m_writeFailed = false;
    m_opened = m_file.Create(path);
    return m_opened;
}

void ReportFile::Flush()
{
    if (m_opened && !m_writeFailed && !m_buffer.empty() && !m_file.Write(m_buffer.data(), m_buffer.size()))
        m_writeFailed = true;
    m_buffer.clear();
}

void ReportFile::WriteBytes(const std::string& bytes)
{
    if (!m_opened || m_writeFailed)
        return;
    m_buffer += bytes;
    if (m_buffer.size() >= BLOCK_BYTES)
        Flush();
}

void ReportFile::Write(const std::u16string& text)
{
    // In code page 936 the byte 0x0A is always a line feed (trail bytes of
    // double-byte characters start at 0x40), so the line ends can be expanded
    // after the conversion.
    const std::string narrow = Utf16ToCp936(text);
    std::string bytes;
    bytes.reserve(narrow.size() + 8);
    for (char byte : narrow) {
        if (byte == '\n')
            bytes.push_back('\r');
        bytes.push_back(byte);
    }
    WriteBytes(bytes);
}

void ReportFile::Write(int64_t value)
{
    WriteBytes(std::to_string(value));
}

void ReportFile::WriteReal(double value)
{
    WriteBytes(FormatGeneral(value, 6));
}

bool ReportFile::Finish(bool showMessage)
{
    bool written = false;
    if (m_opened) {
        Flush();
        written = !m_writeFailed && m_file.Commit();
    }
    m_file.Abandon();
    m_opened = false;
    m_writeFailed = false;
    if (!written && showMessage)
        ShowMessage(WriteErrorMessage(m_path));
    return written;
}

std::u16string WriteErrorMessage(const std::string& path)
{
    return WRITE_ERROR_BEFORE + Utf8ToUtf16(path) + WRITE_ERROR_AFTER;
}

std::string FormatRealExact(double value)
{
    if (!std::isfinite(value))
        return FormatGeneral(value, 6);
    std::string text;
    for (int precision = 6; precision <= 17; ++precision) {
        text = FormatGeneral(value, precision);
        // 17 significant digits always read back exactly.
        if (ParseRealC(text.c_str(), nullptr) == value)
            break;
    }
    return text;
}
