// A batch's serial adapter pulled out and plugged in again: the link is opened again where the
// adapter came back, within a minute, and the operator is asked once. The in-process simulator
// stands for the adapter (pulled out on a request, plugged back in on a given look); the device
// list is made up from whether it is plugged in.
#include "controller/controllersession.h"
#include "controller/linkrecovery.h"
#include "inprocesssim.h"

#include <QTest>

namespace {

const QString pathA = QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");

SerialPortEntry adapterA(const QString &name)
{
    return { name, "/dev/" + name, "FT232R USB UART", "FTDI", "A50285BI", pathA };
}

} // namespace

Q_DECLARE_METATYPE(AdapterIdentity)

class LinkRecoveryTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldOpenAgainWhereTheAdapterCameBack_data()
    {
        QTest::addColumn<AdapterIdentity>("adapter");
        QTest::addColumn<QString>("backAs");
        QTest::addColumn<int>("backOnLook");   // 0: never
        QTest::addColumn<bool>("listedWhileOut");
        QTest::addColumn<int>("giveUpOnLook"); // 0: never
        QTest::addColumn<bool>("answer");
        QTest::addColumn<bool>("resumed");
        QTest::addColumn<QString>("port");
        QTest::addColumn<int>("asked");
        QTest::addColumn<int>("waitedMs");

        const AdapterIdentity a { pathA, "A50285BI" };
        QTest::newRow("back under another name") << a << "ttyUSB1" << 3 << false << 0 << true << true << "ttyUSB1" << 1 << 750;
        QTest::newRow("the operator says no") << a << "ttyUSB1" << 3 << false << 0 << false << false << "ttyUSB1" << 1 << 750;
        QTest::newRow("not back within a minute") << a << "ttyUSB1" << 0 << false << 0 << true << false << "" << 0
                                                  << LinkRecovery::WithinMs;
        QTest::newRow("the operator gives up the wait") << a << "ttyUSB1" << 0 << false << 2 << true << false << "" << 0 << 500;
        QTest::newRow("listed before it opens") << a << "ttyUSB1" << 4 << true << 0 << true << true << "ttyUSB1" << 1 << 1000;
        QTest::newRow("nothing tells it apart: its own name again")
            << AdapterIdentity {} << "ttyUSB7" << 2 << false << 0 << true << true << "ttyUSB0" << 1 << 500;
    }
    void shouldOpenAgainWhereTheAdapterCameBack()
    {
        QFETCH(AdapterIdentity, adapter);
        QFETCH(QString, backAs);
        QFETCH(int, backOnLook);
        QFETCH(bool, listedWhileOut);
        QFETCH(int, giveUpOnLook);
        QFETCH(bool, answer);
        QFETCH(bool, resumed);
        QFETCH(QString, port);
        QFETCH(int, asked);
        QFETCH(int, waitedMs);

        auto sim = InProcessSim::create({ "--id", "001" });
        QVERIFY(sim);
        ControllerSession session(sim->factory());
        session.setPause([](int) {});
        session.setDeviceId("001");
        QVERIFY(session.open(LinkSettings::serial("ttyUSB0", "19200,e,8,1")));
        sim->setVanishAfter(1);
        QVERIFY(!session.reboot(false).ok);
        QVERIFY(LinkRecovery::lost(session));

        int looks = 0;
        int waited = 0;
        QStringList questions;
        LinkRecovery::Hooks hooks;
        hooks.ports = [&] {
            QList<SerialPortEntry> ports { { "ttyS0", "/dev/ttyS0", {}, {}, {}, {} } };
            if (!sim->unplugged() || listedWhileOut)
                ports.append(adapterA(backAs));
            return ports;
        };
        hooks.pause = [&](int ms) {
            waited += ms;
            if (++looks == backOnLook)
                sim->plugBackIn();
            return looks != giveUpOnLook;
        };
        hooks.goOn = [&](const QString &at) {
            questions.append(at);
            return answer;
        };

        const LinkRecovery::Result result = LinkRecovery::recover(session, adapter, hooks);

        QCOMPARE(result.resumed, resumed);
        QCOMPARE(result.port, port);
        QCOMPARE(questions.size(), asked);
        QCOMPARE(waited, waitedMs);
        QCOMPARE(session.link().isOpen(), resumed);
        if (resumed) {
            QCOMPARE(session.link().settings().portName, port);
            QVERIFY(session.reboot(false).ok);
        }
    }

    // Only a lost adapter calls for a wait: a controller that stops answering does not.
    void shouldTellALostAdapterFromASilentController()
    {
        auto sim = InProcessSim::create({ "--id", "001", "--fault", "AJ:noreply" });
        QVERIFY(sim);
        ControllerSession session(sim->factory());
        session.setPause([](int) {});
        session.setDeviceId("001");
        QVERIFY(session.open(LinkSettings::serial("ttyUSB0", "19200,e,8,1")));
        QVERIFY(!session.reboot(false).ok);
        QVERIFY(!LinkRecovery::lost(session));
    }
};

QTEST_GUILESS_MAIN(LinkRecoveryTest)
#include "linkrecoverytest.moc"
