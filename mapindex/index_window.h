#pragma once

#include "collection_loader.h"
#include "export_dialog.h"
#include "folder_choice.h"
#include "index_row.h"
#include "row_export.h"

#include "catalogue/program_state.h"
#include "runtime/directory_handle.h"

#include <QMainWindow>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QTableView;

namespace mapindex {

class ChangeLegend;
class ContentField;
class IndexModel;
class TablePlaceholder;

class IndexWindow final : public QMainWindow {
    Q_OBJECT

public:
    explicit IndexWindow(QWidget *parent = nullptr);
    ~IndexWindow() override;

    // The viewer and a maps folder given as a full path; starts the first reading.
    void open(const catalogue::ProgramState &state);
    // Shown instead of a reading when there is no folder to read.
    void showNotConfigured(const QString &text);
    // Opens folder with the viewer already known; remembered as the last folder.
    void openFolder(const std::string &folder);
    // File › Open Folder…: asks for a folder and opens it.
    void chooseFolder();
    // The viewer of "lister.txt" when there is one; else the one of the settings.
    void setViewerFromLister(bool fromLister) { viewerFromLister_ = fromLister; }

    IndexModel &model() const { return *model_; }
    CollectionLoader &loader() const { return *loader_; }
    const std::vector<ChangeNote> &changes() const { return changes_; }
    void setExportPicker(TableExportPicker picker) { exportPicker_ = std::move(picker); }
    void setChangesExportPicker(ExportPicker picker) { changesExportPicker_ = std::move(picker); }
    void setFolderPicker(FolderPicker picker) { folderPicker_ = std::move(picker); }
    void setViewerPicker(ViewerPicker picker) { viewerPicker_ = std::move(picker); }

signals:
    void tableFilled(); // every map has its row, from the cache or a reading
    void readingFinished();

private:
    void createActions();
    void createMenus();
    void fillRecentMenu();
    void chooseViewer();
    void updateActions();
    void createToolBar();
    void createCentralWidget();
    void createStatusBar();
    void createColumnMenus();
    void showFolderColumn();
    void noteFilterMatchingNothing();

    void includeSubfolders(bool include);
    void reload();
    void startReading(SharedRows previous);
    void onCachedRows();
    void onLoaded();
    void onLoadCancelled();
    void onLoadEnded();
    void openRow(const QModelIndex &index);
    void openMap(const std::string &fileName); // by its path below the folder
    void showInTable(const std::string &path); // selects its row, clearing filters that leave it out
    void exportShown();
    void copySelected();
    std::vector<const IndexRow *> selectedRows() const; // in the shown order
    ExportFields exportFields() const; // the shown columns Export and Copy write besides the fixed ones
    void showChanges();
    void markAllSeen();
    void noteMarksSaved(const std::optional<std::string> &error);
    void updateMarks();
    void updateStatus();
    void setUnreachable(std::vector<UnreachableFolder> folders);

    catalogue::ProgramState state_;
    runtime::DirectoryHandle mapsFolder_; // the folder of the rows shown
    IndexModel *model_ = nullptr;
    CollectionLoader *loader_ = nullptr;
    QTableView *table_ = nullptr;
    QLineEdit *filter_ = nullptr;
    ContentField *contents_ = nullptr;
    QLabel *status_ = nullptr;
    QLabel *unavailable_ = nullptr; // names the folders the last reading could not list
    QProgressBar *progress_ = nullptr;
    QPushButton *cancel_ = nullptr;
    QAction *reload_ = nullptr;
    QAction *export_ = nullptr;
    QAction *copy_ = nullptr;
    QAction *changesAction_ = nullptr;
    QAction *markSeen_ = nullptr;
    QAction *onlyMarked_ = nullptr;
    ChangeLegend *legend_ = nullptr;
    QAction *find_ = nullptr;
    QAction *findContents_ = nullptr;
    QAction *subfolders_ = nullptr;
    QAction *clearFilter_ = nullptr;
    QMenu *viewMenu_ = nullptr;
    bool filterNoteShown_ = false;    // the placeholder says the filter matches nothing
    std::vector<ChangeNote> removed_; // since the maps were last marked as seen
    std::vector<ChangeNote> changes_; // the marked rows, then removed_
    bool compared_ = false;
    // Folders the last reading could not list: their rows are shown as they were, but not opened.
    std::vector<UnreachableFolder> unreachable_;
    // How far the reading got, as its progress said; kept for the status
    // line when it is cancelled, until a reading ends.
    std::pair<int, int> checked_;
    std::optional<std::pair<int, int>> cancelledAt_;
    QString marksNotSaved_; // why the last save failed, for the status line
    TableExportPicker exportPicker_;
    ExportPicker changesExportPicker_;
    FolderPicker folderPicker_;
    ViewerPicker viewerPicker_;
    QMenu *recentMenu_ = nullptr;
    TablePlaceholder *placeholder_ = nullptr;
    bool viewerFromLister_ = false;
    bool restartWanted_ = false; // a reading of another folder or listing waits for the running one to stop
};

} // namespace mapindex
