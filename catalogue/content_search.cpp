#include "content_search.h"

#include "map_chunk_reader.h"
#include "map_scan.h"
#include "runtime/directory_match.h"
#include "runtime/io_checked_file.h"
#include "runtime/literal_search.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace catalogue {
namespace {

// Read size, by measurement: large enough to keep system calls rare, small
// enough to stay in the cache between the copy and the match.
constexpr std::size_t ChunkSize = 128 * 1024;

struct Outcome {
    bool hit = false;
    bool stopped = false; // the stop came first: nobody takes this outcome
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

    // Looks at stop before every chunk: a huge map or a hung file stops as
    // soon as its current read returns.
    Outcome search(const ListedMap &map, const std::stop_token &stop)
    {
        Outcome outcome;
        try {
            runtime::IoCheckedFile file;
            OpenMapFile(file, names_, mapsDirFd_, map, ListedFileName(map), mapsDirFd_);
            if (!text_.empty()) {
                stream_.reset();
                MapChunkReader reader(file, {buffer_.get(), ChunkSize});
                while (!outcome.hit) {
                    if (stop.stop_requested()) {
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
        return outcome;
    }

private:
    int mapsDirFd_;
    const runtime::FolderNames &names_;
    std::string_view text_;
    runtime::StreamSearcher stream_;
    std::unique_ptr<char[]> buffer_;
};

// Takes map i's outcome into result, as the search one map after another
// would; false when the search ends here.
bool takeOutcome(std::size_t i, Outcome &outcome, const SearchProgress &progress, ContentSearchResult &result)
{
    if (outcome.unexpected)
        std::rethrow_exception(outcome.unexpected);
    if (outcome.stopped) {
        result.cancelled = true;
        return false;
    }
    if (outcome.error)
        result.unreadable.push_back({i, std::move(*outcome.error)});
    else if (outcome.hit)
        result.matches.push_back(i);
    if (progress && !progress(i + 1)) {
        result.cancelled = true;
        return false;
    }
    return true;
}

// Workers search the maps ahead of the caller, which takes the outcomes
// strictly in list order. At most window maps are ahead of the one being
// taken, so memory stays flat however long the list. A stop request ends
// the workers' reads and every wait.
class SearchAhead final {
public:
    SearchAhead(int mapsDirFd, const runtime::FolderNames &names, const std::vector<ListedMap> &maps,
                std::string_view text, std::size_t threads, std::stop_source stopping)
        : maps_(maps), slots_(8 * threads), stopping_(std::move(stopping)),
          wake_(stopping_.get_token(), [this] { wakeAll(); })
    {
        for (std::size_t t = 0; t < threads; ++t)
            workers_.emplace_back([this, mapsDirFd, &names, text] { work(MapSearcher(mapsDirFd, names, text)); });
    }

    // Stops and joins the workers, also when taking raised.
    ~SearchAhead() { stopping_.request_stop(); }

    SearchAhead(const SearchAhead &) = delete;
    SearchAhead &operator=(const SearchAhead &) = delete;

    // Map i's outcome; nothing when the search was stopped before it came.
    std::optional<Outcome> take(std::size_t i)
    {
        Outcome outcome;
        {
            std::unique_lock lock(mutex_);
            auto &slot = slots_[i % slots_.size()];
            done_.wait(lock, [&] { return slot.has_value() || stopping_.stop_requested(); });
            if (!slot)
                return std::nullopt;
            outcome = std::move(*slot);
            slot.reset();
            taken_ = i + 1;
        }
        room_.notify_all();
        return outcome;
    }

private:
    // Passes through the lock first: a waiter then either sees the stop when
    // it tests, or is already waiting for this news.
    void wakeAll()
    {
        std::unique_lock lock(mutex_);
        lock.unlock();
        room_.notify_all();
        done_.notify_all();
    }

    void work(MapSearcher searcher)
    {
        const std::stop_token stop = stopping_.get_token();
        for (;;) {
            std::size_t i;
            {
                std::unique_lock lock(mutex_);
                room_.wait(lock, [&] {
                    return stop.stop_requested() || claimed_ >= maps_.size() || claimed_ < taken_ + slots_.size();
                });
                if (stop.stop_requested() || claimed_ >= maps_.size())
                    return;
                i = claimed_++;
            }
            Outcome outcome;
            try {
                outcome = searcher.search(maps_[i], stop);
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

    const std::vector<ListedMap> &maps_;
    std::mutex mutex_;
    std::condition_variable room_;              // a slot came free, or the search stops
    std::condition_variable done_;              // a slot was filled, or the search stops
    std::vector<std::optional<Outcome>> slots_; // map i's outcome sits at i % size
    std::size_t claimed_ = 0;                   // maps handed to workers
    std::size_t taken_ = 0;                     // maps taken in order
    std::stop_source stopping_;
    std::stop_callback<std::function<void()>> wake_;
    std::vector<std::jthread> workers_; // last: joined before the rest goes
};

} // namespace

ContentSearchResult FindMapsContaining(int mapsDirFd, const std::vector<ListedMap> &maps, std::string_view text,
                                       const SearchProgress &progress, unsigned jobs, const std::stop_token &stop)
{
    // One source stops every read: the caller's request, or progress saying no.
    std::stop_source stopping;
    const std::stop_callback follow(stop, [&stopping] { stopping.request_stop(); });
    const SearchProgress step = [&](std::size_t done) {
        if (!progress || progress(done))
            return true;
        stopping.request_stop();
        return false;
    };
    ContentSearchResult result;
    const runtime::FolderNames names(mapsDirFd);
    const std::size_t threads = std::min<std::size_t>(std::clamp<unsigned>(jobs, 1, 1024), maps.size());
    if (threads <= 1) {
        MapSearcher searcher(mapsDirFd, names, text);
        for (std::size_t i = 0; i < maps.size(); ++i) {
            if (stopping.stop_requested()) {
                result.cancelled = true;
                break;
            }
            Outcome outcome = searcher.search(maps[i], stopping.get_token());
            if (!takeOutcome(i, outcome, step, result))
                break;
        }
        return result;
    }
    SearchAhead ahead(mapsDirFd, names, maps, text, threads, stopping);
    for (std::size_t i = 0; i < maps.size(); ++i) {
        std::optional<Outcome> outcome = ahead.take(i);
        if (!outcome) {
            result.cancelled = true;
            break;
        }
        if (!takeOutcome(i, *outcome, step, result))
            break;
    }
    return result;
}

} // namespace catalogue
