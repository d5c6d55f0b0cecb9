// zu42cli: the controller core on the command line, for production lines and scripts.
#include "cli/cliarguments.h"
#include "cli/clireport.h"
#include "cli/clirunner.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zu42cli"));

    QTextStream out(stdout);
    QTextStream err(stderr);
    const CliArguments::Parsed parsed = CliArguments::parse(app.arguments());
    if (!parsed.request)
        return CliReport(out, err, parsed.json, parsed.command).finishWithoutRequest(parsed.status, parsed.text);
    return CliRunner(*parsed.request, out, err).run();
}
