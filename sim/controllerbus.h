#pragma once

#include "controllermodel.h"
#include "simoptions.h"

#include <QList>
#include <QSet>
#include <vector>

// The controllers that share one line, each with a memory of its own. Only the controller a
// request names answers it; a request for an ID nobody has meets silence, as on a real bus.
class ControllerBus
{
public:
    explicit ControllerBus(const SimOptions &options);

    struct Answer
    {
        QByteArray id; // the ID the reply carries
        ControllerModel::Reply reply;
    };

    // Every controller whose ID the command names answers, in the order of the bus: after "AC"
    // has given two the same ID, both talk at once, as two on a real line would.
    QList<Answer> handle(const QByteArray &command);

    int size() const { return int(m_controllers.size()); }
    const ControllerModel &controller(int index) const { return m_controllers.at(std::size_t(index)); }

private:
    std::vector<ControllerModel> m_controllers;
    std::vector<bool> m_dead; // restarted for good: silent from then on
    std::vector<bool> m_waiting; // a new unit not yet connected
    void connectNextNewUnit();
    std::vector<bool> m_diesAtRestart; // by the ID each had at the start
    bool m_anyId;
};
