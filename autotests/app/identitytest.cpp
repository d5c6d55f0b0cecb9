// The identity and display buttons against the simulator: the commands of each press in
// order, the stop at the first failed exchange, and texts in the controller's encoding.
#include "i18n/texttable.h"
#include "windowcontrols.h"

namespace {

const QColor Red(255, 0, 0);

} // namespace

class IdentityTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldSendCommandsInOrder_data();
    void shouldSendCommandsInOrder();
    void shouldShowScrollBarPositionAsId_data();
    void shouldShowScrollBarPositionAsId();
    void shouldStopAtFirstFailedExchange_data();
    void shouldStopAtFirstFailedExchange();
    void shouldRefuseBeforeSendingAnything_data();
    void shouldRefuseBeforeSendingAnything();
};

void IdentityTest::shouldSendCommandsInOrder_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("controls");
    QTest::addColumn<QList<QByteArray>>("expected");
    QTest::addColumn<int>("bannerId");
    QTest::addColumn<Simulator::Wiring>("wiring"); // one row reaches zu42sim as a process

    using L = QList<QByteArray>;
    QTest::newRow("language Simplified, GB2312") << "btnLanguage" << QStringList { "cmdLanguage=2", "cmbEncode=2" }
                                                 << L { "001AP000A020202", "001AJ" } << TextTable::SetLanguage << Simulator::Wiring::Tcp;
    QTest::newRow("language English, UNICODE") << "btnLanguage" << QStringList { "cmdLanguage=0", "cmbEncode=0" }
                                               << L { "001AP000A020000", "001AJ" } << TextTable::SetLanguage << Simulator::Wiring::InProcess;
    QTest::newRow("plain restart with NET") << "btnLanguage" << QStringList { "cmdLanguage=1", "cmbEncode=1", "chkNet=1" }
                                            << L { "001AP000A020101", "001AJ" } << TextTable::SetLanguage << Simulator::Wiring::InProcess;
    QTest::newRow("baud 19200,e") << "btnSetBaud" << QStringList { "cmbSelBaud=5" } << L { "001AE5" } << TextTable::SetBaudrate << Simulator::Wiring::InProcess;
    QTest::newRow("baud 115200,n") << "btnSetBaud" << QStringList { "cmbSelBaud=10" } << L { "001AEA" } << TextTable::SetBaudrate << Simulator::Wiring::InProcess;
    QTest::newRow("baud 921600,e") << "btnSetBaud" << QStringList { "cmbSelBaud=17" } << L { "001AE11" } << TextTable::SetBaudrate << Simulator::Wiring::InProcess;
    QTest::newRow("baud 4800,n") << "btnSetBaud" << QStringList { "cmbSelBaud=0" } << L { "001AE0" } << TextTable::SetBaudrate << Simulator::Wiring::InProcess;
    QTest::newRow("master UID before PIN")
        << "btnSetMaster"
        << QStringList { "edMasterUID1=11111111", "edMasterPIN1=1234", "edMasterUID2=22222222", "edMasterPIN2=5678",
                         "edMasterUID3=ABCDEF01", "edMasterPIN3=9" }
        << L { "001BA100111111111234", "001BA200222222225678", "001BA300ABCDEF019" } << TextTable::SetMaster << Simulator::Wiring::InProcess;
    QTest::newRow("master empty fields") << "btnSetMaster" << QStringList { "edMasterUID2=", "edMasterPIN2=" }
                                         << L { "001BA100455153987629", "001BA200", "001BA300455153987629" }
                                         << TextTable::SetMaster << Simulator::Wiring::InProcess;
    QTest::newRow("ID from the scroll bar") << "btnSetID" << QStringList { "sbSetID=42" } << L { "001AC042" } << TextTable::SetId << Simulator::Wiring::InProcess;
    QTest::newRow("ID as typed") << "btnSetID" << QStringList { "edSetID=7" } << L { "001AC7" } << TextTable::SetId << Simulator::Wiring::InProcess;
    QTest::newRow("ASCII ID while the encoding list shows nothing")
        << "btnSetID" << QStringList { "cmbEncode=-1", "edSetID=042" } << L { "001AC042" } << TextTable::SetId << Simulator::Wiring::InProcess;
    QTest::newRow("title Two") << "btnSetTitle" << QStringList { "cmbTitle=2" }
                               << L { "001AT02", "001AT1ZOVUR CORP.", "001AT2RD OFFICE" } << TextTable::SetTitle << Simulator::Wiring::InProcess;
    QTest::newRow("title None still sends both lines")
        << "btnSetTitle" << QStringList { "cmbTitle=0", "edTitle1=Lobby", "edTitle2=" }
        << L { "001AT00", "001AT1Lobby", "001AT2" } << TextTable::SetTitle << Simulator::Wiring::InProcess;
    QTest::newRow("title in GB2312") << "btnSetTitle" << QStringList { "cmbEncode=2", "edTitle1=大门 A" }
                                     << L { "001AT01", "001AT1\xB4\xF3\xC3\xC5 A", "001AT2RD OFFICE" } << TextTable::SetTitle << Simulator::Wiring::InProcess;
    QTest::newRow("title in Big5") << "btnSetTitle" << QStringList { "cmbEncode=1", "edTitle2=門禁" }
                                   << L { "001AT01", "001AT1ZOVUR CORP.", "001AT2\xAA\xF9\xB8\x54" } << TextTable::SetTitle << Simulator::Wiring::InProcess;
    QTest::newRow("title in UTF-8 for UNICODE") << "btnSetTitle" << QStringList { "cmbEncode=0", "edTitle1=门€" }
                                                << L { "001AT01", "001AT1\xE9\x97\xA8\xE2\x82\xAC", "001AT2RD OFFICE" }
                                                << TextTable::SetTitle << Simulator::Wiring::InProcess;
    QTest::newRow("master PIN in Big5") << "btnSetMaster" << QStringList { "cmbEncode=1", "edMasterPIN3=門" }
                                        << L { "001BA100455153987629", "001BA200455153987629", "001BA30045515398\xAA\xF9" }
                                        << TextTable::SetMaster << Simulator::Wiring::InProcess;
    QTest::newRow("show Card UID, shown, not used")
        << "btnSetShow" << QStringList { "cmbCardShow=2", "chkShowStatus=1", "chkUseStatus=0" }
        << L { "001AP001B03020100", "001AJ" } << TextTable::SetShowStatus << Simulator::Wiring::InProcess;
    QTest::newRow("show Card Text, not shown, used")
        << "btnSetShow" << QStringList { "cmbCardShow=3", "chkShowStatus=0", "chkUseStatus=1", "chkNet=1" }
        << L { "001AP001B03030001", "001AJ" } << TextTable::SetShowStatus << Simulator::Wiring::InProcess;
}

