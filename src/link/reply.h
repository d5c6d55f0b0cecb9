#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

// How one exchange ended. Every caller, the window's banner, the traffic monitor and the
// command line judge an exchange by this and nothing else.
enum class Verdict : std::uint8_t {
    Answered,       // a complete reply with the right check digits
    NoReply,        // nothing that began a reply arrived within the limits
    BadCheckDigits, // a complete reply whose check digits are wrong (or missing)
    CutOff,         // a reply began but did not end within the limits, or the line hung up in it
    HungUp,         // the line or connection went away before a reply began
    Refused,        // nothing was sent: the command cannot go out (too long, or the operator's value)
    LinkFailed,     // the link did not open, or is not open
};

// English words for a verdict, for logs and the command line. The window has its own in
// every language.
QString verdictName(Verdict verdict);

// One exchange's result as a value: the verdict, the reply and why it failed.
struct Reply
{
    Verdict verdict = Verdict::NoReply;
    // The whole reply from its ETX to its CR when one was complete (also with wrong check
    // digits); empty otherwise.
    QByteArray bytes;
    // The reason in plain English, with the system's own words where it gave any.
    QString detail;
    // The CRC of the request frame, as its four check digits say it.
    std::uint16_t requestCrc = 0;
    // Bytes that arrived after the complete reply: in its last read, and while the exchange
    // listened on (ExchangeLimits::listenAfterMs). A second reply run into the first shows here.
    qsizetype bytesAfter = 0;

    bool ok() const { return verdict == Verdict::Answered; }
    int length() const { return int(bytes.size()); }
    // An answered reply of exactly this length (the callers' test of which reply they have).
    bool answeredWithLength(int expected) const { return ok() && length() == expected; }
    // Why this reply does not count where a reply of `expected` (in words) was wanted.
    QString why(const QString &expected = QString()) const;
};
