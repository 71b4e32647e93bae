#include "base/Codepage.h"

#include <cerrno>
#include <cstdint>
#include <cstring>

#include <iconv.h>

namespace {

// iconv reads and writes UTF-16 as bytes; the internal strings are in the
// machine's own byte order.
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
constexpr const char* UTF16_HOST = "UTF-16BE";
#else
constexpr const char* UTF16_HOST = "UTF-16LE";
#endif

constexpr const char* CODE_PAGE_936 = "CP936";
constexpr char16_t REPLACEMENT_CHARACTER = 0xFFFD;

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// One conversion descriptor, opened on first use by each thread and closed when
// the thread ends. A descriptor keeps shift state and must not be shared
// between threads; caching it saves the cost of iconv_open on every call.
class IconvHandle {
public:
    IconvHandle(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~IconvHandle()
    {
        if (IsValid())
            iconv_close(m_cd);
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;

    bool IsValid() const { return m_cd != reinterpret_cast<iconv_t>(static_cast<intptr_t>(-1)); }
    iconv_t Get() const { return m_cd; }

private:
    iconv_t m_cd;
};

IconvHandle& ToCp936Handle()
{
    thread_local IconvHandle handle(CODE_PAGE_936, UTF16_HOST);
    return handle;
}

IconvHandle& FromCp936Handle()
{
    thread_local IconvHandle handle(UTF16_HOST, CODE_PAGE_936);
    return handle;
}

// Runs iconv over the whole input. When the input cannot be converted at some
// point, onError(position, bytesLeft) appends the replacement to the output
// and returns how many input bytes to pass over (at least 1).
template <typename Output, typename OnError>
void Convert(iconv_t cd, const char* input, std::size_t inputBytes, Output& output, OnError onError)
{
    using Unit = typename Output::value_type;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial state

    char* in = const_cast<char*>(input);  // iconv does not write through its input pointer
    std::size_t inLeft = inputBytes;
    std::size_t usedUnits = output.size();
    output.resize(usedUnits + inputBytes / sizeof(Unit) + 16);

    while (inLeft > 0) {
        char* out = reinterpret_cast<char*>(&output[usedUnits]);
        std::size_t outLeft = (output.size() - usedUnits) * sizeof(Unit);
        const std::size_t outBefore = outLeft;
        const std::size_t result = iconv(cd, &in, &inLeft, &out, &outLeft);
        const int error = errno;
        usedUnits += (outBefore - outLeft) / sizeof(Unit);
        if (result != static_cast<std::size_t>(-1))
            break;
        if (error == E2BIG) {
            output.resize(output.size() * 2 + 16);
            continue;
        }
        // EILSEQ (no form in the target, or an invalid input sequence) or
        // EINVAL (the input ends inside a sequence): replace and go on.
        output.resize(usedUnits);
        std::size_t skip = onError(in, inLeft);
        if (skip == 0 || skip > inLeft)
            skip = 1;
        in += skip;
        inLeft -= skip;
        usedUnits = output.size();
        output.resize(usedUnits + inLeft / sizeof(Unit) + 16);
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    output.resize(usedUnits);
}

bool IsCp936LeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

bool IsCp936TrailByte(unsigned char byte) { return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFE); }

void AppendCodePoint(std::u16string& out, uint32_t codePoint)
{
    if (codePoint >= 0x10000) {
        codePoint -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (codePoint >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF)));
    } else {
        out.push_back(static_cast<char16_t>(codePoint));
    }
}

void AppendUtf8(std::string& out, uint32_t codePoint)
{
    if (codePoint < 0x80) {
        out.push_back(static_cast<char>(codePoint));
    } else if (codePoint < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else if (codePoint < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
}

}  // namespace

std::string Utf16ToCp936(const std::u16string& text)
{
    std::string result;
    IconvHandle& handle = ToCp936Handle();
    if (!handle.IsValid()) {
        // Without the converter only ASCII has a known form.
        for (char16_t unit : text)
            result.push_back(unit < 0x80 ? static_cast<char>(unit) : '?');
        return result;
    }
    Convert(handle.Get(), reinterpret_cast<const char*>(text.data()), text.size() * sizeof(char16_t), result,
            [&result](const char* at, std::size_t bytesLeft) -> std::size_t {
                result.push_back('?');
                // A surrogate pair is one character: one "?" for both units.
                if (bytesLeft >= 2 * sizeof(char16_t)) {
                    char16_t units[2];
                    std::memcpy(units, at, sizeof(units));
                    if (IsHighSurrogate(units[0]) && IsLowSurrogate(units[1]))
                        return 2 * sizeof(char16_t);
                }
                return sizeof(char16_t);
            });
    return result;
}

std::u16string Cp936ToUtf16(const std::string& bytes)
{
    std::u16string result;
    IconvHandle& handle = FromCp936Handle();
    if (!handle.IsValid()) {
        for (char byte : bytes) {
            const unsigned char value = static_cast<unsigned char>(byte);
            result.push_back(value < 0x80 ? static_cast<char16_t>(value) : REPLACEMENT_CHARACTER);
        }
        return result;
    }
    Convert(handle.Get(), bytes.data(), bytes.size(), result,
            [&result](const char* at, std::size_t bytesLeft) -> std::size_t {
                result.push_back(REPLACEMENT_CHARACTER);
                // A well-formed pair that has no character assigned is one
                // unknown character; any other failing lead byte stands alone,
                // so that a blank or tab after it is still read as such.
                const unsigned char lead = static_cast<unsigned char>(at[0]);
                if (bytesLeft >= 2 && IsCp936LeadByte(lead) && IsCp936TrailByte(static_cast<unsigned char>(at[1])))
                    return 2;
                return 1;
            });
    return result;
}

std::string Utf16ToUtf8(const std::u16string& text)
{
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            AppendUtf8(result, 0x10000 + ((uint32_t(unit) - 0xD800) << 10) + (uint32_t(text[i + 1]) - 0xDC00));
            ++i;
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            AppendUtf8(result, REPLACEMENT_CHARACTER);
        } else {
            AppendUtf8(result, unit);
        }
    }
    return result;
}

std::u16string Utf8ToUtf16(const std::string& bytes)
{
    std::u16string result;
    result.reserve(bytes.size());
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            result.push_back(lead);
            ++i;
            continue;
        }
        // Number of continuation bytes and the allowed range of the first one
        // (the narrower ranges exclude overlong forms, surrogates and values
        // above U+10FFFF).
        int need = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        uint32_t codePoint = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            need = 1;
            codePoint = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            need = 2;
            codePoint = lead & 0x0F;
            if (lead == 0xE0)
                low = 0xA0;
            else if (lead == 0xED)
                high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            need = 3;
            codePoint = lead & 0x07;
            if (lead == 0xF0)
                low = 0x90;
            else if (lead == 0xF4)
                high = 0x8F;
        } else {
            result.push_back(REPLACEMENT_CHARACTER);
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        int got = 0;
        while (got < need && j < n) {
            const unsigned char next = static_cast<unsigned char>(bytes[j]);
            if (next < low || next > high)
                break;
            codePoint = (codePoint << 6) | (next & 0x3F);
            low = 0x80;
            high = 0xBF;
            ++j;
            ++got;
        }
        if (got == need)
            AppendCodePoint(result, codePoint);
        else
            result.push_back(REPLACEMENT_CHARACTER);
        i = j;
    }
    return result;
}
