#pragma once

#include "background_job.h"
#include "content_filter.h"
#include "index_row.h"
#include "row_collation.h"
#include "row_order.h"
#include "row_text.h"
#include "unreachable_folders.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <array>
#include <memory>
#include <vector>

namespace mapindex {

// Every map of the collection as a row; shows the rows that pass the filter,
// in the order of the last sort (listing order before any).
class IndexModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit IndexModel(QObject *parent = nullptr);
    ~IndexModel() override;

    // The rows show at once; the texts the filter searches are made on a
    // worker thread meanwhile, and a filter typed before they are ready waits.
    // With textsLater they are made once makeTextsSoon is called: rows shown
    // while the folder is still checked would otherwise add their texts to
    // the memory of the check.
    void setRows(std::vector<IndexRow> rows);
    void setRows(SharedRows rows, bool textsLater = false);
    void makeTextsSoon();
    const std::vector<IndexRow> &rows() const { return *rows_; }
    const SharedRows &sharedRows() const { return rows_; }
    void setFilterText(const QString &typed);
    // Narrows further to the rows whose maps hold a text; none shows every row again.
    void setContentMatch(SharedContentMatch match);
    const SharedContentMatch &contentMatch() const { return content_; }
    // Narrows further to the rows marked new or changed.
    void setOnlyMarked(bool only);
    // The rows in these folders are shown as not available.
    void setUnreachable(std::vector<UnreachableFolder> folders);
    // Marks every row as seen, keeping the filters' results, the order and,
    // unless only marked rows are shown, the selection.
    void clearMarks();

    int totalCount() const { return static_cast<int>(rows_->size()); }
    const IndexRow &shownRow(int row) const { return (*rows_)[shown_[static_cast<std::size_t>(row)]]; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void sort(int column, Qt::SortOrder order) override;

signals:
    void shownCountChanged();
    void rowsReplaced(); // by setRows, after the shown rows changed

private:
    void orderRows();
    void applyFilter();
    void makeTexts();

    struct MadeTexts {
        SharedRows rows; // what they were made from
        std::vector<FoldedRow> texts;
    };
    void takeMadeTexts(JobEnd<MadeTexts> end);

    SharedRows rows_;
    std::vector<FoldedRow> texts_;                           // FilterText of each row of textsOf_
    SharedRows textsOf_;                                     // the rows texts_ belong to; filtering needs rows_
    std::weak_ptr<const std::vector<IndexRow>> textsJobFor_; // the rows the last job was started for
    std::vector<std::size_t> sorted_;                        // every row, in sort order
    std::vector<std::size_t> shown_;                         // the rows passing the filter, in sort order
    RowFilter filter_;
    RowCollation collation_;
    SharedContentMatch content_; // for other rows than rows_: nothing shown until searched again
    bool onlyMarked_ = false;
    std::vector<UnreachableFolder> unreachable_;
    int sortColumn_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
    BackgroundJob<MadeTexts> textsJob_; // last: it stops before what its end would touch goes
};

} // namespace mapindex
