#include "processing/result_table_model_qt.h"

namespace quelmar::processing {

ResultTableModel::ResultTableModel(const ResultTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table) {
    refresh();
}

int ResultTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int ResultTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant ResultTableModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rows_)
        return {};
    const auto row = table_.row(static_cast<std::size_t>(index.row()));
    const auto column = static_cast<std::size_t>(index.column());
    return column < row.size() ? QString::fromStdString(row[column]) : QString();
}

QVariant ResultTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    if (section < 0 || static_cast<std::size_t>(section) >= columns_.size())
        return {};
    return QString::fromStdString(columns_[static_cast<std::size_t>(section)].title);
}

bool ResultTableModel::refresh() {
    const std::uint64_t revision = table_.revision();
    if (revision == revision_)
        return false;
    beginResetModel();
    revision_ = revision;
    columns_ = table_.columns();
    rows_ = static_cast<int>(table_.row_count());
    endResetModel();
    return true;
}

std::vector<int> ResultTableModel::column_widths() const {
    std::vector<int> w;
    for (const auto& c : columns_)
        w.push_back(c.width);
    return w;
}

}  // namespace quelmar::processing
