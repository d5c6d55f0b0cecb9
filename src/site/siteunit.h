#pragma once

#include "profile/parametervalues.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
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
    QDateTime lastAt;
    bool failed = false;      // marked failed by the installer: its replacement takes the ID
    ParameterValues values;   // every stored value as last read: what a replacement is given
    QList<ReplacedUnit> replaced;

    bool operator==(const SiteUnit &) const = default;
};
