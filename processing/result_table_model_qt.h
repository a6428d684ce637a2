#pragma once
// The processed results list as a table model over the results table the data pass fills.
// The table keeps at most 5001 rows and drops the oldest, so a change is announced as a new
// set of rows; refresh() on the user-interface thread does that when the table has changed.

#include <QAbstractTableModel>

#include <cstdint>

#include "processing/result_table.h"

namespace quelmar::processing {

class ResultTableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    ResultTableModel(const ResultTable& table, QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // True when the table changed since the last call.
    bool refresh();
    // Column widths in average character widths.
    std::vector<int> column_widths() const;

  private:
    const ResultTable& table_;
    std::vector<ResultColumn> columns_;
    int rows_ = 0;
    std::uint64_t revision_ = UINT64_MAX;
};

}  // namespace quelmar::processing
