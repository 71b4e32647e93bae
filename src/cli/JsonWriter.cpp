#include "cli/JsonWriter.h"

#include <cmath>
#include <cstdio>

#include "base/Codepage.h"
#include "base/FormatLength.h"

void JsonWriter::Separate()
{
    if (m_needComma)
        m_text += ", ";
    m_needComma = false;
}

void JsonWriter::BeginObject()
{
    Separate();
    m_text += '{';
}

void JsonWriter::EndObject()
{
    m_text += '}';
    m_needComma = true;
}

void JsonWriter::BeginArray()
{
    Separate();
    m_text += '[';
}

void JsonWriter::EndArray()
{
    m_text += ']';
    m_needComma = true;
}

void JsonWriter::Key(const char* name)
{
    Separate();
    m_text += '"';
    m_text += name;
    m_text += "\": ";
}

void JsonWriter::Number(double value)
{
    Separate();
    if (!std::isfinite(value)) {
        m_text += "null";  // JSON has no infinities; the engine never produces them
    } else {
        m_text += FormatGeneral(value, 17);
    }
    m_needComma = true;
}

void JsonWriter::Integer(int64_t value)
{
    Separate();
    m_text += std::to_string(value);
    m_needComma = true;
}

void JsonWriter::Null()
{
    Separate();
    m_text += "null";
    m_needComma = true;
}

void JsonWriter::Bool(bool value)
{
    Separate();
    m_text += value ? "true" : "false";
    m_needComma = true;
}

void JsonWriter::String(const std::u16string& text)
{
    Separate();
    const std::string utf8 = Utf16ToUtf8(text);
    m_text += '"';
    for (unsigned char c : utf8) {
        switch (c) {
        case '"':
            m_text += "\\\"";
            break;
        case '\\':
            m_text += "\\\\";
            break;
        case '\n':
            m_text += "\\n";
            break;
        case '\r':
            m_text += "\\r";
            break;
        case '\t':
            m_text += "\\t";
            break;
        default:
            if (c < 0x20) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
                m_text += buffer;
            } else {
                m_text += char(c);
            }
        }
    }
    m_text += '"';
    m_needComma = true;
}
