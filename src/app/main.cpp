// ZU42 Test Tools: tests and sets up one door access controller over a serial line or TCP.
#include "app/programcommandline.h"
#include "app/programidentity.h"
#include "app/tfrmmodule.h"

#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <exception>

int main(int argc, char *argv[])
{
    ProgramIdentity::declare(QStringLiteral("zu42tool"));
    ProgramCommandLine commandLine(QStringLiteral(
        "ZU42 Test Tools: tests and sets up one door access controller of the VE42rOZ family\n"
        "(RO420, ZO425, RO426) over a serial line or TCP."));
    if (const std::optional<int> status = commandLine.read(argc, argv))
        return *status;

    QApplication app(argc, argv);
    ProgramIdentity::setWindowIcon();

    try {
        TfrmModule frmModule;
        if (const QScreen *screen = frmModule.screen())
            frmModule.move(screen->availableGeometry().center() - frmModule.rect().center());
        frmModule.show();
        return app.exec();
    } catch (const std::exception &e) {
        QMessageBox::critical(nullptr, QApplication::applicationDisplayName(), QString::fromLocal8Bit(e.what()));
        return 1;
    }
}
