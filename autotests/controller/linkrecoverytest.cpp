// A batch's serial adapter pulled out and plugged in again: the link opens again where the adapter
// came back, within a minute, and the operator is asked once. The in-process simulator is the
// adapter (pulled out on a request, plugged back in on a given look); the device list follows it.
#include "controller/controllersession.h"
#include "controller/linkrecovery.h"
#include "inprocesssim.h"

#include <QTest>

Q_DECLARE_METATYPE(AdapterIdentity)

namespace {

const AdapterIdentity a { "/dev/serial/by-id/usb-FTDI_A50285BI", "A50285BI" };

SerialPortEntry adapterAt(const QString &name)
{
    return { name, "/dev/" + name, "FT232R USB UART", "FTDI", a.serialNumber, a.stablePath };
}

} // namespace

class LinkRecoveryTest : public QObject
{
    Q_OBJECT

private slots:
    // The adapter is known by whatever name the lost link was opened with, from the list of when
    // the batch began, and looked for under its present name; a stable path is a name that lasts.
    void shouldLookForTheAdapterBehindTheLostPortName_data()
    {
        QTest::addColumn<QString>("portName");
        QTest::addColumn<QList<SerialPortEntry>>("before");
        QTest::addColumn<AdapterIdentity>("adapter");
        QTest::addColumn<QList<SerialPortEntry>>("now");
        QTest::addColumn<QString>("lookAt"); // empty: not listed, wait
        const SerialPortEntry builtIn { "ttyS0", "/dev/ttyS0", {}, {}, {}, {} };
        QTest::newRow("by its name, back under another") << "ttyUSB0" << QList { builtIn, adapterAt("ttyUSB0") } << a
                                                         << QList { builtIn, adapterAt("ttyUSB1") } << "ttyUSB1";
        QTest::newRow("by its device") << "/dev/ttyUSB0" << QList { adapterAt("ttyUSB0") } << a << QList { adapterAt("ttyUSB1") } << "ttyUSB1";
        QTest::newRow("by its stable path, which stays") << a.stablePath << QList { adapterAt("ttyUSB0") } << a
                                                         << QList { adapterAt("ttyUSB1") } << a.stablePath;
        QTest::newRow("not back yet") << "ttyUSB0" << QList { adapterAt("ttyUSB0") } << a << QList { builtIn } << "";
        QTest::newRow("not listed when the batch began: its own name")
            << "ttyUSB0" << QList { builtIn } << AdapterIdentity {} << QList { builtIn } << "ttyUSB0";
    }
    void shouldLookForTheAdapterBehindTheLostPortName()
    {
        QFETCH(QString, portName);
        QFETCH(QList<SerialPortEntry>, before);
        QFETCH(AdapterIdentity, adapter);
        QFETCH(QList<SerialPortEntry>, now);
        QFETCH(QString, lookAt);
        QCOMPARE(LinkRecovery::identityOf(portName, before), adapter);
        QCOMPARE(LinkRecovery::lookFor(portName, adapter, now).value_or(QString()), lookAt);
    }

    void shouldOpenAgainWhereTheAdapterCameBack_data()
    {
        QTest::addColumn<AdapterIdentity>("adapter");
        QTest::addColumn<int>("backOnLook");   // 0: never
        QTest::addColumn<bool>("listedWhileOut");
        QTest::addColumn<int>("giveUpOnLook"); // 0: never
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QString>("port");     // where it opened again; empty: nowhere, nobody asked
        QTest::addColumn<int>("looks");
        QTest::newRow("back under another name") << a << 3 << false << 0 << true << "ttyUSB1" << 3;
        QTest::newRow("the operator says no") << a << 3 << false << 0 << false << "ttyUSB1" << 3;
        QTest::newRow("not back within a minute") << a << 0 << false << 0 << true << "" << LinkRecovery::WithinMs / LinkRecovery::LookEveryMs;
        QTest::newRow("the operator gives up the wait") << a << 0 << false << 2 << true << "" << 2;
        QTest::newRow("listed before it opens") << a << 4 << true << 0 << true << "ttyUSB1" << 4;
        QTest::newRow("nothing tells it apart: its own name") << AdapterIdentity {} << 2 << false << 0 << true << "ttyUSB0" << 2;
    }
    void shouldOpenAgainWhereTheAdapterCameBack()
    {
        QFETCH(AdapterIdentity, adapter);
        QFETCH(int, backOnLook);
        QFETCH(bool, listedWhileOut);
        QFETCH(int, giveUpOnLook);
        QFETCH(bool, answer);
        QFETCH(QString, port);
        QFETCH(int, looks);
        auto sim = InProcessSim::create({ "--id", "001" });
        ControllerSession session(sim->factory());
        session.setPause([](int) {});
        session.setDeviceId("001");
        QVERIFY(session.open(LinkSettings::serial("ttyUSB0", "19200,e,8,1")));
        sim->setVanishAfter(1);
        QVERIFY(!session.reboot(false).ok);
        QVERIFY(LinkRecovery::lost(session));

        int looked = 0;
        int waitedMs = 0;
        QStringList asked;
        LinkRecovery::Hooks hooks;
        hooks.ports = [&] {
            QList<SerialPortEntry> ports { { "ttyS0", "/dev/ttyS0", {}, {}, {}, {} } };
            if (!sim->unplugged() || listedWhileOut)
                ports.append(adapterAt("ttyUSB1"));
            return ports;
        };
        hooks.pause = [&](int ms) {
            waitedMs += ms;
            if (++looked == backOnLook)
                sim->plugBackIn();
            return looked != giveUpOnLook;
        };
        hooks.goOn = [&](const QString &at) {
            asked.append(at);
            return answer;
        };
        const LinkRecovery::Result result = LinkRecovery::recover(session, adapter, hooks);

        const bool resumed = !port.isEmpty() && answer;
        QCOMPARE(result.port, port);
        QCOMPARE(result.resumed, resumed);
        QCOMPARE(asked, port.isEmpty() ? QStringList() : QStringList { port });
        QCOMPARE(waitedMs, looks * LinkRecovery::LookEveryMs);
        QCOMPARE(session.link().isOpen(), resumed);
        if (resumed)
            QVERIFY(session.reboot(false).ok);
    }
};

QTEST_GUILESS_MAIN(LinkRecoveryTest)
#include "linkrecoverytest.moc"
