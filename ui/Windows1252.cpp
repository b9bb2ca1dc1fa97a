#include "Windows1252.h"

#include <algorithm>
#include <array>

namespace ui {

namespace {

// 0x80 to 0x9F; the five bytes the code page leaves undefined map to the
// C1 control of the same value, as the platform's own conversion does.
constexpr std::array<char16_t, 32> HighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr std::array<char16_t, 256> makeTable()
{
    std::array<char16_t, 256> table{};
    for (unsigned byte = 0; byte < 256; ++byte)
        table[byte] = static_cast<char16_t>(byte);
    for (unsigned i = 0; i < HighControls.size(); ++i)
        table[0x80 + i] = HighControls[i];
    return table;
}

constexpr std::array<char16_t, 256> Table = makeTable();

} // namespace

QString DecodeWindows1252(std::string_view bytes)
{
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (const char byte : bytes)
        text.append(QChar(Table[static_cast<unsigned char>(byte)]));
    return text;
}

std::optional<std::string> EncodeWindows1252(const QString &text)
{
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        const auto *found = std::find(Table.begin(), Table.end(), unit);
        if (found == Table.end())
            return std::nullopt;
        bytes.push_back(static_cast<char>(found - Table.begin()));
    }
    return bytes;
}

} // namespace ui
