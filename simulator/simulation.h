#pragma once
// One simulation at a time on its own thread: a glider, a glider's download or ETI. The owner
// (the window or the command line) starts it on an open port and stops it; the thread reports
// through the events only.

#include <functional>
#include <thread>

#include "common/stop_signal.h"
#include "simulator/protocols.h"

namespace quelmar::simulator {

enum class SimulationKind { glider, download, eti };

class Simulation {
public:
    Simulation() = default;
    ~Simulation() { stop(); }
    Simulation(const Simulation&) = delete;
    Simulation& operator=(const Simulation&) = delete;

    // `finished` is called on the worker thread when the protocol has returned by itself
    // (a download with nothing more to read), not after stop().
    void start(SerialPort port, SimulationKind kind, const PlatformSettings& settings,
               SimulationEvents events, std::function<void()> finished = {},
               SimulationTiming timing = {});
    // Ends the thread (within one read time-out) and closes the port.
    void stop();
    bool running() const { return thread_.joinable(); }

private:
    SerialPort port_;
    common::StopSignal stop_;
    std::thread thread_;
};

}  // namespace quelmar::simulator
