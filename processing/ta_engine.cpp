#include "processing/ta_engine.h"

#include <cmath>

#include "common/text.h"

namespace quelmar::processing {

using common::Fixed;
using common::format_text;
using common::text_of;

namespace {
constexpr std::uint32_t max_records = 1000000;
}

TaResult compute_ta(const config::TaParameters& p, const TaAverages& a) {
    const double a1 = -std::log10(a.s1 / a.b1);
    const double a2 = -std::log10(a.s2 / a.b2);
    const double t = 0.5 * a.t1 + 0.5 * a.t2;
    const double r = ((25 - t) * p.ct + 1) * (a2 / a1);
    const double ph = p.pka + std::log10((r - p.e1) / (p.e2 - p.e3 * r));
    const double h = std::pow(10.0, -ph);
    TaResult out;
    out.ta = (p.acid_molarity - 9.819 * h) / 8.819 * 1000000.0;
    out.absorbance_led1 = static_cast<float>(a1);
    out.absorbance_led2 = static_cast<float>(a2);
    out.temperature = static_cast<float>(t);
    return out;
}

TaEngine::TaEngine(const TaSettings& settings, LogSink log)
    : settings_(settings), log_(std::move(log)) {
    reset();
}

void TaEngine::log(std::string line) {
    if (log_)
        log_(std::move(line));
}

void TaEngine::reset() {
    previous_ = no_state;
    count_ = 0;
    channel_sum_ = t0_sum_ = t1_sum_ = 0;
    averages_ = {};
    result_ = {};
}

bool TaEngine::feed(const RawRecord& r) {
    const auto& p = settings_.params;
    const std::uint8_t s = r.state;
    bool ready = false;
    if (s != previous_) {
        const std::uint8_t q = previous_;
        double* target = nullptr;
        int trigger = -1;
        // 255 is "no state": a parameter left at it matches no record, so neither the start
        // of a file nor its end-of-file record closes or opens a measurement there.
        if (q == no_state) {
        } else if (q == p.blank_state_led1) {
            log(format_text("exited blank (led1) measurement state (%u)", q));
            target = &averages_.b1;
            trigger = 0;
        } else if (q == p.blank_state_led2) {
            log(format_text("exited blank (led2) measurement state (%u)", q));
            target = &averages_.b2;
            trigger = 1;
        } else if (q == p.sample_state_led1) {
            log(format_text("exited sample (led1) measurement state (%u)", q));
            target = &averages_.s1;
            trigger = 2;
        } else if (q == p.sample_state_led2) {
            log(format_text("exited sample (led2) measurement state (%u)", q));
            target = &averages_.s2;
            trigger = 3;
        }
        if (target) {
            const double n = static_cast<double>(count_);
            *target = channel_sum_ / n;
            averages_.t1 = t0_sum_ / n;
            averages_.t2 = t1_sum_ / n;
            if (trigger == p.processing_trigger) {
                log(format_text("meas b1=%f,b2=%f,s1=%f,s2=%f", averages_.b1, averages_.b2,
                                averages_.s1, averages_.s2));
                log(format_text("t1=%f,t2=%f", averages_.t1, averages_.t2));
                const TaResult computed = compute_ta(p, averages_);
                result_.ta = computed.ta;
                result_.absorbance_led1 = computed.absorbance_led1;
                result_.absorbance_led2 = computed.absorbance_led2;
                result_.temperature = computed.temperature;
                log(format_text("processed ta result at %u = %f", result_.time, result_.ta));
                ready = true;
            }
        }
        if (s != no_state && s == p.sample_intake_state) {
            log("entered sample intake state");
            result_ = {};
            result_.time = r.sensor_time;
        }
        if (s != no_state && (s == p.blank_state_led1 || s == p.blank_state_led2 ||
                              s == p.sample_state_led1 || s == p.sample_state_led2)) {
            log(format_text("entering a measurement state (%u)", s));
            channel_sum_ = t0_sum_ = t1_sum_ = 0;
            count_ = 0;
        }
    }
    if (count_ < max_records) {
        ++count_;
        channel_sum_ += channel_value(r, p.measurement_channel);
        t0_sum_ += thermistor_temperature(settings_.thermistors[0], r);
        t1_sum_ += thermistor_temperature(settings_.thermistors[1], r);
    }
    previous_ = s;
    return ready;
}

std::vector<ResultColumn> ta_columns() {
    return {{"Time (platform)", 15},
            {"TA (uM)", 15},
            {"Absorbance LED1", 15},
            {"Absorbance LED2", 15},
            {"Temperature (C)", 15}};
}

std::vector<std::string> ta_row(const TaResult& r) {
    return {common::sensor_time_text(r.time), text_of(Fixed{r.ta, 3}),
            text_of(Fixed{static_cast<double>(r.absorbance_led1), 6}),
            text_of(Fixed{static_cast<double>(r.absorbance_led2), 6}),
            text_of(Fixed{static_cast<double>(r.temperature), 6})};
}

}  // namespace quelmar::processing
