#include "collection_loader.h"

#include "changes.h"
#include "index_cache.h"

#include "runtime/memory_return.h"

#include <QPromise>
#include <QThread>
#include <QtConcurrent>

#include <algorithm>
#include <memory>
#include <mutex>

namespace mapindex {
namespace {

using CachedRowsSink = std::function<void(SharedRows, std::vector<ChangeNote>)>;

LoadResult load(QPromise<LoadResult> &promise, const std::string &mapsDir, bool subfolders, SharedRows previous,
                std::vector<ChangeNote> removedBefore, const RecordReader &reader, const CachedRowsSink &showCached)
{
    LoadResult result;
    const std::string cacheKey = CacheKey(mapsDir, subfolders);
    const QString cachePath = CacheFilePath(cacheKey);
    if (!previous) {
        if (auto cached = LoadCache(cachePath, cacheKey)) {
            previous = std::make_shared<const std::vector<IndexRow>>(std::move(cached->rows));
            removedBefore = std::move(cached->removed);
            showCached(previous, removedBefore); // the window and this reading share them
        }
    }
    result.compared = previous != nullptr;

    ReadRequest request;
    request.mapsDir = mapsDir;
    request.subfolders = subfolders;
    request.previous = previous.get();
    request.reader = reader;
    request.jobs = static_cast<unsigned>(std::max(1, QThread::idealThreadCount()));
    request.stop = [&promise] { return promise.isCanceled(); };
    std::once_flag range;
    request.progress = [&promise, &range](std::size_t done, std::size_t total) {
        std::call_once(range, [&] { promise.setProgressRange(0, static_cast<int>(total)); });
        promise.setProgressValue(static_cast<int>(done)); // Qt passes on a few per second
    };
    try {
        ReadOutcome outcome = ReadCollection(request);
        if (outcome.cancelled)
            return result;
        if (outcome.sameAsPrevious) {
            // Every map as the previous reading left it: the rows shown, their
            // marks, the removed maps and the cache all stand.
            result.sameAsShown = true;
            result.removed = std::move(removedBefore);
            if (previous->empty() && !subfolders)
                result.subfolderMaps = SubfoldersHoldMaps(mapsDir);
            return result;
        }
        result.rows = std::move(outcome.rows);
        result.mapsRead = outcome.mapsRead;
    } catch (const std::exception &error) {
        result.error = mapsDir + ": " + error.what();
        return result;
    }
    if (result.rows.empty() && !subfolders)
        result.subfolderMaps = SubfoldersHoldMaps(mapsDir);
    if (previous)
        result.removed = MarkChanges(result.rows, *previous, removedBefore);
    // A cache that already holds exactly these rows and marks is left alone,
    // and the rows shown stay as they are.
    result.sameAsShown =
        previous && result.mapsRead == 0 && result.removed == removedBefore && *previous == result.rows;
    previous.reset(); // done with (the window may hold them still)
    if (!result.sameAsShown)
        SaveCache(cachePath, cacheKey, result.rows,
                  result.removed); // a failure costs the next start its speed and marks
    return result;
}

} // namespace

CollectionLoader::CollectionLoader(QObject *parent) : QObject(parent)
{
    // A reading lets go of the cache file's bytes and of the folder's listing,
    // each many megabytes on a large collection: they go back at once.
    runtime::ReturnLargeBlocksWhenFreed();
    connect(&watcher_, &QFutureWatcher<LoadResult>::progressValueChanged, this,
            [this](int value) { emit progress(value, watcher_.progressMaximum()); });
    connect(&watcher_, &QFutureWatcher<LoadResult>::finished, this, &CollectionLoader::onFinished);
}

CollectionLoader::~CollectionLoader()
{
    // A taken result leaves the future invalid, and waiting on it would never end.
    if (watcher_.isRunning()) {
        watcher_.cancel();
        watcher_.waitForFinished();
    }
}

void CollectionLoader::start(const std::string &mapsDir, bool subfolders, SharedRows previous,
                             std::vector<ChangeNote> removed)
{
    if (watcher_.isRunning())
        return;
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
    pending_ = true;
    watcher_.setFuture(QtConcurrent::run(
        [mapsDir, subfolders, reader = reader_, showCached](QPromise<LoadResult> &promise, SharedRows before,
                                                            std::vector<ChangeNote> removedBefore) {
            LoadResult result =
                load(promise, mapsDir, subfolders, std::move(before), std::move(removedBefore), reader, showCached);
            if (!promise.isCanceled())
                promise.addResult(std::move(result));
        },
        std::move(previous), std::move(removed)));
}

void CollectionLoader::cancel()
{
    watcher_.cancel();
}

void CollectionLoader::onFinished()
{
    // Once its result is taken the future holds no state, and the worker's
    // promise, let go after that, reports a cancel and a second end.
    if (!pending_)
        return;
    pending_ = false;
    if (watcher_.isCanceled() || watcher_.future().resultCount() == 0) {
        emit cancelled();
        return;
    }
    emit finished();
}

LoadResult CollectionLoader::takeResult()
{
    return watcher_.future().takeResult();
}

} // namespace mapindex
