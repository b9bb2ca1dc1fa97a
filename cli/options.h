#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace cli {

// A command line the program cannot make sense of; exits 64.
class UsageError final : public std::runtime_error {
public:
    explicit UsageError(const std::string &message) : std::runtime_error(message) {}
};

enum class IndexFormat { Tsv, Csv, Json };

struct Options {
    bool help = false;
    bool version = false;
    std::optional<std::string> dir;
    bool null = false;    // end listed entries with NUL
    unsigned jobs = 0;    // threads for reading maps; 0 when not given
    unsigned ioDepth = 0; // opens and reads in flight at once; 0 when not given
    bool content = false;
    IndexFormat format = IndexFormat::Tsv;
    std::optional<std::string> output;
    bool recursive = false;  // index, search: every folder below the maps folder too
    bool ignoreCase = false; // search --content: a capital matches its small letter
    bool files = false;      // scan, search: list file names instead of entries
    std::string command;
    std::vector<std::string> operands;
};

// getopt_long conventions: options anywhere before the command's first
// operand, "--" ends them, everything from the first operand on is an
// operand. The bytes of every argument are kept as they are.
Options ParseOptions(const std::vector<std::string> &arguments);

} // namespace cli
