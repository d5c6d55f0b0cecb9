#pragma once

// The time limits of one exchange and of opening a link. The defaults are the ones the
// controllers are known to meet; tests of the mechanism may set shorter ones.
struct ExchangeLimits
{
    // TCP: the whole reply within this time of the send.
    static constexpr int NetReplyMs = 1200;
    // Serial: this long without a byte ends the exchange...
    static constexpr int SerialIdleMs = 300;
    // ...and this bound ends a line that keeps talking without ever completing a reply.
    static constexpr int SerialOverallMs = 5000;
    // The system's own connect time-out would freeze the window for minutes.
    static constexpr int ConnectMs = 3000;

    int overallMs = NetReplyMs; // from the start of the send to the end of the reply
    int idleMs = 0;             // since the last byte received (or the send); 0: no such limit
    // After a complete reply, listen this much longer for anything after it (a second controller
    // answering the same ID); what comes is counted in Reply::bytesAfter. 0: return at once.
    int listenAfterMs = 0;

    static constexpr ExchangeLimits tcp() { return { NetReplyMs, 0, 0 }; }
    static constexpr ExchangeLimits serial() { return { SerialOverallMs, SerialIdleMs, 0 }; }
};
