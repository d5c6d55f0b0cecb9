// ZU42 Test Tools: tests and sets up one door access controller over a serial line or TCP.
#include "app/tfrmmodule.h"

#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <exception>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("ZU42vIZ-O5 Test Tools"));
    QApplication::setApplicationName(QStringLiteral("zu42tool"));

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
