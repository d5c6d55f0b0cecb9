// A batch's serial adapter pulled out and plugged in again: the link opens again where the adapter
// came back, within a minute, and the operator is asked once. The in-process simulator is the
// adapter (pulled out on a request, plugged back in on a given look); the device list follows it.
#include "controller/controllersession.h"
#include "controller/linkrecovery.h"
#include "inprocesssim.h"

#include <QTest>

Q_DECLARE_METATYPE(AdapterIdentity)

class LinkRecoveryTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldOpenAgainWhereTheAdapterCameBack_data()
    {
        QTest::addColumn<AdapterIdentity>("adapter");
        QTest::addColumn<int>("backOnLook");   // 0: never
        QTest::addColumn<bool>("listedWhileOut");
        QTest::addColumn<int>("giveUpOnLook"); // 0: never
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QString>("port");     // where it opened again; empty: nowhere, nobody asked
        QTest::addColumn<int>("looks");
        const AdapterIdentity a { "/dev/serial/by-id/usb-FTDI_A50285BI", "A50285BI" };
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
                ports.append({ "ttyUSB1", "/dev/ttyUSB1", "FT232R USB UART", "FTDI", "A50285BI", "/dev/serial/by-id/usb-FTDI_A50285BI" });
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
