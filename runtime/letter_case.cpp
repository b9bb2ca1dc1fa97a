#include "runtime/letter_case.h"

namespace runtime {
namespace {

constexpr std::array<unsigned char, 256> MakeSmallLetters()
{
    std::array<unsigned char, 256> small{};
    for (unsigned byte = 0; byte < 256; ++byte)
        small[byte] = static_cast<unsigned char>(byte);
    for (unsigned byte = 'A'; byte <= 'Z'; ++byte)
        small[byte] = static_cast<unsigned char>(byte + 0x20);
    for (unsigned byte = 0xC0; byte <= 0xDE; ++byte) {
        if (byte != 0xD7) // ×, whose place ÷ holds among the small letters
            small[byte] = static_cast<unsigned char>(byte + 0x20);
    }
    small[0x8A] = 0x9A; // Š š
    small[0x8C] = 0x9C; // Œ œ
    small[0x8E] = 0x9E; // Ž ž
    small[0x9F] = 0xFF; // Ÿ ÿ
    return small;
}

constexpr std::array<unsigned char, 256> SmallLetters = MakeSmallLetters();

} // namespace

const std::array<unsigned char, 256> &Windows1252SmallLetters()
{
    return SmallLetters;
}

std::string FoldWindows1252(std::string_view bytes)
{
    std::string folded(bytes);
    for (char &c : folded)
        c = static_cast<char>(SmallLetters[static_cast<unsigned char>(c)]);
    return folded;
}

} // namespace runtime
