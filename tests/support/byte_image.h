#pragma once
// Byte images of records written by hand from their tables, so a layout test does not borrow
// its expectations from the codec it checks:
//     const Image id = hex("02 A1") + ascii("SEA-01", 21) + hex("5A 34 12 C3 2C 01");

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace quelmar::test {

struct Image {
    std::vector<std::uint8_t> bytes;

    friend Image operator+(Image a, const Image& b) {
        a.bytes.insert(a.bytes.end(), b.bytes.begin(), b.bytes.end());
        return a;
    }

    std::size_t size() const { return bytes.size(); }

    // The image as the fixed-size span a codec takes; a test with a mis-sized image fails
    // here instead of reading past it.
    template <std::size_t N>
    std::array<std::uint8_t, N> as() const {
        std::array<std::uint8_t, N> out{};
        EXPECT_EQ(bytes.size(), N) << "image of the wrong size";
        for (std::size_t i = 0; i < N && i < bytes.size(); ++i)
            out[i] = bytes[i];
        return out;
    }
};

// Two-digit hex bytes separated by white space or "|" (to mark fields).
inline Image hex(const std::string& text) {
    Image out;
    int high = -1;
    for (char c : text) {
        int v = -1;
        if (c >= '0' && c <= '9')
            v = c - '0';
        else if (c >= 'A' && c <= 'F')
            v = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            v = c - 'a' + 10;
        if (v < 0) {
            EXPECT_TRUE(high < 0 && (c == ' ' || c == '|' || c == '\n')) << "bad hex text";
            continue;
        }
        if (high < 0) {
            high = v;
        } else {
            out.bytes.push_back(static_cast<std::uint8_t>(high * 16 + v));
            high = -1;
        }
    }
    EXPECT_LT(high, 0) << "odd number of hex digits";
    return out;
}

// A text field of `field` bytes, zero-filled after the text.
inline Image ascii(const std::string& text, std::size_t field) {
    Image out;
    out.bytes.assign(field, 0);
    for (std::size_t i = 0; i < text.size() && i < field; ++i)
        out.bytes[i] = static_cast<std::uint8_t>(text[i]);
    return out;
}

inline Image zeros(std::size_t n) {
    return Image{std::vector<std::uint8_t>(n, 0)};
}

template <std::size_t N>
std::vector<std::uint8_t> bytes_of(const std::array<std::uint8_t, N>& a) {
    return {a.begin(), a.end()};
}

}  // namespace quelmar::test
