#include "live/raw_plot.h"

#include <algorithm>
#include <cmath>

#include "monitor/readings_history.h"
#include "common/text.h"

namespace quelmar::live {

RawPlotGeometry raw_plot_geometry(int width, int height) {
    RawPlotGeometry g;
    g.left = 0;
    g.top = 0;
    g.right = std::max(width, 0);
    g.bottom = std::max(height, 0);
    g.axis_y = g.bottom - 45;
    g.plot_left = g.left + 50;
    g.plot_right = g.right - 50;
    g.plot_top = g.top + 50;
    g.plot_width = g.right - g.left - 99;
    g.plot_height = g.bottom - g.top - 99;
    g.plot_bottom = g.top + 50 + g.plot_height - 1;
    g.plotted = g.plot_width - 1 >= 35 && g.plot_height - 1 >= 35;
    return g;
}

int raw_plot_capacity(int width, int height) {
    RawPlotGeometry g = raw_plot_geometry(width, height);
    if (!g.plotted)
        return 0;
    return std::min(g.plot_width, static_cast<int>(monitor::history_capacity));
}

std::string platform_overlay_text(const protocol::PlatformBytes& bytes) {
    const protocol::PlatformData p = protocol::decode_platform_data(bytes);
    return common::format_text(
        "depth=%.2f m, dir=%d, temp=%.3f C, salin=%.3f PSU, DO=%.3f ml/l, P1=%d, P2=%d, P3=%d",
        p.depth, p.direction, p.temperature, p.salinity, p.oxygen, p.p1, p.p2, p.p3);
}

void layout_raw_plot(const RawPlotInput& input, int width, int height, int held_x, int held_y,
                     RawPlotScene& scene) {
    scene.white_lines.clear();
    for (auto& trace : scene.traces)
        trace.clear();
    scene.texts.clear();
    scene.readings_shown = 0;

    const RawPlotGeometry g = raw_plot_geometry(width, height);
    scene.geometry = g;
    if (!g.plotted)
        return;

    const int L = g.left, T = g.top, R = g.right, B = g.bottom;
    const int x0 = g.plot_left;
    const int h = g.plot_height;

    scene.white_lines.push_back({L, B - 1, R - 1, B - 1});
    scene.white_lines.push_back({L + 45, B - 50, L + 45, T + 50});
    scene.white_lines.push_back({x0, B - 45, R - 50, B - 45});

    for (int p = 0; p <= 100; p += 10) {
        int y = static_cast<int>(g.plot_bottom - h * p / 100.0 + 0.0001);
        scene.texts.push_back({common::format_text("%.1f", p / 100.0 * 5 + 0.0001),
                               {L, y - 10, L + 40, y + 10},
                               TextAlign::right});
    }
    scene.texts.push_back({"volt", {L, T, x0, T + 50}, TextAlign::centre});
    scene.texts.push_back({"counter", {R - 50, B - 58, R, B - 35}, TextAlign::centre});

    const int count = static_cast<int>(input.entries.size());
    const int n = input.monitor_running ? std::min(g.plot_width, count) : 0;
    scene.readings_shown = n;
    const int first = count - n;

    if (n >= 2) {
        for (std::size_t c = 0; c < raw_channel_count; ++c) {
            if (input.channel_shown[c])
                scene.traces[c].reserve(static_cast<std::size_t>(n));
        }
        for (int i = 0; i < n; ++i) {
            const protocol::ReadingsEntry e =
                protocol::decode_readings_entry(input.entries[first + i]);
            for (std::size_t c = 0; c < raw_channel_count; ++c) {
                if (!input.channel_shown[c])
                    continue;
                double volts = protocol::channel_volts(e.channels[c]);
                scene.traces[c].push_back(
                    {x0 + i, static_cast<int>(g.plot_bottom - volts * h * 0.2)});
            }
        }
    }

    if (n > 0) {
        auto counter_label = [&](int i) {
            int x = x0 + i;
            scene.texts.push_back(
                {common::format_text("%u", protocol::readings_counter(input.entries[first + i])),
                 {x - 30, B - 50, x + 30, B - 10},
                 TextAlign::centre});
            scene.white_lines.push_back({x, B - 45, x, B - 40});
        };
        if (n > 60)
            counter_label(0);
        counter_label(n - 1);
        int x = x0 + n - 1;
        scene.texts.push_back(
            {common::format_text(
                 "state %u", protocol::decode_readings_entry(input.entries[first + n - 1]).state),
             {x - 30, B - 35, x + 30, B},
             TextAlign::centre});

        int i = held_x - x0;
        if (held_x != 0 && i >= 0 && i < n && g.plot_top < held_y && held_y < B - 50) {
            scene.texts.push_back(
                {common::format_text(
                     "state %u", protocol::decode_readings_entry(input.entries[first + i]).state),
                 {held_x - 30, held_y - 20, held_x + 30, held_y},
                 TextAlign::centre});
        }
    }

    if (input.platform_overlay) {
        scene.texts.push_back(
            {platform_overlay_text(input.platform), {x0, T, R, T + 50}, TextAlign::centre});
    }
    if (input.thermistor_overlay && n > 0) {
        const protocol::ReadingsEntry newest =
            protocol::decode_readings_entry(input.entries[count - 1]);
        scene.texts.push_back(
            {common::format_text(
                 "thermistor1=%.3f, thermistor2=%.3f, thermistor3=%.3f",
                 config::thermistor_temperature(input.thermistors[0], newest.channels),
                 config::thermistor_temperature(input.thermistors[1], newest.channels),
                 config::thermistor_temperature(input.thermistors[2], newest.channels)),
             {x0, T + 30, R, T + 50},
             TextAlign::centre});
    }
}

}  // namespace quelmar::live
