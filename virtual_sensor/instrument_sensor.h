#pragma once
// The virtual instrument inside the virtual sensor: the sensor is factory-configured for the
// instrument's chemistry (configuration record, processing parameters, the state machine of
// the measurement cycle) and, while that factory machine is the one loaded, starting the
// sensor runs the instrument on the sensor's timer: one sample per second of the sensor's
// clock, which runs `speed` times faster than the wall clock. The instrument writes its raw
// output files into the card folder and keeps its results in the sensor's store of processed
// records (419/420/421).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "processing/raw_record.h"
#include "virtual_sensor/instrument_model.h"
#include "virtual_sensor/sensor_state.h"
#include "virtual_sensor/virtual_sensor.h"

namespace quelmar::virtual_sensor {

struct InstrumentOptions {
    InstrumentChemistry chemistry = InstrumentChemistry::nitrate;
    std::string card_dir;  // empty: a temporary folder, made on the first start
    double speed = 1.0;    // the sensor's seconds per wall-clock second
};

// The factory state machine of a chemistry's cycle, one 77-byte record per state.
std::vector<std::array<std::uint8_t, state_record_bytes>> factory_state_machine(InstrumentChemistry c);

// Makes the sensor a factory-configured instrument (done for nitrate when the sensor is made).
void configure_instrument(VirtualSensor& sensor, const InstrumentOptions& options);
InstrumentOptions instrument_options(VirtualSensor& sensor);

// Whether the loaded state machine is the instrument's factory machine, which the instrument
// runs; any other machine is stepped as it is, without samples or files.
bool instrument_drives(VirtualSensor& sensor);

// Run control (437/438) of the instrument. Start is false with `error` when the card folder
// cannot be written.
bool instrument_start(VirtualSensor& sensor, std::string& error);
void instrument_stop(VirtualSensor& sensor);

struct InstrumentSnapshot {
    bool running = false;
    std::uint8_t state = 255;
    std::uint32_t clock = 0;
    processing::RawRecord last;
    OceanSample ocean;
    std::string file_name;  // empty before the first start
    std::string card_dir;
    std::size_t results = 0;
};
InstrumentSnapshot instrument_snapshot(VirtualSensor& sensor);

// The truth of every result kept since the instrument was made (time, true value).
std::vector<TruthPoint> instrument_truth(VirtualSensor& sensor);
// Requests to appear as a drive (482) received so far.
std::size_t instrument_mount_requests(VirtualSensor& sensor);
void note_mount_request(VirtualSensor& sensor);

}  // namespace quelmar::virtual_sensor
