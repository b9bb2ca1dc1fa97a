#include "view_settings.h"

#include "index_model.h"
#include "row_text.h"
#include "settings_file.h"

#include "ConfigDirectory.h"

#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QMainWindow>
#include <QScopedValueRollback>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QStyle>
#include <QTableView>
#include <QTimer>

#include <algorithm>

namespace mapindex {
namespace {

constexpr int FittedRows = 200;

QString folderText(const std::string &folder)
{
    return QFile::decodeName(QByteArray::fromStdString(folder));
}

// Fits a window into its screen's available part, frame included: a place
// kept from a larger screen may reach past this one, hiding the status bar.
void fitIntoScreen(QWidget *window)
{
    if (!window->screen() || (window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        return;
    const QRect inner = window->geometry();
    const QRect frame = window->frameGeometry();
    QMargins frameMargins(inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                          frame.bottom() - inner.bottom());
    // Until the window is shown its frame is unknown: allow for a title bar and borders of the style's size.
    if (frameMargins.isNull()) {
        const int border = window->style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
        frameMargins =
            QMargins(border, window->style()->pixelMetric(QStyle::PM_TitleBarHeight) + border, border, border);
    }
    const QRect room = window->screen()->availableGeometry().marginsRemoved(frameMargins);
    QRect fitted(inner.topLeft(), inner.size().boundedTo(room.size()));
    fitted.moveLeft(std::clamp(fitted.left(), room.left(), room.right() + 1 - fitted.width()));
    fitted.moveTop(std::clamp(fitted.top(), room.top(), room.bottom() + 1 - fitted.height()));
    if (fitted != inner)
        window->setGeometry(fitted);
}

// Saves the view at the window's close. Fits the columns to the rows when
// rows arrive and to a column when it appears, until the user sizes one.
class ViewKeeper final : public QObject {
public:
    ViewKeeper(QMainWindow *window, QTableView *table) : QObject(window), window_(window), table_(table)
    {
        QSettings settings(SettingsFilePath(), QSettings::IniFormat);
        if (window->restoreGeometry(settings.value(QStringLiteral("view/window")).toByteArray()))
            fitIntoScreen(window);
        QHeaderView *header = table->horizontalHeader();
        if (header->restoreState(settings.value(QStringLiteral("view/columns")).toByteArray())
            && header->sortIndicatorSection() >= 0)
            table->sortByColumn(header->sortIndicatorSection(), header->sortIndicatorOrder());
        sized_ = settings.value(QStringLiteral("view/columnsSized"), false).toBool();
        window->installEventFilter(this);
        headerViewport_ = header->viewport();
        headerViewport_->installEventFilter(this);
        if (auto *model = qobject_cast<IndexModel *>(table->model()))
            connect(model, &IndexModel::rowsReplaced, this, &ViewKeeper::fitColumns);
        connect(header, &QHeaderView::sectionResized, this, &ViewKeeper::sectionResized);
        connect(header, &QHeaderView::sectionHandleDoubleClicked, this, [this] { sized_ = true; });
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == window_ && event->type() == QEvent::Close) {
            ChangeSettings(SettingsFilePath(), [this](QSettings &settings) {
                settings.setValue(QStringLiteral("view/window"), window_->saveGeometry());
                settings.setValue(QStringLiteral("view/columns"), table_->horizontalHeader()->saveState());
                settings.setValue(QStringLiteral("view/columnsSized"), sized_);
            });
        } else if (watched == window_ && event->type() == QEvent::Show && !shown_) {
            shown_ = true;
            // Again once the frame is known, which the first fit could only guess.
            QTimer::singleShot(0, window_, [window = window_] { fitIntoScreen(window); });
        } else if (watched == headerViewport_) {
            // (Known by address: its events still come while the table is
            // being destroyed.) A section resized while a button is down on
            // the header is sized by the user.
            if (event->type() == QEvent::MouseButtonPress)
                pressed_ = true;
            else if (event->type() == QEvent::MouseButtonRelease)
                pressed_ = false;
        }
        return false;
    }

private:
    void sectionResized(int column, int oldSize, int newSize)
    {
        if (fitting_)
            return;
        if (pressed_)
            sized_ = true;
        else if (oldSize == 0 && newSize > 0 && !sized_) // a column shown
            fitColumn(column);
    }

    void fitColumns()
    {
        if (sized_ || table_->model()->rowCount() == 0)
            return;
        for (int column = 0; column < table_->model()->columnCount(); ++column)
            if (!table_->isColumnHidden(column))
                fitColumn(column);
    }

    void fitColumn(int column)
    {
        const QScopedValueRollback fitting(fitting_, true);
        // Within reason: one long name must not push the other columns out of sight.
        const int widest = table_->fontMetrics().averageCharWidth() * LongText;
        // The rows in sight and a few hundred more tell the widths well
        // enough; measuring a thousand texts a column held up the first view.
        table_->horizontalHeader()->setResizeContentsPrecision(FittedRows);
        table_->resizeColumnToContents(column);
        table_->setColumnWidth(column, std::min(table_->columnWidth(column), widest));
    }

    QMainWindow *window_;
    QTableView *table_;
    QObject *headerViewport_ = nullptr;
    bool sized_ = false;   // by the user, now or before: kept as they are
    bool pressed_ = false; // on the header
    bool fitting_ = false;
    bool shown_ = false;
};

} // namespace

QString SettingsFilePath()
{
    return folderText(ui::ConfigDirectoryPath()) + QStringLiteral("/map-index.conf");
}

void KeepView(QMainWindow *window, QTableView *table)
{
    new ViewKeeper(window, table); // owned by the window
}

std::vector<std::string> WithRecentFolder(std::vector<std::string> recent, const std::string &folder)
{
    recent.erase(std::remove(recent.begin(), recent.end(), folder), recent.end());
    recent.insert(recent.begin(), folder);
    if (recent.size() > RecentFolderLimit)
        recent.resize(RecentFolderLimit);
    return recent;
}

std::vector<std::string> RecentFolders()
{
    QSettings settings(SettingsFilePath(), QSettings::IniFormat);
    std::vector<std::string> folders;
    // Byte arrays, not strings: a folder's name need not be valid UTF-8.
    const int count = settings.beginReadArray(QStringLiteral("recentFolders"));
    for (int i = 0; i < count; ++i) {
        settings.setArrayIndex(i);
        const QByteArray folder = settings.value(QStringLiteral("path")).toByteArray();
        if (!folder.isEmpty() && folders.size() < RecentFolderLimit)
            folders.push_back(folder.toStdString());
    }
    settings.endArray();
    return folders;
}

void NoteFolderOpened(const std::string &folder)
{
    const std::vector<std::string> recent = RecentFolders();
    const std::vector<std::string> folders = WithRecentFolder(recent, folder);
    // Reopening the latest folder writes nothing: a save syncs the disk
    // several times, which held up a warm start, and a full disk would
    // report a failure for a list that stands as it was.
    if (folders == recent)
        return;
    ChangeSettings(SettingsFilePath(), [&](QSettings &settings) {
        settings.beginWriteArray(QStringLiteral("recentFolders"), static_cast<int>(folders.size()));
        for (std::size_t i = 0; i < folders.size(); ++i) {
            settings.setArrayIndex(static_cast<int>(i));
            settings.setValue(QStringLiteral("path"), QByteArray::fromStdString(folders[i]));
        }
        settings.endArray();
    });
}

namespace {

// The folders whose subfolders are included, as bytes.
std::vector<std::string> foldersWithSubfolders(QSettings &settings)
{
    std::vector<std::string> folders;
    const int count = settings.beginReadArray(QStringLiteral("includeSubfolders"));
    for (int i = 0; i < count; ++i) {
        settings.setArrayIndex(i);
        folders.push_back(settings.value(QStringLiteral("path")).toByteArray().toStdString());
    }
    settings.endArray();
    return folders;
}

} // namespace

bool IncludesSubfolders(const std::string &folder)
{
    QSettings settings(SettingsFilePath(), QSettings::IniFormat);
    const std::vector<std::string> folders = foldersWithSubfolders(settings);
    return std::find(folders.begin(), folders.end(), folder) != folders.end();
}

void SetIncludesSubfolders(const std::string &folder, bool include)
{
    ChangeSettings(SettingsFilePath(), [&](QSettings &settings) {
        std::vector<std::string> folders = foldersWithSubfolders(settings);
        folders.erase(std::remove(folders.begin(), folders.end(), folder), folders.end());
        if (include)
            folders.push_back(folder);
        // Byte arrays, as the recent folders are kept: a name need not be UTF-8.
        settings.beginWriteArray(QStringLiteral("includeSubfolders"), static_cast<int>(folders.size()));
        for (std::size_t i = 0; i < folders.size(); ++i) {
            settings.setArrayIndex(static_cast<int>(i));
            settings.setValue(QStringLiteral("path"), QByteArray::fromStdString(folders[i]));
        }
        settings.endArray();
    });
}

bool ShowsFolderColumn()
{
    return QSettings(SettingsFilePath(), QSettings::IniFormat)
        .value(QStringLiteral("view/folderColumn"), true)
        .toBool();
}

void SetShowsFolderColumn(bool show)
{
    ChangeSettings(SettingsFilePath(),
                   [show](QSettings &settings) { settings.setValue(QStringLiteral("view/folderColumn"), show); });
}

std::string SettingsViewer()
{
    QSettings settings(SettingsFilePath(), QSettings::IniFormat);
    return settings.value(QStringLiteral("viewer")).toByteArray().toStdString();
}

void SetSettingsViewer(const std::string &viewer)
{
    ChangeSettings(SettingsFilePath(), [&](QSettings &settings) {
        settings.setValue(QStringLiteral("viewer"), QByteArray::fromStdString(viewer));
    });
}

bool ContentsMatchCase()
{
    QSettings settings(SettingsFilePath(), QSettings::IniFormat);
    return settings.value(QStringLiteral("contents/matchCase"), true).toBool();
}

void SetContentsMatchCase(bool matchCase)
{
    QSettings settings(SettingsFilePath(), QSettings::IniFormat);
    settings.setValue(QStringLiteral("contents/matchCase"), matchCase);
}

QString ExportFolder(const std::string &mapsFolder)
{
    const QString maps = QDir::cleanPath(folderText(mapsFolder));
    const auto usable = [&](const QString &folder) {
        const QString clean = QDir::cleanPath(folder);
        const bool inMaps = !maps.isEmpty() && (clean == maps || clean.startsWith(maps + QChar(u'/')));
        return !folder.isEmpty() && !inMaps && QFileInfo(folder).isDir();
    };
    QSettings settings(SettingsFilePath(), QSettings::IniFormat);
    QString last = settings.value(QStringLiteral("lastExportFolder")).toString();
    if (usable(last))
        return last;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return usable(documents) ? documents : QDir::homePath();
}

void NoteExport(const QString &file)
{
    ChangeSettings(SettingsFilePath(), [&](QSettings &settings) {
        settings.setValue(QStringLiteral("lastExportFolder"), QFileInfo(file).absolutePath());
    });
}

} // namespace mapindex
