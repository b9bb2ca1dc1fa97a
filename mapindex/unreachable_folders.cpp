#include "unreachable_folders.h"

#include "catalogue/map_tree.h"

#include <QFile>
#include <QString>

#include <algorithm>
#include <string_view>
#include <unordered_set>

namespace mapindex {
namespace {

// The folder or the file system that held it is gone: missing, not a folder,
// a device or share that no longer answers. It may come back as it was.
bool isAway(std::int32_t code)
{
    switch (code) {
    case runtime::IoCode::FileNotFound:
    case runtime::IoCode::PathNotFound:
    case runtime::IoCode::NotReady:
    case runtime::IoCode::DeviceIoFailure:
    case runtime::IoCode::HostErrorBase + ESTALE:
    case runtime::IoCode::HostErrorBase + ENOTCONN:
        return true;
    default:
        return false;
    }
}

// Whether a's folder comes before b's in the walk: a folder's own maps first,
// then the folders below it in byte order of their names.
bool walksBefore(std::string_view a, std::string_view b)
{
    const auto split = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    // Where they part: the end of a folder's path sorts first (its own maps),
    // then "/" (the folders below it), then the names' bytes.
    const auto rank = [](std::string_view::iterator at, std::string_view::iterator end) {
        return at == end ? -2 : *at == '/' ? -1 : static_cast<int>(static_cast<unsigned char>(*at));
    };
    return rank(split.first, a.end()) < rank(split.second, b.end());
}

} // namespace

UnreachableFolder Unreachable(const runtime::EInOutError &error, std::string folder, bool ownListed)
{
    return {std::move(folder), error.what(), isAway(error.code()), ownListed};
}

bool RowIsIn(const IndexRow &row, const std::string &folder)
{
    return folder.empty() || row.folder == folder
        || (row.folder.size() > folder.size() && row.folder.starts_with(folder) && row.folder[folder.size()] == '/');
}

bool RowIsIn(const IndexRow &row, const std::vector<UnreachableFolder> &folders)
{
    return std::any_of(folders.begin(), folders.end(), [&](const UnreachableFolder &unreachable) {
        return RowIsIn(row, unreachable.folder) && !(unreachable.ownListed && row.folder == unreachable.folder);
    });
}

bool MapIsIn(const std::string &path, const std::vector<UnreachableFolder> &folders)
{
    IndexRow row;
    if (const std::size_t slash = path.rfind('/'); slash != std::string::npos)
        row.folder = path.substr(0, slash);
    return RowIsIn(row, folders);
}

void KeepUnreachableRows(std::vector<IndexRow> &rows, const std::vector<IndexRow> &previous,
                         const std::vector<UnreachableFolder> &folders)
{
    if (folders.empty())
        return;
    std::unordered_set<std::string> listed;
    for (const IndexRow &row : rows)
        listed.insert(RowPath(row));
    const std::size_t before = rows.size();
    for (const IndexRow &row : previous)
        if (RowIsIn(row, folders) && !listed.contains(RowPath(row)))
            rows.push_back(row);
    if (rows.size() == before)
        return;
    // Each folder's rows are together and in listing order; only the folders are put in place.
    std::stable_sort(rows.begin(), rows.end(),
                     [](const IndexRow &a, const IndexRow &b) { return walksBefore(a.folder, b.folder); });
}

QString UnreachableText(const std::string &mapsDir, const std::vector<UnreachableFolder> &folders)
{
    if (folders.empty())
        return {};
    const UnreachableFolder &first = folders.front();
    const QString name = QFile::decodeName(QByteArray::fromStdString(catalogue::FolderPath(mapsDir, first.folder)));
    QString text = first.away
        ? QStringLiteral("%1 is not available. Reconnect it and press F5").arg(name)
        : QStringLiteral("%1 cannot be read: %2").arg(name, QString::fromStdString(runtime::ReportText(first.message)));
    if (const auto more = static_cast<qlonglong>(folders.size() - 1); more > 0)
        text += QStringLiteral(" (and %1 more %2)")
                    .arg(more)
                    .arg(more == 1 ? QStringLiteral("folder") : QStringLiteral("folders"));
    return text;
}

} // namespace mapindex
