#include "viewer_launch.h"

#include "map_scan.h"
#include "runtime/directory_match.h"
#include "runtime/process_launch.h"
#include "runtime/working_directory.h"

namespace catalogue {

bool LaunchViewer(const ProgramState &state, const std::string &entry)
{
    // The map path is one argument, spaces and all; the viewer gets the name
    // as it is on disk even when its case differs from the entry's.
    const std::string mapPath = runtime::ResolveNameIgnoringCase(MapPath(runtime::GetWorkingDirectory(), entry));
    return runtime::LaunchDetached(state.ViewerPath, {mapPath});
}

} // namespace catalogue
