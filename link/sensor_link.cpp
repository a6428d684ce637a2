#include "link/sensor_link.h"

#include <algorithm>
#include <chrono>

#include "common/spin.h"

namespace quelmar::link {

namespace {
// A reply from a fast device (or the virtual sensor) comes back within microseconds; waiting
// for it by spinning this long before sleeping saves two thread wake-ups per exchange.
constexpr auto spin_before_sleep = std::chrono::microseconds(40);
// A device that answered the last request within a few milliseconds will most likely answer
// the next one as fast (a firmware upgrade is thousands of such exchanges in a row): the
// exchange spins until a little after that time instead of paying a wake-up on every reply.
constexpr auto round_trip_margin = std::chrono::microseconds(150);
constexpr auto longest_spin = std::chrono::microseconds(3000);

using common::spin_until;

// The worker reads in short slices so that an abandoned request or a close is noticed within
// this bound even on a backend whose blocking read cannot be interrupted.
constexpr int read_slice_ms = 20;
}  // namespace

SensorLink::~SensorLink() { sensor_link_close(*this); }

LinkResult sensor_link_open(SensorLink& link, const std::string& path, std::uint32_t timeout_ms) {
    std::lock_guard exchange(link.exchange_lock_);
    std::unique_lock lock(link.state_mutex_);
    if (link.open_.load()) return LinkResult::failed;
    link.timeout_ms_ = timeout_ms;

    DeviceBackend backend;
    switch (open_device_backend(path, backend)) {
        case OpenOutcome::opened: break;
        case OpenOutcome::in_use: return LinkResult::in_use;
        case OpenOutcome::failed: return LinkResult::failed;
    }
    if (backend.report_id >= 0) link.report_id_ = static_cast<std::uint8_t>(backend.report_id);
    // A report queued before this open belongs to somebody else's conversation.
    if (backend.flush) backend.flush();

    link.backend_ = std::move(backend);
    link.backend_open_ = true;
    link.path_ = path;
    link.stop_ = false;
    link.pending_.reset();
    link.awaiting_sequence_ = -1;
    link.reply_state_ = SensorLink::ReplyState::none;
    link.abandoned_.reset();
    link.flush_requested_ = false;
    link.sequence_ = 1;
    try {
        link.worker_ = std::thread([&link] { link.worker_loop(); });
    } catch (...) {
        link.backend_.close();
        link.backend_ = DeviceBackend{};
        link.backend_open_ = false;
        return LinkResult::failed;
    }
    link.open_.store(true);
    return LinkResult::ok;
}

void sensor_link_close(SensorLink& link) {
    std::thread worker;
    {
        std::lock_guard lock(link.state_mutex_);
        if (!link.worker_.joinable() && !link.backend_open_) return;
        link.open_.store(false);
        link.stop_ = true;
        link.pending_.reset();
        link.request_ready_.store(false);
        link.awaiting_sequence_ = -1;
        if (link.backend_open_ && link.backend_.cancel) link.backend_.cancel();
        worker = std::move(link.worker_);
    }
    link.request_signal_.notify_all();
    link.reply_signal_.notify_all();
    // The worker reads in bounded slices and checks the stop flag between them, so the join
    // ends within one slice plus one device write.
    if (worker.joinable()) worker.join();
    std::lock_guard lock(link.state_mutex_);
    if (link.backend_open_ && link.backend_.close) link.backend_.close();
    link.backend_ = DeviceBackend{};
    link.backend_open_ = false;
    link.path_.clear();
}

LinkResult sensor_exchange(SensorLink& link, SensorReport& report) {
    if (!link.open_.load()) return LinkResult::not_open;
    const auto timeout = std::chrono::milliseconds(link.timeout_ms_);
    std::unique_lock exchange(link.exchange_lock_, std::defer_lock);
    if (!exchange.try_lock_for(timeout)) return LinkResult::failed;

    std::unique_lock lock(link.state_mutex_);
    if (!link.open_.load() || link.stop_) return LinkResult::not_open;

    SensorReport copy = report;
    copy.bytes[report_id_offset] = link.report_id_;
    const std::uint8_t sequence = ++link.sequence_;
    copy.bytes[sequence_offset] = sequence;
    link.abandoned_.reset(sequence);
    link.reply_state_ = SensorLink::ReplyState::none;
    link.awaiting_sequence_ = sequence;
    link.pending_ = copy;
    link.request_ready_.store(true, std::memory_order_release);
    link.reply_ready_.store(false, std::memory_order_relaxed);
    link.request_signal_.notify_one();

    const auto sent = std::chrono::steady_clock::now();
    const auto expected = link.last_round_trip_ + round_trip_margin;
    const auto spin = link.last_round_trip_ < longest_spin
                          ? std::clamp<std::chrono::microseconds>(expected, spin_before_sleep,
                                                                  longest_spin)
                          : spin_before_sleep;
    lock.unlock();
    spin_until([&link] { return link.reply_ready_.load(std::memory_order_acquire); }, spin);
    lock.lock();
    link.reply_signal_.wait_for(lock, timeout, [&link] {
        return link.reply_state_ != SensorLink::ReplyState::none || link.stop_;
    });

    LinkResult result;
    if (link.reply_state_ == SensorLink::ReplyState::matched) {
        report = link.reply_;
        result = LinkResult::ok;
        link.last_round_trip_ = std::chrono::duration_cast<std::chrono::microseconds>(
            std::chrono::steady_clock::now() - sent);
    } else if (link.reply_state_ == SensorLink::ReplyState::mismatched) {
        // A report that answers nothing (a duplicate, a stray, garbage) came first, so this
        // request's real reply is still queued or on its way. Treat it as a late reply: the
        // request is abandoned and the queue emptied before the next request, so that one
        // extra report costs this exchange only instead of leaving every later one a reply
        // behind.
        link.abandoned_.set(sequence);
        link.flush_requested_ = true;
        result = LinkResult::failed;
    } else {
        // Abandon the request: the worker stops reading for it, anything that arrives for it
        // later is recognised as stale, and the input queue is emptied before the next request.
        link.pending_.reset();
        link.request_ready_.store(false, std::memory_order_relaxed);
        link.abandoned_.set(sequence);
        link.flush_requested_ = true;
        if (link.backend_open_ && link.backend_.cancel) link.backend_.cancel();
        result = LinkResult::timed_out;
    }
    link.awaiting_sequence_ = -1;
    link.reply_state_ = SensorLink::ReplyState::none;
    link.pending_.reset();
    link.request_ready_.store(false, std::memory_order_relaxed);
    link.reply_ready_.store(false, std::memory_order_relaxed);
    return result;
}

void SensorLink::worker_loop() {
    std::unique_lock lock(state_mutex_);
    while (!stop_) {
        if (!pending_) {
            lock.unlock();
            spin_until([this] { return request_ready_.load(std::memory_order_acquire); },
                       spin_before_sleep);
            lock.lock();
        }
        request_signal_.wait(lock, [this] { return stop_ || pending_.has_value() || flush_requested_; });
        if (stop_) break;
        if (flush_requested_) {
            flush_requested_ = false;
            lock.unlock();
            if (backend_.flush) backend_.flush();
            lock.lock();
            continue;
        }
        SensorReport request = *pending_;
        lock.unlock();
        serve(request);
        lock.lock();
    }
}

void SensorLink::serve(const SensorReport& request) {
    const std::uint8_t sequence = request.bytes[sequence_offset];
    const bool written = backend_.write_report(request.bytes.data());
    std::unique_lock lock(state_mutex_);
    if (pending_ && pending_->bytes[sequence_offset] == sequence) {
        pending_.reset();
        request_ready_.store(false, std::memory_order_relaxed);
    }
    if (!written) return;  // the exchange times out

    SensorReport input;
    while (!stop_ && awaiting_sequence_ == sequence) {
        lock.unlock();
        const ReadOutcome outcome = backend_.read_report(input.bytes.data(), read_slice_ms);
        lock.lock();
        if (outcome == ReadOutcome::timed_out) continue;
        if (outcome == ReadOutcome::failed) return;  // the exchange times out
        const std::uint8_t got = input.bytes[sequence_offset];
        if (awaiting_sequence_ != sequence) break;
        if (got == sequence) {
            reply_ = input;
            reply_state_ = ReplyState::matched;
            reply_ready_.store(true, std::memory_order_release);
            reply_signal_.notify_one();
            break;
        }
        if (abandoned_.test(got)) continue;  // a late reply to an abandoned request
        reply_state_ = ReplyState::mismatched;
        reply_ready_.store(true, std::memory_order_release);
        reply_signal_.notify_one();
        break;
    }
}

bool sensor_link_is_open(const SensorLink& link) { return link.open_.load(); }

std::string sensor_link_path(const SensorLink& link) {
    std::lock_guard lock(link.state_mutex_);
    return link.path_;
}

std::uint8_t sensor_link_report_id(const SensorLink& link) {
    std::lock_guard lock(link.state_mutex_);
    return link.report_id_;
}

std::uint32_t sensor_link_timeout(const SensorLink& link) {
    std::lock_guard lock(link.state_mutex_);
    return link.timeout_ms_;
}

}  // namespace quelmar::link
