#include "maintenance/upgrade_transfer.h"

#include <cstdio>
#include <memory>
#include <system_error>

#include "common/text.h"
#include "protocol/command.h"
#include "protocol/commands.h"

namespace quelmar::maintenance {

namespace {
struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// Reads up to one block's data; false on a read error.
bool read_block(std::FILE* file, UpgradeBlock& block) {
    block.data.fill(0);
    const std::size_t n = std::fread(block.data.data(), 1, block.data.size(), file);
    block.data_count = static_cast<std::uint32_t>(n);
    return n == block.data.size() || !std::ferror(file);
}

protocol::SensorStatus send_block(link::SensorLink& link, const UpgradeBlock& block) {
    const auto bytes = common::encode_record(block);
    return protocol::send_command(link, protocol::cmd::firmware_block, bytes);
}
}  // namespace

UpgradeOutcome run_upgrade_transfer(link::SensorLink& link, const std::string& path,
                                    std::uint32_t target_address, const std::atomic<bool>& cancel,
                                    const std::function<void(std::uint32_t bytes)>& progress) {
    UpgradeOutcome out;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) return out;
    UpgradeBlock block;
    block.target_address = target_address;
    if (!read_block(file.get(), block)) return out;
    while (block.data_count != 0) {
        if (cancel.load(std::memory_order_acquire)) return out;
        const protocol::SensorStatus s = send_block(link, block);
        if (s != protocol::status::ok) {
            out.result = s;
            return out;
        }
        out.bytes = static_cast<std::uint32_t>(block.block_number * upgrade_block_data_size + block.data_count);
        if (progress) progress(out.bytes);
        ++block.block_number;
        if (!read_block(file.get(), block)) return out;
    }
    // Every block was taken: the end record asks the sensor to take the image.
    block.data_count = 0;
    block.data.fill(0);
    if (send_block(link, block) == protocol::status::ok) out.result = 0;
    return out;
}

std::string upgrade_progress_text(std::uint32_t bytes) {
    return common::format_text("Upgrade running, %u bytes written", bytes);
}

std::string upgrade_outcome_text(const UpgradeOutcome& outcome) {
    if (outcome.result == 0) return common::format_text("Upgrade complete, %u bytes written", outcome.bytes);
    return common::format_text("Upgrade failed after %u bytes (%d)", outcome.bytes, outcome.result);
}

UpgradeWorker::~UpgradeWorker() { stop(); }

bool UpgradeWorker::start(link::SensorLink& link, std::string path, std::uint32_t target_address,
                          std::function<void(std::uint32_t)> progress,
                          std::function<void(const UpgradeOutcome&)> finished) {
    if (thread_.joinable()) {
        if (running()) return false;
        thread_.join();
    }
    cancel_.store(false, std::memory_order_release);
    running_.store(true, std::memory_order_release);
    try {
        thread_ = std::thread([this, &link, path = std::move(path), target_address,
                               progress = std::move(progress), finished = std::move(finished)] {
            const UpgradeOutcome outcome = run_upgrade_transfer(link, path, target_address, cancel_, progress);
            running_.store(false, std::memory_order_release);
            if (finished) finished(outcome);
        });
    } catch (const std::system_error&) {
        running_.store(false, std::memory_order_release);
        return false;
    }
    return true;
}

void UpgradeWorker::stop() {
    cancel();
    if (thread_.joinable()) thread_.join();
}

}  // namespace quelmar::maintenance
