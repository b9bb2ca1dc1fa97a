#include "list_export.h"

#include "runtime/io_checked_file.h"
#include "runtime/io_error.h"
#include "runtime/working_directory.h"

namespace catalogue {

void WriteListFile(const std::string &path, const MapList &list, int relativeTo)
{
    runtime::IoCheckedFile file;
    runtime::BindPath(file, path, relativeTo);
    runtime::CreateTextWrite(file);
    runtime::CheckIo();
    const std::size_t count = list.count();
    for (std::size_t i = 0; i < count; ++i) {
        runtime::WriteTextLine(file, list.at(i));
        runtime::CheckIo();
    }
    runtime::CloseIoFile(file);
    runtime::CheckIo();
}

void WriteTextFile(const std::string &path, std::string_view text, int relativeTo)
{
    runtime::IoCheckedFile file;
    runtime::BindPath(file, path, relativeTo);
    runtime::CreateTextWrite(file);
    runtime::CheckIo();
    runtime::WriteBytes(file, text);
    runtime::CheckIo();
    runtime::CloseIoFile(file);
    runtime::CheckIo();
}

void ExportList(const ProgramState &state, const MapList &list, FileNamePrompt &askFileName)
{
    if (const auto path = askFileName.askFileName(state.StartDirectory, DefaultListFileName))
        WriteListFile(*path, list);
    // The save dialog may have moved the current directory.
    EnterMapsDirectory(state, state.MapsDirectory);
    runtime::CheckIo();
}

} // namespace catalogue
