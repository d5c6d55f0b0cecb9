// Opens a serial port as whoever runs it and says how that went: the failure's number on the
// first line, the link's words after it. The permission test runs it as an unprivileged user.
#include "link/controllerlink.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2) {
        QTextStream(stderr) << "usage: openprobe DEVICE\n";
        return 2;
    }
    ControllerLink link;
    link.open(LinkSettings::serial(args.at(1), QStringLiteral("19200,e,8,1")));
    QTextStream(stdout) << int(link.openFailure()) << '\n' << link.openFailureText() << '\n';
    return 0;
}
