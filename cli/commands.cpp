#include "commands.h"

#include "catalogue/configuration.h"
#include "catalogue/list_export.h"
#include "catalogue/map_details.h"
#include "catalogue/map_scan.h"
#include "catalogue/map_search.h"
#include "catalogue/map_tree.h"
#include "catalogue/text_encoding.h"
#include "catalogue/vector_map_list.h"
#include "catalogue/viewer_launch.h"
#include "errors.h"
#include "index_command.h"
#include "options.h"
#include "quoting.h"
#include "runtime/byte_strings.h"
#include "runtime/directory_handle.h"
#include "runtime/io_error.h"
#include "runtime/working_directory.h"
#include "search_command.h"
#include "terminal_views.h"

#include <algorithm>
#include <optional>
#include <thread>

namespace cli {
namespace {

constexpr const char *ProgramName = "map-catalogue";
constexpr const char *Version = MAP_UTILITY_VERSION;

constexpr const char *UsageText = "usage: map-catalogue [OPTIONS] scan [--files]\n"
                                  "       map-catalogue [OPTIONS] details ENTRY\n"
                                  "       map-catalogue [OPTIONS] search [--content [--ignore-case]] [--recursive]\n"
                                  "                     [--files] TEXT\n"
                                  "       map-catalogue [OPTIONS] export FILE\n"
                                  "       map-catalogue [OPTIONS] view ENTRY\n"
                                  "       map-catalogue [OPTIONS] index [--recursive] [--format tsv|csv|json]\n"
                                  "                     [--output FILE]\n"
                                  "       map-catalogue --help | --version\n";

constexpr const char *HelpText =
    "Lists, describes and searches a collection of *.fcw map files.\n"
    "\n"
    "Commands:\n"
    "  scan              list the maps, one per line\n"
    "    --files         list file names (\"Crypt.Level.1.fcw\") instead of entries\n"
    "  details ENTRY     show the descriptive lines of one map (a trailing .fcw is dropped)\n"
    "  search TEXT       list the maps whose names contain TEXT (case-sensitive)\n"
    "  search --content TEXT\n"
    "                    list the maps whose files contain TEXT (case-sensitive)\n"
    "    -i, --ignore-case\n"
    "                    with --content: a capital matches its small letter, in\n"
    "                    Windows-1252 (\"é\" finds \"É\"; \"ß\" only itself)\n"
    "    --recursive     search every folder below too, in the order of index\n"
    "                    --recursive; a match below prints as FOLDER/ENTRY\n"
    "    --files         list file names instead of entries, as scan --files\n"
    "  export FILE       write the list to FILE, one map per CR LF line\n"
    "  view ENTRY        open the map in the configured viewer\n"
    "  index             list every map with its name, type, product and page number\n"
    "    --format F      tsv (the default), csv or json\n"
    "    --output FILE   write to FILE instead of standard output\n"
    "    --recursive     the maps of every folder below too, each folder's own maps\n"
    "                    first, then its subfolders in byte order of their names;\n"
    "                    a \"folder\" field after the entry gives the path below DIR\n"
    "                    (empty for DIR itself); links to folders are not followed\n"
    "\n"
    "Options, anywhere before the command's first operand (\"--\" ends them):\n"
    "  -d, --dir DIR     the maps directory; without it, line 1 of \"lister.txt\"\n"
    "                    in the current directory (line 2 names the viewer)\n"
    "  -0, --null        end each listed map with NUL instead of a line feed\n"
    "  -j, --jobs N      read maps with N threads (default: the number of cores)\n"
    "      --io-depth N  keep N opens and reads of maps waiting at once, 1 to 256\n"
    "                    (default: chosen from the storage: 64 on a network or\n"
    "                    FUSE file system and on a disk whose maps are not in\n"
    "                    memory, none beyond the threads' own otherwise)\n"
    "  -h, --help        show this help\n"
    "      --version     show the version\n"
    "\n"
    "Examples:\n"
    "  map-catalogue --dir ~/maps scan\n"
    "  map-catalogue details \"Sunken Temple\"\n"
    "  map-catalogue search --content Köln\n"
    "  map-catalogue -0 search --files Harbour | xargs -0 -n1 map-catalogue details --\n"
    "  map-catalogue search --content --ignore-case --recursive \"sunken temple\"\n"
    "  map-catalogue index --format csv --output maps.csv\n"
    "\n"
    "The index as TSV (tab-separated, shown aligned):\n"
    "    entry    map name      map type  product       page number\n"
    "    Harbour  Harbour Town  City      Coastal Pack  12\n"
    "\n"
    "Exit status: 0 done, 1 nothing matched, 2 error, 64 usage mistake.\n";

class NotConfigured final : public runtime::Exception {
public:
    NotConfigured() : Exception("Program not configured") {}
};

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
    if (!catalogue::LoadConfiguration(state))
        throw NotConfigured();
}

std::string mapsDirectory(catalogue::ProgramState &state, const Options &request)
{
    if (request.dir)
        return *request.dir;
    requireConfiguration(state);
    return state.MapsDirectory;
}

// Opens the maps directory (relative to the start directory) and moves into it.
runtime::DirectoryHandle enterMaps(catalogue::ProgramState &state, const std::string &dir)
{
    return Concerning(Named(dir, MapsFolderRole), [&] {
        runtime::DirectoryHandle maps = runtime::DirectoryHandle::Open(dir, startDirectory(state));
        runtime::CheckIo();
        state.MapsDirectory = dir;
        runtime::SetWorkingDirectory(maps);
        runtime::CheckIo();
        return maps;
    });
}

catalogue::VectorMapList scan(catalogue::ProgramState &state, const std::string &dir)
{
    return Concerning(Named(dir, MapsFolderRole), [&] {
        const runtime::DirectoryHandle maps = enterMaps(state, dir);
        catalogue::VectorMapList list;
        list.assign(catalogue::ScanListedMaps(maps.fd()));
        state.MapCount = static_cast<int>(list.count());
        return list;
    });
}

void printList(const catalogue::VectorMapList &list, const Options &options, const Streams &streams)
{
    std::vector<std::string> names;
    names.reserve(list.count());
    for (const auto &map : list.maps())
        names.push_back(ListedName({}, map, options));
    PrintNames(names, options, streams);
}

// An entry never holds a ".", so "Name.fcw" means the entry "Name".
std::string entryOperand(const std::string &operand)
{
    const std::string_view extension = catalogue::MapExtension;
    const std::size_t stem = operand.size() - std::min(operand.size(), extension.size());
    if (runtime::EqualsIgnoringAsciiCase(std::string_view(operand).substr(stem), extension))
        return operand.substr(0, stem);
    return operand;
}

int runScan(catalogue::ProgramState &state, const std::string &dir, const Options &options, Streams &streams)
{
    const auto list = scan(state, dir);
    printList(list, options, streams);
    streams.err << catalogue::MapsFoundText(static_cast<int>(list.count())) << '\n';
    return ExitCode::Success;
}

int runDetails(catalogue::ProgramState &state, const std::string &dir, const std::string &entry, Streams &streams)
{
    DetailLines lines;
    try {
        Concerning(catalogue::MapPath(dir, entry),
                   [&] { catalogue::ShowMapDetailsAt(startDirectory(state), dir, entry, lines); });
    } catch (...) {
        lines.print(streams.out,
                    streams.outIsTerminal); // the lines read before a read failed, as the window shows them
        throw;
    }
    lines.print(streams.out, streams.outIsTerminal);
    return ExitCode::Success;
}

// A map path as the maps folder names it, for one named inside it.
std::string inMaps(const std::string &dir, const std::string &name)
{
    if (name.empty() || name.front() == runtime::PathSeparator)
        return name;
    return dir + runtime::PathSeparator + name;
}

// Every folder below the maps folder with its maps, in the order the index lists them.
std::vector<IndexFolder> treeOf(const runtime::DirectoryHandle &maps)
{
    std::vector<IndexFolder> folders;
    for (catalogue::MapFolder &found : catalogue::ScanMapTree(maps.fd(), runtime::MatchDetail::TypesOnly)) {
        IndexFolder folder{std::move(found.folder), {}, std::move(found.error), std::move(found.handle)};
        folder.maps.reserve(found.maps.size());
        for (auto &map : found.maps)
            folder.maps.push_back(catalogue::ListedFrom(std::move(map)));
        folders.push_back(std::move(folder));
    }
    return folders;
}

int runSearch(catalogue::ProgramState &state, const std::string &dir, const Options &request, Streams &streams)
{
    if (request.recursive) {
        return Concerning(Named(dir, MapsFolderRole), [&] {
            const runtime::DirectoryHandle maps = enterMaps(state, dir);
            return RunRecursiveSearch(maps.fd(), dir, treeOf(maps), request, streams);
        });
    }
    auto list = scan(state, dir);
    CapturedStatus status;
    const std::string &text = request.operands[0];
    int found;
    bool skipped = false;
    if (request.content) {
        TerminalProgress progress(streams.err, streams.errIsTerminal);
        // Map files hold Windows-1252, as the window searches them.
        const std::string bytes = catalogue::Utf8ToWindows1252(text).value_or(text);
        const unsigned jobs = request.jobs != 0 ? request.jobs : std::max(1u, std::thread::hardware_concurrency());
        try {
            found = catalogue::fullSearch(state, list, bytes, dir, progress, status, {}, jobs,
                                          request.ignoreCase ? runtime::LetterCase::IgnoreWindows1252
                                                             : runtime::LetterCase::Exact,
                                          request.ioDepth);
        } catch (const catalogue::UnreadableMapsError &error) {
            // The matches are in place; each map skipped gets its own line first.
            for (const auto &map : error.skipped())
                ReportError(streams, inMaps(dir, map.error.path()), map.error);
            found = static_cast<int>(state.MatchTable.size());
            skipped = true;
        } catch (const runtime::EInOutError &error) {
            // Named inside the maps directory; name it from the start directory.
            const std::string &name = error.path();
            if (name.empty() || name.front() == runtime::PathSeparator || name == dir)
                throw;
            throw PathError(inMaps(dir, name), error);
        }
    } else {
        found = catalogue::filenameSearch(state, list, text, status);
    }
    if (found == 0) {
        streams.err << catalogue::NoMapsFoundText << '\n';
        return skipped ? ExitCode::Failure : ExitCode::NoMatch;
    }
    printList(list, request, streams);
    streams.err << status.text() << '\n';
    return skipped ? ExitCode::Failure : ExitCode::Success;
}

int runExport(catalogue::ProgramState &state, const std::string &dir, const std::string &file, Streams &)
{
    const auto list = scan(state, dir);
    Concerning(Named(file, OutputFileRole), [&] { catalogue::WriteListFile(file, list, startDirectory(state)); });
    return ExitCode::Success;
}

int runView(catalogue::ProgramState &state, const std::string &dir, const std::string &entry, Streams &)
{
    requireConfiguration(state); // the viewer is line 2 of "lister.txt"
    enterMaps(state, dir);
    try {
        catalogue::LaunchViewer(state, entry);
    } catch (const catalogue::NoViewerSet &error) {
        throw PathError(catalogue::ConfigFileName, error.what());
    }
    return ExitCode::Success;
}

// Every folder below dir with its maps, in the order the index lists them.
std::vector<IndexFolder> scanTree(catalogue::ProgramState &state, const std::string &dir)
{
    return Concerning(Named(dir, MapsFolderRole), [&] { return treeOf(enterMaps(state, dir)); });
}

int runIndex(catalogue::ProgramState &state, const std::string &dir, const Options &options, Streams &streams)
{
    std::vector<IndexFolder> folders;
    if (options.recursive) {
        folders = scanTree(state, dir);
    } else {
        const auto list = scan(state, dir);
        IndexFolder top;
        top.maps.reserve(list.count());
        for (std::size_t i = 0; i < list.count(); ++i)
            top.maps.push_back(list.mapAt(i));
        folders.push_back(std::move(top));
    }
    return RunIndex(startDirectory(state), dir, folders, options.recursive, options, options.output.value_or(""),
                    streams);
}

int dispatch(const Options &request, Streams &streams)
{
    catalogue::ProgramState state;
    catalogue::CaptureStartDirectory(state);
    const std::string dir = mapsDirectory(state, request);
    if (request.command == "scan")
        return runScan(state, dir, request, streams);
    if (request.command == "details")
        return runDetails(state, dir, entryOperand(request.operands[0]), streams);
    if (request.command == "search")
        return runSearch(state, dir, request, streams);
    if (request.command == "export")
        return runExport(state, dir, request.operands[0], streams);
    if (request.command == "index")
        return runIndex(state, dir, request, streams);
    const std::string entry = entryOperand(request.operands[0]);
    return Concerning(catalogue::MapPath(dir, entry), [&] { return runView(state, dir, entry, streams); });
}

} // namespace

