// The single-parameter write buttons against the simulator: the exact command each choice
// sends, the outcome shown, and values refused before any link is opened.
#include "i18n/texttable.h"
#include "windowcontrols.h"

namespace {

const QColor Red(255, 0, 0);

} // namespace

class ParamsTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldSendTheChosenValue_data();
    void shouldSendTheChosenValue();
    void shouldRefuseValueBeforeOpeningLink_data();
    void shouldRefuseValueBeforeOpeningLink();
    void shouldSayInvalidValueInCurrentLanguage();
    void shouldReportCommandErrorWithoutReply_data();
    void shouldReportCommandErrorWithoutReply();
    void shouldSendNothingWhenTheLinkCannotOpen_data();
    void shouldSendNothingWhenTheLinkCannotOpen();
};

void ParamsTest::shouldSendTheChosenValue_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("controls");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<Simulator::Wiring>("wiring"); // one row reaches zu42sim as a process

    QTest::newRow("door log Enable") << "btnDoorLog" << QStringList { "cmbDoorLog=1" } << QByteArray("001AP008B0101") << Simulator::Wiring::Tcp;
    QTest::newRow("door log Disable") << "btnDoorLog" << QStringList { "cmbDoorLog=0" } << QByteArray("001AP008B0100") << Simulator::Wiring::InProcess;
    QTest::newRow("card type 1:Stand") << "btnCardType" << QStringList { "cmbCardType=0" } << QByteArray("001AP00150101") << Simulator::Wiring::InProcess;
    QTest::newRow("card type 3:Type #2") << "btnCardType" << QStringList { "cmbCardType=2" } << QByteArray("001AP00150103") << Simulator::Wiring::InProcess;
    QTest::newRow("card bits 24") << "btnCardByte" << QStringList { "cmbCardByte=0" } << QByteArray("001AP00160118") << Simulator::Wiring::InProcess;
    QTest::newRow("card bits 32") << "btnCardByte" << QStringList { "cmbCardByte=1" } << QByteArray("001AP00160120") << Simulator::Wiring::InProcess;
    QTest::newRow("RO420 card bits 24") << "btnCardByte120" << QStringList { "cmbCardByte120=0" } << QByteArray("001AF24") << Simulator::Wiring::InProcess;
    QTest::newRow("RO420 card bits 32") << "btnCardByte120" << QStringList { "cmbCardByte120=1" } << QByteArray("001AF32") << Simulator::Wiring::InProcess;
    QTest::newRow("same card 10") << "btnSameCard" << QStringList { "edSameCard=10" } << QByteArray("001AP0017010A") << Simulator::Wiring::InProcess;
    QTest::newRow("same card 0") << "btnSameCard" << QStringList { "edSameCard=0" } << QByteArray("001AP00170100") << Simulator::Wiring::InProcess;
    QTest::newRow("same card 255") << "btnSameCard" << QStringList { "edSameCard=255" } << QByteArray("001AP001701FF") << Simulator::Wiring::InProcess;
    QTest::newRow("same card blanks and sign") << "btnSameCard" << QStringList { "edSameCard= +7" } << QByteArray("001AP00170107") << Simulator::Wiring::InProcess;
    QTest::newRow("same card $ hex") << "btnSameCard" << QStringList { "edSameCard=$1f" } << QByteArray("001AP0017011F") << Simulator::Wiring::InProcess;
    QTest::newRow("same card 0x hex") << "btnSameCard" << QStringList { "edSameCard=0xC" } << QByteArray("001AP0017010C") << Simulator::Wiring::InProcess;
    QTest::newRow("date DD/MM/YYYY") << "btnDateType" << QStringList { "cmbDateType=1" } << QByteArray("001AP000E0101") << Simulator::Wiring::InProcess;
    QTest::newRow("date MM/DD/YYYY") << "btnDateType" << QStringList { "cmbDateType=2" } << QByteArray("001AP000E0102") << Simulator::Wiring::InProcess;
    QTest::newRow("hour 12H") << "btnHourType" << QStringList { "cmbHourType=1" } << QByteArray("001AP000C0101") << Simulator::Wiring::InProcess;
    QTest::newRow("ext reader Entry") << "btnSetExtReader" << QStringList { "cmbExtReader=1" } << QByteArray("001AP008C0101") << Simulator::Wiring::InProcess;
    QTest::newRow("door force Enable") << "btnDoorForce" << QStringList { "cmbDoorForce=1" } << QByteArray("001AP00860101") << Simulator::Wiring::InProcess;
    QTest::newRow("door timeout Enable") << "btnDoorTimeout" << QStringList { "cmbDoorTimeout=1" } << QByteArray("001AP00880101") << Simulator::Wiring::InProcess;
    QTest::newRow("timeout time 20") << "btnDoorTimeoutTime" << QStringList { "edDoorTimeout=20" } << QByteArray("001AP00870114") << Simulator::Wiring::InProcess;
    QTest::newRow("timeout time 255") << "btnDoorTimeoutTime" << QStringList { "edDoorTimeout=255" } << QByteArray("001AP008701FF") << Simulator::Wiring::InProcess;
    QTest::newRow("DI mode Weigand") << "btnDI_3_4Mode" << QStringList { "cmbDI_3_4Mode=1" } << QByteArray("001AP008D0101") << Simulator::Wiring::InProcess;
    QTest::newRow("reader type Stand") << "btnSetReaderType" << QStringList { "cmbReaderType=1" } << QByteArray("001AP008A0101") << Simulator::Wiring::InProcess;
    QTest::newRow("reader type Keypad") << "btnSetReaderType" << QStringList { "cmbReaderType=0" } << QByteArray("001AP008A0100") << Simulator::Wiring::InProcess;
}

