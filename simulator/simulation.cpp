#include "simulator/simulation.h"

namespace quelmar::simulator {

void Simulation::start(SerialPort port, SimulationKind kind, const PlatformSettings& settings,
                       SimulationEvents events, std::function<void()> finished,
                       SimulationTiming timing) {
    stop();
    port_ = std::move(port);
    stop_.reset();
    thread_ = std::thread([this, kind, settings, events = std::move(events),
                           finished = std::move(finished), timing] {
        switch (kind) {
            case SimulationKind::glider: run_glider(port_, settings, events, stop_, timing); break;
            case SimulationKind::download: run_glider_download(port_, events, stop_); break;
            case SimulationKind::eti: run_eti(port_, settings, events, stop_, timing); break;
        }
        if (!stop_.stop_requested() && finished) finished();
    });
}

void Simulation::stop() {
    stop_.request_stop();
    if (thread_.joinable()) thread_.join();
    if (port_.close) port_.close();
    port_ = SerialPort{};
}

}  // namespace quelmar::simulator
