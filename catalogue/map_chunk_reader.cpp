#include "map_chunk_reader.h"

#include "map_scan.h"
#include "runtime/directory_match.h"

#include <algorithm>

namespace catalogue {

void OpenMapFile(runtime::IoCheckedFile &file, const runtime::FolderNames &names, int mapsDirFd,
                 const std::string &entry, const std::string &messagePath, int relativeTo)
{
    const std::string name = MapFileName(entry);
    const bool inFolder = name.find('/') == std::string::npos;
    const std::string first = inFolder ? names.resolve(name) : std::string();
    if (inFolder)
        runtime::BindResolvedPath(file, messagePath, relativeTo, mapsDirFd, first);
    else
        runtime::BindPath(file, messagePath, relativeTo); // resolved on open, as a path
    runtime::OpenBlockFile(file, 1);
    if (inFolder && runtime::PendingIoCode() == runtime::IoCode::FileNotFound) {
        const std::string other = names.resolveAfterMiss(name);
        if (other != first) {
            runtime::ClearIoCode();
            runtime::BindResolvedPath(file, messagePath, relativeTo, mapsDirFd, other);
            runtime::OpenBlockFile(file, 1);
        }
    }
    runtime::CheckIo();
}

std::optional<std::string_view> MapChunkReader::next(std::size_t most)
{
    if (failure_)
        throw *failure_;
    const bool atEnd = runtime::BlockFileAtEnd(file_);
    runtime::CheckIo();
    if (atEnd)
        return std::nullopt;
    const std::size_t got = runtime::ReadBlock(file_, buffer_.data(), std::min(most, buffer_.size()));
    try {
        runtime::CheckIo();
    } catch (const runtime::EInOutError &error) {
        if (got == 0)
            throw;
        failure_ = error;
    }
    if (got == 0)
        return std::nullopt;
    return std::string_view(buffer_.data(), got);
}

} // namespace catalogue
