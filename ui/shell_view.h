#pragma once
// What every view of the main window has in common: its header text in the top-left corner,
// the shell state it is told after every change, and the requests it makes of the main
// window (start and stop of the state machine). Views fill the main window above the status
// bar, one at a time.

#include <QHBoxLayout>
#include <QLabel>
#include <QWidget>

#include "link/device_events.h"

namespace quelmar::link {
class SensorLink;
}

namespace quelmar::monitor {
class StatusMonitor;
}

namespace quelmar::ui {

using monitor::StatusMonitor;

// What the main window gives the views it creates. Both outlive every view.
struct ShellContext {
    link::SensorLink* link = nullptr;
    StatusMonitor* monitor = nullptr;
    unsigned state = 0;
};

class ShellView : public QWidget {
    Q_OBJECT
public:
    ShellView(const QString& header, QWidget* parent);

    QString header_text() const { return header_->text(); }
    unsigned shell_state() const { return state_; }

    // The shell state after every change of the main window.
    virtual void set_shell_state(unsigned state) { state_ = state; }
    // The sensor's configuration may have changed: re-read what the view shows.
    virtual void configuration_changed() {}
    // A device arrived or left while not connected.
    virtual void device_changed(const link::DeviceChange& change) { (void)change; }
    // Called before the main window lets go of the view: a view with a worker thread ends it
    // here, so that nothing of the view runs once the next view is shown.
    virtual void shutdown() {}

signals:
    void start_requested(int start_state);
    void stop_requested();

protected:
    // Below the header: the control column on the left, the view's content to its right.
    QHBoxLayout* body() const { return body_; }

private:
    QLabel* header_;
    QHBoxLayout* body_;
    unsigned state_ = 0;
};

}  // namespace quelmar::ui
