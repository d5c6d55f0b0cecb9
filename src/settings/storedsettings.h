#pragma once

#include <QString>
#include <QtGlobal>

// The operator's link settings and language as the settings key holds them, with the
// defaults of a machine where nothing has been stored yet. Failures of the key are never
// reported: whatever cannot be read keeps its default, whatever cannot be written is not
// stored.
struct StoredSettings
{
    quint32 type = 0;  // link kind: 0 serial line, any other number TCP
    QString comPortName = QStringLiteral("COM1");
    QString comBaudRate = QStringLiteral("19200,e,8,1");
    QString netIp = QStringLiteral("192.168.1.101");
    QString netPort = QStringLiteral("5003");
    QString languageFlag = QStringLiteral("English");
    int languageIndex = 0;  // 0 English, 1 Simplified Chinese, 2 Traditional Chinese
    // The adapter ComPortName stood for when it was saved, so that it is found again under
    // another name; empty for a port without either (a built-in port, a name typed in).
    QString comPortStablePath;
    QString comPortSerialNumber;

    // 0 for the serial line, 1 for TCP.
    int linkMode() const { return type == 0 ? 0 : 1; }

    // Reads TYPE, ComBaudRate, ComPortName, NetIP, NetPort and LanguageFlag in that order,
    // each only when present. A value of the wrong type ends the reading: the values before
    // it are kept, the rest stay at their defaults. ComPortStablePath and ComPortSerialNumber
    // are read on their own: a wrong one leaves itself empty and nothing else.
    static StoredSettings read();
    // "ChineseGB" gives 1, "ChineseBIG5" 2, exactly as written; any other text 0.
    static int languageIndexOf(const QString &languageFlag);

    // Writes TYPE, NetPort, NetIP, ComBaudRate and ComPortName, in that order, creating the
    // key when missing. Writing stops at a value that cannot be written; the ones before it
    // are stored.
    static void saveLink(quint32 type, const QString &netPort, const QString &netIp,
                         const QString &comBaudRate, const QString &comPortName);
    static void saveLanguage(const QString &languageFlag);
    // Writes ComPortStablePath and ComPortSerialNumber beside ComPortName.
    static void saveAdapter(const QString &stablePath, const QString &serialNumber);
};
