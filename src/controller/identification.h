#pragma once

#include "controller/identifyreplies.h"
#include "controller/outcome.h"

#include <QByteArray>
#include <optional>

// What the connect learned of the controller, as far as it got.
struct Identification
{
    enum class Stage {
        NotFound,  // no controller answered the scan: the operator sees a connect error
        BadId,     // the ID it gave cannot address anything
        NoVersion, // found, but its version did not come
        NoSerial,  // found with its version, but its serial number did not come
        Done,
    };

    Stage stage = Stage::NotFound;
    QByteArray deviceId; // from NoVersion on
    std::optional<IdentifyReplies::Version> version;
    std::optional<IdentifyReplies::Serial> serial;
    QString why;         // for every stage but Done

    bool ok() const { return stage == Stage::Done; }
};
