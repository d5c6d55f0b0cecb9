#pragma once

#include "records/pendingrecords.h"
#include "records/recordstore.h"
#include "records/unitrecord.h"

#include <QString>

// The one call the jig test makes when a unit is done: the record goes to the store, or, when
// the store cannot take it now, into the pending file on this PC, marked for this store. Records
// already waiting for this store go first, at start and before every new one, so the store gets
// them in the order they were made and a store that is back is caught up at the next unit.
// Records waiting for another store stay where they are.
class RecordKeeper
{
public:
    enum class Place {
        Store,    // in the record store
        Pending,  // in the pending file, sent when the store can take it
        Nowhere,  // neither: the operator must be told and the unit tested again
    };
    struct Outcome
    {
        Place place = Place::Nowhere;
        QString why;       // where the record went and why, for the operator, in English
        int waiting = 0;   // records in the pending file for this store after this call
        int waitingElsewhere = 0; // and for other stores (or one not named), which wait for theirs
    };

    explicit RecordKeeper(const RecordStoreSettings &settings, const QString &pendingPath = PendingRecords::defaultPath());

    Outcome keep(const UnitRecord &record);
    // Sends what waits in the pending file for this store; the program calls this at start.
    PendingRecords::Delivery deliverPending();
    // The operator's choice: what waits for meantFor (empty: for a store not named) goes here.
    PendingRecords::Delivery deliverHere(const QString &meantFor);

    RecordStore &store() { return m_store; }
    PendingRecords &pending() { return m_pending; }

private:
    RecordStore m_store;
    PendingRecords m_pending;
};
