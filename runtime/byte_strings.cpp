#include "byte_strings.h"

#include <algorithm>
#include <cstring>

namespace runtime {

std::size_t FindSubstring(std::string_view needle, std::string_view haystack)
{
    if (needle.empty() || haystack.empty() || needle.size() > haystack.size())
        return 0;
    const void *hit = ::memmem(haystack.data(), haystack.size(), needle.data(), needle.size());
    if (!hit)
        return 0;
    return static_cast<std::size_t>(static_cast<const char *>(hit) - haystack.data()) + 1;
}

bool ContainsBytes(std::string_view haystack, std::string_view needle)
{
    return FindSubstring(needle, haystack) != 0;
}

std::string TrimTrailing(std::string_view text)
{
    std::size_t end = text.size();
    while (end > 0 && static_cast<unsigned char>(text[end - 1]) <= 32)
        --end;
    return std::string(text.substr(0, end));
}

std::string FormatInt(std::int32_t value)
{
    return std::to_string(value);
}

char AsciiUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string LowerAscii(std::string_view text)
{
    std::string lower(text);
    for (char &c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

PathParts SplitPath(const std::string &path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return {"", path};
    return {slash == 0 ? std::string("/") : path.substr(0, slash), path.substr(slash + 1)};
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return AsciiUpper(x) == AsciiUpper(y); });
}

bool LessIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(AsciiUpper(x)) < static_cast<unsigned char>(AsciiUpper(y));
    });
}

bool NameSortsBefore(std::string_view a, std::string_view b)
{
    if (LessIgnoringAsciiCase(a, b))
        return true;
    if (LessIgnoringAsciiCase(b, a))
        return false;
    const auto rawLess = [](char x, char y) { return static_cast<unsigned char>(x) < static_cast<unsigned char>(y); };
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), rawLess);
}

bool WildcardMatches(std::string_view pattern, std::string_view name)
{
    // Iterative match with backtracking to the last "*": linear in practice,
    // never recursive however many stars a pattern holds.
    std::size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        // The pattern's "*" is tested first: a "*" in the name is an ordinary byte.
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || AsciiUpper(pattern[p]) == AsciiUpper(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

} // namespace runtime
