#pragma once
// The graph beside a processing dialog's results list: one result column against the platform
// time of its row, in the processed graph control of the live views (drag to zoom, right click
// to step back, click to select, Reset Graph), with room for every row the list keeps. A combo
// box chooses the column among those holding numbers; it starts on the chemistry's main result.
// The dialog calls refresh() whenever it refreshes its list: only the rows added since are read,
// and the graph is redrawn once per call.

#include <QWidget>

#include <cstdint>
#include <string>
#include <vector>

#include "live/processed_graph_control.h"
#include "processing/result_series.h"

class QComboBox;
class QPushButton;

namespace quelmar::processing {

class ResultPlotWidget : public QWidget {
    Q_OBJECT
  public:
    ResultPlotWidget(const ResultTable& table, Chemistry chemistry, QWidget* parent = nullptr);

    void refresh();
    // The chemistry's main result is in `column` (the nutrient path the sensor reports, say):
    // plotted unless the user has chosen a column.
    void set_main_column(std::size_t column);

    live::ProcessedGraphControl* graph() const { return graph_; }
    QComboBox* column_box() const { return column_box_; }
    QPushButton* reset_button() const { return reset_; }
    // The table column plotted.
    std::size_t column() const { return series_.column(); }

  private:
    void column_chosen(int index);
    void update_column_box();

    const ResultTable& table_;
    ResultSeries series_;
    std::uint64_t revision_ = UINT64_MAX;
    bool chosen_ = false;  // the user picked the column
    std::vector<std::string> titles_;
    std::vector<std::size_t> listed_;  // the columns the box lists, in its order
    QComboBox* column_box_ = nullptr;
    QPushButton* reset_ = nullptr;
    live::ProcessedGraphControl* graph_ = nullptr;
};

}  // namespace quelmar::processing
