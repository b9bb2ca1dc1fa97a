#include "index_window.h"

#include "changes_dialog.h"
#include "content_field.h"
#include "field_keys.h"
#include "index_model.h"
#include "row_export.h"

#include "ErrorReport.h"
#include "catalogue/viewer_launch.h"
#include "runtime/io_error.h"
#include "runtime/working_directory.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

namespace mapindex {
namespace {

std::optional<QString> askExportFile(QWidget *parent)
{
    const QString csv = QStringLiteral("CSV files (*.csv)");
    const QString tsv = QStringLiteral("TSV files (*.tsv)");
    QString chosenFilter = csv;
    QString name = QFileDialog::getSaveFileName(parent, QStringLiteral("Export"), QStringLiteral("maps.csv"),
                                                csv + QStringLiteral(";;") + tsv, &chosenFilter);
    if (name.isEmpty())
        return std::nullopt;
    if (!name.contains(QChar(u'.')) || name.lastIndexOf(QChar(u'.')) < name.lastIndexOf(QChar(u'/')))
        name += chosenFilter == tsv ? QStringLiteral(".tsv") : QStringLiteral(".csv");
    return name;
}

} // namespace

IndexWindow::IndexWindow(QWidget *parent)
    : QMainWindow(parent), model_(new IndexModel(this)), loader_(new CollectionLoader(this)),
      exportPicker_(askExportFile)
{
    setObjectName(QStringLiteral("MapIndex"));
    setWindowTitle(QStringLiteral("Map Index"));
    createActions();
    createToolBar();
    createCentralWidget();
    createStatusBar();
    createMenus();

    connect(loader_, &CollectionLoader::progress, this, [this](int done, int total) {
        progress_->setMaximum(total);
        progress_->setValue(done);
    });
    connect(loader_, &CollectionLoader::cachedRowsReady, this, &IndexWindow::onCachedRows);
    connect(loader_, &CollectionLoader::finished, this, &IndexWindow::onLoaded);
    connect(loader_, &CollectionLoader::cancelled, this, &IndexWindow::onLoadEnded);
    connect(model_, &IndexModel::shownCountChanged, this, &IndexWindow::updateStatus);
    resize(900, 600);
}

IndexWindow::~IndexWindow() = default;

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
    file->addAction(export_);
    file->addSeparator();
    file->addAction(QStringLiteral("&Quit"), QKeySequence::Quit, this, &QWidget::close);

    QMenu *edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("editMenu"));
    edit->addActions({copy_, find_, findContents_});

    QMenu *view = menuBar()->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("viewMenu"));
    view->addActions({reload_, changesAction_});
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
    filter_->setPlaceholderText(QStringLiteral("Filter (Ctrl+F): words in any column"));
    filter_->setClearButtonEnabled(true);
    connect(filter_, &QLineEdit::textChanged, model_, &IndexModel::setFilterText);
    contents_ = new ContentField(*model_, *statusBar(), central);
    auto *fields = new QHBoxLayout;
    fields->addWidget(filter_, 3);
    fields->addWidget(contents_, 2);
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
    table_->setTabKeyNavigation(false); // Tab leaves the table rather than walking its cells
    connect(table_, &QTableView::activated, this, &IndexWindow::openRow);
    layout->addWidget(table_);
    for (QLineEdit *field : {filter_, static_cast<QLineEdit *>(contents_)})
        ConnectFieldKeys(*field, *table_, [this](const QModelIndex &index) { openRow(index); });
    setTabOrder(filter_, contents_);
    setTabOrder(contents_, table_);

    setCentralWidget(central);
}

void IndexWindow::createStatusBar()
{
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("status"));
    statusBar()->addWidget(status_, 1);

    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setMaximumWidth(240);
    progress_->hide();
    statusBar()->addPermanentWidget(progress_);

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
    // The viewer is given the map's path in the current directory.
    try {
        runtime::SetWorkingDirectory(state_.MapsDirectory);
        runtime::CheckIo();
    } catch (const runtime::Exception &) {
        // The reading reports the folder's problem itself.
    }
    setWindowTitle(QStringLiteral("Map Index - %1").arg(EntryText(state_.MapsDirectory)));
    contents_->setMapsDirectory(state_.MapsDirectory);
    progress_->setRange(0, 0);
    progress_->show();
    cancel_->show();
    reload_->setEnabled(false);
    loader_->start(state_.MapsDirectory, nullptr);
}

void IndexWindow::showNotConfigured(const QString &text)
{
    reload_->setEnabled(false);
    status_->setText(text);
}

void IndexWindow::reload()
{
    if (loader_->isRunning() || state_.MapsDirectory.empty())
        return;
    progress_->setRange(0, 0);
    progress_->show();
    cancel_->show();
    reload_->setEnabled(false);
    loader_->start(state_.MapsDirectory, model_->sharedRows());
}

void IndexWindow::onCachedRows()
{
    model_->setRows(loader_->takeCachedRows());
    emit tableFilled();
}

void IndexWindow::onLoaded()
{
    LoadResult result = loader_->takeResult();
    onLoadEnded();
    if (result.error) {
        model_->setRows(std::vector<IndexRow>()); // rows of a folder that cannot be read would only mislead
        ui::ReportError(result.error.value());
    } else {
        changes_ = std::move(result.changes);
        compared_ = result.compared;
        // Unchanged rows stay as they are, with the user's selection and scrolling.
        if (!result.sameAsShown)
            model_->setRows(std::move(result.rows));
        emit tableFilled();
    }
    emit readingFinished();
}

void IndexWindow::onLoadEnded()
{
    progress_->hide();
    cancel_->hide();
    reload_->setEnabled(true);
    updateStatus();
}

void IndexWindow::updateStatus()
{
    status_->setText(QStringLiteral("%1 of %2 maps").arg(model_->rowCount()).arg(model_->totalCount()));
}

void IndexWindow::openRow(const QModelIndex &index)
{
    ui::Guarded([&] {
        if (index.isValid()) {
            const IndexRow &row = model_->shownRow(index.row());
            catalogue::LaunchViewer(state_, {row.entry, row.fileName});
        }
    });
}

void IndexWindow::exportShown()
{
    ui::Guarded([this] {
        const std::optional<QString> path = exportPicker_(this);
        if (!path)
            return;
        std::vector<const IndexRow *> rows;
        for (int i = 0; i < model_->rowCount(); ++i)
            rows.push_back(&model_->shownRow(i));
        ExportRows(QFile::encodeName(*path).toStdString(), rows, FormatForFileName(*path));
    });
}

void IndexWindow::copySelected()
{
    QModelIndexList selected = table_->selectionModel()->selectedRows();
    std::sort(selected.begin(), selected.end(),
              [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    std::vector<const IndexRow *> rows;
    for (const QModelIndex &index : selected)
        rows.push_back(&model_->shownRow(index.row()));
    if (!rows.empty())
        QGuiApplication::clipboard()->setText(QString::fromStdString(TsvLines(rows)));
}

void IndexWindow::showChanges()
{
    ChangesDialog dialog(changes_, compared_, this);
    dialog.exec();
}

} // namespace mapindex
