#include "controller/controllersession.h"

#include "controller/autotestcommands.h"
#include "controller/maintenancecommands.h"
#include "controller/pauses.h"
#include "protocol/commandtextguard.h"

#include <QThread>

ControllerSession::ControllerSession()
    : ControllerSession(&ControllerLink::makeTransport)
{
}

ControllerSession::ControllerSession(ControllerLink::TransportFactory factory)
    : m_link(std::move(factory))
    , m_pause([](int ms) { QThread::msleep(static_cast<unsigned long>(ms)); })
{
}

void ControllerSession::setProcessMessages(std::function<void()> processMessages)
{
    m_processMessages = std::move(processMessages);
}

void ControllerSession::setPause(std::function<void(int)> pause)
{
    m_pause = std::move(pause);
}

void ControllerSession::setLiveWait(std::function<void(Deadline)> wait)
{
    m_liveWait = std::move(wait);
}

void ControllerSession::processMessages()
{
    if (m_processMessages)
        m_processMessages();
}

void ControllerSession::pause(int milliseconds)
{
    if (m_pause)
        m_pause(milliseconds);
}

Reply ControllerSession::send(QByteArrayView commandAfterId)
{
    return m_link.exchange(QByteArray(m_deviceId).append(commandAfterId));
}

Identification ControllerSession::identify(const QString &scanIdText, const IdentifyHooks &hooks)
{
    Identification result;
    const QString scanLength = QString::number(IdentifyReplies::ScanReplyLength);
    std::optional<Reply> scanReply;
    for (int i = 0; i < ScanAttempts; ++i) {
        pause(Pauses::BeforeCommand);
        const std::optional<QByteArray> scan = IdentifyReplies::scanCommand(scanIdText);
        if (!scan) {
            result.why = QStringLiteral("The ID holds a frame delimiter");
            m_link.reportRefused(scanIdText.toUtf8(), result.why);
        } else {
            const Reply reply = m_link.exchange(*scan);
            if (reply.answeredWithLength(IdentifyReplies::ScanReplyLength)) {
                scanReply = reply;
                break;
            }
            result.why = reply.why(scanLength);
        }
        if (hooks.retrying)
            hooks.retrying(ScanAttempts - i);
    }
    if (!scanReply)
        return result;

    // An ID that would end the request frame early cannot address anything; keep the old one.
    const QByteArray replyId = IdentifyReplies::deviceIdFrom(scanReply->bytes);
    if (!CommandTextGuard::isSendable(replyId)) {
        result.stage = Identification::Stage::BadId;
        result.why = QStringLiteral("The controller's ID holds a frame delimiter");
        return result;
    }
    m_deviceId = replyId;
    result.deviceId = replyId;
    if (hooks.found)
        hooks.found(replyId);

    pause(Pauses::Step);
    const Reply versionReply = send(IdentifyReplies::versionCommand());
    result.version = versionReply.ok() ? IdentifyReplies::version(versionReply.bytes, versionReply.length()) : std::nullopt;
    if (!result.version) {
        result.stage = Identification::Stage::NoVersion;
        result.why = versionReply.why(QStringLiteral("%1 or %2")
                                             .arg(IdentifyReplies::ShortVersionLength)
                                             .arg(IdentifyReplies::LongVersionLength));
        return result;
    }
    if (hooks.versionRead)
        hooks.versionRead(*result.version);

    pause(Pauses::Step);
    const Reply serialReply = send(IdentifyReplies::serialCommand());
    result.serial = serialReply.ok() ? IdentifyReplies::serial(serialReply.bytes, serialReply.length(), m_deviceId)
                                     : std::nullopt;
    if (!result.serial) {
        result.stage = Identification::Stage::NoSerial;
        result.why = serialReply.why(scanLength);
        return result;
    }
    m_serialNumber = result.serial->serialNumber;
    result.stage = Identification::Stage::Done;
    result.why.clear();
    return result;
}

Outcome ControllerSession::acknowledged(const QByteArray &command)
{
    processMessages();
    pause(Pauses::BeforeCommand);
    const Reply reply = send(command);
    if (reply.answeredWithLength(MaintenanceCommands::AcceptedReplyLength))
        return Outcome::done(reply);
    return Outcome::failed(reply, QString::number(MaintenanceCommands::AcceptedReplyLength));
}

Outcome ControllerSession::reboot(bool net)
{
    return acknowledged(MaintenanceCommands::reboot(net));
}

Outcome ControllerSession::setInitial()
{
    return acknowledged(MaintenanceCommands::initial());
}

Reply ControllerSession::freeCommand(const QByteArray &bytes)
{
    pause(Pauses::BeforeCommand);
    return send(bytes);
}

Outcome ControllerSession::run(const CommandPlan &plan)
{
    if (plan.refused()) {
        m_link.reportRefused(QByteArray(), plan.refusal);
        Reply reply;
        reply.verdict = Verdict::Refused;
        reply.detail = plan.refusal;
        return { false, plan.refusal, reply };
    }
    Reply reply;
    for (const QByteArray &command : plan.commands) {
        processMessages();
        pause(Pauses::BeforeCommand);
        reply = send(command);
        if (!reply.ok())
            return Outcome::failed(reply);
    }
    return Outcome::done(reply);
}

