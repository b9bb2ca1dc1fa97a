#pragma once

#include "collection_loader.h"
#include "index_row.h"

#include "catalogue/program_state.h"

#include <QMainWindow>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;

namespace mapindex {

class ContentField;
class IndexModel;

// Asks where to export; nothing on Cancel. Tests answer it in advance.
using ExportPicker = std::function<std::optional<QString>(QWidget *parent)>;

class IndexWindow final : public QMainWindow {
    Q_OBJECT

public:
    explicit IndexWindow(QWidget *parent = nullptr);
    ~IndexWindow() override;

    // The viewer and a maps folder given as a full path; starts the first reading.
    void open(const catalogue::ProgramState &state);
    // Shown instead of a reading when there is no folder to read.
    void showNotConfigured(const QString &text);

    IndexModel &model() const { return *model_; }
    CollectionLoader &loader() const { return *loader_; }
    const std::vector<ChangeNote> &changes() const { return changes_; }
    void setExportPicker(ExportPicker picker) { exportPicker_ = std::move(picker); }

signals:
    void tableFilled(); // every map has its row, from the cache or a reading
    void readingFinished();

private:
    void createActions();
    void createMenus();
    void createToolBar();
    void createCentralWidget();
    void createStatusBar();

    void reload();
    void onCachedRows();
    void onLoaded();
    void onLoadEnded();
    void openRow(const QModelIndex &index);
    void exportShown();
    void copySelected();
    void showChanges();
    void updateStatus();

    catalogue::ProgramState state_;
    IndexModel *model_ = nullptr;
    CollectionLoader *loader_ = nullptr;
    QTableView *table_ = nullptr;
    QLineEdit *filter_ = nullptr;
    ContentField *contents_ = nullptr;
    QLabel *status_ = nullptr;
    QProgressBar *progress_ = nullptr;
    QPushButton *cancel_ = nullptr;
    QAction *reload_ = nullptr;
    QAction *export_ = nullptr;
    QAction *copy_ = nullptr;
    QAction *changesAction_ = nullptr;
    QAction *find_ = nullptr;
    QAction *findContents_ = nullptr;
    std::vector<ChangeNote> changes_;
    bool compared_ = false;
    ExportPicker exportPicker_;
};

} // namespace mapindex
