#pragma once

#include "index_row.h"

#include "runtime/io_error.h"

class QString;

#include <string>
#include <vector>

namespace mapindex {

// A folder of the collection that a reading could not list. Its rows stay as
// the reading before left them, marks and all, until it can be listed again.
struct UnreachableFolder {
    std::string folder;     // below the folder read, "/" between names; "" for the folder itself
    std::string message;    // why it could not be listed
    bool away = false;      // gone (renamed, unplugged, unmounted) rather than refused to us
    bool ownListed = false; // its own maps were listed; only the folders below it were not

    bool operator==(const UnreachableFolder &) const = default;
};

UnreachableFolder Unreachable(const runtime::EInOutError &error, std::string folder, bool ownListed = false);

// Whether row stands in folder or in a folder below it.
bool RowIsIn(const IndexRow &row, const std::string &folder);
bool RowIsIn(const IndexRow &row, const std::vector<UnreachableFolder> &folders);
// The same for a map's path below the folder read ("a/b/x.fcw").
bool MapIsIn(const std::string &path, const std::vector<UnreachableFolder> &folders);

// Adds to rows, as they were, the rows of previous in those folders that rows
// lacks, keeping the order of the folders' walk.
void KeepUnreachableRows(std::vector<IndexRow> &rows, const std::vector<IndexRow> &previous,
                         const std::vector<UnreachableFolder> &folders);

// One line for the status bar: the first folder, with how many more there are.
QString UnreachableText(const std::string &mapsDir, const std::vector<UnreachableFolder> &folders);

} // namespace mapindex
