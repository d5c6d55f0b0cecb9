#pragma once

#include "protocol/commandframe.h"

#include <QByteArray>

// Command texts that act on the controller as a whole. Both are answered with a plain
// acknowledgement, the only reply that counts as done.
class MaintenanceCommands
{
public:
    static constexpr int AcceptedReplyLength = CommandFrame::AckLength;

    // The plain restart; also what follows a parameter write that takes effect only then.
    static QByteArray restart() { return QByteArrayLiteral("AJ"); }
    // "AJ99" for a controller on the network (the "NET" box), the plain restart otherwise.
    static QByteArray reboot(bool net) { return net ? QByteArrayLiteral("AJ99") : restart(); }
    // "AI": back to the factory parameters.
    static QByteArray initial() { return QByteArrayLiteral("AI"); }
};
