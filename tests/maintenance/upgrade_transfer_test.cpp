#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "link/discovery.h"
#include "maintenance/upgrade_transfer.h"
#include "protocol/commands.h"
#include "protocol/device_commands.h"
#include "tests/support/byte_image.h"
#include "tests/support/sensor_fixture.h"
#include "virtual_sensor/bootloader_handlers.h"
#include "virtual_sensor/bootloader_image.h"

namespace quelmar::maintenance {
namespace {

using test::hex;
using test::zeros;

TEST(UpgradeBlockLayout, PinnedByteForByte) {
    const test::Image image = hex("01 | 03 00 00 00 | 02 00 00 00 | AB CD") + zeros(62) + hex("00 A0 00 00");
    UpgradeBlock b;
    b.block_number = 3;
    b.data_count = 2;
    b.data[0] = 0xAB;
    b.data[1] = 0xCD;
    b.target_address = firmware_target_address;
    const auto encoded = common::encode_record(b);
    EXPECT_EQ(std::vector<std::uint8_t>(encoded.begin(), encoded.end()), image.bytes);
    const auto decoded = common::decode_record<UpgradeBlock>(image.bytes);
    EXPECT_EQ(decoded.tag, 1);
    EXPECT_EQ(decoded.block_number, 3u);
    EXPECT_EQ(decoded.data_count, 2u);
    EXPECT_EQ(decoded.data[1], 0xCD);
    EXPECT_EQ(decoded.target_address, 0xA000u);
}

struct UpgradeTransfer : test_support::SensorFixture {
    std::filesystem::path file = std::filesystem::temp_directory_path() /
                                 ("quelmar_upgrade_" + std::to_string(::getpid()) + ".bin");
    std::atomic<bool> cancel{false};
    std::vector<std::uint32_t> progress;

