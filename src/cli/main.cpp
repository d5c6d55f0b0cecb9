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

namespace {

// A PDF needs fonts, which Qt GUI keeps; without a screen it draws offscreen. Every other run
// stays a plain core application.
bool drawsPdf(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--pdf") == 0 || std::strcmp(argv[i], "--certificate") == 0)
            return true;
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    std::unique_ptr<QCoreApplication> application;
    if (drawsPdf(argc, argv)) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        application = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        application = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("zu42cli"));

    QTextStream out(stdout);
    QTextStream err(stderr);
    const CliArguments::Parsed parsed = CliArguments::parse(QCoreApplication::arguments());
    if (!parsed.request)
        return CliReport(out, err, parsed.json, parsed.command).finishWithoutRequest(parsed.status, parsed.text);
    return CliRunner(*parsed.request, out, err).run();
}
