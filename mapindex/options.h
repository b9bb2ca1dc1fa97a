#pragma once

#include <optional>
#include <string>
#include <vector>

namespace mapindex {

struct Options {
    bool help = false;
    bool version = false;
    bool configDir = false;
    std::optional<std::string> mapsDir; // the argument's bytes
    std::string usageError;             // empty when the arguments are fine
};

Options ParseOptions(const std::vector<std::string> &arguments);

std::string HelpText();
std::string VersionText();

} // namespace mapindex
