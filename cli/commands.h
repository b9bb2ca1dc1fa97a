#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace cli {

namespace ExitCode {
inline constexpr int Success = 0;
inline constexpr int NoMatch = 1;
inline constexpr int Failure = 2;
inline constexpr int Usage = 64;
} // namespace ExitCode

struct Streams {
    std::ostream &out;
    std::ostream &err;
    bool outIsTerminal = false;
    bool errIsTerminal = false;
};

// Runs one map-catalogue command line (without the program name) in the
// current directory; returns the exit code. The arguments are raw bytes.
int RunCommandLine(const std::vector<std::string> &arguments, Streams streams);

} // namespace cli
