// The tool's window, created as zu42tool creates it, with its settings from the same store;
// this program presses "Connect device" in it, runs the automatic test for a moment with DO1
// ticked (on the simulator's test jig DI1 follows DO1), then "Command test" on the command page,
// and saves a picture after each. With a fourth picture named, the traffic monitor is opened
// from the Tools menu first and stands beside the window throughout; its picture is taken at
// the end. It prints what the operator would read and exits 0 only when the controller was
// connected.
//   zu42demo <connected.png> [<command.png> [<autotest.png> [<monitor.png>]]]
#include "app/programcommandline.h"
#include "app/programidentity.h"
#include "app/tfrmmodule.h"
#include "app/trafficmonitorwindow.h"
#include "traffic/trafficmodel.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QTimer>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <algorithm>
#include <cstdio>

namespace {

void settle(int ms)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

QString lampName(const QColor &color)
{
    if (color == QColor(255, 255, 0))
        return QStringLiteral("yellow");
    if (color == QColor(255, 0, 0))
        return QStringLiteral("red");
    return color.name();
}

QString textOf(const TfrmModule &window, const char *name)
{
    if (const auto label = window.findChild<QLabel *>(QLatin1String(name)))
        return label->text();
    if (const auto edit = window.findChild<QLineEdit *>(QLatin1String(name)))
        return edit->text();
    return QString();
}

bool save(QWidget &window, const QString &path)
{
    settle(300);
    QDir().mkpath(QFileInfo(path).absolutePath());
    const bool ok = window.grab().save(path, "PNG");
    std::printf("%s %s\n", ok ? "screenshot:" : "could not write", qPrintable(QFileInfo(path).absoluteFilePath()));
    return ok;
}

void press(TfrmModule &window, const char *button)
{
    // The whole operation runs inside the click, as it does for the operator.
    if (auto b = window.findChild<QPushButton *>(QLatin1String(button)))
        b->click();
}

} // namespace

int main(int argc, char *argv[])
{
    ProgramIdentity::declare(QStringLiteral("zu42demo"));
    ProgramCommandLine commandLine(QStringLiteral(
        "Drives the window of zu42tool once: connects to the controller its settings name, runs the\n"
        "automatic test for a moment with DO1 ticked, sends the free command, and saves a picture\n"
        "after each. Exits 0 only when the controller was connected."));
    commandLine.takeArguments(QStringLiteral("<connected.png> [<command.png> [<autotest.png> [<monitor.png>]]]"),
                              QStringLiteral("The pictures: after connecting, of the command page, of the test, of the traffic monitor."),
                              1, 4);
    if (const std::optional<int> status = commandLine.read(argc, argv))
        return *status;

    QApplication app(argc, argv);
    ProgramIdentity::setWindowIcon();
    const QStringList shots = commandLine.positionalArguments();
    const QString connectedShot = shots.at(0);
    const QString commandShot = shots.value(1);
    const QString autoTestShot = shots.value(2);
    const QString monitorShot = shots.value(3);

    TfrmModule frmModule;
    if (const QScreen *screen = frmModule.screen()) {
        // With the monitor beside it, the window goes to the left of the screen to leave room.
        if (monitorShot.isEmpty())
            frmModule.move(screen->availableGeometry().center() - frmModule.rect().center());
        else
            frmModule.move(screen->availableGeometry().topLeft() + QPoint(8, 8));
    }
    frmModule.show();
    settle(500);
    if (!monitorShot.isEmpty()) {
        frmModule.findChild<QAction *>(QStringLiteral("mnuMonitor"))->trigger();
        settle(300);
    }

    press(frmModule, "btnConnect");
    const QColor lamp = frmModule.findChild<QWidget *>(QStringLiteral("shComm"))->property("color").value<QColor>();
    const bool connected = frmModule.findChild<QWidget *>(QStringLiteral("pcMain"))->isEnabled();
    std::printf("banner:  %s\n", qPrintable(textOf(frmModule, "pnMsg")));
    std::printf("version: %s\n", qPrintable(textOf(frmModule, "pnVER")));
    std::printf("serial:  %s\n", qPrintable(textOf(frmModule, "pnSN")));
    std::printf("lamp:    %s\n", qPrintable(lampName(lamp)));
    std::printf("work area %s\n", connected ? "enabled: connected" : "disabled: not connected");
    if (!connected)
        std::printf("why:     %s\n", qPrintable(frmModule.findChild<QWidget *>(QStringLiteral("pnMsg"))->toolTip()));
    bool saved = save(frmModule, connectedShot);

    if (connected && !autoTestShot.isEmpty()) {
        // The run lives inside the click on "Auto test"; the operator's later clicks arrive at
        // its message-processing points, as these timers' do.
        QTimer::singleShot(400, &frmModule, [&frmModule] {
            frmModule.findChild<QCheckBox *>(QStringLiteral("chkDO1"))->click();
        });
        QColor di1;
        QTimer::singleShot(1200, &frmModule, [&] {
            di1 = frmModule.findChild<QWidget *>(QStringLiteral("shDI1"))->property("color").value<QColor>();
            saved = frmModule.grab().save(autoTestShot, "PNG") && saved;
            std::printf("screenshot: %s\n", qPrintable(QFileInfo(autoTestShot).absoluteFilePath()));
            press(frmModule, "btnAuto"); // "Cancel auto test"
        });
        press(frmModule, "btnAuto");
        std::printf("auto test: DO1 ticked -> DI1 %s; after cancel: %s, DO1 %s\n", qPrintable(lampName(di1)),
                    qPrintable(textOf(frmModule, "pnMsg")),
                    frmModule.findChild<QCheckBox *>(QStringLiteral("chkDO1"))->isChecked() ? "checked" : "unchecked");
    }

    if (connected && !commandShot.isEmpty()) {
        auto pages = frmModule.findChild<QTabWidget *>(QStringLiteral("pcMain"));
        pages->setCurrentWidget(frmModule.findChild<QWidget *>(QStringLiteral("tsCommand")));
        press(frmModule, "btnCommand");
        std::printf("free command %s: %s -> %s\n", qPrintable(textOf(frmModule, "edCommandSend")),
                    qPrintable(textOf(frmModule, "pnMsg")), qPrintable(textOf(frmModule, "edCommandRecv")));
        saved = save(frmModule, commandShot) && saved;
    }

    if (TrafficMonitorWindow *monitor = frmModule.trafficMonitor(); monitor && !monitorShot.isEmpty()) {
        // What the monitor's last rows say, as the operator reads them.
        const TrafficModel &rows = monitor->recorder().model();
        std::printf("traffic monitor: %d rows\n", rows.rowCount());
        for (int i = std::max(0, rows.rowCount() - 3); i < rows.rowCount(); ++i) {
            QStringList cells;
            for (const int column : { TrafficModel::TimeColumn, TrafficModel::CommandColumn, TrafficModel::ReplyColumn,
                                      TrafficModel::RoundTripColumn, TrafficModel::VerdictColumn })
                cells.append(rows.text(rows.row(i), column));
            std::printf("  %s\n", qPrintable(cells.join(QLatin1String("  "))));
        }
        saved = save(*monitor, monitorShot) && saved;
    }
    std::fflush(stdout);
    return connected && saved ? 0 : 1;
}
