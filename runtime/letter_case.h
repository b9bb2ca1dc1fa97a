#pragma once

#include <array>
#include <string>
#include <string_view>

namespace runtime {

// How a text search compares letters.
enum class LetterCase {
    Exact,             // byte for byte
    IgnoreWindows1252, // a Windows-1252 capital equals its small letter
};

// Whether an exact search also tells of the text held only in another case
// (as IgnoreWindows1252 takes case), in the same pass.
enum class OtherCase { Ignored, Noted };

// Each byte's small letter in Windows-1252: A-Z, À-Þ (not ×), Š, Œ, Ž and Ÿ
// fold; ß, µ and every other byte stay as they are.
const std::array<unsigned char, 256> &Windows1252SmallLetters();

// bytes with each byte folded as above.
std::string FoldWindows1252(std::string_view bytes);

} // namespace runtime
