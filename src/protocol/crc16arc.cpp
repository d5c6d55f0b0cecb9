#include "protocol/crc16arc.h"

#include <array>

namespace {

constexpr std::array<std::uint16_t, 256> makeTable()
{
    std::array<std::uint16_t, 256> table {};
    for (unsigned i = 0; i < 256; ++i) {
        std::uint16_t reg = static_cast<std::uint16_t>(i);
        for (int bit = 0; bit < 8; ++bit)
            reg = (reg & 1) ? static_cast<std::uint16_t>((reg >> 1) ^ Crc16Arc::ReversedPolynomial)
                            : static_cast<std::uint16_t>(reg >> 1);
        table[i] = reg;
    }
    return table;
}

constexpr auto Table = makeTable();
static_assert(Table[1] == 0xC0C1 && Table[255] == 0x4040, "CRC-16/ARC table");

} // namespace

std::uint16_t Crc16Arc::update(std::uint16_t crc, const char *data, qsizetype length)
{
    for (qsizetype i = 0; i < length; ++i) {
        const auto index = static_cast<std::uint8_t>(static_cast<std::uint8_t>(data[i]) ^ (crc & 0xFF));
        crc = static_cast<std::uint16_t>((crc >> 8) ^ Table[index]);
    }
    return crc;
}

QByteArray Crc16Arc::digits(std::uint16_t crc)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    QByteArray out(4, '0');
    out[0] = hex[(crc >> 12) & 0xF];
    out[1] = hex[(crc >> 8) & 0xF];
    out[2] = hex[(crc >> 4) & 0xF];
    out[3] = hex[crc & 0xF];
    return out;
}
