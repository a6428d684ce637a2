#include "config/configuration_report.h"

#include <array>
#include <cstdio>
#include <span>

#include "common/text.h"
#include "config/chemistry_parameters.h"
#include "config/clock_record.h"
#include "config/optics_defaults.h"
#include "config/platform_defaults.h"
#include "config/rs232_config.h"
#include "config/rs485_config.h"
#include "config/schedule_settings.h"
#include "config/thermistor_config.h"
#include "link/discovery.h"
#include "maintenance/firmware_versions.h"
#include "protocol/chemistry.h"
#include "protocol/device_commands.h"

namespace quelmar::config {

namespace {

using common::format_text;
using protocol::SensorStatus;
namespace chem = protocol::chemistry;

constexpr std::size_t ammonia_parameters_size = 2;

struct Report {
    std::vector<std::string>& lines;
    void add(std::string line) {
        if (line.size() > common::max_text_length)
            line.resize(common::max_text_length);
        lines.push_back(std::move(line));
    }
    void section(const char* title) {
        const std::string separator(72, '=');
        add(separator);
        add(title);
        add(separator);
    }
};

const char* chemistry_report_text(std::uint8_t type) {
    switch (type) {
        case chem::generic:
            return "Chemistry Type: Generic";
        case chem::nitrate:
            return "Chemistry Type: Nitrate";
        case chem::phosphate:
            return "Chemistry Type: Phosphate";
        case chem::silicate:
            return "Chemistry Type: Silicate";
        case chem::ph:
            return "Chemistry Type: pH";
        case chem::nitrite:
            return "Chemistry Type: Nitrite";
        case chem::iron:
            return "Chemistry Type: Iron";
        case chem::ta:
            return "Chemistry Type: Total Alkalinity (TA)";
        case chem::dic:
            return "Chemistry Type: Dissolved Inorganic Carbon (DIC)";
        case chem::ammonia:
            return "Chemistry Type: Ammonia";
        default:
            return nullptr;
    }
}

std::size_t parameters_size(std::uint8_t type) {
    switch (type) {
        case chem::generic:
            return generic_parameters_size;
        case chem::ph:
            return ph_parameters_size;
        case chem::ta:
            return ta_parameters_size;
        case chem::dic:
            return dic_parameters_size;
        case chem::ammonia:
            return ammonia_parameters_size;
        default:
            return nutrient_parameters_size;
    }
}

std::string state_or_disabled(std::uint8_t state) {
    return state == protocol::state_none ? std::string("disabled") : std::to_string(state);
}

std::string monitoring_line(const char* path, std::uint8_t channel) {
    if (channel == monitoring_none)
        return format_text("%s Monitoring Channel: None", path);
    return format_text("%s Monitoring Channel: %u", path, channel);
}

template <class T>
T decode_parameters(std::span<const std::uint8_t> bytes) {
    return common::decode_record<T>(bytes.first<common::record_size<T>()>());
}

void generic_lines(Report& r, std::span<const std::uint8_t> bytes) {
    const auto p = decode_parameters<GenericParameters>(bytes);
    r.add(format_text("Sample Intake State: %u", p.sample_intake_state));
    r.add(format_text("Sample Measurement State: %u", p.sample_measurement_state));
    for (int i = 0; i < 8; ++i)
        r.add(format_text("Ch %d: scale=%.5f, offset=%.5f", i, p.scales[i], p.offsets[i]));
}

void ph_lines(Report& r, std::span<const std::uint8_t> bytes) {
    const auto p = decode_parameters<PhParameters>(bytes);
    r.add(format_text("Sensor Version: %u", p.sensor_version));
    r.add(format_text("Input Channel (Blue): %u", p.blue_channel));
    r.add(format_text("Input Channel (Yellow): %u", p.yellow_channel));
    r.add(format_text("Sample Intake State: %u", p.sample_intake_state));
    r.add(format_text("Sample Measurement State: %u", p.sample_measurement_state));
    r.add(format_text("Blank Start Offset (seconds): %u", p.blank_start_offset));
    r.add(format_text("Blank End Offset (seconds): %u", p.blank_end_offset));
    r.add(format_text("Absorbance Min (Blue): %.5f", p.absorbance_min_blue));
    r.add(format_text("Absorbance Max (Yellow): %.5f", p.absorbance_max_yellow));
    r.add(format_text("dpH/dT: %.5f", p.dph_dt));
    r.add(format_text("R-adjustment (scale): %.5f", p.r_scale));
    r.add(format_text("R-adjustment (offset): %.5f", p.r_offset));
    r.add(format_text("T1-adjustment (scale): %.5f", p.thermistor1_scale));
    r.add(format_text("T2-adjustment (scale): %.5f", p.thermistor2_scale));
}

void ta_lines(Report& r, std::span<const std::uint8_t> bytes) {
    const auto p = decode_parameters<TaParameters>(bytes);
    r.add(format_text("Sensor Version: %u", p.sensor_version));
    r.add(format_text("Measurement Channel: %u", p.measurement_channel));
    r.add(format_text("Sample Intake State: %u", p.sample_intake_state));
    r.add(format_text("Blank Measurement State (LED1): %u", p.blank_state_led1));
    r.add(format_text("Blank Measurement State (LED2): %u", p.blank_state_led2));
    r.add(format_text("Sample Measurement State (LED1): %u", p.sample_state_led1));
    r.add(format_text("Sample Measurement State (LED2): %u", p.sample_state_led2));
    static constexpr const char* triggers[] = {"Blank (LED1)", "Blank (LED2)", "Sample (LED1)",
                                               "Sample (LED2)"};
    if (p.processing_trigger < 4)
        r.add(format_text("Processing Trigger: %s", triggers[p.processing_trigger]));
    else
        r.add(format_text("Processing Trigger: unknown (%u)", p.processing_trigger));
    r.add(format_text("Titrant Acid Molarity (M): %g", p.acid_molarity));
    r.add(format_text("Temperature Coefficient (Ct): %g", p.ct));
    r.add(format_text("Monitoring Channel (LED1): %u", p.monitoring_channel_led1));
    r.add(format_text("Monitoring Channel (LED2): %u", p.monitoring_channel_led2));
    r.add(format_text("pKa: %g", p.pka));
    r.add(format_text("e1: %g", p.e1));
    r.add(format_text("e2: %g", p.e2));
    r.add(format_text("e3: %g", p.e3));
}

void dic_lines(Report& r, std::span<const std::uint8_t> bytes) {
    const auto p = decode_parameters<DicParameters>(bytes);
    r.add(format_text("Sensor Version: %u", p.sensor_version));
    for (int i = 0; i < 3; ++i) {
        const DicInlet& in = p.inlets[i];
        if (in.type == inlet_type::unused) {
            r.add(format_text("Inlet %d type: Unused", i));
        } else if (in.type == inlet_type::sample) {
            r.add(format_text("Inlet %d type: Sample", i));
            r.add(format_text("Inlet %d intake state: %u", i, in.intake_state));
            r.add(format_text("Inlet %d measurement state: %u", i, in.measurement_state));
        } else {
            r.add(format_text("Inlet %d type: CRM", i));
            r.add(format_text("Inlet %d measurement state: %u", i, in.measurement_state));
            // The 0.001 lifts a value stored just below a half (2.675 as a float is
            // 2.67499995) to the rounding the user typed.
            r.add(format_text("Inlet %d CRM value (umol/kg): %.2f", i,
                              static_cast<double>(in.crm_value) + 0.001));
        }
    }
}

void nutrient_lines(Report& r, std::span<const std::uint8_t> bytes) {
    const auto p = decode_parameters<NutrientParameters>(bytes);
    r.add(format_text("Sensor Version: %u", p.sensor_version));
    r.add(format_text("Medium Measurement Channel: %u", p.medium_measurement_channel));
    r.add(monitoring_line("Medium", p.medium_monitoring_channel));
    r.add(format_text("Short Measurement Channel: %u", p.short_measurement_channel));
    r.add(monitoring_line("Short", p.short_monitoring_channel));
    r.add(format_text("Long Measurement Channel: %u", p.long_measurement_channel));
    r.add(monitoring_line("Long", p.long_monitoring_channel));
    switch (p.output_channel) {
        case output_channel::medium_path:
            r.add("Output Channel: Medium");
            break;
        case output_channel::short_path:
            r.add("Output Channel: Short");
            break;
        case output_channel::long_path:
            r.add("Output Channel: Long");
            break;
        case output_channel::adaptive:
            r.add("Output Channel: Adaptive");
            break;
        default:
            r.add(format_text("Output Channel: unknown (%u)", p.output_channel));
    }
    r.add(format_text("Sample Intake State: %u", p.sample_intake_state));
    r.add(format_text("Sample Measurement State: %u", p.sample_measurement_state));
    r.add(format_text("Blank Measurement State: %u", p.blank_measurement_state));
    static constexpr const char* adjustments[] = {"Standard 1", "Standard 2", "Linear"};
    if (p.standard_adjustment < 3)
        r.add(format_text("Standard Adjustment: %s", adjustments[p.standard_adjustment]));
    else
        r.add(format_text("Standard Adjustment: unknown (%u)", p.standard_adjustment));
    if (p.standard_adjustment != 1) {
        r.add(format_text("Standard 1 Measurement State: %u", p.standard1_measurement_state));
        r.add(format_text("Standard 1 Measurement Concentration (uM): %.3f",
                          p.standard1_concentration / 1000.0));
    }
    if (p.standard_adjustment != 0) {
        r.add(format_text("Standard 2 Measurement State: %u", p.standard2_measurement_state));
        r.add(format_text("Standard 2 Measurement Concentration (uM): %.3f",
                          p.standard2_concentration / 1000.0));
    }
    static constexpr const char* triggers[] = {"Standard 1", "Standard 2", "Sample", "Blank"};
    if (p.processing_trigger < 4)
        r.add(format_text("Processing Trigger: %s", triggers[p.processing_trigger]));
    else
        r.add(format_text("Processing Trigger: unknown (%u)", p.processing_trigger));
    if (p.optical_correction) {
        r.add("Optical Correction: enabled");
        r.add(format_text("Optical Correction State (sample): %u", p.oc_sample_state));
        r.add(format_text("Optical Correction State (blank): %u", p.oc_blank_state));
    } else {
        r.add("Optical Correction: disabled");
    }
}

void identity_section(Report& r, link::SensorLink& link, std::string& file_base) {
    r.section("SENSOR IDENTIFICATION:");
    protocol::DeviceKind kind;
    protocol::DeviceIdentity identity;
    if (protocol::read_kind(link, kind) != protocol::status::ok ||
        protocol::read_identity(link, identity) != protocol::status::ok) {
        r.add("unable to read DEVICE state/configuration from sensor");
        return;
    }
    const std::string name = identity.name_text();
    r.add(format_text("Sensor Device: %s", link::device_type_name(kind.device_type).c_str()));
    r.add(format_text("Sensor Name: %s", name.c_str()));
    r.add(format_text("Sensor Serial Number: %u", identity.serial_number));
    r.add(format_text("Processing Board Serial Number: %u", identity.board_serial_number));
    r.add(format_text("Bootloader Version: %u", kind.bootloader_version));
    file_base = name;
}

void time_section(Report& r, link::SensorLink& link, std::int64_t pc_time_utc) {
    r.section("TIME CONFIGURATION:");
    const auto pc = pc_time_utc >= 0 && pc_time_utc <= 0xFFFFFFFFll
                        ? clock_from_seconds(static_cast<std::uint32_t>(pc_time_utc))
                        : std::nullopt;
    const SensorClock pc_clock = pc.value_or(SensorClock{});
    r.add("PC time now: " + clock_text(pc_clock) + " UTC");
    SensorClock clock;
    const SensorStatus s = read_sensor_clock(link, clock);
    if (s != protocol::status::ok)
        r.add(format_text("unable to read DEVICE configuration from sensor (status=%d)", s));
    else
        r.add("Sensor time now: " + clock_text(clock));
}

// Returns the chemistry read, or -1 when the configuration could not be read.
int chemistry_section(Report& r, link::SensorLink& link) {
    r.section("CHEMISTRY CONFIGURATION:");
    protocol::ChemistryConfig config;
    const SensorStatus s = protocol::read_chemistry_config(link, config);
    if (s != protocol::status::ok) {
        r.add(format_text("unable to read chemistry configuration from sensor (status=%d)", s));
        return -1;
    }
    const char* name = chemistry_report_text(config.chemistry);
    if (!name) {
        r.add(format_text("Chemistry Type: unknown (%u)", config.chemistry));
        return config.chemistry;
    }
    r.add(name);
    r.add(format_text("Sample Interval (ms): %u", config.sample_interval_ms));
    if (config.multiplexer == 0)
        r.add("Multiplexer: none");
    else if (config.multiplexer == 1)
        r.add("Multiplexer: pH");
    else
        r.add(format_text("Multiplexer: unknown (%u)", config.multiplexer));

    std::array<std::uint8_t, link::payload_capacity> buffer{};
    const std::span<std::uint8_t> record(buffer.data(), parameters_size(config.chemistry));
    const SensorStatus ps = protocol::read_processing_parameters(link, config.chemistry, record);
    if (ps != protocol::status::ok) {
        r.add(format_text("unable to read chemistry processing parameters from sensor (status=%d)",
                          ps));
    } else {
        switch (config.chemistry) {
            case chem::generic:
                generic_lines(r, record);
                break;
            case chem::ph:
                ph_lines(r, record);
                break;
            case chem::ta:
                ta_lines(r, record);
                break;
            case chem::dic:
                dic_lines(r, record);
                break;
            case chem::ammonia:
                break;  // nothing of it is shown
            default:
                nutrient_lines(r, record);
                break;
        }
    }
    r.add("Automatic Deployment Start State: " + state_or_disabled(config.autostart_state));
    r.add("Manual Priming Start State: " + state_or_disabled(config.priming_state));
    r.add("Manual Flushing Start State: " + state_or_disabled(config.flushing_state));
    r.add("Manual Deployment Start State: " + state_or_disabled(config.deployment_state));
    r.add("Special 1 Start State: " + state_or_disabled(config.special_states[0]));
    r.add("Special 2 Start State: " + state_or_disabled(config.special_states[1]));
    r.add("Special 3 Start State: " + state_or_disabled(config.special_states[2]));
    return config.chemistry;
}

void optics_section(Report& r, link::SensorLink& link, int chemistry) {
    r.section("OPTICS, VALVES & PUMP DEFAULTS CONFIGURATION:");
    OpticsDefaults optics;
    PmtSettings pmt;
    PumpValveDefaults pump;
    SensorStatus s = read_optics_defaults(link, optics);
    if (s == protocol::status::ok && chemistry == chem::ammonia)
        s = read_pmt_settings(link, pmt);
    if (s == protocol::status::ok)
        s = read_pump_valve_defaults(link, pump);
    if (s != protocol::status::ok) {
        r.add(format_text(
            "unable to read optics, valves and pump defaults configuration from sensor (status=%d)",
            s));
    } else {
        for (int i = 0; i < 4; ++i)
            r.add(format_text("LED %d current (mA): %.3f", i, optics.led_current_ua[i] / 1000.0));
        r.add(format_text("Photodiodes 5V Power: %s",
                          optics.photodiode_power ? "enabled" : "disabled"));
        r.add(format_text("Hall Sensors 5V Power: %s", pump.hall_power ? "enabled" : "disabled"));
        if (chemistry == chem::ammonia) {
            if (pmt.instrument == pmt_instrument::none)
                r.add("PMT Instrument: None");
            else if (pmt.instrument == pmt_instrument::h10492)
                r.add("PMT Instrument: Hamamatsu H10492");
            else
                r.add(format_text("PMT Instrument: unknown (%u)", pmt.instrument));
            r.add(format_text("PMT Control: %.5f", pmt.control_v));
        }
        r.add(format_text("Pump Current (mA): %u", pump.winding_current_ma));
        r.add(format_text("Pump Step Period (us): %u", pump.step_period_us));
        static constexpr int microsteps[] = {16, 8, 4, 2, 1};
        if (pump.microstep_code < 5)
            r.add(format_text("Pump Microstepping: %d", microsteps[pump.microstep_code]));
        else
            r.add(format_text("Pump Microstepping: unknown (%u)", pump.microstep_code));
        r.add(format_text("Pump Direction: %s", pump.pump_direction == 0 ? "Inject" : "Withdraw"));
        // A step-count stop has no line of its own: it shows as unknown.
        if (pump.stop_mode == 0)
            r.add("Pump Stop Condition: Hall Sensors");
        else if (pump.stop_mode == 2)
            r.add("Pump Stop Condition: Time");
        else
            r.add(format_text("Pump Stop Condition: unknown (%u)", pump.stop_mode));
        r.add(format_text("Pump Inject Hall Sensor Limit: %u", pump.hall_stop_inject));
        r.add(format_text("Pump Withdraw Hall Sensor Limit: %u", pump.hall_stop_withdraw));
        r.add(format_text("Pump Timeout (s): %u", pump.stop_time_s));
        r.add(format_text("Valves Spike Time (ms): %u", pump.valve_spike_ms));
    }
    if (chemistry == chem::dic) {
        DicConductivity dic;
        const SensorStatus ds = read_dic_conductivity(link, dic);
        if (ds != protocol::status::ok) {
            r.add(format_text("unable to read DIC configuration from sensor (status=%d)", ds));
        } else {
            r.add(format_text("DIC Frequency (kHz): %u", dic.frequency_khz));
            r.add(format_text("DIC Excitation (%%): %u", dic.excitation_pct));
            r.add(format_text("DIC RXGAIN: %s", dic.rxgain ? "ON" : "OFF"));
            r.add(format_text("DIC Offset (V): %.4f", dic.offset_v));
        }
    }
}

void thermistor_section(Report& r, link::SensorLink& link) {
    r.section("THERMISTORS CONFIGURATION:");
    for (std::uint8_t i = 0; i < thermistor_count; ++i) {
        ThermistorConfig t;
        const SensorStatus s = read_thermistor_config(link, i, t);
        if (s != protocol::status::ok)
            r.add(format_text("unable to read thermistor %d configuration from sensor (status=%d)",
                              i, s));
        else
            r.add(
                format_text("Thermistor %d: input channel=%u, temperature(C)=%.5f volt^3 + "
                            "%.5f volt^2 + %.5f volt + %.5f",
                            i, t.input_channel, t.c3, t.c2, t.c1, t.c0));
    }
}

std::string parity_line(std::uint8_t code) {
    switch (code) {
        case parity::none:
            return "Parity: None";
        case parity::even:
            return "Parity: Even";
        case parity::odd:
            return "Parity: Odd";
        case parity::space:
            return "Parity: Space";
        default:
            return "Parity: Mark";
    }
}

void rs232_section(Report& r, link::SensorLink& link) {
    r.section("RS232 CONFIGURATION:");
    Rs232Config c;
    const SensorStatus s = read_rs232_config(link, c);
    if (s != protocol::status::ok) {
        r.add(format_text("unable to read RS232 configuration from sensor (status=%d)", s));
        return;
    }
    r.add(format_text("Baud Rate: %u", c.baud_rate));
    r.add(format_text("Data Bits: %u", c.data_bits));
    r.add(format_text("Stop Bits: %u", c.stop_bits));
    r.add(parity_line(c.parity));
    const std::string_view name = rs232_protocol_name(c.protocol);
    if (name.empty())
        r.add(format_text("Protocol: unknown or obsolete (%u)", c.protocol));
    else
        r.add("Protocol: " + std::string(name));
    r.add(c.mode == 0 ? "Mode: Normal" : "Mode: Debug");
}

void rs485_section(Report& r, link::SensorLink& link) {
    r.section("RS485 CONFIGURATION:");
    Rs485Config c;
    const SensorStatus s = read_rs485_config(link, c);
    if (s != protocol::status::ok) {
        r.add(format_text("unable to read RS485 configuration from sensor (status=%d)", s));
        return;
    }
    r.add(format_text("Baud Rate: %u", c.baud_rate));
    r.add(format_text("Data Bits: %u", c.data_bits));
    r.add(format_text("Stop Bits: %u", c.stop_bits));
    r.add(parity_line(c.parity));
    switch (c.protocol) {
        case rs485_protocol::none:
            r.add("Protocol: None");
            break;
        case rs485_protocol::marinodeck_hub:
            r.add("Protocol: Marinodeck Hub");
            break;
        case rs485_protocol::storm_logger:
            r.add("Protocol: Storm Logger");
            break;
        default:
            r.add(format_text("Protocol: unknown (%u)", c.protocol));
    }
    r.add(format_text("Slave Address: %u", c.slave_address));
    r.add(format_text("Poll Rate (s): %u", c.poll_rate_s));
}

void platform_section(Report& r, link::SensorLink& link) {
    r.section("PLATFORM DEFAULTS CONFIGURATION:");
    PlatformDefaults p;
    const SensorStatus s = read_platform_defaults(link, p);
    if (s != protocol::status::ok) {
        r.add(format_text("unable to read platform defaults configuration from sensor (status=%d)",
                          s));
        return;
    }
    r.add(format_text("Dive Number: %u", p.dive_number));
    r.add(format_text("Salinity (PSU): %.3f", p.salinity_psu));
    r.add(format_text("Temperature (C): %.3f", p.temperature_c));
    r.add(format_text("Dissolved Oxygen (ml/l): %.3f", p.oxygen_ml_l));
    r.add(format_text("Depth (m): %.3f", p.depth_m));
    static constexpr const char* directions[] = {"Surfaced", "Diving", "Climbing", "Hovering",
                                                 "Fixed"};
    if (p.direction >= 1 && p.direction <= 5)
        r.add(format_text("Direction: %s", directions[p.direction - 1]));
    else
        r.add(format_text("Direction: unknown (%u)", p.direction));
    r.add(format_text("Time Offset (s): %d", p.time_offset_s));
    r.add(format_text("P1: %d", p.p1));
    r.add(format_text("P2: %d", p.p2));
    r.add(format_text("P3: %d", p.p3));
}

void schedule_section(Report& r, link::SensorLink& link) {
    r.section("SCHEDULE CONFIGURATION:");
    MeasurementSchedule m;
    const SensorStatus s = read_schedule(link, m);
    if (s != protocol::status::ok) {
        r.add(format_text("unable to read schedule configuration from sensor (status=%d)", s));
        return;
    }
    r.add("Start Time: " + schedule_time_text(m.start_time));
    r.add(interval_text(m));
    r.add("Stop Time: " +
          (m.stop_enabled ? schedule_time_text(m.stop_time) : std::string("disabled")));
}

void software_section(Report& r, link::SensorLink& link) {
    r.section("SOFTWARE CONFIGURATION:");
    protocol::SoftwareVersion v;
    const SensorStatus s = protocol::read_software_version(link, v);
    if (s != protocol::status::ok) {
        r.add(format_text("unable to read SOFTWARE configuration from sensor (status=%d)", s));
        return;
    }
    r.add(format_text("GUI Version: %s", maintenance::program_version));
    r.add(format_text("Firmware Version: %s", v.version_text().c_str()));
}

}  // namespace

ConfigurationReport build_configuration_report(link::SensorLink& link, std::int64_t pc_time_utc) {
    ConfigurationReport out;
    Report r{out.lines};
    identity_section(r, link, out.file_base);
    time_section(r, link, pc_time_utc);
    const int chemistry = chemistry_section(r, link);
    optics_section(r, link, chemistry);
    thermistor_section(r, link);
    rs232_section(r, link);
    rs485_section(r, link);
    platform_section(r, link);
    schedule_section(r, link);
    software_section(r, link);
    return out;
}

std::string report_file_name(const std::string& file_base) {
    return format_text("%s_config.log", file_base.c_str());
}

std::string report_text_crlf(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

bool write_report_file(const std::string& path, const std::vector<std::string>& lines) {
    std::FILE* f = std::fopen(path.c_str(), "w");  // text mode: the platform's line ends
    if (!f)
        return false;
    bool ok = true;
    for (const auto& line : lines)
        if (std::fputs(line.c_str(), f) < 0 || std::fputc('\n', f) == EOF)
            ok = false;
    if (std::fclose(f) != 0)
        ok = false;
    return ok;
}

}  // namespace quelmar::config
