#include "content_search.h"

#include "map_chunk_reader.h"
#include "map_scan.h"
#include "runtime/directory_match.h"
#include "runtime/io_checked_file.h"
#include "runtime/literal_search.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

namespace catalogue {
namespace {

// Read size, by measurement: large enough to keep system calls rare, small
// enough to stay in the cache between the copy and the match.
constexpr std::size_t ChunkSize = 128 * 1024;

struct Outcome {
    bool hit = false;
    std::optional<runtime::EInOutError> error;
    std::exception_ptr unexpected; // anything else a worker met (out of memory): raised by the caller
};

// Searches one map at a time; one per thread, each with its own buffer.
class MapSearcher final {
public:
    MapSearcher(int mapsDirFd, const runtime::FolderNames &names, std::string_view text)
        : mapsDirFd_(mapsDirFd), names_(names), text_(text), stream_(text),
          buffer_(std::make_unique_for_overwrite<char[]>(ChunkSize)) // read into, never read first
    {}

    // stop, when set, ends the reading early with an outcome nobody uses.
    Outcome search(const std::string &entry, const std::atomic<bool> &stop)
    {
        try {
            runtime::IoCheckedFile file;
            OpenMapFile(file, names_, mapsDirFd_, entry, MapFileName(entry), mapsDirFd_);
            bool hit = false;
            if (!text_.empty()) {
                stream_.reset();
                MapChunkReader reader(file, {buffer_.get(), ChunkSize});
                while (!hit && !stop.load(std::memory_order_relaxed)) {
                    const auto chunk = reader.next();
                    if (!chunk)
                        break;
                    hit = stream_.feed(chunk->data(), chunk->size());
                }
            }
            runtime::CloseIoFile(file);
            runtime::CheckIo();
            return {hit, std::nullopt, nullptr};
        } catch (const runtime::EInOutError &error) {
            return {false, error, nullptr};
        }
    }

private:
    int mapsDirFd_;
    const runtime::FolderNames &names_;
    std::string_view text_;
    runtime::StreamSearcher stream_;
    std::unique_ptr<char[]> buffer_;
};

// Takes entry i's outcome into result, as the sequential search would;
// false when the search ends here.
bool takeOutcome(std::size_t i, Outcome &outcome, const SearchProgress &progress, ContentSearchResult &result)
{
    if (outcome.error) {
        result.error = std::move(outcome.error);
        result.failedIndex = i;
        return false;
    }
    if (outcome.hit)
        result.matches.push_back(i);
    if (progress && !progress(i + 1)) {
        result.cancelled = true;
        return false;
    }
    return true;
}

// Workers search the entries ahead of the caller, which takes the outcomes
// strictly in list order. At most window entries are ahead of the one being
// taken, so memory stays flat however long the list.
class SearchAhead final {
public:
    SearchAhead(int mapsDirFd, const runtime::FolderNames &names, const std::vector<std::string> &entries,
                std::string_view text, std::size_t threads)
        : entries_(entries), slots_(8 * threads)
    {
        for (std::size_t t = 0; t < threads; ++t)
            workers_.emplace_back([this, mapsDirFd, &names, text] { work(MapSearcher(mapsDirFd, names, text)); });
    }

    // Stops and joins the workers, also when taking raised.
    ~SearchAhead()
    {
        {
            const std::lock_guard lock(mutex_);
            stopped_.store(true);
        }
        room_.notify_all();
    }

    SearchAhead(const SearchAhead &) = delete;
    SearchAhead &operator=(const SearchAhead &) = delete;

    Outcome take(std::size_t i)
    {
        Outcome outcome;
        {
            std::unique_lock lock(mutex_);
            done_.wait(lock, [&] { return slots_[i % slots_.size()].has_value(); });
            outcome = std::move(*slots_[i % slots_.size()]);
            slots_[i % slots_.size()].reset();
            taken_ = i + 1;
        }
        room_.notify_all();
        if (outcome.unexpected)
            std::rethrow_exception(outcome.unexpected);
        return outcome;
    }

private:
    void work(MapSearcher searcher)
    {
        for (;;) {
            std::size_t i;
            {
                std::unique_lock lock(mutex_);
                room_.wait(
                    lock, [&] { return stopped_ || claimed_ >= entries_.size() || claimed_ < taken_ + slots_.size(); });
                if (stopped_ || claimed_ >= entries_.size())
                    return;
                i = claimed_++;
            }
            Outcome outcome;
            try {
                outcome = searcher.search(entries_[i], stopped_);
            } catch (...) {
                outcome.unexpected = std::current_exception();
            }
            {
                const std::lock_guard lock(mutex_);
                slots_[i % slots_.size()] = std::move(outcome);
            }
            done_.notify_one();
        }
    }

    const std::vector<std::string> &entries_;
    std::mutex mutex_;
    std::condition_variable room_;              // a slot came free, or the search stops
    std::condition_variable done_;              // a slot was filled
    std::vector<std::optional<Outcome>> slots_; // entry i's outcome sits at i % size
    std::size_t claimed_ = 0;                   // entries handed to workers
    std::size_t taken_ = 0;                     // entries taken in order
    std::atomic<bool> stopped_{false};
    std::vector<std::jthread> workers_; // last: joined before the rest goes
};

} // namespace

bool ChunksContain(MapChunkReader &reader, std::string_view text)
{
    runtime::StreamSearcher stream(text);
    while (const auto chunk = reader.next()) {
        if (stream.feed(chunk->data(), chunk->size()))
            return true;
    }
    return false;
}

ContentSearchResult FindMapsContaining(int mapsDirFd, const std::vector<std::string> &entries, std::string_view text,
                                       const SearchProgress &progress, unsigned jobs)
{
    ContentSearchResult result;
    const runtime::FolderNames names(mapsDirFd);
    const std::size_t threads = std::min<std::size_t>(std::clamp<unsigned>(jobs, 1, 1024), entries.size());
    if (threads <= 1) {
        MapSearcher searcher(mapsDirFd, names, text);
        const std::atomic<bool> never{false};
        for (std::size_t i = 0; i < entries.size(); ++i) {
            Outcome outcome = searcher.search(entries[i], never);
            if (!takeOutcome(i, outcome, progress, result))
                break;
        }
        return result;
    }
    SearchAhead ahead(mapsDirFd, names, entries, text, threads);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        Outcome outcome = ahead.take(i);
        if (!takeOutcome(i, outcome, progress, result))
            break;
    }
    return result;
}

} // namespace catalogue
