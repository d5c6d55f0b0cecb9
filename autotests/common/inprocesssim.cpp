#include "inprocesssim.h"

#include "simtransport.h"

std::shared_ptr<InProcessSim> InProcessSim::create(const QStringList &arguments, QString *error)
{
    return create(arguments, {}, error);
}

std::shared_ptr<InProcessSim> InProcessSim::create(const QStringList &arguments,
                                                   const std::function<void(SimOptions &)> &adjust, QString *error)
{
    QString why;
    std::optional<SimOptions> options =
        SimOptions::parse(QStringList { QStringLiteral("zu42sim") } + arguments, &why);
    if (!options) {
        if (error)
            *error = why;
        return nullptr;
    }
    if (adjust)
        adjust(*options);
    return std::make_shared<InProcessSim>(*options);
}

InProcessSim::InProcessSim(const SimOptions &options)
    : m_options(options)
    , m_responder(options)
{
}

ControllerLink::TransportFactory InProcessSim::factory()
{
    return [sim = shared_from_this()](const LinkSettings &settings) {
        return std::make_unique<SimTransport>(sim, settings);
    };
}

QList<QByteArray> InProcessSim::requests() const
{
    QList<QByteArray> out;
    for (const auto &entry : m_log)
        out.append(entry.first);
    return out;
}

QList<bool> InProcessSim::requestsCrcOk() const
{
    QList<bool> out;
    for (const auto &entry : m_log)
        out.append(entry.second);
    return out;
}
