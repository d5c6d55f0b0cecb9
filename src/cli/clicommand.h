#pragma once

#include "cli/clirequest.h"

#include <QCommandLineOption>
#include <QList>
#include <QString>
#include <QStringList>

class CliRunner;
class QCommandLineParser;

// One command of zu42cli, whole: what its help says, the options it takes, how its arguments
// become the request, and what the runner does with that request before and after the link
// opens. CliCommands holds one of these for each command, and nothing else names a command.
struct CliCommand
{
    // The arguments after the command's name into the request: empty when they are right,
    // else why not. It sees no file and no link, so that it can be run on any input.
    using Take = QString (*)(CliRequest &request, const QStringList &arguments, const QCommandLineParser &parser);
    // A part of the run that gives an exit status; CliRunner::Done lets the run go on.
    using Step = int (CliRunner::*)();

    const char *name;
    CliRequest::Command command;
    const char *arguments; // after the command's name, as the usage line shows them
    const char *summary;
    const char *details;
    int minArguments;
    int maxArguments;      // -1: any number
    QList<QCommandLineOption> options; // besides the ones every command takes
    bool listsValues;      // its help lists every value name, as get and set take them
    Take take;             // nullptr: the arguments' count is all there is to check
    Step refuse;           // what can be refused before the link opens (files); nullptr: nothing
    Step run;              // on the open link
    bool onLink;           // false: a command of this PC's own (the records), which takes no --link
};
