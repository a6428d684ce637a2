#pragma once
// The pH engine: a blank reference early in each measurement state, then per sample the
// 434 nm and 578 nm absorbances; a window on the dye peak fitted by least squares for the
// absorbance ratio, and the indicator equation for the pH at the thermistor temperature,
// corrected to the water temperature the platform reported.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "processing/header_scan.h"
#include "processing/raw_record.h"
#include "processing/result_table.h"

namespace quelmar::processing {

using LogSink = std::function<void(std::string)>;

struct PhResult {
    std::uint32_t time = 0;
    bool valid = false;
    float salinity = 0;
    float temperature = 0;
    float dissolved_oxygen = 0;
    double ph = 0;
    double r = 0;
    double r_adjusted = 0;
    double thermistor_temperature = 0;
};

// The indicator pH equation (purified meta-cresol purple, total scale) for absorbance ratio
// r at t °C and salinity s, with the ratio adjusted by scale and offset. False when it has
// no value.
bool ph_from_ratio(double r, double t, double s, double r_scale, double r_offset, double& ph);

class PhEngine {
  public:
    // The sample interval must not be 0 (check_ph_settings refuses it).
    PhEngine(const PhSettings& settings, LogSink log);
    void reset();
    bool feed(const RawRecord& r);
    const PhResult& result() const { return result_; }
    std::uint32_t blank_start_index() const { return start_; }
    std::uint32_t blank_end_index() const { return end_; }

  private:
    struct Point {
        std::uint32_t i = 0;
        double x = 0, y = 0, t = 0;
    };
    struct Window {
        std::int64_t n = 0;
        double x2 = 0, x3 = 0, x4 = 0, xy = 0, x2y = 0, t = 0;
    };
    void clear_measurement();
    void process_sample(const RawRecord& r);
    bool close_measurement(std::uint8_t state);
    void log(std::string line);

    PhSettings settings_;
    LogSink log_;
    std::uint32_t start_ = 0, end_ = 0, blank_count_ = 0;
    std::uint32_t u_ = 0;
    double ref434_ = 0, ref578_ = 0;
    Point p578_, pmax_, pmin_;
    Window running_, saved_;
    std::uint8_t previous_ = no_state;
    PhResult result_;
};

std::vector<ResultColumn> ph_columns();
std::vector<std::string> ph_row(const PhResult& r);

}  // namespace quelmar::processing
