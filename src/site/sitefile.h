#pragma once

#include "site/site.h"

#include <QByteArray>
#include <QString>
#include <optional>

// The site file: one JSON object, UTF-8, like a profile file (docs/sites.md has it whole):
//
//     { "format": "zu42-site", "version": 1, "name": "North gate", "saved": "2026-12-08T09:00:00+08:00",
//       "link": { "kind": "serial", "port": "ttyUSB0", "line": "19200,e,8,1" },
//       "profile": { "name": "lobby.json", "model": "ZO425", "values": { ... } },
//       "units": [ { "id": "001", "serial-number": "24010042", "model": "ZO425", ..., "values": { ... },
//                    "replaced": [ { "serial-number": "24010007", "date": "..." } ] } ] }
//
// A file is taken whole or refused whole with the first thing that is wrong: not JSON, another
// format, a newer version (named with this program's), a key it does not know, an ID that is not
// three digits or is there twice, a value the parameter catalogue does not take. It is written
// through QSaveFile, so that a crash or a power loss while saving leaves the old file or the new
// one, never half of one.
class SiteFile
{
public:
    static constexpr int Version = 1;
    // A thousand rows of about 2 KiB each.
    static constexpr qint64 MaxFileSize = 4 * 1024 * 1024;

    static std::optional<Site> parse(const QByteArray &bytes, QString *why = nullptr);
    static std::optional<Site> load(const QString &path, QString *why = nullptr);
    static QByteArray toJson(const Site &site, const QDateTime &saved, const QString &madeBy);
    static bool save(const QString &path, const Site &site, const QString &madeBy, QString *why = nullptr);
};
