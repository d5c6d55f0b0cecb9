// zu42sim: a simulated door controller for ZU42 Test Tools, on TCP and/or a pseudo-terminal.
#include "simoptions.h"
#include "simserver.h"
#include "zu42version.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zu42sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZU42_VERSION));

    QString error;
    const std::optional<SimOptions> options = SimOptions::parse(app.arguments(), &error);
    if (!options) {
        const bool help = app.arguments().contains(QStringLiteral("--help")) || app.arguments().contains(QStringLiteral("-h"));
        std::fprintf(help ? stdout : stderr, "%s%s\n", help ? "" : "zu42sim: ", qPrintable(error));
        return help ? 0 : 2;
    }

    SimServer server(*options);
    if (!server.start(&error)) {
        SimServer::announce(*options, "error " + error.toUtf8() + '\n');
        std::fprintf(stderr, "zu42sim: %s\n", qPrintable(error));
        return 1;
    }
    return app.exec();
}
