#pragma once

#include "link/adapteridentity.h"
#include "link/serialportentry.h"

#include <QList>
#include <QString>
#include <functional>
#include <optional>

class ControllerSession;

// A batch whose serial adapter was pulled out goes on when the adapter is plugged in again
// within a minute: the link is opened again on the port the adapter is back on (its name may
// have changed), and the operator is asked once whether to go on. Waiting blocks in the system
// between looks at the device list; nothing spins.
class LinkRecovery
{
public:
    static constexpr int WithinMs = 60000;
    static constexpr int LookEveryMs = 250;

    struct Hooks
    {
        // The serial ports present now.
        std::function<QList<SerialPortEntry>()> ports;
        // Waits ms (a window paints meanwhile); false when the operator gives up the wait.
        std::function<bool(int ms)> pause = &LinkRecovery::sleep;
        // Asked once, with the port the adapter is back on: whether to go on.
        std::function<bool(const QString &port)> goOn;
    };

    struct Result
    {
        bool resumed = false; // the link is open again and the batch goes on
        QString port;         // where the adapter came back; empty when it did not
        bool asked = false;   // the operator was asked (and said no when not resumed)
    };

    // Whether the session's last exchange lost its serial adapter.
    static bool lost(const ControllerSession &session);
    // What tells the adapter behind portName apart, from the ports listed when the batch began
    // (portName may be the port's name, its device or its stable path).
    static AdapterIdentity identityOf(const QString &portName, const QList<SerialPortEntry> &ports);
    // Where to try to open: the adapter's present name when it is listed; portName itself when
    // nothing tells the adapter apart (a built-in port, a pseudo-terminal); nothing when the
    // adapter is not listed.
    static std::optional<QString> lookFor(const QString &portName, const AdapterIdentity &adapter,
                                          const QList<SerialPortEntry> &ports);

    // After lost(): looks for the adapter every LookEveryMs for WithinMs, opens the session's
    // link on it as soon as it opens, then asks goOn. The link is closed again on a no.
    static Result recover(ControllerSession &session, const AdapterIdentity &adapter, const Hooks &hooks);

    // The pause of a program without a window: the thread sleeps.
    static bool sleep(int ms);
};
