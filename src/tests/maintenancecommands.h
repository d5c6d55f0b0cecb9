#pragma once

#include "commandframe.h"

#include <QByteArray>

// Command texts that act on the controller as a whole. Both are answered with a plain
// acknowledgement, the only reply that counts as done.
class MaintenanceCommands
{
public:
    static constexpr int AcceptedReplyLength = CommandFrame::AckLength;

    // "AJ99" for a controller on the network (the "NET" box), "AJ" otherwise.
    static QByteArray reboot(bool net) { return net ? QByteArrayLiteral("AJ99") : QByteArrayLiteral("AJ"); }
    // "AI": back to the factory parameters.
    static QByteArray initial() { return QByteArrayLiteral("AI"); }
};
