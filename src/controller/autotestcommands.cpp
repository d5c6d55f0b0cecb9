#include "controller/autotestcommands.h"

QByteArray AutoTestCommands::setClock(const QDateTime &now)
{
    // toString with a format is locale independent, so the digits are always ASCII.
    return "AA" + now.toLocalTime().toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1();
}

std::optional<QByteArray> AutoTestCommands::switchOutput(int output, bool on)
{
    if (output < 1 || output > OutputCount)
        return std::nullopt;
    return "JD" + QByteArray::number(output) + (on ? "1" : "0");
}
