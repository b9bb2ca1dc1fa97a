#include "content_filter.h"

#include "catalogue/content_search.h"
#include "catalogue/text_encoding.h"
#include "runtime/directory_handle.h"
#include "runtime/io_error.h"

#include <algorithm>
#include <thread>

namespace mapindex {

ContentMatch FindRowsContaining(const std::string &mapsDir, const SharedRows &rows, const QString &text,
                                const std::function<void(std::size_t done)> &progress, unsigned jobs,
                                const std::stop_token &stop, runtime::LetterCase letters)
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
        jobs, stop, letters, 0, runtime::OtherCase::Noted);

    match.cancelled = result.cancelled;
    for (const std::size_t i : result.matches)
        match.holds[i] = true;
    if (result.matches.empty())
        match.heldInAnotherCase = result.inAnotherCase.size();
    for (const catalogue::UnreadableMap &map : result.unreadable)
        match.unreadable.push_back({maps[map.index].entry, map.error.what()});
    return match;
}

ContentFilter::ContentFilter(QObject *parent)
    : QObject(parent), jobs_(std::max(1u, std::thread::hardware_concurrency())),
      job_([this](JobEnd<SharedContentMatch> end) { onEnded(std::move(end)); })
{
    job_.onProgress([this](int done, int) { emit progress(done); });
}

ContentFilter::~ContentFilter() = default;

bool ContentFilter::isKept(const SharedRows &rows, const QString &text, bool matchCase) const
{
    return rows == keptOf_ && kept_[matchCase].contains(text);
}

void ContentFilter::search(const std::string &mapsDir, const SharedRows &rows, const QString &text, bool matchCase)
{
    const bool sameRows = rows == keptOf_;
    if (!sameRows) {
        for (auto &kept : kept_)
            kept.clear();
        keptOf_ = rows;
    }
    if (isRunning() && sameRows && text == running_ && matchCase == runningMatchCase_)
        return;
    // One search at a time: the stopped one ends at its next read.
    job_.discard();
    running_.clear();
    if (text.isEmpty()) {
        emit matched(nullptr);
        return;
    }
    if (const auto found = kept_[matchCase].constFind(text); found != kept_[matchCase].constEnd()) {
        emit matched(*found);
        return;
    }

    running_ = text;
    runningMatchCase_ = matchCase;
    const unsigned jobs = jobs_;
    // Copies only: the search never touches this object.
    job_.start([mapsDir, rows, text, jobs, matchCase](const JobControl &control) -> std::optional<SharedContentMatch> {
        const int total = static_cast<int>(rows->size());
        auto match = std::make_shared<ContentMatch>(FindRowsContaining(
            mapsDir, rows, text, [&](std::size_t done) { control.progress(static_cast<int>(done), total); }, jobs,
            control.stopToken(), matchCase ? runtime::LetterCase::Exact : runtime::LetterCase::IgnoreWindows1252));
        if (match->cancelled)
            return std::nullopt;
        return match;
    });
    emit started(static_cast<int>(rows->size()));
}

void ContentFilter::cancel()
{
    job_.stop();
}

void ContentFilter::onEnded(JobEnd<SharedContentMatch> end)
{
    const QString text = std::exchange(running_, QString());
    const bool matchCase = runningMatchCase_;
    if (end.isStopped()) {
        emit cancelled();
        return;
    }
    SharedContentMatch match = end.isDone() ? end.value() : nullptr;
    if (const std::string *failure = end.failure()) {
        auto failed = std::make_shared<ContentMatch>();
        failed->rows = keptOf_;
        failed->holds.assign(keptOf_ ? keptOf_->size() : 0, false);
        failed->error = *failure;
        match = std::move(failed);
    }
    if (!match->error && match->rows == keptOf_)
        kept_[matchCase].insert(text, match);
    emit matched(match);
}

} // namespace mapindex
