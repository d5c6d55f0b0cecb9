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
class ControllerLink
{
public:
    // Makes the transport for the settings of an open; tests put a scripted one here.
    using TransportFactory = std::function<std::unique_ptr<Transport>(const LinkSettings &)>;

    ControllerLink();
    explicit ControllerLink(TransportFactory factory);
    ~ControllerLink();
    ControllerLink(const ControllerLink &) = delete;
    ControllerLink &operator=(const ControllerLink &) = delete;

    // The serial port or TCP connection the settings name.
    static std::unique_ptr<Transport> makeTransport(const LinkSettings &settings);

    bool open(const LinkSettings &settings);
    void close();
    bool isOpen() const;
    // Why the last open failed, in plain English; empty after a good one.
    QString openFailureText() const;
    OpenFailure openFailure() const { return m_openFailure; }

    // One exchange on the open link: the command text goes out framed; the reply comes back
    // judged. Refused (nothing sent) for a text too long for the frame.
    Reply exchange(QByteArrayView command);

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

    TransportFactory m_factory;
    std::unique_ptr<Transport> m_transport;
    LinkSettings m_settings;
    OpenFailure m_openFailure = OpenFailure::None;
    QString m_openFailureDetail;
    bool m_customLimits = false;
    ExchangeLimits m_limits;
    bool m_opened = false; // an open succeeded and no close has followed
    std::vector<ExchangeObserver *> m_observers;
};
