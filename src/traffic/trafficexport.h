#pragma once

#include "link/exchangeevent.h"
#include "traffic/trafficrow.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The monitor's rows out of the program, always with the fixed English words of
// TrafficRow::outcomeName ("no reply", "check digits wrong"), whatever the window's language,
// so that a second-line engineer can search any file for them.
//
// CSV: UTF-8 with a byte order mark (Excel otherwise reads it as Latin-1), rows end in CR LF,
// a field is quoted when it holds a comma, quote, line end, tab or leading or trailing blank,
// quotes doubled (RFC 4180). Request and reply come twice: as characters with control
// pictures and as hexadecimal bytes. The other control characters of a text have no place in
// a CSV field and come out as their pictures.
//
// Text (the log file's form too): one line per row, fields separated by tabs: local time with
// its offset, link, outcome, round trip in ms, request, reply, detail. Control characters of
// every field are pictures, so a line never breaks and a tab never splits a field.
class TrafficExport
{
public:
    static QStringList csvHeader();
    static QStringList csvFields(const TrafficRow &row);
    static QString csvField(const QString &text);
    static QByteArray csv(const QList<TrafficRow> &rows);

    static QString textLine(const ExchangeEvent &event);
    static QByteArray text(const QList<TrafficRow> &rows);

    // Replaces the file as a whole (QSaveFile): an interrupted save leaves the old file.
    static bool save(const QString &path, const QByteArray &content, QString *why);
};
