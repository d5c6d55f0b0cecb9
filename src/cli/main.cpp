// zu42cli: the controller core on the command line, for production lines and scripts.
#include "cli/cliarguments.h"
#include "cli/clireport.h"
#include "cli/clirunner.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>
#include <cstdio>
#include <cstring>
#include <memory>

int main(int argc, char *argv[])
{
    // A certificate draws text, which takes Qt GUI's fonts; it needs no display, so it gets the
    // platform that draws off screen. Every other command runs without Qt GUI at all.
    bool drawing = false;
    for (int i = 1; i < argc; ++i)
        drawing = drawing || std::strcmp(argv[i], "certificate") == 0;
    if (drawing && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> app(drawing ? new QGuiApplication(argc, argv) : new QCoreApplication(argc, argv));
    QCoreApplication::setApplicationName(QStringLiteral("zu42cli"));

    QTextStream out(stdout);
    QTextStream err(stderr);
    const CliArguments::Parsed parsed = CliArguments::parse(QCoreApplication::arguments());
    if (!parsed.request)
        return CliReport(out, err, parsed.json).finishWithoutRequest(parsed.status, parsed.text);
    return CliRunner(*parsed.request, out, err).run();
}
