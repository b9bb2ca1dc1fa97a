#include "configuration.h"

#include "map_scan.h"
#include "runtime/directory_handle.h"
#include "runtime/directory_match.h"
#include "runtime/io_checked_file.h"
#include "runtime/io_error.h"
#include "runtime/working_directory.h"

namespace catalogue {
namespace {

std::string configPath(const std::string &directory)
{
    return directory + runtime::PathSeparator + ConfigFileName;
}

// "lister.txt" of the start directory: by name in its handle when there is
// one, else by its full path.
std::string startConfigPath(const ProgramState &state)
{
    const bool byHandle = state.StartFolder && state.StartFolder->valid();
    return byHandle ? std::string(ConfigFileName) : configPath(state.StartDirectory);
}

void writeConfiguration(const std::string &path, int relativeTo, const std::string &mapsText,
                        const std::string &viewerText)
{
    runtime::IoCheckedFile file;
    runtime::BindPath(file, path, relativeTo);
    runtime::CreateTextWrite(file);
    runtime::CheckIo();
    runtime::WriteTextLine(file, mapsText);
    runtime::CheckIo();
    runtime::WriteTextLine(file, viewerText);
    runtime::CheckIo();
    runtime::CloseIoFile(file);
    runtime::CheckIo();
}

} // namespace

void CaptureStartDirectory(ProgramState &state)
{
    state.StartDirectory = runtime::GetWorkingDirectory();
    const runtime::SavedIoCode unreported; // without it, names are taken from the current directory
    auto folder = std::make_shared<runtime::DirectoryHandle>(runtime::DirectoryHandle::Open("."));
    if (folder->valid())
        state.StartFolder = std::move(folder);
}

bool LoadConfiguration(ProgramState &state, ConfigurationFields &fields)
{
    const std::string path = startConfigPath(state);
    const int relativeTo = StartDirectoryFd(state);
    if (!runtime::FirstMatchIsFile(relativeTo, path))
        return false;
    runtime::IoCheckedFile file;
    runtime::BindPath(file, path, relativeTo);
    runtime::OpenTextRead(file);
    runtime::CheckIo();
    state.MapsDirectory = runtime::ReadTextLine(file);
    runtime::CheckIo();
    fields.setMapsText(state.MapsDirectory);
    state.ViewerPath = runtime::ReadTextLine(file);
    runtime::CheckIo();
    fields.setViewerText(state.ViewerPath);
    runtime::CloseIoFile(file);
    runtime::CheckIo();
    return true;
}

bool LoadConfiguration(ProgramState &state)
{
    struct : ConfigurationFields {
        void setMapsText(const std::string &) override {}
        void setViewerText(const std::string &) override {}
    } unshown;
    return LoadConfiguration(state, unshown);
}

bool ApplyConfiguration(ProgramState &state, const std::string &mapsText, const std::string &viewerText)
{
    state.MapsDirectory = mapsText;
    EnterMapsDirectory(state, state.MapsDirectory);
    runtime::CheckIo();
    if (!MapsPresent(AT_FDCWD))
        return false;
    state.ViewerPath = viewerText;
    return true;
}

void SaveConfiguration(const std::string &directory, const std::string &mapsText, const std::string &viewerText)
{
    writeConfiguration(configPath(directory), AT_FDCWD, mapsText, viewerText);
}

void SaveConfiguration(const ProgramState &state, const std::string &mapsText, const std::string &viewerText)
{
    writeConfiguration(startConfigPath(state), StartDirectoryFd(state), mapsText, viewerText);
}

} // namespace catalogue
