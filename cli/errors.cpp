#include "errors.h"

#include "quoting.h"

namespace cli {

std::string ErrorPath(const runtime::EInOutError &error, const std::string &fallback)
{
    return error.path().empty() ? fallback : error.path();
}

void ReportError(const Streams &streams, const std::string &path, const std::string &message)
{
    std::string line = "map-catalogue: ";
    if (!path.empty())
        line += path + ": ";
    line += runtime::ReportText(message);
    streams.err << ForStream(line, streams.errIsTerminal) << '\n';
}

} // namespace cli
