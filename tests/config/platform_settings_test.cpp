// Platform defaults and thermistor records against byte images written from their tables, the
// numbers typed into the settings boxes, and what reaches the sensor from them.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "config/platform_defaults.h"
#include "config/typed_fields.h"
#include "config/thermistor_config.h"
#include "protocol/commands.h"
#include "tests/support/byte_image.h"
#include "tests/support/sensor_fixture.h"

namespace quelmar::config {
namespace {

using test::bytes_of;
using test::hex;
using test::Image;

constexpr float float_max = std::numeric_limits<float>::max();

TEST(PlatformRecords, PlatformDefaultsMatchItsByteImage) {
    const Image image = hex("01 | 2A 00 | 00 00 0E 42 | 00 00 C0 BF | 00 00 A8 40 | 00 00 7A 44") +
                        hex("03 | C4 FF FF FF | 01 00 00 00 | FE FF FF FF | 00 00 00 80");
    const auto r = common::decode_record<PlatformDefaults>(image.as<platform_defaults_size>());
    EXPECT_EQ(r.byte0, 1);
    EXPECT_EQ(r.dive_number, 42);
    EXPECT_EQ(r.salinity_psu, 35.5f);
    EXPECT_EQ(r.temperature_c, -1.5f);
    EXPECT_EQ(r.oxygen_ml_l, 5.25f);
    EXPECT_EQ(r.depth_m, 1000.0f);
    EXPECT_EQ(r.direction, 3);
    EXPECT_EQ(r.time_offset_s, -60);
    EXPECT_EQ(r.p1, 1);
    EXPECT_EQ(r.p2, -2);
    EXPECT_EQ(r.p3, std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(bytes_of(common::encode_record(r)), image.bytes);
}

TEST(TypedFields, IntegersReadNonNumericTextAsZeroAndHoldTheirLimits) {
    EXPECT_EQ(typed_unsigned("300"), 300u);
    EXPECT_EQ(typed_unsigned("  +12x"), 12u);
    EXPECT_EQ(typed_unsigned(""), 0u);
    EXPECT_EQ(typed_unsigned("abc"), 0u);
    EXPECT_EQ(typed_unsigned("-5"), 0u);
    EXPECT_EQ(typed_unsigned("99999999999999999999999"), std::numeric_limits<std::uint64_t>::max());

    EXPECT_EQ(typed_signed("-60"), -60);
    EXPECT_EQ(typed_signed(" +7"), 7);
    EXPECT_EQ(typed_signed("- 5"), 0);
    EXPECT_EQ(typed_signed("-"), 0);
    EXPECT_EQ(typed_signed("2147483647"), 2147483647);
    EXPECT_EQ(typed_signed("-2147483648"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(typed_signed("99999999999"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(typed_signed("-99999999999999999999999"), std::numeric_limits<std::int32_t>::min());
}

TEST(TypedFields, DecimalsAreAlwaysFiniteFloats) {
    EXPECT_EQ(typed_decimal("35.125"), 35.125f);
    EXPECT_EQ(typed_decimal("  -2.5e1 PSU"), -25.0f);
    EXPECT_EQ(typed_decimal("+1.25"), 1.25f);
    EXPECT_EQ(typed_decimal(".5"), 0.5f);
    EXPECT_EQ(typed_decimal("+-1"), 0.0f);
    EXPECT_EQ(typed_decimal("salty"), 0.0f);
    EXPECT_EQ(typed_decimal(""), 0.0f);
    // Not-a-number and infinity, however spelt, are the box's non-numeric case.
    for (const char* text : {"nan", "NaN", "-nan", "nan(0x1)", "inf", "-INF", "infinity", "+inf"})
        EXPECT_EQ(typed_decimal(text), 0.0f) << text;
    // Finite but beyond a float (or a double): held at the largest float of its sign.
    EXPECT_EQ(typed_decimal("1e39"), float_max);
    EXPECT_EQ(typed_decimal("-1e39"), -float_max);
    EXPECT_EQ(typed_decimal("1e999"), float_max);
    EXPECT_EQ(typed_decimal("-1e999"), -float_max);
    EXPECT_EQ(typed_decimal("1e-999"), 0.0f);
    // Only the box's 23 characters count.
    EXPECT_EQ(typed_decimal_box(std::string(22, ' ') + "7"), 7.0f);
    EXPECT_EQ(typed_decimal_box(std::string(23, ' ') + "7"), 0.0f);
    EXPECT_EQ(typed_decimal(std::string(23, ' ') + "7"), 7.0f);
    EXPECT_EQ(typed_decimal_box("1.0000000000000000000009"), 1.0f);

    EXPECT_EQ(decimal_text(35.0f, 3), "35.000");
    EXPECT_EQ(decimal_text(-0.000004f, 5), "-0.00000");
}

TEST(PlatformDefaultsText, RoundTripAndTheRecordWritten) {
    PlatformDefaults c;
    c.byte0 = 9;
    c.dive_number = 65535;
    c.salinity_psu = 35.1f;
    c.temperature_c = -1.8f;
    c.direction = 9;  // not a direction the dialog knows
    c.time_offset_s = -60;
    c.p2 = -7;
    PlatformDefaultsText t = platform_defaults_text(c);
    EXPECT_EQ(t.dive_number, "65535");
    EXPECT_EQ(t.salinity, "35.100");
    EXPECT_EQ(t.temperature, "-1.800");
    EXPECT_EQ(t.direction, 0u);  // "Unknown"
    EXPECT_EQ(t.time_offset, "-60");
    EXPECT_EQ(t.parameters[1], "-7");

    t.dive_number = "70000";
    t.oxygen = "nan";
    t.depth = "1e39";
    t.direction = 5;
    const PlatformDefaults w = platform_defaults_from_text(t);
    EXPECT_EQ(w.byte0, 1);
    EXPECT_EQ(w.dive_number, 70000 & 0xFFFF);
    EXPECT_EQ(w.salinity_psu, 35.1f);
    EXPECT_EQ(w.oxygen_ml_l, 0.0f);
    EXPECT_EQ(w.depth_m, float_max);
    EXPECT_EQ(w.direction, 5);
    EXPECT_EQ(w.time_offset_s, -60);
    EXPECT_EQ(w.p2, -7);
    // Every float field of the image is finite, so the sensor never receives a NaN.
    const auto bytes = common::encode_record(w);
    for (std::size_t at : {3u, 7u, 11u, 15u}) {
        float v;
        std::memcpy(&v, bytes.data() + at, 4);
        EXPECT_TRUE(std::isfinite(v)) << at;
    }
}

TEST(ThermistorRows, ShownChannelAndTheRecordWritten) {
    ThermistorConfig c;
    c.byte0 = 7;
    c.input_channel = 9;
    c.c3 = 0.000012f;
    c.c1 = 10.0f;
    c.c0 = -10.0f;
    const ThermistorRowText row = thermistor_row_text(c);
    EXPECT_EQ(row.input_channel, 0);  // channel 9 shows "0"
    EXPECT_EQ(row.coefficients[0], "0.00001");
    EXPECT_EQ(row.coefficients[2], "10.00000");
    EXPECT_EQ(row.coefficients[3], "-10.00000");

    ThermistorRowText typed = row;
    typed.input_channel = 5;
    typed.coefficients[1] = "inf";
    const ThermistorConfig w = thermistor_from_row(typed);
    EXPECT_EQ(w.byte0, 0);
    EXPECT_EQ(w.input_channel, 5);
    EXPECT_EQ(w.c2, 0.0f);
    EXPECT_EQ(w.c1, 10.0f);
    typed.input_channel = 8;
    EXPECT_EQ(thermistor_from_row(typed).input_channel, 0);
}

using PlatformCommands = test_support::SensorFixture;

TEST_F(PlatformCommands, PlatformDefaultsRoundTripThroughTheSensor) {
    PlatformDefaults c;
    ASSERT_EQ(read_platform_defaults(sensor_link, c), protocol::status::ok);
    EXPECT_EQ(c.byte0, 1);
    EXPECT_EQ(c.salinity_psu, 35.0f);  // factory: open-ocean surface water
    c.time_offset_s = -60;
    c.p3 = -123456;
    ASSERT_EQ(write_platform_defaults(sensor_link, c), protocol::status::ok);
    PlatformDefaults back;
    ASSERT_EQ(read_platform_defaults(sensor_link, back), protocol::status::ok);
    EXPECT_EQ(back, c);
    EXPECT_EQ(back.time_offset_s, -60);
}

TEST_F(PlatformCommands, ThermistorsAreWrittenIndexFirstAndReadInTurn) {
    Thermistors configs{};
    ASSERT_EQ(read_thermistors(sensor_link, configs), protocol::status::ok);
    EXPECT_EQ(configs[0].input_channel, 7);  // the factory wiring

    configs[1].input_channel = 3;
    configs[1].c3 = 1.0f;
    configs[1].c2 = 0.0f;
    configs[1].c1 = 0.0f;
    configs[1].c0 = -2.0f;
    sensor.clear_requests();
    Thermistors back{};
    ASSERT_EQ(write_thermistors(sensor_link, configs, back), protocol::status::ok);
    EXPECT_EQ(back[1].input_channel, 3);
    EXPECT_EQ(back[1].c0, -2.0f);

    const auto requests = sensor.requests();
    ASSERT_EQ(requests.size(), 6u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(requests[i].command(), protocol::cmd::write_thermistor);
        EXPECT_EQ(requests[i].length(), 19);
        EXPECT_EQ(requests[i].payload()[0], i);
        EXPECT_EQ(requests[3 + i].command(), protocol::cmd::read_thermistor);
        EXPECT_EQ(requests[3 + i].length(), 1);
        EXPECT_EQ(requests[3 + i].payload()[0], i);
    }
    const Image second = hex("01 | 00 | 03 | 00 00 80 3F | 00 00 00 00 | 00 00 00 00 | 00 00 00 C0");
    EXPECT_EQ(std::vector<std::uint8_t>(requests[1].payload(), requests[1].payload() + 19),
              second.bytes);
}

TEST_F(PlatformCommands, TheFirstThermistorFailureStops) {
    sensor.force_status(protocol::cmd::write_thermistor, 5);
    sensor.clear_requests();
    Thermistors configs{};
    Thermistors back{};
    back[2].c0 = 42.0f;
    EXPECT_EQ(write_thermistors(sensor_link, configs, back), 5);
    EXPECT_EQ(sensor.requests().size(), 1u);  // no second write, no read-back
    EXPECT_EQ(back[2].c0, 42.0f);

    sensor.clear_forced_status(protocol::cmd::write_thermistor);
    sensor.force_status(protocol::cmd::read_thermistor, 3);
    sensor.clear_requests();
    EXPECT_EQ(read_thermistors(sensor_link, back), 3);
    EXPECT_EQ(sensor.requests().size(), 1u);
    EXPECT_EQ(back[2].c0, 42.0f);
}

}  // namespace
}  // namespace quelmar::config
