#include "processing/ph_engine.h"

#include <cmath>

#include "common/text.h"

namespace quelmar::processing {

using common::Fixed;
using common::format_text;
using common::text_of;

namespace {
constexpr double tiny = 1e-11;
}

bool ph_from_ratio(double r, double t, double s, double r_scale, double r_offset, double& ph) {
    const double T = t + 273.15;
    const double R = r_scale * r + r_offset;
    const double e = 1 - ((s - 35) * 1.0436e-4 + (T * 2.60262e-4 - 0.020813)) * R;
    if (!(std::fabs(e) > tiny))
        return false;
    const double q = (R - (T * 4.5174e-5 - 0.007762)) / e;
    if (!(q > tiny))
        return false;
    ph = std::log(T) * (44.493382 - 0.052711 * s) +
         (7229.23864 - 7.098137 * s - 0.057034 * s * s) / T +
         (0.315971 * s - 246.64209 + 2.8855e-4 * s * s) - 0.0781344 * T + std::log10(q);
    return true;
}

PhEngine::PhEngine(const PhSettings& settings, LogSink log)
    : settings_(settings), log_(std::move(log)) {
    reset();
}

void PhEngine::log(std::string line) {
    if (log_)
        log_(std::move(line));
}

void PhEngine::reset() {
    const std::uint32_t interval = settings_.sample_interval_ms ? settings_.sample_interval_ms : 1;
    start_ = static_cast<std::uint32_t>(settings_.params.blank_start_offset) * 1000u / interval;
    end_ = static_cast<std::uint32_t>(settings_.params.blank_end_offset) * 1000u / interval;
    blank_count_ = end_ - start_ + 1;
    clear_measurement();
    previous_ = no_state;
    result_ = {};
}

void PhEngine::clear_measurement() {
    u_ = 0;
    ref434_ = ref578_ = 0;
    p578_ = pmax_ = pmin_ = {};
    running_ = saved_ = {};
}

bool PhEngine::feed(const RawRecord& r) {
    const auto& p = settings_.params;
    const std::uint8_t s = r.state;
    bool ready = false;
    // 255 is "no state": a parameter left at it matches no record, so neither the start of a
    // file nor its end-of-file record closes or opens a measurement there.
    const bool measuring = s != no_state && s == p.sample_measurement_state;
    if (s != previous_) {
        if (previous_ != no_state && previous_ == p.sample_measurement_state)
            ready = close_measurement(previous_);
        if (s != no_state && s == p.sample_intake_state) {
            log(format_text("entered sample intake state (%d)", s));
            result_ = {};
            result_.time = r.sensor_time;
            result_.salinity = static_cast<float>(r.platform_salinity);
            result_.temperature = static_cast<float>(r.platform_temperature);
            result_.dissolved_oxygen = static_cast<float>(r.platform_do);
            log(format_text("platform s=%.3f,t=%.3f,do=%.3f", static_cast<double>(result_.salinity),
                            static_cast<double>(result_.temperature),
                            static_cast<double>(result_.dissolved_oxygen)));
        }
        if (measuring) {
            log(format_text("entering sample measurement state (%u)", s));
            clear_measurement();
        }
    }
    if (measuring)
        process_sample(r);
    ++u_;
    previous_ = s;
    return ready;
}

void PhEngine::process_sample(const RawRecord& r) {
    const auto& p = settings_.params;
    const double h = channel_value(r, p.blue_channel);
    const double l = channel_value(r, p.yellow_channel);
    if (u_ < start_)
        return;
    if (u_ <= end_) {
        ref434_ += h / blank_count_;
        ref578_ += l / blank_count_;
        return;
    }
    if (!(ref434_ > tiny && ref578_ > tiny && h > tiny && l > tiny))
        return;
    Point pt;
    pt.i = u_;
    pt.x = -std::log10(h / ref434_);
    pt.y = -std::log10(l / ref578_);
    pt.t = p.thermistor1_scale * thermistor_temperature(settings_.thermistors[0], r) +
           p.thermistor2_scale * thermistor_temperature(settings_.thermistors[1], r);
    const double amin = p.absorbance_min_blue;
    const double amax = p.absorbance_max_yellow;
    bool mark = true;
    if (running_.n == 0 || pt.y > p578_.y) {
        p578_ = pmax_ = pmin_ = pt;
        running_ = {};
    } else if (std::fabs(pmax_.y - amax) > std::fabs(pt.y - amax)) {
        pmax_ = pmin_ = pt;
        running_ = {};
    } else if (std::fabs(pmin_.x - amin) > std::fabs(pt.x - amin)) {
        pmin_ = pt;
    } else {
        mark = false;
    }
    running_.n += 1;
    running_.x2 += pt.x * pt.x;
    running_.x3 += pt.x * pt.x * pt.x;
    running_.x4 += pt.x * pt.x * pt.x * pt.x;
    running_.xy += pt.x * pt.y;
    running_.x2y += pt.x * pt.x * pt.y;
    running_.t += pt.t;
    if (mark)
        saved_ = running_;
}

bool PhEngine::close_measurement(std::uint8_t state) {
    const auto& p = settings_.params;
    auto point = [](const char* format, const Point& q) {
        return format_text(format, static_cast<int>(q.i), q.x, q.y, q.t);
    };
    log(format_text("exiting sample measurement state (%d)", state));
    log(format_text("blank_start_index=%u, blank_end_index=%u", start_, end_));
    log(format_text("abs434ref=%f, abs578ref=%f", ref434_, ref578_));
    log(point("abs578max(i,x,y,t) = (%d,%f,%f,%f)", p578_));
    log(point("absmax(i,x,y,t) = (%d,%f,%f,%f)", pmax_));
    log(point("absmin(i,x,y,t) = (%d,%f,%f,%f)", pmin_));
    log(format_text("num samples = %d", static_cast<int>(saved_.n)));
    log(format_text("sensor cal scale=%f, offset=%f", static_cast<double>(p.r_scale),
                    static_cast<double>(p.r_offset)));
    const Window& w = saved_;
    if (w.n <= 10) {
        log(format_text("Too few samples for regression (%u<=%u)", static_cast<unsigned>(w.n),
                        10u));
        return false;
    }
    const double d = w.x4 * w.x2 - w.x3 * w.x3;
    if (!(std::fabs(d) > tiny)) {
        log("Regression impossible");
        return false;
    }
    const double r = (w.xy * w.x4 - w.x2y * w.x3) / d;
    const double t = w.t / static_cast<double>(w.n);
    const double s = result_.salinity;
    log(format_text("r=%f,t=%f,s=%f", r, t, s));
    double ph = 0;
    if (!ph_from_ratio(r, t, s, p.r_scale, p.r_offset, ph)) {
        log(format_text("time=%u,pH=failed", result_.time));
        return false;
    }
    log(format_text("time=%u,pH=%f", result_.time, ph));
    result_.ph = ph + static_cast<double>(p.dph_dt) * (result_.temperature - t);
    result_.r = r;
    result_.r_adjusted = p.r_scale * r + p.r_offset;
    result_.thermistor_temperature = t;
    result_.valid = true;
    return true;
}

std::vector<ResultColumn> ph_columns() {
    return {{"Time (platform)", 15}, {"pH", 10},      {"r", 10},        {"r (adjusted)", 10},
            {"T (thermistor)", 10},  {"S (PSU)", 10}, {"T (degC)", 10}, {"DO (ml/l)", 10}};
}

std::vector<std::string> ph_row(const PhResult& r) {
    return {common::sensor_time_text(r.time),
            text_of(Fixed{r.ph, 3}),
            text_of(Fixed{r.r, 4}),
            text_of(Fixed{r.r_adjusted, 4}),
            text_of(Fixed{r.thermistor_temperature, 3}),
            text_of(Fixed{static_cast<double>(r.salinity), 3}),
            text_of(Fixed{static_cast<double>(r.temperature), 3}),
            text_of(Fixed{static_cast<double>(r.dissolved_oxygen), 3})};
}

}  // namespace quelmar::processing
