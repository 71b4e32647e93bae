#include "cli/JsonText.h"

#include <cmath>
#include <cstdio>

#include "base/Codepage.h"
#include "base/FormatLength.h"

namespace {

void AppendString(const std::string& utf8, std::string& text)
{
    text += '"';
    for (const char byte : utf8) {
        const unsigned char c = static_cast<unsigned char>(byte);
        switch (c) {
        case '"':
            text += "\\\"";
            break;
        case '\\':
            text += "\\\\";
            break;
        case '\n':
            text += "\\n";
            break;
        case '\r':
            text += "\\r";
            break;
        case '\t':
            text += "\\t";
            break;
        default:
            if (c < 0x20) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
                text += buffer;
            } else {
                text += byte;
            }
        }
    }
    text += '"';
}

void AppendValue(const Json& value, std::string& text)
{
    switch (value.type()) {
    case Json::value_t::object: {
        text += '{';
        const char* separator = "";
        for (const auto& member : value.items()) {
            text += separator;
            AppendString(member.key(), text);
            text += ": ";
            AppendValue(member.value(), text);
            separator = ", ";
        }
        text += '}';
        break;
    }
    case Json::value_t::array: {
        text += '[';
        const char* separator = "";
        for (const Json& element : value) {
            text += separator;
            AppendValue(element, text);
            separator = ", ";
        }
        text += ']';
        break;
    }
    case Json::value_t::string:
        AppendString(value.get_ref<const Json::string_t&>(), text);
        break;
    case Json::value_t::boolean:
        text += value.get<bool>() ? "true" : "false";
        break;
    case Json::value_t::number_integer:
        text += std::to_string(value.get<Json::number_integer_t>());
        break;
    case Json::value_t::number_unsigned:
        text += std::to_string(value.get<Json::number_unsigned_t>());
        break;
    case Json::value_t::number_float: {
        // JSON has no infinities; the engine never produces them.
        const double number = value.get<double>();
        text += std::isfinite(number) ? FormatGeneral(number, 17) : "null";
        break;
    }
    case Json::value_t::null:
    case Json::value_t::binary:
    case Json::value_t::discarded:
        text += "null";
        break;
    }
}

}  // namespace

Json JsonString(const std::u16string& text)
{
    return Utf16ToUtf8(text);
}

std::string JsonText(const Json& value)
{
    std::string text;
    AppendValue(value, text);
    return text;
}
