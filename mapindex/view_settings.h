#pragma once

#include <QString>

#include <string>
#include <vector>

class QMainWindow;
class QTableView;

namespace mapindex {

// Map Index's settings file: "map-utility/map-index.conf" in the XDG config
// folder (a relative XDG_CONFIG_HOME is ignored). Nothing is written into the
// maps folder.
QString SettingsFilePath();

// Restores the window's size and place and the table's columns and sort as
// they were left, and keeps them when the window closes. Until the user sizes
// a column, the columns are fitted to the rows whenever new rows arrive, and
// a column to its texts when it is shown.
void KeepView(QMainWindow *window, QTableView *table);

// Folders as bytes, the most recent first; at most RecentFolderLimit.
inline constexpr std::size_t RecentFolderLimit = 8;
std::vector<std::string> RecentFolders();
void NoteFolderOpened(const std::string &folder);
std::vector<std::string> WithRecentFolder(std::vector<std::string> recent, const std::string &folder);

// View › Include Subfolders, as it was last left for folder (off at first).
bool IncludesSubfolders(const std::string &folder);
void SetIncludesSubfolders(const std::string &folder, bool include);

// The Folder column while subfolders are included, unless hidden from View › Columns.
bool ShowsFolderColumn();
void SetShowsFolderColumn(bool show);

// The viewer chosen in Settings › Viewer…, used when there is no "lister.txt".
std::string SettingsViewer();
void SetSettingsViewer(const std::string &viewer);

// The "Aa" toggle beside the contents field: whether case matters there
// (on at first, as the contents search has always been).
bool ContentsMatchCase();
void SetContentsMatchCase(bool matchCase);

// Where the Export dialog opens: where the last export went, else the
// documents folder, else home; never inside the maps folder.
QString ExportFolder(const std::string &mapsFolder);
void NoteExport(const QString &file);

} // namespace mapindex
