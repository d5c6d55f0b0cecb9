#pragma once

#include "cli/clirequest.h"

#include <QString>
#include <QStringList>
#include <optional>

// The command line of zu42cli:
//     zu42cli --link tcp:HOST:PORT | serial:PORT[:MODE] [--id ID] [--json] COMMAND [ARGS]
// parsed with QCommandLineParser twice: once to find the command, then with the options that
// command takes, so an option of another command is an error rather than silently ignored.
class CliArguments
{
public:
    // What the arguments come to: a request to run, or a text to print and an exit status
    // (help and version: 0 on standard output; bad usage: 2 on standard error).
    struct Parsed
    {
        std::optional<CliRequest> request;
        int status = 0;
        QString text;
        bool json = false; // --json was given: a usage error is also reported as JSON
        QString command;   // as far as it was read: a usage error's JSON names it
    };

    static Parsed parse(const QStringList &arguments);

    // "tcp:127.0.0.1:5003", "serial:/dev/ttyUSB0:19200,e,8,1", "serial:COM3".
    static std::optional<LinkSettings> parseLink(const QString &text, QString *why);

    // The serial line settings when MODE is left out.
    static QString defaultLineMode() { return QStringLiteral("19200,e,8,1"); }
};
