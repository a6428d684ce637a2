#pragma once
// The command codes the program sends to the sensor, with their request/reply payload sizes.

#include <cstdint>

namespace quelmar::protocol {

namespace cmd {
constexpr std::uint16_t read_device_info_old = 256;      // reply 27
constexpr std::uint16_t write_identity_old = 257;        // request 27
constexpr std::uint16_t start_firmware = 258;            // leave the bootloader
constexpr std::uint16_t firmware_block = 259;            // request 77
constexpr std::uint16_t read_identity = 260;             // reply 29
constexpr std::uint16_t write_identity = 261;            // request 29
constexpr std::uint16_t read_kind = 262;                 // reply 5
constexpr std::uint16_t read_clock = 290;                // reply 8
constexpr std::uint16_t write_clock = 291;               // request 8
constexpr std::uint16_t read_fram_factory = 292;         // reply 9
constexpr std::uint16_t write_fram_factory = 293;        // request 9
constexpr std::uint16_t read_software_version = 294;     // reply 26
constexpr std::uint16_t read_status = 295;               // reply 17
constexpr std::uint16_t toggle_led = 296;                // request 1
constexpr std::uint16_t read_restart_entry = 298;        // request 1, reply 14
constexpr std::uint16_t write_log_filter = 305;          // request 26
constexpr std::uint16_t read_task = 306;                 // request 1, reply 48
constexpr std::uint16_t read_log_entry = 307;            // request 1, reply 114
constexpr std::uint16_t wipe_log = 308;
constexpr std::uint16_t start_log_read = 309;            // request 3
constexpr std::uint16_t read_nvram_factory = 322;        // reply 5
constexpr std::uint16_t write_nvram_factory = 323;       // request 5
constexpr std::uint16_t read_pump_valve_defaults = 352;  // reply 25
constexpr std::uint16_t write_pump_valve_defaults = 353; // request 25
constexpr std::uint16_t start_pump_test = 354;           // request 26
constexpr std::uint16_t stop_pump_test = 355;
constexpr std::uint16_t read_pump_progress = 356;        // reply 3
constexpr std::uint16_t start_valve_test = 357;          // request 4
constexpr std::uint16_t stop_valve_test = 358;
constexpr std::uint16_t read_optics_defaults = 368;      // reply 11
constexpr std::uint16_t write_optics_defaults = 369;     // request 11
constexpr std::uint16_t start_optics_test_old = 370;     // request 16
constexpr std::uint16_t stop_optics_test = 371;
constexpr std::uint16_t read_dic_conductivity = 372;     // reply 9
constexpr std::uint16_t write_dic_conductivity = 373;    // request 9
constexpr std::uint16_t read_photomultiplier = 374;      // reply 20
constexpr std::uint16_t write_photomultiplier = 375;     // request 20
constexpr std::uint16_t read_chemistry_config = 400;     // reply 18
constexpr std::uint16_t write_chemistry_config = 401;    // request 18
constexpr std::uint16_t read_processing_parameters = 402;   // request 4, reply as requested
constexpr std::uint16_t write_processing_parameters = 403;  // request 4 + length
constexpr std::uint16_t read_thermistor = 404;           // request 1, reply 18
constexpr std::uint16_t write_thermistor = 405;          // request 19
constexpr std::uint16_t read_readings = 418;             // reply 59
constexpr std::uint16_t start_processed_read = 419;      // request 3
constexpr std::uint16_t read_processed_record = 420;     // request 1, reply 53
constexpr std::uint16_t wipe_processed = 421;
constexpr std::uint16_t read_output_file_name = 422;     // reply 13
constexpr std::uint16_t read_state_count = 434;          // request 1, reply 2
constexpr std::uint16_t read_state = 435;                // request 1, reply 77
constexpr std::uint16_t write_state = 436;               // request 79
constexpr std::uint16_t start_state_machine = 437;       // request 1
constexpr std::uint16_t stop_state_machine = 438;
constexpr std::uint16_t read_platform_defaults = 440;    // reply 36
constexpr std::uint16_t write_platform_defaults = 441;   // request 36
constexpr std::uint16_t read_schedule = 442;             // reply 13
constexpr std::uint16_t write_schedule = 443;            // request 13
constexpr std::uint16_t read_platform_data = 444;        // reply 36
constexpr std::uint16_t read_schedule_timing = 445;      // reply 9
constexpr std::uint16_t read_rs232_config = 448;         // reply 13
constexpr std::uint16_t write_rs232_config = 449;        // request 13
constexpr std::uint16_t read_rs485_config = 464;         // reply 17
constexpr std::uint16_t write_rs485_config = 465;        // request 17
constexpr std::uint16_t mount_as_drive = 482;
constexpr std::uint16_t start_optics_test = 626;         // request 36
}  // namespace cmd

struct CommandInfo {
    std::uint16_t code;
    std::uint8_t request_bytes;
    std::uint8_t reply_bytes;
};

// Every command of the catalogue with its payload sizes (402's reply: as requested, 0 here).
const CommandInfo* command_catalogue(std::size_t& count);
const CommandInfo* find_command(std::uint16_t code);

}  // namespace quelmar::protocol
