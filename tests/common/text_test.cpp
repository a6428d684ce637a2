#include "common/text.h"

#include <gtest/gtest.h>

#include "common/bytes.h"

using namespace quelmar::common;

namespace {

TEST(Text, FormattedTextsStopAt255Characters) {
    EXPECT_EQ(format_text("%u V", 12u), "12 V");
    const std::string long_text = format_text("%s", std::string(400, 'x').c_str());
    EXPECT_EQ(long_text.size(), 255u);
}

TEST(Text, SensorTimeIsUtcWithThe32BitRule) {
    EXPECT_EQ(sensor_time_text(0), "01/01/1970 00:00:00");
    EXPECT_EQ(sensor_time_text(1700000000u), "14/11/2023 22:13:20");
    EXPECT_EQ(sensor_time_text(0x7FFFFFFFu), "19/01/2038 03:14:07");
    EXPECT_EQ(sensor_time_text(0x80000000u), "2147483648");
    EXPECT_EQ(sensor_time_text(0xFFFFFFFFu), "4294967295");
    EXPECT_EQ(sensor_time_axis_text(1700000000u), "14/11 22:13");
    EXPECT_EQ(sensor_time_axis_text(0x80000000u), "2147483648");
}

TEST(Bytes, LittleEndianFieldsAndBoundedTexts) {
    std::uint8_t b[8] = {};
    put_u32le(b, 0x12345678u);
    EXPECT_EQ(b[0], 0x78);
    EXPECT_EQ(b[3], 0x12);
    EXPECT_EQ(get_u32le(b), 0x12345678u);
    put_i16le(b + 4, -2);
    EXPECT_EQ(get_i16le(b + 4), -2);
    EXPECT_EQ(get_u16le(b + 4), 0xFFFE);
    put_f32le(b, 1.5f);
    EXPECT_EQ(get_f32le(b), 1.5f);

    const std::uint8_t unterminated[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(get_text(unterminated, 4), "abcd");
    std::uint8_t field[5];
    put_text(field, sizeof field, "longer than the field");
    EXPECT_EQ(get_text(field, sizeof field), "long");
    EXPECT_EQ(field[4], 0);
}

}  // namespace
