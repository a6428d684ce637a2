#pragma once
// One field list per record, serving every direction.
//
// Every record the sensor sends or takes, and every record of the program's own binary files,
// is a packed little-endian byte image. Its layout is written exactly once, as a function
// template that names the fields in wire order:
//
//     template <class Io> constexpr void fields(Io& io, Rs232Config& r) {
//         io.u8(r.reserved0); io.u32(r.baud_rate); io.u8(r.parity); io.u8(r.data_bits);
//         io.u8(r.stop_bits); io.u32(r.protocol); io.u8(r.mode);
//     }
//     static_assert(common::record_size<Rs232Config>() == 13);
//
// The same list then reads a record (FieldReader), writes it (FieldWriter) and counts its
// size at compile time (FieldCounter), so the decoder and the encoder cannot disagree about an
// offset. To add a record:
//   1. Declare a plain struct with one member per field, in wire order, with the member type
//      of the field's width (std::uint16_t for a uint16 and so on; a mismatch does not
//      compile). Bytes the program does not interpret become a std::array<std::uint8_t, N>
//      member so they travel unchanged; bytes that are always written as 0 and ignored on
//      reading may be io.skip(n) instead.
//   2. Write `fields(io, record)` beside the struct, in the same namespace (it is found by
//      argument-dependent lookup). Arrays of numbers go in one call (io.u16(r.channels));
//      a group that repeats is a struct with its own `fields` and goes in with io.group().
//   3. static_assert the size against the record's table, and pin the layout in a test with a
//      literal byte image written by hand from that table: decode it and check every field,
//      encode the record and compare with the image.
//   4. Use decode_record<T>(bytes) and encode_record(record); a named decode_x / encode_x
//      pair, if callers want one, is one line each.
// Records whose wire form is not their in-memory form (a conversion, as in the older state
// file) get a struct that mirrors the wire form field for field, plus plain functions that
// convert between it and the in-memory record; the layout still lives only in `fields`.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <type_traits>

namespace quelmar::common {

// Reads fields in order from a byte span. It never reads past the span: bytes beyond its end
// read as 0, as a reply shorter than its record leaves the rest of a zero-filled buffer, and
// complete() then tells the caller that the input was short. The unchecked form is only for
// decode_record, once it has seen that the span holds the whole record: it lets the compiler
// fold every offset into a plain load.
template <bool Checked>
class BasicFieldReader {
  public:
    constexpr explicit BasicFieldReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    constexpr void u8(std::uint8_t& v) { v = static_cast<std::uint8_t>(take<1>()); }
    constexpr void u16(std::uint16_t& v) { v = static_cast<std::uint16_t>(take<2>()); }
    constexpr void u32(std::uint32_t& v) { v = take<4>(); }
    constexpr void i16(std::int16_t& v) { v = static_cast<std::int16_t>(take<2>()); }
    constexpr void i32(std::int32_t& v) { v = static_cast<std::int32_t>(take<4>()); }
    constexpr void f32(float& v) { v = std::bit_cast<float>(take<4>()); }

    // Fixed byte arrays and arrays of numbers, element by element.
    template <std::size_t N>
    constexpr void u8(std::array<std::uint8_t, N>& a) {
        for (auto& x : a)
            u8(x);
    }
    template <std::size_t N>
    constexpr void u16(std::array<std::uint16_t, N>& a) {
        for (auto& x : a)
            u16(x);
    }
    template <std::size_t N>
    constexpr void u32(std::array<std::uint32_t, N>& a) {
        for (auto& x : a)
            u32(x);
    }
    template <std::size_t N>
    constexpr void i32(std::array<std::int32_t, N>& a) {
        for (auto& x : a)
            i32(x);
    }
    template <std::size_t N>
    constexpr void f32(std::array<float, N>& a) {
        for (auto& x : a)
            f32(x);
    }

    // A NUL-terminated text field of `size` bytes: the characters up to the first NUL, at
    // most `size` of them.
    void text(std::string& s, std::size_t size) {
        s.clear();
        for (std::size_t i = 0; i < size; ++i) {
            const char c = static_cast<char>(take<1>());
            if (c == 0) {
                skip(size - i - 1);
                return;
            }
            s.push_back(c);
        }
    }

