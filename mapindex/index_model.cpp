#include "index_model.h"

#include "change_legend.h"
#include "changes.h"
#include "row_filter.h"

#include "runtime/io_error.h"

#include <QApplication>
#include <QStyle>

#include <algorithm>
#include <numeric>

namespace mapindex {
namespace {

const char *const Headers[ColumnCount] = {"Map", "Map Name", "Map Type", "Product", "Page Number", "Folder", "File"};

QString changeText(Change change)
{
    switch (change) {
    case Change::New:
        return QStringLiteral("New since last marked as seen");
    case Change::Changed:
        return QStringLiteral("Changed since last marked as seen");
    default:
        return {};
    }
}

} // namespace

IndexModel::IndexModel(QObject *parent)
    : QAbstractTableModel(parent), rows_(std::make_shared<const std::vector<IndexRow>>()),
      textsJob_([this](JobEnd<MadeTexts> end) { takeMadeTexts(std::move(end)); })
{}

IndexModel::~IndexModel() = default;

void IndexModel::setRows(std::vector<IndexRow> rows)
{
    setRows(std::make_shared<const std::vector<IndexRow>>(std::move(rows)));
}

void IndexModel::setRows(SharedRows rows, bool textsLater)
{
    beginResetModel();
    rows_ = std::move(rows);
    texts_.clear();
    textsOf_.reset();
    // Started before the filter runs: a filter already typed waits for this job.
    if (!textsLater)
        makeTextsSoon();
    orderRows();
    applyFilter();
    endResetModel();
    emit shownCountChanged();
    emit rowsReplaced();
}

void IndexModel::makeTextsSoon()
{
    if (textsOf_ == rows_ || textsJobFor_.lock() == rows_)
        return;
    textsJobFor_ = rows_;
    textsJob_.start([rows = rows_](const JobControl &) { return std::optional(MadeTexts{rows, FilterTexts(*rows)}); });
}

void IndexModel::takeMadeTexts(JobEnd<MadeTexts> end)
{
    // A failed job (out of memory) leaves the texts to makeTexts, which makes them when a filter needs them.
    if (!end.isDone() || textsOf_ == rows_)
        return;
    MadeTexts &made = end.value();
    if (made.rows == rows_) {
        texts_ = std::move(made.texts);
        textsOf_ = std::move(made.rows);
    }
}

void IndexModel::makeTexts()
{
    if (textsOf_ == rows_)
        return;
    textsJob_.finishNow();
    if (textsOf_ != rows_) { // the job was for other rows: never filter these with its texts
        texts_ = FilterTexts(*rows_);
        textsOf_ = rows_;
    }
}

void IndexModel::setFilterText(const QString &typed)
{
    RowFilter filter = ParseFilter(typed);
    if (filter == filter_)
        return;
    beginResetModel();
    filter_ = std::move(filter);
    applyFilter();
    endResetModel();
    emit shownCountChanged();
}

void IndexModel::setContentMatch(SharedContentMatch match)
{
    if (match == content_)
        return;
    beginResetModel();
    content_ = std::move(match);
    applyFilter();
    endResetModel();
    emit shownCountChanged();
}

void IndexModel::setOnlyMarked(bool only)
{
    if (only == onlyMarked_)
        return;
    beginResetModel();
    onlyMarked_ = only;
    applyFilter();
    endResetModel();
    emit shownCountChanged();
}

void IndexModel::setUnreachable(std::vector<UnreachableFolder> folders)
{
    if (folders == unreachable_)
        return;
    unreachable_ = std::move(folders);
    if (!shown_.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1), {Qt::ForegroundRole, Qt::ToolTipRole});
}

