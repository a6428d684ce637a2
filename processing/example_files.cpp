#include "processing/example_files.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace quelmar::processing {

namespace {

class Writer {
  public:
    explicit Writer(const ExampleOptions& o) : options_(o), time_(o.start_time) {}

    void line(const char* text) {
        out_ += text;
        out_ += '\n';
    }
    void key(const char* key, const char* value) {
        out_ += "%QUELMAR.";
        out_ += key;
        out_ += '=';
        out_ += value;
        out_ += '\n';
    }
    void header_start() {
        if (options_.header)
            line("%QUELMAR.HEADER_START");
    }
    void header_end() {
        if (options_.header)
            line("%QUELMAR.HEADER_END");
        line(
            "%Counter,State,Ch 0,Ch 1,Ch 2,Ch 3,Ch 4,Ch 5,Ch 6,Ch 7,Temp (\xC2\xB0"
            "C),Voltage (V),"
            "Hall (I),Hall (W),Sensor Timestamp,Platform Salinity (PSU),Platform Temp (\xC2\xB0"
            "C),Platform DO (ml/l),Platform Depth (m),Platform Timestamp");
    }
    // Small, repeatable detector noise.
    double noise(double amplitude) {
        seed_ = seed_ * 6364136223846793005ull + 1442695040888963407ull;
        return amplitude * (static_cast<double>(seed_ >> 11) / 9007199254740992.0 - 0.5);
    }
    void data(unsigned state, const double (&ch)[8], double depth) {
        char buf[320];
        const double t = static_cast<double>(time_ - options_.start_time);
        int n = std::snprintf(buf, sizeof buf,
                              "%u,%u,%.5f,%.5f,%.5f,%.5f,%.5f,%.5f,%.5f,%.5f,%.2f,%.2f,%u,%u,%u,%."
                              "3f,%.3f,%.3f,%.2f,%u\n",
                              counter_, state, ch[0], ch[1], ch[2], ch[3], ch[4], ch[5], ch[6],
                              ch[7], 15.2 + 0.5 * std::sin(t / 7200.0), 12.1, counter_ * 3 % 1000,
                              counter_ * 7 % 1000, time_, 35.1 + 0.2 * std::sin(t / 3600.0),
                              12.3 + std::sin(t / 5000.0), 5.5 + 0.1 * std::cos(t / 4000.0), depth,
                              time_ - 2);
        out_.append(buf, static_cast<std::size_t>(n));
        ++counter_;
        ++time_;
    }
    std::string take() { return std::move(out_); }

  private:
    const ExampleOptions& options_;
    std::string out_;
    unsigned counter_ = 0;
    std::uint32_t time_;
    std::uint64_t seed_ = 0x2545F4914F6CDD1Dull;
};

}  // namespace

double example_nutrient_concentration(std::size_t cycle) {
    return 5.0 + 3.0 * std::sin(static_cast<double>(cycle));
}
double example_ph_ratio(std::size_t cycle) {
    return 1.2 + 0.1 * std::sin(static_cast<double>(cycle));
}
double example_dic_value(std::size_t cycle) {
    return 2100.0 + 50.0 * std::sin(static_cast<double>(cycle));
}

std::string nutrient_example(const ExampleOptions& o) {
    Writer w(o);
    char type[8];
    std::snprintf(type, sizeof type, "%u", static_cast<unsigned>(o.nutrient_type));
    w.header_start();
    w.key("CORE.SENSOR_NAME", o.sensor_name.c_str());
    w.key("CHEMISTRY.TYPE", type);
    w.key("CHEMISTRY.SENSOR_VERSION", "0");
    w.key("CHEMISTRY.MEASUREMENT_CHANNEL_LONG", "0");
    w.key("CHEMISTRY.MEASUREMENT_CHANNEL_MEDIUM", "1");
    w.key("CHEMISTRY.MEASUREMENT_CHANNEL_SHORT", "2");
    w.key("CHEMISTRY.MONITORING_CHANNEL_LONG", "255");
    w.key("CHEMISTRY.MONITORING_CHANNEL_MEDIUM", "3");
    w.key("CHEMISTRY.MONITORING_CHANNEL_SHORT", "255");
    w.key("CHEMISTRY.OUTPUT_CHANNEL_SELECTION", "1");
    w.key("CHEMISTRY.SAMPLE_INTAKE_STATE", "1");
    w.key("CHEMISTRY.BLANK_MEASUREMENT_STATE", "2");
    w.key("CHEMISTRY.STANDARD1_MEASUREMENT_STATE", "3");
    w.key("CHEMISTRY.STANDARD2_MEASUREMENT_STATE", "4");
    w.key("CHEMISTRY.SAMPLE_MEASUREMENT_STATE", "5");
    w.key("CHEMISTRY.STANDARD1_CONCENTRATION", "10.000");
    w.key("CHEMISTRY.STANDARD2_CONCENTRATION", "20.000");
    w.key("CHEMISTRY.STANDARD_ADJUSTMENT", "2");
    w.key("CHEMISTRY.PROCESSING_TRIGGER", "2");
    w.key("CHEMISTRY.ENABLE_OPTICAL_CORRECTION", "0");
    w.key("CHEMISTRY.OC_SAMPLE_MEASUREMENT_STATE", "6");
    w.key("CHEMISTRY.OC_BLANK_MEASUREMENT_STATE", "7");
    w.header_end();
    // Blank intensities and absorbance per µM of the Long, Medium and Short paths.
    const double blank[3] = {2.0, 2.5, 3.0};
    const double per_um[3] = {0.02, 0.01, 0.005};
    for (std::size_t c = 0; c < o.cycles; ++c) {
        const double depth = 10.0 + static_cast<double>(c % 50);
        auto emit = [&](unsigned state, int lines, double um) {
            for (int i = 0; i < lines; ++i) {
                double ch[8];
                for (int p = 0; p < 3; ++p)
                    ch[p] = blank[p] * std::pow(10.0, -per_um[p] * um) + w.noise(0.0004);
                ch[3] = 1.8 + w.noise(0.0002);
                ch[4] = ch[5] = 0.0;
                ch[6] = 1.2 + w.noise(0.001);
                ch[7] = 1.21 + w.noise(0.001);
                w.data(state, ch, depth);
            }
        };
        emit(0, 5, 0);
        emit(1, 3, 0);
        emit(2, 10, 0);
        emit(3, 10, 10.0);
        emit(4, 10, 20.0);
        emit(5, 10, example_nutrient_concentration(c));
    }
    return w.take();
}

