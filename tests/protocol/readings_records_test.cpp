// The live readings, platform snapshot and chemistry configuration against byte images written
// from their tables.

#include <gtest/gtest.h>

#include "protocol/chemistry.h"
#include "protocol/readings.h"
#include "tests/support/byte_image.h"

namespace quelmar::protocol {
namespace {

using test::bytes_of;
using test::hex;
using test::Image;

TEST(ReadingsRecords, ReadingsEntryMatchesItsByteImage) {
    const Image image =
        hex("01 | 04 03 02 01 | 00 10 5E 5F | 07 | 24 FA FF FF | 44 2F 00 00") +
        hex("00 10 01 20 02 30 03 40 04 50 05 60 06 70 07 80") + hex("BC 0A | EF 0D") +
        hex("00 00 0E 42 | 00 00 44 41 | 00 00 A0 40 | 00 00 C8 42") + hex("44 33 22 11");
    const ReadingsEntry e = decode_readings_entry(image.as<readings_entry_size>());
    EXPECT_EQ(e.platform_valid, 1);
    EXPECT_EQ(e.counter, 0x01020304u);
    EXPECT_EQ(e.sensor_time, 0x5F5E1000u);
    EXPECT_EQ(e.state, 7);
    EXPECT_EQ(e.temperature_mdegc, -1500);
    EXPECT_EQ(e.supply_mv, 12100);
    for (std::size_t i = 0; i < channel_count; ++i)
        EXPECT_EQ(e.channels[i], 0x1000 * (i + 1) + i) << "channel " << i;
    EXPECT_EQ(e.hall_i, 0x0ABC);
    EXPECT_EQ(e.hall_w, 0x0DEF);
    EXPECT_EQ(e.platform_salinity, 35.5f);
    EXPECT_EQ(e.platform_temperature, 12.25f);
    EXPECT_EQ(e.platform_oxygen, 5.0f);
    EXPECT_EQ(e.platform_depth, 100.0f);
    EXPECT_EQ(e.platform_time, 0x11223344u);
    EXPECT_EQ(bytes_of(encode_readings_entry(e)), image.bytes);
    EXPECT_EQ(readings_counter(image.as<readings_entry_size>()), 0x01020304u);
}

TEST(ReadingsRecords, PlatformRecordMatchesItsByteImage) {
    const Image image = hex("01 02 03 | 00 00 0E 42 | 00 00 44 41 | 00 00 A0 40 | 00 00 C8 42") +
                        hex("02 | F0 F1 FF FF | 01 00 00 00 | FE FF FF FF | FF FF FF 7F");
    const PlatformData p = decode_platform_data(image.as<platform_data_size>());
    EXPECT_EQ(p.head, (std::array<std::uint8_t, 3>{1, 2, 3}));
    EXPECT_EQ(p.salinity, 35.5f);
    EXPECT_EQ(p.temperature, 12.25f);
    EXPECT_EQ(p.oxygen, 5.0f);
    EXPECT_EQ(p.depth, 100.0f);
    EXPECT_EQ(p.direction, 2);
    EXPECT_EQ(p.time_offset, -3600);
    EXPECT_EQ(p.p1, 1);
    EXPECT_EQ(p.p2, -2);
    EXPECT_EQ(p.p3, 0x7FFFFFFF);
    EXPECT_EQ(bytes_of(encode_platform_data(p)), image.bytes);
}

TEST(ReadingsRecords, ChemistryConfigMatchesItsByteImage) {
    const Image image =
        hex("5A | 04 | 40 42 0F 00 | 01 | 10 | 11 | 12 | 13 | 14 15 16 | A0 A1 A2 A3");
    const ChemistryConfig c = decode_chemistry_config(image.as<chemistry_config_size>());
    EXPECT_EQ(c.byte0, 0x5A);
    EXPECT_EQ(c.chemistry, chemistry::ph);
    EXPECT_EQ(c.sample_interval_ms, 1000000u);
    EXPECT_EQ(c.multiplexer, 1);
    EXPECT_EQ(c.autostart_state, 0x10);
    EXPECT_EQ(c.flushing_state, 0x11);
    EXPECT_EQ(c.priming_state, 0x12);
    EXPECT_EQ(c.deployment_state, 0x13);
    EXPECT_EQ(c.special_states, (std::array<std::uint8_t, 3>{0x14, 0x15, 0x16}));
    EXPECT_EQ(c.tail, (std::array<std::uint8_t, 4>{0xA0, 0xA1, 0xA2, 0xA3}));
    EXPECT_EQ(bytes_of(encode_chemistry_config(c)), image.bytes);
}

// The older 23-byte nutrient record becomes the current 29-byte one: format 1, measurement
// channels 0/1/2, and the legacy monitoring channel moved to the output path's own byte.
TEST(ReadingsRecords, LegacyNutrientRecordConvertsToTheCurrentImage) {
    const Image legacy = hex("00 00 01 | 03 04 05 06 07 | D2 04 00 00 | 40 E2 01 00") +
                         hex("02 03 01 08 09 | 01 03");
    const Image current = hex("01 00 01 | 03 04 05 06 07 | D2 04 00 00 | 40 E2 01 00") +
                          hex("02 03 01 08 09 | 01 03 | 00 01 02 | FF 03 FF");
    EXPECT_EQ(bytes_of(nutrient_record_from_legacy(legacy.as<legacy_nutrient_parameters_size>())),
              current.bytes);

    // An output channel the current layout does not know becomes Medium; without the legacy
    // monitoring flag no path gets a monitoring channel.
    Image adaptive = legacy;
    adaptive.bytes[2] = 254;
    adaptive.bytes[21] = 0;
    Image expected = current;
    expected.bytes[21] = 0;
    expected.bytes[27] = 0xFF;
    EXPECT_EQ(bytes_of(nutrient_record_from_legacy(adaptive.as<legacy_nutrient_parameters_size>())),
              expected.bytes);
}

}  // namespace
}  // namespace quelmar::protocol
