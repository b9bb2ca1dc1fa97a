#include "start_folder.h"

#include "ConfigDirectory.h"
#include "catalogue/configuration.h"
#include "runtime/io_error.h"
#include "runtime/working_directory.h"

namespace mapindex {

std::string AbsolutePath(const std::string &base, const std::string &path)
{
    if (path.empty() || path.front() == runtime::PathSeparator)
        return path;
    return base + runtime::PathSeparator + path;
}

StartFolder ResolveStartFolder(const Options &options)
{
    StartFolder start;
    const std::string launchFolder = runtime::GetWorkingDirectory();
    if (options.configDir) {
        // Held open, not entered: Map Index keeps no current directory.
        start.state.StartDirectory = ui::ConfigDirectoryPath();
        start.state.StartFolder = ui::OpenConfigDirectory(start.state.StartDirectory);
    } else {
        catalogue::CaptureStartDirectory(start.state);
    }
    const bool configured = catalogue::LoadConfiguration(start.state);

    start.listerFound = configured;
    if (options.mapsDir)
        start.state.MapsDirectory = AbsolutePath(launchFolder, *options.mapsDir);
    else
        start.state.MapsDirectory = AbsolutePath(start.state.StartDirectory, start.state.MapsDirectory);
    if (start.state.MapsDirectory.empty()) {
        start.notConfigured = configured ? "\"lister.txt\" names no maps folder."
                                         : "No \"lister.txt\" in " + start.state.StartDirectory + ".";
    }
    return start;
}

} // namespace mapindex
