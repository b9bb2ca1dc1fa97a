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

using CachedRowsSink = std::function<void(SharedRows)>;

// The rows carry no marks of an earlier reading.
bool shownUnmarked(const std::vector<IndexRow> &rows)
{
    return std::none_of(rows.begin(), rows.end(), [](const IndexRow &row) { return row.change != Change::None; });
}

LoadResult load(QPromise<LoadResult> &promise, const std::string &mapsDir, SharedRows previous,
                const RecordReader &reader, const CachedRowsSink &showCached)
{
    LoadResult result;
    const QString cachePath = CacheFilePath(mapsDir);
    if (!previous) {
        if (auto cached = LoadCache(cachePath, mapsDir)) {
            previous = std::make_shared<const std::vector<IndexRow>>(std::move(*cached));
            showCached(previous); // the window and this reading share them
        }
    }
    result.compared = previous != nullptr;

    ReadRequest request;
    request.mapsDir = mapsDir;
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
        if (outcome.sameAsPrevious) { // the cache stays as it is, and so do the rows shown unless they carry marks
            result.sameAsShown = shownUnmarked(*previous);
            if (!result.sameAsShown) {
                result.rows = *previous;
                for (IndexRow &row : result.rows)
                    row.change = Change::None;
            }
            return result;
        }
        result.rows = std::move(outcome.rows);
        result.mapsRead = outcome.mapsRead;
    } catch (const std::exception &error) {
        result.error = mapsDir + ": " + error.what();
        return result;
    }
    if (previous)
        result.changes = MarkChanges(result.rows, *previous);
    // A cache that already holds exactly these rows is left alone.
    const bool unchanged =
        previous && result.mapsRead == 0 && result.changes.empty() && previous->size() == result.rows.size();
    // The rows shown equal these unless they still carry the last reading's marks.
    result.sameAsShown = unchanged && shownUnmarked(*previous);
    previous.reset(); // done with (the window may hold them still)
    if (!unchanged)
        SaveCache(cachePath, mapsDir, result.rows); // a failure only costs the next start its speed
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

void CollectionLoader::start(const std::string &mapsDir, SharedRows previous)
{
    if (watcher_.isRunning())
        return;
    cached_ = {};
    // Posted to this object, so it is dropped if the loader is gone first.
    const CachedRowsSink showCached = [this](SharedRows cached) {
        QMetaObject::invokeMethod(
            this,
            [this, cached = std::move(cached)] {
                cached_ = cached;
                emit cachedRowsReady();
            },
            Qt::QueuedConnection);
    };
    pending_ = true;
    watcher_.setFuture(QtConcurrent::run(
        [mapsDir, reader = reader_, showCached](QPromise<LoadResult> &promise, SharedRows before) {
            LoadResult result = load(promise, mapsDir, std::move(before), reader, showCached);
            if (!promise.isCanceled())
                promise.addResult(std::move(result));
        },
        std::move(previous)));
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
