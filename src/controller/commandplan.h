#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The command texts one press sends, in order, each after the controller's ID; or why the
// operator's values cannot go out, in which case nothing at all is sent. Building the plan
// before the link opens means a wrong entry never costs an exchange.
struct CommandPlan
{
    QList<QByteArray> commands;
    QString refusal;

    bool refused() const { return !refusal.isEmpty(); }

    static CommandPlan of(QList<QByteArray> commands) { return { std::move(commands), QString() }; }
    static CommandPlan refuse(const QString &why)
    {
        return { {}, why.isEmpty() ? QStringLiteral("The value cannot go out") : why };
    }
};