std::string ph_example(const ExampleOptions& o) {
    Writer w(o);
    w.header_start();
    w.key("CHEMISTRY.TYPE", "4");
    w.key("CHEMISTRY.SENSOR_VERSION", "0");
    w.key("CHEMISTRY.SAMPLE_INTERVAL", "100");
    w.key("CHEMISTRY.INPUT_CHANNEL_434", "0");
    w.key("CHEMISTRY.INPUT_CHANNEL_578", "1");
    w.key("CHEMISTRY.SAMPLE_INTAKE_STATE", "1");
    w.key("CHEMISTRY.SAMPLE_MEASUREMENT_STATE", "2");
    w.key("CHEMISTRY.BLANK_START_OFFSET", "2");
    w.key("CHEMISTRY.BLANK_END_OFFSET", "4");
    w.key("CHEMISTRY.ABSORBANCE_MIN_434", "0.1");
    w.key("CHEMISTRY.ABSORBANCE_MAX_578", "0.6");
    w.key("CHEMISTRY.DPH_BY_DT", "-0.01582");
    w.key("CHEMISTRY.R_ADJUSTMENT_SCALE", "1.0");
    w.key("CHEMISTRY.R_ADJUSTMENT_OFFSET", "0.0");
    w.key("CHEMISTRY.T1_ADJUSTMENT_SCALE", "0.5");
    w.key("CHEMISTRY.T2_ADJUSTMENT_SCALE", "0.5");
    w.key("CHEMISTRY.THERMISTOR_INPUT_CHANNEL.0", "6");
    w.key("CHEMISTRY.THERMISTOR_CAL_A.0", "0");
    w.key("CHEMISTRY.THERMISTOR_CAL_B.0", "0");
    w.key("CHEMISTRY.THERMISTOR_CAL_C.0", "10");
    w.key("CHEMISTRY.THERMISTOR_CAL_D.0", "8");
    w.key("CHEMISTRY.THERMISTOR_INPUT_CHANNEL.1", "7");
    w.key("CHEMISTRY.THERMISTOR_CAL_A.1", "0");
    w.key("CHEMISTRY.THERMISTOR_CAL_B.1", "0");
    w.key("CHEMISTRY.THERMISTOR_CAL_C.1", "10");
    w.key("CHEMISTRY.THERMISTOR_CAL_D.1", "8");
    w.header_end();
    for (std::size_t c = 0; c < o.cycles; ++c) {
        const double ratio = example_ph_ratio(c);
        auto emit = [&](unsigned state, int i, double x) {
            double ch[8] = {};
            ch[0] = 2.0 * std::pow(10.0, -x) + w.noise(0.00002);
            ch[1] = 1.5 * std::pow(10.0, -ratio * x) + w.noise(0.00002);
            ch[6] = 1.2 + w.noise(0.0002);
            ch[7] = 1.2 + w.noise(0.0002);
            (void)i;
            w.data(state, ch, 5.0);
        };
        for (int i = 0; i < 20; ++i)
            emit(0, i, 0);
        for (int i = 0; i < 10; ++i)
            emit(1, i, 0);
        for (int i = 0; i < 300; ++i) {
            const double g = i < 60 ? 0.0 : std::exp(-std::pow((i - 150) / 40.0, 2));
            emit(2, i, 1.0 * g);
        }
    }
    return w.take();
}

