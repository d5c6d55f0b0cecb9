#pragma once

#include "link/linksettings.h"
#include "profile/parametervalues.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

// One run of zu42cli as its arguments ask: everything checked that can be checked without the
// link, so that bad usage never opens it.
struct CliRequest
{
    enum class Command { Identify, Get, Set, Save, Apply, Diff, Scan, Send, Reboot, Initial, Jig, Site, Records };

    Command command = Command::Identify;
    QString commandName;
    LinkSettings link;
    QByteArray id = "000";     // three digits
    bool json = false;

    QStringList names;         // get: only these (all when empty)
    ParameterValues values;      // set
    QString file;              // save, apply, diff
    bool everything = false;   // apply --all
    bool dryRun = false;       // apply --dry-run
    int first = 0;             // scan; site address --from
    int last = 999;
    int scanWaitMs = 0;        // scan --wait; 0: the speed decides
    bool quick = false;        // scan --quick: the wait from the line speed and the answers heard
    QString text;              // send
    int encoding = 0;          // send --encoding: position in the text-encoding list
    bool net = false;          // reboot --net
    QString mapFile;           // jig --map; empty: the simulator's wiring
    QString station;           // jig --station
    QString operatorName;      // jig --operator
    QString store;             // jig --store; empty: the records of this PC
    bool allSteps = false;     // jig --all-steps
    bool resume = false;       // apply --resume, jig --resume
    bool linkGiven = false;    // --link was given (a site command may take the site's own)
    QString siteAction;        // site: scan, read, address, apply, clock, reboot, replace, report
    QString siteFile;          // site --site (scan: --save)
    QString siteName;          // site scan --name
    int count = 1;             // site address --count
    QList<QByteArray> ids;     // site --ids, and replace's ID; empty: every unit not marked failed
    QString pdfFile;           // site report --pdf, records certificate --pdf
    QString csvFile;           // site report --csv, records export --csv
    bool engineering = false;  // jig --engineering: recorded, never counted in yield
    std::optional<QString> certificate; // jig --certificate: the PDF, or a folder for it
    QString recordsAction;     // records: history, pending, export, yield, pareto, certificate
    QString serial;            // records history, certificate
    QDate from;                // records export, yield, pareto: local days, both included
    QDate to;
    QString groupBy = QStringLiteral("day"); // records yield --by
    QString jsonFolder;        // records export --json DIR
    QString role = QStringLiteral("zu42_station"); // records init-server --role
    QString rolePassword;      // records init-server --role-password
    QString deliverFrom;       // records pending --deliver-from: the store the records were meant for
    bool deliver = false;      // records pending --deliver-from was given
};
