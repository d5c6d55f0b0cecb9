#pragma once

#include "profile/parameterdifference.h"
#include "profile/parametervalues.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

class ControllerSession;

// The procedures of profiles and of the command line's get and set, on an open link with the
// session's ID: read a controller's values, and write values to it with a restart when one is
// needed and a read-back that says which did not take.
class ParameterProcedures
{
public:
    // A controller that restarts is silent for a while: the read-back after a restart is tried
    // this many times, each costing at most the exchange limits.
    static constexpr int ReadAttemptsAfterRestart = 5;

    struct Snapshot
    {
        QByteArray model;
        QString versionText;
        ParameterValues values;
        QString why; // empty when both came
        bool ok() const { return why.isEmpty(); }
    };
    // The model ("AV"), then the read-back.
    static Snapshot read(ControllerSession &session);

    struct ApplyOptions
    {
        bool everything = false; // write every value, not only those that differ
        bool dryRun = false;     // read and plan, write nothing
        QByteArray model;        // the model the values were made for; empty for any
        bool restartOwed = false; // values written by an apply cut short need a restart it did not get to
        // The values an apply cut short set out to write, with the controller's value before it:
        // those found already as wanted count as written (from that value) and are read back.
        QMap<QString, QString> cutShort;
    };

    // A value written that the read-back does not show.
    struct NotTaken
    {
        QString name;
        QString wanted;
        QString got; // empty when the read-back did not come
    };

    struct ApplyResult
    {
        enum class Stage {
            Refused,     // the values cannot go to this controller: nothing was written
            ReadFailed,  // the controller's model or values did not come: nothing was written
            WriteFailed, // a command was not answered: the values before it were written
            Done,        // written (or planned, in a dry run), and read back
        };
        Stage stage = Stage::Refused;
        QString why;
        QByteArray model;
        QList<ParameterDifference> rows;  // each value asked for beside the controller's, before writing
        QStringList written;            // values written (a dry run: that would be)
        QStringList notCompared;        // not written: the controller cannot report them
        QList<QByteArray> commands;     // the command texts sent (a dry run: that would be)
        bool needsRestart = false;      // a value planned takes effect only after a restart
        bool restarted = false;
        QList<NotTaken> notTaken;
        QStringList unverified;         // written, but the controller cannot report them

        bool ok() const { return stage == Stage::Done && notTaken.isEmpty(); }
    };

    // Writes what differs from the controller's values (or everything), restarts the
    // controller once at the end when a value written needs it, reads back, then writes the
    // line settings if asked (last, since the controller then talks at the new ones). Names
    // and values are checked before anything is sent, the model before anything is written.
    static ApplyResult apply(ControllerSession &session, const ParameterValues &wanted, const ApplyOptions &options);

    // How to go on with an apply that was cut short (its link lost mid-way): the controller is
    // read again and only what still differs is written, so a value that went out before the
    // cut is not written twice and one that did not is not lost, whatever `everything` said;
    // the restart a value already written needs is still made. Before anything was written
    // the apply simply starts again.
    static ApplyOptions resumeOptions(const ApplyOptions &first, const ApplyResult &cut);
};
