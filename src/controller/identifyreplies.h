#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The texts of the connect procedure: the scan for a controller ("AS" with the ID typed by
// the operator), then its version ("AV") and serial number ("AS" with the learned ID).
class IdentifyReplies
{
public:
    // A controller answers "AS" with 8 data characters (its serial number).
    static constexpr int ScanReplyLength = 20;
    // "AV" is answered with 8 or 16 data characters.
    static constexpr int ShortVersionLength = 20;
    static constexpr int LongVersionLength = 28;

    struct Version
    {
        QString panelText;   // what the version panel shows
        QByteArray model;    // data characters 1 to 5
        bool isRo426 = false;
    };

    struct Serial
    {
        QByteArray serialNumber; // 8 characters
        QString panelText;       // "S/N:<serial>   ID:<id>"
    };

    // The whole command text of a scan: the ID text without the blanks and control characters
    // around it, then "AS" (" 5 " gives "5AS"). Nothing when a framing byte is left inside
    // the ID, since it would cut the request short.
    static std::optional<QByteArray> scanCommand(const QString &scanIdText);

    // The command texts after the learned ID.
    static QByteArray versionCommand() { return QByteArrayLiteral("AV"); }
    static QByteArray serialCommand() { return QByteArrayLiteral("AS"); }

    // The ID of the controller that replied (characters 2 to 4).
    static QByteArray deviceIdFrom(const QByteArray &reply);

    // The version reply, if it has one of the two accepted lengths.
    static std::optional<Version> version(const QByteArray &reply, int replyLength);

    // The serial number reply, if it has the length of a scan reply.
    static std::optional<Serial> serial(const QByteArray &reply, int replyLength, const QByteArray &deviceId);
};
