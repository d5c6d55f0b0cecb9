#pragma once

#include "link/linesettings.h"
#include "link/transport.h"

#include <QByteArrayView>
#include <QSerialPort>
#include <QString>
#include <optional>

// What the serial transport asks of the system itself, beside Qt's serial port. Each platform
// has its own file (serialline_unix.cpp, serialline_windows.cpp), chosen in CMake.
//
// An object holds a handle on the device of its own for a look at the line before Qt opens it.
class SerialLine
{
public:
    SerialLine() = default;
    ~SerialLine();
    SerialLine(const SerialLine &) = delete;
    SerialLine &operator=(const SerialLine &) = delete;

    // The line the device has now. On Unix the handle that read it stays open until release(),
    // which comes after Qt's open: its close is then not the device's last, and the device sees
    // no hang-up for the look. Windows shares no COM port, so there it is let go at once.
    std::optional<LineSettings> look(const QString &path);
    void release();

    // What the system can give for what was asked.
    static LineSettings supported(LineSettings settings);

    // Closes Qt's port so that the device's one hang-up leaves it at the speed and framing in
    // force, with everything else (time-outs, processing) as Qt restored it from before the open.
    static void closeKeepingLine(QSerialPort &port);

    // After a failed open: whether the device is in fact held by another program.
    static bool heldByAnother(const QString &path, QSerialPort::SerialPortError error);

    // The group whose members may open the device, and the user this program runs as: what a
    // technician needs to be let in. Empty where the system has no such thing.
    static QString owningGroup(const QString &path);
    static QString userName();

    // The exchange's waits on the open port, in the system with the time given. Closed means the
    // device went away (the port is opened with CLOCAL, so a carrier drop cannot hang it up).
    static Transport::IoResult write(QSerialPort &port, QByteArrayView data, int timeoutMs);
    static Transport::IoResult read(QSerialPort &port, char *buffer, qsizetype capacity, int timeoutMs);

private:
    qintptr m_handle = -1;
};
