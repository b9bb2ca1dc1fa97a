#pragma once

#include "commands.h"
#include "runtime/io_error.h"

#include <string>

namespace cli {

// An error and the path it concerns.
class PathError final : public runtime::Exception {
public:
    PathError(std::string path, const std::string &message) : Exception(message), path_(std::move(path)) {}
    const std::string &path() const { return path_; }

private:
    std::string path_;
};

// The path a failed operation concerned: the one the error carries, else
// the one the caller was working on.
std::string ErrorPath(const runtime::EInOutError &error, const std::string &fallback);

// Runs work; an I/O error it raises comes out naming path.
template <class Work>
auto Concerning(const std::string &path, Work &&work) -> decltype(work())
{
    try {
        return work();
    } catch (const runtime::EInOutError &error) {
        throw PathError(ErrorPath(error, path), error.what());
    }
}

// "map-catalogue: PATH: message." (or without the path), escaped for a terminal.
void ReportError(const Streams &streams, const std::string &path, const std::string &message);

} // namespace cli
