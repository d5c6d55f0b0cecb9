// zu42sitewindowbench: the site window applying a profile to a simulated bus of 32 over TCP, as
// the installer sees it: the longest time the window went without processing its events (a
// repaint, a click) while the work ran, and how long after a press of Cancel the work ended.
#include "app/sitewindow.h"
#include "app/tfrmmodule.h"
#include "notone.h"
#include "simprocess.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <functional>

int main(int argc, char *argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_DIRS", QFile::encodeName(dir.path()));
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath(QStringLiteral("data"))));
    QApplication app(argc, argv);
    SimProcess sim({ QStringLiteral("--bus"), QStringLiteral("001-032") }, false);
    sim.setProgram(QCoreApplication::applicationDirPath() + QStringLiteral("/zu42sim"));
    sim.setRequestLog(false);
    if (!sim.start())
        return 2;

    TfrmModule window;
    window.setTone(std::make_unique<NoTone>());
    window.show();
    window.findChild<QTabWidget *>(QStringLiteral("pcPort"))->setCurrentWidget(window.findChild<QWidget *>(QStringLiteral("tsNet")));
    window.findChild<QLineEdit *>(QStringLiteral("edIP"))->setText(QStringLiteral("127.0.0.1"));
    window.findChild<QLineEdit *>(QStringLiteral("edPort"))->setText(QString::number(sim.port()));
    window.findChild<QAction *>(QStringLiteral("mnuSite"))->trigger();
    auto *site = window.findChild<SiteWindow *>(QStringLiteral("frmSite"));
    for (int n = 1; n <= 32; ++n) {
        site->findChild<QSpinBox *>(QStringLiteral("edSiteAddId"))->setValue(n);
        site->findChild<QPushButton *>(QStringLiteral("btnSiteAdd"))->click();
    }
    site->site().profileName = QStringLiteral("bench.json");
    site->site().profileModel = "ZO425";
    site->site().profileValues = { { QStringLiteral("same-card-delay"), QStringLiteral("30") },
                                   { QStringLiteral("language"), QStringLiteral("traditional-chinese") } };

    // Presses Cancel `afterMs` into the work `press` starts (never, for -1) and tells how long
    // the window went without its events and how long after Cancel the work ended.
    bool met = true;
    const auto measure = [&](const char *name, int afterMs, const std::function<void()> &press) {
        QElapsedTimer sinceTick;
        qint64 longestGapMs = 0;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] {
            if (sinceTick.isValid())
                longestGapMs = std::max(longestGapMs, sinceTick.elapsed());
            sinceTick.start();
        });
        tick.start(5);
        QElapsedTimer sinceCancel;
        if (afterMs >= 0)
            QTimer::singleShot(afterMs, site, [&] {
                sinceCancel.start();
                site->findChild<QPushButton *>(QStringLiteral("btnSiteCancel"))->click();
            });
        QElapsedTimer wall;
        wall.start();
        press();
        const qint64 wallMs = wall.elapsed();
        const qint64 cancelledMs = sinceCancel.isValid() ? sinceCancel.elapsed() : -1;
        tick.stop();
        std::printf("%-34s wall %7.2f s  longest time without events %4lld ms%s\n", name, wallMs / 1000.0,
                    static_cast<long long>(longestGapMs),
                    afterMs >= 0 ? qPrintable(QStringLiteral("  Cancel to the end %1 ms").arg(cancelledMs)) : "");
        std::fflush(stdout);
        met = met && longestGapMs <= 300 && (afterMs < 0 || (cancelledMs >= 0 && cancelledMs <= 300));
    };
    auto *table = site->findChild<QTableWidget *>(QStringLiteral("tblSite"));
    const auto apply = [&] {
        table->selectAll();
        site->findChild<QPushButton *>(QStringLiteral("btnSiteApply"))->click();
    };
    measure("32 units, to the end", -1, apply);
    // The second run finds nothing to write: a read, a check, no restart.
    site->site().profileValues.insert(QStringLiteral("same-card-delay"), QStringLiteral("31"));
    measure("apply, Cancel after 3 s", 3000, apply);
    // Now everything differs again: Cancel finds a unit in its restart or its read-back.
    site->site().profileValues.insert(QStringLiteral("language"), QStringLiteral("english"));
    measure("apply with restarts, Cancel after 2 s", 2000, apply);
    // Units that never answer: Cancel finds the exchange in its 1200 ms wait for a reply.
    for (int n = 901; n <= 908; ++n) {
        site->findChild<QSpinBox *>(QStringLiteral("edSiteAddId"))->setValue(n);
        site->findChild<QPushButton *>(QStringLiteral("btnSiteAdd"))->click();
    }
    measure("read of silent units, Cancel after 3 s", 3000, [&] {
        table->clearSelection();
        for (int row = 32; row < table->rowCount(); ++row)
            table->selectionModel()->select(table->model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        site->findChild<QPushButton *>(QStringLiteral("btnSiteRead"))->click();
    });
    measure("scan 000-999, Cancel after 3 s", 3000, [&] { site->findChild<QPushButton *>(QStringLiteral("btnSiteScan"))->click(); });
    return met ? 0 : 1;
}
