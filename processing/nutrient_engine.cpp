#include "processing/nutrient_engine.h"

#include <cmath>

#include "common/text.h"

namespace quelmar::processing {

using common::Fixed;
using common::format_text;
using common::text_of;
namespace chem = protocol::chemistry;

namespace {
constexpr std::uint32_t max_records = 1000000;
constexpr double tiny = 1e-11;
}  // namespace

double nutrient_dilution_factor(ChemistryType type) {
    switch (type) {
        case chem::nitrate:
            return 1.5;
        case chem::phosphate:
            return 3.0;
        case chem::silicate:
            return 4.0;
        case chem::nitrite:
            return 2.0;
        case chem::iron:
            return 1.135;
        default:
            return 1.0;
    }
}

std::string nutrient_dilution_text(ChemistryType type) {
    return format_text("1:%.3f", nutrient_dilution_factor(type));
}

bool is_nutrient_type(ChemistryType type) {
    return protocol::is_nutrient_chemistry(type);
}

std::string nutrient_name(ChemistryType type) {
    switch (type) {
        case chem::nitrate:
            return "Nitrate";
        case chem::phosphate:
            return "Phosphate";
        case chem::silicate:
            return "Silicate";
        case chem::nitrite:
            return "Nitrite";
        case chem::iron:
            return "Iron";
        default:
            return {};
    }
}

NutrientEnabling nutrient_enabling(const config::NutrientParameters& p) {
    const std::uint8_t adj = p.standard_adjustment;
    const std::uint8_t trig = p.processing_trigger;
    NutrientEnabling e;
    e.standard1_state = !(adj == 1 && trig != 0);
    e.standard2_state = adj != 0 || trig == 1;
    e.standard1_concentration = adj != 1;
    e.standard2_concentration = adj != 0;
    e.optical_correction = p.optical_correction != 0;
    return e;
}

NutrientEngine::NutrientEngine(const NutrientSettings& settings, LogSink log)
    : settings_(settings), log_(std::move(log)) {
    reset();
}

void NutrientEngine::reset() {
    previous_ = no_state;
    count_ = 0;
    sums_ = {};
    averages_ = {};
    result_ = {};
    absorbances_ = {};
}

void NutrientEngine::log(std::string line) {
    if (log_)
        log_(std::move(line));
}

void NutrientEngine::store(Slot slot) {
    for (std::size_t i = 0; i < channel_count; ++i)
        averages_[i][slot] = sums_[i] / static_cast<double>(count_);
}

bool NutrientEngine::feed(const RawRecord& r) {
    const auto& p = settings_.params;
    const std::uint8_t s = r.state;
    bool ready = false;
    if (s != previous_) {
        const std::uint8_t q = previous_;
        const std::uint8_t adj = p.standard_adjustment;
        const std::uint8_t trig = p.processing_trigger;
        const bool std1_in_use = !(adj == 1 && trig != 0);
        const bool std2_in_use = adj != 0 || trig == 1;
        bool fires = false;
        // 255 is "no state": a parameter left at it matches no record, so neither the start
        // of a file nor its end-of-file record closes or opens a measurement there.
        if (q == no_state) {
        } else if (q == p.blank_measurement_state) {
            log(text_of("exited blank measurement state (", q, ")"));
            store(blank);
            fires = trig == 3;
        } else if (q == p.sample_measurement_state) {
            log(text_of("exited sample measurement state (", q, ")"));
            store(sample);
            fires = trig == 2;
        } else if (std1_in_use && q == p.standard1_measurement_state) {
            log(text_of("exited standard1 measurement state (", q, ")"));
            store(standard1);
            fires = trig == 0;
        } else if (std2_in_use && q == p.standard2_measurement_state) {
            log(text_of("exited standard2 measurement state (", q, ")"));
            store(standard2);
            fires = trig == 1;
        } else if (p.optical_correction != 0 && q == p.oc_blank_state) {
            log(text_of("exited optical correction blank measurement state (", q, ")"));
            store(oc_blank);
        } else if (p.optical_correction != 0 && q == p.oc_sample_state) {
            log(text_of("exited optical correction sample measurement state (", q, ")"));
            store(oc_sample);
        }
        if (fires) {
            fire();
            ready = true;
        }
        if (s == no_state) {
        } else if (s == p.sample_intake_state) {
            log("entered sample intake state");
            result_ = {};
            result_.platform_time = r.platform_time;
            result_.sensor_time = r.sensor_time;
            result_.salinity = static_cast<float>(r.platform_salinity);
            result_.temperature = static_cast<float>(r.platform_temperature);
            result_.depth = static_cast<float>(r.platform_depth);
        }
        if (s != no_state && (s == p.blank_measurement_state || s == p.sample_measurement_state ||
            s == p.standard1_measurement_state || s == p.standard2_measurement_state ||
            s == p.oc_blank_state || s == p.oc_sample_state)) {
            log(text_of("entering a measurement state (", s, ")"));
            sums_ = {};
            count_ = 0;
        }
    }
    if (count_ < max_records) {
        for (std::size_t i = 0; i < channel_count; ++i)
            sums_[i] += r.channels[i];
        ++count_;
    }
    previous_ = s;
    return ready;
}

void NutrientEngine::fire() {
    const auto& p = settings_.params;
    struct PathInfo {
        NutrientPath path;
        std::uint8_t m, k;
        float NutrientResult::*field;
        const char* name;
    };
    const PathInfo paths[] = {
        {path_medium, p.medium_measurement_channel, p.medium_monitoring_channel,
         &NutrientResult::medium, "medium"},
        {path_short, p.short_measurement_channel, p.short_monitoring_channel,
         &NutrientResult::short_, "short"},
        {path_long, p.long_measurement_channel, p.long_monitoring_channel, &NutrientResult::long_,
         "long"},
    };
    for (const PathInfo& info : paths) {
        double c = 0, as = 0, a1 = 0, a2 = 0;
        if (compute_path(info.path, info.m, info.k, c, as, a1, a2)) {
            result_.*info.field = static_cast<float>(c);
            absorbances_.sample[info.path] = as;
            absorbances_.standard1[info.path] = a1;
            absorbances_.standard2[info.path] = a2;
            log(text_of("processed nutrient result (", info.name, ") at ", result_.platform_time,
                        " = ", Fixed{static_cast<double>(result_.*info.field)}));
        } else {
            log(text_of("processed nutrient result (", info.name, ") at ", result_.platform_time,
                        " failed"));
        }
    }
}

bool NutrientEngine::compute_path(NutrientPath, std::uint8_t m, std::uint8_t k,
                                  double& concentration, double& as, double& a1, double& a2) {
    const auto& p = settings_.params;
    // Channels beyond the eight are refused before processing; never index past them.
    if (m >= channel_count)
        return false;
    const auto& A = averages_[m];
    const double B = A[blank];
    double S = A[sample], S1 = A[standard1], S2 = A[standard2];
    const double OB = A[oc_blank];
    double OS = A[oc_sample];
    if (k != config::monitoring_none && k < channel_count) {
        const auto& M = averages_[k];
        const double MB = M[blank];
        if (std::fabs(M[sample]) > tiny)
            S = S * MB / M[sample];
        if (std::fabs(M[standard1]) > tiny)
            S1 = S1 * MB / M[standard1];
        if (std::fabs(M[standard2]) > tiny)
            S2 = S2 * MB / M[standard2];
        if (std::fabs(M[oc_sample]) > tiny)
            OS = OS * M[oc_blank] / M[oc_sample];
    }
    double aoc = 0;
    if (p.optical_correction == 1 && OB > 0 && OS > 0)
        aoc = -std::log10(OS / OB);
    if (!(B > 0 && S > 0))
        return false;
    as = -std::log10(S / B) - aoc / nutrient_dilution_factor(settings_.chemistry);
    const double c1 = p.standard1_concentration / 1000.0;
    const double c2 = p.standard2_concentration / 1000.0;
    switch (p.standard_adjustment) {
        case 0: {
            if (!(S1 > 0))
                return false;
            a1 = -std::log10(S1 / B);
            a2 = 0;
            log(text_of("nutrient = (", Fixed{as}, " / ", Fixed{a1}, ") * ", Fixed{c1}));
            concentration = as / a1 * c1;
            return true;
        }
        case 1: {
            if (!(S2 > 0))
                return false;
            a2 = -std::log10(S2 / B);
            a1 = 0;
            log(text_of("nutrient = (", Fixed{as}, " / ", Fixed{a2}, ") * ", Fixed{c2}));
            concentration = as / a2 * c2;
            return true;
        }
        case 2: {
            if (!(S1 > 0 && S2 > 0))
                return false;
            a1 = -std::log10(S1 / B);
            a2 = -std::log10(S2 / B);
            const double d = c1 * c1 + c2 * c2;
            if (!(std::fabs(d) > tiny))
                return false;
            const double slope = (a1 * c1 + a2 * c2) / d;
            if (!(std::fabs(slope) > tiny))
                return false;
            log(text_of("nutrient = (", Fixed{as}, " - ", Fixed{0.0}, ") / ", Fixed{slope}));
            concentration = (as - 0.0) / slope;
            return true;
        }
        default:
            log(format_text("Unknown nutrient standard ajustment %u", p.standard_adjustment));
            return false;
    }
}

std::vector<ResultColumn> nutrient_columns(ChemistryType type) {
    std::vector<ResultColumn> c = {
        {"Time (platform)", 15},
        {"Time (sensor)", 15},
        {"Nutrient (Medium:uM)", 15},
        {"Nutrient (Short:uM)", 15},
        {"Nutrient (Long:uM)", 15},
        {"Depth (m)", 10},
        {"S (PSU)", 10},
        {"T (degC)", 10},
        {"Absorbance (Sample.M)", 17},
        {"Absorbance (Std1.M)", 17},
        {"Absorbance (Std2.M)", 17},
        {"Absorbance (Sample.S)", 17},
        {"Absorbance (Std1.S)", 17},
        {"Absorbance (Std2.S)", 17},
        {"Absorbance (Sample.L)", 17},
        {"Absorbance (Std1.L)", 17},
        {"Absorbance (Std2.L)", 17},
    };
    const std::string name = nutrient_name(type);
    if (!name.empty()) {
        c[2].title = name + " (Medium.uM)";
        c[3].title = name + " (Short.uM)";
        c[4].title = name + " (Long.uM)";
    }
    return c;
}

namespace {
void add_common_cells(std::vector<std::string>& cells, const NutrientResult& r) {
    cells.push_back(common::sensor_time_text(r.platform_time));
    cells.push_back(common::sensor_time_text(r.sensor_time));
    cells.push_back(text_of(Fixed{static_cast<double>(r.medium), 3}));
    cells.push_back(text_of(Fixed{static_cast<double>(r.short_), 3}));
    cells.push_back(text_of(Fixed{static_cast<double>(r.long_), 3}));
    cells.push_back(text_of(Fixed{static_cast<double>(r.depth), 2}));
    cells.push_back(text_of(Fixed{static_cast<double>(r.salinity), 3}));
    cells.push_back(text_of(Fixed{static_cast<double>(r.temperature), 3}));
}
}  // namespace

std::vector<std::string> nutrient_row(const NutrientResult& r, const NutrientAbsorbances& a) {
    std::vector<std::string> cells;
    cells.reserve(17);
    add_common_cells(cells, r);
    for (int path : {path_medium, path_short, path_long}) {
        cells.push_back(text_of(Fixed{a.sample[path], 6}));
        cells.push_back(text_of(Fixed{a.standard1[path], 6}));
        cells.push_back(text_of(Fixed{a.standard2[path], 6}));
    }
    return cells;
}

std::vector<ResultColumn> multi_nutrient_columns() {
    return {{"Time (platform)", 15},
            {"Time (sensor)", 15},
            {"Nutrient (Medium:uM)", 15},
            {"Nutrient (Short:uM)", 15},
            {"Nutrient (Long:uM)", 15},
            {"Depth (m)", 10},
            {"S (PSU)", 10},
            {"T (degC)", 10},
            {"Sensor Name", 20}};
}

std::vector<std::string> multi_nutrient_row(const NutrientResult& r, const std::string& sensor) {
    std::vector<std::string> cells;
    cells.reserve(9);
    add_common_cells(cells, r);
    cells.push_back(text_of(sensor));
    return cells;
}

}  // namespace quelmar::processing
