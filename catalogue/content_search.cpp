#include "content_search.h"

#include "map_chunk_reader.h"
#include "map_scan.h"
#include "runtime/byte_strings.h"
#include "runtime/io_checked_file.h"

#include <algorithm>

namespace catalogue {
namespace {

constexpr std::size_t ChunkSize = 64 * 1024;

bool mapContains(int mapsDirFd, const std::string &entry, std::string_view text, std::vector<char> &buffer)
{
    runtime::IoCheckedFile file;
    runtime::BindPath(file, MapFileName(entry), mapsDirFd);
    runtime::OpenBlockFile(file, 1);
    runtime::CheckIo();
    bool hit = false;
    if (!text.empty()) {
        MapChunkReader reader(file, buffer);
        hit = ChunksContain(reader, text);
    }
    runtime::CloseIoFile(file);
    runtime::CheckIo();
    return hit;
}

} // namespace

bool ChunksContain(MapChunkReader &reader, std::string_view text)
{
    // The last text.size() - 1 bytes seen so far, for a text that runs over
    // from one chunk into the next.
    std::string carry;
    const std::size_t keep = text.size() - 1;
    while (const auto chunk = reader.next()) {
        if (!carry.empty()) {
            std::string across = carry;
            across.append(chunk->substr(0, keep));
            if (runtime::ContainsBytes(across, text))
                return true;
        }
        if (runtime::ContainsBytes(*chunk, text))
            return true;
        carry.append(chunk->substr(chunk->size() - std::min(chunk->size(), keep)));
        if (carry.size() > keep)
            carry.erase(0, carry.size() - keep);
    }
    return false;
}

ContentSearchResult FindMapsContaining(int mapsDirFd, const std::vector<std::string> &entries, std::string_view text,
                                       const SearchProgress &progress, unsigned)
{
    ContentSearchResult result;
    std::vector<char> buffer(ChunkSize);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        try {
            if (mapContains(mapsDirFd, entries[i], text, buffer))
                result.matches.push_back(i);
        } catch (const runtime::EInOutError &error) {
            result.error = error;
            result.failedIndex = i;
            return result;
        }
        if (progress && !progress(i + 1)) {
            result.cancelled = true;
            return result;
        }
    }
    return result;
}

} // namespace catalogue
