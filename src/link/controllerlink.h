#pragma once

#include "link/exchangeevent.h"
#include "link/exchangelimits.h"
#include "link/linksettings.h"
#include "link/openfailure.h"
#include "link/reply.h"
#include "link/transport.h"

#include <QByteArrayView>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

// The channel to one controller, opened for one operation and closed after it, and the
// request/reply exchange on it. Every open, close and exchange is told to the observers.
//
// A controller on TCP closes the connection after a reply it could not finish, and may close it
// at any time; the link belongs to the operation, not to one connection, so the operation's next
// exchange connects again (a link closed, then a link opened or one that would not open, for the
// observers). A serial line that hangs up has lost its device: it stays closed.
class ControllerLink
{
public:
    // Makes the transport for the settings of an open; tests put a scripted one here.
    using TransportFactory = std::function<std::unique_ptr<Transport>(const LinkSettings &)>;

    ControllerLink();
    explicit ControllerLink(TransportFactory factory);
    ~ControllerLink();
    // From the next open on; an empty factory gives back the real serial port or TCP connection.
    void setTransportFactory(TransportFactory factory);
    ControllerLink(const ControllerLink &) = delete;
    ControllerLink &operator=(const ControllerLink &) = delete;

    // The serial port or TCP connection the settings name.
    static std::unique_ptr<Transport> makeTransport(const LinkSettings &settings);

    bool open(const LinkSettings &settings);
    // Opens the operation's link again, with the settings of its open, after it went away (a
    // TCP connection closed, a serial device gone) or a connect again was refused: for a
    // procedure that paces its own tries. The observers hear of it as of any open.
    bool reopen();
    void close();
    bool isOpen() const;
    // Why the last open failed, in plain English; empty after a good one. A serial device that
    // went away during an exchange is said here too (DeviceRemoved), until the next open.
    QString openFailureText() const;
    OpenFailure openFailure() const { return m_openFailure; }
    // What the failure concerns: the device path, the port name, the system's words.
    QString openFailureDetail() const { return m_openFailureDetail; }

    // One exchange on the open link: the command text goes out framed; the reply comes back
    // judged. Refused (nothing sent) for a text too long for the frame. On a TCP link whose
    // connection went away it first connects again; if that fails, the verdict is LinkFailed.
    Reply exchange(QByteArrayView command);

    // The operator's Cancel, for an operation that takes it: asked before each exchange and
    // between the slices of its waits (the caller may handle its window's events there). Once it
    // says true, an exchange sends nothing (Refused) and one that waits ends within
    // Exchange::InterruptGraceMs; a request already begun always goes out whole. Unset, nothing
    // interrupts and the waits block for all their time.
    void setInterrupt(std::function<bool()> interrupted);
    // The detail of an exchange refused for the interrupt.
    static QString interruptedBeforeSending();

    // Limits for exchanges from now on; unset, each transport's own apply.
    void setLimits(const ExchangeLimits &limits);
    void useDefaultLimits();
    // The limits the next exchange applies.
    ExchangeLimits limits() const;

    // What the last open asked for.
    const LinkSettings &settings() const { return m_settings; }
    // What is in force now (see Transport::description).
    QString description() const;

    void addObserver(ExchangeObserver *observer);
    void removeObserver(ExchangeObserver *observer);
    // Tells the observers of something that never reached the link (an operator's value
    // that cannot go out): a Refused event for `what`.
    void reportRefused(const QByteArray &what, const QString &why);

private:
    bool observed() const;
    void notify(ExchangeEvent &&event);
    bool openTransport();
    void noticeLostConnection(const Reply &reply);
    void noticeLostDevice();

    TransportFactory m_factory;
    std::unique_ptr<Transport> m_transport;
    LinkSettings m_settings;
    OpenFailure m_openFailure = OpenFailure::None;
    QString m_openFailureDetail;
    std::function<bool()> m_interrupted;
    bool m_customLimits = false;
    ExchangeLimits m_limits;
    bool m_opened = false; // an open succeeded and no close has followed
    bool m_lost = false;   // the TCP connection went away; the next exchange connects again
    std::vector<ExchangeObserver *> m_observers;
};
