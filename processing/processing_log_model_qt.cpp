#include "processing/processing_log_model_qt.h"

#include <algorithm>
#include <climits>

namespace quelmar::processing {

ProcessingLogModel::ProcessingLogModel(const ProcessingLog& log, QObject* parent)
    : QAbstractListModel(parent), log_(log) {}

int ProcessingLogModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

QVariant ProcessingLogModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rows_)
        return {};
    return QString::fromStdString(log_.line(static_cast<std::size_t>(index.row())));
}

bool ProcessingLogModel::refresh() {
    const int size = static_cast<int>(std::min<std::size_t>(log_.size(), INT_MAX));
    if (size == rows_)
        return false;
    if (size < rows_) {
        beginResetModel();
        rows_ = size;
        endResetModel();
        return true;
    }
    beginInsertRows(QModelIndex(), rows_, size - 1);
    rows_ = size;
    endInsertRows();
    return true;
}

}  // namespace quelmar::processing
