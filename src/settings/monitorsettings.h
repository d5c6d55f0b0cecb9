#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The traffic monitor's values in the settings key, each under a name of its own beside the
// link and language values (which it never touches). Each is read on its own: one that is
// missing or damaged keeps its default and the others still count.
//
//   MonitorGeometry  string  the window's geometry (QWidget::saveGeometry, base64)
//   MonitorColumns   string  column widths in pixels, "46,90,130,..."
//   MonitorRows      dword   rows the monitor keeps
//   MonitorHex       dword   1: command and reply in hexadecimal
//   MonitorLogFile   dword   1: the daily log file is on
struct MonitorSettings
{
    static constexpr int DefaultRows = 10000;

    QByteArray geometry;     // empty: none stored, the window places itself
    QList<int> columnWidths; // empty: none stored
    int rows = DefaultRows;
    bool hexadecimal = false;
    bool logFile = false;

    static MonitorSettings read();

    // Writing creates the key when missing; a value the key refuses is not stored.
    static void saveLayout(const QByteArray &geometry, const QList<int> &columnWidths);
    static void saveRows(int rows);
    static void saveHexadecimal(bool on);
    static void saveLogFile(bool on);

    // "46,90,130" and back; a text with anything but positive widths gives an empty list.
    static QString columnsText(const QList<int> &widths);
    static QList<int> columnsFromText(const QString &text);
};
