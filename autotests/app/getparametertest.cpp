// "Get parameter" against the simulator's parameter memory: the two reads, what each applies,
// what a wrong reply leaves alone, and the controls the read-back never touches.
#include "i18n/texttable.h"
#include "windowcontrols.h"

namespace {

const QStringList FirstTable { "cmdLanguage", "cmbEncode",   "cmbHourType", "cmbTitle",
                               "cmbDateType", "cmbCardType", "cmbCardByte", "edSameCard" };
const QStringList SecondTable { "cmbDoorForce", "edDoorTimeout", "cmbDoorTimeout",
                                "cmbDoorLog",   "cmbExtReader",  "cmbDI_3_4Mode" };
const QStringList NeverRead { "cmbReaderType", "chkShowStatus", "chkUseStatus", "cmbCardShow", "cmbCardByte120" };

// A first-range reply of the right length whose applied fields differ from the window's defaults:
// every byte 01, with `change` put in at the 1-based data position.
QByteArray firstData(int position = 0, const QByteArray &change = {})
{
    QByteArray data = QByteArray("01").repeated(21);
    if (position > 0)
        data.replace(position - 7, change.size(), change);
    return data;
}

} // namespace

class GetParameterTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldShowWhatWasWritten();
    void shouldConvertEachField_data();
    void shouldConvertEachField();
    void shouldApplyEachReadOnItsOwn_data();
    void shouldApplyEachReadOnItsOwn();
    void shouldNeverTouchControlsItDoesNotRead();
    void shouldRefuseListLeftWithoutSelection();
};

void GetParameterTest::shouldShowWhatWasWritten()
{
    Simulator sim;
    QVERIFY(sim.start());
    WindowHarness h;
    QVERIFY(connectWithId(h, sim));

    const QList<QPair<QStringList, const char *>> writes {
        { { "cmdLanguage=1", "cmbEncode=1" }, "btnLanguage" },
        { { "cmbHourType=1" }, "btnHourType" },
        { { "cmbTitle=2" }, "btnSetTitle" },
        { { "cmbDateType=2" }, "btnDateType" },
        { { "cmbCardType=2" }, "btnCardType" },
        { { "cmbCardByte=1" }, "btnCardByte" },
        { { "edSameCard=$4D" }, "btnSameCard" },
        { { "cmbDoorForce=1" }, "btnDoorForce" },
        { { "edDoorTimeout=200" }, "btnDoorTimeoutTime" },
        { { "cmbDoorTimeout=1" }, "btnDoorTimeout" },
        { { "cmbDoorLog=0" }, "btnDoorLog" },
        { { "cmbExtReader=1" }, "btnSetExtReader" },
        { { "cmbDI_3_4Mode=1" }, "btnDI_3_4Mode" },
    };
    for (const auto &[controls, button] : writes) {
        setControls(h, controls);
        h.click(button);
        QVERIFY2(h.banner() == inEnglish(TextTable::CommandOk), button);
    }

    // Back to what the window shows at start, so the read has something to change.
    setControls(h, { "cmdLanguage=0", "cmbEncode=2", "cmbHourType=0", "cmbTitle=1", "cmbDateType=0", "cmbCardType=0",
                     "cmbCardByte=0", "edSameCard=10", "cmbDoorForce=0", "edDoorTimeout=20", "cmbDoorTimeout=0",
                     "cmbDoorLog=1", "cmbExtReader=0", "cmbDI_3_4Mode=0" });
    sim.clearRequests();
    BannerRecorder banners(h);
    h.click("btnGetParameter");

    QCOMPARE(sim.requests(), (QList<QByteArray> { "000AP000A15", "000AP008608" }));
    QVERIFY(banners.seen.contains(inEnglish(TextTable::GetBanner)));
    QCOMPARE(h.banner(), inEnglish(TextTable::CommandOk));
    QCOMPARE(controlStates(h, FirstTable + SecondTable),
             (QStringList { "cmdLanguage=1", "cmbEncode=1", "cmbHourType=1", "cmbTitle=2", "cmbDateType=2",
                            "cmbCardType=2", "cmbCardByte=1", "edSameCard=77", "cmbDoorForce=1", "edDoorTimeout=200",
                            "cmbDoorTimeout=1", "cmbDoorLog=0", "cmbExtReader=1", "cmbDI_3_4Mode=1" }));
    QVERIFY(!h.window->session().link().isOpen());
}