void IndexModel::clearMarks()
{
    SharedRows seen = std::make_shared<const std::vector<IndexRow>>(MarkedAsSeen(*rows_));
    // Marks are no part of the texts filtered nor of the files searched.
    if (textsOf_ == rows_)
        textsOf_ = seen;
    if (content_ && content_->rows == rows_) {
        auto match = std::make_shared<ContentMatch>(*content_);
        match->rows = seen;
        content_ = std::move(match);
    }
    if (!onlyMarked_) {
        rows_ = std::move(seen);
        if (!shown_.empty())
            emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1),
                             {Qt::BackgroundRole, Qt::ToolTipRole});
        return;
    }
    beginResetModel();
    rows_ = std::move(seen);
    applyFilter();
    endResetModel();
    emit shownCountChanged();
}

void IndexModel::sort(int column, Qt::SortOrder order)
{
    if (column >= ColumnCount)
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<std::size_t> rowsBefore;
    for (const QModelIndex &index : before)
        rowsBefore.push_back(shown_[static_cast<std::size_t>(index.row())]);
    sortColumn_ = std::max(column, -1);
    sortOrder_ = order;
    orderRows();
    applyFilter();
    // Keep the selection and the current row on the same maps.
    std::vector<int> position(rows_->size());
    for (std::size_t i = 0; i < shown_.size(); ++i)
        position[shown_[i]] = static_cast<int>(i);
    QModelIndexList after;
    for (qsizetype i = 0; i < before.size(); ++i)
        after.push_back(index(position[rowsBefore[static_cast<std::size_t>(i)]], before[i].column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void IndexModel::orderRows()
{
    if (sortColumn_ < 0) {
        sorted_.resize(rows_->size());
        std::iota(sorted_.begin(), sorted_.end(), std::size_t{0});
        return;
    }
    sorted_ = collation_.order(*rows_, static_cast<Column>(sortColumn_), sortOrder_ == Qt::DescendingOrder);
}

void IndexModel::applyFilter()
{
    if (filter_.empty() && !content_ && !onlyMarked_) {
        shown_ = sorted_;
        return;
    }
    if (!filter_.empty()) {
        makeTexts();
        Q_ASSERT(texts_.size() == rows_->size());
    }
    const bool contentFits = content_ && content_->rows == rows_;
    shown_.clear();
    for (const std::size_t i : sorted_) {
        if (content_ && !(contentFits && content_->holds[i]))
            continue;
        if (onlyMarked_ && (*rows_)[i].change == Change::None)
            continue;
        if (filter_.empty() || RowMatches(texts_[i], filter_))
            shown_.push_back(i);
    }
}

int IndexModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(shown_.size());
}

int IndexModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant IndexModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const std::size_t i = shown_[static_cast<std::size_t>(index.row())];
    const IndexRow &row = (*rows_)[i];
    switch (role) {
    case Qt::DisplayRole:
        return ColumnText(row, static_cast<Column>(index.column()));
    case Qt::TextAlignmentRole:
        if (index.column() == PageNumberColumn)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    case Qt::ToolTipRole: {
        // A text longer than a column is ever fitted to shows in full.
        const QString text = ColumnText(row, static_cast<Column>(index.column()));
        QStringList tip;
        if (text.size() > LongText)
            tip << text;
        if (RowIsIn(row, unreachable_))
            tip << QStringLiteral("Not available: as last read");
        if (row.error)
            tip << QString::fromStdString(runtime::ReportText(*row.error));
        else if (row.change != Change::None)
            tip << changeText(row.change);
        return tip.isEmpty() ? QVariant() : QVariant(tip.join(QChar(u'\n')));
    }
    case Qt::DecorationRole:
        if (row.error && index.column() == MapColumn)
            return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
        return {};
    case Qt::ForegroundRole:
        if (RowIsIn(row, unreachable_))
            return QApplication::palette().brush(QPalette::Disabled, QPalette::Text);
        return {};
    case Qt::BackgroundRole:
        if (row.change != Change::None)
            return ChangeColour(row.change);
        return {};
    default:
        return {};
    }
}

QVariant IndexModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    return QString::fromLatin1(Headers[section]);
}

} // namespace mapindex
