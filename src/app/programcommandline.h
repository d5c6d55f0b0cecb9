#pragma once

#include <QCommandLineParser>
#include <QString>
#include <optional>

// The command line of a program that opens windows, read before anything reaches for the window
// system: --help, --version and a mistyped option answer on a machine without a display, and a
// mistake never leaves a half-started window behind. Qt's own window options (-platform,
// -style, -reverse, ...) are known here and left to the application object.
class ProgramCommandLine
{
public:
    // description: what --help says the program does. Without takeArguments() the program
    // takes options only.
    explicit ProgramCommandLine(const QString &description);

    // Arguments after the options: syntax as the usage line shows them, help as --help explains
    // them, and how many are taken. Before read().
    void takeArguments(const QString &syntax, const QString &help, int min, int max);
    // An option of the program's own; before read().
    void addOption(const QCommandLineOption &option);

    // Reads the arguments as main() got them. Returns the exit status when the program is to
    // stop here: 0 after --help or --version (on standard output), 2 after a mistake (said on
    // standard error with the way to the help). Nothing when the program goes on.
    std::optional<int> read(int argc, char **argv);

    bool isSet(const QCommandLineOption &option) const;
    QStringList positionalArguments() const;

private:
    QCommandLineParser m_parser;
    QString m_positionalSyntax;
    int m_minPositional = 0;
    int m_maxPositional = 0;
};
