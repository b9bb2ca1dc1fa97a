#include "RunningSearch.h"

#include <QPromise>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <thread>

namespace ui {

namespace {

ContentSearchFunction &replacedSearch()
{
    static ContentSearchFunction search;
    return search;
}

ContentSearchFunction searchToRun()
{
    if (replacedSearch())
        return replacedSearch();
    return [](int mapsDirFd, const std::vector<std::string> &entries, std::string_view text,
              const catalogue::SearchProgress &progress,
              unsigned jobs) { return catalogue::FindMapsContaining(mapsDirFd, entries, text, progress, jobs); };
}

} // namespace

void SetContentSearchFunction(ContentSearchFunction search)
{
    replacedSearch() = std::move(search);
}

RunningSearch::RunningSearch(runtime::DirectoryHandle maps, std::vector<std::string> entries, std::string text,
                             QObject *parent)
    : QObject(parent), maps_(std::move(maps)), entries_(std::move(entries)), text_(std::move(text))
{
    connect(&watcher_, &QFutureWatcherBase::progressValueChanged, this, &RunningSearch::progressed);
    connect(&watcher_, &QFutureWatcherBase::finished, this, &RunningSearch::finished);
    const unsigned jobs = std::max(1U, std::thread::hardware_concurrency());
    // The worker reads only these members, which live until it has ended.
    auto work = [search = searchToRun(), fd = maps_.fd(), &entries = entries_, text = std::string_view(text_),
                 jobs](QPromise<SearchOutcome> &promise) {
        promise.setProgressRange(0, static_cast<int>(entries.size()));
        SearchOutcome outcome;
        try {
            outcome.result = search(
                fd, entries, text,
                [&promise](std::size_t done) {
                    promise.setProgressValue(static_cast<int>(done));
                    return !promise.isCanceled();
                },
                jobs);
        } catch (...) {
            outcome.failure = std::current_exception();
        }
        promise.addResult(std::move(outcome));
    };
    watcher_.setFuture(QtConcurrent::run(std::move(work)));
}

RunningSearch::~RunningSearch()
{
    QFuture<SearchOutcome> future = watcher_.future();
    future.cancel();
    future.waitForFinished();
}

void RunningSearch::cancel()
{
    cancelRequested_ = true;
    watcher_.future().cancel();
}

SearchOutcome RunningSearch::outcome() const
{
    const QFuture<SearchOutcome> future = watcher_.future();
    if (cancelRequested_ || !future.isFinished() || future.resultCount() == 0)
        return {};
    return future.result();
}

} // namespace ui
