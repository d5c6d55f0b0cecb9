#pragma once

// Scripted answers for the in-process simulator: byte for byte what a controller sends back for
// each command, for what its command line cannot ask for (a reply under another ID, replies
// garbled or cut at a given byte, silence at a given request, a jig wired otherwise). The link
// meets it through SimTransport, as any simulated controller.

#include "inprocesssim.h"
#include "protocol/commandframe.h"
#include "simtransport.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <functional>
#include <memory>

struct ControllerScript
{
    // What the controller sends back for a command text (ID included): a reply frame, other
    // bytes, or nothing at all (silence). hangUpAfter names commands after which the line goes away.
    std::function<QByteArray(const QByteArray &command)> answer;
    QList<QByteArray> hangUpAfter;
    bool openFails = false;

    QList<QByteArray> sent; // command texts, in order
    // The simulator the script plays on; it counts the opens and closes.
    std::shared_ptr<InProcessSim> sim = InProcessSim::create({});

    // A plain controller with ID "000": the data of each command's reply by its letters after
    // the ID ("AS" -> "24010042"), the acknowledgement for the rest.
    static std::shared_ptr<ControllerScript> withReplies(const QMap<QByteArray, QByteArray> &data,
                                                         const QByteArray &id = "000")
    {
        auto script = std::make_shared<ControllerScript>();
        script->answer = [data, id](const QByteArray &command) -> QByteArray {
            // The ID is whatever comes before the command letters ("7AS" scans for ID 7).
            qsizetype start = 0;
            while (start < command.size() && (command[start] < 'A' || command[start] > 'Z'))
                ++start;
            const QByteArray letters = command.mid(start);
            for (auto it = data.cbegin(); it != data.cend(); ++it)
                if (letters.startsWith(it.key()))
                    return it.value().isNull() ? QByteArray() : CommandFrame::encodeReply(id, letters.left(2), it.value());
            return CommandFrame::encodeReply(id, letters.left(2), QByteArray());
        };
        return script;
    }

    // The simulator with this script in force: its answers, its hang-ups, its refused open.
    std::shared_ptr<InProcessSim> playedOn()
    {
        // The simulator belongs to the script, so the rewrite cannot outlive it.
        sim->setRewrite([this](const QByteArray &command, const QByteArray &) {
            sent.append(command);
            return answer ? answer(command) : QByteArray();
        });
        sim->setHangUpAfter(hangUpAfter);
        if (openFails)
            sim->stop();
        return sim;
    }

    // A link's transports on the script, whatever the settings name.
    static ControllerLink::TransportFactory factory(std::shared_ptr<ControllerScript> script)
    {
        return [script](const LinkSettings &settings) {
            return std::make_unique<SimTransport>(script->playedOn(), settings);
        };
    }
};
