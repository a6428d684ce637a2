#pragma once
// The TA engine: the measurement channel and the two thermistor temperatures averaged over
// the blank and sample states under LED1 and LED2, two absorbances, the pH of the acidified
// sample from their temperature-corrected ratio, and the alkalinity from that pH and the
// titrant acid molarity.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "processing/header_scan.h"
#include "processing/raw_record.h"
#include "processing/result_table.h"

namespace quelmar::processing {

using LogSink = std::function<void(std::string)>;

struct TaResult {
    std::uint32_t time = 0;
    double ta = 0;  // µmol/l
    float absorbance_led1 = 0;
    float absorbance_led2 = 0;
    float temperature = 0;
};

struct TaAverages {
    double b1 = 0, b2 = 0, s1 = 0, s2 = 0, t1 = 0, t2 = 0;
};
// The computation of one result from the four channel averages and the two temperatures.
TaResult compute_ta(const config::TaParameters& p, const TaAverages& a);

class TaEngine {
  public:
    TaEngine(const TaSettings& settings, LogSink log);
    void reset();
    bool feed(const RawRecord& r);
    const TaResult& result() const { return result_; }

  private:
    void log(std::string line);
    TaSettings settings_;
    LogSink log_;
    std::uint8_t previous_ = no_state;
    std::uint32_t count_ = 0;
    double channel_sum_ = 0, t0_sum_ = 0, t1_sum_ = 0;
    TaAverages averages_;
    TaResult result_;
};

std::vector<ResultColumn> ta_columns();
std::vector<std::string> ta_row(const TaResult& r);

}  // namespace quelmar::processing
