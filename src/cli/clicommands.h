#pragma once

#include "cli/clicommand.h"

#include <QList>

// The commands of zu42cli in the order the help lists them. A new command is one entry here
// (and its value in CliRequest::Command, its steps in CliRunner): the parser, the help and the
// runner all go by this table.
class CliCommands
{
public:
    static const QList<CliCommand> &all();
    static const CliCommand *find(const QString &name);
    // Every request's command is in the table.
    static const CliCommand &of(CliRequest::Command command);
    // The options of every command, each once, for reading the arguments before the command is
    // known.
    static QList<QCommandLineOption> everyOption();

private:
    static QList<CliCommand> table();
};
