#include "index_window.h"

#include "change_legend.h"
#include "changes.h"
#include "changes_dialog.h"
#include "content_field.h"
#include "field_keys.h"
#include "index_model.h"
#include "row_export.h"
#include "settings_file.h"
#include "status_message.h"
#include "table_placeholder.h"
#include "view_menus.h"
#include "view_settings.h"

#include "ErrorReport.h"
#include "catalogue/viewer_launch.h"
#include "runtime/io_error.h"
#include "runtime/working_directory.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace mapindex {
namespace {

std::optional<QString> askChangesFile(QWidget *parent, const QString &suggested)
{
    return AskExportFile(parent, suggested, false);
}

// "1 of 1 map", "3 of 12 maps": the word agrees with the number it counts.
QString mapsWord(long long count)
{
    return count == 1 ? QStringLiteral("map") : QStringLiteral("maps");
}

} // namespace

IndexWindow::IndexWindow(QWidget *parent)
    : QMainWindow(parent), model_(new IndexModel(this)), loader_(new CollectionLoader(this)),
      exportPicker_(AskTableExport), changesExportPicker_(askChangesFile), folderPicker_(AskForFolder),
      viewerPicker_(AskForViewer)
{
    setObjectName(QStringLiteral("MapIndex"));
    setWindowTitle(QStringLiteral("Map Index"));
    createActions();
    createMenus();
    createToolBar();
    createCentralWidget();
    createColumnMenus();
    createStatusBar();
    SetSettingsErrorSink([this](const QString &why) {
        ShowPassingMessage(*statusBar(), QStringLiteral("The settings could not be saved: %1").arg(why));
    });
    placeholder_ = new TablePlaceholder(table_);
    updateActions();

    connect(loader_, &CollectionLoader::progress, this, [this](int done, int total) {
        checked_ = {done, total};
        progress_->setMaximum(total);
        progress_->setValue(done);
        updateStatus();
    });
    connect(loader_, &CollectionLoader::cachedRowsReady, this, &IndexWindow::onCachedRows);
    connect(loader_, &CollectionLoader::finished, this, &IndexWindow::onLoaded);
    connect(loader_, &CollectionLoader::cancelled, this, &IndexWindow::onLoadCancelled);
    connect(model_, &IndexModel::shownCountChanged, this, &IndexWindow::updateStatus);
    connect(model_, &IndexModel::shownCountChanged, this, &IndexWindow::noteFilterMatchingNothing);
    resize(900, 600);
    KeepView(this, table_);
}

IndexWindow::~IndexWindow()
{
    SetSettingsErrorSink({});
}

