#pragma once
// The virtual instrument: a factory-configured nitrate or pH sensor that runs its measurement
// cycle against the model ocean. Each second of its clock it takes one sample, writes it as a
// data line of its raw output file on the card, and feeds that same line, read back as any
// reader would read it, to the program's own processing engine; each result becomes a
// processed record kept on board, with the model's true value at the time the water was drawn.
//
// Its photodiodes follow the Beer–Lambert law for what is in the chip in each state: the blank
// (reagent only), the standards and the sample (diluted 1:1.5 by the reagent), and the
// optical-correction pair (sample and blank without reagent), on the Long, Medium and Short
// paths, with a little detector noise. The pH instrument sees a dye plug whose absorbance
// ratio gives the model's pH at the sample's temperature and salinity.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/chemistry_parameters.h"
#include "processing/raw_record.h"
#include "protocol/chemistry.h"
#include "protocol/processed_output.h"
#include "virtual_sensor/ocean_model.h"

namespace quelmar::processing {
class NutrientEngine;
class PhEngine;
}  // namespace quelmar::processing

namespace quelmar::virtual_sensor {

enum class InstrumentChemistry { nitrate, ph };
// "nitrate" or "ph" (any case).
std::optional<InstrumentChemistry> instrument_chemistry_from_name(std::string_view name);
protocol::ChemistryType chemistry_code(InstrumentChemistry c);

// What fills the chip in a state of the cycle.
enum class Fill { flush, intake, blank, oc_blank, standard1, standard2, rinse, oc_sample, sample };

struct CycleState {
    std::uint8_t state;
    std::uint32_t seconds;
    Fill fill;
    const char* name;
};

// The factory measurement cycle, in the order the states run; the last goes back to the
// first.
const std::vector<CycleState>& factory_cycle(InstrumentChemistry c);
std::uint32_t cycle_seconds(InstrumentChemistry c);

// The factory processing parameters the cycle's states are numbered for.
config::NutrientParameters factory_nutrient_parameters();
config::PhParameters factory_ph_parameters();

// Thermistors of the pH instrument: both on the chip, 10 degC per volt.
constexpr std::uint8_t thermistor_channel_1 = 6;
constexpr std::uint8_t thermistor_channel_2 = 7;

struct InstrumentSetup {
    InstrumentChemistry chemistry = InstrumentChemistry::nitrate;
    std::string card_dir;           // folder of the raw output files
    std::uint32_t start_time = 0;   // sensor clock at deployment, seconds since 1970 UTC
    std::uint64_t seed = 0x2545F4914F6CDD1Dull;
    std::string sensor_name = "Virtual Sensor";
};

struct TruthPoint {
    std::uint32_t time = 0;  // the result's platform time
    double value = 0;        // the model's concentration (or pH) of the water drawn then
};

class Instrument {
public:
    explicit Instrument(InstrumentSetup setup);
    ~Instrument();
    Instrument(const Instrument&) = delete;
    Instrument& operator=(const Instrument&) = delete;

    // Starts a new raw output file on the card (header first) and the cycle from its first
    // state. False with `error` when the file cannot be written.
    bool start(std::string& error);
    // Closes the file.
    void stop();
    bool running() const { return file_ != nullptr; }

    // One second of the instrument's clock: one sample, one data line, maybe a result.
    // True when the sample completed a result.
    bool tick();

    std::uint8_t state() const;
    std::uint32_t clock() const { return clock_; }
    const processing::RawRecord& last_record() const { return last_; }
    const OceanSample& ocean_now() const { return ocean_; }
    const std::vector<protocol::ProcessedRecord>& results() const { return results_; }
    const std::vector<TruthPoint>& truth() const { return truth_; }
    // The current raw output file: its name on the card and its full path.
    const std::string& file_name() const { return file_name_; }
    const std::string& file_path() const { return file_path_; }
    // A failure to write the card since start (the file is then incomplete).
    bool write_failed() const { return write_failed_; }
    const InstrumentSetup& setup() const { return setup_; }

    // The header the instrument writes at the top of each file.
    std::string header_text() const;

private:
    double noise(double amplitude);
    void sample_channels(const CycleState& s, double (&ch)[8]);
    bool feed_engine(const std::string& line);

    InstrumentSetup setup_;
    std::FILE* file_ = nullptr;
    std::string file_name_;
    std::string file_path_;
    unsigned file_index_ = 0;
    bool write_failed_ = false;
    std::uint32_t clock_ = 0;
    std::uint32_t counter_ = 0;
    std::size_t step_ = 0;          // index into the cycle
    std::uint32_t in_step_ = 0;     // seconds spent in the current state
    std::uint64_t seed_;
    OceanSample ocean_;
    OceanSample drawn_;             // the water taken in at the cycle's intake
    std::uint32_t drawn_time_ = 0;
    double dye_ratio_ = 1.0;        // pH: the absorbance ratio of the drawn water
    processing::RawRecord last_;
    std::unique_ptr<processing::NutrientEngine> nutrient_;
    std::unique_ptr<processing::PhEngine> ph_;
    std::vector<protocol::ProcessedRecord> results_;
    std::vector<TruthPoint> truth_;
};

// The absorbance ratio the pH equation turns into `ph` at t degC and salinity s (factory
// adjustment: scale 1, offset 0).
double ratio_for_ph(double ph, double t, double s);

}  // namespace quelmar::virtual_sensor