    constexpr void skip(std::size_t n) {
        if (n > bytes_.size() - pos_)
            short_ = true;
        pos_ = n > bytes_.size() - pos_ ? bytes_.size() : pos_ + n;
    }

    template <class R>
    constexpr void group(R& r) {
        fields(*this, r);
    }
    template <class R, std::size_t N>
    constexpr void group(std::array<R, N>& a) {
        for (auto& r : a)
            fields(*this, r);
    }

    // Whether every field was found within the span.
    constexpr bool complete() const { return !short_; }

  private:
    // Widths are compile-time so that each field is written out as the plain little-endian
    // expression the compiler recognises as one load.
    template <std::size_t N>
    constexpr std::uint32_t take() {
        static_assert(N == 1 || N == 2 || N == 4);
        if (!Checked || N <= bytes_.size() - pos_) {
            const std::uint8_t* p = bytes_.data() + pos_;
            pos_ += N;
            if constexpr (N == 1) {
                return p[0];
            } else if constexpr (N == 2) {
                return static_cast<std::uint32_t>(p[0] | (p[1] << 8));
            } else {
                return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                       (static_cast<std::uint32_t>(p[2]) << 16) |
                       (static_cast<std::uint32_t>(p[3]) << 24);
            }
        }
        std::uint32_t v = 0;
        for (std::size_t i = 0; pos_ < bytes_.size(); ++i)
            v |= static_cast<std::uint32_t>(bytes_[pos_++]) << (8 * i);
        short_ = true;
        return v;
    }

    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
    bool short_ = false;
};

// Writes fields in order into a byte span; skipped bytes are written as 0. It never writes
// past the span: what does not fit is dropped and complete() turns false. The unchecked form
// is only for encode_record, whose buffer is the record's size by construction.
template <bool Checked>
class BasicFieldWriter {
  public:
    constexpr explicit BasicFieldWriter(std::span<std::uint8_t> bytes) : bytes_(bytes) {}

    constexpr void u8(const std::uint8_t& v) { put<1>(v); }
    constexpr void u16(const std::uint16_t& v) { put<2>(v); }
    constexpr void u32(const std::uint32_t& v) { put<4>(v); }
    constexpr void i16(const std::int16_t& v) { put<2>(static_cast<std::uint16_t>(v)); }
    constexpr void i32(const std::int32_t& v) { put<4>(static_cast<std::uint32_t>(v)); }
    constexpr void f32(const float& v) { put<4>(std::bit_cast<std::uint32_t>(v)); }

    template <std::size_t N>
    constexpr void u8(const std::array<std::uint8_t, N>& a) {
        for (auto x : a)
            u8(x);
    }
    template <std::size_t N>
    constexpr void u16(const std::array<std::uint16_t, N>& a) {
        for (auto x : a)
            u16(x);
    }
    template <std::size_t N>
    constexpr void u32(const std::array<std::uint32_t, N>& a) {
        for (auto x : a)
            u32(x);
    }
    template <std::size_t N>
    constexpr void i32(const std::array<std::int32_t, N>& a) {
        for (auto x : a)
            i32(x);
    }
    template <std::size_t N>
    constexpr void f32(const std::array<float, N>& a) {
        for (auto x : a)
            f32(x);
    }

    // At most size-1 characters and a NUL, the rest of the field zero-filled, so the sensor
    // always finds the text terminated.
    void text(const std::string& s, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i)
            put<1>(i + 1 < size && i < s.size() ? static_cast<std::uint8_t>(s[i]) : 0);
    }

    constexpr void skip(std::size_t n) {
        for (std::size_t i = 0; i < n; ++i)
            put<1>(0);
    }

    template <class R>
    constexpr void group(R& r) {
        fields(*this, r);
    }
    template <class R, std::size_t N>
    constexpr void group(std::array<R, N>& a) {
        for (auto& r : a)
            fields(*this, r);
    }

    constexpr bool complete() const { return !short_; }