int RunCommandLine(const std::vector<std::string> &arguments, Streams streams)
{
    try {
        const Options options = ParseOptions(arguments);
        if (options.help) {
            streams.out << UsageText << '\n' << HelpText;
            return ExitCode::Success;
        }
        if (options.version) {
            streams.out << ProgramName << ' ' << Version << '\n';
            return ExitCode::Success;
        }
        return dispatch(options, streams);
    } catch (const UsageError &error) {
        streams.err << ProgramName << ": " << ForStream(error.what(), streams.errIsTerminal) << '\n' << UsageText;
        return ExitCode::Usage;
    } catch (const NotConfigured &error) {
        ReportError(streams, {}, error.what());
        ReportError(streams, {}, "looked for \"lister.txt\" in the current folder; --dir DIR names the maps folder");
        return ExitCode::Failure;
    } catch (const PathError &error) {
        streams.out.flush();
        ReportError(streams, error.path(), error.what(), error.detail());
        return ExitCode::Failure;
    } catch (const runtime::EInOutError &error) {
        streams.out.flush();
        ReportError(streams, ErrorPath(error, {}), error);
        return ExitCode::Failure;
    } catch (const std::exception &error) {
        streams.out.flush();
        ReportError(streams, {}, error.what());
        return ExitCode::Failure;
    }
}

} // namespace cli
