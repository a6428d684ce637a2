#pragma once
// What the raw-file processing dialogs share: the file chosen and kept open while the dialog
// is, the results list and processing log with their models, Process / Save / Cancel and a
// progress bar. The data pass runs on a worker thread; the worker only touches the results
// table and the log (both locked) and hands progress and its end to the dialog through
// queued calls, so a month-long file never stalls the window. Each chemistry's dialog adds
// its parameter controls and its header scan, check and pass.

#include <QDialog>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "processing/data_pass.h"
#include "processing/process_command.h"
#include "processing/processing_form.h"
#include "processing/processing_log.h"
#include "processing/processing_messages.h"
#include "processing/raw_file.h"
#include "processing/result_table.h"

class QCheckBox;
class QComboBox;
class QEventLoop;
class QLineEdit;
class QListView;
class QProgressBar;
class QPushButton;
class QTableView;
class QTimer;
class QVBoxLayout;

namespace quelmar::processing {

class ProcessingLogModel;
class ResultPlotWidget;
class ResultTableModel;

class RawProcessingDialog : public QDialog {
    Q_OBJECT
  public:
    ~RawProcessingDialog() override;

    // Asks for the raw output file, opens it and scans its header. False when the dialog
    // is to close at once (cancelled, unreadable, or another chemistry).
    virtual bool start();

    bool busy() const { return worker_.joinable(); }
    const ResultTable& results() const { return table_; }
    const ProcessingLog& processing_log() const { return log_; }
    QPushButton* process_button() const { return process_; }
    QPushButton* save_button() const { return save_; }
    QPushButton* cancel_button() const { return cancel_; }
    QProgressBar* progress_bar() const { return progress_; }
    QTableView* results_view() const { return results_view_; }
    QListView* log_view() const { return log_view_; }
    ResultPlotWidget* result_plot() const { return result_plot_; }

  public slots:
    void process_pressed();
    void save_pressed();
    void cancel_pressed();

  protected:
    RawProcessingDialog(Chemistry chemistry, QWidget* parent);

    using Pass =
        std::function<PassStats(RawSource&, ResultTable&, ProcessingLog&, const PassControl&)>;

    // The chemistry's part. scan_header fills the dialog's settings from the file;
    // read_parameters reads every control back into them and returns why they cannot be
    // processed (empty when they can); make_pass captures a copy of them.
    virtual HeaderScan scan_header(RawSource& file) = 0;
    virtual bool header_chemistry_accepted() const = 0;
    virtual void show_parameters() = 0;
    virtual std::string read_parameters() = 0;
    virtual Pass make_pass() = 0;
    virtual std::vector<ResultColumn> result_columns() const = 0;
    // How the results were made, for a NetCDF save (result_provenance_qt.cpp): taken when
    // Process starts, with the fields as read for the run, and kept for Save.
    virtual ResultProvenance result_provenance();

    QVBoxLayout* parameters_layout() const { return parameters_layout_; }
    QWidget* parameters_area() const { return parameters_area_; }
    const ProcessingTexts& texts() const;
    void set_result_columns(std::vector<ResultColumn> columns);
    void hide_process_button();
    // Runs `work` on the worker thread, then `done` on this thread.
    void run_in_background(std::function<void(const PassControl&)> work,
                           std::function<void()> done);
    void refresh_views();
    void reject() override;

    ResultTable table_;
    ProcessingLog log_;
    RawFile file_;
    // The header's key lines, gathered while the header scan read them (for pH, every key
    // line of the file, as its scan takes them wherever they are).
    std::vector<std::string> header_keys_;
    // How the rows in the list were made, as of Process (or the batch's end).
    ResultProvenance provenance_;

  private:
    void set_progress(std::uint64_t done, std::uint64_t total);
    void work_finished();
    void update_buttons();
    void stop_worker();

    Chemistry chemistry_;
    bool save_allowed_ = false;
    std::thread worker_;
    std::atomic<bool> cancel_requested_{false};
    std::function<void()> done_;
    std::string worker_failure_;  // set by the worker, read after it is joined
    QEventLoop* scan_loop_ = nullptr;  // while start() waits for the header scan
    QWidget* parameters_area_ = nullptr;
    QVBoxLayout* parameters_layout_ = nullptr;
    QTableView* results_view_ = nullptr;
    QListView* log_view_ = nullptr;
    ResultPlotWidget* result_plot_ = nullptr;
    QPushButton* process_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* close_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QTimer* refresh_timer_ = nullptr;
    ResultTableModel* results_model_ = nullptr;
    ProcessingLogModel* log_model_ = nullptr;

    friend class MultiNutrientProcessingDialog;
};

// The parameter fields of the dialog's forms as "Label=text" lines ("Group: Label=text"
// inside a group box).
std::vector<std::string> shown_parameter_fields(QWidget* area);

// Combo boxes and edits filled from the choice tables and read back through the form rules.
QComboBox* make_choice_box(std::span<const Choice> choices, QWidget* parent);
// Fields show their values rounded ("%.5f", "%g", "%.2f"), clamped (states above 254) or
// as the nearest entry of a list; while a field still shows what it was given, it reads back
// the exact value it was given, so that an untouched field computes as `quelmar-cli process`
// does on the same file. An edited field reads as typed.
void show_field(QLineEdit* edit, const std::string& text, double exact);
float read_real_field(QLineEdit* edit);
std::uint8_t read_state_field(QLineEdit* edit);
std::uint32_t read_concentration_field(QLineEdit* edit);
void show_check(QCheckBox* box, std::uint8_t value);  // checked when non-zero
std::uint8_t read_check(QCheckBox* box);              // 1 when checked

// Selects the entry of `value`, the first one when it has none.
void show_choice(QComboBox* box, std::span<const Choice> choices, std::uint8_t value);
// A channel list: a channel that is none of the entries (a header may hold any byte) leaves
// the list without a selection and is kept, so that it reads back as itself and the settings
// check refuses it, instead of the first channel being used in its place.
void show_channel(QComboBox* box, std::span<const Choice> choices, std::uint8_t value);
// The selected entry's value; 0 without a selection (or the kept channel); the value shown
// while the selection is still the one shown.
std::uint8_t read_choice(QComboBox* box, std::span<const Choice> choices);
std::string edit_text(QLineEdit* edit);

}  // namespace quelmar::processing
