#pragma once
// Temporary stand-in until the index helpers land on this branch.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace catalogue {

struct IndexRecord {
    std::string entry;
    std::array<std::optional<std::string>, 4> values;
};

std::optional<std::string> DetailValue(std::string_view shownLine, std::string_view key);
IndexRecord ReadIndexRecord(const std::string &mapsDir, const std::string &entry);

} // namespace catalogue
