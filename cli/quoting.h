#pragma once

#include <string>
#include <string_view>

namespace cli {

// What a terminal may be shown of some bytes: valid UTF-8 passes, except
// control characters (C0, DEL and C1), which are written as \ooo octal per
// byte, as are the bytes of anything that is not valid UTF-8. A name can
// then neither drive the terminal nor pass for two lines.
std::string TerminalText(std::string_view bytes);

// The bytes for the given stream: escaped on a terminal, raw otherwise.
inline std::string ForStream(std::string_view bytes, bool terminal)
{
    return terminal ? TerminalText(bytes) : std::string(bytes);
}

} // namespace cli
