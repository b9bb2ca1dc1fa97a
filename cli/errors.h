#pragma once

#include "commands.h"
#include "runtime/io_error.h"

#include <string>

namespace cli {

// An error, the path it concerns, and the system's words for it, if any.
class PathError final : public runtime::Exception {
public:
    PathError(std::string path, const std::string &message, std::string detail = {})
        : Exception(message), path_(std::move(path)), detail_(std::move(detail))
    {}
    PathError(std::string path, const runtime::EInOutError &error);
    const std::string &path() const { return path_; }
    const std::string &detail() const { return detail_; }

private:
    std::string path_;
    std::string detail_;
};

// The path a failed operation concerned: the one the error carries, else
// the one the caller was working on.
std::string ErrorPath(const runtime::EInOutError &error, const std::string &fallback);

// path, or for an empty one what it was meant to name ("maps folder \"\""),
// so that "Invalid filename." says which.
std::string Named(const std::string &path, const char *what);
inline constexpr const char *MapsFolderRole = "maps folder";
inline constexpr const char *OutputFileRole = "output file";

// Runs work; an I/O error it raises comes out naming path.
template <class Work>
auto Concerning(const std::string &path, Work &&work) -> decltype(work())
{
    try {
        return work();
    } catch (const runtime::EInOutError &error) {
        throw PathError(ErrorPath(error, path), error);
    }
}

// "map-catalogue: PATH: message." (or without the path), then the system's
// words in parentheses when there are any; escaped for a terminal.
void ReportError(const Streams &streams, const std::string &path, const std::string &message,
                 const std::string &detail = {});
void ReportError(const Streams &streams, const std::string &path, const runtime::EInOutError &error);

} // namespace cli
