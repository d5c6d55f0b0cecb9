// The single-parameter write buttons against the simulator: the exact command each choice
// sends, the outcome shown, and values refused before any link is opened.
#include "i18n/texttable.h"
#include "windowcontrols.h"

namespace {

const QColor Yellow(255, 255, 0);
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

    QTest::newRow("door log Enable") << "btnDoorLog" << QStringList { "cmbDoorLog=1" } << QByteArray("001AP008B0101");
    QTest::newRow("door log Disable") << "btnDoorLog" << QStringList { "cmbDoorLog=0" } << QByteArray("001AP008B0100");
    QTest::newRow("card type 1:Stand") << "btnCardType" << QStringList { "cmbCardType=0" } << QByteArray("001AP00150101");
    QTest::newRow("card type 3:Type #2") << "btnCardType" << QStringList { "cmbCardType=2" } << QByteArray("001AP00150103");
    QTest::newRow("card bits 24") << "btnCardByte" << QStringList { "cmbCardByte=0" } << QByteArray("001AP00160118");
    QTest::newRow("card bits 32") << "btnCardByte" << QStringList { "cmbCardByte=1" } << QByteArray("001AP00160120");
    QTest::newRow("RO420 card bits 24") << "btnCardByte120" << QStringList { "cmbCardByte120=0" } << QByteArray("001AF24");
    QTest::newRow("RO420 card bits 32") << "btnCardByte120" << QStringList { "cmbCardByte120=1" } << QByteArray("001AF32");
    QTest::newRow("same card 10") << "btnSameCard" << QStringList { "edSameCard=10" } << QByteArray("001AP0017010A");
    QTest::newRow("same card 0") << "btnSameCard" << QStringList { "edSameCard=0" } << QByteArray("001AP00170100");
    QTest::newRow("same card 255") << "btnSameCard" << QStringList { "edSameCard=255" } << QByteArray("001AP001701FF");
    QTest::newRow("same card blanks and sign") << "btnSameCard" << QStringList { "edSameCard= +7" } << QByteArray("001AP00170107");
    QTest::newRow("same card $ hex") << "btnSameCard" << QStringList { "edSameCard=$1f" } << QByteArray("001AP0017011F");
    QTest::newRow("same card 0x hex") << "btnSameCard" << QStringList { "edSameCard=0xC" } << QByteArray("001AP0017010C");
    QTest::newRow("date DD/MM/YYYY") << "btnDateType" << QStringList { "cmbDateType=1" } << QByteArray("001AP000E0101");
    QTest::newRow("date MM/DD/YYYY") << "btnDateType" << QStringList { "cmbDateType=2" } << QByteArray("001AP000E0102");
    QTest::newRow("hour 12H") << "btnHourType" << QStringList { "cmbHourType=1" } << QByteArray("001AP000C0101");
    QTest::newRow("ext reader Entry") << "btnSetExtReader" << QStringList { "cmbExtReader=1" } << QByteArray("001AP008C0101");
    QTest::newRow("door force Enable") << "btnDoorForce" << QStringList { "cmbDoorForce=1" } << QByteArray("001AP00860101");
    QTest::newRow("door timeout Enable") << "btnDoorTimeout" << QStringList { "cmbDoorTimeout=1" } << QByteArray("001AP00880101");
    QTest::newRow("timeout time 20") << "btnDoorTimeoutTime" << QStringList { "edDoorTimeout=20" } << QByteArray("001AP00870114");
    QTest::newRow("timeout time 255") << "btnDoorTimeoutTime" << QStringList { "edDoorTimeout=255" } << QByteArray("001AP008701FF");
    QTest::newRow("DI mode Weigand") << "btnDI_3_4Mode" << QStringList { "cmbDI_3_4Mode=1" } << QByteArray("001AP008D0101");
    QTest::newRow("reader type Stand") << "btnSetReaderType" << QStringList { "cmbReaderType=1" } << QByteArray("001AP008A0101");
    QTest::newRow("reader type Keypad") << "btnSetReaderType" << QStringList { "cmbReaderType=0" } << QByteArray("001AP008A0100");
}