void IdentityTest::shouldSendCommandsInOrder()
{
    QFETCH(QString, button);
    QFETCH(QStringList, controls);
    QFETCH(QList<QByteArray>, expected);
    QFETCH(int, bannerId);
    QFETCH(Simulator::Wiring, wiring);

    checkSentAndEndedOk(wiring, button, controls, expected, bannerId);
}

void IdentityTest::shouldShowScrollBarPositionAsId_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("shown");
    QTest::newRow("7") << 7 << "007";
    QTest::newRow("42") << 42 << "042";
    QTest::newRow("999") << 999 << "999";
}

void IdentityTest::shouldShowScrollBarPositionAsId()
{
    QFETCH(int, position);
    QFETCH(QString, shown);
    WindowHarness h;
    h.find<QScrollBar>("sbSetID")->setValue(position);
    QCOMPARE(h.find<QLineEdit>("edSetID")->text(), shown);
}

void IdentityTest::shouldStopAtFirstFailedExchange_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("failNth");
    QTest::addColumn<QList<QByteArray>>("expected");
    QTest::addColumn<Simulator::Wiring>("wiring"); // one row reaches zu42sim as a process

    // The connect takes requests 1 to 3.
    using L = QList<QByteArray>;
    QTest::newRow("failed BA100") << "btnSetMaster" << "4" << L { "000BA100455153987629" } << Simulator::Wiring::Tcp;
    QTest::newRow("failed BA200") << "btnSetMaster" << "5" << L { "000BA100455153987629", "000BA200455153987629" } << Simulator::Wiring::InProcess;
    QTest::newRow("failed AT1") << "btnSetTitle" << "5" << L { "000AT01", "000AT1ZOVUR CORP." } << Simulator::Wiring::InProcess;
    QTest::newRow("failed language write, no restart") << "btnLanguage" << "4" << L { "000AP000A020002" } << Simulator::Wiring::InProcess;
    QTest::newRow("failed show write, no restart") << "btnSetShow" << "4" << L { "000AP001B03020101" } << Simulator::Wiring::InProcess;
    QTest::newRow("failed restart") << "btnSetShow" << "5" << L { "000AP001B03020101", "000AJ" } << Simulator::Wiring::InProcess;
}

