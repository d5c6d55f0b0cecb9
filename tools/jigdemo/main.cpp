// The tool's window, created as zu42tool creates it, with its settings from the same store; this
// program opens "Jig test" from the tools menu, tests the unit on the link page's port (a good
// one), then the unit on a second port (one with a stuck input), saves a picture of the jig
// window after each and prints what the operator reads. Exit code 0 when the first unit passed
// and the second failed. Given a folder, it then opens Tools > Records on the same store and
// saves its yield and Pareto tabs in each language there (demo-records-yield-en.png,
// demo-records-pareto-zh-cn.png, ...).
//   zu42jigdemo <second port> <pass.png> <fail.png> [records pictures folder]
#include "app/jigwindow.h"
#include "app/recordswindow.h"
#include "app/tfrmmodule.h"
#include "app/verdictpanel.h"
#include "i18n/texttable.h"

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
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
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

// What the records window's yield and Pareto tables say, row by row.
QString tableText(const QWidget &window, const char *name)
{
    QString out;
    const auto *table = window.findChild<QTableWidget *>(QLatin1String(name));
    for (int r = 0; table && r < table->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < table->columnCount(); ++c)
            cells << table->horizontalHeaderItem(c)->text() + QStringLiteral(" ") + (table->item(r, c) ? table->item(r, c)->text() : QString());
        out += QStringLiteral("  ") + cells.join(QStringLiteral(", ")) + QLatin1Char('\n');
    }
    return out;
}

// The day's yield chart and the Pareto of the units just tested, in each language.
bool saveRecords(TfrmModule &frmModule, const QString &folder)
{
    frmModule.findChild<QAction *>(QStringLiteral("mnuRecords"))->trigger();
    auto *records = qobject_cast<RecordsWindow *>(frmModule.recordsWindow());
    if (!records)
        return false;
    records->resize(1000, 760);
    records->move(40, 40);
    settle(300);
    auto *tabs = records->findChild<QTabWidget *>(QStringLiteral("tabRecords"));
    std::printf("records, yield by day:\n%srecords, failures by step:\n%s", qPrintable(tableText(*records, "tblYield")),
                qPrintable(tableText(*records, "tblPareto")));
    const std::pair<int, const char *> languages[] = { { TextTable::English, "en" }, { TextTable::SimplifiedChinese, "zh-cn" },
                                                       { TextTable::TraditionalChinese, "zh-tw" } };
    bool saved = true;
    for (const auto &[language, suffix] : languages) {
        records->retranslate(language);
        for (const char *tab : { "yield", "pareto" }) {
            tabs->setCurrentWidget(records->findChild<QWidget *>(QStringLiteral("ts%1%2").arg(QChar::fromLatin1(tab[0]).toUpper(), QLatin1String(tab + 1))));
            saved = save(*records, QDir(folder).filePath(QStringLiteral("demo-records-%1-%2.png").arg(QLatin1String(tab), QLatin1String(suffix)))) && saved;
        }
    }
    records->retranslate(frmModule.languageIndex());
    return saved;
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
    if (argc > 4)
        saved = saveRecords(frmModule, QString::fromLocal8Bit(argv[4])) && saved;
    std::fflush(stdout);
    return firstPassed && secondFailed && saved ? 0 : 1;
}
