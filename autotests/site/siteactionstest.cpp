// The site's actions on a simulated line of several controllers: each unit read with its
// values, clock and profile state; a profile applied unit after unit going on past one that
// stops answering; new units at 000 addressed in a row, a conflict there refused; a failed unit
// replaced by a new one that takes its ID and values.
#include "controller/controllersession.h"
#include "profile/parametercatalog.h"
#include "profile/parameterprocedures.h"
#include "site/siteactions.h"
#include "site/siteaddressing.h"
#include "inprocesssim.h"

#include <QTest>

namespace {

using C = ParameterCatalog;

// The line and a session on it, pauses skipped.
struct Line
{
    std::shared_ptr<InProcessSim> sim;
    ControllerSession session;

    explicit Line(const QStringList &arguments)
        : sim(InProcessSim::create(arguments))
        , session(sim->factory())
    {
        session.setPause([](int) {});
        session.open(LinkSettings::serial(QStringLiteral("sim"), QStringLiteral("19200,e,8,1")));
    }
    // The controller at an ID now, by its serial number's place on the bus.
    const ControllerModel *at(const QByteArray &id) const
    {
        for (int i = 0; i < sim->responder().bus().size(); ++i)
            if (sim->responder().bus().controller(i).id() == id)
                return &sim->responder().bus().controller(i);
        return nullptr;
    }
    QList<QByteArray> commands(const QByteArray &letters) const
    {
        QList<QByteArray> out;
        for (const QByteArray &r : sim->requests())
            if (r.mid(3).startsWith(letters))
                out.append(r);
        return out;
    }
};

ParameterValues profileValues()
{
    ParameterValues values;
    values.insert(C::SameCardDelay, *C::at(C::SameCardDelay).parse(QStringLiteral("30")));
    values.insert(C::Language, *C::at(C::Language).parse(QStringLiteral("traditional-chinese"))); // takes a restart
    return values;
}

Site siteOf(const QList<QByteArray> &ids)
{
    Site site;
    site.name = QStringLiteral("test");
    site.profileName = QStringLiteral("p.json");
    site.profileModel = "ZO425";
    site.profileValues = profileValues();
    for (const QByteArray &id : ids) {
        SiteUnit unit;
        unit.id = id;
        site.add(unit);
    }
    return site;
}

QList<QByteArray> idsOf(const Site &site)
{
    QList<QByteArray> ids;
    for (const SiteUnit &unit : site.units)
        ids.append(unit.id);
    return ids;
}

} // namespace

class SiteActionsTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldReadEachUnitWithItsValuesClockAndProfileState()
    {
        Line line({ "--bus", "001,002:RO420", "--clock", QDateTime::currentDateTime().addSecs(-600).toString(QStringLiteral("yyyyMMddHHmmss")) });
        Site site = siteOf({ "001", "002" });
        SiteActions actions(line.session, site);
        const SiteActions::Result result = actions.run(SiteActions::Action::Read, idsOf(site));
        QVERIFY(result.ok());
        QCOMPARE(site.units[0].serialNumber, QByteArray("24010042"));
        QCOMPARE(site.units[1].serialNumber, QByteArray("24010043"));
        QCOMPARE(site.units[1].model, QByteArray("RO420"));
        QVERIFY(site.units[0].values.contains(C::SameCardDelay));
        // Ten minutes behind the PC, give or take the clock's one-second grain.
        QVERIFY2(site.units[0].clockOffsetS && std::abs(*site.units[0].clockOffsetS + 600) <= 1,
                 qPrintable(QString::number(site.units[0].clockOffsetS.value_or(0))));
        QCOMPARE(site.units[0].profileState, SiteUnit::ProfileState::Differs);
        QCOMPARE(site.units[0].differing, 2);
        QCOMPARE(site.units[0].lastAction, QStringLiteral("read"));
        QVERIFY(site.units[0].lastOk);

        // Set to the PC's time, the offset reads 0.
        QVERIFY(actions.run(SiteActions::Action::Clock, { "002" }).ok());
        QVERIFY(std::abs(*site.units[1].clockOffsetS) <= 1);
    }

    // Another controller at a row's ID is not the row's unit.
    void shouldFailAUnitWhoseSerialNumberIsNotTheRows()
    {
        Line line({ "--bus", "001" });
        Site site = siteOf({ "001" });
        site.units[0].serialNumber = "99999999";
        SiteActions actions(line.session, site);
        const SiteActions::Result result = actions.run(SiteActions::Action::Read, { "001" });
        QCOMPARE(result.failedIds(), QList<QByteArray> { "001" });
        QVERIFY2(result.units[0].why.contains(QStringLiteral("24010042")), qPrintable(result.units[0].why));
        QVERIFY(line.commands("AP").isEmpty());
    }

    // 002 never answers again after its restart: failed with its reason, the others written,
    // and running again on the failed units only asks 002 alone.
    void shouldApplyUnitByUnitGoingOnPastAFailedOne()
    {
        Line line({ "--bus", "001-003", "--dead-after-restart", "002" });
        Site site = siteOf({ "001", "002", "003" });
        SiteActions actions(line.session, site);
        QList<QByteArray> progress;
        actions.setProgress([&](int, int, const QByteArray &id) { progress.append(id); });
        const SiteActions::Result result = actions.run(SiteActions::Action::Apply, idsOf(site));
        QCOMPARE(progress, (QList<QByteArray> { "001", "002", "003", "" }));
        QCOMPARE(result.failedIds(), QList<QByteArray> { "002" });
        QVERIFY2(!result.units[1].why.isEmpty(), "no reason");
        QCOMPARE(line.commands("AJ").size(), 3); // one restart per unit
        for (const QByteArray &id : { QByteArray("001"), QByteArray("003") }) {
            const SiteUnit &unit = site.units[site.indexOf(id)];
            QVERIFY(unit.lastOk);
            QCOMPARE(unit.profileState, SiteUnit::ProfileState::Matches);
        }
        QVERIFY(!site.units[1].lastOk);
        QCOMPARE(site.units[1].lastWhy, result.units[1].why);

        line.sim->clearRequests();
        const SiteActions::Result again = actions.run(SiteActions::Action::Apply, result.failedIds());
        QCOMPARE(again.failedIds(), QList<QByteArray> { "002" });
        for (const QByteArray &r : line.sim->requests())
            QCOMPARE(r.left(3), QByteArray("002"));
    }

    void shouldStopBetweenUnitsWhenCancelled()
    {
        Line line({ "--bus", "001-003" });
        Site site = siteOf({ "001", "002", "003" });
        SiteActions actions(line.session, site);
        int asked = 0;
        actions.setCancelled([&] { return ++asked > 1; });
        const SiteActions::Result result = actions.run(SiteActions::Action::Reboot, idsOf(site));
        QVERIFY(result.cancelled);
        QCOMPARE(result.units.size(), 1);
        QCOMPARE(line.commands("AJ"), QList<QByteArray> { "001AJ" });
    }

    // Cancel right after the value that takes a restart went out to 001: nothing more is sent
    // (no restart, nothing to 002), 001 is told cancelled; run again on it, the value now reads
    // as wanted but the restart it is owed is made.
    void shouldCancelInTheUnitAndFinishItsApplyNextTime()
    {
        Line line({ "--bus", "001,002" });
        Site site = siteOf({ "001", "002" });
        site.profileValues = { { C::Language, QStringLiteral("traditional-chinese") } };
        bool armed = true;
        bool cancel = false;
        const auto cancelled = [&] {
            for (const QByteArray &r : line.sim->requests())
                cancel = cancel || (armed && r.mid(3).startsWith("AP") && r.size() > 11); // a write: AP, address, count, data
            return cancel;
        };
        line.session.link().setInterrupt(cancelled);
        SiteActions actions(line.session, site);
        actions.setCancelled(cancelled);
        const SiteActions::Result result = actions.run(SiteActions::Action::Apply, idsOf(site));
        QVERIFY(result.cancelled);
        QCOMPARE(result.failedIds(), QList<QByteArray> { "001" });
        QCOMPARE(site.units[0].lastFailure, SiteUnit::Failure::Cancelled);
        QVERIFY(site.units[0].restartOwed);
        QVERIFY(line.sim->requests().last().size() > 11); // the write was the last to go out
        QVERIFY(line.commands("AJ").isEmpty());
        QVERIFY(site.units[1].lastAction.isEmpty());

        armed = false;
        cancel = false;
        line.sim->clearRequests();
        QVERIFY(actions.run(SiteActions::Action::Apply, result.failedIds()).ok());
        QCOMPARE(line.commands("AJ"), QList<QByteArray> { "001AJ" });
        QVERIFY(!site.units[0].restartOwed);
        QCOMPARE(site.units[0].profileState, SiteUnit::ProfileState::Matches);
    }

    // Three new units one after another: each gets the next ID from 003 that is neither on the
    // site (001) nor answering (002, not on the site), and answers there with its own serial.
    void shouldAddressNewUnitsInARow()
    {
        Line line({ "--bus", "001,002", "--new-units", "3" });
        Site site = siteOf({ "001" });
        SiteAddressing addressing(line.session, site);
        QList<QByteArray> given;
        for (int unit = 0; unit < 3; ++unit) {
            const SiteAddressing::Outcome outcome = addressing.addressNext(1);
            QVERIFY2(outcome.ok(), qPrintable(outcome.why));
            given.append(outcome.id);
        }
        QCOMPARE(given, (QList<QByteArray> { "003", "004", "005" }));
        QCOMPARE(idsOf(site), (QList<QByteArray> { "001", "003", "004", "005" }));
        QCOMPARE(site.units[1].serialNumber, QByteArray("24015043"));
        QCOMPARE(site.units[3].serialNumber, QByteArray("24015045"));
        QCOMPARE(line.at("004")->id(), QByteArray("004"));
        const SiteAddressing::Outcome none = addressing.addressNext(1);
        QCOMPARE(none.stage, SiteAddressing::Outcome::Stage::NoUnit);
        QCOMPARE(site.units.size(), 4);
    }

    // Two units at 000, their replies mixed or run together: nothing given to either.
    void shouldAssignNothingWhereTwoAnswerAtTheDefaultId_data()
    {
        QTest::addColumn<bool>("collide");
        QTest::newRow("mixed") << true;
        QTest::newRow("run together") << false;
    }

    void shouldAssignNothingWhereTwoAnswerAtTheDefaultId()
    {
        QFETCH(bool, collide);
        QStringList arguments { "--bus", "000", "--twin", "000" };
        if (collide)
            arguments << "--collide";
        Line line(arguments);
        Site site = siteOf({});
        SiteAddressing addressing(line.session, site);
        const SiteAddressing::Outcome outcome = addressing.addressNext(1);
        QCOMPARE(outcome.stage, SiteAddressing::Outcome::Stage::Conflict);
        QVERIFY(line.commands("AC").isEmpty());
        QVERIFY(site.units.isEmpty());
    }

    // 002 dies at its restart; marked failed, a new unit at 000 takes its ID and every value it
    // had, read back; the row keeps both serial numbers.
    void shouldReplaceAFailedUnit()
    {
        Line line({ "--bus", "001,002", "--dead-after-restart", "002", "--new-units", "1" });
        // The old unit holds a value of its own, which no new unit has.
        line.session.setDeviceId("002");
        QVERIFY(ParameterProcedures::apply(line.session, { { C::SameCardDelay, QStringLiteral("45") } }, {}).ok());
        Site site = siteOf({ "001", "002" });
        SiteActions actions(line.session, site);
        QVERIFY(actions.run(SiteActions::Action::Read, idsOf(site)).ok());
        const ParameterValues before = site.units[1].values;
        // The unit at 002 dies at its restart.
        QVERIFY(actions.run(SiteActions::Action::Reboot, { "002" }).ok());
        QVERIFY(!actions.run(SiteActions::Action::Read, { "002" }).ok());

        SiteAddressing addressing(line.session, site);
        addressing.setNow([] { return QDateTime(QDate(2026, 12, 8), QTime(10, 0), Qt::UTC); });
        // Not marked failed yet: refused, nothing sent to 000.
        QCOMPARE(addressing.replace("002").stage, SiteAddressing::Outcome::Stage::Refused);
        QVERIFY(line.commands("AC").isEmpty());
        site.units[1].failed = true;
        const SiteAddressing::Outcome outcome = addressing.replace("002");
        QVERIFY2(outcome.ok(), qPrintable(outcome.why));
        const SiteUnit &unit = site.units[1];
        QCOMPARE(unit.serialNumber, QByteArray("24015043"));
        QCOMPARE(unit.replaced, (QList<ReplacedUnit> { { "24010043", QDateTime(QDate(2026, 12, 8), QTime(10, 0), Qt::UTC) } }));
        QVERIFY(!unit.failed);
        // Its values are the old unit's, as a read of the new one shows.
        QVERIFY(actions.run(SiteActions::Action::Read, { "002" }).ok());
        QCOMPARE(site.units[1].values, before);
        QCOMPARE(site.units[1].values.value(C::SameCardDelay), QStringLiteral("45"));
    }
};

QTEST_GUILESS_MAIN(SiteActionsTest)
#include "siteactionstest.moc"
