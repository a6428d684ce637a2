#include "maintenance/tasks_table.h"

#include <gtest/gtest.h>

#include "protocol/commands.h"
#include "tests/support/byte_image.h"
#include "tests/support/sensor_fixture.h"

namespace quelmar::maintenance {
namespace {

using test::ascii;
using test::bytes_of;
using test::hex;
using test::Image;

TEST(TasksTable, TaskRecordMatchesItsByteImage) {
    const Image image = hex("99") + ascii("StateMachine", 33) +
                        hex("00 10 00 20 | FF 17 00 20 | 80 16 00 20 | 01 | 05");
    ASSERT_EQ(image.size(), 48u);
    const auto t = common::decode_record<TaskRecord>(image.bytes);
    EXPECT_EQ(t.reserved0, 0x99);
    EXPECT_EQ(task_name(t), "StateMachine");
    EXPECT_EQ(t.stack_start, 0x20001000u);
    EXPECT_EQ(t.stack_end, 0x200017FFu);
    EXPECT_EQ(t.stack_top, 0x20001680u);
    EXPECT_EQ(t.active, 1);
    EXPECT_EQ(t.filters, 5);
    EXPECT_EQ(bytes_of(common::encode_record(t)), image.bytes);
    EXPECT_EQ(stack_usage_text(t), "384/2048");
    EXPECT_STREQ(task_state_text(t), "Active");
}

TEST(TasksTable, FilterRequestMatchesItsByteImage) {
    TaskFilterRequest r;
    for (std::size_t n = 0; n < task_count; ++n)
        r.filters[n] = static_cast<std::uint8_t>(n % 8);
    const Image image = hex("00 | 00 01 02 03 04 05 06 07 00 01 02 03 04 05 06 07 00") +
                        hex("00 00 00 00 00 00 00 00");
    EXPECT_EQ(bytes_of(common::encode_record(r)), image.bytes);
}

TEST(TasksTable, AllBoxesAndOddStacks) {
    std::array<std::uint8_t, task_count> f{};
    f.fill(log_filter::error | log_filter::debug);
    EXPECT_EQ(all_filters_set(f), (std::array<bool, 3>{true, false, true}));
    f[16] = log_filter::error;
    EXPECT_EQ(all_filters_set(f), (std::array<bool, 3>{true, false, false}));

    // Figures the firmware should never send still give a text.
    TaskRecord t;
    t.stack_start = 10;
    t.stack_end = 5;
    t.stack_top = 0xFFFFFFFF;
    EXPECT_EQ(stack_usage_text(t), "7/4294967292");
    EXPECT_STREQ(task_state_text(t), "Inactive");
}

using TasksFromSensor = test_support::SensorFixture;

TEST_F(TasksFromSensor, ReadsSeventeenTasksAndSavesTheirFilters) {
    std::array<TaskRecord, task_count> tasks{};
    ASSERT_EQ(read_tasks(sensor_link, tasks), task_count);
    EXPECT_EQ(task_name(tasks[0]), "Idle");
    EXPECT_EQ(task_name(tasks[16]), "Watchdog");
    for (const auto& t : tasks)
        EXPECT_EQ(t.filters, log_filter::error | log_filter::info);

    std::array<std::uint8_t, task_count> filters{};
    filters[3] = log_filter::debug;
    ASSERT_EQ(write_task_filters(sensor_link, filters), protocol::status::ok);
    ASSERT_EQ(read_tasks(sensor_link, tasks), task_count);
    EXPECT_EQ(tasks[3].filters, log_filter::debug);
    EXPECT_EQ(tasks[4].filters, 0);

    TaskRecord none;
    EXPECT_NE(read_task(sensor_link, 17, none), protocol::status::ok);
}

TEST_F(TasksFromSensor, StopsAtTheFirstTaskThatFails) {
    sensor.set_handler(protocol::cmd::read_task,
                       [](virtual_sensor::VirtualSensor&, const link::SensorReport& request) {
                           if (request.payload()[0] >= 5)
                               return virtual_sensor::Reply{3, {}};
                           return virtual_sensor::Reply{0, std::vector<std::uint8_t>(48, 0)};
                       });
    std::array<TaskRecord, task_count> tasks{};
    EXPECT_EQ(read_tasks(sensor_link, tasks), 5u);
    EXPECT_EQ(requests_of(protocol::cmd::read_task), 6u);
}

}  // namespace
}  // namespace quelmar::maintenance
