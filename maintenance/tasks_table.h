#pragma once
// The firmware's task table (306) with each task's stack use and log filters, and the request
// that sets the filters of all tasks at once (305).

#include <array>
#include <cstdint>
#include <string>

#include "common/record_fields.h"
#include "link/sensor_link.h"
#include "protocol/sensor_status.h"

namespace quelmar::maintenance {

constexpr std::size_t task_count = 17;

namespace log_filter {
constexpr std::uint8_t error = 1;
constexpr std::uint8_t info = 2;
constexpr std::uint8_t debug = 4;
}  // namespace log_filter
// The filter bits in the order of the dialog's check box columns.
constexpr std::array<std::uint8_t, 3> log_filter_bits = {log_filter::error, log_filter::info,
                                                         log_filter::debug};

struct TaskRecord {
    std::uint8_t reserved0 = 0;           // not interpreted
    std::array<std::uint8_t, 33> name{};  // NUL-terminated
    std::uint32_t stack_start = 0;
    std::uint32_t stack_end = 0;
    std::uint32_t stack_top = 0;  // lowest address the stack reached
    std::uint8_t active = 0;
    std::uint8_t filters = 0;  // log_filter bits
};

template <class Io>
constexpr void fields(Io& io, TaskRecord& r) {
    io.u8(r.reserved0);
    io.u8(r.name);
    io.u32(r.stack_start);
    io.u32(r.stack_end);
    io.u32(r.stack_top);
    io.u8(r.active);
    io.u8(r.filters);
}
static_assert(common::record_size<TaskRecord>() == 48);

struct TaskFilterRequest {
    std::uint8_t reserved0 = 0;
    std::array<std::uint8_t, task_count> filters{};  // task n at byte 1 + n
};

template <class Io>
constexpr void fields(Io& io, TaskFilterRequest& r) {
    io.u8(r.reserved0);
    io.u8(r.filters);
    io.skip(8);
}
static_assert(common::record_size<TaskFilterRequest>() == 26);

std::string task_name(const TaskRecord& task);
// "used/size" in bytes; a stack whose addresses make no sense (end below start or top) is
// shown as the wrapped differences the firmware's unsigned figures give, never as a crash.
std::string stack_usage_text(const TaskRecord& task);
const char* task_state_text(const TaskRecord& task);

// For each filter bit of log_filter_bits: whether every task has it set.
std::array<bool, 3> all_filters_set(const std::array<std::uint8_t, task_count>& filters);

protocol::SensorStatus read_task(link::SensorLink& link, std::uint8_t number, TaskRecord& task);
// Reads tasks 0.. in order until one fails; the count read (task_count when all were).
std::size_t read_tasks(link::SensorLink& link, std::array<TaskRecord, task_count>& tasks);
protocol::SensorStatus write_task_filters(link::SensorLink& link,
                                          const std::array<std::uint8_t, task_count>& filters);

}  // namespace quelmar::maintenance