ControllerSession::ReadBackResult ControllerSession::readBack(const std::function<void(const ReadBack::First &)> &firstRead)
{
    ReadBackResult result;
    processMessages();
    pause(Pauses::BeforeCommand);
    const Reply first = send(ReadBack::firstCommand());
    if (first.ok())
        result.first = ReadBack::parseFirst(first.bytes, first.length());
    if (result.first && firstRead)
        firstRead(*result.first);

    processMessages();
    pause(Pauses::BeforeCommand);
    const Reply second = send(ReadBack::secondCommand());
    if (second.ok())
        result.second = ReadBack::parseSecond(second.bytes, second.length());
    if (!result.ok())
        result.why = second.why();
    return result;
}

Reply ControllerSession::autoTestStart(const QDateTime &now)
{
    const Reply reply = send(AutoTestCommands::setClock(now));
    m_stepMark = std::chrono::steady_clock::now();
    autoTestWait(Pauses::Step);
    return reply;
}

void ControllerSession::autoTestPass(std::array<bool, 4> &lastSent, AutoTestWatch &watch, AutoTestPanel &panel)
{
    processMessages();
    const std::array<bool, 4> wanted = panel.outputs();
    for (int i = 0; i < AutoTestCommands::OutputCount; ++i) {
        const std::size_t n = std::size_t(i);
        if (wanted[n] == lastSent[n])
            continue;
        // Nothing goes out while the link is away: the switch is sent when it is back.
        if (autoTestSend(*AutoTestCommands::switchOutput(i + 1, wanted[n]), watch).verdict == Verdict::LinkFailed)
            continue;
        lastSent[n] = wanted[n];
        autoTestWait(Pauses::BeforeCommand);
    }
    processMessages();
    autoTestWait(Pauses::Step);
    const Reply inputs = autoTestReadInputs(watch, panel);
    processMessages();
    autoTestWait(Pauses::Step);
    const Reply extra = autoTestReadExtraInputs(watch, panel);

    const QStringList silentBefore = watch.silentCommands();
    const QString whyBefore = watch.why();
    watch.passEnded(inputs.ok(), extra.ok(), extra.ok() ? inputs.detail : extra.detail);
    if (watch.inputsUnknown() && !silentBefore.contains(QString::fromLatin1(AutoTestCommands::readInputs())))
        panel.showInputsUnknown();
    if (watch.extraInputsUnknown() && !silentBefore.contains(QString::fromLatin1(AutoTestCommands::readExtraInputs())))
        panel.showExtraInputsUnknown();
    const bool silent = watch.notAnswering() || !silentBefore.isEmpty();
    if (silent && (watch.silentCommands() != silentBefore || watch.why() != whyBefore))
        panel.showSilence(watch);
    autoTestWait(Pauses::Step);
}

Reply ControllerSession::autoTestSend(QByteArrayView commandAfterId, AutoTestWatch &watch)
{
    if (!m_link.isOpen()) {
        Reply none;
        none.verdict = Verdict::LinkFailed;
        if (watch.reopenDue()) {
            watch.reopenTried();
            if (m_link.reopen())
                return autoTestSend(commandAfterId, watch);
        }
        none.detail = m_link.openFailureText();
        if (none.detail.isEmpty())
            none.detail = QStringLiteral("The link is not open");
        return none;
    }
    const Reply reply = send(commandAfterId);
    m_stepMark = std::chrono::steady_clock::now();
    return reply;
}

void ControllerSession::autoTestWait(int milliseconds)
{
    using namespace std::chrono;
    const Deadline deadline = m_stepMark + std::chrono::milliseconds(milliseconds);
    if (m_liveWait) {
        m_liveWait(deadline);
    } else {
        const auto left = duration_cast<microseconds>(deadline - steady_clock::now()).count();
        if (left > 0)
            pause(int((left + 500) / 1000));
    }
    // The next wait counts from here even when this one woke late, so a late wake-up is not
    // carried from pass to pass; the gap before the next command is never less than asked.
    m_stepMark = deadline;
}

Reply ControllerSession::autoTestReadInputs(AutoTestWatch &watch, AutoTestPanel &panel)
{
    // A failed exchange or a reply of another length leaves the panel as it was.
    const Reply reply = autoTestSend(AutoTestCommands::readInputs(), watch);
    if (!reply.ok())
        return reply;
    const auto inputs = AutoTestReplies::inputs(reply.bytes, reply.length());
    if (!inputs)
        return reply;
    panel.showInputs(*inputs);
    if (!inputs->recordText)
        return reply;
    panel.showRecord(*inputs->recordText);
    autoTestWait(Pauses::BeforeCommand);
    processMessages();
    autoTestSend(AutoTestCommands::recordShown(), watch);
    autoTestWait(Pauses::BeforeCommand);
    return reply;
}

Reply ControllerSession::autoTestReadExtraInputs(AutoTestWatch &watch, AutoTestPanel &panel)
{
    const Reply reply = autoTestSend(AutoTestCommands::readExtraInputs(), watch);
    if (!reply.ok())
        return reply;
    if (const auto states = AutoTestReplies::extraInputs(reply.bytes, reply.length()))
        panel.showExtraInputs(*states);
    return reply;
}

Reply ControllerSession::autoTestEnd(AutoTestWatch &watch)
{
    return autoTestSend(AutoTestCommands::endTest(), watch);
}
