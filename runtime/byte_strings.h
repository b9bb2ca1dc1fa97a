#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace runtime {

// 1-based position of the first occurrence of needle in haystack, byte for
// byte; 0 when absent or when either is empty.
std::size_t FindSubstring(std::string_view needle, std::string_view haystack);

// True when needle occurs in haystack; an empty needle occurs nowhere.
bool ContainsBytes(std::string_view haystack, std::string_view needle);

// Removes every trailing byte of value 32 or less.
std::string TrimTrailing(std::string_view text);

// Signed decimal, "-" before a negative number.
std::string FormatInt(std::int32_t value);

// ASCII-only case folding: names are bytes, not text in any one encoding.
char AsciiUpper(char c);
std::string LowerAscii(std::string_view text);
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);
// Byte order of the names in upper case (ASCII letters only): the first key
// of NameSortsBefore, so names equal but for case stand together in it.
bool LessIgnoringAsciiCase(std::string_view a, std::string_view b);

// Name order of a listing: ASCII upper-cased bytes, then the raw bytes.
bool NameSortsBefore(std::string_view a, std::string_view b);

// "*" and "?" wildcard match without regard to ASCII case.
bool WildcardMatches(std::string_view pattern, std::string_view name);

// A path cut at its last "/": the folder ("" when there is none, "/" for
// the root) and the last component.
struct PathParts {
    std::string folder;
    std::string name;
};
PathParts SplitPath(const std::string &path);

} // namespace runtime
