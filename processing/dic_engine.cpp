#include "processing/dic_engine.h"

#include <algorithm>
#include <cmath>

#include "common/text.h"

namespace quelmar::processing {

using common::Fixed;
using common::format_text;
using common::text_of;

DicEngine::DicEngine(const DicSettings& settings, LogSink log)
    : settings_(settings), log_(std::move(log)) {
    reset();
}

void DicEngine::log(std::string line) {
    if (log_)
        log_(std::move(line));
}

void DicEngine::reset() {
    previous_ = no_state;
    n_ = 0;
    ring_ = {};
    minimum_ = 0;
    latest_temperature_ = 0;
    crm_step_ = 0;
    crm_value_ = 0;
    crm_known_ = false;
    result_ = {};
}

// 255 is "no state": an inlet state left at it matches no record, so neither the start of
// a file nor its end-of-file record closes or opens a measurement there.
int DicEngine::measuring_inlet(std::uint8_t state) const {
    if (state == no_state)
        return -1;
    for (int j = 0; j < 3; ++j) {
        const auto& in = settings_.params.inlets[j];
        if ((in.type == config::inlet_type::sample || in.type == config::inlet_type::crm) &&
            in.measurement_state == state)
            return j;
    }
    return -1;
}

int DicEngine::sampling_inlet(std::uint8_t state) const {
    if (state == no_state)
        return -1;
    for (int j = 0; j < 3; ++j) {
        const auto& in = settings_.params.inlets[j];
        if (in.type == config::inlet_type::sample && in.intake_state == state)
            return j;
    }
    return -1;
}

bool DicEngine::feed(const RawRecord& r) {
    const std::uint8_t s = r.state;
    bool ready = false;
    if (s != previous_) {
        const std::uint8_t q = previous_;
        const int j = measuring_inlet(q);
        if (j >= 0) {
            log(format_text("exited inlet %d measurement state (%u)", j, q));
            const std::int64_t k = std::min<std::int64_t>(n_, 30);
            double sum = 0;
            for (std::int64_t i = 0; i < k; ++i)
                sum += ring_[static_cast<std::size_t>(i)];
            const double mean = sum / static_cast<double>(k);
            const double step = mean - minimum_;
            const auto& inlet = settings_.params.inlets[j];
            if (inlet.type == config::inlet_type::crm) {
                crm_step_ = step;
                crm_value_ = inlet.crm_value;
                crm_known_ = true;
            } else {
                result_.validity = dic_bad;
                if (crm_known_ && std::fabs(crm_step_) > 1e-11) {
                    result_.measurement_state = q;
                    result_.validity = dic_good;
                    result_.dic = step / crm_step_ * crm_value_;
                    result_.sample_step = static_cast<float>(step);
                    result_.crm_step = static_cast<float>(crm_step_);
                    result_.temperature = static_cast<float>(latest_temperature_);
                    log(format_text("processed DIC result at %u = %f", result_.time, result_.dic));
                } else {
                    log(format_text("processed DIC result at %u failed", result_.time));
                }
                ready = true;
            }
        }
        const int intake = sampling_inlet(s);
        if (intake >= 0) {
            log(format_text("entered inlet %d sample intake state (%u)", intake, s));
            result_ = {};
            result_.time = r.sensor_time;
        }
        const int measuring = measuring_inlet(s);
        if (measuring >= 0) {
            log(format_text("entering inlet %d sample measurement state (%u)", measuring, s));
            n_ = 0;
            ring_ = {};
            minimum_ = 0;
            latest_temperature_ = 0;
        }
    }
    if (measuring_inlet(s) >= 0) {
        const double v = r.channels[0];
        ring_[static_cast<std::size_t>(n_ % 30)] = v;
        if (n_ == 0 || v < minimum_)
            minimum_ = v;
        ++n_;
        latest_temperature_ = thermistor_temperature(settings_.thermistor, r);
    }
    previous_ = s;
    return ready;
}

std::vector<ResultColumn> dic_columns() {
    return {{"Time (platform)", 15}, {"Meas State", 10},   {"DIC (umol/kg)", 12},
            {"Sample Step (V)", 12}, {"CRM Step (V)", 12}, {"Temperature (C)", 12},
            {"Validity", 12}};
}

std::vector<std::string> dic_row(const DicResult& r) {
    return {common::sensor_time_text(r.time),
            format_text("%u", static_cast<unsigned>(r.measurement_state)),
            text_of(Fixed{r.dic, 3}),
            text_of(Fixed{static_cast<double>(r.sample_step), 3}),
            text_of(Fixed{static_cast<double>(r.crm_step), 3}),
            text_of(Fixed{static_cast<double>(r.temperature), 3}),
            r.validity == dic_good ? "good" : "bad"};
}

}  // namespace quelmar::processing
