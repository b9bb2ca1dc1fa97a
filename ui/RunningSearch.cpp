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
    return [](int mapsDirFd, const std::vector<catalogue::ListedMap> &maps, std::string_view text,
              const catalogue::SearchProgress &progress, unsigned jobs, const std::stop_token &stop) {
        return catalogue::FindMapsContaining(mapsDirFd, maps, text, progress, jobs, stop);
    };
}

} // namespace

void SetContentSearchFunction(ContentSearchFunction search)
{
    replacedSearch() = std::move(search);
}

RunningSearch::RunningSearch(runtime::DirectoryHandle folder, std::vector<catalogue::ListedMap> maps, std::string text,
                             QObject *parent)
    : QObject(parent), folder_(std::move(folder)), maps_(std::move(maps)), text_(std::move(text))
{
    connect(&watcher_, &QFutureWatcherBase::progressValueChanged, this, &RunningSearch::progressed);
    connect(&watcher_, &QFutureWatcherBase::finished, this, &RunningSearch::finished);
    const unsigned jobs = std::max(1U, std::thread::hardware_concurrency());
    // The worker reads only these members, which live until it has ended.
    auto work = [search = searchToRun(), fd = folder_.fd(), &maps = maps_, text = std::string_view(text_), jobs,
                 stop = stop_.get_token()](QPromise<SearchOutcome> &promise) {
        promise.setProgressRange(0, static_cast<int>(maps.size()));
        SearchOutcome outcome;
        try {
            outcome.result = search(
                fd, maps, text,
                [&promise](std::size_t done) {
                    promise.setProgressValue(static_cast<int>(done));
                    return !promise.isCanceled();
                },
                jobs, stop);
        } catch (...) {
            outcome.failure = std::current_exception();
        }
        promise.addResult(std::move(outcome));
    };
    watcher_.setFuture(QtConcurrent::run(std::move(work)));
}

RunningSearch::~RunningSearch()
{
    stop_.request_stop();
    QFuture<SearchOutcome> future = watcher_.future();
    future.cancel();
    future.waitForFinished();
}

void RunningSearch::cancel()
{
    cancelRequested_ = true;
    stop_.request_stop();
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
