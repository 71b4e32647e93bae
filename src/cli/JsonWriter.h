#pragma once

#include <cstdint>
#include <string>

// A small JSON text builder: numbers are written so that they read back to
// the same double, texts as UTF-8 strings.
class JsonWriter {
public:
    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    void Key(const char* name);
    void Number(double value);
    void Integer(int64_t value);
    void String(const std::u16string& text);
    void Null();
    void Bool(bool value);

    const std::string& Text() const { return m_text; }

private:
    void Separate();

    std::string m_text;
    bool m_needComma = false;
};
