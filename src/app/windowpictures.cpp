#include "app/windowpictures.h"

#include "app/lamp.h"
#include "app/portlistrefresher.h"
#include "app/profilereportdialog.h"
#include "app/programcommandline.h"
#include "app/programidentity.h"
#include "app/sitewindow.h"
#include "app/texttablequestion.h"
#include "app/tfrmmodule.h"
#include "app/toollook.h"
#include "i18n/texttable.h"
#include "site/sitereport.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTimer>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>

namespace {

struct PictureLanguage
{
    const char *entry;  // menu entry that chooses it
    const char *suffix; // in the file names
};

const PictureLanguage languages[] = {
    { "mnuEnglish", "en" },
    { "mnuSimplified", "zh-cn" },
    { "mnuTraditional", "zh-tw" },
};

// The Tools menu's windows, by the entry that opens each.
struct ToolWindow
{
    const char *entry;
    const char *window;
    const char *name; // in the file names
};

const ToolWindow toolWindows[] = {
    { "mnuMonitor", "frmMonitor", "monitor" },
    { "mnuJig", "frmJig", "jig" },
    { "mnuBusScan", "frmBusScan", "busscan" },
    { "mnuRecords", "frmRecords", "records" },
    { "mnuSite", "frmSite", "site" },
};

bool save(QWidget *window, const QString &folder, const QString &name)
{
    QCoreApplication::processEvents();
    const QString path = QDir(folder).filePath(name);
    if (!window->grab().save(path, "PNG")) {
        QTextStream(stderr) << "cannot write " << path << '\n';
        return false;
    }
    QTextStream(stdout) << path << '\n';
    return true;
}

// The window with its open pop-up (a list's drop-down, a separate window of its own) where the
// screen shows it.
bool saveWithPopup(QWidget *window, QWidget *popup, const QString &folder, const QString &name)
{
    QCoreApplication::processEvents();
    const QRect windowRect(window->mapToGlobal(QPoint(0, 0)), window->size());
    const QRect area = windowRect.united(popup->geometry());
    QPixmap picture(area.size());
    picture.fill(window->palette().color(QPalette::Dark));
    QPainter painter(&picture);
    painter.drawPixmap(windowRect.topLeft() - area.topLeft(), window->grab());
    painter.drawPixmap(popup->geometry().topLeft() - area.topLeft(), popup->grab());
    painter.end();
    const QString path = QDir(folder).filePath(name);
    if (!picture.save(path, "PNG")) {
        QTextStream(stderr) << "cannot write " << path << '\n';
        return false;
    }
    QTextStream(stdout) << path << '\n';
    return true;
}

// Two alike USB adapters and a built-in port, as the system lists them on Linux.
QList<SerialPortEntry> samplePorts()
{
    const auto ftdi = [](const QString &name, const QString &serial) {
        return SerialPortEntry { name, QStringLiteral("/dev/") + name, QStringLiteral("FT232R USB UART"), QStringLiteral("FTDI"), serial,
                                 QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_%1-if00-port0").arg(serial) };
    };
    return { ftdi(QStringLiteral("ttyUSB0"), QStringLiteral("A50285BI")), ftdi(QStringLiteral("ttyUSB1"), QStringLiteral("A9K3QX01")),
             SerialPortEntry { QStringLiteral("ttyS0"), QStringLiteral("/dev/ttyS0"), {}, {}, {}, {} } };
}

// "tsFactory" gives "factory".
QString pageName(const QWidget *page)
{
    return page->objectName().mid(2).toLower();
}

// A site as the commissioning demo leaves it: eight units, one replaced, one that did not come
// back from its restart.
Site sampleSite()
{
    Site site;
    site.name = QStringLiteral("North gate");
    site.profileName = QStringLiteral("lobby.json");
    for (int n = 1; n <= 8; ++n) {
        SiteUnit unit;
        unit.id = QByteArray::number(n).rightJustified(3, '0');
        unit.model = "ZO425";
        unit.version = QStringLiteral("RO420DA ZO425V05");
        unit.serialNumber = QByteArray::number(n <= 4 ? 24010041 + n : 24015038 + n);
        unit.clockOffsetS = 0;
        unit.profileState = SiteUnit::ProfileState::Matches;
        unit.lastAction = QStringLiteral("apply");
        unit.lastOk = true;
        site.units.append(unit);
    }
    site.units[2].serialNumber = "24015047";
    site.units[2].lastAction = QStringLiteral("replace");
    site.units[2].replaced = { { "24010044", QDateTime::currentDateTime() } };
    site.units[6].lastOk = false;
    site.units[6].lastWhy = QStringLiteral("The read-back after writing did not come: No answer");
    site.units[6].lastFailure = SiteUnit::Failure::NotTaken;
    site.units[6].profileState = SiteUnit::ProfileState::Differs;
    site.units[6].differing = 2;
    site.units[6].clockOffsetS = -41;
    return site;
}

// The handover report's first page as the window writes it in a language: A4 across at 110 dpi.
bool saveReportPage(const Site &site, int language, const QString &folder, const QString &name)
{
    QImage page(1286, 910, QImage::Format_RGB32);
    page.setDotsPerMeterX(4331);
    page.setDotsPerMeterY(4331);
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        painter.setViewport(52, 52, page.width() - 104, page.height() - 104);
        painter.setWindow(0, 0, page.width() - 104, page.height() - 104);
        SiteReport::draw(painter, page, [] {}, site, QDateTime(QDate(2026, 12, 8), QTime(9, 40)), QStringLiteral("zu42tool"),
                         language, ToolLook::font(language));
    }
    const QString path = QDir(folder).filePath(name);
    const bool ok = page.save(path);
    std::printf("%s %s\n", ok ? "wrote" : "could not write", qPrintable(path));
    return ok;
}

} // namespace

