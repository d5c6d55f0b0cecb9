#include "simtransport.h"

#include "inprocesssim.h"
#include "replyaction.h"

#include <algorithm>

namespace {

// zu42sim ends an endless reply after this long, whoever listens.
constexpr qint64 EndlessForMs = 30000;

} // namespace

SimTransport::SimTransport(std::shared_ptr<InProcessSim> sim, const LinkSettings &settings)
    : m_sim(std::move(sim))
    , m_settings(settings)
{
}

SimTransport::~SimTransport()
{
    close();
}

bool SimTransport::open(OpenFailure *failure, QString *detail)
{
    if (m_sim->stopped()) {
        *failure = m_settings.isNet() ? OpenFailure::ConnectionRefused : OpenFailure::NoSuchPort;
        *detail = QStringLiteral("the simulated controller is stopped");
        return false;
    }
    if (m_sim->unplugged() && !m_settings.isNet()) {
        *failure = OpenFailure::NoSuchPort;
        *detail = m_settings.portName;
        return false;
    }
    m_vanished = false;
    ++m_sim->opens;
    m_open = true;
    m_closing = false;
    m_requests.clear();
    m_due.clear();
    return true;
}

void SimTransport::close()
{
    if (m_open)
        ++m_sim->closes;
    m_open = false;
    m_due.clear();
}

ExchangeLimits SimTransport::defaultLimits() const
{
    return m_settings.isNet() ? ExchangeLimits::tcp() : ExchangeLimits::serial();
}

QString SimTransport::description() const
{
    return m_settings.isNet() ? m_settings.hostAddress + u':' + m_settings.hostPort
                              : m_settings.portName + u' ' + m_settings.lineMode;
}

Transport::IoResult SimTransport::discardInput()
{
    if (!m_open)
        return { Io::Closed, 0, QStringLiteral("not open") };
    // What has arrived by now goes; what is still on its way is not input yet.
    for (const Due &due : std::as_const(m_due)) {
        if (due.atMs > m_nowMs)
            break;
        if (due.hangUp) {
            close();
            return { Io::Closed, 0, QStringLiteral("the simulated controller hung up") };
        }
    }
    m_due.erase(std::remove_if(m_due.begin(), m_due.end(), [this](const Due &d) { return d.atMs <= m_nowMs; }),
                m_due.end());
    return {};
}

Transport::IoResult SimTransport::write(QByteArrayView data, int)
{
    if (!m_open)
        return { Io::Closed, 0, QStringLiteral("not open") };
    m_sim->received(data.size());
    // The clock starts again at the send; a reply still on its way keeps its distance, and a
    // new request ends an endless one.
    for (Due &due : m_due)
        due.atMs = std::max<qint64>(0, due.atMs - m_nowMs);
    m_nowMs = 0;
    m_horizonMs = -1;
    m_due.erase(std::remove_if(m_due.begin(), m_due.end(), [](const Due &d) { return d.endless; }), m_due.end());

    m_requests.add(data.toByteArray());
    for (QByteArray frame = m_requests.next(); !frame.isEmpty() && !m_closing; frame = m_requests.next()) {
        if (!m_settings.isNet() && m_sim->vanishesOn()) {
            // Gone before it could answer: the device, and the line with it.
            m_vanished = true;
            m_closing = true;
            add({ 0, QByteArray(), true });
            break;
        }
        const SimResponder::Result result = m_sim->responder().handle(frame, m_settings.isNet());
        m_sim->logged(result.crcOk, result.logged);
        if (m_sim->rewrite()) {
            if (result.crcOk) {
                const QByteArray reply = result.replies.isEmpty() ? QByteArray() : result.replies.first().bytes;
                ReplyAction instead;
                instead.bytes = m_sim->rewrite()(result.logged, reply);
                if (!instead.bytes.isEmpty())
                    schedule(instead);
            }
        } else {
            for (const ReplyAction &action : result.replies) {
                if (m_closing)
                    break;
                schedule(action);
            }
        }
        if (result.crcOk && !m_closing && m_sim->hangsUpAfter(result.logged)) {
            add({ 0, QByteArray(), true });
            m_closing = true;
        }
    }
    return { Io::Ok, data.size(), QString() };
}

void SimTransport::add(const Due &due)
{
    const auto at = std::upper_bound(m_due.begin(), m_due.end(), due.atMs,
                                     [](qint64 atMs, const Due &d) { return atMs < d.atMs; });
    m_due.insert(at, due);
}

void SimTransport::schedule(const ReplyAction &action)
{
    switch (action.kind) {
    case ReplyAction::Kind::Send:
    case ReplyAction::Kind::Silence:
        add({ 0, action.bytes });
        return;
    case ReplyAction::Kind::Delay:
        add({ action.delayMs, action.bytes });
        return;
    case ReplyAction::Kind::Split:
        for (qsizetype offset = 0, n = 0; offset < action.bytes.size(); offset += action.chunk, ++n)
            add({ n * action.gapMs, action.bytes.mid(offset, action.chunk) });
        return;
    case ReplyAction::Kind::Endless:
        add({ 0, action.bytes, false, true });
        for (qint64 at = action.gapMs; action.gapMs > 0 && at <= EndlessForMs; at += action.gapMs)
            add({ at, QByteArrayLiteral("7"), false, true });
        return;
    case ReplyAction::Kind::HangUp:
        add({ 0, action.bytes });
        add({ action.delayMs, QByteArray(), true });
        m_closing = true;
        return;
    }
}

Transport::IoResult SimTransport::read(char *buffer, qsizetype capacity, int timeoutMs)
{
    if (!m_open)
        return { Io::Closed, 0, QStringLiteral("not open") };
    // The first wait after a send is the exchange's whole limit on TCP; on a line it is the idle
    // limit, and the whole one is the line's own.
    if (m_horizonMs < 0)
        m_horizonMs = m_settings.isNet() ? timeoutMs : std::max(timeoutMs, defaultLimits().overallMs);
    const bool due = !m_due.isEmpty() && m_due.first().atMs - m_nowMs <= timeoutMs && m_due.first().atMs <= m_horizonMs;
    if (!due) {
        m_nowMs += timeoutMs;
        return { Io::TimedOut, 0, QString() };
    }
    Due &next = m_due.first();
    m_nowMs = std::max(m_nowMs, next.atMs);
    if (next.hangUp) {
        close();
        return { Io::Closed, 0, m_vanished ? QStringLiteral("the simulated adapter was pulled out")
                                           : QStringLiteral("the simulated controller hung up") };
    }
    const qsizetype n = std::min<qsizetype>(capacity, next.bytes.size());
    std::copy_n(next.bytes.constData(), n, buffer);
    next.bytes.remove(0, n);
    if (next.bytes.isEmpty())
        m_due.removeFirst();
    return { Io::Ok, n, QString() };
}
