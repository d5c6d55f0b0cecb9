#pragma once

#include <QByteArray>
#include <QDateTime>
#include <optional>

// Command texts of the automatic product test (each goes out after the controller's ID).
class AutoTestCommands
{
public:
    static constexpr int OutputCount = 4;

    // "AA" + the PC's local time "yyyyMMddHHmmss": sets the controller's clock.
    static QByteArray setClock(const QDateTime &now);

    // "JD" + output (1..4) + "1" on / "0" off; nothing for an output the controller lacks.
    static std::optional<QByteArray> switchOutput(int output, bool on);

    // "IE": clock, inputs 1 to 4 and now and then a record.
    static QByteArray readInputs() { return QByteArrayLiteral("IE"); }
    // "IB": sent after a record has been shown.
    static QByteArray recordShown() { return QByteArrayLiteral("IB"); }
    // "DF": the two further inputs.
    static QByteArray readExtraInputs() { return QByteArrayLiteral("DF"); }
    // "JE": the test is over.
    static QByteArray endTest() { return QByteArrayLiteral("JE"); }
};
