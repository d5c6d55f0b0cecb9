#pragma once

#include "profile/profile.h"

#include <QByteArray>
#include <QString>
#include <optional>

// The profile file: one JSON object, UTF-8, written with its keys in a fixed order.
//
//     {
//         "format": "zu42-profile",
//         "version": 1,
//         "model": "ZO425",
//         "created": "2026-12-07T14:03:11+01:00",
//         "made-by": "zu42cli 0.5.63",
//         "serial-number": "24010042",
//         "values": { "language": "english", "same-card-delay": 10, "door-log": true, ... }
//     }
//
// A file is taken whole or refused whole, with the first thing that is wrong: not JSON, another
// format, a version this program does not read, a key it does not know, a value name that is not
// in ParameterCatalog, a value of the wrong kind or outside its range, a value the model does not
// have. A refused file gives no profile, so nothing of it can reach a controller.
class ProfileFile
{
public:
    static constexpr int Version = 1;
    static constexpr qint64 MaxFileSize = 64 * 1024; // a profile is about 1 KiB

    static std::optional<Profile> parse(const QByteArray &bytes, QString *why = nullptr);
    static std::optional<Profile> load(const QString &path, QString *why = nullptr);

    // The file's text, which parse() reads back to an equal profile.
    static QByteArray toJson(const Profile &profile);
    // Written whole or not at all (QSaveFile).
    static bool save(const QString &path, const Profile &profile, QString *why = nullptr);
};
