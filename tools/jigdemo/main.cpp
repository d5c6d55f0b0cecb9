// The tool's window, created as zu42tool creates it, with its settings from the same store; this
// program opens "Jig test" from the tools menu, tests the unit on the link page's port (a good
// one), then the unit on a second port (one with a stuck input), saves a picture of the jig
// window after each and prints what the operator reads. Exit code 0 when the first unit passed
// and the second failed.
//   zu42jigdemo <second port> <pass.png> <fail.png>
#include "app/jigwindow.h"
#include "app/tfrmmodule.h"
#include "app/verdictpanel.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <cstdio>

namespace {

void settle(int ms)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

QString textOf(const QWidget &window, const char *name)
{
    if (const auto label = window.findChild<QLabel *>(QLatin1String(name)))
        return label->text();
    if (const auto edit = window.findChild<QLineEdit *>(QLatin1String(name)))
        return edit->text();
    return QString();
}

// What the operator reads after a unit: the verdict, the steps, the counters, the record's fate.
QString report(const JigWindow &jig)
{
    QString out = QStringLiteral("verdict: %1  %2\n").arg(textOf(jig, "lblVerdict"), textOf(jig, "lblVerdictDetail").replace(QLatin1Char('\n'), QLatin1String(" / ")));
    const QAbstractItemModel *steps = jig.findChild<QTableView *>(QStringLiteral("tblSteps"))->model();
    for (int r = 0; r < steps->rowCount(); ++r)
        out += QStringLiteral("  %1 %2 | expected %3 | measured %4\n")
                   .arg(steps->index(r, 3).data().toString(), -5)
                   .arg(steps->index(r, 0).data().toString(), -12)
                   .arg(steps->index(r, 1).data().toString(), steps->index(r, 2).data().toString());
    out += QStringLiteral("today: units %1, passed %2, failed %3, first-pass yield %4\n")
               .arg(textOf(jig, "lblUnits"), textOf(jig, "lblPassed"), textOf(jig, "lblFailed"), textOf(jig, "lblYield"));
    out += QStringLiteral("record: %1 (%2; %3)\n").arg(textOf(jig, "lblNote"), textOf(jig, "lblStore"), textOf(jig, "lblPending"));
    return out;
}

bool save(QWidget &window, const QString &path)
{
    settle(300);
    QDir().mkpath(QFileInfo(path).absolutePath());
    const bool ok = window.grab().save(path, "PNG");
    std::printf("%s %s\n", ok ? "screenshot:" : "could not write", qPrintable(QFileInfo(path).absoluteFilePath()));
    return ok;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("ZU42vIZ-O5 Test Tools"));
    QApplication::setApplicationName(QStringLiteral("zu42tool"));
    if (argc < 4) {
        std::fprintf(stderr, "usage: zu42jigdemo <second port> <pass.png> <fail.png>\n");
        return 2;
    }
    const QString secondPort = QString::fromLocal8Bit(argv[1]);
    const QString passShot = QString::fromLocal8Bit(argv[2]);
    const QString failShot = QString::fromLocal8Bit(argv[3]);

    TfrmModule frmModule;
    frmModule.move(20, 20);
    frmModule.show();
    settle(300);
    frmModule.findChild<QAction *>(QStringLiteral("mnuJig"))->trigger();
    auto *jig = qobject_cast<JigWindow *>(frmModule.jigWindow());
    if (!jig)
        return 1;
    if (const QScreen *screen = jig->screen())
        jig->move(screen->availableGeometry().topRight() - QPoint(jig->frameGeometry().width() + 20, -20));
    auto field = [jig](const char *name) { return jig->findChild<QLineEdit *>(QLatin1String(name)); };
    if (field("edOperator")->text().isEmpty())
        field("edOperator")->setText(QStringLiteral("Demo operator"));
    settle(500);

    // The whole unit runs inside the click, as it does for the operator.
    jig->findChild<QPushButton *>(QStringLiteral("btnStart"))->click();
    std::printf("first unit (%s:%s):\n%s", qPrintable(frmModule.linkSettings().hostAddress), qPrintable(frmModule.linkSettings().hostPort),
                qPrintable(report(*jig)));
    // By the panel's state, not its word: the word is in the language of the settings.
    const auto verdict = [jig] { return jig->findChild<VerdictPanel *>(QStringLiteral("pnVerdict"))->state(); };
    const bool firstPassed = verdict() == VerdictPanel::State::Pass;
    bool saved = save(*jig, passShot);

    // The next unit sits on another port: the link page of the main window says where.
    frmModule.findChild<QLineEdit *>(QStringLiteral("edPort"))->setText(secondPort);
    jig->findChild<QPushButton *>(QStringLiteral("btnStart"))->click();
    std::printf("second unit (%s:%s):\n%s", qPrintable(frmModule.linkSettings().hostAddress), qPrintable(secondPort), qPrintable(report(*jig)));
    const bool secondFailed = verdict() == VerdictPanel::State::Fail;
    saved = save(*jig, failShot) && saved;
    std::fflush(stdout);
    return firstPassed && secondFailed && saved ? 0 : 1;
}
