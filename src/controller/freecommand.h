#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The operator's free command: the text goes out as typed, in the encoding the controller is
// set to; what cannot go out whole is refused before the link is touched.
class FreeCommand
{
public:
    struct Refusal
    {
        QString why;
        bool tooLong = false; // the frame cannot hold it (its own banner)
    };

    // The bytes to send after the ID, or why not. deviceId is counted against the frame.
    static std::optional<QByteArray> bytes(const QString &typed, int encodingIndex, const QString &encodingName,
                                           const QByteArray &deviceId, Refusal *refusal);
};
