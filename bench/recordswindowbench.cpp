// zu42recordswindowbench: the records window itself on a filled record store (the year that
// zu42recordsbench writes): how long Show takes over the range (the newest page, the yield and
// the Pareto, as the operator sees them) and the resident memory of the program with the window
// open and everything shown.
//
//   zu42recordswindowbench --store sqlite:/tmp/year.sqlite [--days 365]
#include "app/recordswindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

double residentMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong() / 1024.0;
    return -1;
}

} // namespace

int main(int argc, char *argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The settings of this run only: the window reads the jig's store setting at its start.
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(QStringLiteral("config"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath(QStringLiteral("data"))));
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption storeOpt(QStringLiteral("store"), QStringLiteral("The filled store (sqlite:PATH or postgresql://...)."), QStringLiteral("store"));
    const QCommandLineOption daysOpt(QStringLiteral("days"), QStringLiteral("Days to show, ending today (default 365)."), QStringLiteral("n"), QStringLiteral("365"));
    parser.addOptions({ storeOpt, daysOpt });
    parser.process(app);
    QTextStream out(stdout);

    out << QStringLiteral("program started: %1 MiB\n").arg(residentMiB(), 0, 'f', 1) << Qt::flush;
    RecordsWindow window(0);
    window.setVisible(true);
    window.findChild<QLineEdit *>(QStringLiteral("edRecordStore"))->setText(parser.value(storeOpt));
    window.findChild<QDateEdit *>(QStringLiteral("dtFrom"))->setDate(QDate::currentDate().addDays(1 - parser.value(daysOpt).toInt()));
    window.findChild<QDateEdit *>(QStringLiteral("dtTo"))->setDate(QDate::currentDate());
    QApplication::processEvents();
    out << QStringLiteral("window open: %1 MiB\n").arg(residentMiB(), 0, 'f', 1) << Qt::flush;
    for (int round = 0; round < 3; ++round) {
        QElapsedTimer timer;
        timer.start();
        window.findChild<QPushButton *>(QStringLiteral("btnShow"))->click();
        QApplication::processEvents();
        out << QStringLiteral("Show over the range: %1 ms; %2 tests in the table, %3 yield rows, %4 Pareto rows; resident %5 MiB\n")
                   .arg(timer.elapsed())
                   .arg(window.findChild<QTableView *>(QStringLiteral("tblTests"))->model()->rowCount())
                   .arg(window.findChild<QTableWidget *>(QStringLiteral("tblYield"))->rowCount())
                   .arg(window.findChild<QTableWidget *>(QStringLiteral("tblPareto"))->rowCount())
                   .arg(residentMiB(), 0, 'f', 1)
            << Qt::flush;
    }
    return 0;
}
