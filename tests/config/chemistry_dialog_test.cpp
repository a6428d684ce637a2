// "Configure Chemistry" driven through its widgets against the virtual sensor: opening on the
// sensor's page, editing, Save with the read-back, and the messages the user sees.

#include "config/chemistry_dialog.h"

#include <gtest/gtest.h>

#include <limits>

#include "common/bytes.h"
#include "config/chemistry_generic_page.h"
#include "config/chemistry_nutrient_page.h"
#include "config/chemistry_ph_page.h"
#include "protocol/commands.h"
#include "tests/support/sensor_fixture.h"
#include "ui/prompts.h"

namespace quelmar::config {
namespace {

namespace cmd = protocol::cmd;
namespace chem = protocol::chemistry;

const QString warning_text = "Changing settings in this\nmenu can cause the\nsensor to malfunction";

struct ChemistryDialogTest : test_support::SensorFixture {
    ui::ScriptedPrompts prompts;
    ChemistryBuffers buffers;

    void set_chemistry(std::uint8_t type) {
        ChemistryConfig c;
        c.chemistry = type;
        c.sample_interval_ms = 500;
        c.special_states = {4, 5, 6};
        const auto b = protocol::encode_chemistry_config(c);
        sensor.set_record(cmd::read_chemistry_config, {b.begin(), b.end()});
    }
    ChemistryConfig sensor_config() const {
        const auto b = sensor.record(cmd::read_chemistry_config);
        return protocol::decode_chemistry_config(
            std::span<const std::uint8_t, protocol::chemistry_config_size>(b.data(), b.size()));
    }
    NutrientParameters sensor_nutrient() const {
        const auto b = sensor.parameter_record(nutrient_parameters_size);
        return decode_nutrient_parameters(
            std::span<const std::uint8_t, nutrient_parameters_size>(b.data(), b.size()));
    }
};

TEST_F(ChemistryDialogTest, NitrateEditSaveAndReadBack) {
    ChemistryDialog dialog(sensor_link, buffers, nullptr);
    ASSERT_TRUE(dialog.opened());
    ASSERT_FALSE(prompts.shown.empty());
    EXPECT_EQ(prompts.shown[0].title, "Warning");
    EXPECT_EQ(prompts.shown[0].text, warning_text);
    EXPECT_EQ(prompts.messages().size(), 1u);
    ASSERT_EQ(dialog.tabs()->count(), 1);
    EXPECT_EQ(dialog.tabs()->tabText(0), "Nitrate");

    auto* page = qobject_cast<NutrientChemistryPage*>(dialog.page_widget());
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->configure_box()->text(), "Configure Sensor For Nitrate");
    EXPECT_TRUE(page->configure_box()->isChecked());
    EXPECT_EQ(page->dilution_edit()->text(), "1:1.500");
    EXPECT_EQ(page->concentration_edit(0)->text(), "5.000");

    page->concentration_edit(0)->setText("1.2345");
    page->monitor_list(1)->setCurrentIndex(choice_index(monitor_choices, 3));  // Medium path
    page->standard_state_edit(1)->setText("255");
    dialog.save_button()->click();

    EXPECT_EQ(prompts.last_message().title, "Save");
    EXPECT_EQ(prompts.last_message().text, "Nitrate Processing configuration saved");
    const auto stored = sensor_nutrient();
    EXPECT_EQ(stored.standard1_concentration, 1234u);
    EXPECT_EQ(stored.standard2_measurement_state, 254);
    EXPECT_EQ(stored.legacy_has_monitoring, 1);
    EXPECT_EQ(stored.legacy_monitoring_channel, 3);
    // The page shows what the sensor now holds.
    EXPECT_EQ(page->concentration_edit(0)->text(), "1.234");
    EXPECT_EQ(page->standard_state_edit(1)->text(), "254");
    EXPECT_EQ(sensor_config().chemistry, chem::nitrate);
}

TEST_F(ChemistryDialogTest, TaSensorOpensOnGenericAndSavingMakesItGeneric) {
    set_chemistry(chem::ta);
    ChemistryDialog dialog(sensor_link, buffers, nullptr);
    ASSERT_TRUE(dialog.opened());
    ASSERT_EQ(prompts.messages().size(), 2u);
    EXPECT_EQ(prompts.messages()[1].title, "Configure Chemistry");
    EXPECT_EQ(prompts.messages()[1].text,
              "Failed to load chemistry config: please see View/Compatibility");
    EXPECT_EQ(dialog.tabs()->tabText(0), "Generic");
    auto* page = qobject_cast<GenericChemistryPage*>(dialog.page_widget());
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->configure_box()->isChecked());
    EXPECT_EQ(page->interval_edit()->text(), "1000");
    EXPECT_EQ(page->scale_edit(7)->text(), "1.00000");

