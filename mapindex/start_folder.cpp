#include "start_folder.h"

#include "ConfigDirectory.h"
#include "catalogue/configuration.h"
#include "runtime/io_error.h"
#include "runtime/working_directory.h"

namespace mapindex {
namespace {

class IgnoredFields final : public catalogue::ConfigurationFields {
public:
    void setMapsText(const std::string &) override {}
    void setViewerText(const std::string &) override {}
};

} // namespace

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
        ui::EnterConfigDirectory(ui::ConfigDirectoryPath());
    }
    catalogue::CaptureStartDirectory(start.state);
    IgnoredFields fields;
    const bool configured = catalogue::LoadConfiguration(start.state, fields);

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
