#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>
#include <optional>

// The controller protocol's framing, free of any I/O.
//   request: SOH, command text, STX, CRC digits (4), CR          -- n + 7 bytes
//   reply:   ETX, id (3), 2 chars, data, EOT, CRC digits (4), CR -- d + 12 bytes
// The request CRC covers SOH..STX; the reply CRC covers ETX..EOT.
class CommandFrame
{
public:
    static constexpr char SOH = 0x01;
    static constexpr char STX = 0x02;
    static constexpr char ETX = 0x03;
    static constexpr char EOT = 0x04;
    static constexpr char CR = 0x0D;

    // Both frame buffers of the exchange hold this many bytes.
    static constexpr int BufferSize = 1500;
    // Longest command text that fits a request frame.
    static constexpr int MaxCommandLength = BufferSize - 7;
    // Longest reply that can be collected (one byte stays free, as the terminator had).
    static constexpr int MaxReplyLength = BufferSize - 1;
    // A reply without data: the plain acknowledgement.
    static constexpr int AckLength = 12;

    // The request frame around a command text, or nothing when the text is too long for
    // the frame. The text ends at its first NUL, as the controller's command strings do.
    static std::optional<QByteArray> encodeRequest(QByteArrayView command, std::uint16_t *crc = nullptr);

    // A reply frame with the given id, the two head characters and data; for the simulator
    // and the tests. lowercaseDigits and badCrc produce deliberately broken frames.
    static QByteArray encodeReply(QByteArrayView id, QByteArrayView head, QByteArrayView data,
                                  bool lowercaseDigits = false, bool badCrc = false);

    // The validation of a complete reply (ETX .. CR): the CRC over the bytes up to the first
    // EOT must equal the four uppercase digits that follow it.
    static bool isValidReply(QByteArrayView reply);

    // The command text inside a request frame SOH..CR, if its framing and CRC are right.
    static std::optional<QByteArray> decodeRequest(QByteArrayView frame, bool *crcOk = nullptr);
};
