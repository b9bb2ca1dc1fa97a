#include "text_encoding.h"

#include <algorithm>
#include <array>

namespace catalogue {
namespace {

// 0x80 to 0x9F; the rest of the code page equals its code points.
constexpr std::array<char32_t, 32> HighCharacters = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void appendUtf8(std::string &out, char32_t c)
{
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        // The code page reaches no further than the Basic Multilingual Plane.
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

std::optional<char> windows1252Byte(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(c);
    const auto *found = std::find(HighCharacters.begin(), HighCharacters.end(), c);
    if (found == HighCharacters.end())
        return std::nullopt;
    return static_cast<char>(0x80 + (found - HighCharacters.begin()));
}

} // namespace

std::string Windows1252ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        appendUtf8(out, b >= 0x80 && b < 0xA0 ? HighCharacters[b - 0x80] : char32_t{b});
    }
    return out;
}

std::size_t Utf8SequenceAt(std::string_view bytes, std::size_t pos, char32_t &codePoint)
{
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[pos + i]); };
    const unsigned char lead = at(0);
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    std::size_t length;
    char32_t c;
    char32_t least;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, c = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, c = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, c = lead & 0x07, least = 0x10000;
    } else {
        return 0;
    }
    if (bytes.size() - pos < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((at(i) & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (at(i) & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    codePoint = c;
    return length;
}

bool IsValidUtf8(std::string_view bytes)
{
    char32_t c;
    for (std::size_t pos = 0; pos < bytes.size();) {
        const std::size_t length = Utf8SequenceAt(bytes, pos, c);
        if (length == 0)
            return false;
        pos += length;
    }
    return true;
}

std::optional<std::string> Utf8ToWindows1252(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    char32_t c;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = Utf8SequenceAt(text, pos, c);
        if (length == 0)
            return std::nullopt;
        const auto byte = windows1252Byte(c);
        if (!byte)
            return std::nullopt;
        out.push_back(*byte);
        pos += length;
    }
    return out;
}

} // namespace catalogue
