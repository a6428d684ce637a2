#pragma once
// The virtual sensor's RS232 port on a pseudo-terminal: a host platform (or the platform
// simulator) opens the other end and talks to the sensor as a glider or an ETI logger would.
//
// What the sensor does with each host line (lines end in "\r"; a "\n" after it is ignored):
//   ""                  a wake-up; no answer
//   clock-set=D,M,Y,h,m,s  sets the sensor's clock (UTC), as the clock record (290) reads back
//   start=NNNN          begins dive NNNN
//   status=c,depth,p1,p2,p3  the glider's depth and direction ('a' diving, 'b' climbing): fed
//                       to the platform data (444) and the readings (418), and the sensor takes
//                       one result at that depth
//   sample              answers its latest result: "time,value,temperature,validity,stddev\r"
//                       (value and standard deviation in thousandths, temperature in m°C,
//                       validity 0 = good)
//   download=1          streams every result of the session as " dive,time,depth,value,stddev,
//                       validity,direction,p1,p2,p3,supply\r" (validity 1 = good, direction
//                       2 diving, 3 climbing, as the platform data records it)
// After each glider line the sensor prints its prompt "SC>" (no line end); a host that purges
// before writing may still find it in front of the next reply.
//
// ETI sentences "$CMD,...*XXXX\r\n" carry a CRC-16/ARC checksum; a sentence whose checksum is
// wrong is ignored (no reply), as a garbled line would be. The sensor's ETI state is 0 while
// asleep (the first $CMD,0 wakes it), 1 awake and wanting time and data, 2 measuring (the
// first $CMD,1 after a result was collected), 3 a result ready (the next $CMD,1); $CMD,3 hands
// the result over and returns to 1. Replies:
//   $CMD,0 -> "$CMD,0,supply dV,temperature d°C,state"   $CMD,2,t -> "$CMD,2" (clock set)
//   $CMD,1,... -> "$CMD,1,state"                          $CMD,3 -> "$CMD,3,time,value,m°C"
//
// The result a sensor takes is its model ocean's nitrate at the platform's depth:
// 2 + 0.25 µmol/l per metre, held in thousandths.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "virtual_sensor/virtual_sensor.h"

namespace quelmar::virtual_sensor {

struct Rs232Result {
    std::uint16_t dive = 0;
    std::uint32_t time = 0;
    double depth_m = 0;
    std::int32_t value_milli = 0;
    std::int32_t deviation_milli = 0;
    std::uint8_t direction = 0;  // 1 surfaced, 2 diving, 3 climbing, 4 hovering
    std::int32_t p1 = 0, p2 = 0, p3 = 0;
    double supply_v = 0;
    std::int32_t temperature_mdegc = 0;
};

class Rs232Side {
public:
    explicit Rs232Side(VirtualSensor& sensor);
    ~Rs232Side();
    Rs232Side(const Rs232Side&) = delete;
    Rs232Side& operator=(const Rs232Side&) = delete;

    // Opens the pseudo-terminal and starts answering; false (with the reason) when the system
    // has none to give.
    bool open(std::string* error = nullptr);
    void close();
    // The host's end, e.g. "/dev/pts/3".
    std::string path() const { return path_; }

    std::vector<Rs232Result> results() const;
    std::uint16_t dive() const;
    int eti_state() const;
    // Seconds the sensor's clock is ahead of the PC's (0 until a host sets it).
    std::int64_t clock_offset() const;

    // One line as received (without its line end); the reply to send back. Public so that the
    // protocol can be tried without a terminal.
    std::string answer(const std::string& line);

private:
    void serve();
    std::string answer_glider(const std::string& line);
    std::string answer_eti(const std::string& line);
    std::uint32_t sensor_time() const;
    void set_clock(std::int64_t utc_seconds);
    Rs232Result take_result();

    VirtualSensor& sensor_;
    int master_ = -1;
    int slave_ = -1;  // held open so that the master never reads a hang-up between hosts
    std::string path_;
    std::atomic<bool> stop_{false};
    std::thread thread_;

    mutable std::mutex mutex_;
    std::uint16_t dive_ = 0;
    int eti_state_ = 0;
    std::int64_t clock_offset_ = 0;
    std::vector<Rs232Result> results_;
};

}  // namespace quelmar::virtual_sensor
