#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <memory>

class QSerialPort;
class QTcpSocket;

// The channel to one controller, serial line or TCP, and the request/reply exchange on it.
// The field names are the ones the rest of the tool and its operators' notes use.
// The link is opened and closed by every operation; nothing here is kept open in between.
class ControllerLink
{
public:
    enum Mode : std::uint8_t { Com = 0, Net = 1 };

    // Why the last OpenLink or SendCommand failed, for the operator's tool tip.
    enum class Failure {
        None,
        NoSuchPort,
        PortBusy,
        PermissionDenied,
        PortError,
        BadAddress,
        ConnectionRefused,
        NoAnswer,        // connect time-out, or no reply in time
        NetworkError,
        CommandTooLong,
        InvalidReply,
        HungUp,          // the serial device went away during the exchange
        NotOpen,
    };

    // Time limits of the exchange. TCP: the whole reply within NetReplyLimitMs of the send.
    // Serial: SerialIdleLimitMs without a byte ends it; SerialOverallLimitMs ends a line that
    // keeps talking without ever completing a reply.
    static constexpr int NetReplyLimitMs = 1200;
    static constexpr int SerialIdleLimitMs = 300;
    static constexpr int SerialOverallLimitMs = 5000;
    // The system's own connect time-out would freeze the window for minutes.
    static constexpr int ConnectLimitMs = 3000;

    ControllerLink();
    ~ControllerLink();
    ControllerLink(const ControllerLink &) = delete;
    ControllerLink &operator=(const ControllerLink &) = delete;

    // Link settings, taken from the window before every open. Any LinkMode other than Net is Com.
    std::uint8_t LinkMode = Com;
    QString PortName;
    QString LineMode;
    QString HostAddress;
    QString HostPort;

    // Exchange results. LastReply is the whole last complete reply, ETX to CR.
    QByteArray LastReply;
    int ReplyLength = 0;
    std::uint8_t CheckHigh = 0;
    std::uint8_t CheckLow = 0;

    bool OpenLink();
    void CloseLink();
    bool SendCommand(QByteArrayView command);

    bool isOpen() const;
    Failure lastFailure() const { return m_failure; }
    // The reason in plain English, with the system's own words where it gave any.
    QString lastFailureText() const;

    // Counts for tests: how often the channel was opened and closed.
    int openCount() const { return m_opens; }
    int closeCount() const { return m_closes; }

private:
    bool openSerial();
    bool openTcp();
    bool exchangeTcp(const QByteArray &frame);
    bool exchangeSerial(const QByteArray &frame);
    bool finishReply(bool valid);
    void fail(Failure failure, const QString &detail = QString());

    std::unique_ptr<QSerialPort> m_serial;
    std::unique_ptr<QTcpSocket> m_socket;
    bool m_openIsNet = false;
    Failure m_failure = Failure::None;
    QString m_failureDetail;
    int m_opens = 0;
    int m_closes = 0;
};
