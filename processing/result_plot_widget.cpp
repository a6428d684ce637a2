#include "processing/result_plot_widget.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace quelmar::processing {

ResultPlotWidget::ResultPlotWidget(const ResultTable& table, Chemistry chemistry, QWidget* parent)
    : QWidget(parent), table_(table), series_(main_result_column(chemistry)) {
    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(0, 0, 0, 0);
    auto* controls = new QHBoxLayout;
    auto* label = new QLabel(tr("Plot"), this);
    column_box_ = new QComboBox(this);
    column_box_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    label->setBuddy(column_box_);
    reset_ = new QPushButton(tr("Reset Graph"), this);
    controls->addWidget(label);
    controls->addWidget(column_box_);
    controls->addStretch(1);
    controls->addWidget(reset_);
    top->addLayout(controls);
    graph_ = new live::ProcessedGraphControl(this, max_result_rows);
    graph_->setMinimumSize(300, 200);
    top->addWidget(graph_, 1);

    connect(column_box_, &QComboBox::currentIndexChanged, this, &ResultPlotWidget::column_chosen);
    connect(reset_, &QPushButton::clicked, graph_, &live::ProcessedGraphControl::reset);
    refresh();
}

void ResultPlotWidget::refresh() {
    const std::uint64_t revision = table_.revision();
    if (revision == revision_)
        return;
    revision_ = revision;
    std::vector<std::string> titles = table_.titles();
    const bool retitled = titles != titles_;
    titles_ = std::move(titles);
    ResultSeries::Change change = series_.update(table_);
    std::vector<live::ProcessedGraphControl::Sample> samples;
    samples.reserve(change.added.size());
    for (const SeriesPoint& p : change.added)
        samples.push_back({p.x, p.y});
    const std::size_t column = series_.column();
    if (retitled || change.restarted)
        graph_->set_value_title(column < titles_.size() ? QString::fromStdString(titles_[column])
                                                        : QString());
    if (change.restarted)
        graph_->replace_points(samples);
    else if (change.dropped > 0 || !samples.empty())
        graph_->add_points(change.dropped, samples);
    else if (retitled)
        graph_->redraw();
    update_column_box();
}

void ResultPlotWidget::update_column_box() {
    // The chosen column stays listed even before its first number (a run not yet made).
    std::vector<std::size_t> listed;
    for (std::size_t c = 0; c < titles_.size(); ++c)
        if (c == series_.column() || (series_.has_numbers(c) && plottable_title(titles_[c])))
            listed.push_back(c);
    const int shown = column_box_->count();
    bool same = listed == listed_ && static_cast<std::size_t>(shown) == listed.size();
    for (int i = 0; same && i < shown; ++i)
        same = column_box_->itemText(i).toStdString() == titles_[listed[static_cast<std::size_t>(i)]];
    const QSignalBlocker block(column_box_);
    if (!same) {
        listed_ = std::move(listed);
        column_box_->clear();
        for (std::size_t c : listed_)
            column_box_->addItem(QString::fromStdString(titles_[c]));
    }
    for (std::size_t i = 0; i < listed_.size(); ++i)
        if (listed_[i] == series_.column() && column_box_->currentIndex() != static_cast<int>(i))
            column_box_->setCurrentIndex(static_cast<int>(i));
}

void ResultPlotWidget::set_main_column(std::size_t column) {
    if (chosen_ || column == series_.column())
        return;
    series_.choose_column(column);
    revision_ = UINT64_MAX;
    refresh();
}

void ResultPlotWidget::column_chosen(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= listed_.size())
        return;
    chosen_ = true;
    series_.choose_column(listed_[static_cast<std::size_t>(index)]);
    revision_ = UINT64_MAX;
    refresh();
}

}  // namespace quelmar::processing
