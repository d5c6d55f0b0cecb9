#include "controllerbus.h"

ControllerBus::ControllerBus(const SimOptions &options)
    : m_anyId(options.anyId)
{
    if (options.bus.isEmpty()) {
        m_controllers.emplace_back(options);
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
}

QList<ControllerBus::Answer> ControllerBus::handle(const QByteArray &command)
{
    QList<Answer> answers;
    for (ControllerModel &controller : m_controllers) {
        const QByteArray named = command.left(3);
        const std::optional<ControllerModel::Reply> reply = controller.handle(command);
        if (!reply)
            continue;
        // A controller answering for any ID still signs with its own when asked by another.
        answers.append({ named == controller.id() || !m_anyId ? named : controller.id(), *reply });
    }
    return answers;
}
