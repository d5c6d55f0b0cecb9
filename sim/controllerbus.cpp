#include "controllerbus.h"

ControllerBus::ControllerBus(const SimOptions &options)
    : m_anyId(options.anyId)
{
    if (options.bus.isEmpty()) {
        m_controllers.emplace_back(options);
        m_dead.assign(1, false);
        m_waiting.assign(1, false);
        m_diesAtRestart.assign(1, options.deadAfterRestart.contains(options.id));
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
    m_waiting.assign(m_controllers.size(), false);
    m_diesAtRestart.assign(m_controllers.size(), false);
    for (qsizetype i = 0; i < options.bus.size(); ++i) {
        m_waiting[std::size_t(i)] = options.bus[i].spare;
        m_diesAtRestart[std::size_t(i)] = !options.bus[i].spare && options.deadAfterRestart.contains(options.bus[i].id);
    }
    connectNextNewUnit();
}

// The installer connects the next new unit once none is left at 000.
void ControllerBus::connectNextNewUnit()
{
    for (std::size_t i = 0; i < m_controllers.size(); ++i)
        if (!m_waiting[i] && !m_dead[i] && m_controllers[i].id() == "000")
            return;
    for (std::size_t i = 0; i < m_controllers.size(); ++i) {
        if (m_waiting[i]) {
            m_waiting[i] = false;
            return;
        }
    }
}

QList<ControllerBus::Answer> ControllerBus::handle(const QByteArray &command)
{
    QList<Answer> answers;
    for (std::size_t i = 0; i < m_controllers.size(); ++i) {
        ControllerModel &controller = m_controllers[i];
        if (m_dead[i] || m_waiting[i])
            continue;
        const QByteArray named = command.left(3);
        const std::optional<ControllerModel::Reply> reply = controller.handle(command);
        if (!reply)
            continue;
        if (command.mid(3).startsWith("AJ") && m_diesAtRestart[i])
            m_dead[i] = true;

        // A controller answering for any ID still signs with its own when asked by another.
        answers.append({ named == controller.id() || !m_anyId ? named : controller.id(), *reply });
    }
    // After the request: a unit connected now did not hear it.
    if (command.mid(3).startsWith("AC"))
        connectNextNewUnit();
    return answers;
}
