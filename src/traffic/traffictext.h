#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QtGlobal>

// The texts a row is shown and written in.
class TrafficText
{
public:
    // Every byte as one character: the control bytes as their Unicode control pictures (SOH
    // as U+2401 "␁", CR as U+240D "␍", DEL as U+2421), the others as the Latin-1 character of
    // that number, so the bytes can be read back from the text. The rule of the command page.
    static QString pictures(QByteArrayView bytes);
    // "01 30 30 30 41 53 02": two uppercase digits a byte, one blank between.
    static QString hex(QByteArrayView bytes);
    // A text kept on one line: its control characters, line ends and tabs included, as pictures.
    static QString oneLine(const QString &text);

    // What a request frame carries between its SOH and STX ("000AS"); the whole of a text that
    // is not a frame (an operator's refused value).
    static QByteArray commandText(QByteArrayView request);
    // The command letters and what follows them: the command text without the controller's
    // ID in front ("000AS" gives "AS", "5IE" gives "IE").
    static QByteArray commandLetters(QByteArrayView request);

    // "hh:mm:ss.zzz" of the local time.
    static QString clockTime(const QDateTime &time);
    // "2026-12-07 14:41:48.687 +01:00": the local date and time with its offset from UTC, so
    // that lines from both sides of a change to summer time still sort.
    static QString fullTime(const QDateTime &time);
    // Milliseconds with three decimals ("0.412"); empty when nothing was sent (negative).
    static QString roundTripMs(qint64 microseconds);
};
