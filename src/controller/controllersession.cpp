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
    pause(Pauses::Step);
    return reply;
}

void ControllerSession::autoTestPass(std::array<bool, 4> &lastSent, AutoTestPanel &panel)
{
    processMessages();
    const std::array<bool, 4> wanted = panel.outputs();
    for (int i = 0; i < AutoTestCommands::OutputCount; ++i) {
        const std::size_t n = std::size_t(i);
        if (wanted[n] == lastSent[n])
            continue;
        lastSent[n] = wanted[n];
        send(*AutoTestCommands::switchOutput(i + 1, wanted[n]));
        pause(Pauses::BeforeCommand);
    }
    processMessages();
    pause(Pauses::Step);
    autoTestReadInputs(panel);
    processMessages();
    pause(Pauses::Step);
    autoTestReadExtraInputs(panel);
    pause(Pauses::Step);
}

void ControllerSession::autoTestReadInputs(AutoTestPanel &panel)
{
    // A failed exchange or a reply of another length leaves the panel as it was.
    const Reply reply = send(AutoTestCommands::readInputs());
    if (!reply.ok())
        return;
    const auto inputs = AutoTestReplies::inputs(reply.bytes, reply.length());
    if (!inputs)
        return;
    panel.showInputs(*inputs);
    if (!inputs->recordText)
        return;
    panel.showRecord(*inputs->recordText);
    pause(Pauses::BeforeCommand);
    processMessages();
    send(AutoTestCommands::recordShown());
    pause(Pauses::BeforeCommand);
}

void ControllerSession::autoTestReadExtraInputs(AutoTestPanel &panel)
{
    const Reply reply = send(AutoTestCommands::readExtraInputs());
    if (!reply.ok())
        return;
    if (const auto states = AutoTestReplies::extraInputs(reply.bytes, reply.length()))
        panel.showExtraInputs(*states);
}

Reply ControllerSession::autoTestEnd()
{
    return send(AutoTestCommands::endTest());
}
