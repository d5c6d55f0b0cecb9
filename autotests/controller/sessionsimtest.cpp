// Every procedure of the tool through the core alone, against the simulator over TCP and a
// pseudo-terminal: what a command line or a production script would do without a window.
#include "controller/controllersession.h"
#include "controller/parametersetcommands.h"
#include "controller/writeplans.h"
#include "exchangerecorder.h"
#include "simprocess.h"
#include "simulator.h"

#include <QLoggingCategory>
#include <QTest>

namespace {

LinkSettings linkTo(const SimProcess &sim)
{
    return sim.ptyPath().isEmpty() ? LinkSettings::tcp(QStringLiteral("127.0.0.1"), QString::number(sim.port()))
                                   : LinkSettings::serial(sim.ptyPath(), QStringLiteral("19200,e,8,1"));
}

class JigPanel : public AutoTestPanel
{
public:
    std::array<bool, 4> switches {};
    std::array<bool, 4> lit {};
    std::array<bool, 2> extra {};
    QString clock;
    std::array<bool, 4> outputs() const override { return switches; }
    void showInputs(const AutoTestReplies::Inputs &inputs) override
    {
        lit = inputs.lit;
        clock = inputs.clockText;
    }
    void showRecord(const QString &) override { }
    void showExtraInputs(const std::array<bool, 2> &states) override { extra = states; }
    void showInputsUnknown() override { }
    void showExtraInputsUnknown() override { }
    void showSilence(const AutoTestWatch &) override { }
};

QString wireLines;
void collectWire(QtMsgType, const QMessageLogContext &context, const QString &message)
{
    if (QByteArray(context.category) == "zu42.wire")
        wireLines += message + QLatin1Char('\n');
}

} // namespace

class SessionSimTest : public QObject
{
    Q_OBJECT
private slots:
    void shouldRunEveryProcedureWithoutAWindow_data()
    {
        QTest::addColumn<bool>("serial");
        QTest::newRow("TCP") << false;
        QTest::newRow("pseudo-terminal") << true;
    }
    void shouldRunEveryProcedureWithoutAWindow()
    {
        QFETCH(bool, serial);
        if (const QString why = serial ? SimProcess::serialLineUnavailable() : QString(); !why.isEmpty())
            QSKIP(qPrintable(why));
        SimProcess sim({ "--jig", "--id", "005" }, serial);
        QVERIFY(sim.start());
        ExchangeRecorder recorder;
        ControllerSession session;
        session.link().addObserver(&recorder);
        QVERIFY2(session.open(linkTo(sim)), qPrintable(session.link().openFailureText()));

        const Identification found = session.identify(QStringLiteral("005"));
        QVERIFY2(found.ok(), qPrintable(found.why));
        QCOMPARE(session.deviceId(), QByteArray("005"));
        QCOMPARE(found.version->panelText, QStringLiteral("RO420DA ZO425V05"));

        // The jig wires DI1 to DO1: one pass with DO1 on lights it.
        JigPanel panel;
        panel.switches[0] = true;
        std::array<bool, 4> lastSent {};
        AutoTestWatch watch;
        QVERIFY(session.autoTestStart(QDateTime::currentDateTime()).ok());
        session.autoTestPass(lastSent, watch, panel);
        QVERIFY(panel.lit[0]);
        QVERIFY(!panel.lit[1]);
        QVERIFY(!panel.clock.isEmpty());
        QVERIFY(session.autoTestEnd(watch).ok());

        // A write, then the read-back shows it.
        QVERIFY(session.run(WritePlans::parameter(ParameterSetCommands::doorLog(0), QString())).ok);
        QVERIFY(session.run(WritePlans::title(2, QStringLiteral("Gate"), QStringLiteral("B"), 1, QString())).ok);
        const auto values = session.readBack();
        QVERIFY(values.first && values.second);
        QCOMPARE(values.second->doorLog, 0);
        QCOMPARE(values.first->titleCount, 2);

        const Reply free = session.freeCommand("ABHELLO");
        QVERIFY(free.ok());
        QVERIFY(session.setInitial().ok);
        QVERIFY(session.reboot(false).ok);
        session.close();

        QCOMPARE(recorder.opens(), 1);
        QCOMPARE(recorder.closes(), 1);
        for (const ExchangeEvent &e : recorder.exchanges())
            QVERIFY2(e.verdict == Verdict::Answered, qPrintable(QString::fromLatin1(e.request)));
        QCOMPARE(sim.requests().first(), QByteArray("005AS"));
        QCOMPARE(sim.requests().last(), QByteArray("005AJ"));
    }

    // The wire log is silent unless asked for, and then gives one line per exchange.
    void shouldLogTheWireOnlyWhenAskedTo()
    {
        Simulator sim;
        QVERIFY(sim.start());
        const QtMessageHandler previous = qInstallMessageHandler(collectWire);
        wireLines.clear();
        ControllerLink link;
        link.setTransportFactory(sim.factory());
        QVERIFY(link.open(sim.linkSettings()));
        QVERIFY(link.exchange("000AS").ok());
        QVERIFY(wireLines.isEmpty());

        QLoggingCategory::setFilterRules(QStringLiteral("zu42.wire.debug=true"));
        QVERIFY(link.exchange("000AV").ok());
        link.close();
        QLoggingCategory::setFilterRules(QString());
        qInstallMessageHandler(previous);

        const QStringList lines = wireLines.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2); // the exchange and the close
        QVERIFY2(lines[0].contains(QStringLiteral("answered")) && lines[0].contains(QStringLiteral("30 30 30 41 56")),
                 qPrintable(lines[0]));
        QVERIFY2(lines[1].contains(QStringLiteral("closed")), qPrintable(lines[1]));
    }
};

QTEST_GUILESS_MAIN(SessionSimTest)
#include "sessionsimtest.moc"
