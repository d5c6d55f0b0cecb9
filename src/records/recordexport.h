#pragma once

#include "records/unitrecord.h"

#include <QByteArray>
#include <QList>
#include <QString>

class RecordStore;

// Records out of the program: a CSV table for a spreadsheet and one JSON file per unit.
//
// The table has one row per step, the unit's columns repeated on each: a filter on the step
// column then shows every unit's "DO3 alone" side by side, which is what is looked for when a
// fixture or a batch goes wrong; one row per unit would need a column group per step, and the
// steps are not the same for every unit (a run that stopped early has fewer). A unit without
// steps still has one row, with the step columns empty.
//
// The CSV is UTF-8 with a byte order mark (without it Excel reads Chinese names as Latin-1),
// rows end in CR LF, and a field is quoted when it holds a comma, quote, tab, line end or
// leading or trailing space, with quotes doubled (RFC 4180). The other control characters have
// no place in a CSV field and come out as their visible symbols (U+2400 + code, DEL as U+2421):
// a raw reply's SOH shows as "␁". A text cell (names, serial number, the controller's replies)
// that begins with = + - @, a tab or a line end gets an apostrophe in front, so that a
// spreadsheet shows it as text and never runs it as a formula. Times are local, with their
// offset. The JSON files keep every text exactly as recorded.
class RecordExport
{
public:
    static QStringList csvHeader();
    static QByteArray csv(const QList<UnitRecord> &records);
    static bool writeCsv(const QList<UnitRecord> &records, const QString &path, QString *why = nullptr);

    // "<local start yyyyMMdd-HHmmss>_<serial number>_<record id>.json"; characters a file
    // system may not take in the serial number become "_".
    static QString jsonFileName(const UnitRecord &record);
    static bool writeJsonFiles(const QList<UnitRecord> &records, const QString &folder, QString *why = nullptr);

    // Both, for the units that started in [from, to). An empty csvPath or jsonFolder leaves that one out.
    static bool exportRange(RecordStore &store, const QDateTime &from, const QDateTime &to,
                            const QString &csvPath, const QString &jsonFolder, QString *why = nullptr);
};
