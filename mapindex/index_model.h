#pragma once

#include "index_row.h"
#include "row_order.h"
#include "row_text.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <array>
#include <vector>

namespace mapindex {

// Every map of the collection as a row; shows the rows that pass the filter,
// in the order of the last sort (listing order before any).
class IndexModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit IndexModel(QObject *parent = nullptr);

    void setRows(std::vector<IndexRow> rows);
    // texts[i] is MakeRowText(rows[i]), made beforehand.
    void setRows(std::vector<IndexRow> rows, std::vector<RowText> texts);
    const std::vector<IndexRow> &rows() const { return rows_; }
    void setFilterText(const QString &typed);

    int totalCount() const { return static_cast<int>(rows_.size()); }
    const IndexRow &shownRow(int row) const { return rows_[shown_[static_cast<std::size_t>(row)]]; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void sort(int column, Qt::SortOrder order) override;

signals:
    void shownCountChanged();

private:
    void orderRows();
    void applyFilter();

    std::vector<IndexRow> rows_;
    std::vector<RowText> texts_;
    std::vector<std::size_t> sorted_; // every row, in sort order
    std::vector<std::size_t> shown_;  // the rows passing the filter, in sort order
    QStringList words_;
    int sortColumn_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};

} // namespace mapindex
