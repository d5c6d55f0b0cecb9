#include "link/controllerlink.h"

#include "link/exchange.h"
#include "link/localclock.h"
#include "link/serialtransport.h"
#include "link/tcptransport.h"
#include "link/wirelog.h"

#include <QElapsedTimer>

#include <algorithm>

namespace {

// What an exchange meets when no link is open: it takes nothing and says so.
class ClosedTransport : public Transport
{
public:
    explicit ClosedTransport(const LinkSettings &settings)
        : m_settings(settings)
    {
    }
    bool open(OpenFailure *, QString *) override { return false; }
    void close() override { }
    bool isOpen() const override { return false; }
    ExchangeLimits defaultLimits() const override
    {
        return m_settings.isNet() ? ExchangeLimits::tcp() : ExchangeLimits::serial();
    }
    QString description() const override { return ControllerLink::makeTransport(m_settings)->description(); }
    IoResult discardInput() override { return { Io::Closed, 0, QString() }; }
    IoResult write(QByteArrayView, int) override { return { Io::Closed, 0, QString() }; }
    IoResult read(char *, qsizetype, int) override { return { Io::Closed, 0, QString() }; }

private:
    const LinkSettings &m_settings;
};

QString kindName(const ExchangeEvent &event)
{
    switch (event.kind) {
    case ExchangeEvent::Kind::LinkOpened: return QStringLiteral("opened");
    case ExchangeEvent::Kind::LinkClosed: return QStringLiteral("closed");
    case ExchangeEvent::Kind::Exchange: break;
    }
    return verdictName(event.verdict);
}

} // namespace

ControllerLink::ControllerLink()
    : ControllerLink(&ControllerLink::makeTransport)
{
}

ControllerLink::ControllerLink(TransportFactory factory)
    : m_factory(std::move(factory))
{
}

ControllerLink::~ControllerLink()
{
    if (m_opened)
        close();
}

void ControllerLink::setTransportFactory(TransportFactory factory)
{
    m_factory = factory ? std::move(factory) : TransportFactory(&ControllerLink::makeTransport);
}

std::unique_ptr<Transport> ControllerLink::makeTransport(const LinkSettings &settings)
{
    if (settings.isNet())
        return std::make_unique<TcpTransport>(settings.hostAddress, settings.hostPort);
    return std::make_unique<SerialTransport>(settings.portName, settings.lineMode);
}

bool ControllerLink::isOpen() const
{
    return m_transport && m_transport->isOpen();
}

QString ControllerLink::description() const
{
    return m_transport ? m_transport->description() : QString();
}

bool ControllerLink::open(const LinkSettings &settings)
{
    if (m_opened)
        close();
    m_settings = settings;
    m_lost = false;
    m_transport = m_factory(settings);
    const bool ok = openTransport();
    if (!ok)
        m_transport.reset();
    return ok;
}

bool ControllerLink::reopen()
{
    if (isOpen())
        return true;
    if (m_transport && m_opened) {
        // What is left of a serial device that went away is let go of first, and said.
        const QString link = m_transport->description();
        m_transport->close();
        m_opened = false;
        if (observed()) {
            ExchangeEvent event;
            event.kind = ExchangeEvent::Kind::LinkClosed;
            event.time = LocalClock::now();
            event.link = link;
            event.detail = openFailureText();
            notify(std::move(event));
        }
    }
    const OpenFailure before = m_openFailure;
    const QString beforeDetail = m_openFailureDetail;
    m_transport = m_factory(m_settings);
    const bool ok = openTransport();
    if (ok)
        m_lost = false;
    // An adapter still away is still the adapter that was removed, not a port never there.
    else if (before == OpenFailure::DeviceRemoved && m_openFailure == OpenFailure::NoSuchPort) {
        m_openFailure = before;
        m_openFailureDetail = beforeDetail;
    }
    return ok;
}

// Opens the transport there is and tells the observers how that went.
bool ControllerLink::openTransport()
{
    m_openFailure = OpenFailure::None;
    m_openFailureDetail.clear();
    const QDateTime started = observed() ? LocalClock::now() : QDateTime();
    const bool ok = m_transport->open(&m_openFailure, &m_openFailureDetail);
    if (!ok && m_openFailure == OpenFailure::None)
        m_openFailure = OpenFailure::PortError;
    m_opened = ok;
    if (observed()) {
        ExchangeEvent event;
        event.kind = ok ? ExchangeEvent::Kind::LinkOpened : ExchangeEvent::Kind::Exchange;
        event.time = started;
        event.link = m_transport->description();
        if (!ok) {
            event.verdict = Verdict::LinkFailed;
            event.detail = openFailureText();
        }
        notify(std::move(event));
    }
    return ok;
}

// After an exchange: a TCP connection that went away during it is closed for the observers
// now, and connected again at the next exchange.
void ControllerLink::noticeLostConnection(const Reply &reply)
{
    if (!m_opened || !m_transport || m_transport->isOpen() || !m_settings.isNet())
        return;
    m_opened = false;
    m_lost = true;
    if (observed()) {
        ExchangeEvent event;
        event.kind = ExchangeEvent::Kind::LinkClosed;
        event.time = LocalClock::now();
        event.link = m_transport->description();
        event.detail = reply.detail;
        notify(std::move(event));
    }
}

