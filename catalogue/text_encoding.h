#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Map files and their names are Windows-1252 bytes; terminals and the
// index formats want UTF-8. These convert between the two without the
// host's locale or codec list.
namespace catalogue {

// Every byte becomes one character; the five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the C1 controls of the
// same value, so the conversion never fails and always round-trips.
std::string Windows1252ToUtf8(std::string_view bytes);

// The Windows-1252 bytes of UTF-8 text; nothing when the text is not valid
// UTF-8 or holds a character the code page lacks.
std::optional<std::string> Utf8ToWindows1252(std::string_view text);

bool IsValidUtf8(std::string_view bytes);

// Length of the well-formed UTF-8 sequence that starts at pos (1 to 4);
// 0 when the bytes there are not one (overlong, surrogate, cut short...).
// The code point is stored in codePoint when the length is not 0.
std::size_t Utf8SequenceAt(std::string_view bytes, std::size_t pos, char32_t &codePoint);

} // namespace catalogue
