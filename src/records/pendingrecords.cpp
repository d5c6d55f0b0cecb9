#include "records/pendingrecords.h"

#include "records/recordstoresettings.h"
#include "records/recordstore.h"

#include <QDir>
#include <QJsonObject>
#include <algorithm>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

bool fail(QString *why, const QString &text)
{
    if (why)
        *why = text;
    return false;
}

// flush() hands the bytes to the system; only this puts them on the disk.
bool syncToDisk(QFile &file)
{
#ifdef Q_OS_WIN
    return _commit(file.handle()) == 0;
#else
    return ::fsync(file.handle()) == 0;
#endif
}

// A new file survives a power cut only once the folder that names it is on the disk too.
void syncFolder(const QString &folder)
{
#ifndef Q_OS_WIN
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(folder);
#endif
}

const QLatin1String StoreKey("store");

QByteArray jsonLine(const PendingRecords::Waiting &waiting)
{
    QJsonObject object = waiting.record.toJson();
    object.insert(StoreKey, waiting.store);
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

// Appends the bytes and waits until they are on the disk; on failure the file is cut back to
// where it was, so no half line is left for the next reader.
bool appendDurably(const QString &path, const QByteArray &bytes, QString *why)
{
    QFile file(path);
    const bool existed = file.exists();
    if (!file.open(QIODevice::ReadWrite))
        return fail(why, QStringLiteral("cannot open %1: %2").arg(path, file.errorString()));
    const qint64 size = file.size();
    QByteArray data = bytes;
    // A crash in the middle of an earlier append leaves a line without its end; the new record
    // must start on a line of its own, or it would be lost together with that fragment.
    if (size > 0) {
        char last = 0;
        if (!file.seek(size - 1) || file.read(&last, 1) != 1)
            return fail(why, QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
        if (last != '\n')
            data.prepend('\n');
    }
    if (!file.seek(size) || file.write(data) != data.size() || !file.flush() || !syncToDisk(file)) {
        const QString cause = file.errorString();
        file.resize(size);
        return fail(why, QStringLiteral("cannot write %1: %2").arg(path, cause));
    }
    file.close();
    if (!existed)
        syncFolder(QFileInfo(path).absolutePath());
    return true;
}

bool lock(QLockFile &lockFile, const QString &path, QString *why)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return fail(why, QStringLiteral("cannot make the folder of %1").arg(path));
    // Only a lock whose program is gone is stale; a long delivery keeps its lock however long.
    lockFile.setStaleLockTime(0);
    if (!lockFile.tryLock(10000))
        return fail(why, QStringLiteral("%1 is held by another program (lock file %1.lock)").arg(path));
    return true;
}

} // namespace

PendingRecords::PendingRecords(const QString &filePath)
    : m_filePath(filePath)
{
}

QString PendingRecords::defaultPath()
{
    return QDir(RecordStoreSettings::dataFolder()).filePath(QStringLiteral("records.pending.jsonl"));
}

QString PendingRecords::damagedPath() const
{
    return m_filePath + QStringLiteral(".damaged");
}

bool PendingRecords::append(const UnitRecord &record, const QString &store, QString *why)
{
    if (const QString invalid = record.whyInvalid(); !invalid.isEmpty())
        return fail(why, QStringLiteral("the record is incomplete: %1").arg(invalid));
    QLockFile lockFile(m_filePath + QStringLiteral(".lock"));
    if (!lock(lockFile, m_filePath, why))
        return false;
    return appendDurably(m_filePath, jsonLine({ record, store }), why);
}

std::optional<QList<PendingRecords::Waiting>> PendingRecords::waiting(QString *why)
{
    QLockFile lockFile(m_filePath + QStringLiteral(".lock"));
    if (!lock(lockFile, m_filePath, why))
        return std::nullopt;
    int setAside = 0;
    return readLocked(&setAside, why);
}

std::optional<QList<UnitRecord>> PendingRecords::records(QString *why)
{
    const std::optional<QList<Waiting>> all = waiting(why);
    if (!all)
        return std::nullopt;
    QList<UnitRecord> records;
    for (const Waiting &w : *all)
        records.append(w.record);
    return records;
}

std::optional<QList<PendingRecords::StoreCount>> PendingRecords::countByStore(QString *why)
{
    const std::optional<QList<Waiting>> all = waiting(why);
    if (!all)
        return std::nullopt;
    QList<StoreCount> counts;
    for (const Waiting &w : *all) {
        auto at = std::find_if(counts.begin(), counts.end(), [&](const StoreCount &c) { return c.store == w.store; });
        if (at == counts.end())
            counts.append({ w.store, 1 });
        else
            ++at->records;
    }
    return counts;
}