void ParamsTest::shouldSendTheChosenValue()
{
    QFETCH(QString, button);
    QFETCH(QStringList, controls);
    QFETCH(QByteArray, expected);
    QFETCH(Simulator::Wiring, wiring);

    checkSentAndEndedOk(wiring, button, controls, { expected }, TextTable::SetBanner);
}

void ParamsTest::shouldRefuseValueBeforeOpeningLink_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("controls");
    QTest::addColumn<Simulator::Wiring>("wiring"); // one row reaches zu42sim as a process

    for (const char *text : { "256", "999", "-1", "abc", "", "1.5", "0x", "$", "12a", "   " })
        QTest::addRow("same card \"%s\"", text) << "btnSameCard" << QStringList { QStringLiteral("edSameCard=") + text }
                                                << (qstrcmp(text, "256") == 0 ? Simulator::Wiring::Tcp : Simulator::Wiring::InProcess);
    for (const char *text : { "300", "-5", "x", "" })
        QTest::addRow("timeout time \"%s\"", text) << "btnDoorTimeoutTime" << QStringList { QStringLiteral("edDoorTimeout=") + text } << Simulator::Wiring::InProcess;

    const char *lists[][2] = {
        { "btnCardByte", "cmbCardByte" },     { "btnCardByte120", "cmbCardByte120" }, { "btnCardType", "cmbCardType" },
        { "btnDateType", "cmbDateType" },     { "btnHourType", "cmbHourType" },       { "btnSetExtReader", "cmbExtReader" },
        { "btnDoorLog", "cmbDoorLog" },       { "btnDoorForce", "cmbDoorForce" },     { "btnDoorTimeout", "cmbDoorTimeout" },
        { "btnDI_3_4Mode", "cmbDI_3_4Mode" }, { "btnSetReaderType", "cmbReaderType" },
    };
    for (const auto &[button, list] : lists)
        QTest::addRow("%s without selection", list) << button << QStringList { QStringLiteral("%1=-1").arg(list) } << Simulator::Wiring::InProcess;
}

void ParamsTest::shouldRefuseValueBeforeOpeningLink()
{
    QFETCH(QString, button);
    QFETCH(QStringList, controls);
    QFETCH(Simulator::Wiring, wiring);

    checkRefusedBeforeSending(wiring, button, controls);
}

