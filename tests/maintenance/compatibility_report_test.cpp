#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "maintenance/compatibility_report.h"
#include "maintenance/firmware_versions.h"

namespace quelmar::maintenance {
namespace {

using C = LineColour;

TEST(ParseFirmwareVersion, EachNamingFormInTurn) {
    struct Case {
        const char* text;
        std::int32_t value;
        std::int32_t marker;
    };
    const Case cases[] = {
        {"QUELMAR_1_3_3_T0", 1003003, 0},  // a test build with marker 0 is still a test build
        {"QUELMAR_2_8_3", 208003, -1},     // the older naming weighs the first number less
        {"QUELMAR_9_9_9", 909009, -1},     // ... so it orders below 1.0
        {"1.3.3_T2", 1003003, 2},
        {"1.3.4", 1003004, -1},
        {"1.3.3", 1003003, -1},
        {"1.2", 1002000, 1},  // 1.2 was only ever a test version
        {"1.1", 1001000, -1},
        {"0.1", 1000, -1},
        {" 1. 3", 1003000, -1},  // numbers skip leading white space, as a formatted scan does
        {"1.3.3_X", 1003003, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto v = parse_firmware_version(c.text);
        ASSERT_TRUE(v.has_value());
        EXPECT_EQ(v->value, c.value);
        EXPECT_EQ(v->marker, c.marker);
    }
    for (const char* text : {"", "1", "QUELMAR_1_3", "v1.3.3", "1-3", "QUELMAR__1_3_3", "."}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(parse_firmware_version(text).has_value());
    }
    // Absurd numbers neither crash nor overflow.
    EXPECT_TRUE(parse_firmware_version("99999999999999999999.9.9").has_value());
    EXPECT_TRUE(parse_firmware_version("-2147483648.-999.-9_T-1").has_value());
}

TEST(ReleaseTable, NewestFirstAndEveryRowParses) {
    ASSERT_EQ(firmware_releases.size(), 9u);
    EXPECT_STREQ(firmware_releases.front().version, latest_firmware_version);
    std::int32_t previous = INT32_MAX;
    for (const auto& r : firmware_releases) {
        const auto v = parse_firmware_version(r.version);
        ASSERT_TRUE(v.has_value()) << r.version;
        EXPECT_LT(v->value, previous) << r.version;
        previous = v->value;
    }
}

std::vector<std::string> texts_from(const std::vector<VerdictLine>& lines, std::size_t first = 4) {
    std::vector<std::string> out;
    for (std::size_t i = first; i < lines.size(); ++i) out.push_back(lines[i].text);
    return out;
}

TEST(CompatibilityVerdict, HeaderLinesNameTheThreeVersions) {
    const auto lines = compatibility_verdict("1.3.1");
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0].text, "Sensor's Firmware Version: 1.3.1");
    EXPECT_EQ(lines[1].text, "Latest Firmware Version supported by this GUI: 1.3.3");
    EXPECT_EQ(lines[2].text, "This GUI Version: 1.0p");
    EXPECT_EQ(lines[3].text, "");
}

TEST(CompatibilityVerdict, OlderReleaseGetsOnlyTheWarningsOfNewerReleases) {
    // 1.3.2 has no warning, so 1.3.1 gets exactly the 1.3.3 one.
    const auto lines = compatibility_verdict("1.3.1");
    EXPECT_EQ(texts_from(lines),
              (std::vector<std::string>{
                  "The firmware you are running is not the latest supported by this GUI.",
                  "Please observe any compatibility warnings listed here:", "",
                  "Do not use Nutrient Processed Data features without updating firmware", "",
                  "All other operations are safe."}));
    EXPECT_EQ(lines[7].colour, C::red);
    EXPECT_EQ(lines.back().colour, C::black);

}

TEST(CompatibilityVerdict, UnknownOldNamingListsEveryWarningAndHighlightsNoRelease) {
    const auto lines = compatibility_verdict("QUELMAR_2_8_3");
    std::vector<std::string> warnings;
    for (const auto& l : lines)
        if (l.colour == C::red) warnings.push_back(l.text);
    std::vector<std::string> all;
    for (const auto& r : firmware_releases)
        if (r.warning) all.push_back(r.warning);
    EXPECT_EQ(warnings, all);
    EXPECT_EQ(lines.back().text, "All other operations are safe.");
    for (const auto& row : release_list("QUELMAR_2_8_3")) EXPECT_EQ(row.colour, C::grey) << row.version;
}

TEST(CompatibilityVerdict, LatestTestNewerAndUnrecognised) {
    const auto latest = compatibility_verdict("1.3.3");
    EXPECT_EQ(texts_from(latest),
              (std::vector<std::string>{"The firmware you are running is the latest supported by this GUI.", "",
                                        "All operations are safe."}));
    EXPECT_EQ(latest.back().colour, C::green);

    for (const char* test_build : {"1.2", "1.3.3_T2", "QUELMAR_1_3_3_T0"}) {
        SCOPED_TRACE(test_build);
        const auto lines = compatibility_verdict(test_build);
        ASSERT_EQ(lines.size(), 6u);
        EXPECT_EQ(lines[4].text, "The firmware you are running is for testing only.");
        EXPECT_EQ(lines[5].text, "Please do not deploy this firmware.");
        EXPECT_EQ(lines[4].colour, C::red);
    }

    const auto newer = compatibility_verdict("1.3.4");
    EXPECT_EQ(texts_from(newer),
              (std::vector<std::string>{
                  "The firmware you are running is newer than than the latest known to this GUI so there "
                  "may be compatbility problems.",
                  "Please check your firmware's release notes or upgrade to the latest GUI.", "",
                  "Starting & stopping the sensor and downloading data files will be safe."}));
    EXPECT_EQ(newer[5].colour, C::red);
    EXPECT_EQ(newer.back().colour, C::black);

    const auto unknown = compatibility_verdict("garbage");
    EXPECT_EQ(texts_from(unknown), (std::vector<std::string>{"The firmware you are running is unrecognised.",
                                                             "Please do not deploy this firmware."}));
}

TEST(ReleaseList, OnlyTheSensorsReleaseIsBlack) {
    const auto rows = release_list("1.3.1");
    ASSERT_EQ(rows.size(), 9u);
    for (const auto& row : rows) EXPECT_EQ(row.colour, row.version == "1.3.1" ? C::black : C::grey) << row.version;
    EXPECT_EQ(rows[0].date, "19/10/2023");
    EXPECT_EQ(rows[4].changes, "Test version only, do not deploy");
    for (const auto& row : release_list("not a version")) EXPECT_EQ(row.colour, C::grey);
}

}  // namespace
}  // namespace quelmar::maintenance
