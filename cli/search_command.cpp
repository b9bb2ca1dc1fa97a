#include "search_command.h"

#include "catalogue/content_search.h"
#include "catalogue/map_scan.h"
#include "catalogue/map_search.h"
#include "catalogue/map_tree.h"
#include "catalogue/text_encoding.h"
#include "errors.h"
#include "quoting.h"
#include "runtime/byte_strings.h"
#include "runtime/directory_handle.h"
#include "terminal_views.h"

#include <thread>

namespace cli {
namespace {

unsigned threadCount(unsigned jobs)
{
    return jobs != 0 ? jobs : std::max(1u, std::thread::hardware_concurrency());
}

// Reports an error with the progress line out of its way.
template <class Error>
void reportBeside(TerminalProgress &progress, const Streams &streams, const std::string &path, const Error &error)
{
    progress.setVisible(false);
    ReportError(streams, path, error);
    progress.setVisible(true);
}

// One folder's matches, in listing order.
class FolderSearch final {
public:
    FolderSearch(int mapsFd, const std::string &dir, const Options &options, const Streams &streams)
        : mapsFd_(mapsFd), dir_(dir), options_(options), streams_(streams),
          bytes_(options.content ? catalogue::Utf8ToWindows1252(options.operands[0]).value_or(options.operands[0])
                                 : options.operands[0])
    {}

    // Adds folder's matching maps to names; false when something in it could
    // not be read.
    bool search(const IndexFolder &folder, TerminalProgress &progress, std::vector<std::string> &names)
    {
        const std::string path = catalogue::FolderPath(dir_, folder.folder);
        if (folder.error) {
            reportBeside(progress, streams_, path, *folder.error);
            return false;
        }
        if (!options_.content) {
            for (const auto &map : folder.maps) {
                if (runtime::ContainsBytes(map.entry, bytes_))
                    names.push_back(ListedName(folder.folder, map, options_));
            }
            return true;
        }
        // In the folder as the walk opened it, where it holds it open.
        runtime::DirectoryHandle opened;
        int fd = folder.handle.valid() ? folder.handle.fd() : mapsFd_;
        if (!folder.folder.empty() && !folder.handle.valid()) {
            opened = runtime::DirectoryHandle::Open(folder.folder, mapsFd_);
            try {
                runtime::CheckIo();
            } catch (const runtime::EInOutError &error) {
                reportBeside(progress, streams_, path, error);
                return false;
            }
            fd = opened.fd();
        }
        const int before = progress.position();
        const auto letters = options_.ignoreCase ? runtime::LetterCase::IgnoreWindows1252 : runtime::LetterCase::Exact;
        const catalogue::ContentSearchResult result = catalogue::FindMapsContaining(
            fd, folder.maps, bytes_,
            [&](std::size_t done) {
                progress.setPosition(before + static_cast<int>(done));
                return true;
            },
            threadCount(options_.jobs), {}, letters, options_.ioDepth);
        for (const auto &map : result.unreadable)
            reportBeside(progress, streams_, path + '/' + map.error.path(), map.error);
        for (const std::size_t i : result.matches)
            names.push_back(ListedName(folder.folder, folder.maps[i], options_));
        return result.unreadable.empty();
    }

private:
    int mapsFd_;
    const std::string &dir_;
    const Options &options_;
    const Streams &streams_;
    std::string bytes_; // the text, in Windows-1252 for a content search
};

} // namespace

std::string ListedName(const std::string &folder, const catalogue::ListedMap &map, const Options &options)
{
    const std::string &name = options.files ? map.file : map.entry;
    return folder.empty() ? name : folder + '/' + name;
}

void PrintNames(const std::vector<std::string> &names, const Options &options, const Streams &streams)
{
    for (const auto &name : names)
        streams.out << ForStream(name, streams.outIsTerminal) << (options.null ? '\0' : '\n');
}

int RunRecursiveSearch(int mapsFd, const std::string &dir, const std::vector<IndexFolder> &folders,
                       const Options &options, const Streams &streams)
{
    std::vector<std::string> names;
    bool unreadable = false;
    {
        TerminalProgress progress(streams.err, streams.errIsTerminal && options.content);
        std::size_t total = 0;
        for (const IndexFolder &folder : folders)
            total += folder.maps.size();
        progress.setMaximum(static_cast<int>(total));
        progress.setVisible(true);
        FolderSearch search(mapsFd, dir, options, streams);
        for (const IndexFolder &folder : folders) {
            if (!search.search(folder, progress, names))
                unreadable = true;
        }
    }
    if (names.empty()) {
        streams.err << catalogue::NoMapsFoundText << '\n';
        return unreadable ? ExitCode::Failure : ExitCode::NoMatch;
    }
    PrintNames(names, options, streams);
    streams.err << catalogue::MapsFoundText(static_cast<int>(names.size())) << '\n';
    return unreadable ? ExitCode::Failure : ExitCode::Success;
}

} // namespace cli
