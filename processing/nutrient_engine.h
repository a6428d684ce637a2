#pragma once
// The nutrient engine: averages every channel over each measurement state of a cycle, turns
// the averages into absorbances (with drift and optical correction) and the sample absorbance
// into a concentration with the standards, for the Medium, Short and Long paths.

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

struct NutrientResult {
    std::uint32_t platform_time = 0;
    std::uint32_t sensor_time = 0;
    float salinity = 0;
    float temperature = 0;
    float depth = 0;
    float medium = 0;  // µM
    float short_ = 0;
    float long_ = 0;
};

enum NutrientPath { path_medium = 0, path_short = 1, path_long = 2 };

// Per path: the absorbances of sample, standard 1 and standard 2 of its last success.
struct NutrientAbsorbances {
    std::array<double, 3> sample{};
    std::array<double, 3> standard1{};
    std::array<double, 3> standard2{};
};

// Dilution of the optical-correction pair for the nutrient type (1.0 for an unknown type).
double nutrient_dilution_factor(ChemistryType type);
std::string nutrient_dilution_text(ChemistryType type);  // "1:%.3f"
// "Nitrate", ...; empty for a type that is no nutrient.
std::string nutrient_name(ChemistryType type);
bool is_nutrient_type(ChemistryType type);

// Which inputs the nutrient parameters make relevant.
struct NutrientEnabling {
    bool standard1_state;
    bool standard2_state;
    bool standard1_concentration;
    bool standard2_concentration;
    bool optical_correction;  // the dilution text and both optical-correction states
};
NutrientEnabling nutrient_enabling(const config::NutrientParameters& p);

class NutrientEngine {
  public:
    NutrientEngine(const NutrientSettings& settings, LogSink log);
    void reset();
    // True when the record completed a result.
    bool feed(const RawRecord& r);
    const NutrientResult& result() const { return result_; }
    const NutrientAbsorbances& absorbances() const { return absorbances_; }

  private:
    enum Slot { blank = 0, sample, standard1, standard2, oc_blank, oc_sample, slot_count };
    void store(Slot slot);
    void fire();
    bool compute_path(NutrientPath path, std::uint8_t m, std::uint8_t k, double& concentration,
                      double& as, double& a1, double& a2);
    void log(std::string line);

    NutrientSettings settings_;
    LogSink log_;
    std::uint8_t previous_ = no_state;
    std::uint32_t count_ = 0;
    std::array<double, channel_count> sums_{};
    std::array<std::array<double, slot_count>, channel_count> averages_{};
    NutrientResult result_;
    NutrientAbsorbances absorbances_;
};

// The single-file result list: 17 columns, the concentration titles after the nutrient type.
std::vector<ResultColumn> nutrient_columns(ChemistryType type);
std::vector<std::string> nutrient_row(const NutrientResult& r, const NutrientAbsorbances& a);
// The multi-file list: 9 columns, the last the sensor name.
std::vector<ResultColumn> multi_nutrient_columns();
std::vector<std::string> multi_nutrient_row(const NutrientResult& r, const std::string& sensor);

}  // namespace quelmar::processing
