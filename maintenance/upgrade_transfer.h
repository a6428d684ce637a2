#pragma once
// Writing a firmware or bootloader image to the sensor: the image goes in 64-byte blocks with
// command 259, then an end record (no data, numbered as the count of blocks sent) that asks
// the sensor to take the image.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "common/record_fields.h"
#include "link/sensor_link.h"
#include "protocol/sensor_status.h"

namespace quelmar::maintenance {

constexpr std::size_t upgrade_block_data_size = 64;
constexpr std::size_t upgrade_block_size = 77;
constexpr std::uint32_t firmware_target_address = 0xA000;
constexpr std::uint32_t bootloader_target_address = 0;
constexpr std::uint32_t upgrade_link_timeout_ms = 5000;

// The payload of command 259.
struct UpgradeBlock {
    std::uint8_t tag = 1;  // always 1
    std::uint32_t block_number = 0;
    std::uint32_t data_count = 0;  // 1..64; 0 in the end record
    std::array<std::uint8_t, upgrade_block_data_size> data{};
    std::uint32_t target_address = 0;
};

template <class Io>
constexpr void fields(Io& io, UpgradeBlock& r) {
    io.u8(r.tag);
    io.u32(r.block_number);
    io.u32(r.data_count);
    io.u8(r.data);
    io.u32(r.target_address);
}
static_assert(common::record_size<UpgradeBlock>() == upgrade_block_size);

// The result of a transfer: 0 the sensor took the image; 14 the link failed; 1 the file did
// not open or could not be read, the user cancelled, or the end record was refused; any other
// value is the status with which the sensor refused a block.
constexpr int upgrade_failed = 1;

struct UpgradeOutcome {
    int result = upgrade_failed;
    std::uint32_t bytes = 0;  // image bytes the sensor accepted
};

// Sends the image at `path`. `progress` (may be empty) hears the bytes written after every
// accepted block; `cancel` is looked at before each block. A block the sensor refuses, or a
// cancel, ends the transfer as failed without the end record: the end record of an image cut
// short would only make the sensor take a partial image.
UpgradeOutcome run_upgrade_transfer(link::SensorLink& link, const std::string& path,
                                    std::uint32_t target_address, const std::atomic<bool>& cancel,
                                    const std::function<void(std::uint32_t bytes)>& progress);

// The dialog's texts.
std::string upgrade_progress_text(std::uint32_t bytes);        // "Upgrade running, ..."
std::string upgrade_outcome_text(const UpgradeOutcome& outcome);  // complete or failed

// One transfer on a thread of its own. The callbacks run on that thread.
class UpgradeWorker {
public:
    UpgradeWorker() = default;
    ~UpgradeWorker();  // cancels and waits: the link the transfer uses must outlive it
    UpgradeWorker(const UpgradeWorker&) = delete;
    UpgradeWorker& operator=(const UpgradeWorker&) = delete;

    // False if a transfer is under way or the thread cannot be started.
    bool start(link::SensorLink& link, std::string path, std::uint32_t target_address,
               std::function<void(std::uint32_t bytes)> progress,
               std::function<void(const UpgradeOutcome&)> finished);
    void cancel() { cancel_.store(true, std::memory_order_release); }
    bool running() const { return running_.load(std::memory_order_acquire); }
    // Cancels and waits for the thread; the transfer stops before its next block, so this
    // waits at most one exchange.
    void stop();

private:
    std::thread thread_;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> running_{false};
};

}  // namespace quelmar::maintenance
