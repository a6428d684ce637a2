// The RS232 and RS485 records against byte images written from their tables, and what the two
// dialogs' lists make of a sensor's record and write back.

#include <gtest/gtest.h>

#include "config/rs232_config.h"
#include "config/rs485_config.h"
#include "protocol/commands.h"
#include "tests/support/byte_image.h"
#include "tests/support/sensor_fixture.h"

namespace quelmar::config {
namespace {

using test::bytes_of;
using test::hex;
using test::Image;

TEST(CommsRecords, Rs232MatchesItsByteImage) {
    const Image image = hex("AA | 00 C2 01 00 | 01 | 07 | 02 | 0D 00 00 00 | 01");
    const auto r = common::decode_record<Rs232Config>(image.as<rs232_config_size>());
    EXPECT_EQ(r.byte0, 0xAA);
    EXPECT_EQ(r.baud_rate, 115200u);
    EXPECT_EQ(r.parity, parity::odd);
    EXPECT_EQ(r.data_bits, 7);
    EXPECT_EQ(r.stop_bits, 2);
    EXPECT_EQ(r.protocol, rs232_protocol::generic_streaming);
    EXPECT_EQ(r.mode, 1);
    EXPECT_EQ(bytes_of(common::encode_record(r)), image.bytes);
}

TEST(CommsRecords, Rs485MatchesItsByteImage) {
    const Image image = hex("00 | 00 4B 00 00 | 00 | 08 | 01 | 01 00 00 00 | 40 | 2C 01 00 00");
    const auto r = common::decode_record<Rs485Config>(image.as<rs485_config_size>());
    EXPECT_EQ(r.baud_rate, 19200u);
    EXPECT_EQ(r.parity, parity::even);
    EXPECT_EQ(r.data_bits, 8);
    EXPECT_EQ(r.stop_bits, 1);
    EXPECT_EQ(r.protocol, rs485_protocol::marinodeck_hub);
    EXPECT_EQ(r.slave_address, 64);
    EXPECT_EQ(r.poll_rate_s, 300u);
    EXPECT_EQ(bytes_of(common::encode_record(r)), image.bytes);
}

TEST(Rs232Settings, ProtocolsTheDialogDoesNotOfferOpenAsNoneAndAreWrittenAsNone) {
    Rs232Config slocum;
    slocum.byte0 = 0x55;
    slocum.baud_rate = 19200;
    slocum.parity = parity::mark;
    slocum.data_bits = 7;
    slocum.stop_bits = 2;
    slocum.protocol = rs232_protocol::slocum_glider;
    slocum.mode = 1;
    const Rs232Selection s = rs232_selection(slocum);
    EXPECT_EQ(rs232_platform_choices[s.platform].text, "None");
    EXPECT_EQ(rs232_baud_choices[s.baud].code, 19200u);
    EXPECT_EQ(parity_choices[s.parity].text, "Mark");

    const Rs232Config written = rs232_from_selection(s);
    EXPECT_EQ(written.protocol, 0u);
    EXPECT_EQ(written.mode, 0);   // the dialog always writes normal mode
    EXPECT_EQ(written.byte0, 0);  // and byte 0 as 0, whatever the sensor had there
    EXPECT_EQ(written.baud_rate, 19200u);
    EXPECT_EQ(written.parity, parity::mark);
    EXPECT_EQ(written.data_bits, 7);
    EXPECT_EQ(written.stop_bits, 2);
    EXPECT_EQ(rs232_protocol_name(rs232_protocol::slocum_glider), "Slocum Glider");
    EXPECT_EQ(rs232_protocol_name(3), "");
}

TEST(Rs232Settings, CodesOutsideTheListsShowTheFirstChoiceAndPresetsSetTheLine) {
    Rs232Config odd;
    odd.baud_rate = 300;
    odd.data_bits = 9;
    odd.stop_bits = 0;
    odd.parity = 7;
    Rs232Selection s = rs232_selection(odd);
    EXPECT_EQ(s.baud, 0u);  // 1200
    EXPECT_EQ(s.data_bits, 0u);
    EXPECT_EQ(s.stop_bits, 0u);
    EXPECT_EQ(s.parity, 0u);  // "None"
    // Out-of-range positions (a list with nothing selected) never index past the lists.
    s.baud = 99;
    s.platform = 99;
    EXPECT_EQ(rs232_from_selection(s).baud_rate, 1200u);

    s = rs232_selection(odd);
    s.platform = 1;  // Seaglider
    apply_rs232_platform_preset(s);
    const Rs232Config preset = rs232_from_selection(s);
    EXPECT_EQ(preset.baud_rate, 9600u);
    EXPECT_EQ(preset.data_bits, 8);
    EXPECT_EQ(preset.stop_bits, 1);
    EXPECT_EQ(preset.parity, parity::none);
    EXPECT_EQ(preset.protocol, rs232_protocol::seaglider);
}

TEST(Rs485Settings, PresetsPerPlatform) {
    Rs485Selection s;
    s.platform = 1;  // Marinodeck Hub
    apply_rs485_platform_preset(s);
    Rs485Config r = rs485_from_selection(s);
    EXPECT_EQ(r.baud_rate, 19200u);
    EXPECT_EQ(r.data_bits, 8);
    EXPECT_EQ(r.stop_bits, 1);
    EXPECT_EQ(r.parity, parity::even);
    EXPECT_EQ(r.slave_address, 64);
    EXPECT_EQ(r.poll_rate_s, 300u);
    EXPECT_EQ(r.protocol, rs485_protocol::marinodeck_hub);

    s.platform = 2;  // Storm Logger
    apply_rs485_platform_preset(s);
    r = rs485_from_selection(s);
    EXPECT_EQ(r.baud_rate, 9600u);
    EXPECT_EQ(r.parity, parity::none);
    EXPECT_EQ(r.slave_address, 0);
    EXPECT_EQ(r.poll_rate_s, 0u);
    EXPECT_EQ(r.protocol, rs485_protocol::storm_logger);
}

TEST(Rs485Settings, SlaveAddressKeepsItsLowByteAndIsOnlyWarnedAbout) {
    Rs485Selection s;
    s.platform = 1;
    s.slave_address = 300;
    s.poll_rate_s = 1ull << 40;
    const Rs485Config r = rs485_from_selection(s);
    EXPECT_EQ(r.slave_address, 44);
    EXPECT_EQ(r.poll_rate_s, 0xFFFFFFFFu);

    // The hub polls 64..71; elsewhere any address is fine.
    EXPECT_TRUE(rs485_slave_address_warning(1, 63));
    EXPECT_FALSE(rs485_slave_address_warning(1, 64));
    EXPECT_FALSE(rs485_slave_address_warning(1, 71));
    EXPECT_TRUE(rs485_slave_address_warning(1, 72));
    EXPECT_TRUE(rs485_slave_address_warning(1, 64 + 256));  // typed, not as stored
    EXPECT_FALSE(rs485_slave_address_warning(0, 72));
    EXPECT_FALSE(rs485_slave_address_warning(2, 200));
}

using CommsCommands = test_support::SensorFixture;

TEST_F(CommsCommands, FactorySettingsAreStoredAsWrittenAndReadBack) {
    Rs232Config rs232;
    ASSERT_EQ(read_rs232_config(sensor_link, rs232), protocol::status::ok);
    EXPECT_EQ(rs232.baud_rate, 9600u);
    EXPECT_EQ(rs232.data_bits, 8);
    EXPECT_EQ(rs232.parity, parity::none);

    rs232.protocol = rs232_protocol::generic_polled;
    rs232.baud_rate = 57600;
    ASSERT_EQ(write_rs232_config(sensor_link, rs232), protocol::status::ok);
    Rs232Config back;
    ASSERT_EQ(read_rs232_config(sensor_link, back), protocol::status::ok);
    EXPECT_EQ(back, rs232);
    const auto last = sensor.requests().back();
    EXPECT_EQ(last.command(), protocol::cmd::read_rs232_config);
    EXPECT_EQ(last.length(), 0);

    Rs485Config rs485;
    ASSERT_EQ(read_rs485_config(sensor_link, rs485), protocol::status::ok);
    rs485.slave_address = 66;
    ASSERT_EQ(write_rs485_config(sensor_link, rs485), protocol::status::ok);
    EXPECT_EQ(sensor.record(protocol::cmd::read_rs485_config),
              bytes_of(common::encode_record(rs485)));

    // A failed read leaves the caller's record as it was.
    sensor.force_status(protocol::cmd::read_rs485_config, 3);
    Rs485Config untouched;
    untouched.poll_rate_s = 77;
    EXPECT_EQ(read_rs485_config(sensor_link, untouched), 3);
    EXPECT_EQ(untouched.poll_rate_s, 77u);
}

}  // namespace
}  // namespace quelmar::config
