#include "controllermodel.h"

#include <cctype>

namespace {

bool parseHex(const QByteArray &text, int *value)
{
    if (text.isEmpty())
        return false;
    for (char c : text)
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
    bool ok = false;
    *value = text.toInt(&ok, 16);
    return ok;
}

} // namespace

ControllerModel::ControllerModel(const SimOptions &options)
    : m_options(options)
    , m_id(options.id)
    , m_clockOffsetMs(options.clockOffsetMs)
{
    resetParameters();
}

void ControllerModel::resetParameters()
{
    m_params = QByteArray(0x10000, '\0');
    // The factory settings match what the tool's window shows at start.
    const std::pair<int, quint8> defaults[] = {
        { 0x0A, 0 }, { 0x0B, 2 }, { 0x0C, 0 }, { 0x0D, 1 }, { 0x0E, 0 }, { 0x15, 1 }, { 0x16, 0x18 },
        { 0x17, 10 }, { 0x1B, 2 }, { 0x1C, 1 }, { 0x1D, 1 }, { 0x86, 0 }, { 0x87, 20 }, { 0x88, 0 },
        { 0x8A, 0 }, { 0x8B, 1 }, { 0x8C, 0 }, { 0x8D, 0 },
    };
    for (const auto &[address, value] : defaults)
        m_params[address] = char(value);
    for (auto it = m_options.params.cbegin(); it != m_options.params.cend(); ++it)
        m_params[it.key()] = char(it.value());
}

QByteArray ControllerModel::clockText() const
{
    return QDateTime::currentDateTime().addMSecs(m_clockOffsetMs).toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1();
}

QByteArray ControllerModel::inputs() const
{
    const JigFaults &faults = m_options.jigFaults;
    QByteArray states = m_options.inputs;
    if (m_options.jig) {
        // A dead output acknowledges its command, but its relay never closes the loop to the inputs.
        const auto driven = [&](std::size_t output) { return m_outputs[output] && !faults.deadOutputs[output] ? '1' : '0'; };
        for (std::size_t i = 0; i < 4; ++i)
            states[qsizetype(i)] = driven(i);
        states[4] = driven(2);
        states[5] = driven(3);
    }
    for (std::size_t i = 0; i < faults.stuckInputs.size(); ++i)
        if (faults.stuckInputs[i])
            states[qsizetype(i)] = faults.stuckInputs[i];
    return states;
}

std::optional<ControllerModel::Reply> ControllerModel::handle(const QByteArray &command)
{
    if (command.size() < 3)
        return std::nullopt;
    if (command.left(3) != m_id && !m_options.anyId)
        return std::nullopt;
    const QByteArray body = command.mid(3);

    // A configured reply wins over the built-in one: longest matching command prefix.
    QByteArray best;
    bool found = false;
    for (auto it = m_options.replies.cbegin(); it != m_options.replies.cend(); ++it) {
        if (it.key() != "*" && body.startsWith(it.key()) && (!found || it.key().size() > best.size())) {
            best = it.key();
            found = true;
        }
    }
    if (found)
        return Reply { body.left(2), m_options.replies.value(best) };

    const QByteArray head = body.left(2);
    if (body == "AS")
        return Reply { head, m_options.serial };
    if (body == "AV")
        return Reply { head, m_options.version };
    if (body == "AJ" || body == "AJ99" || body == "IB" || body == "JE")
        return Reply { head, {} };
    if (body == "AI") {
        resetParameters();
        return Reply { head, {} };
    }
    if (body.startsWith("AA")) {
        const QDateTime set = QDateTime::fromString(QString::fromLatin1(body.mid(2)), QStringLiteral("yyyyMMddHHmmss"));
        if (!set.isValid())
            return std::nullopt;
        // A faulty clock still acknowledges: only reading it back shows what went wrong.
        if (m_options.jigFaults.clock == JigFaults::Clock::IgnoresSetting)
            return Reply { head, {} };
        m_clockOffsetMs = QDateTime::currentDateTime().msecsTo(set);
        if (m_options.jigFaults.clock == JigFaults::Clock::Offset)
            m_clockOffsetMs += qint64(m_options.jigFaults.clockOffsetSeconds) * 1000;
        return Reply { head, {} };
    }
    if (body.startsWith("JD")) {
        if (body.size() != 4 || body[2] < '1' || body[2] > '4' || (body[3] != '0' && body[3] != '1'))
            return std::nullopt;
        m_outputs[std::size_t(body[2] - '1')] = body[3] == '1';
        return Reply { head, {} };
    }
    if (body == "IE") {
        QByteArray data = clockText() + "00" + inputs().left(4);
        // Counted round, not up, so that a soak run never overflows it.
        if (m_options.recordEvery > 0 && (m_ieCount = (m_ieCount + 1) % m_options.recordEvery) == 0)
            data += m_options.record;
        return Reply { head, data };
    }
    if (body == "DF")
        return Reply { head, inputs().mid(4, 2) };
    if (body.startsWith("AP"))
        return handleParameters(body);
    if (body.startsWith("AC")) {
        // The new ID takes effect after the acknowledgement, which still carries the old one.
        Reply reply { head, {} };
        if (body.size() == 5)
            m_id = body.mid(2);
        return reply;
    }
    // "AT0n" sets the number of title lines, which is read back from the parameter memory;
    // "AT1" and "AT2" carry the lines themselves.
    if (body.size() == 4 && body.startsWith("AT0")) {
        int lines = 0;
        if (!parseHex(body.mid(2), &lines))
            return std::nullopt;
        m_params[0x0D] = char(lines);
        return Reply { head, {} };
    }
    if (m_options.cardBitsByCommand && (body == "AF24" || body == "AF32")) {
        m_params[0x16] = char(body == "AF32" ? 0x20 : 0x18);
        return Reply { head, {} };
    }
    if (body.startsWith("AF") || body.startsWith("AE") || body.startsWith("BA") || body.startsWith("AT"))
        return Reply { head, {} };

    if (m_options.replies.contains("*"))
        return Reply { head, m_options.replies.value("*") };
    return Reply { head, {} };
}

std::optional<ControllerModel::Reply> ControllerModel::handleParameters(const QByteArray &body)
{
    int address = 0, count = 0;
    if (body.size() < 8 || !parseHex(body.mid(2, 4), &address) || !parseHex(body.mid(6, 2), &count))
        return std::nullopt;
    if (count == 0 || address + count > 0x10000)
        return std::nullopt;
    const QByteArray head = body.left(2);
    if (body.size() == 8) {
        QByteArray data;
        for (int i = 0; i < count; ++i)
            data += QByteArray::number(quint8(m_params[address + i]), 16).rightJustified(2, '0').toUpper();
        return Reply { head, data };
    }
    if (body.size() != 8 + 2 * count)
        return std::nullopt;
    for (int i = 0; i < count; ++i) {
        int value = 0;
        if (!parseHex(body.mid(8 + 2 * i, 2), &value))
            return std::nullopt;
        if (!m_options.ignoredWrites.contains(address + i))
            m_params[address + i] = char(value);
    }
    return Reply { head, {} };
}
