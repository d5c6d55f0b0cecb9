// Every program answers --help and --version, and refuses a mistyped option with a clear
// message and a non-zero status, on a machine without a display: the window programs read
// their command line before they reach for the window system. Each program runs as a process,
// as a person or a script runs it, with a window system named that cannot be reached, so that
// a program that opened a window first fails.
#include "zu42version.h"

#include <QDir>
#include <QProcess>
#include <QTest>

namespace {

struct Program
{
    const char *name;
    const char *file;
};

const Program programs[] = {
    { "zu42tool", ZU42_TOOL_FILE },
    { "zu42sim", ZU42_SIM_FILE },
    { "zu42demo", ZU42_DEMO_FILE },
    { "zu42screenshots", ZU42_SCREENSHOTS_FILE },
    { "zu42cli", ZU42_CLI_FILE },
};

QString pathOf(const char *file)
{
    return QDir(QCoreApplication::applicationDirPath())
        .filePath(QStringLiteral(ZU42_PROGRAMS_FROM_TESTS "/") + QString::fromLatin1(file));
}

} // namespace

class ProgramCommandLineTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldAnswerWithoutADisplay_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        // Standard output: exactly out when it ends a line, else starts with it and holds each of
        // outMentions; nothing when out is empty. Standard error: starts with the first of err
        // and holds each; nothing when err is empty.
        QTest::addColumn<QString>("out");
        QTest::addColumn<QStringList>("outMentions");
        QTest::addColumn<QStringList>("err");

        const QString version = QStringLiteral(ZU42_VERSION);
        for (const Program &p : programs) {
            const QString name = QString::fromLatin1(p.name);
            const QString path = pathOf(p.file);
            const QString versionLine = name + QLatin1Char(' ') + version + QLatin1Char('\n');
            const QStringList usage { name, "--help", "--version" };
            QTest::addRow("%s --help", p.name) << path << QStringList { "--help" } << 0 << "Usage: " << usage
                                               << QStringList();
            QTest::addRow("%s -h", p.name) << path << QStringList { "-h" } << 0 << "Usage: " << usage << QStringList();
            QTest::addRow("%s --version", p.name) << path << QStringList { "--version" } << 0 << versionLine
                                                  << QStringList() << QStringList();
            QTest::addRow("%s -v", p.name) << path << QStringList { "-v" } << 0 << versionLine << QStringList()
                                           << QStringList();
            QTest::addRow("%s unknown option", p.name)
                << path << QStringList { "--frobnicate" } << 2 << QString() << QStringList()
                << QStringList { name + QStringLiteral(": "), QStringLiteral("frobnicate") };
        }

        const QString tool = pathOf(ZU42_TOOL_FILE);
        const QString demo = pathOf(ZU42_DEMO_FILE);
        const QString screenshots = pathOf(ZU42_SCREENSHOTS_FILE);
        QTest::newRow("zu42tool: a stray argument")
            << tool << QStringList { "COM3" } << 2 << QString() << QStringList()
            << QStringList { "zu42tool: ", "\"COM3\"", "zu42tool --help" };
        QTest::newRow("zu42tool: Qt's window options pass")
            << tool << QStringList { "-platform", "offscreen", "-style", "fusion", "-reverse", "--version" } << 0
            << QStringLiteral("zu42tool %1\n").arg(version) << QStringList() << QStringList();
        QTest::newRow("zu42tool: the mistake named among Qt's options")
            << tool << QStringList { "-platform", "offscreen", "--frobnicate" } << 2 << QString() << QStringList()
            << QStringList { "zu42tool: ", "frobnicate" };
        QTest::newRow("zu42tool: an option without its value")
            << tool << QStringList { "-style" } << 2 << QString() << QStringList()
            << QStringList { "zu42tool: ", "style" };
        QTest::newRow("zu42tool: the help names Qt's window options")
            << tool << QStringList { "--help" } << 0 << "Usage: " << QStringList { "-platform" } << QStringList();
        QTest::newRow("zu42demo: no picture named")
            << demo << QStringList() << 2 << QString() << QStringList() << QStringList { "zu42demo: ", "<connected.png>" };
        QTest::newRow("zu42demo: five pictures named")
            << demo << QStringList { "a.png", "b.png", "c.png", "d.png", "e.png" } << 2 << QString() << QStringList()
            << QStringList { "zu42demo: ", "\"e.png\"" };
        QTest::newRow("zu42screenshots: no folder")
            << screenshots << QStringList() << 2 << QString() << QStringList()
            << QStringList { "zu42screenshots: ", "<folder>" };
        QTest::newRow("zu42screenshots: two folders")
            << screenshots << QStringList { "one", "two" } << 2 << QString() << QStringList()
            << QStringList { "zu42screenshots: ", "\"two\"" };
        QTest::newRow("zu42screenshots: its own option in the help")
            << screenshots << QStringList { "--help" } << 0 << "Usage: " << QStringList { "--all-pages", "<folder>" }
            << QStringList();
    }
    void shouldAnswerWithoutADisplay()
    {
        QFETCH(QString, path);
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QStringList, outMentions);
        QFETCH(QStringList, err);

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(path, args);
        QVERIFY2(program.waitForStarted(5000), qPrintable(program.errorString()));
        if (!program.waitForFinished(10000)) {
            program.kill();
            program.waitForFinished();
            QFAIL("the program went on instead of answering");
        }
        // A Windows console program ends its lines with CR LF (its C library's text mode).
        const QString stdOut = QString::fromLocal8Bit(program.readAllStandardOutput()).replace(QLatin1String("\r\n"), QLatin1String("\n"));
        const QString stdErr = QString::fromLocal8Bit(program.readAllStandardError()).replace(QLatin1String("\r\n"), QLatin1String("\n"));
        const QString seen = QStringLiteral("status %1\nout: %2\nerr: %3").arg(program.exitCode()).arg(stdOut, stdErr);
        QVERIFY2(program.exitStatus() == QProcess::NormalExit, qPrintable(seen));
        QVERIFY2(program.exitCode() == status, qPrintable(seen));
        if (out.isEmpty())
            QVERIFY2(stdOut.isEmpty(), qPrintable(seen));
        else if (out.endsWith(QLatin1Char('\n')))
            QVERIFY2(stdOut == out, qPrintable(seen));
        else
            QVERIFY2(stdOut.startsWith(out), qPrintable(seen));
        for (const QString &part : outMentions)
            QVERIFY2(stdOut.contains(part), qPrintable(seen));
        if (err.isEmpty())
            QVERIFY2(stdErr.isEmpty(), qPrintable(seen));
        else
            QVERIFY2(stdErr.startsWith(err.first()), qPrintable(seen));
        for (const QString &part : err)
            QVERIFY2(stdErr.contains(part), qPrintable(seen));
    }
};

QTEST_GUILESS_MAIN(ProgramCommandLineTest)
#include "programcommandlinetest.moc"