std::optional<QList<PendingRecords::Waiting>> PendingRecords::readLocked(int *setAside, QString *why)
{
    QFile file(m_filePath);
    if (!file.exists())
        return QList<Waiting>();
    if (!file.open(QIODevice::ReadOnly)) {
        fail(why, QStringLiteral("cannot open %1: %2").arg(m_filePath, file.errorString()));
        return std::nullopt;
    }
    if (file.size() > MaxFileSize) {
        fail(why, QStringLiteral("%1 is %2 bytes, more than a pending file of this program ever holds; it is left as it is")
                      .arg(m_filePath).arg(file.size()));
        return std::nullopt;
    }
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        fail(why, QStringLiteral("cannot read %1: %2").arg(m_filePath, file.errorString()));
        return std::nullopt;
    }
    file.close();

    QList<Waiting> records;
    QList<QByteArray> damaged;
    const QList<QByteArray> lines = content.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray &line = lines[i];
        if (line.trimmed().isEmpty())
            continue;
        QJsonParseError parseError;
        const QJsonDocument document = QJsonDocument::fromJson(line, &parseError);
        QString damage;
        if (parseError.error != QJsonParseError::NoError)
            damage = QStringLiteral("not JSON (%1 at byte %2)").arg(parseError.errorString()).arg(parseError.offset);
        else if (!document.isObject())
            damage = QStringLiteral("not a JSON object");
        else if (const QJsonValue store = document.object().value(StoreKey); !store.isUndefined() && !store.isString())
            damage = QStringLiteral("store is not a text");
        else if (const std::optional<UnitRecord> record = UnitRecord::fromJson(document.object(), &damage)) {
            records.append({ *record, store.toString() });
            continue;
        }
        if (i == lines.size() - 1)
            damage += QStringLiteral("; it is the last line and has no end, as a write cut short leaves it");
        qWarning("%s, line %d: %s; moved to %s", qPrintable(m_filePath), int(i + 1), qPrintable(damage), qPrintable(damagedPath()));
        damaged.append(line);
    }
    *setAside = int(damaged.size());
    if (damaged.isEmpty())
        return records;

    // The damaged lines go aside first and leave the pending file only once they are there, so
    // a crash in between leaves them in both places, never in neither. A line already aside from
    // such a crash is not added twice.
    QFile old(damagedPath());
    QByteArray alreadyAside;
    if (old.open(QIODevice::ReadOnly))
        alreadyAside = old.readAll();
    const QList<QByteArray> asideLines = alreadyAside.split('\n');
    QByteArray toAdd;
    for (const QByteArray &line : std::as_const(damaged)) {
        if (!asideLines.contains(line))
            toAdd += line + '\n';
    }
    if (!toAdd.isEmpty() && !appendDurably(damagedPath(), toAdd, why))
        return std::nullopt;
    if (!rewriteLocked(records, why))
        return std::nullopt;
    return records;
}

bool PendingRecords::rewriteLocked(const QList<Waiting> &records, QString *why)
{
    if (records.isEmpty()) {
        if (QFile::exists(m_filePath) && !QFile::remove(m_filePath))
            return fail(why, QStringLiteral("cannot remove %1").arg(m_filePath));
        return true;
    }
    // QSaveFile writes beside the file and renames over it: the old content stays whole until
    // the new is complete on the disk.
    QSaveFile file(m_filePath);
    if (!file.open(QIODevice::WriteOnly))
        return fail(why, QStringLiteral("cannot rewrite %1: %2").arg(m_filePath, file.errorString()));
    for (const Waiting &record : records)
        file.write(jsonLine(record));
    if (!file.commit())
        return fail(why, QStringLiteral("cannot rewrite %1: %2").arg(m_filePath, file.errorString()));
    return true;
}

PendingRecords::Delivery PendingRecords::deliver(RecordStore &store)
{
    return deliverMeantFor(store, store.settings().displayString());
}

PendingRecords::Delivery PendingRecords::deliverTo(RecordStore &store, const QString &meantFor)
{
    return deliverMeantFor(store, meantFor);
}

PendingRecords::Delivery PendingRecords::deliverMeantFor(RecordStore &store, const QString &meantFor)
{
    Delivery delivery;
    QLockFile lockFile(m_filePath + QStringLiteral(".lock"));
    if (!lock(lockFile, m_filePath, &delivery.why))
        return delivery;
    const std::optional<QList<Waiting>> waiting = readLocked(&delivery.setAside, &delivery.why);
    if (!waiting || waiting->isEmpty())
        return delivery;

    QList<Waiting> kept;
    for (const Waiting &w : *waiting) {
        if (w.store != meantFor) {
            ++delivery.otherStores;
            kept.append(w);
            continue;
        }
        if (!delivery.storeReached) {
            ++delivery.remaining;
            kept.append(w);
            continue;
        }
        switch (store.write(w.record)) {
        case RecordStore::WriteResult::Stored:
        case RecordStore::WriteResult::AlreadyStored:
            ++delivery.delivered;
            break;
        case RecordStore::WriteResult::Unreachable:
            delivery.storeReached = false;
            [[fallthrough]];
        case RecordStore::WriteResult::Refused:
            // One record the store will not take does not hold back the others.
            if (delivery.why.isEmpty())
                delivery.why = store.why();
            ++delivery.remaining;
            kept.append(w);
            break;
        }
    }
    if (delivery.delivered > 0) {
        QString why;
        if (!rewriteLocked(kept, &why)) {
            // The confirmed records stay in the file; the next delivery finds them stored already.
            delivery.why = why;
            delivery.remaining += delivery.delivered;
        }
    }
    return delivery;
}
