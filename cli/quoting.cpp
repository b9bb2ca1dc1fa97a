#include "quoting.h"

#include "catalogue/text_encoding.h"

namespace cli {
namespace {

void appendOctal(std::string &out, unsigned char byte)
{
    out.push_back('\\');
    out.push_back(static_cast<char>('0' + (byte >> 6)));
    out.push_back(static_cast<char>('0' + ((byte >> 3) & 7)));
    out.push_back(static_cast<char>('0' + (byte & 7)));
}

bool isControl(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

} // namespace

std::string TerminalText(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t pos = 0; pos < bytes.size();) {
        char32_t c = 0;
        const std::size_t length = catalogue::Utf8SequenceAt(bytes, pos, c);
        if (length == 0 || isControl(c)) {
            const std::size_t escaped = length == 0 ? 1 : length;
            for (std::size_t i = 0; i < escaped; ++i)
                appendOctal(out, static_cast<unsigned char>(bytes[pos + i]));
            pos += escaped;
        } else {
            out.append(bytes.substr(pos, length));
            pos += length;
        }
    }
    return out;
}

} // namespace cli
