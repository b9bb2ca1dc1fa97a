#include "viewer_launch.h"

#include "map_chunk_reader.h"
#include "runtime/byte_strings.h"
#include "runtime/directory_match.h"
#include "runtime/host_errors.h"
#include "runtime/io_checked_file.h"
#include "runtime/io_error.h"
#include "runtime/process_launch.h"
#include "runtime/working_directory.h"

#include <algorithm>
#include <cerrno>

namespace catalogue {
namespace {

bool isWindowsProgram(const std::string &path)
{
    constexpr std::string_view extension = ".exe";
    return path.size() > extension.size()
        && runtime::EqualsIgnoringAsciiCase(std::string_view(path).substr(path.size() - extension.size()), extension);
}

} // namespace

std::string WineDrivePath(const std::string &hostPath)
{
    std::string path = "Z:" + hostPath;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

ViewerCommand BuildViewerCommand(const std::string &viewerPath, const std::string &mapPath, const std::string &winePath)
{
    if (!winePath.empty() && isWindowsProgram(viewerPath))
        return {winePath, {viewerPath, WineDrivePath(mapPath)}};
    return {viewerPath, {mapPath}};
}

std::optional<std::string> ViewerProgram(const ProgramState &state)
{
    const std::string &viewer = state.ViewerPath;
    if (viewer.find(runtime::PathSeparator) == std::string::npos)
        return runtime::FindOnPath(viewer);
    if (viewer.front() == runtime::PathSeparator)
        return viewer;
    // Relative: never from the current directory, the maps folder.
    if (!state.StartDirectory.starts_with(runtime::PathSeparator))
        return std::nullopt;
    return state.StartDirectory + runtime::PathSeparator + viewer;
}

namespace {

// Starts the viewer on a map already checked to be readable, and reaps it.
void startViewer(const ProgramState &state, const std::string &mapPath)
{
    const std::optional<std::string> viewer = ViewerProgram(state);
    runtime::Launched launched{-1, ENOENT};
    if (viewer) {
        const ViewerCommand command = BuildViewerCommand(*viewer, mapPath, runtime::FindOnPath("wine").value_or(""));
        launched = runtime::LaunchDetached(command.program, command.arguments);
    }
    if (launched.pid < 0) {
        const std::int32_t code = runtime::CodeForHostError(launched.error, viewer.value_or(state.ViewerPath));
        throw runtime::Exception(ViewerNotStartedText + state.ViewerPath + ": "
                                 + runtime::ReportText(runtime::IoMessageTable(code)));
    }
    runtime::ReapInBackground(launched.pid);
}

} // namespace

void LaunchViewer(const ProgramState &state, const ListedMap &map)
{
    if (state.ViewerPath.empty())
        throw NoViewerSet();
    // A viewer handed a map it cannot read shows nothing useful: say why here.
    runtime::IoCheckedFile file;
    const std::string opened = OpenMapAt(file, AT_FDCWD, runtime::GetWorkingDirectory(), map);
    runtime::CloseIoFile(file);
    runtime::CheckIo();
    // The map path is one argument, spaces and all; the viewer gets the name
    // as it is on disk even when its case differs from the entry's.
    startViewer(state, runtime::ResolveNameIgnoringCase(opened));
}

void LaunchViewerOnMap(const ProgramState &state, const std::string &mapPath, int folder, const std::string &name)
{
    if (state.ViewerPath.empty())
        throw NoViewerSet();
    runtime::IoCheckedFile map;
    runtime::BindResolvedPath(map, mapPath, AT_FDCWD, folder, name);
    runtime::OpenBlockFile(map, 1);
    runtime::CheckIo();
    runtime::CloseIoFile(map);
    runtime::CheckIo();
    startViewer(state, mapPath);
}

} // namespace catalogue