void ParamsTest::shouldSayInvalidValueInCurrentLanguage()
{
    Simulator sim;
    QVERIFY(sim.start());
    WindowHarness h;
    QVERIFY(connectWithId(h, sim));
    const std::pair<int, const char *> languages[] = { { TextTable::SimplifiedChinese, "mnuSimplified" },
                                                       { TextTable::TraditionalChinese, "mnuTraditional" } };
    for (const auto &[language, entry] : languages) {
        h.find<QAction>(entry)->trigger();
        setControl(h, "edDoorTimeout=999");
        h.click("btnDoorTimeoutTime");
        QCOMPARE(h.banner(), TextTable::text(TextTable::InvalidValue, language));
        QVERIFY(h.banner() != TextTable::text(TextTable::InvalidValue, TextTable::English));
    }
    QVERIFY(sim.requests().isEmpty());
}

void ParamsTest::shouldReportCommandErrorWithoutReply_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<Simulator::Wiring>("wiring"); // one row reaches zu42sim as a process
    QTest::newRow("door log") << "btnDoorLog" << Simulator::Wiring::Tcp;
    QTest::newRow("same card") << "btnSameCard" << Simulator::Wiring::InProcess;
    QTest::newRow("RO420 card bits") << "btnCardByte120" << Simulator::Wiring::InProcess;
}

void ParamsTest::shouldReportCommandErrorWithoutReply()
{
    QFETCH(QString, button);
    QFETCH(Simulator::Wiring, wiring);

    // The connect takes the first three requests; the press is the fourth.
    Simulator sim({ "--fail-nth", "4" }, wiring);
    QVERIFY(sim.start());
    WindowHarness h;
    QVERIFY(connectWithId(h, sim));

    h.click(button.toLatin1().constData());

    QCOMPARE(sim.requests().size(), 1); // no retry, nothing after it
    QCOMPARE(h.banner(), TextTable::text(TextTable::CommandError, TextTable::English));
    QCOMPARE(h.lamp("shComm"), Red);
    QCOMPARE(h.tone->played.last().frequencyHz, 300);
    QVERIFY(!h.window->session().link().isOpen());
    QCOMPARE(h.traffic.closes(), h.traffic.opens());
    QVERIFY(h.window->isEnabled());
}

void ParamsTest::shouldSendNothingWhenTheLinkCannotOpen_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<Simulator::Wiring>("wiring"); // one row reaches zu42sim as a process
    QTest::newRow("door log") << "btnDoorLog" << Simulator::Wiring::Tcp;
    QTest::newRow("master") << "btnSetMaster" << Simulator::Wiring::InProcess;
    QTest::newRow("title") << "btnSetTitle" << Simulator::Wiring::InProcess;
    QTest::newRow("get parameter") << "btnGetParameter" << Simulator::Wiring::InProcess;
}

void ParamsTest::shouldSendNothingWhenTheLinkCannotOpen()
{
    QFETCH(QString, button);
    QFETCH(Simulator::Wiring, wiring);

    Simulator sim({}, wiring);
    QVERIFY(sim.start());
    WindowHarness h;
    QVERIFY(connectWithId(h, sim));
    sim.stop(); // the controller is gone: the next open is refused
    const int closes = h.traffic.closes();

    h.click(button.toLatin1().constData());

    QVERIFY(sim.requests().isEmpty());
    QCOMPARE(h.banner(), TextTable::text(TextTable::ConnectDeviceError, TextTable::English));
    QCOMPARE(h.lamp("shComm"), Red);
    QCOMPARE(h.tone->played.last().frequencyHz, 300);
    QCOMPARE(h.traffic.closes(), closes); // nothing was opened, so nothing is closed
    QVERIFY(!h.window->session().link().isOpen());
    QVERIFY(h.window->isEnabled());
    QVERIFY(!QApplication::overrideCursor());
}

QTEST_MAIN(ParamsTest)
#include "paramstest.moc"
