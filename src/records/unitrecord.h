#pragma once

#include "records/steprecord.h"

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QUuid>
#include <optional>

// Everything kept about one finished unit of the jig test. The record id is made when the unit
// finishes and never again: a store that already holds it takes a retry as done, which is what
// lets a record be sent again after a lost answer without being written twice.
struct UnitRecord
{
    // FAIL: the unit answered wrongly or stayed silent. ERROR: the station could not test it
    // (its link was lost), which says nothing of the unit and is kept out of the yield.
    enum class Verdict { Pass, Fail, Error };

    // The JSON form carries this number; a newer one is refused rather than half read. Format 1
    // (before ERROR and engineering runs) is still read: its records are production runs.
    static constexpr int FormatVersion = 2;
    // Texts longer than this are refused (finish() shortens them); a raw reply fits.
    static constexpr int MaxTextLength = 4096;

    QUuid recordId;
    QString serialNumber;   // the unit: counters and first-pass yield go by it
    QString controllerId;
    QString model;
    QString version;
    QString station;
    QString operatorName;
    QDateTime start;        // kept in UTC, shown in local time
    QDateTime end;
    QString jigMapName;
    Verdict verdict = Verdict::Fail;
    // An engineering run (a fixture tried out, a unit examined): kept, never counted in yield.
    bool engineering = false;
    QList<StepRecord> steps;

    // Closes the record: end time, a new record id, steps numbered from 1, and the verdict, PASS
    // only when there are steps and every one passed (a run that stops early adds a failed step
    // saying why). Texts a store could not hold are made storable: a NUL becomes U+2400, a text
    // beyond MaxTextLength is cut with an ellipsis. linkLost: the station lost its link in the
    // middle, so a run that did not pass is ERROR rather than FAIL.
    void finish(const QDateTime &endTime = QDateTime::currentDateTimeUtc(), bool linkLost = false);

    // Empty when the record may be stored; else the first thing wrong with it.
    QString whyInvalid() const;

    QJsonObject toJson() const;
    // A damaged or partial object gives nothing and the reason.
    static std::optional<UnitRecord> fromJson(const QJsonObject &object, QString *why = nullptr);

    static QString verdictText(Verdict verdict);
    static std::optional<Verdict> verdictFromText(const QString &text);
    // "2024-03-15T14:25:30.123Z": fixed width, so the text sorts as the time does.
    static QString utcText(const QDateTime &time);
    // Only a time with its zone or offset; a bare local time would change with the PC's zone.
    static std::optional<QDateTime> timeFromText(const QString &text);

    friend bool operator==(const UnitRecord &, const UnitRecord &) = default;
};
