#pragma once
// What the widget tests share: the application object and waiting on the event loop.

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <functional>

namespace quelmar::test_support {

inline void ensure_application() {
    if (QApplication::instance()) return;
    static int argc = 1;
    static char name[] = "app_ui_tests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

// Runs the event loop until `done` holds or `ms` have passed; the result of `done` then.
inline bool wait_until(const std::function<bool()>& done, int ms = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

// Runs the event loop for `ms`, so that anything queued has arrived.
inline void settle(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
}

}  // namespace quelmar::test_support
