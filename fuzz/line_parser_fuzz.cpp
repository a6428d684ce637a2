// Differential fuzzing of the fast data-line parser against the sscanf reading: the same
// count of converted fields and bit-identical values for every input, in both line forms.

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "processing/line_parser.h"

namespace {

using quelmar::processing::DataForm;
using quelmar::processing::RawRecord;

void check(std::string_view line, DataForm form) {
    RawRecord fast, ref;
    const int nf = quelmar::processing::parse_data_line(line, form, fast);
    const int nr = quelmar::processing::parse_data_line_scanf(line, form, ref);
    if (nf != nr)
        std::abort();
    auto same = [](double a, double b) {
        return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
    };
    bool ok = fast.counter == ref.counter && fast.state == ref.state &&
              fast.hall_inject == ref.hall_inject && fast.hall_withdraw == ref.hall_withdraw &&
              fast.sensor_time == ref.sensor_time && fast.platform_time == ref.platform_time &&
              same(fast.temperature, ref.temperature) && same(fast.voltage, ref.voltage) &&
              same(fast.platform_salinity, ref.platform_salinity) &&
              same(fast.platform_temperature, ref.platform_temperature) &&
              same(fast.platform_do, ref.platform_do) &&
              same(fast.platform_depth, ref.platform_depth);
    for (int i = 0; i < 8; ++i)
        ok = ok && same(fast.channels[i], ref.channels[i]);
    if (!ok)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    check(line, DataForm::fields20);
    check(line, DataForm::fields15);
    return 0;
}
