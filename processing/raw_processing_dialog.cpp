#include "processing/raw_processing_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMetaObject>
#include <QProgressBar>
#include <QSplitter>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include "ui/prompts.h"
#include "ui/save_target.h"
#include "common/text.h"
#include "processing/processing_log_model_qt.h"
#include "processing/result_plot_widget.h"
#include "processing/result_table_model_qt.h"

#include <optional>

namespace quelmar::processing {

namespace {
constexpr int progress_steps = 1000;
constexpr const char* kept_channel = "quelmar_kept_channel";
constexpr const char* shown_text = "quelmar_shown_text";
constexpr const char* shown_value = "quelmar_shown_value";
constexpr const char* shown_index = "quelmar_shown_index";

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}
}  // namespace

QComboBox* make_choice_box(std::span<const Choice> choices, QWidget* parent) {
    auto* box = new QComboBox(parent);
    for (const Choice& c : choices)
        box->addItem(QString::fromUtf8(c.text));
    box->setCurrentIndex(-1);
    return box;
}

void show_field(QLineEdit* edit, const std::string& text, double exact) {
    edit->setText(qs(text));
    edit->setProperty(shown_text, edit->text());
    edit->setProperty(shown_value, exact);
}

namespace {
std::optional<double> untouched(const QLineEdit* edit) {
    const QVariant value = edit->property(shown_value);
    if (!value.isValid() || edit->property(shown_text).toString() != edit->text())
        return std::nullopt;
    return value.toDouble();
}
}  // namespace

float read_real_field(QLineEdit* edit) {
    if (const auto v = untouched(edit))
        return static_cast<float>(*v);
    return read_real(edit_text(edit));
}

std::uint8_t read_state_field(QLineEdit* edit) {
    if (const auto v = untouched(edit))
        return static_cast<std::uint8_t>(*v);
    return read_state(edit_text(edit));
}

std::uint32_t read_concentration_field(QLineEdit* edit) {
    if (const auto v = untouched(edit))
        return static_cast<std::uint32_t>(*v);
    return read_concentration(edit_text(edit));
}

void show_check(QCheckBox* box, std::uint8_t value) {
    box->setChecked(value != 0);
    box->setProperty(shown_value, static_cast<int>(value));
}

std::uint8_t read_check(QCheckBox* box) {
    const QVariant value = box->property(shown_value);
    if (value.isValid() && box->isChecked() == (value.toInt() != 0))
        return static_cast<std::uint8_t>(value.toInt());
    return box->isChecked() ? 1 : 0;
}

void show_choice(QComboBox* box, std::span<const Choice> choices, std::uint8_t value) {
    box->setProperty(kept_channel, QVariant());
    box->setCurrentIndex(choice_index(choices, value));
    box->setProperty(shown_index, box->currentIndex());
    box->setProperty(shown_value, static_cast<int>(value));
}

void show_channel(QComboBox* box, std::span<const Choice> choices, std::uint8_t value) {
    if (has_choice(choices, value)) {
        show_choice(box, choices, value);
        return;
    }
    box->setCurrentIndex(-1);
    box->setProperty(kept_channel, static_cast<int>(value));
    box->setProperty(shown_index, QVariant());
}

std::uint8_t read_choice(QComboBox* box, std::span<const Choice> choices) {
    const int index = box->currentIndex();
    if (index < 0) {
        const QVariant kept = box->property(kept_channel);
        return kept.isValid() ? static_cast<std::uint8_t>(kept.toInt()) : 0;
    }
    const QVariant shown = box->property(shown_index);
    if (shown.isValid() && shown.toInt() == index)
        return static_cast<std::uint8_t>(box->property(shown_value).toInt());
    return choice_value(choices, index);
}

std::string edit_text(QLineEdit* edit) {
    return edit->text().toStdString();
}

