#include "simulator.h"

namespace {

// What the window's link page says for an in-process simulator: any TCP address does.
constexpr quint16 InProcessPort = 5003;

} // namespace

Simulator::Simulator(const QStringList &arguments, Wiring wiring)
    : m_wiring(wiring)
    , m_arguments(arguments)
{
    if (wiring != Wiring::InProcess)
        m_process = std::make_unique<SimProcess>(arguments, wiring == Wiring::Pty);
}

bool Simulator::start()
{
    if (m_process)
        return m_process->start();
    QString error;
    m_model = InProcessSim::create(m_arguments, &error);
    if (!m_model)
        qWarning("zu42sim arguments refused: %s", qPrintable(error));
    return m_model != nullptr;
}

void Simulator::stop()
{
    if (m_process)
        m_process->stop();
    else if (m_model)
        m_model->stop();
}

QString Simulator::unavailable(Wiring wiring)
{
    return wiring == Wiring::Pty ? SimProcess::serialLineUnavailable() : QString();
}

QList<QByteArray> Simulator::requests() const
{
    if (m_process)
        return m_process->requests();
    return m_model ? m_model->requests() : QList<QByteArray>();
}

QList<bool> Simulator::requestsCrcOk() const
{
    if (m_process)
        return m_process->requestsCrcOk();
    return m_model ? m_model->requestsCrcOk() : QList<bool>();
}

void Simulator::clearRequests()
{
    if (m_process)
        m_process->clearRequests();
    else if (m_model)
        m_model->clearRequests();
}

LinkSettings Simulator::linkSettings() const
{
    if (m_wiring == Wiring::Pty)
        return LinkSettings::serial(ptyPath(), QStringLiteral("19200,e,8,1"));
    return LinkSettings::tcp(QStringLiteral("127.0.0.1"), QString::number(port()));
}

ControllerLink::TransportFactory Simulator::factory() const
{
    return m_model ? m_model->factory() : ControllerLink::TransportFactory();
}

quint16 Simulator::port() const
{
    return m_process ? m_process->port() : InProcessPort;
}

QString Simulator::ptyPath() const
{
    return m_process ? m_process->ptyPath() : QString();
}