// After an exchange: a device that went away is why the link is no longer open, and is said as
// an open failure would be, so that the operation's end tells the operator.
void ControllerLink::noticeLostDevice()
{
    if (!m_transport || m_transport->lostBecause() == OpenFailure::None)
        return;
    m_openFailure = m_transport->lostBecause();
    m_openFailureDetail = m_settings.portName;
}

void ControllerLink::close()
{
    if (!m_transport)
        return;
    const QString link = m_transport->description();
    m_transport->close();
    m_transport.reset();
    m_lost = false;
    if (m_opened && observed()) {
        ExchangeEvent event;
        event.kind = ExchangeEvent::Kind::LinkClosed;
        event.time = LocalClock::now();
        event.link = link;
        notify(std::move(event));
    }
    m_opened = false;
}

QString ControllerLink::openFailureText() const
{
    return ::openFailureText(m_openFailure, m_openFailureDetail);
}

void ControllerLink::setLimits(const ExchangeLimits &limits)
{
    m_customLimits = true;
    m_limits = limits;
}

void ControllerLink::useDefaultLimits()
{
    m_customLimits = false;
}

ExchangeLimits ControllerLink::limits() const
{
    if (m_customLimits)
        return m_limits;
    return m_transport ? m_transport->defaultLimits() : ClosedTransport(m_settings).defaultLimits();
}

void ControllerLink::setInterrupt(std::function<bool()> interrupted)
{
    m_interrupted = std::move(interrupted);
}

QString ControllerLink::interruptedBeforeSending()
{
    return QStringLiteral("Cancelled: not sent");
}

Reply ControllerLink::exchange(QByteArrayView command)
{
    // Nothing goes out once the operation is cancelled, a connect again included.
    if (m_interrupted && m_interrupted()) {
        Reply reply;
        reply.verdict = Verdict::Refused;
        reply.detail = interruptedBeforeSending();
        reportRefused(command.toByteArray(), reply.detail);
        return reply;
    }
    if (m_lost && !openTransport()) {
        Reply reply;
        reply.verdict = Verdict::LinkFailed;
        reply.detail = openFailureText();
        return reply;
    }
    m_lost = false;
    // Without a transport the exchange still checks the frame, so a text too long says so.
    ClosedTransport none(m_settings);
    Transport &transport = m_transport ? *m_transport : none;
    const ExchangeLimits limits = m_customLimits ? m_limits : transport.defaultLimits();
    const bool watched = observed() || lcWire().isDebugEnabled();
    if (!watched) {
        Reply reply = Exchange::run(transport, command, limits, nullptr, nullptr, m_interrupted);
        noticeLostConnection(reply);
        noticeLostDevice();
        return reply;
    }

    ExchangeEvent event;
    event.time = LocalClock::now();
    event.link = transport.description();
    QElapsedTimer clock;
    clock.start();
    Reply reply = Exchange::run(transport, command, limits, &event.request, &event.reply, m_interrupted);
    if (reply.verdict != Verdict::Refused && reply.verdict != Verdict::LinkFailed)
        event.roundTripUs = clock.nsecsElapsed() / 1000;
    if (event.request.isEmpty())
        event.request = command.toByteArray();
    event.verdict = reply.verdict;
    event.detail = reply.detail;
    notify(std::move(event));
    noticeLostConnection(reply);
    noticeLostDevice();
    return reply;
}

void ControllerLink::addObserver(ExchangeObserver *observer)
{
    if (observer && std::find(m_observers.begin(), m_observers.end(), observer) == m_observers.end())
        m_observers.push_back(observer);
}

void ControllerLink::removeObserver(ExchangeObserver *observer)
{
    m_observers.erase(std::remove(m_observers.begin(), m_observers.end(), observer), m_observers.end());
}

void ControllerLink::reportRefused(const QByteArray &what, const QString &why)
{
    if (!observed())
        return;
    ExchangeEvent event;
    event.time = LocalClock::now();
    event.link = m_transport ? m_transport->description() : QString();
    event.request = what;
    event.verdict = Verdict::Refused;
    event.detail = why;
    notify(std::move(event));
}

bool ControllerLink::observed() const
{
    return !m_observers.empty() || lcWire().isDebugEnabled();
}

void ControllerLink::notify(ExchangeEvent &&event)
{
    if (lcWire().isDebugEnabled()) {
        qCDebug(lcWire).noquote() << event.link << kindName(event) << event.request.toHex(' ')
                                  << "->" << event.reply.toHex(' ') << event.roundTripUs << "us" << event.detail;
    }
    // An observer may remove itself while being told.
    const std::vector<ExchangeObserver *> observers = m_observers;
    for (ExchangeObserver *observer : observers)
        observer->exchangeEnded(event);
}
