#include "app/programcommandline.h"

#include <QCoreApplication>
#include <cstdio>

namespace {

// The options QGuiApplication and QApplication take from the command line: those with a value,
// then the switches. Hidden from --help, which names them as a group.
const char *const qtValueOptions[] = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "qwindowtitle",
    "qwindowicon", "session", "display", "geometry", "style", "stylesheet", "qmljsdebugger",
};
const char *const qtSwitches[] = { "reverse", "widgetcount" };

void print(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

} // namespace

ProgramCommandLine::ProgramCommandLine(const QString &description)
{
    m_parser.setApplicationDescription(
        description + QStringLiteral("\nQt's window options (-platform, -style, -reverse, ...) are taken too."));
    // Qt's options are single-dash words: "-platform" is one option, not eight letters.
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    // Qt's own help option would offer --help-all for Qt's options, which this help names as a
    // group already; --help-all stays as a quiet alias.
    m_parser.addOption(QCommandLineOption({ QStringLiteral("h"), QStringLiteral("help") },
                                          QStringLiteral("Displays this help.")));
    QCommandLineOption helpAll(QStringLiteral("help-all"));
    helpAll.setFlags(QCommandLineOption::HiddenFromHelp);
    m_parser.addOption(helpAll);
    m_parser.addVersionOption();
    for (const char *name : qtValueOptions) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        m_parser.addOption(option);
    }
    for (const char *name : qtSwitches) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        m_parser.addOption(option);
    }
}

void ProgramCommandLine::takeArguments(const QString &syntax, const QString &help, int min, int max)
{
    m_parser.addPositionalArgument(syntax, help, syntax);
    m_positionalSyntax = syntax;
    m_minPositional = min;
    m_maxPositional = max;
}

void ProgramCommandLine::addOption(const QCommandLineOption &option)
{
    m_parser.addOption(option);
}

std::optional<int> ProgramCommandLine::read(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const QString program = QCoreApplication::applicationName();
    auto mistake = [&](const QString &what) {
        print(stderr, QStringLiteral("%1: %2\nRun \"%1 --help\" to see what it takes.\n").arg(program, what));
        return 2;
    };

    if (!m_parser.parse(arguments))
        return mistake(m_parser.errorText());
    if (m_parser.isSet(QStringLiteral("help")) || m_parser.isSet(QStringLiteral("help-all"))) {
        // The usage line names the program as it was called, which the parser takes from a
        // core application object; that one needs no display.
        QCoreApplication core(argc, argv);
        print(stdout, m_parser.helpText());
        return 0;
    }
    if (m_parser.isSet(QStringLiteral("version"))) {
        print(stdout, QStringLiteral("%1 %2\n").arg(program, QCoreApplication::applicationVersion()));
        return 0;
    }
    const QStringList positional = m_parser.positionalArguments();
    if (positional.size() > m_maxPositional)
        return mistake(QStringLiteral("unexpected argument \"%1\"").arg(positional.at(m_maxPositional)));
    if (positional.size() < m_minPositional)
        return mistake(QStringLiteral("missing arguments: %1").arg(m_positionalSyntax));
    return std::nullopt;
}

bool ProgramCommandLine::isSet(const QCommandLineOption &option) const
{
    return m_parser.isSet(option);
}

QStringList ProgramCommandLine::positionalArguments() const
{
    return m_parser.positionalArguments();
}