    page->interval_edit()->setText("");
    page->offset_edit(2)->setText("nan");
    page->scale_edit(2)->setText("2.5");
    page->scale_edit(0)->setText("1e39");  // beyond float range: held at the largest float
    dialog.save_button()->click();
    EXPECT_EQ(prompts.last_message().text, "Generic Processing configuration saved");
    const auto config = sensor_config();
    EXPECT_EQ(config.chemistry, chem::generic);
    EXPECT_EQ(config.sample_interval_ms, 100u);
    EXPECT_EQ(config.special_states[0], 255);  // the defaults replaced the TA configuration
    const auto generic = sensor.parameter_record(generic_parameters_size);
    EXPECT_EQ(common::get_u32le(generic.data() + 3 + 8), 0u);            // offset 2: no NaN
    EXPECT_EQ(common::get_u32le(generic.data() + 35 + 8), 0x40200000u);  // scale 2: 2.5
    EXPECT_EQ(page->interval_edit()->text(), "100");
    // The largest float comes back whole, so saving again keeps it.
    EXPECT_EQ(typed_decimal(page->scale_edit(0)->text().toStdString()),
              std::numeric_limits<float>::max());
}

TEST_F(ChemistryDialogTest, LoadFailureClosesAndSaveFailureKeepsTheEntries) {
    sensor.force_status(cmd::read_chemistry_config, 1);
    {
        ChemistryDialog dialog(sensor_link, buffers, nullptr);
        EXPECT_FALSE(dialog.opened());
        EXPECT_EQ(prompts.last_message().title, "Configure Chemistry");
        EXPECT_EQ(prompts.last_message().text, "Failed to load chemistry config");
    }
    sensor.clear_forced_status(cmd::read_chemistry_config);

    set_chemistry(chem::ph);
    ChemistryDialog dialog(sensor_link, buffers, nullptr);
    ASSERT_TRUE(dialog.opened());
    auto* page = qobject_cast<PhChemistryPage*>(dialog.page_widget());
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->interval_edit()->text(), "500");
    EXPECT_EQ(page->decimal_edit(2)->text(), "-0.01582");
    page->blank_start_edit()->setText("65");
    sensor.force_status(cmd::write_processing_parameters, 5);
    dialog.save_button()->click();
    EXPECT_EQ(prompts.last_message().title, "Save");
    EXPECT_EQ(prompts.last_message().text, "Failed to save settings");
    EXPECT_EQ(page->blank_start_edit()->text(), "65");
}

TEST_F(ChemistryDialogTest, EnablingFollowsTheCheckboxAndTheStandardsLists) {
    ChemistryDialog dialog(sensor_link, buffers, nullptr);
    ASSERT_TRUE(dialog.opened());
    auto* page = qobject_cast<NutrientChemistryPage*>(dialog.page_widget());
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(dialog.save_button()->isEnabled());

    page->configure_box()->click();  // unchecked: nothing but the checkbox itself
    EXPECT_FALSE(dialog.save_button()->isEnabled());
    EXPECT_FALSE(page->output_list()->isEnabled());
    EXPECT_FALSE(page->concentration_edit(0)->isEnabled());
    EXPECT_TRUE(page->configure_box()->isEnabled());
    page->configure_box()->click();
    EXPECT_TRUE(dialog.save_button()->isEnabled());

    page->adjustment_list()->setCurrentIndex(choice_index(adjustment_choices, 0));  // Standard 1
    page->trigger_list()->setCurrentIndex(choice_index(trigger_choices, 2));        // Sample
    EXPECT_TRUE(page->concentration_edit(0)->isEnabled());
    EXPECT_FALSE(page->concentration_edit(1)->isEnabled());
    EXPECT_FALSE(page->standard_state_edit(1)->isEnabled());
    page->trigger_list()->setCurrentIndex(choice_index(trigger_choices, 1));  // Standard 2
    EXPECT_TRUE(page->standard_state_edit(1)->isEnabled());
    EXPECT_FALSE(page->concentration_edit(1)->isEnabled());

    EXPECT_TRUE(page->optical_correction_box()->isChecked());
    page->optical_correction_box()->click();
    EXPECT_FALSE(page->oc_sample_edit()->isEnabled());
    EXPECT_FALSE(page->dilution_edit()->isEnabled());
}

}  // namespace
}  // namespace quelmar::config
