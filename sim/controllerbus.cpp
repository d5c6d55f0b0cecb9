#include "controllerbus.h"

ControllerBus::ControllerBus(const SimOptions &options)
    : m_deadAfterRestart(options.deadAfterRestart)
    , m_anyId(options.anyId)
{
    if (options.bus.isEmpty()) {
        m_controllers.emplace_back(options);
        m_dead.assign(1, false);
        return;
    }
    m_controllers.reserve(std::size_t(options.bus.size()));
    for (const BusMember &member : options.bus) {
        SimOptions own = options;
        own.id = member.id;
        own.serial = member.serial;
        own.version = member.version;
        m_controllers.emplace_back(own);
    }
    m_dead.assign(m_controllers.size(), false);
}

QList<ControllerBus::Answer> ControllerBus::handle(const QByteArray &command)
{
    QList<Answer> answers;
    for (std::size_t i = 0; i < m_controllers.size(); ++i) {
        ControllerModel &controller = m_controllers[i];
        if (m_dead[i])
            continue;
        const QByteArray named = command.left(3);
        const QByteArray ownId = controller.id();
        const std::optional<ControllerModel::Reply> reply = controller.handle(command);
        if (!reply)
            continue;
        if (command.mid(3).startsWith("AJ") && m_deadAfterRestart.contains(ownId))
            m_dead[i] = true;
        // A controller answering for any ID still signs with its own when asked by another.
        answers.append({ named == controller.id() || !m_anyId ? named : controller.id(), *reply });
    }
    return answers;
}
