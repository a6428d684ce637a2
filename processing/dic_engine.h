#pragma once
// The DIC engine: for every inlet measurement the step between the lowest channel-0 reading
// of the state and the mean of its last (up to 30) readings. A CRM inlet's step calibrates;
// a sample inlet's step is converted by the ratio to the latest CRM step times its value.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "processing/header_scan.h"
#include "processing/raw_record.h"
#include "processing/result_table.h"

namespace quelmar::processing {

using LogSink = std::function<void(std::string)>;

constexpr std::uint8_t dic_good = 1;
constexpr std::uint8_t dic_bad = 2;

struct DicResult {
    std::uint16_t measurement_state = 0;
    std::uint32_t time = 0;
    double dic = 0;  // µmol/kg
    std::uint8_t validity = 0;
    float sample_step = 0;  // V
    float crm_step = 0;
    float temperature = 0;
};

class DicEngine {
  public:
    DicEngine(const DicSettings& settings, LogSink log);
    void reset();
    bool feed(const RawRecord& r);
    const DicResult& result() const { return result_; }

  private:
    int measuring_inlet(std::uint8_t state) const;
    int sampling_inlet(std::uint8_t state) const;
    void log(std::string line);

    DicSettings settings_;
    LogSink log_;
    std::uint8_t previous_ = no_state;
    std::int64_t n_ = 0;
    std::array<double, 30> ring_{};
    double minimum_ = 0;
    double latest_temperature_ = 0;
    double crm_step_ = 0;
    float crm_value_ = 0;
    bool crm_known_ = false;
    DicResult result_;
};

std::vector<ResultColumn> dic_columns();
std::vector<std::string> dic_row(const DicResult& r);

}  // namespace quelmar::processing
