// How the processing dialogs' texts and selections read back into parameters.

#include "processing/processing_form.h"

#include <gtest/gtest.h>

namespace quelmar::processing {
namespace {

TEST(ProcessingForm, NumbersReadAsUnsignedWithTheirClamps) {
    EXPECT_EQ(0u, read_unsigned(""));
    EXPECT_EQ(0u, read_unsigned("abc"));
    EXPECT_EQ(12u, read_unsigned(" 12x"));
    EXPECT_EQ(4294967295u, read_unsigned("99999999999999999999"));
    EXPECT_EQ(254, read_state("255"));
    EXPECT_EQ(254, read_state("100000"));
    EXPECT_EQ(7, read_state("7"));
    EXPECT_EQ(70000 & 0xFFFF, read_offset("70000"));
}

TEST(ProcessingForm, DecimalsAndConcentrations) {
    EXPECT_EQ(2500u, read_concentration("2.5"));
    EXPECT_EQ("2.500", concentration_text(2500));
    EXPECT_EQ(0u, read_concentration(""));
    EXPECT_EQ(0u, read_concentration("-3"));
    EXPECT_EQ(-0.01582f, read_real("-0.01582"));
    EXPECT_EQ(0.0f, read_real("x"));
    EXPECT_EQ("-0.01582", real_text(-0.01582f, "%.5f"));
    EXPECT_EQ("0.005", real_text(0.005f, "%g"));
    // The CRM value is shown rounded up by a thousandth so that 2030.5 stored as a float
    // does not show as 2030.49.
    EXPECT_EQ("2030.50", crm_value_text(2030.5f));
}

TEST(ProcessingForm, ChoicesShowTheirValueOrTheFirstEntry) {
    EXPECT_EQ(2, choice_index(output_choices(), 0));  // "Long"
    EXPECT_EQ(3, choice_index(output_choices(), 254));
    EXPECT_EQ(0, choice_index(output_choices(), 9));
    EXPECT_FALSE(has_choice(channel_choices(), 8));
    EXPECT_TRUE(has_choice(monitor_choices(), 255));
    EXPECT_EQ(0, choice_value(monitor_choices(), -1));
    EXPECT_EQ(255, choice_value(monitor_choices(), 0));
    EXPECT_EQ(6, choice_value(nutrient_type_choices(), 4));  // "Iron"
    EXPECT_STREQ("Sample (LED2)", ta_trigger_choices()[3].text);
}

TEST(ProcessingForm, TitlesAndInletRules) {
    EXPECT_EQ("Process Raw Nitrite Data", nutrient_dialog_title(5));
    EXPECT_EQ("Process Raw Nutrient Data", nutrient_dialog_title(0));
    const auto unused = dic_inlet_enabling(0), sample = dic_inlet_enabling(1),
               crm = dic_inlet_enabling(2);
    EXPECT_FALSE(unused.intake_state || unused.measurement_state || unused.crm_value);
    EXPECT_TRUE(sample.intake_state && sample.measurement_state && !sample.crm_value);
    EXPECT_TRUE(!crm.intake_state && crm.measurement_state && crm.crm_value);
}

}  // namespace
}  // namespace quelmar::processing
