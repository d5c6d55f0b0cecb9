#pragma once

#include "controller/jigmap.h"
#include "controller/jigtest.h"
#include "records/recordkeeper.h"
#include "records/recordstore.h"
#include "records/unitrecord.h"

#include <QDate>
#include <QString>
#include <functional>
#include <optional>

class ControllerSession;

// A test station of the production line: where it stands, who works it, its jig map, and where
// the record of every unit goes. The production window and the command line both test units
// through it, so a unit is judged, recorded and counted alike whichever program tested it.
class JigStation
{
public:
    struct Setup
    {
        QString station;
        QString operatorName;
        JigMap map = JigMap::defaultMap();
        bool engineering = false; // an engineering run: recorded, never counted in yield
        JigTest::Options options;
        // A certificate of each recorded unit: nothing for none; else where, as
        // certificateFile() takes it.
        std::optional<QString> certificate;
    };

    // What stands in the way of testing with a setup. The counters go by station, and a record
    // must say who tested the unit.
    enum class SetupProblem { None, NoStation, NoOperator };
    static SetupProblem setupProblem(const Setup &setup);
    // In English, for the command line and logs; empty for None.
    static QString problemText(SetupProblem problem);

    // One tested unit and what became of its record.
    struct Unit
    {
        JigTest::Result result;
        // Nothing when no controller identified itself: without a serial number there is no
        // unit to record or count (no controller on the jig, a wrong ID, a dead board).
        std::optional<UnitRecord> record;
        RecordKeeper::Outcome kept;
        // The certificate's file, when the setup asks for one and there is a record; the
        // program that tested the unit writes it (the page is drawn above this layer).
        QString certificate;
    };

    // Where a unit's certificate goes: in the user's documents folder when where is empty, in
    // the folder where names (one that exists, or a path ending in a separator), else the file
    // where names. In a folder the file is named after the unit and the end of its test, so
    // that a unit tested again never overwrites its earlier certificate:
    // certificate-SERIAL-YYYYMMDD-HHMMSS.pdf in local time, the serial number's characters
    // that a file name cannot hold as '_'.
    static QString certificateFile(const QString &where, const UnitRecord &record);

    explicit JigStation(const RecordStoreSettings &store, const QString &pendingPath = PendingRecords::defaultPath());

    // The jig test on the session's open link, which it leaves open. The setup must have no
    // problem.
    // When the link's serial adapter was pulled out mid-way, goOn (a LinkRecovery on the
    // session) may get it back: the unit is then tested again from its first step, and only that
    // test counts, so that no step of a unit half tested is kept.
    static JigTest::Result test(ControllerSession &session, const Setup &setup,
                                const std::function<void(const JigTest::Step &)> &stepDone = {},
                                const std::function<bool()> &goOn = {});
    // The record of a finished test goes to the store, or to the pending file on this PC; the
    // records that waited there go first.
    Unit keep(const JigTest::Result &result, const Setup &setup);
    // Both in one, for a program that needs nothing between them.
    Unit testAndKeep(ControllerSession &session, const Setup &setup,
                     const std::function<void(const JigTest::Step &)> &stepDone = {});

    // Sends what waits in the pending file; a program calls it when it starts.
    PendingRecords::Delivery deliverPending() { return m_keeper.deliverPending(); }
    // The station's figures of a local day, from the store; nothing when it cannot be read
    // (why() says why).
    std::optional<RecordStore::DayCounters> counters(const QString &station, const QDate &localDay = QDate::currentDate());
    // Records waiting in the pending file, by the store they were meant for; nothing when it
    // cannot be read.
    std::optional<QList<PendingRecords::StoreCount>> waitingByStore();
    // Those waiting for this station's store; -1 when the file cannot be read.
    int waiting();

    QString why() { return m_keeper.store().why(); }
    RecordStore &store() { return m_keeper.store(); }
    RecordKeeper &keeper() { return m_keeper; }

private:
    RecordKeeper m_keeper;
};
