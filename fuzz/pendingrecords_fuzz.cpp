// Fuzzes the pending-records file: whatever a crash in the middle of a write, an edit by hand or
// a damaged disk could leave in it, read as the jig station reads it before each delivery.
//
//  - Every line that holds a whole record is read, in file order, once; every other non-blank
//    line goes aside to the damaged file, once, as it stood; no record is lost or doubled.
//  - After the reading the pending file holds exactly the records read, and reading it again
//    finds the same records and nothing more to set aside.
//  - A record that reads writes out and reads back the same.
//  - A record that is refused on append leaves the file as it was; one that is taken is read
//    back after all the others.
#include "fuzzcheck.h"

#include "records/pendingrecords.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdint>

namespace {

QByteArray fileContent(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::optional<UnitRecord> recordOf(const QByteArray &line)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(line, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return UnitRecord::fromJson(document.object());
}

UnitRecord extraRecord()
{
    UnitRecord record;
    record.serialNumber = QStringLiteral("24010042");
    record.controllerId = QStringLiteral("000");
    record.start = QDateTime::fromString(QStringLiteral("2026-12-07T06:25:30.123Z"), Qt::ISODateWithMs);
    StepRecord step;
    step.name = QStringLiteral("DO1 alone");
    step.passed = true;
    record.steps = { step };
    record.finish(record.start.addSecs(20));
    return record;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    quietWarnings();
    (void)scratchFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray content(reinterpret_cast<const char *>(data), qsizetype(size));

    // What the file holds, line by line, read on its own.
    QList<UnitRecord> expected;
    QByteArray expectedAside;
    for (const QByteArray &line : content.split('\n')) {
        if (line.trimmed().isEmpty())
            continue;
        if (const std::optional<UnitRecord> record = recordOf(line))
            expected.append(*record);
        else
            expectedAside += line + '\n';
    }

    const QString path = scratchFolder().filePath(QStringLiteral("records.pending.jsonl"));
    PendingRecords pending(path);
    QFile::remove(pending.damagedPath());
    {
        QFile file(path);
        require(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size(),
                "the pending file is written");
    }

    QString error;
    const std::optional<QList<UnitRecord>> records = pending.records(&error);
    require(records.has_value(), "a pending file that can be read and written is always read");
    require(*records == expected, "every whole record is read once, in file order");
    require(fileContent(pending.damagedPath()) == expectedAside, "every damaged line goes aside once, as it stood");
    if (expectedAside.isEmpty())
        require(fileContent(path) == content, "a file without damage is left as it is");
    else if (expected.isEmpty())
        require(!QFile::exists(path), "a file of damage only is removed once it is aside");

    for (const UnitRecord &record : *records) {
        require(record.whyInvalid().isEmpty(), "a record read may be stored");
        const QByteArray json = QJsonDocument(record.toJson()).toJson(QJsonDocument::Compact);
        const std::optional<UnitRecord> again = recordOf(json);
        require(again.has_value(), "a record written out reads back");
        require(*again == record, "a record written out reads back the same");
    }

    // Set aside once: the next reader finds the same records and a clean file.
    const std::optional<QList<UnitRecord>> second = pending.records(&error);
    require(second && *second == expected, "reading again finds the same records");
    require(fileContent(pending.damagedPath()) == expectedAside, "nothing is set aside twice");

    // A record the store could not take: refused when incomplete, with the file untouched.
    const QByteArray before = fileContent(path);
    UnitRecord incomplete = records->isEmpty() ? extraRecord() : records->first();
    incomplete.serialNumber.clear();
    require(!pending.append(incomplete, QStringLiteral("sqlite:records.sqlite"), &error), "an incomplete record is refused");
    require(fileContent(path) == before, "a refused record leaves the file as it was");

    const UnitRecord extra = records->isEmpty() ? extraRecord() : records->last();
    require(pending.append(extra, QStringLiteral("sqlite:records.sqlite"), &error), "a complete record is kept");
    const std::optional<QList<UnitRecord>> third = pending.records(&error);
    require(third && *third == expected + QList<UnitRecord>{ extra }, "a kept record comes after all the others");
    return 0;
}
