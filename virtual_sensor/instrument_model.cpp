#include "virtual_sensor/instrument_model.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>

#include "common/text.h"
#include "processing/header_scan.h"
#include "processing/line_parser.h"
#include "processing/nutrient_engine.h"
#include "processing/ph_engine.h"

namespace quelmar::virtual_sensor {

namespace {

// Nitrate optics per path, in the order Long, Medium, Short (channels 0, 1, 2): the light
// reaching each detector through clear water (V), and the absorbance of 1 µM nitrate once
// coloured, which scales with the path length.
constexpr double path_light[3] = {2.0, 2.5, 3.0};
constexpr double per_micromolar[3] = {0.02, 0.01, 0.005};
constexpr double path_length[3] = {2.0, 1.0, 0.5};  // relative to the Medium path
constexpr double reagent_absorbance = 0.03;          // on the Medium path
constexpr double background_absorbance = 0.01;       // coloured matter of the sea water
constexpr double dilution = 1.5;                     // sample : sample + reagent
// The monitoring photodiodes of the Medium and Short LEDs (channels 4 and 5).
constexpr double monitor_light[2] = {1.8, 1.9};
constexpr double detector_noise = 0.0004;  // V, peak to peak

// pH optics: 434 nm (blue, channel 0) and 578 nm (yellow, channel 1).
constexpr double blue_light = 2.0;
constexpr double yellow_light = 1.5;
constexpr double dye_peak = 1.0;          // 434 nm absorbance at the plug's centre
constexpr double dye_centre = 140.0;      // s into the measurement state
constexpr double dye_width = 30.0;        // s
constexpr double dye_arrival = 80.0;      // s: clear water before this
constexpr double ph_noise = 0.00002;

std::string lower(std::string_view s) {
    std::string out(s);
    for (auto& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

const char* column_titles =
    "%Counter,State,Ch 0,Ch 1,Ch 2,Ch 3,Ch 4,Ch 5,Ch 6,Ch 7,Temp (\xC2\xB0"
    "C),Voltage (V),Hall (I),Hall (W),Sensor Timestamp,Platform Salinity (PSU),Platform Temp "
    "(\xC2\xB0"
    "C),Platform DO (ml/l),Platform Depth (m),Platform Timestamp";

void key(std::string& out, const char* name, const std::string& value) {
    out += "%QUELMAR.";
    out += name;
    out += '=';
    out += value;
    out += '\n';
}
std::string u(unsigned v) { return common::format_text("%u", v); }
std::string r(double v) { return common::format_text("%.6g", v); }

}  // namespace

std::optional<InstrumentChemistry> instrument_chemistry_from_name(std::string_view name) {
    const std::string n = lower(name);
    if (n == "nitrate") return InstrumentChemistry::nitrate;
    if (n == "ph") return InstrumentChemistry::ph;
    return std::nullopt;
}

protocol::ChemistryType chemistry_code(InstrumentChemistry c) {
    return c == InstrumentChemistry::ph ? protocol::chemistry::ph : protocol::chemistry::nitrate;
}

const std::vector<CycleState>& factory_cycle(InstrumentChemistry c) {
    // The nitrate cycle flushes the chip with sea water, takes in the sample and holds it
    // while the blank, the optical-correction blank and both standards are measured, then
    // measures the sample without and with reagent; leaving the sample state gives the result.
    static const std::vector<CycleState> nitrate{
        {0, 10, Fill::flush, "Flush sample line"},
        {1, 10, Fill::flush, "Flush chip"},
        {2, 10, Fill::flush, "Flush reagent line"},
        {3, 10, Fill::intake, "Sample intake"},
        {6, 20, Fill::blank, "Blank measurement"},
        {7, 10, Fill::oc_blank, "Optical correction blank"},
        {8, 20, Fill::standard1, "Standard 1 measurement"},
        {9, 10, Fill::rinse, "Rinse"},
        {10, 20, Fill::standard2, "Standard 2 measurement"},
        {11, 10, Fill::rinse, "Rinse"},
        {5, 10, Fill::oc_sample, "Optical correction sample"},
        {4, 20, Fill::sample, "Sample measurement"},
    };
    // The pH cycle: flush, intake, then the measurement state in which the first seconds of
    // clear sample give the blank and the dye plug passes the detectors after them.
    static const std::vector<CycleState> ph{
        {0, 10, Fill::flush, "Flush sample line"},
        {1, 10, Fill::flush, "Flush chip"},
        {2, 10, Fill::flush, "Flush dye line"},
        {3, 10, Fill::intake, "Sample intake"},
        {4, 200, Fill::sample, "Sample measurement"},
    };
    return c == InstrumentChemistry::ph ? ph : nitrate;
}

std::uint32_t cycle_seconds(InstrumentChemistry c) {
    std::uint32_t total = 0;
    for (const auto& s : factory_cycle(c)) total += s.seconds;
    return total;
}

config::NutrientParameters factory_nutrient_parameters() {
    config::NutrientParameters p;
    p.format = config::parameters_format_current;
    p.output_channel = config::output_channel::medium_path;
    p.sample_intake_state = 3;
    p.sample_measurement_state = 4;
    p.blank_measurement_state = 6;
    p.standard1_measurement_state = 8;
    p.standard2_measurement_state = 10;
    p.standard1_concentration = 5000;   // 5 µM
    p.standard2_concentration = 20000;  // 20 µM
    p.standard_adjustment = 2;          // linear fit through both standards
    p.processing_trigger = 2;           // results after each sample
    p.optical_correction = 1;
    p.oc_sample_state = 5;
    p.oc_blank_state = 7;
    p.long_measurement_channel = 0;
    p.medium_measurement_channel = 1;
    p.short_measurement_channel = 2;
    p.long_monitoring_channel = config::monitoring_none;
    p.medium_monitoring_channel = 4;
    p.short_monitoring_channel = 5;
    config::derive_legacy_monitoring(p);
    return p;
}

config::PhParameters factory_ph_parameters() {
    config::PhParameters p;
    p.format = config::parameters_format_current;
    p.sample_intake_state = 3;
    p.sample_measurement_state = 4;
    return p;
}

double ratio_for_ph(double ph, double t, double s) {
    // pH rises with the ratio over the indicator's range: bisect.
    double lo = 0.01, hi = 20.0;
    for (int i = 0; i < 200; ++i) {
        const double mid = 0.5 * (lo + hi);
        double v = 0;
        if (!processing::ph_from_ratio(mid, t, s, 1.0, 0.0, v) || v < ph)
            lo = mid;
        else
            hi = mid;
    }
    return 0.5 * (lo + hi);
}

Instrument::Instrument(InstrumentSetup setup)
    : setup_(std::move(setup)), clock_(setup_.start_time), seed_(setup_.seed) {}

Instrument::~Instrument() { stop(); }

std::string Instrument::header_text() const {
    std::string h = "%QUELMAR.HEADER_START\n";
    key(h, "CORE.SENSOR_NAME", setup_.sensor_name);
    key(h, "CHEMISTRY.TYPE", u(chemistry_code(setup_.chemistry)));
    key(h, "CHEMISTRY.SENSOR_VERSION", "0");
    if (setup_.chemistry == InstrumentChemistry::nitrate) {
        const auto p = factory_nutrient_parameters();
        key(h, "CHEMISTRY.MEASUREMENT_CHANNEL_MEDIUM", u(p.medium_measurement_channel));
        key(h, "CHEMISTRY.MEASUREMENT_CHANNEL_SHORT", u(p.short_measurement_channel));
        key(h, "CHEMISTRY.MEASUREMENT_CHANNEL_LONG", u(p.long_measurement_channel));
        key(h, "CHEMISTRY.MONITORING_CHANNEL_MEDIUM", u(p.medium_monitoring_channel));
        key(h, "CHEMISTRY.MONITORING_CHANNEL_SHORT", u(p.short_monitoring_channel));
        key(h, "CHEMISTRY.MONITORING_CHANNEL_LONG", u(p.long_monitoring_channel));
        key(h, "CHEMISTRY.OUTPUT_CHANNEL_SELECTION", u(p.output_channel));
        key(h, "CHEMISTRY.SAMPLE_INTAKE_STATE", u(p.sample_intake_state));
        key(h, "CHEMISTRY.SAMPLE_MEASUREMENT_STATE", u(p.sample_measurement_state));
        key(h, "CHEMISTRY.BLANK_MEASUREMENT_STATE", u(p.blank_measurement_state));
        key(h, "CHEMISTRY.STANDARD1_MEASUREMENT_STATE", u(p.standard1_measurement_state));
        key(h, "CHEMISTRY.STANDARD2_MEASUREMENT_STATE", u(p.standard2_measurement_state));
        key(h, "CHEMISTRY.STANDARD1_CONCENTRATION",
            common::format_text("%.3f", p.standard1_concentration * 0.001));
        key(h, "CHEMISTRY.STANDARD2_CONCENTRATION",
            common::format_text("%.3f", p.standard2_concentration * 0.001));
        key(h, "CHEMISTRY.STANDARD_ADJUSTMENT", u(p.standard_adjustment));
        key(h, "CHEMISTRY.PROCESSING_TRIGGER", u(p.processing_trigger));
        key(h, "CHEMISTRY.ENABLE_OPTICAL_CORRECTION", u(p.optical_correction));
        key(h, "CHEMISTRY.OC_SAMPLE_MEASUREMENT_STATE", u(p.oc_sample_state));
        key(h, "CHEMISTRY.OC_BLANK_MEASUREMENT_STATE", u(p.oc_blank_state));
    } else {
        const auto p = factory_ph_parameters();
        key(h, "CHEMISTRY.SAMPLE_INTERVAL", "1000");
        key(h, "CHEMISTRY.INPUT_CHANNEL_434", u(p.blue_channel));
        key(h, "CHEMISTRY.INPUT_CHANNEL_578", u(p.yellow_channel));
        key(h, "CHEMISTRY.SAMPLE_INTAKE_STATE", u(p.sample_intake_state));
        key(h, "CHEMISTRY.SAMPLE_MEASUREMENT_STATE", u(p.sample_measurement_state));
        key(h, "CHEMISTRY.BLANK_START_OFFSET", u(p.blank_start_offset));
        key(h, "CHEMISTRY.BLANK_END_OFFSET", u(p.blank_end_offset));
        key(h, "CHEMISTRY.ABSORBANCE_MIN_434", r(p.absorbance_min_blue));
        key(h, "CHEMISTRY.ABSORBANCE_MAX_578", r(p.absorbance_max_yellow));
        key(h, "CHEMISTRY.DPH_BY_DT", r(p.dph_dt));
        key(h, "CHEMISTRY.R_ADJUSTMENT_SCALE", r(p.r_scale));
        key(h, "CHEMISTRY.R_ADJUSTMENT_OFFSET", r(p.r_offset));
        key(h, "CHEMISTRY.T1_ADJUSTMENT_SCALE", r(p.thermistor1_scale));
        key(h, "CHEMISTRY.T2_ADJUSTMENT_SCALE", r(p.thermistor2_scale));
        const std::uint8_t channels[2] = {thermistor_channel_1, thermistor_channel_2};
        for (int i = 0; i < 2; ++i) {
            const std::string n = u(unsigned(i));
            key(h, ("CHEMISTRY.THERMISTOR_INPUT_CHANNEL." + n).c_str(), u(channels[i]));
            key(h, ("CHEMISTRY.THERMISTOR_CAL_A." + n).c_str(), "0");
            key(h, ("CHEMISTRY.THERMISTOR_CAL_B." + n).c_str(), "0");
            key(h, ("CHEMISTRY.THERMISTOR_CAL_C." + n).c_str(), "10");
            key(h, ("CHEMISTRY.THERMISTOR_CAL_D." + n).c_str(), "0");
        }
    }
    h += "%QUELMAR.HEADER_END\n";
    h += column_titles;
    h += '\n';
    return h;
}

bool Instrument::start(std::string& error) {
    stop();
    ++file_index_;
    file_name_ = common::format_text("RAW%05u.CSV", file_index_);
    file_path_ = (std::filesystem::path(setup_.card_dir) / file_name_).string();
    file_ = std::fopen(file_path_.c_str(), "wb");
    if (!file_) {
        error = "Unable to open " + file_path_ + " for write";
        return false;
    }
    write_failed_ = false;
    const std::string header = header_text();
    if (std::fwrite(header.data(), 1, header.size(), file_) != header.size()) write_failed_ = true;
    std::fflush(file_);
    step_ = 0;
    in_step_ = 0;
    // Each file is processed on its own, as a reader would process it.
    if (setup_.chemistry == InstrumentChemistry::nitrate) {
        processing::NutrientSettings s;
        s.chemistry = protocol::chemistry::nitrate;
        s.params = factory_nutrient_parameters();
        nutrient_ = std::make_unique<processing::NutrientEngine>(s, nullptr);
        ph_.reset();
    } else {
        processing::PhSettings s;
        s.sample_interval_ms = 1000;
        s.params = factory_ph_parameters();
        s.thermistors[0] = {thermistor_channel_1, 0, 0, 10, 0};
        s.thermistors[1] = {thermistor_channel_2, 0, 0, 10, 0};
        ph_ = std::make_unique<processing::PhEngine>(s, nullptr);
        nutrient_.reset();
    }
    return true;
}

void Instrument::stop() {
    if (!file_) return;
    if (std::fclose(file_) != 0) write_failed_ = true;
    file_ = nullptr;
}

std::uint8_t Instrument::state() const { return factory_cycle(setup_.chemistry)[step_].state; }

double Instrument::noise(double amplitude) {
    seed_ = seed_ * 6364136223846793005ull + 1442695040888963407ull;
    return amplitude * (static_cast<double>(seed_ >> 11) / 9007199254740992.0 - 0.5);
}

void Instrument::sample_channels(const CycleState& s, double (&ch)[8]) {
    const double t = clock_ - setup_.start_time;
    for (double& c : ch) c = 0;
    // The chip sits at the temperature of the water around it.
    const double chip_t = (s.fill == Fill::flush ? ocean_ : drawn_).temperature;
    ch[6] = chip_t / 10.0 + noise(0.0002);
    ch[7] = chip_t / 10.0 + noise(0.0002);
    ch[3] = 0.2 + noise(0.0002);
    if (setup_.chemistry == InstrumentChemistry::ph) {
        double x = 0;
        if (s.fill == Fill::sample && in_step_ >= dye_arrival)
            x = dye_peak * std::exp(-std::pow((in_step_ - dye_centre) / dye_width, 2));
        ch[0] = blue_light * std::pow(10.0, -x) + noise(ph_noise);
        ch[1] = yellow_light * std::pow(10.0, -dye_ratio_ * x) + noise(ph_noise);
        return;
    }
    // The Medium and Short LEDs drift slowly; their monitoring photodiodes see the same drift.
    const double drift = 1.0 + 0.002 * std::sin(t / 500.0);
    double sample_um = drawn_.nitrate;
    for (int p = 0; p < 3; ++p) {
        const double reagent = reagent_absorbance * path_length[p];
        const double background = background_absorbance * path_length[p];
        double a = 0;
        switch (s.fill) {
            case Fill::flush:
            case Fill::intake:
            case Fill::rinse:
            case Fill::oc_sample: a = background; break;
            case Fill::oc_blank: a = 0; break;
            case Fill::blank: a = reagent; break;
            case Fill::standard1:
                a = reagent + per_micromolar[p] * factory_nutrient_parameters().standard1_concentration *
                                  0.001 / dilution;
                break;
            case Fill::standard2:
                a = reagent + per_micromolar[p] * factory_nutrient_parameters().standard2_concentration *
                                  0.001 / dilution;
                break;
            case Fill::sample:
                a = reagent + (per_micromolar[p] * sample_um + background) / dilution;
                break;
        }
        const double light = path_light[p] * (p == 0 ? 1.0 : drift);
        ch[p] = light * std::pow(10.0, -a) + noise(detector_noise);
    }
    ch[4] = monitor_light[0] * drift + noise(detector_noise / 2);
    ch[5] = monitor_light[1] * drift + noise(detector_noise / 2);
}

bool Instrument::feed_engine(const std::string& line) {
    processing::RawRecord rec;
    const int n = processing::parse_data_line(line, processing::DataForm::fields20, rec);
    if (n < 20) return false;
    last_ = rec;
    if (nutrient_ && nutrient_->feed(rec)) {
        const auto& res = nutrient_->result();
        protocol::ProcessedRecord out;
        out.dive_number = drawn_.dive;
        out.sensor_time = res.sensor_time;
        out.platform_time = res.platform_time;
        out.platform_salinity = res.salinity;
        out.platform_temperature = res.temperature;
        out.platform_depth = res.depth;
        protocol::set_processed_value(out, res.medium);
        out.validity = std::isfinite(res.medium) && res.medium != 0.0f ? 1 : 2;
        out.direction = drawn_.direction;
        out.extra = {res.medium, res.short_, res.long_};
        results_.push_back(out);
        truth_.push_back({res.platform_time, drawn_.nitrate});
        return true;
    }
    if (ph_ && ph_->feed(rec)) {
        const auto& res = ph_->result();
        protocol::ProcessedRecord out;
        out.dive_number = drawn_.dive;
        out.sensor_time = res.time;
        out.platform_time = drawn_time_;
        out.platform_salinity = res.salinity;
        out.platform_temperature = res.temperature;
        out.platform_depth = static_cast<float>(drawn_.depth);
        protocol::set_processed_value(out, res.ph);
        out.validity = res.valid ? 1 : 2;
        out.direction = drawn_.direction;
        out.extra = {res.dissolved_oxygen, static_cast<float>(res.r),
                     static_cast<float>(res.thermistor_temperature)};
        results_.push_back(out);
        truth_.push_back({drawn_time_, drawn_.ph});
        return true;
    }
    return false;
}

bool Instrument::tick() {
    if (!file_) return false;
    const auto& cycle = factory_cycle(setup_.chemistry);
    if (in_step_ >= cycle[step_].seconds) {
        in_step_ = 0;
        step_ = (step_ + 1) % cycle.size();
    }
    const CycleState& s = cycle[step_];
    ocean_ = ocean_at(clock_ - setup_.start_time);
    if (s.fill == Fill::intake && in_step_ == 0) {
        // The water drawn now is what the cycle measures.
        drawn_ = ocean_;
        drawn_time_ = clock_;
        dye_ratio_ = ratio_for_ph(drawn_.ph, drawn_.temperature, drawn_.salinity);
    }
    double ch[8];
    sample_channels(s, ch);
    const std::string line = common::format_text(
        "%u,%u,%.5f,%.5f,%.5f,%.5f,%.5f,%.5f,%.5f,%.5f,%.2f,%.2f,%u,%u,%u,%.3f,%.3f,%.3f,%.2f,%u",
        counter_, unsigned(s.state), ch[0], ch[1], ch[2], ch[3], ch[4], ch[5], ch[6], ch[7],
        ocean_.temperature + 3.0, 12.1, counter_ * 7 % 65536, counter_ * 3 % 65536, clock_,
        ocean_.salinity, ocean_.temperature, ocean_.oxygen, ocean_.depth, clock_);
    if (std::fprintf(file_, "%s\n", line.c_str()) < 0) write_failed_ = true;
    ++counter_;
    ++clock_;
    ++in_step_;
    return feed_engine(line);
}

}  // namespace quelmar::virtual_sensor