void IndexWindow::createActions()
{
    reload_ = new QAction(QStringLiteral("&Reload"), this);
    reload_->setObjectName(QStringLiteral("reload"));
    reload_->setShortcut(QKeySequence(Qt::Key_F5));
    connect(reload_, &QAction::triggered, this, &IndexWindow::reload);

    export_ = new QAction(QStringLiteral("&Export…"), this);
    export_->setObjectName(QStringLiteral("export"));
    export_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    connect(export_, &QAction::triggered, this, &IndexWindow::exportShown);

    copy_ = new QAction(QStringLiteral("&Copy"), this);
    copy_->setObjectName(QStringLiteral("copy"));
    copy_->setShortcut(QKeySequence::Copy);
    connect(copy_, &QAction::triggered, this, &IndexWindow::copySelected);

    changesAction_ = new QAction(QStringLiteral("C&hanges…"), this);
    changesAction_->setObjectName(QStringLiteral("changes"));
    connect(changesAction_, &QAction::triggered, this, &IndexWindow::showChanges);

    markSeen_ = new QAction(QStringLiteral("&Mark All as Seen"), this);
    markSeen_->setObjectName(QStringLiteral("markSeen"));
    connect(markSeen_, &QAction::triggered, this, &IndexWindow::markAllSeen);

    onlyMarked_ = new QAction(QStringLiteral("Show &Only New and Changed"), this);
    onlyMarked_->setObjectName(QStringLiteral("onlyMarked"));
    onlyMarked_->setCheckable(true);
    connect(onlyMarked_, &QAction::toggled, model_, &IndexModel::setOnlyMarked);

    find_ = new QAction(QStringLiteral("&Filter"), this);
    find_->setObjectName(QStringLiteral("find"));
    find_->setShortcut(QKeySequence::Find);
    connect(find_, &QAction::triggered, this, [this] {
        filter_->setFocus(Qt::ShortcutFocusReason);
        filter_->selectAll();
    });

    findContents_ = new QAction(QStringLiteral("Search &Contents"), this);
    findContents_->setObjectName(QStringLiteral("findContents"));
    findContents_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    connect(findContents_, &QAction::triggered, this, [this] {
        contents_->setFocus(Qt::ShortcutFocusReason);
        contents_->selectAll();
    });

    subfolders_ = new QAction(QStringLiteral("Include &Subfolders"), this);
    subfolders_->setObjectName(QStringLiteral("includeSubfolders"));
    subfolders_->setCheckable(true);
    connect(subfolders_, &QAction::toggled, this, &IndexWindow::includeSubfolders);

    clearFilter_ = new QAction(QStringLiteral("Clear Filter"), this);
    clearFilter_->setObjectName(QStringLiteral("clearFilter"));
    connect(clearFilter_, &QAction::triggered, this, [this] {
        filter_->clear();
        filter_->setFocus(Qt::OtherFocusReason);
    });

    // Esc stops a contents search, else clears the field it is typed in, else the filter.
    auto *clear = new QAction(this);
    clear->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(clear, &QAction::triggered, this, [this] {
        if (contents_->isSearching())
            contents_->stop();
        else if (contents_->hasFocus())
            contents_->clear();
        else
            filter_->clear();
    });

    // In the window, whichever widget has the focus, the fields too.
    for (QAction *action : {reload_, export_, copy_, changesAction_, find_, findContents_, clear}) {
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
    }
}

void IndexWindow::createMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("fileMenu"));
    QAction *openFolder = file->addAction(QStringLiteral("&Open Folder…"), this, &IndexWindow::chooseFolder);
    openFolder->setObjectName(QStringLiteral("openFolder"));
    openFolder->setShortcut(QKeySequence::Open);
    openFolder->setShortcutContext(Qt::WindowShortcut);
    recentMenu_ = file->addMenu(QStringLiteral("&Recent Folders"));
    recentMenu_->setObjectName(QStringLiteral("recentFolders"));
    connect(recentMenu_, &QMenu::aboutToShow, this, &IndexWindow::fillRecentMenu);
    fillRecentMenu();
    file->addSeparator();
    file->addAction(export_);
    file->addSeparator();
    file->addAction(QStringLiteral("&Quit"), QKeySequence::Quit, this, &QWidget::close);

    QMenu *edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("editMenu"));
    edit->addActions({copy_, find_, findContents_});

    viewMenu_ = menuBar()->addMenu(QStringLiteral("&View"));
    viewMenu_->setObjectName(QStringLiteral("viewMenu"));
    viewMenu_->addActions({reload_, changesAction_, markSeen_});
    viewMenu_->addSeparator();
    viewMenu_->addActions({onlyMarked_, subfolders_});
    viewMenu_->addSeparator(); // the column menus follow once the table is made

    QMenu *settings = menuBar()->addMenu(QStringLiteral("&Settings"));
    QAction *viewer = settings->addAction(QStringLiteral("&Viewer…"), this, &IndexWindow::chooseViewer);
    viewer->setObjectName(QStringLiteral("viewerSetting"));
}

void IndexWindow::fillRecentMenu()
{
    recentMenu_->clear();
    for (const std::string &folder : RecentFolders()) {
        QAction *item = recentMenu_->addAction(QFile::decodeName(QByteArray::fromStdString(folder)));
        connect(item, &QAction::triggered, this, [this, folder] { openFolder(folder); });
    }
    recentMenu_->setEnabled(!recentMenu_->isEmpty());
}

void IndexWindow::chooseFolder()
{
    const std::vector<std::string> recent = RecentFolders();
    if (const std::optional<std::string> folder =
            folderPicker_(this, OpenFolderStart(recent.empty() ? std::string() : recent.front())))
        openFolder(*folder);
}

