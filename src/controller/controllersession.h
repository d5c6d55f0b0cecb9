#pragma once

#include "controller/autotestpanel.h"
#include "controller/autotestwatch.h"
#include "controller/commandplan.h"
#include "controller/identification.h"
#include "controller/outcome.h"
#include "controller/readback.h"
#include "link/controllerlink.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <array>
#include <chrono>
#include <functional>

// Everything the tool does with a controller, without a window: the link, the controller's ID
// learned by the connect, the fixed pauses between commands, and each procedure as a call that
// takes values and gives back a result. The window (or the command line) opens the link, runs
// procedures on it and closes it; the procedures never open or close it themselves.
class ControllerSession
{
public:
    ControllerSession();
    explicit ControllerSession(ControllerLink::TransportFactory factory);

    ControllerLink &link() { return m_link; }
    const ControllerLink &link() const { return m_link; }

    // In front of every command text. Learned by identify(); set here to address a known one.
    const QByteArray &deviceId() const { return m_deviceId; }
    void setDeviceId(const QByteArray &id) { m_deviceId = id; }
    // The controller's serial number as the last identify() read it.
    const QByteArray &serialNumber() const { return m_serialNumber; }

    // Where a procedure lets its caller handle what is pending (the window repaints, blinks its
    // lamp and takes the operator's clicks there). Nothing by default.
    void setProcessMessages(std::function<void()> processMessages);
    // How the fixed pauses are waited: a blocking sleep by default; tests record them instead.
    void setPause(std::function<void(int milliseconds)> pause);
    // How the automatic test waits while the window stays live: the caller handles what comes
    // until the deadline, blocked in the system between times. Unset, the pause above waits
    // out what is left to the deadline.
    using Deadline = std::chrono::steady_clock::time_point;
    void setLiveWait(std::function<void(Deadline deadline)> wait);

    bool open(const LinkSettings &settings) { return m_link.open(settings); }
    void close() { m_link.close(); }

    // The ID followed by the command letters and data, exchanged on the open link.
    Reply send(QByteArrayView commandAfterId);

    // ---- connect and identify -------------------------------------------------------------
    static constexpr int ScanAttempts = 3;
    struct IdentifyHooks
    {
        std::function<void(int attemptsLeft)> retrying; // after each scan that found nothing
        std::function<void(const QByteArray &deviceId)> found; // the ID is learned
        std::function<void(const IdentifyReplies::Version &)> versionRead;
    };
    // Scans for the controller with the ID text the operator gave (up to three times), learns
    // its ID from the answer, then reads its version and serial number.
    Identification identify(const QString &scanIdText, const IdentifyHooks &hooks = {});

    // ---- maintenance ------------------------------------------------------------------------
    // Each counts as done only when the controller gives the plain acknowledgement.
    Outcome reboot(bool net);
    Outcome setInitial();
    // The operator's own command (bytes after the ID, see FreeCommand); the reply as it came.
    Reply freeCommand(const QByteArray &bytes);

    // ---- writes -----------------------------------------------------------------------------
    // Sends a plan's commands one by one; stops at the first that is not answered. A refused
    // plan sends nothing.
    Outcome run(const CommandPlan &plan);

    // ---- read-back --------------------------------------------------------------------------
    struct ReadBackResult
    {
        std::optional<ReadBack::First> first;
        std::optional<ReadBack::Second> second;
        QString why; // when neither range came
        bool ok() const { return first || second; }
    };
    // Reads the two ranges independently: one that answers is worth having even when the
    // other does not. firstRead is told of the first range as soon as it is there.
    ReadBackResult readBack(const std::function<void(const ReadBack::First &)> &firstRead = {});

    // ---- automatic product test ---------------------------------------------------------------
    // Each wait of the test counts from the end of the exchange before it, so that what the
    // window does meanwhile (repaints, the operator's clicks, the traffic monitor's rows) falls
    // inside the wait instead of after it: the controller sees the gaps it needs, no longer.
    //
    // Sets the controller's clock to `now`; the reply is not judged.
    Reply autoTestStart(const QDateTime &now);
    // One pass: outputs switched where the panel's switches differ from lastSent, then the
    // inputs, the clock and any record are read and shown. The watch counts the answers; the
    // panel is told when the lamps of a command gone silent are no longer known, and when the
    // controller stops or starts answering again. A link that is not open is opened again as
    // the watch allows; until then nothing is sent, an output switch included.
    void autoTestPass(std::array<bool, 4> &lastSent, AutoTestWatch &watch, AutoTestPanel &panel);
    // Tells the controller the test is over; the reply is not judged.
    Reply autoTestEnd(AutoTestWatch &watch);

    // For procedures built on the session (the jig test): its pauses and message points.
    void processMessages();
    void pause(int milliseconds);

private:
    Outcome acknowledged(const QByteArray &command);
    Reply autoTestSend(QByteArrayView commandAfterId, AutoTestWatch &watch);
    void autoTestWait(int milliseconds);
    Reply autoTestReadInputs(AutoTestWatch &watch, AutoTestPanel &panel);
    Reply autoTestReadExtraInputs(AutoTestWatch &watch, AutoTestPanel &panel);

    ControllerLink m_link;
    QByteArray m_deviceId;
    QByteArray m_serialNumber;
    std::function<void()> m_processMessages;
    std::function<void(int)> m_pause;
    std::function<void(Deadline)> m_liveWait;
    Deadline m_stepMark; // where the automatic test's next wait counts from
};
