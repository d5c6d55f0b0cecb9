#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>

// CRC-16/ARC: polynomial 0x8005 processed bit-reversed (0xA001), initial value 0x0000,
// input and output reflected, no final XOR. Check value 0xBB3D for "123456789".
class Crc16Arc
{
public:
    static constexpr std::uint16_t ReversedPolynomial = 0xA001;
    static constexpr std::uint16_t InitialValue = 0x0000;
    static constexpr std::uint16_t CheckValue = 0xBB3D;

    static std::uint16_t update(std::uint16_t crc, const char *data, qsizetype length);
    static std::uint16_t checksum(QByteArrayView data) { return update(InitialValue, data.data(), data.size()); }

    // The four uppercase hexadecimal digits of the wire format: high byte first.
    static QByteArray digits(std::uint16_t crc);
};