void IndexWindow::openFolder(const std::string &folder)
{
    if (loader_->isRunning())
        loader_->cancel();
    catalogue::ProgramState state = state_;
    state.MapsDirectory = folder;
    open(state);
}

void IndexWindow::chooseViewer()
{
    const std::optional<std::string> viewer = viewerPicker_(this, SettingsViewer());
    if (!viewer)
        return;
    SetSettingsViewer(*viewer);
    if (!viewerFromLister_)
        state_.ViewerPath = *viewer;
}

void IndexWindow::updateActions()
{
    const bool open = !state_.MapsDirectory.empty();
    reload_->setEnabled(open && !loader_->isRunning());
    for (QAction *action : {export_, copy_, changesAction_, subfolders_})
        action->setEnabled(open);
    markSeen_->setEnabled(open && !loader_->isRunning() && !changes_.empty());
}

void IndexWindow::createToolBar()
{
    QToolBar *bar = addToolBar(QStringLiteral("Commands"));
    bar->setObjectName(QStringLiteral("commands"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar->addActions({reload_, export_, copy_, changesAction_});
}

void IndexWindow::createCentralWidget()
{
    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);

    filter_ = new QLineEdit(central);
    filter_->setObjectName(QStringLiteral("filter"));
    filter_->setPlaceholderText(QStringLiteral("Filter (Ctrl+F): words, \"a phrase\", product:word, -word"));
    filter_->setToolTip(QStringLiteral(
        "Keeps the rows holding every word, in any column, ignoring case and accents.\n"
        "\"realm vol 2\" keeps the words together, in that order.\n"
        "map:, name:, type:, product:, page:, folder: or file: before a word or phrase looks in that column only.\n"
        "-word, -\"a phrase\" or -type:cave leaves out the rows holding it."));
    filter_->setClearButtonEnabled(true);
    connect(filter_, &QLineEdit::textChanged, model_, &IndexModel::setFilterText);
    contents_ = new ContentField(*model_, *statusBar(), central);
    auto *fields = new QHBoxLayout;
    fields->addWidget(filter_, 3);
    fields->addWidget(contents_, 2);
    fields->addWidget(contents_->caseButton());
    layout->addLayout(fields);

    table_ = new QTableView(central);
    table_->setObjectName(QStringLiteral("table"));
    table_->setModel(model_);
    // Listing order until the user clicks a header.
    table_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    table_->setSortingEnabled(true);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->horizontalHeader()->setDefaultSectionSize(170);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setWordWrap(false);
    table_->setAlternatingRowColors(true);
    table_->setTabKeyNavigation(false);          // Tab leaves the table rather than walking its cells
    table_->setColumnHidden(FolderColumn, true); // shown while subfolders are included
    table_->horizontalHeader()->setSectionsMovable(true);
    table_->horizontalHeader()->moveSection(FileColumn, MapColumn + 1); // beside the entry it tells apart
    connect(table_, &QTableView::activated, this, &IndexWindow::openRow);
    layout->addWidget(table_);
    for (QLineEdit *field : {filter_, static_cast<QLineEdit *>(contents_)})
        ConnectFieldKeys(*field, *table_, [this](const QModelIndex &index) { openRow(index); });
    setTabOrder(filter_, contents_);
    setTabOrder(contents_, contents_->caseButton());
    setTabOrder(contents_->caseButton(), table_);

    setCentralWidget(central);
}

void IndexWindow::createColumnMenus()
{
    AddColumnsMenu(
        viewMenu_, table_, [this](int column) { return column != FolderColumn || subfolders_->isChecked(); },
        [](int column, bool shown) {
            if (column == FolderColumn)
                SetShowsFolderColumn(shown);
        });
    AddSortMenu(viewMenu_, table_);
}

// While subfolders are included, unless hidden from View › Columns.
void IndexWindow::showFolderColumn()
{
    table_->setColumnHidden(FolderColumn, !subfolders_->isChecked() || !ShowsFolderColumn());
}

void IndexWindow::noteFilterMatchingNothing()
{
    const bool nothing = model_->rowCount() == 0 && model_->totalCount() > 0 && !filter_->text().trimmed().isEmpty();
    if (nothing) {
        placeholder_->showText(QStringLiteral("No maps match the filter:\n%1").arg(filter_->text()), clearFilter_,
                               clearFilter_->text());
        filterNoteShown_ = true;
    } else if (std::exchange(filterNoteShown_, false)) {
        placeholder_->hide();
    }
}

void IndexWindow::createStatusBar()
{
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("status"));
    statusBar()->addWidget(status_, 1);
    unavailable_ = new QLabel(this);
    unavailable_->setObjectName(QStringLiteral("unavailable"));
    unavailable_->hide();
    statusBar()->addWidget(unavailable_, 2);

    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setMaximumWidth(240);
    progress_->hide();
    statusBar()->addPermanentWidget(progress_);

    legend_ = new ChangeLegend(this);
    legend_->hide();
    statusBar()->addPermanentWidget(legend_);

    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("cancel"));
    cancel_->hide();
    connect(cancel_, &QPushButton::clicked, loader_, &CollectionLoader::cancel);
    statusBar()->addPermanentWidget(cancel_);
    updateStatus();
}