    void SetUp() override {
        test_support::SensorFixture::SetUp();
        sensor.set_mode(1);
    }
    void TearDown() override {
        std::filesystem::remove(file);
        test_support::SensorFixture::TearDown();
    }
    void write_image(const std::vector<std::uint8_t>& bytes) {
        std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
    }
    std::vector<std::uint8_t> pattern(std::size_t n) {
        std::vector<std::uint8_t> v(n);
        for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>(i * 7 + 1);
        return v;
    }
    UpgradeOutcome run(std::uint32_t target = firmware_target_address) {
        return run_upgrade_transfer(sensor_link, file.string(), target, cancel,
                                    [this](std::uint32_t bytes) { progress.push_back(bytes); });
    }
    // The 259 requests as (block number, count).
    std::vector<std::pair<std::uint32_t, std::uint32_t>> blocks_sent() const {
        std::vector<std::pair<std::uint32_t, std::uint32_t>> out;
        for (const auto& r : sensor.requests())
            if (r.command() == protocol::cmd::firmware_block)
                out.emplace_back(common::get_u32le(r.payload() + 1), common::get_u32le(r.payload() + 5));
        return out;
    }
};

TEST_F(UpgradeTransfer, ImageGoesInFullBlocksThenTheShortOneThenTheEndRecord) {
    const auto image = pattern(130);
    write_image(image);
    const UpgradeOutcome out = run();
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(out.bytes, 130u);
    EXPECT_EQ(progress, (std::vector<std::uint32_t>{64, 128, 130}));
    EXPECT_EQ(blocks_sent(), (std::vector<std::pair<std::uint32_t, std::uint32_t>>{{0, 64}, {1, 64}, {2, 2}, {3, 0}}));
    std::uint32_t target = 1;
    EXPECT_EQ(sensor.received_image(&target), image);
    EXPECT_EQ(target, firmware_target_address);
    // The short block's unused bytes and the end record's data go as zeros.
    const auto requests = sensor.requests();
    EXPECT_EQ(requests.back().payload()[9], 0);
    EXPECT_EQ(requests[requests.size() - 2].payload()[9 + 2], 0);
}

TEST_F(UpgradeTransfer, ExactMultipleAndEmptyImages) {
    write_image(pattern(128));
    EXPECT_EQ(run(bootloader_target_address).result, 0);
    EXPECT_EQ(blocks_sent(), (std::vector<std::pair<std::uint32_t, std::uint32_t>>{{0, 64}, {1, 64}, {2, 0}}));
    std::uint32_t target = 1;
    EXPECT_EQ(sensor.received_image(&target).size(), 128u);
    EXPECT_EQ(target, 0u);

    // An empty image is only the end record; the sensor takes it and nothing was written.
    sensor.clear_requests();
    write_image({});
    const UpgradeOutcome out = run();
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(out.bytes, 0u);
    EXPECT_EQ(blocks_sent(), (std::vector<std::pair<std::uint32_t, std::uint32_t>>{{0, 0}}));
}

TEST_F(UpgradeTransfer, RefusedBlockStopsAtTheLastAcceptedByteCount) {
    write_image(pattern(1000));
    virtual_sensor::refuse_upgrade_block(sensor, 5, 3);
    const UpgradeOutcome out = run();
    EXPECT_EQ(out.result, 3);
    EXPECT_EQ(out.bytes, 320u);
    EXPECT_EQ(upgrade_outcome_text(out), "Upgrade failed after 320 bytes (3)");
    EXPECT_EQ(blocks_sent().size(), 6u);  // nothing after the refused block
    EXPECT_EQ(virtual_sensor::images_taken(sensor), 0u);
}

TEST_F(UpgradeTransfer, RefusedLastBlockIsNeverTurnedIntoSuccess) {
    // The last, short block is refused after the file's end was reached: an end record now
    // would be accepted and leave the sensor with 128 of 130 bytes.
    write_image(pattern(130));
    virtual_sensor::refuse_upgrade_block(sensor, 2, 7);
    const UpgradeOutcome out = run();
    EXPECT_EQ(out.result, 7);
    EXPECT_EQ(out.bytes, 128u);
    EXPECT_EQ(blocks_sent().size(), 3u);
    EXPECT_EQ(virtual_sensor::images_taken(sensor), 0u);
}

TEST_F(UpgradeTransfer, CancelBeforeTheLastBlockSendsNoEndRecord) {
    write_image(pattern(130));
    const UpgradeOutcome out = run_upgrade_transfer(sensor_link, file.string(), firmware_target_address, cancel,
                                                    [this](std::uint32_t bytes) {
                                                        if (bytes == 128) cancel = true;
                                                    });
    EXPECT_EQ(out.result, upgrade_failed);
    EXPECT_EQ(out.bytes, 128u);
    EXPECT_EQ(blocks_sent().size(), 2u);
    EXPECT_EQ(virtual_sensor::images_taken(sensor), 0u);
}

TEST_F(UpgradeTransfer, MissingFileUnreadableFileAndFailedExchanges) {
    const UpgradeOutcome missing = run();  // the file was never written
    EXPECT_EQ(missing.result, 1);
    EXPECT_EQ(missing.bytes, 0u);
    EXPECT_EQ(upgrade_outcome_text(missing), "Upgrade failed after 0 bytes (1)");
    EXPECT_TRUE(blocks_sent().empty());

    // A directory opens on some systems but cannot be read: failed, nothing sent.
    const UpgradeOutcome directory = run_upgrade_transfer(sensor_link, file.parent_path().string(),
                                                          firmware_target_address, cancel, {});
    EXPECT_EQ(directory.result, 1);
    EXPECT_TRUE(blocks_sent().empty());

    write_image(pattern(100));
    sensor.drop_next_reply();
    const UpgradeOutcome lost = run();
    EXPECT_EQ(lost.result, 14);
    EXPECT_EQ(lost.bytes, 0u);

    // A status the sensor gives a block is the result as it is.
    sensor.force_status(protocol::cmd::firmware_block, 5);
    const UpgradeOutcome refused = run();
    EXPECT_EQ(refused.result, 5);
}

TEST_F(UpgradeTransfer, WorkerRunsTheTransferAndStopsBeforeItsNextBlock) {
    write_image(pattern(200));
    UpgradeWorker worker;
    std::atomic<bool> done{false};
    UpgradeOutcome seen;
    std::vector<std::uint32_t> heard;
    auto finished = [&](const UpgradeOutcome& o) {
        seen = o;
        done = true;
    };
    // Slow replies keep the first transfer going while a second is asked for.
    sensor.set_reply_latency(std::chrono::milliseconds(20));
    ASSERT_TRUE(worker.start(
        sensor_link, file.string(), firmware_target_address, [&](std::uint32_t b) { heard.push_back(b); }, finished));
    EXPECT_FALSE(worker.start(sensor_link, file.string(), firmware_target_address, {}, {}));  // one at a time
    for (int i = 0; i < 1000 && !done; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_TRUE(done);
    EXPECT_EQ(seen.result, 0);
    EXPECT_EQ(heard, (std::vector<std::uint32_t>{64, 128, 192, 200}));

    // Stopped from the start, it ends at once; whatever it managed, no partial image is taken.
    done = false;
    const auto taken = virtual_sensor::images_taken(sensor);
    ASSERT_TRUE(worker.start(sensor_link, file.string(), firmware_target_address, {}, finished));
    worker.stop();
    EXPECT_TRUE(done);
    EXPECT_FALSE(worker.running());
    if (seen.result != 0) {
        EXPECT_EQ(virtual_sensor::images_taken(sensor), taken);
    }
}

// The virtual bootloader: a firmware image with a version line restarts the sensor into the
// new firmware, which reports that version.
TEST_F(UpgradeTransfer, VersionedImageRestartsIntoTheNewFirmware) {
    write_image(virtual_sensor::make_firmware_image("1.3.1", 300));
    const std::string path = sensor.path();
    EXPECT_EQ(run().result, 0);
    link::sensor_link_close(sensor_link);
    // The sensor leaves the bus and arrives again, in firmware mode.
    for (int i = 0; i < 500 && (sensor.mode() != 2 || !sensor.attached()); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(sensor.attached());
    ASSERT_EQ(link::sensor_link_open(sensor_link, sensor.path(), 1000), link::LinkResult::ok);
    protocol::DeviceKind kind;
    ASSERT_EQ(protocol::read_kind(sensor_link, kind), protocol::status::ok);
    EXPECT_EQ(kind.mode, 2);
    protocol::SoftwareVersion version;
    ASSERT_EQ(protocol::read_software_version(sensor_link, version), protocol::status::ok);
    EXPECT_EQ(version.version_text(), "1.3.1");
}

TEST(FirmwareImageVersion, OnlyAWellFormedLeadingLine) {
    const auto image = virtual_sensor::make_firmware_image("QUELMAR_1_3_3_T0", 10);
    EXPECT_EQ(virtual_sensor::firmware_image_version(image), "QUELMAR_1_3_3_T0");
    auto bytes = [](const std::string& s) { return std::vector<std::uint8_t>(s.begin(), s.end()); };
    EXPECT_FALSE(virtual_sensor::firmware_image_version(bytes("%QUELMAR.FIRMWARE_VERSION=1.3.1")));  // no line end
    EXPECT_FALSE(virtual_sensor::firmware_image_version(bytes("%QUELMAR.FIRMWARE_VERSION=\n")));
    EXPECT_FALSE(virtual_sensor::firmware_image_version(bytes("%QUELMAR.FIRMWARE_VERSION=1.3\x01\n")));
    EXPECT_FALSE(virtual_sensor::firmware_image_version(bytes("%QUELMAR.FIRMWARE_VERSION=" + std::string(25, '1') + "\n")));
    EXPECT_FALSE(virtual_sensor::firmware_image_version(bytes("%QUELMAR.FIRMWARE")));
    EXPECT_FALSE(virtual_sensor::firmware_image_version({}));
}

}  // namespace
}  // namespace quelmar::maintenance
