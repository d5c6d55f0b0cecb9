// zu42sitebench: a profile of 10 values that differ applied to every unit of a simulated bus of
// 32 controllers, on the serial line (a pseudo-terminal at 19200,e,8,1) and over TCP, beside the
// waits the writes and the restarts require (the pauses the procedure asks for, summed). Target:
// the wall time within 1.1 times those waits, and every unit written and read back.
#include "simprocess.h"
#include "controller/controllersession.h"
#include "profile/parametercatalog.h"
#include "site/siteactions.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QString simPath = qEnvironmentVariable("ZU42SIM");
    if (simPath.isEmpty())
        simPath = QCoreApplication::applicationDirPath() + QStringLiteral("/zu42sim");
    using C = ParameterCatalog;
    const QList<QPair<QString, QString>> wanted {
        { C::Language, QStringLiteral("traditional-chinese") }, { C::TextEncoding, QStringLiteral("big5") },
        { C::TitleLines, QStringLiteral("2") },                 { C::SameCardDelay, QStringLiteral("30") },
        { C::CardDisplay, QStringLiteral("card-number") },      { C::ShowStatus, QStringLiteral("off") },
        { C::DoorForce, QStringLiteral("on") },                 { C::DoorTimeoutTime, QStringLiteral("40") },
        { C::DoorTimeout, QStringLiteral("on") },               { C::ReaderType, QStringLiteral("standard") },
    };
    ParameterValues profile;
    for (const auto &[name, text] : wanted) {
        const std::optional<QString> value = C::at(name).parse(text);
        if (!value) {
            std::fprintf(stderr, "zu42sitebench: %s=%s is no value\n", qPrintable(name), qPrintable(text));
            return 2;
        }
        profile.insert(name, *value);
    }

    bool met = true;
    std::printf("%-6s %5s %5s %10s %10s %7s\n", "link", "units", "ok", "wall (s)", "waits (s)", "ratio");
    for (const bool pty : { true, false }) {
        SimProcess sim({ QStringLiteral("--bus"), QStringLiteral("001-032") }, pty);
        sim.setProgram(simPath);
        sim.setRequestLog(false);
        if (!sim.start()) {
            std::fprintf(stderr, "zu42sitebench: cannot start %s\n", qPrintable(simPath));
            return 2;
        }
        ControllerSession session;
        qint64 waitsMs = 0;
        session.setPause([&waitsMs](int ms) {
            waitsMs += ms;
            QThread::msleep(static_cast<unsigned long>(ms));
        });
        if (!session.open(pty ? LinkSettings::serial(sim.ptyPath(), QStringLiteral("19200,e,8,1"))
                              : LinkSettings::tcp(QStringLiteral("127.0.0.1"), QString::number(sim.port()))))
            return 2;
        Site site;
        site.profileName = QStringLiteral("bench.json");
        site.profileModel = "ZO425";
        site.profileValues = profile;
        QList<QByteArray> ids;
        for (int n = 1; n <= 32; ++n) {
            SiteUnit unit;
            unit.id = QByteArray::number(n).rightJustified(3, '0');
            ids.append(unit.id);
            site.add(unit);
        }
        SiteActions actions(session, site);
        QElapsedTimer clock;
        clock.start();
        const SiteActions::Result result = actions.run(SiteActions::Action::Apply, ids);
        const qint64 wallMs = clock.elapsed();
        session.close();
        const qsizetype ok = result.units.size() - result.failedIds().size();
        const double ratio = double(wallMs) / double(std::max<qint64>(1, waitsMs));
        met = met && ok == 32 && ratio <= 1.1;
        std::printf("%-6s %5d %5d %10.2f %10.2f %7.3f\n", pty ? "serial" : "TCP", 32, int(ok), wallMs / 1000.0, waitsMs / 1000.0, ratio);
        std::fflush(stdout);
    }
    return met ? 0 : 1;
}