void IndexWindow::open(const catalogue::ProgramState &state)
{
    state_ = state;
    NoteFolderOpened(state_.MapsDirectory);
    placeholder_->hide();
    updateActions();
    setWindowTitle(QStringLiteral("Map Index - %1").arg(EntryText(state_.MapsDirectory)));
    contents_->setMapsDirectory(state_.MapsDirectory);
    {
        const QSignalBlocker quiet(subfolders_); // the folder's own choice, not a change to make
        subfolders_->setChecked(IncludesSubfolders(state_.MapsDirectory));
    }
    showFolderColumn();
    setUnreachable({});
    startReading(nullptr);
}

void IndexWindow::includeSubfolders(bool include)
{
    if (state_.MapsDirectory.empty())
        return;
    SetIncludesSubfolders(state_.MapsDirectory, include);
    showFolderColumn();
    placeholder_->hide();
    // The other listing's rows and changes would mislead; its cache is its own.
    model_->setRows(std::vector<IndexRow>());
    removed_.clear();
    compared_ = false;
    updateMarks();
    setUnreachable({});
    startReading(nullptr);
}

void IndexWindow::showNotConfigured(const QString &text)
{
    updateActions();
    SetLastingText(*status_, text);
    placeholder_->showText(text + QStringLiteral("\n\n") + NoFolderText());
}

void IndexWindow::reload()
{
    if (loader_->isRunning() || state_.MapsDirectory.empty())
        return;
    startReading(model_->sharedRows());
}

void IndexWindow::markAllSeen()
{
    if (loader_->isRunning() || state_.MapsDirectory.empty())
        return;
    const bool searching = contents_->isSearching();
    model_->clearMarks();
    if (searching) // in the rows with their marks, whose result would not fit
        contents_->searchNow();
    removed_.clear();
    CacheSave saved = loader_->saveMarks(model_->rows(), removed_);
    noteMarksSaved(saved.error);
    if (saved.tookTheirs) { // another window's marks since
        model_->setRows(std::move(saved.index.rows));
        removed_ = std::move(saved.index.removed);
    }
    updateMarks();
}

void IndexWindow::noteMarksSaved(const std::optional<std::string> &error)
{
    // Said until a save succeeds: the marks shown are not those of the next start.
    marksNotSaved_ = error
        ? QStringLiteral("; the marks could not be saved: %1 They are kept and saved at the next reading")
              .arg(QFile::decodeName(QByteArray::fromStdString(*error)))
        : QString();
    updateStatus();
}

void IndexWindow::updateMarks()
{
    changes_ = ChangeList(model_->rows(), removed_);
    legend_->setVisible(std::any_of(changes_.begin(), changes_.end(),
                                    [](const ChangeNote &note) { return note.kind != Change::Removed; }));
    updateActions();
}

void IndexWindow::startReading(SharedRows previous)
{
    // One reading at a time: the running one is stopped, and this one starts when it has.
    if (loader_->isRunning()) {
        restartWanted_ = true;
        loader_->cancel();
        return;
    }
    // The maps open in the folder being read, never in the current directory.
    {
        const runtime::SavedIoCode keep; // the reading reports the folder's problem itself
        mapsFolder_ = runtime::DirectoryHandle::Open(state_.MapsDirectory);
    }
    checked_ = {};
    progress_->setRange(0, 0);
    progress_->show();
    cancel_->show();
    reload_->setEnabled(false);
    // Read afresh, the folder's own cache says what was removed.
    std::vector<ChangeNote> removed = previous ? removed_ : std::vector<ChangeNote>();
    loader_->start(state_.MapsDirectory, subfolders_->isChecked(), std::move(previous), std::move(removed));
    updateActions();
}

