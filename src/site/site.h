#pragma once

#include "link/linksettings.h"
#include "site/siteunit.h"

#include <QList>
#include <QString>

// A named list of the controllers on one line, and the profile they are to have.
struct Site
{
    QString name;
    LinkSettings link;
    QString profileName;      // the profile's file name, as the report shows it; empty: none
    QByteArray profileModel;
    ParameterValues profileValues;
    QList<SiteUnit> units;    // in the order of their IDs

    // The row of an ID, or -1.
    int indexOf(const QByteArray &id) const
    {
        for (int i = 0; i < units.size(); ++i)
            if (units[i].id == id)
                return i;
        return -1;
    }
    // Keeps the rows in the order of their IDs.
    void add(const SiteUnit &unit)
    {
        int at = 0;
        while (at < units.size() && units[at].id < unit.id)
            ++at;
        units.insert(at, unit);
    }
};

inline bool operator==(const LinkSettings &a, const LinkSettings &b)
{
    return a.mode == b.mode && a.portName == b.portName && a.lineMode == b.lineMode && a.hostAddress == b.hostAddress
        && a.hostPort == b.hostPort;
}
