#include "content_search.h"

#include "map_chunk_reader.h"
#include "map_read_ahead.h"
#include "map_scan.h"
#include "runtime/directory_match.h"
#include "runtime/io_checked_file.h"
#include "runtime/literal_search.h"
#include "runtime/ordered_work.h"
#include "runtime/read_buffer.h"
#include "tree_folders.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <optional>

namespace catalogue {
namespace {

// Read size, by measurement: large enough to keep system calls rare, small
// enough to stay in the cache between the copy and the match.
constexpr std::size_t ChunkSize = 128 * 1024;

// How much of each map opened ahead is asked for from a cold disk: whole maps
// as a rule. Only the first chunk left a thread reading the rest of a large
// map alone, one read in flight, and the cold search took a quarter longer.
constexpr std::size_t ReadAheadBytes = 2048 * 1024;

// From this many maps of unknown type on, the folder is listed once before
// the search: one pass tells every name's type, so no map needs a test of
// its own before it opens. A few maps in a large folder are cheaper tested
// one by one, and maps straight from a scan have their types already.
constexpr std::size_t ListFolderFrom = 64;

struct Outcome {
    bool hit = false;
    bool otherCase = false; // noting other case: held in one, and not exactly
    bool stopped = false;   // the stop came first: nobody takes this outcome
    std::optional<runtime::EInOutError> error;
};

// Searches one map at a time; one per thread, each with its own buffer.
// The maps come opened ahead of their turn (MapsAhead), so the storage
// serves several reads at once while this thread matches.
class MapSearcher final {
public:
    MapSearcher(MapsAhead &maps, std::string_view text, runtime::LetterCase letters, runtime::OtherCase other)
        : reader_(maps), text_(text), stream_(text, runtime::LiteralSearcher::Level::Avx2, letters, other),
          buffer_(ChunkSize)
    {}

    // Looks at stop before every chunk: a huge map or a hung file stops as
    // soon as its current read returns.
    Outcome search(std::size_t i, const runtime::WorkStop &stop, const runtime::WorkRun &run)
    {
        Outcome outcome;
        stream_.reset();
        try {
            runtime::IoCheckedFile &file = reader_.file(i, run);
            if (!text_.empty()) {
                MapChunkReader reader(file, buffer_.span());
                while (!outcome.hit) {
                    if (stop.requested()) {
                        outcome.stopped = true;
                        return outcome;
                    }
                    const auto chunk = reader.next();
                    if (!chunk)
                        break;
                    outcome.hit = stream_.feed(chunk->data(), chunk->size());
                }
            }
            runtime::CloseIoFile(file);
            runtime::CheckIo();
        } catch (const runtime::EInOutError &error) {
            if (!outcome.hit) // a text found before the failure counts
                outcome.error = error;
        }
        outcome.otherCase = !outcome.hit && stream_.foundInAnotherCase();
        return outcome;
    }

private:
    MapsAhead::Reader reader_;
    std::string_view text_;
    runtime::StreamSearcher stream_;
    runtime::ReadBuffer buffer_;
};

// Takes map i's outcome into result, as the search one map after another
// would; false when the search ends here.
bool takeOutcome(std::size_t i, Outcome &outcome, const SearchProgress &progress, ContentSearchResult &result)
{
    if (outcome.stopped) {
        result.cancelled = true;
        return false;
    }
    if (outcome.error)
        result.unreadable.push_back({i, std::move(*outcome.error)});
    else if (outcome.hit)
        result.matches.push_back(i);
    if (outcome.otherCase)
        result.inAnotherCase.push_back(i);
    if (progress && !progress(i + 1)) {
        result.cancelled = true;
        return false;
    }
    return true;
}

} // namespace

ContentSearchResult FindMapsContaining(int mapsDirFd, const std::vector<ListedMap> &maps, std::string_view text,
                                       const SearchProgress &progress, unsigned jobs, const std::stop_token &stop,
                                       runtime::LetterCase letters, unsigned ioDepth, runtime::OtherCase other)
{
    // The caller's stop request reaches every read at its next chunk.
    std::atomic<bool> cancel{false};
    const std::stop_callback follow(stop, [&cancel] { cancel.store(true, std::memory_order_relaxed); });
    ContentSearchResult result;
    TreeFolders tree(mapsDirFd); // a map listed in a subfolder opens there
    if (CountOfUntypedMaps(maps) >= ListFolderFrom)
        tree.topNames().listNow();
    MapsAhead ahead(
        maps.size(),
        [&](std::size_t i, runtime::IoCheckedFile &file) {
            OpenMapFile(file, tree, maps[i], ListedFileName(maps[i]), mapsDirFd);
        },
        text.empty() ? 0 : ReadAheadBytes, ioDepth, mapsDirFd);
    runtime::OrderedWorkOptions options;
    options.threads = std::clamp<unsigned>(jobs, 1, 1024);
    options.cancel = &cancel;
    // Maps differ in size a hundredfold: with a deep window a thread on a
    // large map does not hold the others up, and a run of 8 keeps 8 reads in
    // flight a thread. An outcome is a few bytes, so the depth costs nothing.
    options.run = 8;
    options.window = 16 * options.run * options.threads;
    const runtime::WorkEnd end = runtime::ForEachInOrder(
        maps.size(), options,
        [&] { // a buffer of each thread's own
            return [searcher = MapSearcher(ahead, text, letters, other)](
                       std::size_t i, const runtime::WorkStop &stopping, const runtime::WorkRun &run) mutable {
                return searcher.search(i, stopping, run);
            };
        },
        [&](std::size_t i, Outcome &outcome) { return takeOutcome(i, outcome, progress, result); });
    result.cancelled = result.cancelled || end == runtime::WorkEnd::Cancelled;
    return result;
}

} // namespace catalogue
