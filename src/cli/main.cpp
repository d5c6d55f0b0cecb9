// zu42cli: the controller core on the command line, for production lines and scripts.
#include "cli/cliarguments.h"
#include "cli/clirunner.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zu42cli"));

    QTextStream out(stdout);
    QTextStream err(stderr);
    const CliArguments::Parsed parsed = CliArguments::parse(app.arguments());
    if (!parsed.request) {
        (parsed.status == 0 ? out : err) << parsed.text;
        if (parsed.status != 0 && parsed.json) {
            const QJsonObject report { { QStringLiteral("ok"), false },
                                       { QStringLiteral("exit"), parsed.status },
                                       { QStringLiteral("error"), parsed.text.section(QLatin1Char('\n'), 0, 0).mid(9) } };
            out << QJsonDocument(report).toJson(QJsonDocument::Indented);
        }
        return parsed.status;
    }
    return CliRunner(*parsed.request, out, err).run();
}
