#pragma once

#include "records/unitrecord.h"

#include <QList>
#include <QString>
#include <optional>

class RecordStore;

// Records the store could not take yet, kept on this PC in a file of JSON lines (one record per
// line) until it can. A record is on disk before append() returns; it leaves the file only
// after the store has confirmed it, and the store takes a record it already has as done, so a
// crash at any point neither loses a record nor stores it twice.
//
// A line that cannot be read back (a crash in the middle of a write, an edit by hand) is moved
// to a file beside it, damagedPath(), with a warning, and the rest goes on.
//
// Several programs may share the file: each call holds a lock file next to it.
//
// Each record names the store it was meant for (RecordStoreSettings::displayString(), so no
// password is kept on the disk) and goes there only: a record queued for the line's server
// never ends up in a local file because the store field was emptied meanwhile. A line of an
// earlier version names no store; such a record is delivered nowhere by itself, only by
// deliverTo() with an empty name, which the operator asks for, naming where it goes.
class PendingRecords
{
public:
    struct Waiting
    {
        UnitRecord record;
        QString store;           // the store it was meant for; empty: not named (an earlier version's line)
        friend bool operator==(const Waiting &, const Waiting &) = default;
    };
    // How many records wait for one store, in the order the stores first appear in the file.
    struct StoreCount
    {
        QString store;
        int records = 0;
        friend bool operator==(const StoreCount &, const StoreCount &) = default;
    };

    struct Delivery
    {
        int delivered = 0;       // confirmed by the store and taken out of the file
        int remaining = 0;       // still waiting for this store
        int otherStores = 0;     // waiting for other stores (or for one not named), left as they are
        int setAside = 0;        // damaged lines moved to damagedPath()
        bool storeReached = true; // false when the store could not be reached
        QString why;             // the first thing that went wrong; empty when nothing did
    };

    // A pending file larger than this is not read (and not changed): it is not ours.
    static constexpr qint64 MaxFileSize = 256LL * 1024 * 1024;

    explicit PendingRecords(const QString &filePath = defaultPath());

    // records.pending.jsonl in the user's application data folder.
    static QString defaultPath();
    QString filePath() const { return m_filePath; }
    QString damagedPath() const;

    // store: where the record was meant to go (the store's displayString()).
    bool append(const UnitRecord &record, const QString &store, QString *why = nullptr);
    // The waiting records, oldest first; nothing when the file cannot be read.
    std::optional<QList<Waiting>> waiting(QString *why = nullptr);
    // The same without where they go.
    std::optional<QList<UnitRecord>> records(QString *why = nullptr);
    std::optional<QList<StoreCount>> countByStore(QString *why = nullptr);
    // Sends every record meant for this store, oldest first, and keeps those the store did not
    // confirm. It stops at the first record the store cannot be reached for.
    Delivery deliver(RecordStore &store);
    // The operator's explicit choice: the records meant for meantFor (empty: those of an
    // earlier version that named no store) go into this store instead.
    Delivery deliverTo(RecordStore &store, const QString &meantFor);

private:
    Delivery deliverMeantFor(RecordStore &store, const QString &meantFor);
    std::optional<QList<Waiting>> readLocked(int *setAside, QString *why);
    bool rewriteLocked(const QList<Waiting> &records, QString *why);

    QString m_filePath;
};
