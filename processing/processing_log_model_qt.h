#pragma once
// The processing log as a list model: rows are read from the log by index when the view
// paints them, so a log of a million lines costs the view nothing but its visible rows. The
// data-pass worker appends to the log; refresh() on the user-interface thread announces the
// new lines.

#include <QAbstractListModel>

#include "processing/processing_log.h"

namespace quelmar::processing {

class ProcessingLogModel : public QAbstractListModel {
    Q_OBJECT
  public:
    ProcessingLogModel(const ProcessingLog& log, QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // True when lines were added (or the log was emptied) since the last call.
    bool refresh();

  private:
    const ProcessingLog& log_;
    int rows_ = 0;
};

}  // namespace quelmar::processing
