#include "config/platform_defaults.h"

#include <algorithm>

#include "common/text.h"
#include "config/typed_fields.h"
#include "protocol/commands.h"
#include "protocol/record_commands.h"

namespace quelmar::config {

protocol::SensorStatus read_platform_defaults(link::SensorLink& link, PlatformDefaults& config) {
    return protocol::read_record(link, protocol::cmd::read_platform_defaults, config);
}

protocol::SensorStatus write_platform_defaults(link::SensorLink& link,
                                               const PlatformDefaults& config) {
    return protocol::write_record(link, protocol::cmd::write_platform_defaults, config);
}

PlatformDefaultsText platform_defaults_text(const PlatformDefaults& c) {
    PlatformDefaultsText t;
    t.dive_number = common::format_text("%u", static_cast<unsigned>(c.dive_number));
    t.salinity = decimal_text(c.salinity_psu, 3);
    t.temperature = decimal_text(c.temperature_c, 3);
    t.oxygen = decimal_text(c.oxygen_ml_l, 3);
    t.depth = decimal_text(c.depth_m, 3);
    t.direction = choice_index(direction_choices, c.direction);
    t.time_offset = common::format_text("%d", static_cast<int>(c.time_offset_s));
    t.parameters = {common::format_text("%d", static_cast<int>(c.p1)),
                    common::format_text("%d", static_cast<int>(c.p2)),
                    common::format_text("%d", static_cast<int>(c.p3))};
    return t;
}

PlatformDefaults platform_defaults_from_text(const PlatformDefaultsText& t) {
    PlatformDefaults c;
    c.byte0 = 1;
    c.dive_number = static_cast<std::uint16_t>(typed_unsigned(t.dive_number) & 0xFFFF);
    c.salinity_psu = typed_decimal_box(t.salinity);
    c.temperature_c = typed_decimal_box(t.temperature);
    c.oxygen_ml_l = typed_decimal_box(t.oxygen);
    c.depth_m = typed_decimal_box(t.depth);
    c.direction = static_cast<std::uint8_t>(choice_code(direction_choices, t.direction));
    c.time_offset_s = typed_signed(t.time_offset);
    c.p1 = typed_signed(t.parameters[0]);
    c.p2 = typed_signed(t.parameters[1]);
    c.p3 = typed_signed(t.parameters[2]);
    return c;
}

}  // namespace quelmar::config
