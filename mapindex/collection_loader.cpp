#include "collection_loader.h"

#include "changes.h"
#include "index_cache.h"

#include "runtime/io_error.h"
#include "runtime/memory_return.h"

#include <QThread>

#include <algorithm>
#include <memory>

namespace mapindex {
namespace {

using CachedRowsSink = std::function<void(SharedRows, std::vector<ChangeNote>)>;

// Saves the result's rows and removed maps; they come back merged with what
// another Map Index saved meanwhile.
void save(CacheFile &cache, LoadResult &result)
{
    CacheSave saved = cache.save({std::move(result.rows), std::move(result.removed)});
    result.rows = std::move(saved.index.rows);
    result.removed = std::move(saved.index.removed);
    result.saveError = std::move(saved.error);
    if (saved.tookTheirs)
        result.sameAsShown = false;
}

std::optional<LoadResult> load(const JobControl &control, const std::string &mapsDir, bool subfolders,
                               SharedRows previous, std::vector<ChangeNote> removedBefore, const RecordReader &reader,
                               const CachedRowsSink &showCached, CacheFile &cache)
{
    LoadResult result;
    if (!previous) {
        // The window and this reading share the rows.
        if (auto cached = cache.load([&](const SharedCache &shown) { showCached(shown.rows, shown.removed); })) {
            previous = std::move(cached->rows);
            removedBefore = std::move(cached->removed);
        }
    }
    result.compared = previous != nullptr;

    ReadRequest request;
    request.mapsDir = mapsDir;
    request.subfolders = subfolders;
    request.previous = previous.get();
    request.reader = reader;
    request.jobs = static_cast<unsigned>(std::max(1, QThread::idealThreadCount()));
    request.stop = [&control] { return control.stopRequested(); };
    request.progress = [&control](std::size_t done, std::size_t total) {
        control.progress(static_cast<int>(done), static_cast<int>(total)); // Qt passes on a few per second
    };
    ReadOutcome outcome;
    try {
        outcome = ReadCollection(request);
    } catch (const runtime::EInOutError &error) {
        // The folder itself cannot be listed: the rows shown, their marks, the
        // removed maps and the cache stand until it can be, so nothing is lost
        // while a disk is unplugged or a share unmounted.
        result.unreachable.push_back(Unreachable(error, {}));
        result.sameAsShown = true;
        result.removed = std::move(removedBefore);
        return result;
    }
    if (outcome.cancelled)
        return std::nullopt;
    result.unreachable = std::move(outcome.unreachable);
    if (outcome.sameAsPrevious) {
        // Every map as the previous reading left it: the rows shown, their
        // marks, the removed maps and the cache all stand.
        result.sameAsShown = true;
        result.removed = std::move(removedBefore);
        if (previous->empty() && !subfolders)
            result.subfolderMaps = SubfoldersHoldMaps(mapsDir);
        if (cache.owed()) { // a save failed before: these rows and marks are not in the cache
            result.rows = *previous;
            save(cache, result);
        }
        return result;
    }
    result.rows = std::move(outcome.rows);
    result.mapsRead = outcome.mapsRead;
    if (result.rows.empty() && !subfolders)
        result.subfolderMaps = SubfoldersHoldMaps(mapsDir);
    if (previous)
        result.removed = MarkChanges(result.rows, *previous, removedBefore);
    // A cache that already holds exactly these rows and marks is left alone,
    // and the rows shown stay as they are.
    result.sameAsShown =
        previous && result.mapsRead == 0 && result.removed == removedBefore && *previous == result.rows;
    previous.reset(); // done with (the window may hold them still)
    if (!result.sameAsShown || cache.owed())
        save(cache, result);
    return result;
}

} // namespace

CollectionLoader::CollectionLoader(QObject *parent)
    : QObject(parent), job_([this](JobEnd<LoadResult> end) { onEnded(std::move(end)); })
{
    // A reading lets go of the cache file's bytes and of the folder's listing,
    // each many megabytes on a large collection: they go back at once.
    runtime::ReturnLargeBlocksWhenFreed();
    job_.onProgress([this](int done, int total) { emit progress(done, total); });
}

CollectionLoader::~CollectionLoader() = default;

void CollectionLoader::start(const std::string &mapsDir, bool subfolders, SharedRows previous,
                             std::vector<ChangeNote> removed)
{
    if (job_.isRunning())
        return;
    mapsDir_ = mapsDir;
    const std::string key = CacheKey(mapsDir, subfolders);
    if (!cache_ || cache_->key() != key)
        cache_ = std::make_shared<CacheFile>(key);
    cached_ = {};
    cachedRemoved_.clear();
    // Posted to this object, so it is dropped if the loader is gone first.
    const CachedRowsSink showCached = [this](SharedRows cached, std::vector<ChangeNote> cachedRemoved) {
        QMetaObject::invokeMethod(
            this,
            [this, cached = std::move(cached), cachedRemoved = std::move(cachedRemoved)] {
                cached_ = cached;
                cachedRemoved_ = cachedRemoved;
                emit cachedRowsReady();
            },
            Qt::QueuedConnection);
    };
    // The rows are shared with the worker, which lets go of them when done.
    auto before = std::make_shared<SharedRows>(std::move(previous));
    auto removedBefore = std::make_shared<std::vector<ChangeNote>>(std::move(removed));
    job_.start([mapsDir, subfolders, reader = reader_, showCached, before, removedBefore,
                cache = cache_](const JobControl &control) {
        return load(control, mapsDir, subfolders, std::move(*before), std::move(*removedBefore), reader, showCached,
                    *cache);
    });
}

CacheSave CollectionLoader::saveMarks(std::vector<IndexRow> rows, std::vector<ChangeNote> removed)
{
    if (!cache_ || job_.isRunning())
        return {{std::move(rows), std::move(removed)}, false, std::string("A reading is running.")};
    return cache_->save({std::move(rows), std::move(removed)});
}

void CollectionLoader::cancel()
{
    job_.stop();
}

void CollectionLoader::onEnded(JobEnd<LoadResult> end)
{
    if (end.isStopped()) {
        emit cancelled();
        return;
    }
    if (const std::string *failure = end.failure()) {
        result_ = {};
        result_.error = mapsDir_ + ": " + *failure;
    } else {
        result_ = std::move(end.value());
    }
    mapsRead_ = result_.mapsRead;
    emit finished();
}

LoadResult CollectionLoader::takeResult()
{
    return std::exchange(result_, {});
}

} // namespace mapindex
