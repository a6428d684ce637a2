#include "maintenance/tasks_table.h"

#include "common/text.h"
#include "protocol/command.h"
#include "protocol/commands.h"

namespace quelmar::maintenance {

std::string task_name(const TaskRecord& task) {
    std::string s;
    for (std::uint8_t c : task.name) {
        if (c == 0)
            break;
        s.push_back(static_cast<char>(c));
    }
    return s;
}

std::string stack_usage_text(const TaskRecord& t) {
    const std::uint32_t used = t.stack_end - t.stack_top + 1;
    const std::uint32_t size = t.stack_end - t.stack_start + 1;
    return common::format_text("%u/%u", static_cast<unsigned>(used), static_cast<unsigned>(size));
}

const char* task_state_text(const TaskRecord& t) {
    return t.active ? "Active" : "Inactive";
}

std::array<bool, 3> all_filters_set(const std::array<std::uint8_t, task_count>& filters) {
    std::array<bool, 3> all{true, true, true};
    for (std::uint8_t f : filters)
        for (std::size_t b = 0; b < log_filter_bits.size(); ++b)
            if (!(f & log_filter_bits[b]))
                all[b] = false;
    return all;
}

protocol::SensorStatus read_task(link::SensorLink& link, std::uint8_t number, TaskRecord& task) {
    const std::uint8_t request[1] = {number};
    common::RecordBytes<TaskRecord> reply{};
    const auto s = protocol::send_command(link, protocol::cmd::read_task, request, reply);
    if (s == protocol::status::ok)
        task = common::decode_record<TaskRecord>(reply);
    return s;
}

std::size_t read_tasks(link::SensorLink& link, std::array<TaskRecord, task_count>& tasks) {
    for (std::size_t n = 0; n < task_count; ++n)
        if (read_task(link, static_cast<std::uint8_t>(n), tasks[n]) != protocol::status::ok)
            return n;
    return task_count;
}

protocol::SensorStatus write_task_filters(link::SensorLink& link,
                                          const std::array<std::uint8_t, task_count>& filters) {
    TaskFilterRequest request;
    request.filters = filters;
    const auto bytes = common::encode_record(request);
    return protocol::send_command(link, protocol::cmd::write_log_filter, bytes);
}

}  // namespace quelmar::maintenance
