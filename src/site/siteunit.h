#pragma once

#include "profile/parametervalues.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <optional>

// A controller that once stood at a row's ID and was replaced: its serial number and when.
struct ReplacedUnit
{
    QByteArray serialNumber;
    QDateTime replacedAt;
    bool operator==(const ReplacedUnit &) const = default;
};

// One controller of a site, as the tool last saw it.
struct SiteUnit
{
    // How its values stood beside the site's profile at the last read.
    enum class ProfileState { NotRead, Matches, Differs };
    // What kind of failure the last action met, for a short word in any language (the detail,
    // in English, is lastWhy).
    enum class Failure {
        None,
        Other,        // said only by lastWhy
        Cancelled,    // Cancel came while the unit was in hand
        NoAnswer,     // nothing answered at the ID
        OtherUnit,    // another serial number answers at the ID
        NoProfile,    // the site has no profile to apply
        ProfileUnfit, // the profile is for another model, or holds a value this one has not
        ReadFailed,   // the model, the values or the clock did not come
        NotAcknowledged, // a write or a restart was not acknowledged
        NotTaken,     // written, but the read-back does not show it (or did not come)
    };

    QByteArray id;            // "017"
    QByteArray model;         // "ZO425"
    QString version;          // as the version panel shows it
    QByteArray serialNumber;
    std::optional<qint64> clockOffsetS; // the controller's clock minus the PC's, at the last read
    ProfileState profileState = ProfileState::NotRead;
    int differing = 0;        // values that differ from the profile (Differs)
    QString lastAction;       // SiteActions' word for it: "read", "apply", "clock", "reboot", "address", "replace"
    bool lastOk = false;
    QString lastWhy;          // why the last action failed, in plain English
    Failure lastFailure = Failure::None; // known for the actions run since the site was opened
    QDateTime lastAt;
    bool failed = false;      // marked failed by the installer: its replacement takes the ID
    ParameterValues values;   // every stored value as last read: what a replacement is given
    QList<ReplacedUnit> replaced;
    // An apply cut short (Cancel, a unit gone silent) that the next apply finishes: the restart
    // the values written still need, and each value it set out to write with the one it replaced.
    bool restartOwed = false;
    QMap<QString, QString> cutShort;

    bool operator==(const SiteUnit &) const = default;
};
