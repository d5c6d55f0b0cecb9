#pragma once

#include <QtGlobal>

// The controller's parameter memory: every parameter the tool reads or writes is one byte.
struct ParameterAddress
{
    static constexpr quint16 DisplayLanguage = 0x000A;
    static constexpr quint16 TextEncoding = 0x000B;
    static constexpr quint16 HourFormat = 0x000C;
    static constexpr quint16 TitleLines = 0x000D; // set by the title command, read here
    static constexpr quint16 DateFormat = 0x000E;
    static constexpr quint16 CardType = 0x0015;
    static constexpr quint16 CardBits = 0x0016;
    static constexpr quint16 SameCardDelay = 0x0017;
    static constexpr quint16 CardDisplay = 0x001B;
    static constexpr quint16 ShowStatus = 0x001C;
    static constexpr quint16 UseStatus = 0x001D;
    static constexpr quint16 DoorForce = 0x0086;
    static constexpr quint16 DoorTimeoutTime = 0x0087;
    static constexpr quint16 DoorTimeout = 0x0088;
    static constexpr quint16 ReaderType = 0x008A;
    static constexpr quint16 DoorLog = 0x008B;
    static constexpr quint16 ExtReader = 0x008C;
    static constexpr quint16 DiMode = 0x008D;

    // The two ranges the read-back covers.
    static constexpr quint16 FirstRangeStart = DisplayLanguage;
    static constexpr quint8 FirstRangeCount = 21;  // 0x000A .. 0x001E
    static constexpr quint16 SecondRangeStart = DoorForce;
    static constexpr quint8 SecondRangeCount = 8;  // 0x0086 .. 0x008D

    // Values of the card-bits byte: the number of bits.
    static constexpr quint8 CardBits24 = 0x18;
    static constexpr quint8 CardBits32 = 0x20;
};
