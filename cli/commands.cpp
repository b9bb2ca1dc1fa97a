#include "commands.h"

#include "catalogue/configuration.h"
#include "catalogue/list_export.h"
#include "catalogue/map_details.h"
#include "catalogue/map_scan.h"
#include "catalogue/map_search.h"
#include "catalogue/vector_map_list.h"
#include "catalogue/viewer_launch.h"
#include "runtime/directory_handle.h"
#include "runtime/io_error.h"
#include "runtime/working_directory.h"
#include "terminal_views.h"

#include <optional>

namespace cli {
namespace {

constexpr const char *ProgramName = "map-catalogue";
constexpr const char *Version = "3.0";

constexpr const char *UsageText =
    "usage: map-catalogue [--dir DIR] scan\n"
    "       map-catalogue [--dir DIR] details ENTRY\n"
    "       map-catalogue [--dir DIR] search [--content] TEXT\n"
    "       map-catalogue [--dir DIR] export FILE\n"
    "       map-catalogue [--dir DIR] view ENTRY\n"
    "       map-catalogue --help | --version\n";

constexpr const char *HelpText =
    "Lists, describes and searches a collection of *.fcw map files.\n"
    "\n"
    "  scan              list the maps, one per line\n"
    "  details ENTRY     show the descriptive lines of one map\n"
    "  search TEXT       list the maps whose names contain TEXT (case-sensitive)\n"
    "  search --content TEXT\n"
    "                    list the maps whose files contain TEXT\n"
    "  export FILE       write the list to FILE, one map per CR LF line\n"
    "  view ENTRY        open the map in the configured viewer\n"
    "\n"
    "DIR is the maps directory; without --dir it is line 1 of \"lister.txt\" in\n"
    "the current directory, and line 2 names the viewer.\n"
    "Exit status: 0 done, 1 nothing matched, 2 error, 64 usage mistake.\n";

struct Request {
    std::optional<std::string> dir;
    std::string command;
    std::vector<std::string> operands;
    bool content = false;
};

class UsageError final : public std::runtime_error {
public:
    explicit UsageError(const std::string &message) : std::runtime_error(message) {}
};

Request parse(const std::vector<std::string> &arguments)
{
    Request request;
    std::size_t i = 0;
    if (i < arguments.size() && arguments[i] == "--dir") {
        if (i + 1 >= arguments.size())
            throw UsageError("--dir needs a directory");
        request.dir = arguments[i + 1];
        i += 2;
    }
    if (i >= arguments.size())
        throw UsageError("no command given");
    request.command = arguments[i++];
    if (request.command == "search" && i < arguments.size() && arguments[i] == "--content") {
        request.content = true;
        ++i;
    }
    request.operands.assign(arguments.begin() + static_cast<std::ptrdiff_t>(i), arguments.end());

    const bool known = request.command == "scan" || request.command == "details" || request.command == "search"
        || request.command == "export" || request.command == "view";
    if (!known)
        throw UsageError("unknown command '" + request.command + "'");
    const std::size_t wanted = request.command == "scan" ? 0 : 1;
    if (request.operands.size() != wanted)
        throw UsageError(request.command + (wanted == 0 ? " takes no operand" : " takes exactly one operand"));
    return request;
}

// The start directory, held open since the start: relative names are taken
// from it, never from the maps directory the program moves into.
int startDirectory(const catalogue::ProgramState &state)
{
    if (!state.StartFolder || !state.StartFolder->valid())
        throw runtime::Exception("The start directory cannot be opened");
    return state.StartFolder->fd();
}

// Reads "lister.txt"; without it the program is not configured.
void requireConfiguration(catalogue::ProgramState &state)
{
    CapturedFields fields;
    if (!catalogue::LoadConfiguration(state, fields))
        throw runtime::Exception("Program not configured");
}

std::string mapsDirectory(catalogue::ProgramState &state, const Request &request)
{
    if (request.dir)
        return *request.dir;
    requireConfiguration(state);
    return state.MapsDirectory;
}

// Opens the maps directory (relative to the start directory) and moves into it.
runtime::DirectoryHandle enterMaps(catalogue::ProgramState &state, const std::string &dir)
{
    runtime::DirectoryHandle maps = runtime::DirectoryHandle::Open(dir, startDirectory(state));
    runtime::CheckIo();
    state.MapsDirectory = dir;
    runtime::SetWorkingDirectory(maps);
    runtime::CheckIo();
    return maps;
}

catalogue::VectorMapList scan(catalogue::ProgramState &state, const std::string &dir)
{
    const runtime::DirectoryHandle maps = enterMaps(state, dir);
    catalogue::VectorMapList list(catalogue::ScanMapEntries(maps.fd()));
    state.MapCount = static_cast<int>(list.count());
    return list;
}

void printList(const catalogue::VectorMapList &list, std::ostream &out)
{
    for (const auto &entry : list.entries())
        out << entry << '\n';
}

int runScan(catalogue::ProgramState &state, const std::string &dir, Streams &streams)
{
    const auto list = scan(state, dir);
    printList(list, streams.out);
    streams.err << catalogue::MapsFoundText(static_cast<int>(list.count())) << '\n';
    return ExitCode::Success;
}

int runDetails(catalogue::ProgramState &state, const std::string &dir, const std::string &entry, Streams &streams)
{
    DetailLines lines;
    catalogue::ShowMapDetailsAt(startDirectory(state), dir, entry, lines);
    lines.print(streams.out, streams.outIsTerminal);
    return ExitCode::Success;
}

int runSearch(catalogue::ProgramState &state, const std::string &dir, const Request &request, Streams &streams)
{
    auto list = scan(state, dir);
    CapturedStatus status;
    const std::string &text = request.operands[0];
    int found;
    if (request.content) {
        TerminalProgress progress(streams.err, streams.errIsTerminal);
        found = catalogue::fullSearch(state, list, text, ".", progress, status, {}); // scan entered the maps
    } else {
        found = catalogue::filenameSearch(state, list, text, status);
    }
    if (found == 0) {
        streams.err << catalogue::NoMapsFoundText << '\n';
        return ExitCode::NoMatch;
    }
    printList(list, streams.out);
    streams.err << status.text() << '\n';
    return ExitCode::Success;
}

int runExport(catalogue::ProgramState &state, const std::string &dir, const std::string &file, Streams &)
{
    const auto list = scan(state, dir);
    catalogue::WriteListFile(file, list, startDirectory(state));
    return ExitCode::Success;
}

int runView(catalogue::ProgramState &state, const std::string &dir, const std::string &entry, Streams &)
{
    requireConfiguration(state); // the viewer is line 2 of "lister.txt"
    enterMaps(state, dir);
    catalogue::LaunchViewer(state, entry);
    return ExitCode::Success;
}

int dispatch(const Request &request, Streams &streams)
{
    catalogue::ProgramState state;
    catalogue::CaptureStartDirectory(state);
    const std::string dir = mapsDirectory(state, request);
    if (request.command == "scan")
        return runScan(state, dir, streams);
    if (request.command == "details")
        return runDetails(state, dir, request.operands[0], streams);
    if (request.command == "search")
        return runSearch(state, dir, request, streams);
    if (request.command == "export")
        return runExport(state, dir, request.operands[0], streams);
    return runView(state, dir, request.operands[0], streams);
}

} // namespace

int RunCommandLine(const std::vector<std::string> &arguments, Streams streams)
{
    if (arguments.size() == 1 && arguments[0] == "--help") {
        streams.out << UsageText << '\n' << HelpText;
        return ExitCode::Success;
    }
    if (arguments.size() == 1 && arguments[0] == "--version") {
        streams.out << ProgramName << ' ' << Version << '\n';
        return ExitCode::Success;
    }
    try {
        return dispatch(parse(arguments), streams);
    } catch (const UsageError &error) {
        streams.err << ProgramName << ": " << error.what() << '\n' << UsageText;
        return ExitCode::Usage;
    } catch (const std::exception &error) {
        streams.out.flush();
        streams.err << ProgramName << ": " << runtime::ReportText(error.what()) << '\n';
        return ExitCode::Failure;
    }
}

} // namespace cli
