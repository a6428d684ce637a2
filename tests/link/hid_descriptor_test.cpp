#include "link/hid_descriptor.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "link/sensor_report.h"

using namespace quelmar::link;

namespace {

// A vendor-defined 128-byte in/out report, as the sensor's firmware declares it.
std::vector<std::uint8_t> descriptor(bool with_report_id, std::uint8_t id = 1) {
    std::vector<std::uint8_t> d = {0x06, 0x00, 0xFF,  // usage page (vendor)
                                   0x09, 0x01,        // usage
                                   0xA1, 0x01};       // collection (application)
    if (with_report_id) d.insert(d.end(), {0x85, id});  // report id
    d.insert(d.end(), {0x15, 0x00, 0x26, 0xFF, 0x00,    // logical 0..255
                       0x75, 0x08, 0x95, 0x80,          // 8 bits x 128
                       0x09, 0x01, 0x81, 0x02,          // input
                       0x09, 0x01, 0x91, 0x02,          // output
                       0xC0});
    return d;
}

TEST(HidDescriptor, ReportIdDecidedFromTheDescriptor) {
    EXPECT_EQ(report_id_from_descriptor(descriptor(false)), 0);
    EXPECT_EQ(report_id_from_descriptor(descriptor(true, 1)), 1);
    EXPECT_EQ(report_id_from_descriptor(descriptor(true, 2)), 0);

    // Report id 1 declared only for a feature report after the input: no input report 1.
    std::vector<std::uint8_t> feature_only = descriptor(false);
    feature_only.insert(feature_only.end() - 1, {0x85, 0x01, 0x09, 0x01, 0xB1, 0x02});
    EXPECT_EQ(report_id_from_descriptor(feature_only), 0);

    // A long item is stepped over whole.
    std::vector<std::uint8_t> with_long = {0xFE, 0x02, 0x10, 0x85, 0x01};
    auto rest = descriptor(true, 1);
    with_long.insert(with_long.end(), rest.begin(), rest.end());
    EXPECT_EQ(report_id_from_descriptor(with_long), 1);
}

TEST(HidDescriptor, DamagedDescriptorKeepsThePreviousId) {
    EXPECT_FALSE(report_id_from_descriptor({}).has_value());
    auto d = descriptor(true, 1);
    d.push_back(0x27);  // a 4-byte item with no data
    EXPECT_FALSE(report_id_from_descriptor(d).has_value());
    const std::vector<std::uint8_t> long_cut = {0xFE, 0x09, 0x00, 0x01};
    EXPECT_FALSE(report_id_from_descriptor(long_cut).has_value());
}

TEST(HidDescriptor, ReadWithoutReportIdGetsItsZeroBack) {
    std::uint8_t buffer[report_size];
    std::iota(buffer, buffer + report_size, 1);  // 1, 2, ... as read from hidraw
    EXPECT_TRUE(normalise_input_report(buffer, 128, 0));
    EXPECT_EQ(buffer[0], 0);
    for (std::size_t i = 1; i < report_size; ++i) EXPECT_EQ(buffer[i], i) << i;

    // A numbered report already carries its id in front.
    std::iota(buffer, buffer + report_size, 0);
    buffer[0] = 1;
    EXPECT_TRUE(normalise_input_report(buffer, report_size, 1));
    EXPECT_EQ(buffer[0], 1);
    EXPECT_EQ(buffer[128], 128);

    // A short read is zero-filled, never left with stale bytes.
    std::fill(buffer, buffer + report_size, 0xEE);
    EXPECT_TRUE(normalise_input_report(buffer, 10, 0));
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(buffer[10], 0xEE);
    for (std::size_t i = 11; i < report_size; ++i) EXPECT_EQ(buffer[i], 0) << i;
}

TEST(HidDescriptor, ReadShortOfTheHeaderIsNoReport) {
    // The header is id, code (2), sequence, status and length: 6 bytes with the id put back.
    std::uint8_t buffer[report_size] = {};
    EXPECT_FALSE(normalise_input_report(buffer, 4, 0));
    EXPECT_TRUE(normalise_input_report(buffer, 5, 0));
    EXPECT_FALSE(normalise_input_report(buffer, 5, 1));
    EXPECT_TRUE(normalise_input_report(buffer, 6, 1));
    EXPECT_FALSE(normalise_input_report(buffer, 0, 1));
}

}  // namespace
