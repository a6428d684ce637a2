#include "live/processed_output_feed.h"

#include "common/text.h"

namespace quelmar::live {

namespace {

constexpr std::array<const char*, processed_columns> base_titles{
    "Dive Number",        "Sensor Timestamp",        "Platform Timestamp",
    "Value",              "Validity",                "Platform Depth (m)",
    "Platform Direction", "Platform Salinity (PSU)", "Platform Temperature (\u00b0C)",
    "P1",                 "P2",                      "P3"};
constexpr std::array<int, processed_columns> base_widths{10, 15, 15, 10, 10, 15,
                                                         15, 15, 20, 15, 15, 15};

struct Retitle {
    const char* value;
    const char* p1;  // nullptr: keeps its base title
    const char* p2;
    const char* p3;
};

Retitle retitle_for(protocol::ChemistryType type) {
    namespace ch = protocol::chemistry;
    const char* medium = "Medium (uM)";
    const char* shorter = "Short (uM)";
    const char* longer = "Long (uM)";
    switch (type) {
        case ch::generic: return {"Generic Value", nullptr, nullptr, nullptr};
        case ch::nitrate: return {"Nitrate (uM)", medium, shorter, longer};
        case ch::phosphate: return {"Phosphate (uM)", medium, shorter, longer};
        case ch::silicate: return {"Silicate (uM)", medium, shorter, longer};
        case ch::ph: return {"pH", "Platform DO (ml/l)", "r", "Thermistor t (degC)"};
        case ch::nitrite: return {"Nitrite (uM)", medium, shorter, longer};
        case ch::iron: return {"Iron (uM)", medium, shorter, longer};
        case ch::ta: return {"TA (umol/kg)", "Absorbance LED1", "Absorbance LED2", "Temperature (C)"};
        case ch::dic: return {"DIC (umol/kg)", "Sample Step (V)", "CRM Step (V)", "Temperature (C)"};
        case ch::ammonia: return {"Ammonia (???)", nullptr, nullptr, nullptr};
        default: return {"Unknown Value", nullptr, nullptr, nullptr};
    }
}

std::string three_places(double v) { return common::format_text("%.3f", v); }

}  // namespace

ProcessedTitles processed_titles(protocol::ChemistryType type) {
    ProcessedTitles t;
    for (std::size_t c = 0; c < processed_columns; ++c) t[c] = base_titles[c];
    const Retitle r = retitle_for(type);
    t[3] = r.value;
    if (r.p1) t[9] = r.p1;
    if (r.p2) t[10] = r.p2;
    if (r.p3) t[11] = r.p3;
    if (type == protocol::chemistry::dic) t[0] = "Meas State";
    return t;
}

std::array<int, processed_columns> processed_widths(protocol::ChemistryType type) {
    auto w = base_widths;
    // Every column the chemistry retitles is 15 wide; the first keeps 10.
    const Retitle r = retitle_for(type);
    w[3] = 15;
    if (r.p1) w[9] = 15;
    if (r.p2) w[10] = 15;
    if (r.p3) w[11] = 15;
    return w;
}

const char* validity_text(std::uint8_t validity) {
    switch (validity) {
        case 1: return "good";
        case 2: return "bad";
        default: return "unknown";
    }
}

const char* direction_text(std::uint8_t direction) {
    switch (direction) {
        case 1: return "surfaced";
        case 2: return "diving";
        case 3: return "climbing";
        case 4: return "hovering";
        default: return "unknown";
    }
}

ProcessedRow processed_row_texts(const protocol::ProcessedRecord& r) {
    ProcessedRow row;
    row[0] = common::format_text("%u", unsigned(r.dive_number));
    row[1] = common::sensor_time_text(r.sensor_time);
    row[2] = common::sensor_time_text(r.platform_time);
    row[3] = three_places(protocol::processed_value(r));
    row[4] = validity_text(r.validity);
    row[5] = three_places(r.platform_depth);
    row[6] = direction_text(r.direction);
    row[7] = three_places(r.platform_salinity);
    row[8] = three_places(r.platform_temperature);
    for (std::size_t i = 0; i < 3; ++i) row[9 + i] = three_places(r.extra[i]);
    return row;
}

std::vector<std::string> processed_title_list(const ProcessedTitles& titles) {
    return {titles.begin(), titles.end()};
}

ProcessedOutputWorker::~ProcessedOutputWorker() { stop(); }

void ProcessedOutputWorker::start(link::SensorLink& link, Deliver deliver,
                                  std::chrono::milliseconds period) {
    stop();
    stop_.reset();
    opened_ = false;
    thread_ = std::thread([this, &link, deliver = std::move(deliver), period] {
        if (protocol::start_processed_read(link) != protocol::status::ok) return;
        opened_ = true;
        while (!stop_.stop_requested()) {
            std::vector<protocol::ProcessedRecord> batch;
            while (!paused_.load() && !stop_.stop_requested()) {
                protocol::ProcessedRecord r;
                if (protocol::read_processed_record(link, r) != protocol::status::ok) break;
                batch.push_back(r);
            }
            if (stop_.stop_requested()) return;
            deliver(std::move(batch));
            if (stop_.wait_for_stop(period)) return;
        }
    });
}

void ProcessedOutputWorker::stop() {
    stop_.request_stop();
    if (thread_.joinable()) thread_.join();
}

}  // namespace quelmar::live
