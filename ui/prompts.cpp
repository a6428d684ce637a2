#include "ui/prompts.h"

#include "ui/save_target.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace quelmar::ui {

namespace {
PromptHandler* handler = nullptr;

QMessageBox::Icon box_icon(PromptIcon icon) {
    switch (icon) {
        case PromptIcon::warning: return QMessageBox::Warning;
        case PromptIcon::error: return QMessageBox::Critical;
        default: return QMessageBox::Information;
    }
}

PromptAnswer run_box(QWidget* parent, const QString& title, const QString& text, PromptIcon icon,
                     QMessageBox::StandardButtons buttons, QMessageBox::StandardButton fallback) {
    QMessageBox box(box_icon(icon), title, text, buttons, parent);
    box.setDefaultButton(fallback);
    switch (box.exec()) {
        case QMessageBox::Yes: return PromptAnswer::yes;
        case QMessageBox::No: return PromptAnswer::no;
        case QMessageBox::Cancel: return PromptAnswer::cancel;
        default: return PromptAnswer::ok;
    }
}
}  // namespace

void install_prompt_handler(PromptHandler* h) { handler = h; }

void show_message(QWidget* parent, const QString& title, const QString& text, PromptIcon icon) {
    if (handler) {
        handler->message({PromptRecord::Kind::message, title, text});
        return;
    }
    run_box(parent, title, text, icon, QMessageBox::Ok, QMessageBox::Ok);
}

bool ask_yes_no(QWidget* parent, const QString& title, const QString& text, PromptIcon icon) {
    if (handler)
        return handler->question({PromptRecord::Kind::yes_no, title, text}) == PromptAnswer::yes;
    return run_box(parent, title, text, icon, QMessageBox::Yes | QMessageBox::No,
                   QMessageBox::No) == PromptAnswer::yes;
}

PromptAnswer ask_yes_no_cancel(QWidget* parent, const QString& title, const QString& text) {
    if (handler) return handler->question({PromptRecord::Kind::yes_no_cancel, title, text});
    return run_box(parent, title, text, PromptIcon::warning,
                   QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel);
}

bool ask_ok_cancel(QWidget* parent, const QString& title, const QString& text) {
    if (handler)
        return handler->question({PromptRecord::Kind::ok_cancel, title, text}) == PromptAnswer::ok;
    return run_box(parent, title, text, PromptIcon::information,
                   QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok) == PromptAnswer::ok;
}

QString choose_open_file(QWidget* parent, const QString& title, const QString& filter) {
    if (handler) {
        QStringList l = handler->files({PromptRecord::Kind::open_file, title, filter});
        return l.isEmpty() ? QString() : l.front();
    }
    return QFileDialog::getOpenFileName(parent, title, QString(), filter);
}

QStringList choose_open_files(QWidget* parent, const QString& title, const QString& filter) {
    if (handler) return handler->files({PromptRecord::Kind::open_files, title, filter});
    return QFileDialog::getOpenFileNames(parent, title, QString(), filter);
}

QString choose_save_file(QWidget* parent, const QString& title, const QString& filter,
                         const QString& suggested_name, QString* file_type) {
    if (handler) {
        const PromptRecord record{PromptRecord::Kind::save_file, title, filter};
        QStringList l = handler->files(record);
        if (l.isEmpty()) return QString();
        if (file_type) {
            *file_type = handler->file_type(record);
            if (file_type->isEmpty()) *file_type = filter.section(QStringLiteral(";;"), 0, 0);
        }
        return l.front();
    }
    return QFileDialog::getSaveFileName(parent, title, suggested_name, filter, file_type);
}

QString choose_save_target(QWidget* parent, const QString& title, const QString& filter,
                           const QString& default_extension) {
    QString type;
    const QString chosen = choose_save_file(parent, title, filter, QString(), &type);
    if (chosen.isEmpty()) return {};
    const QString target = QString::fromStdString(
        save_target(chosen.toStdString(), type.toStdString(), default_extension.toStdString()));
    if (target != chosen && QFileInfo::exists(target) &&
        !ask_yes_no(parent, title,
                    QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(target)))
        return {};
    return target;
}

PromptAnswer ScriptedPrompts::question(const PromptRecord& record) {
    shown.push_back(record);
    if (answers.empty())
        return record.kind == PromptRecord::Kind::yes_no ? PromptAnswer::no : PromptAnswer::cancel;
    PromptAnswer a = answers.front();
    answers.pop_front();
    return a;
}

QString ScriptedPrompts::file_type(const PromptRecord&) {
    if (file_types.empty()) return {};
    QString t = file_types.front();
    file_types.pop_front();
    return t;
}

QStringList ScriptedPrompts::files(const PromptRecord& record) {
    shown.push_back(record);
    if (file_choices.empty()) return {};
    QStringList l = file_choices.front();
    file_choices.pop_front();
    return l;
}

std::vector<PromptRecord> ScriptedPrompts::messages() const {
    std::vector<PromptRecord> out;
    for (const auto& r : shown)
        if (r.kind == PromptRecord::Kind::message) out.push_back(r);
    return out;
}

PromptRecord ScriptedPrompts::last_message() const {
    for (auto it = shown.rbegin(); it != shown.rend(); ++it)
        if (it->kind == PromptRecord::Kind::message) return *it;
    return {PromptRecord::Kind::message, {}, {}};
}

}  // namespace quelmar::ui
