#include "processing/header_scan.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <span>
#include <vector>

#include "common/decimal.h"
#include "common/text.h"
#include "processing/c_locale.h"

namespace quelmar::processing {

double thermistor_temperature(const ThermistorCalibration& cal, const RawRecord& r) {
    const double v = channel_value(r, cal.channel);
    return cal.a * v * v * v + cal.b * v * v + cal.c * v + cal.d;
}

NutrientSettings nutrient_scan_defaults() {
    NutrientSettings s;
    s.params = config::NutrientParameters{};
    s.params.long_measurement_channel = 0;
    s.params.medium_measurement_channel = 0;
    s.params.short_measurement_channel = 0;
    return s;
}

PhSettings ph_scan_defaults() {
    PhSettings s;
    s.params = config::PhParameters{};
    s.params.yellow_channel = 0;
    s.params.blank_start_offset = 0;
    s.params.blank_end_offset = 0;
    s.params.absorbance_min_blue = 0;
    s.params.absorbance_max_yellow = 0;
    s.params.dph_dt = 0;
    s.params.r_scale = 0;
    s.params.r_offset = 0;
    s.params.thermistor1_scale = 0.5f;
    s.params.thermistor2_scale = 0.5f;
    return s;
}

TaSettings ta_scan_defaults() {
    return TaSettings{};
}
DicSettings dic_scan_defaults() {
    return DicSettings{};
}

std::uint32_t concentration_thousandths(std::string_view text) {
    if (const auto exact = common::decimal_thousandths(text))
        return static_cast<std::uint32_t>(std::clamp<std::int64_t>(*exact, 0, UINT32_MAX));
    const std::string s(text);
    return concentration_thousandths(strtod_l(s.c_str(), nullptr, c_locale()));
}

std::uint32_t concentration_thousandths(double micromolar) {
    const double v = micromolar * 1000.0;
    if (!(v > 0))
        return 0;
    if (v >= 4294967295.0)
        return 4294967295u;
    return static_cast<std::uint32_t>(v);
}

namespace {

// A key pattern with its conversions: 'u' one unsigned, 'r' one real, 'U' inlet number and
// unsigned, 'R' inlet number and real.
template <class S>
struct Key {
    const char* pattern;
    char kind;
    void (*on_unsigned)(S&, unsigned inlet, unsigned value);
    void (*on_real)(S&, unsigned inlet, double value);
    // For 't': the value's text, for a conversion that must not pass through binary.
    void (*on_text)(S&, std::string_view value) = nullptr;
};

template <class S>
Key<S> u(const char* pattern, void (*f)(S&, unsigned, unsigned)) {
    return {pattern, 'u', f, nullptr};
}
template <class S>
Key<S> r(const char* pattern, void (*f)(S&, unsigned, double)) {
    return {pattern, 'r', nullptr, f};
}
// A real read from its text: the key matches as a real would, the value is the text after '='.
template <class S>
Key<S> t(const char* pattern, void (*f)(S&, std::string_view)) {
    return {pattern, 't', nullptr, nullptr, f};
}

std::uint8_t low8(unsigned v) {
    return static_cast<std::uint8_t>(v);
}

bool may_be_key(std::string_view line) {
    // The scan patterns begin with "%%", which skips leading white space.
    std::size_t i = 0;
    while (i < line.size() && (line[i] == ' ' || (line[i] >= '\t' && line[i] <= '\r')))
        ++i;
    return i < line.size() && line[i] == '%';
}

template <class S>
bool apply_key(std::string_view line, S& s, std::span<const Key<S>> keys) {
    if (!may_be_key(line))
        return false;
    thread_local std::string text;
    text.assign(line.data(), line.size());
    CLocaleScope scope;
    for (const Key<S>& k : keys) {
        unsigned a = 0, b = 0;
        double d = 0;
        switch (k.kind) {
            case 'u':
                if (std::sscanf(text.c_str(), k.pattern, &a) == 1) {
                    k.on_unsigned(s, 0, a);
                    return true;
                }
                break;
            case 'r':
                if (std::sscanf(text.c_str(), k.pattern, &d) == 1) {
                    k.on_real(s, 0, d);
                    return true;
                }
                break;
            case 'U':
                if (std::sscanf(text.c_str(), k.pattern, &a, &b) == 2) {
                    k.on_unsigned(s, a, b);
                    return true;
                }
                break;
            case 't':
                if (std::sscanf(text.c_str(), k.pattern, &d) == 1) {
                    const std::size_t eq = text.find('=');
                    k.on_text(s, std::string_view(text).substr(eq + 1));
                    return true;
                }
                break;
            case 'R':
                if (std::sscanf(text.c_str(), k.pattern, &a, &d) == 2) {
                    k.on_real(s, a, d);
                    return true;
                }
                break;
        }
    }
    return false;
}

template <class S>
void add_thermistor_keys(std::vector<Key<S>>& keys, int count) {
    keys.push_back(u<S>("%%QUELMAR.CHEMISTRY.THERMISTOR_INPUT_CHANNEL.0=%u",
                        [](S& s, unsigned, unsigned v) { s.thermistors[0].channel = low8(v); }));
    keys.push_back(r<S>("%%QUELMAR.CHEMISTRY.THERMISTOR_CAL_A.0=%lf",
                        [](S& s, unsigned, double v) { s.thermistors[0].a = float(v); }));
    keys.push_back(r<S>("%%QUELMAR.CHEMISTRY.THERMISTOR_CAL_B.0=%lf",
                        [](S& s, unsigned, double v) { s.thermistors[0].b = float(v); }));
    keys.push_back(r<S>("%%QUELMAR.CHEMISTRY.THERMISTOR_CAL_C.0=%lf",
                        [](S& s, unsigned, double v) { s.thermistors[0].c = float(v); }));
    keys.push_back(r<S>("%%QUELMAR.CHEMISTRY.THERMISTOR_CAL_D.0=%lf",
                        [](S& s, unsigned, double v) { s.thermistors[0].d = float(v); }));
    if (count < 2)
        return;
    keys.push_back(u<S>("%%QUELMAR.CHEMISTRY.THERMISTOR_INPUT_CHANNEL.1=%u",
                        [](S& s, unsigned, unsigned v) { s.thermistors[1].channel = low8(v); }));
    keys.push_back(r<S>("%%QUELMAR.CHEMISTRY.THERMISTOR_CAL_A.1=%lf",
                        [](S& s, unsigned, double v) { s.thermistors[1].a = float(v); }));
    keys.push_back(r<S>("%%QUELMAR.CHEMISTRY.THERMISTOR_CAL_B.1=%lf",
                        [](S& s, unsigned, double v) { s.thermistors[1].b = float(v); }));
    keys.push_back(r<S>("%%QUELMAR.CHEMISTRY.THERMISTOR_CAL_C.1=%lf",
                        [](S& s, unsigned, double v) { s.thermistors[1].c = float(v); }));
    keys.push_back(r<S>("%%QUELMAR.CHEMISTRY.THERMISTOR_CAL_D.1=%lf",
                        [](S& s, unsigned, double v) { s.thermistors[1].d = float(v); }));
}

template <class S>
void add_common_keys(std::vector<Key<S>>& keys) {
    keys.push_back(u<S>("%%QUELMAR.CHEMISTRY.TYPE=%u",
                        [](S& s, unsigned, unsigned v) { s.chemistry = low8(v); }));
    keys.push_back(u<S>("%%QUELMAR.CHEMISTRY.SENSOR_VERSION=%u",
                        [](S& s, unsigned, unsigned v) { s.params.sensor_version = low8(v); }));
}

using N = NutrientSettings;
std::vector<Key<N>> nutrient_keys(bool multi) {
    std::vector<Key<N>> k;
    add_common_keys(k);
    k.push_back(
        u<N>("%%QUELMAR.CHEMISTRY.MEASUREMENT_CHANNEL_MEDIUM=%u",
             [](N& s, unsigned, unsigned v) { s.params.medium_measurement_channel = low8(v); }));
    k.push_back(
        u<N>("%%QUELMAR.CHEMISTRY.MEASUREMENT_CHANNEL_SHORT=%u",
             [](N& s, unsigned, unsigned v) { s.params.short_measurement_channel = low8(v); }));
    k.push_back(
        u<N>("%%QUELMAR.CHEMISTRY.MEASUREMENT_CHANNEL_LONG=%u",
             [](N& s, unsigned, unsigned v) { s.params.long_measurement_channel = low8(v); }));
    k.push_back(
        u<N>("%%QUELMAR.CHEMISTRY.MONITORING_CHANNEL_MEDIUM=%u",
             [](N& s, unsigned, unsigned v) { s.params.medium_monitoring_channel = low8(v); }));
    k.push_back(
        u<N>("%%QUELMAR.CHEMISTRY.MONITORING_CHANNEL_SHORT=%u",
             [](N& s, unsigned, unsigned v) { s.params.short_monitoring_channel = low8(v); }));
    k.push_back(
        u<N>("%%QUELMAR.CHEMISTRY.MONITORING_CHANNEL_LONG=%u",
             [](N& s, unsigned, unsigned v) { s.params.long_monitoring_channel = low8(v); }));
    k.push_back(u<N>("%%QUELMAR.CHEMISTRY.OUTPUT_CHANNEL_SELECTION=%u",
                     [](N& s, unsigned, unsigned v) { s.params.output_channel = low8(v); }));
    k.push_back(u<N>("%%QUELMAR.CHEMISTRY.SAMPLE_INTAKE_STATE=%u",
                     [](N& s, unsigned, unsigned v) { s.params.sample_intake_state = low8(v); }));
    k.push_back(
        u<N>("%%QUELMAR.CHEMISTRY.SAMPLE_MEASUREMENT_STATE=%u",
             [](N& s, unsigned, unsigned v) { s.params.sample_measurement_state = low8(v); }));
    k.push_back(
        u<N>("%%QUELMAR.CHEMISTRY.BLANK_MEASUREMENT_STATE=%u",
             [](N& s, unsigned, unsigned v) { s.params.blank_measurement_state = low8(v); }));
    k.push_back(
        u<N>("%%QUELMAR.CHEMISTRY.STANDARD1_MEASUREMENT_STATE=%u",
             [](N& s, unsigned, unsigned v) { s.params.standard1_measurement_state = low8(v); }));
    k.push_back(
        u<N>("%%QUELMAR.CHEMISTRY.STANDARD2_MEASUREMENT_STATE=%u",
             [](N& s, unsigned, unsigned v) { s.params.standard2_measurement_state = low8(v); }));
    k.push_back(
        t<N>("%%QUELMAR.CHEMISTRY.STANDARD1_CONCENTRATION=%lf", [](N& s, std::string_view v) {
            s.params.standard1_concentration = concentration_thousandths(v);
        }));
    k.push_back(
        t<N>("%%QUELMAR.CHEMISTRY.STANDARD2_CONCENTRATION=%lf", [](N& s, std::string_view v) {
            s.params.standard2_concentration = concentration_thousandths(v);
        }));
    k.push_back(u<N>("%%QUELMAR.CHEMISTRY.STANDARD_ADJUSTMENT=%u",
                     [](N& s, unsigned, unsigned v) { s.params.standard_adjustment = low8(v); }));
    k.push_back(u<N>("%%QUELMAR.CHEMISTRY.PROCESSING_TRIGGER=%u",
                     [](N& s, unsigned, unsigned v) { s.params.processing_trigger = low8(v); }));
    k.push_back(u<N>("%%QUELMAR.CHEMISTRY.ENABLE_OPTICAL_CORRECTION=%u",
                     [](N& s, unsigned, unsigned v) { s.params.optical_correction = low8(v); }));
    k.push_back(u<N>("%%QUELMAR.CHEMISTRY.OC_SAMPLE_MEASUREMENT_STATE=%u",
                     [](N& s, unsigned, unsigned v) { s.params.oc_sample_state = low8(v); }));
    k.push_back(u<N>("%%QUELMAR.CHEMISTRY.OC_BLANK_MEASUREMENT_STATE=%u",
                     [](N& s, unsigned, unsigned v) { s.params.oc_blank_state = low8(v); }));
    if (multi) {
        k.push_back(u<N>("%%QUELMAR.CHEMISTRY.INPUT_CHANNEL=%u", [](N& s, unsigned, unsigned v) {
            s.has_input_channel = true;
            s.input_channel = v;
        }));
        k.push_back(u<N>("%%QUELMAR.CHEMISTRY.ENABLE_DRIFT_CORRECTION_STATE=%u",
                         [](N& s, unsigned, unsigned v) { s.drift_correction = v; }));
        k.push_back(u<N>("%%QUELMAR.CHEMISTRY.DRIFT_MONITORING_CHANNEL=%u",
                         [](N& s, unsigned, unsigned v) { s.drift_monitoring_channel = low8(v); }));
    }
    return k;
}

using P = PhSettings;
std::vector<Key<P>> ph_keys() {
    std::vector<Key<P>> k;
    add_common_keys(k);
    k.push_back(u<P>("%%QUELMAR.CHEMISTRY.SAMPLE_INTAKE_STATE=%u",
                     [](P& s, unsigned, unsigned v) { s.params.sample_intake_state = low8(v); }));
    k.push_back(
        u<P>("%%QUELMAR.CHEMISTRY.SAMPLE_MEASUREMENT_STATE=%u",
             [](P& s, unsigned, unsigned v) { s.params.sample_measurement_state = low8(v); }));
    k.push_back(u<P>("%%QUELMAR.CHEMISTRY.SAMPLE_INTERVAL=%u",
                     [](P& s, unsigned, unsigned v) { s.sample_interval_ms = v; }));
    k.push_back(u<P>("%%QUELMAR.CHEMISTRY.INPUT_CHANNEL_434=%u",
                     [](P& s, unsigned, unsigned v) { s.params.blue_channel = low8(v); }));
    k.push_back(u<P>("%%QUELMAR.CHEMISTRY.INPUT_CHANNEL_578=%u",
                     [](P& s, unsigned, unsigned v) { s.params.yellow_channel = low8(v); }));
    k.push_back(u<P>("%%QUELMAR.CHEMISTRY.BLANK_START_OFFSET=%u", [](P& s, unsigned, unsigned v) {
        s.params.blank_start_offset = static_cast<std::uint16_t>(v);
    }));
    k.push_back(u<P>("%%QUELMAR.CHEMISTRY.BLANK_END_OFFSET=%u", [](P& s, unsigned, unsigned v) {
        s.params.blank_end_offset = static_cast<std::uint16_t>(v);
    }));
    k.push_back(r<P>("%%QUELMAR.CHEMISTRY.ABSORBANCE_MIN_434=%lf",
                     [](P& s, unsigned, double v) { s.params.absorbance_min_blue = float(v); }));
    k.push_back(r<P>("%%QUELMAR.CHEMISTRY.ABSORBANCE_MAX_578=%lf",
                     [](P& s, unsigned, double v) { s.params.absorbance_max_yellow = float(v); }));
    k.push_back(r<P>("%%QUELMAR.CHEMISTRY.DPH_BY_DT=%lf",
                     [](P& s, unsigned, double v) { s.params.dph_dt = float(v); }));
    k.push_back(r<P>("%%QUELMAR.CHEMISTRY.R_ADJUSTMENT_SCALE=%lf",
                     [](P& s, unsigned, double v) { s.params.r_scale = float(v); }));
    k.push_back(r<P>("%%QUELMAR.CHEMISTRY.R_ADJUSTMENT_OFFSET=%lf",
                     [](P& s, unsigned, double v) { s.params.r_offset = float(v); }));
    k.push_back(r<P>("%%QUELMAR.CHEMISTRY.T1_ADJUSTMENT_SCALE=%lf",
                     [](P& s, unsigned, double v) { s.params.thermistor1_scale = float(v); }));
    k.push_back(r<P>("%%QUELMAR.CHEMISTRY.T2_ADJUSTMENT_SCALE=%lf",
                     [](P& s, unsigned, double v) { s.params.thermistor2_scale = float(v); }));
    add_thermistor_keys(k, 2);
    return k;
}

using T = TaSettings;
std::vector<Key<T>> ta_keys() {
    std::vector<Key<T>> k;
    add_common_keys(k);
    k.push_back(u<T>("%%QUELMAR.CHEMISTRY.SAMPLE_INTAKE_STATE=%u",
                     [](T& s, unsigned, unsigned v) { s.params.sample_intake_state = low8(v); }));
    k.push_back(u<T>("%%QUELMAR.CHEMISTRY.PROCESSING_TRIGGER=%u",
                     [](T& s, unsigned, unsigned v) { s.params.processing_trigger = low8(v); }));
    k.push_back(u<T>("%%QUELMAR.CHEMISTRY.MEASUREMENT_CHANNEL=%u",
                     [](T& s, unsigned, unsigned v) { s.params.measurement_channel = low8(v); }));
    k.push_back(
        u<T>("%%QUELMAR.CHEMISTRY.MONITORING_CHANNEL_LED1=%u",
             [](T& s, unsigned, unsigned v) { s.params.monitoring_channel_led1 = low8(v); }));
    k.push_back(
        u<T>("%%QUELMAR.CHEMISTRY.MONITORING_CHANNEL_LED2=%u",
             [](T& s, unsigned, unsigned v) { s.params.monitoring_channel_led2 = low8(v); }));
    k.push_back(u<T>("%%QUELMAR.CHEMISTRY.BLANK_MEASUREMENT_STATE_LED1=%u",
                     [](T& s, unsigned, unsigned v) { s.params.blank_state_led1 = low8(v); }));
    k.push_back(u<T>("%%QUELMAR.CHEMISTRY.BLANK_MEASUREMENT_STATE_LED2=%u",
                     [](T& s, unsigned, unsigned v) { s.params.blank_state_led2 = low8(v); }));
    k.push_back(u<T>("%%QUELMAR.CHEMISTRY.SAMPLE_MEASUREMENT_STATE_LED1=%u",
                     [](T& s, unsigned, unsigned v) { s.params.sample_state_led1 = low8(v); }));
    k.push_back(u<T>("%%QUELMAR.CHEMISTRY.SAMPLE_MEASUREMENT_STATE_LED2=%u",
                     [](T& s, unsigned, unsigned v) { s.params.sample_state_led2 = low8(v); }));
    k.push_back(r<T>("%%QUELMAR.CHEMISTRY.CT=%lf",
                     [](T& s, unsigned, double v) { s.params.ct = float(v); }));
    k.push_back(r<T>("%%QUELMAR.CHEMISTRY.ACID_MOLARITY=%lf",
                     [](T& s, unsigned, double v) { s.params.acid_molarity = float(v); }));
    k.push_back(r<T>("%%QUELMAR.CHEMISTRY.pKa=%lf",
                     [](T& s, unsigned, double v) { s.params.pka = float(v); }));
    k.push_back(r<T>("%%QUELMAR.CHEMISTRY.e1=%lf",
                     [](T& s, unsigned, double v) { s.params.e1 = float(v); }));
    k.push_back(r<T>("%%QUELMAR.CHEMISTRY.e2=%lf",
                     [](T& s, unsigned, double v) { s.params.e2 = float(v); }));
    k.push_back(r<T>("%%QUELMAR.CHEMISTRY.e3=%lf",
                     [](T& s, unsigned, double v) { s.params.e3 = float(v); }));
    add_thermistor_keys(k, 2);
    return k;
}

using D = DicSettings;
std::vector<Key<D>> dic_keys() {
    std::vector<Key<D>> k;
    add_common_keys(k);
    k.push_back({"%%QUELMAR.CHEMISTRY.INLET.%u.TYPE=%u", 'U',
                 [](D& s, unsigned i, unsigned v) {
                     if (i < 3)
                         s.params.inlets[i].type = low8(v);
                 },
                 nullptr});
    k.push_back({"%%QUELMAR.CHEMISTRY.INLET.%u.INTAKE_STATE=%u", 'U',
                 [](D& s, unsigned i, unsigned v) {
                     if (i < 3)
                         s.params.inlets[i].intake_state = low8(v);
                 },
                 nullptr});
    k.push_back({"%%QUELMAR.CHEMISTRY.INLET.%u.MEASUREMENT_STATE=%u", 'U',
                 [](D& s, unsigned i, unsigned v) {
                     if (i < 3)
                         s.params.inlets[i].measurement_state = low8(v);
                 },
                 nullptr});
    k.push_back({"%%QUELMAR.CHEMISTRY.INLET.%u.CRM_VALUE=%lf", 'R', nullptr,
                 [](D& s, unsigned i, double v) {
                     if (i < 3)
                         s.params.inlets[i].crm_value = float(v);
                 }});
    k.push_back(u<D>("%%QUELMAR.CHEMISTRY.THERMISTOR_INPUT_CHANNEL.0=%u",
                     [](D& s, unsigned, unsigned v) { s.thermistor.channel = low8(v); }));
    k.push_back(r<D>("%%QUELMAR.CHEMISTRY.THERMISTOR_CAL_A.0=%lf",
                     [](D& s, unsigned, double v) { s.thermistor.a = float(v); }));
    k.push_back(r<D>("%%QUELMAR.CHEMISTRY.THERMISTOR_CAL_B.0=%lf",
                     [](D& s, unsigned, double v) { s.thermistor.b = float(v); }));
    k.push_back(r<D>("%%QUELMAR.CHEMISTRY.THERMISTOR_CAL_C.0=%lf",
                     [](D& s, unsigned, double v) { s.thermistor.c = float(v); }));
    k.push_back(r<D>("%%QUELMAR.CHEMISTRY.THERMISTOR_CAL_D.0=%lf",
                     [](D& s, unsigned, double v) { s.thermistor.d = float(v); }));
    return k;
}

const std::vector<Key<N>>& single_nutrient_table() {
    static const auto t = nutrient_keys(false);
    return t;
}
const std::vector<Key<N>>& multi_nutrient_table() {
    static const auto t = nutrient_keys(true);
    return t;
}
const std::vector<Key<P>>& ph_table() {
    static const auto t = ph_keys();
    return t;
}
const std::vector<Key<T>>& ta_table() {
    static const auto t = ta_keys();
    return t;
}
const std::vector<Key<D>>& dic_table() {
    static const auto t = dic_keys();
    return t;
}

template <class S, class Apply>
HeaderScan scan_header(RawSource& source, S& s, bool stop_at_end_marker, Apply apply) {
    HeaderScan result;
    if (!source.rewind()) {
        result.read_error = true;
        return result;
    }
    LineReader reader(source, 1 << 20);
    std::string_view line;
    while (reader.next(line)) {
        if (is_header_start(line)) {
            result.header_found = true;
            continue;
        }
        if (stop_at_end_marker && is_header_end(line))
            break;
        if (may_be_key(line))
            apply(line, s);
    }
    result.read_error = reader.failed();
    return result;
}

}  // namespace

bool apply_nutrient_key(std::string_view line, NutrientSettings& s, NutrientReader reader) {
    if (reader == NutrientReader::multi_file &&
        line.substr(0, 26) == "%QUELMAR.CORE.SENSOR_NAME=") {
        s.sensor_name = std::string(line.substr(26, 20));
        return true;
    }
    const auto& table =
        reader == NutrientReader::multi_file ? multi_nutrient_table() : single_nutrient_table();
    return apply_key<N>(line, s, table);
}
bool apply_ph_key(std::string_view line, PhSettings& s) {
    return apply_key<P>(line, s, ph_table());
}
bool apply_ta_key(std::string_view line, TaSettings& s) {
    return apply_key<T>(line, s, ta_table());
}
bool apply_dic_key(std::string_view line, DicSettings& s) {
    return apply_key<D>(line, s, dic_table());
}

void apply_single_path_header(NutrientSettings& s) {
    if (!s.has_input_channel)
        return;
    const std::uint8_t c = s.input_channel > 2 ? 0 : static_cast<std::uint8_t>(s.input_channel);
    s.params.long_measurement_channel = 0;
    s.params.medium_measurement_channel = 1;
    s.params.short_measurement_channel = 2;
    s.params.output_channel = c;
    if (s.drift_correction != 0) {
        std::uint8_t& monitor = c == 0   ? s.params.long_monitoring_channel
                                : c == 1 ? s.params.medium_monitoring_channel
                                         : s.params.short_monitoring_channel;
        monitor = s.drift_monitoring_channel;
    }
}

HeaderScan scan_nutrient_header(RawSource& source, NutrientSettings& s, NutrientReader reader) {
    s = nutrient_scan_defaults();
    HeaderScan result = scan_header(source, s, true, [reader](std::string_view line, N& n) {
        apply_nutrient_key(line, n, reader);
    });
    if (reader == NutrientReader::multi_file)
        apply_single_path_header(s);
    return result;
}

HeaderScan scan_ph_header(RawSource& source, PhSettings& s) {
    s = ph_scan_defaults();
    return scan_header(source, s, false,
                       [](std::string_view line, P& p) { apply_ph_key(line, p); });
}

HeaderScan scan_ta_header(RawSource& source, TaSettings& s) {
    s = ta_scan_defaults();
    return scan_header(source, s, true, [](std::string_view line, T& t) { apply_ta_key(line, t); });
}

HeaderScan scan_dic_header(RawSource& source, DicSettings& s) {
    s = dic_scan_defaults();
    return scan_header(source, s, true,
                       [](std::string_view line, D& d) { apply_dic_key(line, d); });
}

namespace {
std::string channel_message(unsigned channel, const char* what) {
    return common::format_text(
        "Channel %u given for the %s is not one of the input channels 0 to 7: please correct "
        "it before processing.",
        channel, what);
}
}  // namespace

std::string check_nutrient_settings(const NutrientSettings& s) {
    const auto& p = s.params;
    const struct {
        std::uint8_t channel;
        bool monitoring;
        const char* what;
    } channels[] = {
        {p.medium_measurement_channel, false, "Medium measurement channel"},
        {p.short_measurement_channel, false, "Short measurement channel"},
        {p.long_measurement_channel, false, "Long measurement channel"},
        {p.medium_monitoring_channel, true, "Medium monitoring channel"},
        {p.short_monitoring_channel, true, "Short monitoring channel"},
        {p.long_monitoring_channel, true, "Long monitoring channel"},
    };
    for (const auto& c : channels) {
        if (c.monitoring && c.channel == config::monitoring_none)
            continue;
        if (c.channel >= channel_count)
            return channel_message(c.channel, c.what);
    }
    return {};
}

std::string check_ph_settings(const PhSettings& s) {
    if (s.sample_interval_ms == 0)
        return "A sample interval of 0 ms gives no blank window: please enter the interval "
               "between data lines in milliseconds (100 by default) before processing.";
    if (s.params.blue_channel >= channel_count)
        return channel_message(s.params.blue_channel, "blue (434 nm) input channel");
    if (s.params.yellow_channel >= channel_count)
        return channel_message(s.params.yellow_channel, "yellow (578 nm) input channel");
    if (s.thermistors[0].channel >= channel_count)
        return channel_message(s.thermistors[0].channel, "thermistor 0 input channel");
    if (s.thermistors[1].channel >= channel_count)
        return channel_message(s.thermistors[1].channel, "thermistor 1 input channel");
    return {};
}

std::string check_ta_settings(const TaSettings& s) {
    if (s.params.measurement_channel >= channel_count)
        return channel_message(s.params.measurement_channel, "measurement channel");
    if (s.thermistors[0].channel >= channel_count)
        return channel_message(s.thermistors[0].channel, "thermistor 0 input channel");
    if (s.thermistors[1].channel >= channel_count)
        return channel_message(s.thermistors[1].channel, "thermistor 1 input channel");
    return {};
}

std::string check_dic_settings(const DicSettings& s) {
    if (s.thermistor.channel >= channel_count)
        return channel_message(s.thermistor.channel, "thermistor 0 input channel");
    return {};
}

}  // namespace quelmar::processing
