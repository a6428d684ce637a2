#pragma once
// A SerialPort on QSerialPort, for the window: the port lives on a thread of its own (a
// QSerialPort must be used on the thread it belongs to), and the protocol threads reach it
// through blocking calls into that thread.

#include <QString>
#include <QStringList>

#include "simulator/serial_port.h"

namespace quelmar::simulator {

// The system's serial ports by device path (e.g. "/dev/ttyUSB0").
QStringList system_serial_ports();

enum class QtOpenFailure { none, cannot_open, cannot_configure };
// Opens the port with the given line settings; an empty port and the reason when it fails.
SerialPort open_qt_serial_port(const SerialSettings& settings, QtOpenFailure* failure = nullptr);

}  // namespace quelmar::simulator
