#include "common/text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <random>

#include "common/bytes.h"

using namespace quelmar::common;

namespace {

TEST(Text, FormattedTextsStopAt255Characters) {
    EXPECT_EQ(format_text("%u V", 12u), "12 V");
    const std::string long_text = format_text("%s", std::string(400, 'x').c_str());
    EXPECT_EQ(long_text.size(), 255u);
}

TEST(Text, PiecesAreWrittenAsPrintfWritesThem) {
    // Halfway cases round to even as printf does; -0 keeps its sign; non-finite numbers
    // and large magnitudes have printf's spelling.
    const double inf = std::numeric_limits<double>::infinity();
    const double specials[] = {0.125, 0.375, 2.5, 3.5, -0.0, 1e300, -1e-300, 0.1, 1e21,
                               4503599627370497.5, inf, -inf, std::nan(""), -std::nan("")};
    for (double v : specials) {
        for (int digits : {0, 2, 3, 6}) {
            EXPECT_EQ(text_of(Fixed{v, digits}), format_text("%.*f", digits, v))
                << v << " with " << digits << " digits";
        }
    }
    std::mt19937_64 random(7);
    for (int i = 0; i < 20000; ++i) {
        double v = i % 2 ? std::bit_cast<double>(random())
                         : static_cast<double>(random() % 4000000) / 1024.0 - 2000.0;
        if (std::isnan(v))
            continue;
        const int digits = static_cast<int>(random() % 7);
        ASSERT_EQ(text_of(Fixed{v, digits}), format_text("%.*f", digits, v)) << v;
    }
    EXPECT_EQ(text_of("at ", 4294967295u, " = ", Fixed{-1.5}, " (", -7, ")"),
              format_text("at %u = %f (%d)", 4294967295u, -1.5, -7));
    EXPECT_EQ(text_of(std::string(300, 'x'), 1).size(), 255u);
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