std::string ta_example(const ExampleOptions& o) {
    Writer w(o);
    w.header_start();
    w.key("CHEMISTRY.TYPE", "7");
    w.key("CHEMISTRY.SENSOR_VERSION", "0");
    w.key("CHEMISTRY.MEASUREMENT_CHANNEL", "0");
    w.key("CHEMISTRY.MONITORING_CHANNEL_LED1", "2");
    w.key("CHEMISTRY.MONITORING_CHANNEL_LED2", "3");
    w.key("CHEMISTRY.SAMPLE_INTAKE_STATE", "1");
    w.key("CHEMISTRY.BLANK_MEASUREMENT_STATE_LED1", "2");
    w.key("CHEMISTRY.BLANK_MEASUREMENT_STATE_LED2", "3");
    w.key("CHEMISTRY.SAMPLE_MEASUREMENT_STATE_LED1", "4");
    w.key("CHEMISTRY.SAMPLE_MEASUREMENT_STATE_LED2", "5");
    w.key("CHEMISTRY.PROCESSING_TRIGGER", "3");
    w.key("CHEMISTRY.CT", "0.01");
    w.key("CHEMISTRY.ACID_MOLARITY", "0.1");
    w.key("CHEMISTRY.pKa", "4.0");
    w.key("CHEMISTRY.e1", "0.005");
    w.key("CHEMISTRY.e2", "2.3");
    w.key("CHEMISTRY.e3", "0.1");
    w.key("CHEMISTRY.THERMISTOR_INPUT_CHANNEL.0", "6");
    w.key("CHEMISTRY.THERMISTOR_CAL_C.0", "10");
    w.key("CHEMISTRY.THERMISTOR_CAL_D.0", "8");
    w.key("CHEMISTRY.THERMISTOR_INPUT_CHANNEL.1", "7");
    w.key("CHEMISTRY.THERMISTOR_CAL_C.1", "10");
    w.key("CHEMISTRY.THERMISTOR_CAL_D.1", "8");
    w.header_end();
    for (std::size_t c = 0; c < o.cycles; ++c) {
        const double ratio = 1.0 + 0.05 * std::sin(static_cast<double>(c));
        auto emit = [&](unsigned state, int lines, double v) {
            for (int i = 0; i < lines; ++i) {
                double ch[8] = {};
                ch[0] = v + w.noise(0.0002);
                ch[6] = 1.2 + w.noise(0.0002);
                ch[7] = 1.2 + w.noise(0.0002);
                w.data(state, ch, 3.0);
            }
        };
        emit(0, 5, 0.5);
        emit(1, 5, 0.5);
        emit(2, 10, 2.0);
        emit(3, 10, 2.2);
        emit(4, 10, 2.0 * std::pow(10.0, -0.4));
        emit(5, 10, 2.2 * std::pow(10.0, -0.4 * ratio));
    }
    return w.take();
}

std::string dic_example(const ExampleOptions& o) {
    Writer w(o);
    w.header_start();
    w.key("CHEMISTRY.TYPE", "8");
    w.key("CHEMISTRY.SENSOR_VERSION", "0");
    w.key("CHEMISTRY.INLET.0.TYPE", "2");
    w.key("CHEMISTRY.INLET.0.INTAKE_STATE", "255");
    w.key("CHEMISTRY.INLET.0.MEASUREMENT_STATE", "3");
    w.key("CHEMISTRY.INLET.0.CRM_VALUE", "2030.5");
    w.key("CHEMISTRY.INLET.1.TYPE", "1");
    w.key("CHEMISTRY.INLET.1.INTAKE_STATE", "1");
    w.key("CHEMISTRY.INLET.1.MEASUREMENT_STATE", "2");
    w.key("CHEMISTRY.INLET.1.CRM_VALUE", "0");
    w.key("CHEMISTRY.INLET.2.TYPE", "0");
    w.key("CHEMISTRY.THERMISTOR_INPUT_CHANNEL.0", "6");
    w.key("CHEMISTRY.THERMISTOR_CAL_C.0", "10");
    w.key("CHEMISTRY.THERMISTOR_CAL_D.0", "8");
    w.header_end();
    const double crm_step = 0.8;
    auto emit = [&](unsigned state, int lines, double step) {
        for (int i = 0; i < lines; ++i) {
            // A dip to 1.0 V at reading 10, then a rise to a plateau `step` above it.
            double v = 2.0;
            if (step > 0)
                v = i <= 10 ? 2.0 - 0.1 * i : std::min(1.0 + step, 1.0 + 0.05 * (i - 10));
            double ch[8] = {};
            ch[0] = v;
            ch[6] = 1.2 + w.noise(0.0002);
            w.data(state, ch, 2.0);
        }
    };
    for (std::size_t c = 0; c < o.cycles; ++c) {
        emit(0, 10, 0);
        if (c % 5 == 0) {
            emit(3, 60, crm_step);
            emit(0, 5, 0);
        }
        emit(1, 5, 0);
        emit(2, 60, crm_step * example_dic_value(c) / 2030.5);
    }
    emit(0, 5, 0);
    return w.take();
}

}  // namespace quelmar::processing
