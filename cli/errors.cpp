#include "errors.h"

#include "quoting.h"
#include "runtime/host_errors.h"

namespace cli {
namespace {

// Only "I/O error N" needs them: the table's own texts say enough.
std::string systemWords(const runtime::EInOutError &error)
{
    if (error.hostError() == 0 || runtime::InMessageTable(error.code()))
        return {};
    return runtime::HostErrorText(error.hostError());
}

} // namespace

PathError::PathError(std::string path, const runtime::EInOutError &error)
    : Exception(error.what()), path_(std::move(path)), detail_(systemWords(error))
{}

std::string ErrorPath(const runtime::EInOutError &error, const std::string &fallback)
{
    return error.path().empty() ? fallback : error.path();
}

std::string Named(const std::string &path, const char *what)
{
    return path.empty() ? std::string(what) + " \"\"" : path;
}

void ReportError(const Streams &streams, const std::string &path, const std::string &message, const std::string &detail)
{
    std::string line = "map-catalogue: ";
    if (!path.empty())
        line += path + ": ";
    line += runtime::ReportText(message);
    if (!detail.empty())
        line += " (" + detail + ")";
    streams.err << ForStream(line, streams.errIsTerminal) << '\n';
}

void ReportError(const Streams &streams, const std::string &path, const runtime::EInOutError &error)
{
    ReportError(streams, path, error.what(), systemWords(error));
}

} // namespace cli