RawProcessingDialog::RawProcessingDialog(Chemistry chemistry, QWidget* parent)
    : QDialog(parent), chemistry_(chemistry) {
    setWindowTitle(QString::fromUtf8(texts().caption));
    auto* top = new QVBoxLayout(this);

    parameters_area_ = new QWidget(this);
    parameters_layout_ = new QVBoxLayout(parameters_area_);
    parameters_layout_->setContentsMargins(0, 0, 0, 0);
    top->addWidget(parameters_area_);

    auto* buttons = new QHBoxLayout;
    process_ = new QPushButton(tr("Process"), this);
    save_ = new QPushButton(tr("Save"), this);
    progress_ = new QProgressBar(this);
    progress_->setRange(0, progress_steps);
    progress_->setValue(0);
    cancel_ = new QPushButton(tr("Cancel"), this);
    close_ = new QPushButton(tr("Close"), this);
    buttons->addWidget(process_);
    buttons->addWidget(save_);
    buttons->addWidget(progress_, 1);
    buttons->addWidget(cancel_);
    buttons->addWidget(close_);
    top->addLayout(buttons);

    results_model_ = new ResultTableModel(table_, this);
    results_view_ = new QTableView(this);
    results_view_->setModel(results_model_);
    results_view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    results_view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    results_view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    results_view_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    // The graph of the results beside their list.
    result_plot_ = new ResultPlotWidget(table_, chemistry_, this);
    auto* results = new QSplitter(Qt::Horizontal, this);
    results->addWidget(results_view_);
    results->addWidget(result_plot_);
    results->setChildrenCollapsible(false);
    results->setSizes({550, 550});
    top->addWidget(results, 3);

    log_model_ = new ProcessingLogModel(log_, this);
    log_view_ = new QListView(this);
    log_view_->setModel(log_model_);
    // Every line the same height: the view then never measures a million rows.
    log_view_->setUniformItemSizes(true);
    log_view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    top->addWidget(log_view_, 2);

    refresh_timer_ = new QTimer(this);
    refresh_timer_->setInterval(100);
    connect(refresh_timer_, &QTimer::timeout, this, &RawProcessingDialog::refresh_views);

    connect(process_, &QPushButton::clicked, this, &RawProcessingDialog::process_pressed);
    connect(save_, &QPushButton::clicked, this, &RawProcessingDialog::save_pressed);
    connect(cancel_, &QPushButton::clicked, this, &RawProcessingDialog::cancel_pressed);
    connect(close_, &QPushButton::clicked, this, &RawProcessingDialog::reject);
    process_->setDefault(true);
    resize(1100, 760);
    update_buttons();
}

RawProcessingDialog::~RawProcessingDialog() {
    stop_worker();
}

const ProcessingTexts& RawProcessingDialog::texts() const {
    return processing_texts(chemistry_);
}

void RawProcessingDialog::set_result_columns(std::vector<ResultColumn> columns) {
    table_.set_columns(std::move(columns));
    refresh_views();
}

void RawProcessingDialog::hide_process_button() {
    process_->hide();
}

bool RawProcessingDialog::start() {
    set_result_columns(result_columns());
    const QString path = ui::choose_open_file(this, QStringLiteral("Raw Output File"),
                                               QStringLiteral("Raw Output Files (*.csv)"));
    if (path.isEmpty())
        return false;
    if (!file_.open(path.toStdString())) {
        ui::show_message(this, QString::fromUtf8(texts().caption), qs(file_.open_failure()),
                          ui::PromptIcon::error);
        return false;
    }
    update_buttons();
    // The pH scan reads the whole file, and so does any scan of a file without an end
    // marker: it runs on the worker with the dialog's progress bar and Cancel, the window
    // shown and answering meanwhile.
    auto scan = std::make_shared<HeaderScan>();
    auto keys = std::make_shared<std::vector<std::string>>();
    setWindowModality(Qt::ApplicationModal);  // as exec() will keep it
    show();
    QEventLoop loop;
    scan_loop_ = &loop;
    run_in_background(
        [this, scan, keys](const PassControl& control) {
            WatchedSource watched(file_, control);
            HeaderKeyTap tap(watched, chemistry_ == Chemistry::ph);
            *scan = scan_header(tap);
            *keys = tap.keys();
        },
        [&loop] { loop.quit(); });
    if (busy())
        loop.exec();
    scan_loop_ = nullptr;
    if (cancel_requested_.load() || !worker_failure_.empty() || !file_.is_open())
        return false;
    header_keys_ = std::move(*keys);
    if (scan->read_error) {
        ui::show_message(this, QString::fromUtf8(texts().read_error_caption),
                          QString::fromUtf8(io_error_text), ui::PromptIcon::error);
        return false;
    }
    if (!scan->header_found) {
        ui::show_message(this, QString::fromUtf8(texts().caption),
                          QString::fromUtf8(texts().no_parameters), ui::PromptIcon::warning);
        return true;
    }
    if (!header_chemistry_accepted()) {
        ui::show_message(this, QString::fromUtf8(texts().caption),
                          QString::fromUtf8(texts().wrong_chemistry), ui::PromptIcon::error);
        return false;
    }
    show_parameters();
    return true;
}

void RawProcessingDialog::process_pressed() {
    if (busy() || !file_.is_open())
        return;
    log_.clear();
    save_allowed_ = false;
    // The rows of the previous run go whether or not these parameters are accepted: rows
    // left beside a refusal would pass for the results of what the fields now show.
    table_.clear();
    table_.set_columns(result_columns());
    const std::string refused = read_parameters();
    if (!refused.empty()) {
        refresh_views();
        update_buttons();
        ui::show_message(this, QString::fromUtf8(texts().caption), qs(refused),
                          ui::PromptIcon::warning);
        return;
    }
    // What Save records is what this run was made with, whatever the fields show later.
    provenance_ = result_provenance();
    Pass pass = make_pass();
    auto stats = std::make_shared<PassStats>();
    run_in_background(
        [this, pass, stats](const PassControl& control) {
            *stats = pass(file_, table_, log_, control);
        },
        [this, stats] {
            switch (stats->status) {
                case PassStatus::completed:
                    save_allowed_ = true;
                    break;
                case PassStatus::cancelled:
                    log_.add_closing(
                        "Processing cancelled: the results list holds the rows made "
                        "before it");
                    break;
                case PassStatus::read_error:
                    ui::show_message(this, QString::fromUtf8(texts().read_error_caption),
                                      QString::fromUtf8(io_error_text), ui::PromptIcon::error);
                    break;
            }
        });
}