void ParamsTest::shouldSendTheChosenValue()
{
    QFETCH(QString, button);
    QFETCH(QStringList, controls);
    QFETCH(QByteArray, expected);

    SimProcess sim({ "--id", "001" });
    QVERIFY(sim.start());
    WindowHarness h;
    QVERIFY(connectWithId(h, sim, "001"));
    setControls(h, controls);

    BannerRecorder banners(h);
    h.click(button.toLatin1().constData());

    QCOMPARE(sim.requests(), QList<QByteArray> { expected });
    QVERIFY(banners.seen.contains(TextTable::text(TextTable::SetBanner, TextTable::English)));
    QCOMPARE(h.banner(), TextTable::text(TextTable::CommandOk, TextTable::English));
    QCOMPARE(h.lamp("shComm"), Yellow);
    QCOMPARE(h.tone->played.last().frequencyHz, 1000);
    QVERIFY(!h.window->session().link().isOpen());
    QVERIFY(h.window->isEnabled());
}

void ParamsTest::shouldRefuseValueBeforeOpeningLink_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("controls");

    for (const char *text : { "256", "999", "-1", "abc", "", "1.5", "0x", "$", "12a", "   " })
        QTest::addRow("same card \"%s\"", text) << "btnSameCard" << QStringList { QStringLiteral("edSameCard=") + text };
    for (const char *text : { "300", "-5", "x", "" })
        QTest::addRow("timeout time \"%s\"", text) << "btnDoorTimeoutTime" << QStringList { QStringLiteral("edDoorTimeout=") + text };

    const char *lists[][2] = {
        { "btnCardByte", "cmbCardByte" },     { "btnCardByte120", "cmbCardByte120" }, { "btnCardType", "cmbCardType" },
        { "btnDateType", "cmbDateType" },     { "btnHourType", "cmbHourType" },       { "btnSetExtReader", "cmbExtReader" },
        { "btnDoorLog", "cmbDoorLog" },       { "btnDoorForce", "cmbDoorForce" },     { "btnDoorTimeout", "cmbDoorTimeout" },
        { "btnDI_3_4Mode", "cmbDI_3_4Mode" }, { "btnSetReaderType", "cmbReaderType" },
    };
    for (const auto &[button, list] : lists)
        QTest::addRow("%s without selection", list) << button << QStringList { QStringLiteral("%1=-1").arg(list) };
}

void ParamsTest::shouldRefuseValueBeforeOpeningLink()
{
    QFETCH(QString, button);
    QFETCH(QStringList, controls);

    SimProcess sim;
    QVERIFY(sim.start());
    WindowHarness h;
    QVERIFY(connectWithId(h, sim));
    setControls(h, controls);
    const int opens = h.traffic.opens();
    const qsizetype tones = h.tone->played.size();

    h.click(button.toLatin1().constData());

    QCOMPARE(h.traffic.opens(), opens);
    QCOMPARE(h.banner(), TextTable::text(TextTable::InvalidValue, TextTable::English));
    QCOMPARE(h.lamp("shComm"), Red);
    QCOMPARE(h.tone->played.size(), tones + 1);
    QCOMPARE(h.tone->played.last().frequencyHz, 300);
    QVERIFY(h.window->isEnabled());
    QVERIFY(h.find("pcMain")->isEnabled());
    // Give a stray exchange time to show in the log.
    QTest::qWait(50);
    QVERIFY(sim.requests().isEmpty());
}

void ParamsTest::shouldSayInvalidValueInCurrentLanguage()
{
    SimProcess sim;
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
    QTest::newRow("door log") << "btnDoorLog";
    QTest::newRow("same card") << "btnSameCard";
    QTest::newRow("RO420 card bits") << "btnCardByte120";
}

void ParamsTest::shouldReportCommandErrorWithoutReply()
{
    QFETCH(QString, button);

    // The connect takes the first three requests; the press is the fourth.
    SimProcess sim({ "--fail-nth", "4" });
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
    QTest::newRow("door log") << "btnDoorLog";
    QTest::newRow("master") << "btnSetMaster";
    QTest::newRow("title") << "btnSetTitle";
    QTest::newRow("get parameter") << "btnGetParameter";
}

void ParamsTest::shouldSendNothingWhenTheLinkCannotOpen()
{
    QFETCH(QString, button);

    SimProcess sim;
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
