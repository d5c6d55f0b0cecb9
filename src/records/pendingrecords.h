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
class PendingRecords
{
public:
    struct Delivery
    {
        int delivered = 0;       // confirmed by the store and taken out of the file
        int remaining = 0;       // still waiting
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

    bool append(const UnitRecord &record, QString *why = nullptr);
    // The waiting records, oldest first; nothing when the file cannot be read.
    std::optional<QList<UnitRecord>> records(QString *why = nullptr);
    // Sends every waiting record, oldest first, and keeps those the store did not confirm. It
    // stops at the first record the store cannot be reached for.
    Delivery deliver(RecordStore &store);

private:
    std::optional<QList<UnitRecord>> readLocked(int *setAside, QString *why);
    bool rewriteLocked(const QList<UnitRecord> &records, QString *why);

    QString m_filePath;
};
