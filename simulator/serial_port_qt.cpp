#include "simulator/serial_port_qt.h"

#include <QMetaObject>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QThread>
#include <memory>

namespace quelmar::simulator {

QStringList system_serial_ports() {
    QStringList names;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        names << info.systemLocation();
    return names;
}

namespace {

// Owns the port's thread; every call runs there.
struct QtPortHost {
    QThread thread;
    QObject* context = nullptr;
    QSerialPort* port = nullptr;

    QtPortHost() {
        context = new QObject;
        port = new QSerialPort(context);
        context->moveToThread(&thread);
        thread.start();
    }
    ~QtPortHost() { shut(); }

    template <class F>
    void call(F&& f) {
        if (!context) return;
        QMetaObject::invokeMethod(context, std::forward<F>(f), Qt::BlockingQueuedConnection);
    }
    void shut() {
        if (!context) return;
        call([this] {
            port->close();
            delete context;  // with the port, on its own thread
        });
        context = nullptr;
        port = nullptr;
        thread.quit();
        thread.wait();
    }
};

QSerialPort::Parity parity_of(std::uint8_t p) {
    switch (p) {
        case 1: return QSerialPort::EvenParity;
        case 2: return QSerialPort::OddParity;
        case 3: return QSerialPort::SpaceParity;
        case 4: return QSerialPort::MarkParity;
        default: return QSerialPort::NoParity;
    }
}

}  // namespace

SerialPort open_qt_serial_port(const SerialSettings& s, QtOpenFailure* failure) {
    auto host = std::make_shared<QtPortHost>();
    QtOpenFailure result = QtOpenFailure::none;
    host->call([&] {
        QSerialPort* p = host->port;
        p->setPortName(QString::fromStdString(s.path));
        if (!p->open(QIODevice::ReadWrite)) {
            result = QtOpenFailure::cannot_open;
            return;
        }
        const bool set = p->setBaudRate(static_cast<qint32>(s.baud_rate)) &&
                         p->setDataBits(static_cast<QSerialPort::DataBits>(s.data_bits)) &&
                         p->setParity(parity_of(s.parity)) &&
                         p->setStopBits(s.stop_bits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop) &&
                         p->setFlowControl(QSerialPort::NoFlowControl);
        // A pseudo-terminal takes no baud rate; that is no reason to refuse it.
        if (!set && p->error() != QSerialPort::UnsupportedOperationError) {
            p->close();
            result = QtOpenFailure::cannot_configure;
        }
        p->clearError();
    });
    if (failure) *failure = result;
    if (result != QtOpenFailure::none) return {};

    SerialPort port;
    port.write = [host](std::string_view text) {
        bool ok = false;
        const QByteArray bytes(text.data(), static_cast<qsizetype>(text.size()));
        host->call([&] {
            if (!host->port) return;
            ok = host->port->write(bytes) == bytes.size() &&
                 (host->port->bytesToWrite() == 0 ||
                  host->port->waitForBytesWritten(static_cast<int>(read_timeout.count())));
        });
        return ok;
    };
    port.read_byte = [host](char& c, std::chrono::milliseconds timeout) {
        bool ok = false;
        host->call([&] {
            QSerialPort* p = host->port;
            if (!p || !p->isOpen()) return;
            if (p->bytesAvailable() == 0) p->waitForReadyRead(static_cast<int>(timeout.count()));
            ok = p->getChar(&c);
        });
        return ok;
    };
    port.purge = [host] {
        host->call([&] {
            if (!host->port) return;
            host->port->clear(QSerialPort::Input);
            host->port->readAll();
        });
    };
    port.close = [host] { host->shut(); };
    return port;
}

}  // namespace quelmar::simulator