  private:
    template <std::size_t N>
    constexpr void put(std::uint32_t v) {
        static_assert(N == 1 || N == 2 || N == 4);
        if (!Checked || N <= bytes_.size() - pos_) {
            std::uint8_t* p = bytes_.data() + pos_;
            pos_ += N;
            if (!std::is_constant_evaluated() && std::endian::native == std::endian::little) {
                // A plain store: byte-wise shifts make the compiler assemble whole records
                // in registers first.
                if constexpr (N == 2) {
                    const auto w = static_cast<std::uint16_t>(v);
                    std::memcpy(p, &w, 2);
                    return;
                } else if constexpr (N == 4) {
                    std::memcpy(p, &v, 4);
                    return;
                }
            }
            p[0] = static_cast<std::uint8_t>(v);
            if constexpr (N >= 2)
                p[1] = static_cast<std::uint8_t>(v >> 8);
            if constexpr (N == 4) {
                p[2] = static_cast<std::uint8_t>(v >> 16);
                p[3] = static_cast<std::uint8_t>(v >> 24);
            }
            return;
        }
        for (std::size_t i = 0; pos_ < bytes_.size(); ++i)
            bytes_[pos_++] = static_cast<std::uint8_t>(v >> (8 * i));
        short_ = true;
    }

    std::span<std::uint8_t> bytes_;
    std::size_t pos_ = 0;
    bool short_ = false;
};

using FieldReader = BasicFieldReader<true>;
using FieldWriter = BasicFieldWriter<true>;

// Counts the bytes a field list covers; usable in constant expressions.
class FieldCounter {
  public:
    template <class T>
    constexpr void u8(const T& v) {
        size_ += width(v, 1);
    }
    template <class T>
    constexpr void u16(const T& v) {
        size_ += width(v, 2);
    }
    template <class T>
    constexpr void u32(const T& v) {
        size_ += width(v, 4);
    }
    template <class T>
    constexpr void i16(const T& v) {
        size_ += width(v, 2);
    }
    template <class T>
    constexpr void i32(const T& v) {
        size_ += width(v, 4);
    }
    template <class T>
    constexpr void f32(const T& v) {
        size_ += width(v, 4);
    }
    template <class S>
    constexpr void text(const S&, std::size_t size) {
        size_ += size;
    }
    constexpr void skip(std::size_t n) { size_ += n; }
    template <class R>
    constexpr void group(R& r) {
        fields(*this, r);
    }
    template <class R, std::size_t N>
    constexpr void group(std::array<R, N>& a) {
        for (auto& r : a)
            fields(*this, r);
    }
    constexpr std::size_t size() const { return size_; }

  private:
    template <class T, std::size_t N>
    static constexpr std::size_t width(const std::array<T, N>&, std::size_t each) {
        return N * each;
    }
    template <class T>
    static constexpr std::size_t width(const T&, std::size_t each) {
        return each;
    }
    std::size_t size_ = 0;
};

// The size of a record's byte image, from its field list, at compile time.
template <class T>
consteval std::size_t record_size() {
    FieldCounter counter;
    T record{};
    fields(counter, record);
    return counter.size();
}

template <class T>
using RecordBytes = std::array<std::uint8_t, record_size<T>()>;

// Decodes a record; bytes missing from a short input read as 0.
// Both codecs inline the whole field list (flatten), so the archive's position stays a
// compile-time constant and every field becomes a load or store at a fixed offset, as fast as
// a codec written offset by offset.
template <class T>
[[gnu::flatten]] T decode_record(std::span<const std::uint8_t> bytes) {
    T record{};
    if (bytes.size() >= record_size<T>()) {
        BasicFieldReader<false> reader(bytes);
        fields(reader, record);
    } else {
        FieldReader reader(bytes);
        fields(reader, record);
    }
    return record;
}

// Decodes a record only when the input holds all of it; otherwise `record` is left unchanged
// and the result is false.
template <class T>
bool decode_record(std::span<const std::uint8_t> bytes, T& record) {
    if (bytes.size() < record_size<T>())
        return false;
    record = decode_record<T>(bytes);
    return true;
}

template <class T>
[[gnu::flatten]] RecordBytes<T> encode_record(const T& record) {
    RecordBytes<T> bytes{};
    T copy = record;  // the field list takes its record by reference in every direction
    BasicFieldWriter<false> writer(bytes);
    fields(writer, copy);
    return bytes;
}

}  // namespace quelmar::common
