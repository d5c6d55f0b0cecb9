#include "protocol/commandframe.h"

#include "protocol/crc16arc.h"

std::optional<QByteArray> CommandFrame::encodeRequest(QByteArrayView command, std::uint16_t *crc)
{
    const qsizetype nul = command.indexOf('\0');
    if (nul >= 0)
        command = command.first(nul);
    if (command.size() > MaxCommandLength)
        return std::nullopt;

    QByteArray frame;
    frame.reserve(command.size() + 7);
    frame.append(SOH);
    frame.append(command);
    frame.append(STX);
    const std::uint16_t sum = Crc16Arc::checksum(frame);
    frame.append(Crc16Arc::digits(sum));
    frame.append(CR);
    if (crc)
        *crc = sum;
    return frame;
}

QByteArray CommandFrame::encodeReply(QByteArrayView id, QByteArrayView head, QByteArrayView data,
                                     bool lowercaseDigits, bool badCrc)
{
    QByteArray frame;
    frame.reserve(12 + data.size());
    frame.append(ETX);
    frame.append(id);
    frame.append(head);
    frame.append(data);
    frame.append(EOT);
    std::uint16_t sum = Crc16Arc::checksum(frame);
    if (badCrc)
        sum ^= 0x0101;
    QByteArray digits = Crc16Arc::digits(sum);
    if (lowercaseDigits)
        digits = digits.toLower();
    frame.append(digits);
    frame.append(CR);
    return frame;
}

bool CommandFrame::isValidReply(QByteArrayView reply)
{
    const qsizetype eot = reply.indexOf(EOT);
    if (eot < 0 || eot + 4 >= reply.size())
        return false;
    const QByteArray expected = Crc16Arc::digits(Crc16Arc::checksum(reply.first(eot + 1)));
    return reply.sliced(eot + 1, 4) == QByteArrayView(expected);
}

std::optional<QByteArray> CommandFrame::decodeRequest(QByteArrayView frame, bool *crcOk)
{
    if (frame.size() < 7 || frame.front() != SOH || frame.back() != CR)
        return std::nullopt;
    const qsizetype stx = frame.size() - 6;
    if (frame[stx] != STX)
        return std::nullopt;
    if (crcOk) {
        const QByteArray expected = Crc16Arc::digits(Crc16Arc::checksum(frame.first(stx + 1)));
        *crcOk = frame.sliced(stx + 1, 4) == QByteArrayView(expected);
    }
    return frame.sliced(1, stx - 1).toByteArray();
}
