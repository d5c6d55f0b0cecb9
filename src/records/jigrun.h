#pragma once

#include "records/jigstation.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

// The production window's decisions, without the window: the fields checked before a unit, one
// unit taken to its verdict (PASS, FAIL, ERROR when the station could not test it, or NOT
// TESTED when something stood in the way before the link opened), what
// became of its record, the day's counters, the records waiting on this PC, and the export of a
// range of days. The window reads its fields into it and shows what it holds; the tests and the
// command line reach the same decisions without one.
//
// What it holds is language-free: a verdict, a note by kind with its arguments, and the reasons
// of the layers below in their English.
class JigRun
{
public:
    enum class Verdict { Ready, Testing, Pass, Fail, NotTested, Error };
    // What the operator is told beside the verdict: why no unit was tested, where its record
    // went, how an export went.
    enum class Note {
        None,
        NoStation,
        NoOperator,
        StoreInvalid,
        MapDamaged,
        Busy,
        NoLink,
        Stored,
        Pending,
        NotKept,
        NoUnit,
        Exported,     // args: the units, where to
        ExportFailed,
        Delivered,    // args: the records, where to
        DeliveryFailed,
    };
    struct Message
    {
        Note note = Note::None;
        QStringList args;
        QString why;      // the lower layer's own words, shown below the note
        friend bool operator==(const Message &, const Message &) = default;
    };

    // The window's fields as typed.
    struct Fields
    {
        QString station;
        QString operatorName;
        QString mapSetting;
        QString storeSetting;
        // A certificate of each recorded unit, in this folder (empty: the user's documents).
        bool certificate = false;
        QString certificateFolder;
    };

    explicit JigRun(const QString &pendingPath = PendingRecords::defaultPath());
    ~JigRun();

    // The store a setting names, opened once per setting: what waited on this PC is delivered
    // to it and the station's counters are read. False, with whyNoStore(), for a setting that
    // names no store.
    bool useStore(const QString &setting, const QString &station);
    // The map a setting names, read anew each time (a map corrected on the disk counts from the
    // next unit on); nothing, with whyNoMap(), when it cannot be used.
    std::optional<JigMap> useMap(const QString &setting);
    // The counters of the station named now.
    void useStation(const QString &station);

    // The checks that come before the link opens. The setup to test with, or nothing with the
    // verdict NOT TESTED and whyNotTested() saying why; a jig map that cannot be read is ERROR
    // (the station cannot test), with the same reason. busy: another operation holds the link.
    // Either way the previous unit's result is gone.
    std::optional<JigStation::Setup> prepare(const Fields &fields, bool busy, bool engineering = false);
    // A unit under way.
    void begin();
    // The link could not be had: note is Busy or NoLink.
    void notTested(Note note, const QString &why = QString());
    // The verdict of a finished unit; its record is kept and the counters follow.
    JigStation::Unit finish(const JigTest::Result &result, const JigStation::Setup &setup);

    // The records of whole local days from first to last (every station of the store), as one
    // CSV file or one JSON file per unit in jsonFolder; note() says how it went.
    bool exportDays(const QDate &first, const QDate &last, const QString &csvPath, const QString &jsonFolder);

    Verdict verdict() const { return m_verdict; }
    // Why the unit was not tested.
    Message whyNotTested() const { return m_whyNotTested; }
    // The step a failed unit failed at; the first step (who the unit is) of a passed one.
    std::optional<JigTest::Step> shownStep() const { return m_shownStep; }
    Message note() const { return m_note; }
    // The record keeper's words on the last unit's record.
    QString keptWhy() const { return m_keptWhy; }
    // Where the last unit's certificate is to be written; empty when none was asked for or the
    // unit has no record.
    QString certificateFile() const { return m_certificateFile; }

    std::optional<RecordStore::DayCounters> counters() const { return m_counters; }
    // Why there are no counters while a store is open.
    QString whyNoCounters();
    // Records waiting in the pending file for the store in use; -1 when unknown.
    int waiting() const { return m_waiting; }
    // Those waiting for other stores (or a store not named), by store.
    QList<PendingRecords::StoreCount> waitingElsewhere() const { return m_waitingElsewhere; }
    // The operator's explicit choice: what waits for meantFor goes into the store in use.
    // note() says how many went where.
    PendingRecords::Delivery deliverHere(const QString &meantFor);

    JigStation *station() const { return m_station.get(); }
    QString storeShown() const { return m_storeShown; }
    QString whyNoStore() const { return m_whyNoStore; }
    QString whyNotDelivered() const { return m_whyNotDelivered; }
    QString whyNoMap() const { return m_whyNoMap; }
    // The map of the last useMap(): the built-in one (the setting was empty), and its name.
    bool mapBuiltIn() const { return m_mapBuiltIn; }
    QString mapName() const { return m_mapName; }

private:
    void countWaiting();

    QString m_pendingPath;
    std::unique_ptr<JigStation> m_station;
    QString m_storeSetting;
    QString m_counterStation;
    QString m_storeShown;
    QString m_whyNoStore;
    QString m_whyNotDelivered;
    QString m_whyNoMap;
    QString m_mapName;
    bool m_mapBuiltIn = true;
    int m_waiting = -1;
    QList<PendingRecords::StoreCount> m_waitingElsewhere;
    std::optional<RecordStore::DayCounters> m_counters;

    Verdict m_verdict = Verdict::Ready;
    Message m_whyNotTested;
    std::optional<JigTest::Step> m_shownStep;
    Message m_note;
    QString m_keptWhy;
    QString m_certificateFile;
};