int WindowPictures::run(int argc, char **argv)
{
    ProgramIdentity::declare(QStringLiteral("zu42screenshots"));
    ProgramCommandLine commandLine(
        QStringLiteral("Renders the window of zu42tool in each language into FOLDER, for the documentation."));
    commandLine.takeArguments(QStringLiteral("<folder>"), QStringLiteral("Where the pictures go."), 1, 1);
    const QCommandLineOption allPagesOpt(QStringLiteral("all-pages"),
                                         QStringLiteral("Also every page in both Chinese languages."));
    commandLine.addOption(allPagesOpt);
    const QCommandLineOption toolsOpt(QStringLiteral("tools"),
                                      QStringLiteral("Also the windows of the Tools menu, in each language."));
    commandLine.addOption(toolsOpt);
    if (const std::optional<int> status = commandLine.read(argc, argv))
        return *status;

    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir store;
    if (!store.isValid())
        return 1;
    qputenv("XDG_CONFIG_DIRS", QFile::encodeName(store.path()));

    QApplication app(argc, argv);
    const QString folder = commandLine.positionalArguments().at(0);
    const bool allPages = commandLine.isSet(allPagesOpt);
    if (!QDir().mkpath(folder))
        return 1;

    TfrmModule window;
    window.show();
    auto *work = window.findChild<QTabWidget *>(QStringLiteral("pcMain"));
    if (!work)
        return 1;

    bool ok = true;
    for (const PictureLanguage &language : languages) {
        window.findChild<QAction *>(QString::fromLatin1(language.entry))->trigger();
        ok = save(&window, folder, QStringLiteral("window-%1.png").arg(QLatin1String(language.suffix))) && ok;
    }

    // The pages as they look once a controller is connected.
    for (const PictureLanguage &language : languages) {
        if (&language != &languages[0] && !allPages)
            continue;
        window.findChild<QAction *>(QString::fromLatin1(language.entry))->trigger();
        work->setEnabled(true);
        for (int i = 0; i < work->count(); ++i) {
            work->setCurrentIndex(i);
            ok = save(&window, folder,
                      QStringLiteral("window-%1-%2.png").arg(QLatin1String(language.suffix), pageName(work->widget(i))))
                && ok;
        }
        work->setEnabled(false);
    }

    if (commandLine.isSet(toolsOpt)) {
        for (const ToolWindow &tool : toolWindows) {
            window.findChild<QAction *>(QString::fromLatin1(tool.entry))->trigger();
            QWidget *shown = nullptr;
            for (QWidget *top : QApplication::topLevelWidgets()) {
                if (top->objectName() == QLatin1String(tool.window) && top->isVisible())
                    shown = top;
            }
            if (!shown) {
                QTextStream(stderr) << tool.entry << " opened no " << tool.window << '\n';
                ok = false;
                continue;
            }
            for (const PictureLanguage &language : languages) {
                window.findChild<QAction *>(QString::fromLatin1(language.entry))->trigger();
                ok = save(shown, folder,
                          QStringLiteral("tool-%1-%2.png").arg(QLatin1String(tool.name), QLatin1String(language.suffix)))
                    && ok;
            }
            shown->close();
        }

        // The profile report as a comparison leaves it: one value that differs, one the
        // controller cannot report.
        ProfileReportDialog report(&window, window.languageIndex());
        QObject::connect(&window, &TfrmModule::languageApplied, &report,
                         [&report, &window] { report.retranslate(window.languageIndex()); });
        report.show(TextTable::ProfileReportTitle, QStringLiteral("door-a.json"),
                    { { QStringLiteral("door-log"), QStringLiteral("true"), QStringLiteral("false"), TextTable::StateDiffers },
                      { QStringLiteral("title-line-1"), QString(), QStringLiteral("ZOVUR"), TextTable::StateUnknown } },
                    [](int language) { return TextTable::text(TextTable::CompareSummary, language).arg(1).arg(2); });
        for (const PictureLanguage &language : languages) {
            window.findChild<QAction *>(QString::fromLatin1(language.entry))->trigger();
            ok = save(&report, folder, QStringLiteral("tool-report-%1.png").arg(QLatin1String(language.suffix))) && ok;
        }
        report.close();

        SiteWindow site(&window, window.languageIndex());
        QObject::connect(&window, &TfrmModule::languageApplied, &site, [&site, &window] { site.retranslate(window.languageIndex()); });
        site.setSite(sampleSite());
        site.show();
        for (const PictureLanguage &language : languages) {
            window.findChild<QAction *>(QString::fromLatin1(language.entry))->trigger();
            ok = save(&site, folder, QStringLiteral("tool-site-rows-%1.png").arg(QLatin1String(language.suffix))) && ok;
            ok = saveReportPage(site.site(), window.languageIndex(), folder,
                                QStringLiteral("tool-site-report-%1.png").arg(QLatin1String(language.suffix)))
                && ok;
        }
        site.close();

        // The port list opened on the link page: each name with its adapter and stable path.
        auto *ports = window.findChild<QComboBox *>(QStringLiteral("cmbPort"));
        work->setCurrentWidget(window.findChild<QWidget *>(QStringLiteral("tsCom")));
        ports->findChild<PortListRefresher *>()->setSource(samplePorts);
        for (const PictureLanguage &language : languages) {
            window.findChild<QAction *>(QString::fromLatin1(language.entry))->trigger();
            const QPoint arrow(ports->width() - 6, ports->height() / 2);
            QMouseEvent press(QEvent::MouseButtonPress, arrow, ports->mapToGlobal(arrow), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(ports, &press);
            // Below the box, as a screen wider than the list shows it (the offscreen one is not).
            ports->view()->window()->move(ports->mapToGlobal(QPoint(0, ports->height())));
            ok = saveWithPopup(&window, ports->view()->window(), folder,
                               QStringLiteral("tool-portlist-%1.png").arg(QLatin1String(language.suffix)))
                && ok;
            ports->hidePopup();
        }

        // The automatic test against a controller that takes the connection and never answers:
        // after two passes the input lamps show that their inputs are not known.
        QTcpServer silent;
        if (!silent.listen(QHostAddress::LocalHost, 5003) && !silent.listen(QHostAddress::LocalHost))
            return 1;
        window.findChild<QTabWidget *>(QStringLiteral("pcPort"))->setCurrentWidget(window.findChild<QWidget *>(QStringLiteral("tsNet")));
        window.findChild<QLineEdit *>(QStringLiteral("edIP"))->setText(QStringLiteral("127.0.0.1"));
        window.findChild<QLineEdit *>(QStringLiteral("edPort"))->setText(QString::number(silent.serverPort()));
        work->setCurrentWidget(window.findChild<QWidget *>(QStringLiteral("tsFactory")));
        work->setEnabled(true);
        const Lamp *firstInput = window.findChild<Lamp *>(QStringLiteral("shDI1"));
        const Lamp *lastInput = window.findChild<Lamp *>(QStringLiteral("shDI6"));
        for (const PictureLanguage &language : languages) {
            window.findChild<QAction *>(QString::fromLatin1(language.entry))->trigger();
            bool saved = false;
            QElapsedTimer running;
            running.start();
            QTimer look;
            QObject::connect(&look, &QTimer::timeout, [&] {
                if (!saved && firstInput->isUnknown() && lastInput->isUnknown()) {
                    saved = true;
                    ok = save(&window, folder, QStringLiteral("tool-lamps-unknown-%1.png").arg(QLatin1String(language.suffix))) && ok;
                }
                if (saved || running.elapsed() > 30000)
                    window.cancelAutoTest();
            });
            look.start(50);
            window.findChild<QPushButton *>(QStringLiteral("btnAuto"))->click(); // returns when the run has ended
            if (!saved) {
                QTextStream(stderr) << "the input lamps never became unknown\n";
                ok = false;
            }
        }
        work->setEnabled(false);

        // The question once the adapter pulled out during an apply is back under another name.
        for (const PictureLanguage &language : languages) {
            window.findChild<QAction *>(QString::fromLatin1(language.entry))->trigger();
            const std::unique_ptr<TextTableQuestion> question = window.resumeQuestion(TextTable::ResumeProfileQuestion, QStringLiteral("ttyUSB1"));
            question->show();
            ok = save(question.get(), folder, QStringLiteral("tool-resume-%1.png").arg(QLatin1String(language.suffix))) && ok;
        }
        window.findChild<QAction *>(QString::fromLatin1(languages[0].entry))->trigger();
    }
    return ok ? 0 : 1;
}
