#pragma once

#include <string>
#include <vector>

namespace ui {

// The rows of the chooser's folder list for the folder it has open.

enum class FolderRowKind { OpenAncestor, OpenFolder, ClosedSubfolder };

struct FolderRow {
    std::string text; // raw bytes as stored
    FolderRowKind kind = FolderRowKind::ClosedSubfolder;
    int indent = 0;   // pixels before the picture
    std::string path; // the folder that opening this row enters
};

// The root and every folder down to the open one, then its visible
// subfolders sorted without regard to case. Empty for an unknown folder.
std::vector<FolderRow> BuildFolderRows(const std::string &directory);

// Index of the open folder's row; -1 when there are no rows.
int OpenFolderRow(const std::vector<FolderRow> &rows);

} // namespace ui
