#include "common/record_fields.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/byte_image.h"

namespace quelmar::common {
namespace {

using test::ascii;
using test::bytes_of;
using test::hex;

struct Pair {
    std::uint8_t a = 0;
    std::int16_t b = 0;
};

template <class Io>
constexpr void fields(Io& io, Pair& p) {
    io.u8(p.a);
    io.i16(p.b);
}

// Every kind of field the archives know, including a text and a skipped gap.
struct Sample {
    std::uint8_t u8 = 0;
    std::uint16_t u16 = 0;
    std::uint32_t u32 = 0;
    std::int16_t i16 = 0;
    std::int32_t i32 = 0;
    float f32 = 0;
    std::array<std::uint16_t, 2> words{};
    std::string name;
    std::array<Pair, 2> pairs{};
    std::uint8_t last = 0;
};

template <class Io>
constexpr void fields(Io& io, Sample& s) {
    io.u8(s.u8);
    io.u16(s.u16);
    io.u32(s.u32);
    io.i16(s.i16);
    io.i32(s.i32);
    io.f32(s.f32);
    io.u16(s.words);
    io.text(s.name, 6);
    io.skip(2);
    io.group(s.pairs);
    io.u8(s.last);
}

static_assert(record_size<Pair>() == 3);
static_assert(record_size<Sample>() == 1 + 2 + 4 + 2 + 4 + 4 + 4 + 6 + 2 + 6 + 1);
static_assert(std::tuple_size_v<RecordBytes<Sample>> == 36);

const test::Image sample_image =
    hex("7F | 34 12 | 04 03 02 01 | FE FF | 00 FF FF FF | 00 00 C8 42") + hex("01 00 FF FF") +
    ascii("ABC", 6) + hex("00 00") + hex("05 F6 FF | 06 0A 00 | 99");

TEST(RecordFields, ReadsAndWritesEveryKindOfFieldLittleEndian) {
    const Sample s = decode_record<Sample>(sample_image.bytes);
    EXPECT_EQ(s.u8, 0x7F);
    EXPECT_EQ(s.u16, 0x1234);
    EXPECT_EQ(s.u32, 0x01020304u);
    EXPECT_EQ(s.i16, -2);
    EXPECT_EQ(s.i32, -256);
    EXPECT_EQ(s.f32, 100.0f);
    EXPECT_EQ(s.words[0], 1);
    EXPECT_EQ(s.words[1], 0xFFFF);
    EXPECT_EQ(s.name, "ABC");
    EXPECT_EQ(s.pairs[0].a, 5);
    EXPECT_EQ(s.pairs[0].b, -10);
    EXPECT_EQ(s.pairs[1].a, 6);
    EXPECT_EQ(s.pairs[1].b, 10);
    EXPECT_EQ(s.last, 0x99);

    EXPECT_EQ(bytes_of(encode_record(s)), sample_image.bytes);
}

TEST(RecordFields, TextFieldsStayInsideTheirBytes) {
    // Unterminated text reads as the whole field and no further: the next field is intact.
    test::Image full = sample_image;
    for (std::size_t i = 0; i < 6; ++i)
        full.bytes[21 + i] = 'x';
    const Sample s = decode_record<Sample>(full.bytes);
    EXPECT_EQ(s.name, "xxxxxx");
    EXPECT_EQ(s.pairs[0].a, 5);

    // Written text keeps its terminating NUL: at most five characters in six bytes.
    Sample long_name = s;
    long_name.name = "ABCDEFGH";
    const auto b = encode_record(long_name);
    EXPECT_EQ(std::string(b.begin() + 21, b.begin() + 27), std::string("ABCDE\0", 6));
    EXPECT_EQ(b[27], 0);  // the skipped gap is written as zeros
    EXPECT_EQ(b[28], 0);
    EXPECT_EQ(b[29], 5);
}

TEST(RecordFields, ShortInputReadsAsZerosAndNeverPastItsEnd) {
    // Only the first 8 bytes exist; the 4-byte field at offset 3 is cut after 4 of them.
    const std::vector<std::uint8_t> storage = {0x7F, 0x34, 0x12, 0x04, 0x03, 0xEE, 0xEE, 0xEE};
    const std::span<const std::uint8_t> part(storage.data(), 5);
    FieldReader reader(part);
    Sample s;
    s.last = 0x55;
    fields(reader, s);
    EXPECT_FALSE(reader.complete());
    EXPECT_EQ(s.u16, 0x1234);
    EXPECT_EQ(s.u32, 0x0304u);  // the bytes beyond the input count as zero, not 0xEE
    EXPECT_EQ(s.i32, 0);
    EXPECT_EQ(s.name, "");
    EXPECT_EQ(s.last, 0);

    FieldReader whole(sample_image.bytes);
    Sample t;
    fields(whole, t);
    EXPECT_TRUE(whole.complete());

    // The checked form refuses a short input and leaves the record as it was.
    Sample kept;
    kept.u8 = 42;
    EXPECT_FALSE(decode_record(std::span<const std::uint8_t>(sample_image.bytes).first(35), kept));
    EXPECT_EQ(kept.u8, 42);
    EXPECT_TRUE(decode_record(std::span<const std::uint8_t>(sample_image.bytes), kept));
    EXPECT_EQ(kept.u8, 0x7F);
}

TEST(RecordFields, WriterStopsAtTheEndOfItsSpan) {
    const Sample s = decode_record<Sample>(sample_image.bytes);
    std::array<std::uint8_t, 12> out{};
    out.fill(0xAB);
    FieldWriter writer(std::span<std::uint8_t>(out.data(), 10));
    Sample copy = s;
    fields(writer, copy);
    EXPECT_FALSE(writer.complete());
    EXPECT_EQ(
        std::vector<std::uint8_t>(out.begin(), out.begin() + 10),
        std::vector<std::uint8_t>(sample_image.bytes.begin(), sample_image.bytes.begin() + 10));
    EXPECT_EQ(out[10], 0xAB);
    EXPECT_EQ(out[11], 0xAB);
}

}  // namespace
}  // namespace quelmar::common