void RawProcessingDialog::save_pressed() {
    if (busy() || !save_allowed_)
        return;
    // The type chosen completes a name typed without an extension; the extension decides
    // the format.
    QString type;
    QString path = ui::choose_save_file(
        this, QStringLiteral("Processed Results Output File"),
        QStringLiteral("CSV Files (*.csv);;NetCDF Files (*.nc)"), QString(), &type);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty()) {
        path = qs(ui::save_target(path.toStdString(), type.toStdString(), "csv"));
        // The file dialog asked about the name as typed, not about the completed one.
        if (QFileInfo::exists(path) &&
            !ui::ask_yes_no(
                this, QStringLiteral("Save Processed Output"),
                QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(path)))
            return;
    }
    const std::string target = path.toStdString();
    const ResultFormat format = result_format_of_path(target);
    const SaveOutcome saved = save_results_as(format, table_, target, provenance_);
    if (!saved.message.empty())
        ui::show_message(this, QStringLiteral("Save Processed Output"), qs(saved.message),
                          saved.ok ? ui::PromptIcon::information : ui::PromptIcon::error);
}

void RawProcessingDialog::cancel_pressed() {
    cancel_requested_.store(true);
}

void RawProcessingDialog::run_in_background(std::function<void(const PassControl&)> work,
                                            std::function<void()> done) {
    if (busy())
        return;
    cancel_requested_.store(false);
    worker_failure_.clear();
    done_ = std::move(done);
    progress_->setValue(0);
    refresh_views();
    refresh_timer_->start();
    worker_ = std::thread([this, work = std::move(work)] {
        PassControl control;
        control.cancel = &cancel_requested_;
        control.progress = [this](std::uint64_t done, std::uint64_t total) {
            QMetaObject::invokeMethod(
                this, [this, done, total] { set_progress(done, total); }, Qt::QueuedConnection);
        };
        // Nothing the pass throws (memory exhausted by a hostile file, say) may end the
        // program: it ends the pass and the window says so.
        try {
            work(control);
        } catch (const std::exception& e) {
            worker_failure_ = e.what();
        } catch (...) {
            worker_failure_ = "unknown error";
        }
        QMetaObject::invokeMethod(
            this, [this] { work_finished(); }, Qt::QueuedConnection);
    });
    update_buttons();
}

void RawProcessingDialog::set_progress(std::uint64_t done, std::uint64_t total) {
    if (total == 0)
        return;
    progress_->setValue(
        static_cast<int>(std::min<std::uint64_t>(done, total) * progress_steps / total));
}

void RawProcessingDialog::work_finished() {
    if (worker_.joinable())
        worker_.join();
    refresh_timer_->stop();
    if (!cancel_requested_.load())
        progress_->setValue(progress_steps);
    std::function<void()> done = std::move(done_);
    done_ = nullptr;
    if (done)
        done();
    if (!worker_failure_.empty()) {
        // What the pass left is not to be trusted: nothing is saved from it.
        save_allowed_ = false;
        log_.add_closing("Processing stopped: " + worker_failure_);
        ui::show_message(this, QString::fromUtf8(texts().caption),
                          qs("Processing stopped: " + worker_failure_), ui::PromptIcon::error);
    }
    refresh_views();
    update_buttons();
}

void RawProcessingDialog::refresh_views() {
    if (results_model_->refresh()) {
        const auto widths = results_model_->column_widths();
        const int unit = fontMetrics().averageCharWidth();
        for (std::size_t i = 0; i < widths.size(); ++i)
            results_view_->setColumnWidth(static_cast<int>(i), widths[i] * unit);
        results_view_->scrollToBottom();
    }
    if (log_model_->refresh())
        log_view_->scrollToBottom();
    result_plot_->refresh();
}

void RawProcessingDialog::update_buttons() {
    const bool running = busy();
    process_->setEnabled(!running && file_.is_open());
    save_->setEnabled(!running && save_allowed_);
    cancel_->setEnabled(running);
    parameters_area_->setEnabled(!running);
}

void RawProcessingDialog::stop_worker() {
    if (!worker_.joinable())
        return;
    cancel_requested_.store(true);
    worker_.join();
}

void RawProcessingDialog::reject() {
    // Closing while a pass runs ends the pass first; its rows are dropped with the dialog.
    stop_worker();
    done_ = nullptr;
    refresh_timer_->stop();
    file_.close();
    if (scan_loop_)
        scan_loop_->quit();
    QDialog::reject();
}

}  // namespace quelmar::processing