void GetParameterTest::shouldConvertEachField_data()
{
    QTest::addColumn<QStringList>("memory");   // --param ADDR=VALUE
    QTest::addColumn<QStringList>("before");   // controls before the read
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<Simulator::Wiring>("wiring"); // one row reaches zu42sim as a process

    QTest::newRow("card bits 20") << QStringList { "16=20" } << QStringList { "cmbCardByte=0" } << QStringList { "cmbCardByte=1" } << Simulator::Wiring::Tcp;
    QTest::newRow("card bits 18") << QStringList { "16=18" } << QStringList { "cmbCardByte=1" } << QStringList { "cmbCardByte=0" } << Simulator::Wiring::InProcess;
    QTest::newRow("card bits other") << QStringList { "16=21" } << QStringList { "cmbCardByte=1" } << QStringList { "cmbCardByte=0" } << Simulator::Wiring::InProcess;
    QTest::newRow("card type 01") << QStringList { "15=1" } << QStringList { "cmbCardType=2" } << QStringList { "cmbCardType=0" } << Simulator::Wiring::InProcess;
    QTest::newRow("card type 03") << QStringList { "15=3" } << QStringList { "cmbCardType=0" } << QStringList { "cmbCardType=2" } << Simulator::Wiring::InProcess;
    QTest::newRow("card type 00 no selection") << QStringList { "15=0" } << QStringList {} << QStringList { "cmbCardType=-1" } << Simulator::Wiring::InProcess;
    QTest::newRow("hour 10 no selection") << QStringList { "C=10" } << QStringList {} << QStringList { "cmbHourType=-1" } << Simulator::Wiring::InProcess;
    QTest::newRow("title 03 no selection") << QStringList { "D=3" } << QStringList {} << QStringList { "cmbTitle=-1" } << Simulator::Wiring::InProcess;
    QTest::newRow("language 00, encoding 01")
        << QStringList { "A=0", "B=1" } << QStringList { "cmdLanguage=2", "cmbEncode=2" }
        << QStringList { "cmdLanguage=0", "cmbEncode=1" } << Simulator::Wiring::InProcess;
    QTest::newRow("same card 0A") << QStringList { "17=A" } << QStringList { "edSameCard=3" } << QStringList { "edSameCard=10" } << Simulator::Wiring::InProcess;
    QTest::newRow("same card 00") << QStringList { "17=0" } << QStringList {} << QStringList { "edSameCard=0" } << Simulator::Wiring::InProcess;
    QTest::newRow("timeout 14") << QStringList { "87=14" } << QStringList { "edDoorTimeout=x" } << QStringList { "edDoorTimeout=20" } << Simulator::Wiring::InProcess;
    QTest::newRow("timeout FF") << QStringList { "87=FF" } << QStringList {} << QStringList { "edDoorTimeout=255" } << Simulator::Wiring::InProcess;
    QTest::newRow("door log 02 no selection") << QStringList { "8B=2" } << QStringList {} << QStringList { "cmbDoorLog=-1" } << Simulator::Wiring::InProcess;
    // The simulated ZO425 hides the DI-mode pair; the read sets it all the same.
    QTest::newRow("DI mode while hidden") << QStringList { "8D=1" } << QStringList {} << QStringList { "cmbDI_3_4Mode=1" } << Simulator::Wiring::InProcess;
}

void GetParameterTest::shouldConvertEachField()
{
    QFETCH(QStringList, memory);
    QFETCH(QStringList, before);
    QFETCH(QStringList, expected);
    QFETCH(Simulator::Wiring, wiring);

    QStringList args;
    for (const QString &m : memory)
        args << "--param" << m;
    Simulator sim(args, wiring);
    QVERIFY(sim.start());
    WindowHarness h;
    QVERIFY(connectWithId(h, sim));
    setControls(h, before);

    h.click("btnGetParameter");

    QCOMPARE(h.banner(), inEnglish(TextTable::CommandOk));
    for (const QString &e : expected)
        QCOMPARE(controlState(h, e.section(u'=', 0, 0)), e);
}

