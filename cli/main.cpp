#include "commands.h"

#include "runtime/file_size_signal.h"

#include <iostream>
#include <unistd.h>

int main(int argc, char **argv)
{
    std::ios::sync_with_stdio(false);
    runtime::IgnoreFileSizeSignal();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const int code = cli::RunCommandLine(arguments, {std::cout, std::cerr, ::isatty(1) == 1, ::isatty(2) == 1});
    // Output cut short (a full disk, a closed pipe) is a failure, not success.
    if (!std::cout.flush()) {
        std::cerr << "map-catalogue: Standard output could not be written.\n";
        return cli::ExitCode::Failure;
    }
    return code;
}