void IndexWindow::onCachedRows()
{
    model_->setRows(loader_->takeCachedRows(), true); // their filter texts once the folder is checked
    removed_ = loader_->takeCachedRemoved();
    compared_ = true;
    updateMarks();
    emit tableFilled();
}

void IndexWindow::onLoaded()
{
    LoadResult result = loader_->takeResult();
    cancelledAt_.reset();
    onLoadEnded();
    if (std::exchange(restartWanted_, false)) { // read for what is no longer asked
        startReading(nullptr);
        return;
    }
    if (result.error) {
        model_->setRows(std::vector<IndexRow>()); // rows of a folder that cannot be read would only mislead
        removed_.clear();
        updateMarks();
        ui::ReportError(result.error.value());
    } else {
        removed_ = std::move(result.removed);
        compared_ = result.compared;
        // Unchanged rows stay as they are, with the user's selection and scrolling.
        if (!result.sameAsShown)
            model_->setRows(std::move(result.rows));
        setUnreachable(std::move(result.unreachable));
        updateMarks();
        noteMarksSaved(result.saveError);
        if (model_->totalCount() == 0 && !unreachable_.empty()) {
            placeholder_->showText(unavailable_->text());
        } else if (model_->totalCount() == 0) {
            placeholder_->showText(EmptyFolderText(state_.MapsDirectory), result.subfolderMaps ? subfolders_ : nullptr,
                                   QStringLiteral("Include Subfolders"));
        }
        emit tableFilled();
    }
    model_->makeTextsSoon(); // for the cached rows, when they stay
    emit readingFinished();
}

void IndexWindow::onLoadCancelled()
{
    cancelledAt_ = checked_;
    onLoadEnded();
    model_->makeTextsSoon();
    if (std::exchange(restartWanted_, false)) {
        cancelledAt_.reset();
        startReading(nullptr);
    }
}

void IndexWindow::onLoadEnded()
{
    progress_->hide();
    cancel_->hide();
    updateActions();
    updateStatus();
}

void IndexWindow::updateStatus()
{
    // Counts in the user's language, as the reading's progress is given.
    const QLocale locale;
    const auto count = [&](auto number) { return locale.toString(static_cast<qlonglong>(number)); };
    // The first reading has no rows to count yet: say how far it got.
    if (loader_->isRunning() && model_->totalCount() == 0 && progress_->maximum() > 0) {
        SetLastingText(
            *status_,
            QStringLiteral("Reading %1 of %2 %3")
                .arg(count(progress_->value()), count(progress_->maximum()), mapsWord(progress_->maximum())));
        return;
    }
    QString text = QStringLiteral("%1 of %2 %3")
                       .arg(count(model_->rowCount()), count(model_->totalCount()), mapsWord(model_->totalCount()));
    // The rows shown may be older than the maps: say so until a reading ends.
    if (cancelledAt_ && cancelledAt_->second > 0)
        text +=
            QStringLiteral("; cancelled after %1 of %2, ").arg(count(cancelledAt_->first), count(cancelledAt_->second));
    else if (cancelledAt_)
        text += QStringLiteral("; cancelled, ");
    if (cancelledAt_)
        text += QStringLiteral("not checked: press F5");
    SetLastingText(*status_, text + marksNotSaved_);
}

void IndexWindow::setUnreachable(std::vector<UnreachableFolder> folders)
{
    unreachable_ = std::move(folders);
    model_->setUnreachable(unreachable_);
    SetLastingText(*unavailable_, UnreachableText(state_.MapsDirectory, unreachable_));
    unavailable_->setVisible(!unreachable_.empty());
}

void IndexWindow::openRow(const QModelIndex &index)
{
    if (index.isValid())
        openMap(RowPath(model_->shownRow(index.row()))); // below the folder, for a subfolder's map
}

