#pragma once
// Every message box, question and file dialog of the program goes through here, so that a test
// can install a scripted handler that answers them and records exactly what the user would
// have seen.

#include <QString>
#include <QStringList>
#include <deque>
#include <vector>

class QWidget;

namespace quelmar::ui {

enum class PromptIcon { information, warning, error };
enum class PromptAnswer { ok, cancel, yes, no };

// Shows a message with an OK button, titled with the operation or dialog name.
void show_message(QWidget* parent, const QString& title, const QString& text,
                  PromptIcon icon = PromptIcon::information);
// A Yes/No question (destructive steps ask first); true for Yes.
bool ask_yes_no(QWidget* parent, const QString& title, const QString& text,
                PromptIcon icon = PromptIcon::warning);
// Yes, No or Cancel.
PromptAnswer ask_yes_no_cancel(QWidget* parent, const QString& title, const QString& text);
// OK or Cancel; true for OK.
bool ask_ok_cancel(QWidget* parent, const QString& title, const QString& text);
// File choices; an empty result means the user cancelled. `filter` is a Qt filter text such
// as "Raw Output Files (*.csv);;All Files (*)".
QString choose_open_file(QWidget* parent, const QString& title, const QString& filter);
QStringList choose_open_files(QWidget* parent, const QString& title, const QString& filter);
// `file_type`, when given, receives the file type the user chose (one entry of `filter`).
QString choose_save_file(QWidget* parent, const QString& title, const QString& filter,
                         const QString& suggested_name = QString(),
                         QString* file_type = nullptr);
// A save-file choice that ends on the name to write: the extension of the chosen file type
// (or `default_extension` for a type without one) is added to a name typed without one, and
// as the dialog asked only about the name as typed, a file that exists under the completed
// name is replaced only when the user says Yes. Empty when cancelled or not to be replaced.
QString choose_save_target(QWidget* parent, const QString& title, const QString& filter,
                           const QString& default_extension);

// What a prompt showed, for tests.
struct PromptRecord {
    enum class Kind { message, yes_no, yes_no_cancel, ok_cancel, open_file, open_files, save_file };
    Kind kind;
    QString title;
    QString text;  // message or question text; the filter for file choices
};

// A handler answers instead of real dialogs. Tests install a ScriptedPrompts.
class PromptHandler {
public:
    virtual ~PromptHandler() = default;
    virtual void message(const PromptRecord& record) = 0;
    virtual PromptAnswer question(const PromptRecord& record) = 0;
    virtual QStringList files(const PromptRecord& record) = 0;
    // The file type chosen with the last save-file answer; empty for the filter's first.
    virtual QString file_type(const PromptRecord& record) {
        (void)record;
        return {};
    }
};

// Installs `handler` (nullptr restores the real dialogs). The caller keeps ownership.
void install_prompt_handler(PromptHandler* handler);

// Answers questions and file choices from queues, in order, and records every prompt. An
// unscripted question answers No (or Cancel), an unscripted file choice is cancelled.
class ScriptedPrompts : public PromptHandler {
public:
    ScriptedPrompts() { install_prompt_handler(this); }
    ~ScriptedPrompts() override { install_prompt_handler(nullptr); }

    void answer(PromptAnswer a) { answers.push_back(a); }
    void answer_yes() { answer(PromptAnswer::yes); }
    void answer_no() { answer(PromptAnswer::no); }
    void choose(const QString& path) { file_choices.push_back(QStringList{path}); }
    void choose(const QStringList& paths) { file_choices.push_back(paths); }
    void choose_cancel() { file_choices.push_back(QStringList{}); }
    // A save-file answer with the file type picked in the dialog.
    void choose_as(const QString& path, const QString& type) {
        choose(path);
        file_types.push_back(type);
    }

    void message(const PromptRecord& record) override { shown.push_back(record); }
    PromptAnswer question(const PromptRecord& record) override;
    QStringList files(const PromptRecord& record) override;
    QString file_type(const PromptRecord& record) override;

    // Records of the messages only (not questions or file choices).
    std::vector<PromptRecord> messages() const;
    // The last message shown, or an empty record.
    PromptRecord last_message() const;

    std::deque<PromptAnswer> answers;
    std::deque<QStringList> file_choices;
    std::deque<QString> file_types;  // taken by save-file choices; none: the first type
    std::vector<PromptRecord> shown;  // every prompt, in order
};

}  // namespace quelmar::ui
