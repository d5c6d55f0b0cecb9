#include "records/recordkeeper.h"

RecordKeeper::RecordKeeper(const RecordStoreSettings &settings, const QString &pendingPath)
    : m_store(settings), m_pending(pendingPath)
{
}

PendingRecords::Delivery RecordKeeper::deliverPending()
{
    return m_pending.deliver(m_store);
}

PendingRecords::Delivery RecordKeeper::deliverHere(const QString &meantFor)
{
    return m_pending.deliverTo(m_store, meantFor);
}

RecordKeeper::Outcome RecordKeeper::keep(const UnitRecord &record)
{
    Outcome outcome;
    if (const QString invalid = record.whyInvalid(); !invalid.isEmpty()) {
        outcome.why = QStringLiteral("The record of %1 is incomplete and was not kept: %2").arg(record.serialNumber, invalid);
        return outcome;
    }

    const PendingRecords::Delivery delivery = deliverPending();
    outcome.waiting = delivery.remaining;
    outcome.waitingElsewhere = delivery.otherStores;
    QString storeError = delivery.why;
    // Unreachable a moment ago: a second try would only wait for the same time-out again.
    if (delivery.storeReached) {
        switch (m_store.write(record)) {
        case RecordStore::WriteResult::Stored:
        case RecordStore::WriteResult::AlreadyStored:
            outcome.place = Place::Store;
            outcome.why = QStringLiteral("Record of %1 stored in %2.").arg(record.serialNumber, m_store.settings().displayString());
            if (outcome.waiting > 0)
                outcome.why += QStringLiteral(" %1 older records still wait on this PC: %2").arg(outcome.waiting).arg(delivery.why);
            return outcome;
        case RecordStore::WriteResult::Refused:
        case RecordStore::WriteResult::Unreachable:
            storeError = m_store.why();
            break;
        }
    }

    QString pendingError;
    if (m_pending.append(record, m_store.settings().displayString(), &pendingError)) {
        outcome.place = Place::Pending;
        ++outcome.waiting;
        outcome.why = QStringLiteral("The record store cannot take the record of %1 now (%2). It is kept on this PC with %3 waiting and sent when the store can take it.")
                          .arg(record.serialNumber, storeError)
                          .arg(outcome.waiting);
        return outcome;
    }
    outcome.why = QStringLiteral("The record of %1 was NOT kept. Store: %2. This PC: %3.").arg(record.serialNumber, storeError, pendingError);
    return outcome;
}
