#include "content_filter.h"

#include "catalogue/content_search.h"
#include "catalogue/text_encoding.h"
#include "runtime/directory_handle.h"
#include "runtime/io_error.h"

#include <QPromise>
#include <QtConcurrent>

#include <algorithm>
#include <thread>

namespace mapindex {

ContentMatch FindRowsContaining(const std::string &mapsDir, const SharedRows &rows, const QString &text,
                                const std::function<void(std::size_t done)> &progress, unsigned jobs,
                                const std::stop_token &stop)
{
    ContentMatch match;
    match.rows = rows;
    match.holds.assign(rows->size(), false);
    runtime::DirectoryHandle folder;
    try {
        const runtime::SavedIoCode keep;
        folder = runtime::DirectoryHandle::Open(mapsDir);
        runtime::CheckIo();
    } catch (const runtime::Exception &error) {
        match.error = error.what();
        return match;
    }

    std::vector<catalogue::ListedMap> maps;
    maps.reserve(rows->size());
    for (const IndexRow &row : *rows)
        maps.emplace_back(row.entry, RowPath(row)); // each row's own file, dots and all; below mapsDir
    // Map files hold Windows-1252, as the command line searches them.
    const std::string utf8 = text.toStdString();
    const std::string bytes = catalogue::Utf8ToWindows1252(utf8).value_or(utf8);
    const catalogue::ContentSearchResult result = catalogue::FindMapsContaining(
        folder.fd(), maps, bytes,
        [&](std::size_t done) {
            if (progress)
                progress(done);
            return !stop.stop_requested();
        },
        jobs, stop);

    match.cancelled = result.cancelled;
    for (const std::size_t i : result.matches)
        match.holds[i] = true;
    for (const catalogue::UnreadableMap &map : result.unreadable)
        match.unreadable.push_back({maps[map.index].entry, map.error.what()});
    return match;
}

ContentFilter::ContentFilter(QObject *parent)
    : QObject(parent), jobs_(std::max(1u, std::thread::hardware_concurrency()))
{
    connect(&watcher_, &QFutureWatcher<SharedContentMatch>::finished, this, &ContentFilter::onFinished);
    connect(&watcher_, &QFutureWatcher<SharedContentMatch>::progressValueChanged, this, &ContentFilter::progress);
}

ContentFilter::~ContentFilter()
{
    cancel();
    watcher_.waitForFinished();
}

bool ContentFilter::isKept(const SharedRows &rows, const QString &text) const
{
    return rows == keptOf_ && kept_.contains(text);
}

void ContentFilter::search(const std::string &mapsDir, const SharedRows &rows, const QString &text)
{
    const bool sameRows = rows == keptOf_;
    if (!sameRows) {
        kept_.clear();
        keptOf_ = rows;
    }
    if (isRunning()) {
        if (sameRows && text == running_)
            return;
        // One search at a time: the stopped one ends at its next read.
        stop_.request_stop();
        watcher_.waitForFinished();
    }
    running_.clear();
    if (text.isEmpty()) {
        emit matched(nullptr);
        return;
    }
    if (const auto found = kept_.constFind(text); found != kept_.constEnd()) {
        emit matched(*found);
        return;
    }

    running_ = text;
    stop_ = std::stop_source();
    const unsigned jobs = jobs_;
    // Copies only: the search never touches this object.
    watcher_.setFuture(
        QtConcurrent::run([mapsDir, rows, text, jobs, stop = stop_.get_token()](QPromise<SharedContentMatch> &promise) {
            promise.setProgressRange(0, static_cast<int>(rows->size()));
            auto match = std::make_shared<ContentMatch>(FindRowsContaining(
                mapsDir, rows, text, [&promise](std::size_t done) { promise.setProgressValue(static_cast<int>(done)); },
                jobs, stop));
            promise.addResult(SharedContentMatch(std::move(match)));
        }));
    emit started(static_cast<int>(rows->size()));
}

void ContentFilter::cancel()
{
    if (isRunning())
        stop_.request_stop();
}

void ContentFilter::onFinished()
{
    const QFuture<SharedContentMatch> future = watcher_.future();
    if (running_.isEmpty() || !future.isFinished() || future.resultCount() == 0)
        return; // the end of a search stopped for another, which reports for itself
    const QString text = std::exchange(running_, QString());
    const SharedContentMatch match = future.result();
    if (match->cancelled) {
        emit cancelled();
        return;
    }
    if (!match->error && match->rows == keptOf_)
        kept_.insert(text, match);
    emit matched(match);
}

} // namespace mapindex