void GetParameterTest::shouldApplyEachReadOnItsOwn_data()
{
    QTest::addColumn<QStringList>("simArgs");
    QTest::addColumn<bool>("firstApplied");
    QTest::addColumn<bool>("secondApplied");
    QTest::addColumn<Simulator::Wiring>("wiring"); // one row reaches zu42sim as a process

    const QString first = QStringLiteral("AP000A15=");
    const QString second = QStringLiteral("AP008608=");
    const QString secondData = QStringLiteral("0101010101010101");
    // The second read differs from the defaults in door force (byte 0x0086).
    const QStringList door { "--param", "86=1" };

    QTest::newRow("first 54, second 28") << QStringList { "--reply", first + firstData() } + door << true << true << Simulator::Wiring::Tcp;
    QTest::newRow("first 53") << QStringList { "--reply", first + firstData().chopped(1) } + door << false << true << Simulator::Wiring::InProcess;
    QTest::newRow("first 55") << QStringList { "--reply", first + firstData() + "0" } + door << false << true << Simulator::Wiring::InProcess;
    QTest::newRow("first unanswered") << QStringList { "--fail-nth", "4" } + door << false << true << Simulator::Wiring::InProcess;
    QTest::newRow("first language not hex")
        << QStringList { "--reply", first + firstData(7, "0G") } + door << false << true << Simulator::Wiring::InProcess;
    QTest::newRow("first same card not hex")
        << QStringList { "--reply", first + firstData(33, " 1") } + door << false << true << Simulator::Wiring::InProcess;
    QTest::newRow("first card bits compared as text")
        << QStringList { "--reply", first + firstData(31, "ZZ") } + door << true << true << Simulator::Wiring::InProcess;
    QTest::newRow("first unapplied byte not hex")
        << QStringList { "--reply", first + firstData(17, "??") } + door << true << true << Simulator::Wiring::InProcess;
    QTest::newRow("second 27") << QStringList { "--reply", first + firstData(), "--reply", second + secondData.chopped(1) }
                               << true << false << Simulator::Wiring::InProcess;
    QTest::newRow("second door log not hex")
        << QStringList { "--reply", first + firstData(), "--reply", second + "0101010101xx0101" } << true << false << Simulator::Wiring::InProcess;
    QTest::newRow("both fail") << QStringList { "--fail-nth", "4,5" } << false << false << Simulator::Wiring::InProcess;
}

void GetParameterTest::shouldApplyEachReadOnItsOwn()
{
    QFETCH(QStringList, simArgs);
    QFETCH(bool, firstApplied);
    QFETCH(bool, secondApplied);
    QFETCH(Simulator::Wiring, wiring);

    Simulator sim(simArgs, wiring);
    QVERIFY(sim.start());
    WindowHarness h;
    QVERIFY(connectWithId(h, sim));
    const QStringList firstBefore = controlStates(h, FirstTable);
    const QStringList secondBefore = controlStates(h, SecondTable);

    h.click("btnGetParameter");

    // The second read goes out whatever became of the first.
    QCOMPARE(sim.requests(), (QList<QByteArray> { "000AP000A15", "000AP008608" }));
    QCOMPARE(controlStates(h, FirstTable) != firstBefore, firstApplied);
    QCOMPARE(controlStates(h, SecondTable) != secondBefore, secondApplied);
    if (secondApplied)
        QCOMPARE(controlState(h, "cmbDoorForce"), QStringLiteral("cmbDoorForce=1"));
    QCOMPARE(h.banner(), inEnglish(firstApplied || secondApplied ? TextTable::CommandOk : TextTable::CommandError));
    QVERIFY(!h.window->session().link().isOpen());
    QVERIFY(h.window->isEnabled());
}

void GetParameterTest::shouldNeverTouchControlsItDoesNotRead()
{
    // The memory holds other values than the controls for every one of them.
    Simulator sim({ "--param", "8A=0", "--param", "1B=2", "--param", "1C=1", "--param", "1D=1", "--param", "16=18" });
    QVERIFY(sim.start());
    WindowHarness h;
    QVERIFY(connectWithId(h, sim));
    setControls(h, { "cmbReaderType=1", "cmbCardShow=0", "chkShowStatus=0", "chkUseStatus=0", "cmbCardByte120=1" });
    const QStringList before = controlStates(h, NeverRead);

    h.click("btnGetParameter");

    QCOMPARE(h.banner(), inEnglish(TextTable::CommandOk));
    QCOMPARE(controlStates(h, NeverRead), before);
}

void GetParameterTest::shouldRefuseListLeftWithoutSelection()
{
    Simulator sim({ "--param", "15=0" });
    QVERIFY(sim.start());
    WindowHarness h;
    QVERIFY(connectWithId(h, sim));
    h.click("btnGetParameter");
    QCOMPARE(controlState(h, "cmbCardType"), QStringLiteral("cmbCardType=-1"));
    sim.clearRequests();
    const int opens = h.traffic.opens();

    h.click("btnCardType");

    QCOMPARE(h.traffic.opens(), opens);
    QCOMPARE(h.banner(), inEnglish(TextTable::InvalidValue));
    QCOMPARE(h.tone->played.last().frequencyHz, 300);
    QTest::qWait(50);
    QVERIFY(sim.requests().isEmpty());
}

QTEST_MAIN(GetParameterTest)
#include "getparametertest.moc"
