#pragma once

#include "listed_map.h"
#include "program_state.h"
#include "runtime/io_error.h"

#include <optional>
#include <string>
#include <vector>

namespace catalogue {

// The program and arguments that open mapPath in the viewer: the viewer
// itself, or wine with the viewer when it is a Windows program (".exe") and
// wine is installed; wine is then given the map in its "Z:\..." form.
struct ViewerCommand {
    std::string program;
    std::vector<std::string> arguments;
};
ViewerCommand BuildViewerCommand(const std::string &viewerPath, const std::string &mapPath,
                                 const std::string &winePath);

// "/maps/a.fcw" as a Windows program run by wine sees it: "Z:\maps\a.fcw".
std::string WineDrivePath(const std::string &hostPath);

inline constexpr const char *ViewerNotStartedText = "The viewer could not be started: ";
inline constexpr const char *NoViewerText = "No viewer is set";

// Raised by LaunchViewer when the configuration names no viewer.
class NoViewerSet final : public runtime::Exception {
public:
    NoViewerSet() : Exception(NoViewerText) {}
};

// The program the configured viewer names: a path with "/" taken from the
// start directory, where "lister.txt" is; a bare name found in PATH's
// absolute folders. Nothing when there is no such program to look for.
std::optional<std::string> ViewerProgram(const ProgramState &state);

// Starts the viewer on map's file in the current directory without waiting,
// and reaps it when it ends. Raises NoViewerSet without a viewer, EInOutError
// when the map cannot be read, and Exception ("The viewer could not be
// started: VIEWER: reason") when the viewer cannot be started.
void LaunchViewer(const ProgramState &state, const ListedMap &map);

// The same for a map known by its file, whatever the current directory: name
// in the folder descriptor folder is checked (errors name mapPath), and the
// viewer is handed mapPath.
void LaunchViewerOnMap(const ProgramState &state, const std::string &mapPath, int folder, const std::string &name);

} // namespace catalogue