void IndexWindow::openMap(const std::string &fileName)
{
    ui::Guarded([&] {
        if (MapIsIn(fileName, unreachable_)) {
            ShowPassingMessage(*statusBar(), unavailable_->text()); // its file is not there to open
            return;
        }
        const std::string mapPath = state_.MapsDirectory + runtime::PathSeparator + fileName;
        catalogue::LaunchViewerOnMap(state_, mapPath, mapsFolder_.valid() ? mapsFolder_.fd() : AT_FDCWD,
                                     mapsFolder_.valid() ? fileName : mapPath);
    });
}

void IndexWindow::exportShown()
{
    ui::Guarded([this] {
        const std::optional<ExportChoice> choice =
            exportPicker_(this, ExportFolder(state_.MapsDirectory) + QStringLiteral("/maps.csv"),
                          static_cast<int>(table_->selectionModel()->selectedRows().size()));
        if (!choice)
            return;
        const QString &path = choice->path;
        // Taken once the dialog is closed: a reading ending meanwhile replaces the rows.
        std::vector<const IndexRow *> rows;
        if (choice->selectedOnly)
            rows = selectedRows();
        else
            for (int i = 0; i < model_->rowCount(); ++i)
                rows.push_back(&model_->shownRow(i));
        ExportRows(QFile::encodeName(path).toStdString(), rows, FormatForFileName(path), exportFields());
        NoteExport(path);
        const auto unreadable = std::count_if(rows.begin(), rows.end(), [](const IndexRow *row) { return row->error; });
        const QLocale locale;
        const qlonglong written = static_cast<qlonglong>(rows.size()) - unreadable;
        QString done = QStringLiteral("%1 %2 written to %3")
                           .arg(locale.toString(written), written == 1 ? QStringLiteral("row") : QStringLiteral("rows"),
                                QDir::toNativeSeparators(path));
        if (unreadable > 0)
            done += QStringLiteral("; %1 unreadable %2 left out")
                        .arg(locale.toString(static_cast<qlonglong>(unreadable)), mapsWord(unreadable));
        if (const auto folders = static_cast<qlonglong>(unreachable_.size()); folders > 0)
            done +=
                QStringLiteral("; %1 unreadable %2 as last read")
                    .arg(locale.toString(folders), folders == 1 ? QStringLiteral("folder") : QStringLiteral("folders"));
        ShowPassingMessage(*statusBar(), done);
    });
}

ExportFields IndexWindow::exportFields() const
{
    return {.folder = !table_->isColumnHidden(FolderColumn), .file = !table_->isColumnHidden(FileColumn)};
}

std::vector<const IndexRow *> IndexWindow::selectedRows() const
{
    QModelIndexList selected = table_->selectionModel()->selectedRows();
    std::sort(selected.begin(), selected.end(),
              [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    std::vector<const IndexRow *> rows;
    for (const QModelIndex &index : selected)
        rows.push_back(&model_->shownRow(index.row()));
    return rows;
}

void IndexWindow::copySelected()
{
    const std::vector<const IndexRow *> rows = selectedRows();
    if (!rows.empty())
        QGuiApplication::clipboard()->setText(QString::fromStdString(TsvLines(rows, exportFields())));
}

void IndexWindow::showChanges()
{
    ChangesDialog dialog(changes_, compared_, changesExportPicker_,
                         ExportFolder(state_.MapsDirectory) + QStringLiteral("/changes.csv"), this);
    dialog.setRows(
        model_->sharedRows(),
        {[this](const std::string &path) { openMap(path); }, [this](const std::string &path) { showInTable(path); }});
    dialog.exec();
}

void IndexWindow::showInTable(const std::string &path)
{
    const auto shownAt = [&] {
        for (int row = 0; row < model_->rowCount(); ++row)
            if (RowPath(model_->shownRow(row)) == path)
                return row;
        return -1;
    };
    int row = shownAt();
    if (row < 0) { // left out by the filters: they give way
        filter_->clear();
        contents_->clear();
        row = shownAt();
    }
    if (row < 0)
        return;
    table_->setCurrentIndex(model_->index(row, 0));
    table_->scrollTo(table_->currentIndex());
    table_->setFocus(Qt::OtherFocusReason);
}

} // namespace mapindex