void IdentityTest::shouldStopAtFirstFailedExchange()
{
    QFETCH(QString, button);
    QFETCH(QString, failNth);
    QFETCH(QList<QByteArray>, expected);
    QFETCH(Simulator::Wiring, wiring);

    Simulator sim({ "--fail-nth", failNth }, wiring);
    QVERIFY(sim.start());
    WindowHarness h;
    QVERIFY(connectWithId(h, sim));

    h.click(button.toLatin1().constData());

    QCOMPARE(sim.requests(), expected);
    QCOMPARE(h.banner(), inEnglish(TextTable::CommandError));
    QCOMPARE(h.lamp("shComm"), Red);
    QVERIFY(!h.window->session().link().isOpen());
    QVERIFY(h.window->isEnabled());
}

void IdentityTest::shouldRefuseBeforeSendingAnything_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("controls");
    QTest::addColumn<Simulator::Wiring>("wiring"); // one row reaches zu42sim as a process

    QTest::newRow("traditional character in GB2312 title line 2")
        << "btnSetTitle" << QStringList { "cmbEncode=2", "edTitle2=門" } << Simulator::Wiring::Tcp;
    QTest::newRow("simplified character in Big5 title line 1") << "btnSetTitle" << QStringList { "cmbEncode=1", "edTitle1=门" } << Simulator::Wiring::InProcess;
    QTest::newRow("emoji in GB2312 third PIN") << "btnSetMaster" << QStringList { "cmbEncode=2", "edMasterPIN3=\U0001F600" } << Simulator::Wiring::InProcess;
    QTest::newRow("simplified character in Big5 ID") << "btnSetID" << QStringList { "cmbEncode=1", "edSetID=门" } << Simulator::Wiring::InProcess;
    QTest::newRow("carriage return in a UID") << "btnSetMaster" << QStringList { "edMasterUID2=12\r34" } << Simulator::Wiring::InProcess;
    QTest::newRow("encoding list without selection, Chinese title") << "btnSetTitle" << QStringList { "cmbEncode=-1", "edTitle1=门" } << Simulator::Wiring::InProcess;
    QTest::newRow("encoding list without selection, language") << "btnLanguage" << QStringList { "cmbEncode=-1" } << Simulator::Wiring::InProcess;
    QTest::newRow("language list without selection") << "btnLanguage" << QStringList { "cmdLanguage=-1" } << Simulator::Wiring::InProcess;
    QTest::newRow("title list without selection") << "btnSetTitle" << QStringList { "cmbTitle=-1" } << Simulator::Wiring::InProcess;
    QTest::newRow("card show list without selection") << "btnSetShow" << QStringList { "cmbCardShow=-1" } << Simulator::Wiring::InProcess;
    QTest::newRow("baud list without selection") << "btnSetBaud" << QStringList { "cmbSelBaud=-1" } << Simulator::Wiring::InProcess;
}

void IdentityTest::shouldRefuseBeforeSendingAnything()
{
    QFETCH(QString, button);
    QFETCH(QStringList, controls);
    QFETCH(Simulator::Wiring, wiring);

    checkRefusedBeforeSending(wiring, button, controls);
}

QTEST_MAIN(IdentityTest)
#include "identitytest.moc"
