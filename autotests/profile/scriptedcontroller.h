#pragma once

// A controller with a parameter memory, played as a script on the in-process simulator: answers the
// scan, the version, parameter reads and writes, and acknowledges the rest. Fast unit tests of
// the profile procedures run on it; the same procedures run against zu42sim elsewhere.

#include "controllerscript.h"

#include <QSet>

struct ScriptedController
{
    QByteArray id = "001";
    QByteArray version = "ZO425V05";
    QByteArray memory = QByteArray(0x100, '\0');
    QSet<int> ignoredWrites;     // addresses whose writes are acknowledged but not kept
    QList<QByteArray> silentFor; // command letters that get no answer
    int silentAfterRestart = 0;  // requests left unanswered after each "AJ", as a restart does
    int silentLeft = 0;

    ScriptedController()
    {
        const std::pair<int, quint8> factory[] = { { 0x0A, 0 }, { 0x0B, 2 }, { 0x0C, 0 }, { 0x0D, 1 }, { 0x0E, 0 },
                                                   { 0x15, 1 }, { 0x16, 0x18 }, { 0x17, 10 }, { 0x1B, 2 }, { 0x1C, 1 },
                                                   { 0x1D, 1 }, { 0x86, 0 }, { 0x87, 20 }, { 0x88, 0 }, { 0x8A, 0 },
                                                   { 0x8B, 1 }, { 0x8C, 0 }, { 0x8D, 0 } };
        for (const auto &[address, value] : factory)
            memory[address] = char(value);
    }

    QByteArray answer(const QByteArray &command)
    {
        if (!command.startsWith(id))
            return QByteArray();
        const QByteArray body = command.mid(id.size());
        if (silentLeft > 0) {
            --silentLeft;
            return QByteArray();
        }
        if (body == "AJ")
            silentLeft = silentAfterRestart;
        for (const QByteArray &silent : std::as_const(silentFor))
            if (body.startsWith(silent))
                return QByteArray();
        const QByteArray head = body.left(2);
        if (body == "AS")
            return CommandFrame::encodeReply(id, head, "24010042");
        if (body == "AV")
            return CommandFrame::encodeReply(id, head, version);
        if (body == "AF24" || body == "AF32")
            memory[0x16] = char(body == "AF32" ? 0x20 : 0x18);
        if (body.startsWith("AT0"))
            memory[0x0D] = char(body.mid(2).toInt(nullptr, 16));
        if (body.startsWith("AP") && body.size() >= 8) {
            const int address = body.mid(2, 4).toInt(nullptr, 16);
            const int count = body.mid(6, 2).toInt(nullptr, 16);
            if (body.size() == 8) {
                QByteArray data;
                for (int i = 0; i < count; ++i)
                    data += QByteArray::number(quint8(memory[address + i]), 16).rightJustified(2, '0').toUpper();
                return CommandFrame::encodeReply(id, head, data);
            }
            for (int i = 0; i < count; ++i)
                if (!ignoredWrites.contains(address + i))
                    memory[address + i] = char(body.mid(8 + 2 * i, 2).toInt(nullptr, 16));
        }
        return CommandFrame::encodeReply(id, head, QByteArray());
    }

    // A script for the transport that answers as this controller does.
    std::shared_ptr<ControllerScript> script()
    {
        auto s = std::make_shared<ControllerScript>();
        s->answer = [this](const QByteArray &command) { return answer(command); };
        return s;
    }
};
