#include "controller/jigmap.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

// The inputs each output drives, DO1..DO4, as "DI3 DI7" texts: easier to read in a failure
// than arrays of flags.
QStringList wiring(const JigMap &map)
{
    QStringList result;
    for (int o = 0; o < JigMap::OutputCount; ++o) {
        QStringList inputs;
        const JigMap::InputStates driven = map.drivenBy(JigMap::Output(o));
        for (int i = 0; i < JigMap::InputCount; ++i) {
            if (driven[i])
                inputs << JigMap::inputName(JigMap::Input(i));
        }
        result << inputs.join(QLatin1Char(' '));
    }
    return result;
}

using IeLamps = std::array<bool, 4>;
using DfLamps = std::array<bool, 2>;

const QByteArray GoodMap = "name = Fixture B\nDO1 = DI1\nDO2 = none\nDO3 = DI3 DI7\nDO4 = DI4 DI8\n";

} // namespace

class JigMapTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldReadWiring_data();
    void shouldReadWiring();
    void shouldRefuseDamagedMap_data();
    void shouldRefuseDamagedMap();
    void shouldExpectSimulatorWiringByDefault_data();
    void shouldExpectSimulatorWiringByDefault();
    void shouldReadBackWhatItWrites_data();
    void shouldReadBackWhatItWrites();
    void shouldNameFileOfDamagedMap();
};

void JigMapTest::shouldReadWiring_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("wiring");

    QTest::newRow("plain") << GoodMap << "Fixture B" << QStringList{ "DI1", "", "DI3 DI7", "DI4 DI8" };
    QTest::newRow("commas, case, comments, any order")
        << QByteArray("# jig 3\n\ndo4=di8,DI4 # relay\n  Name=x # spare\n#DO1 = DI2\nDO2 = DI2,,DI1\ndo1 = di7\nDO3 = NONE\n")
        << "x" << QStringList{ "DI7", "DI1 DI2", "", "DI4 DI8" };
    QTest::newRow("BOM, CR LF and CR")
        << QByteArray("\xEF\xBB\xBFname = A\r\nDO1 = DI1\r\nDO2 = DI2\rDO3 = DI3\rDO4 = DI4")
        << "A" << QStringList{ "DI1", "DI2", "DI3", "DI4" };
    QTest::newRow("UTF-8 name, = in name")
        << QByteArray("name = 治具 A=1\nDO1 = DI1\nDO2 = DI2\nDO3 = DI3\nDO4 = DI4\n")
        << QStringLiteral("治具 A=1") << QStringList{ "DI1", "DI2", "DI3", "DI4" };
}

void JigMapTest::shouldReadWiring()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, name);
    QFETCH(QStringList, wiring);

    QString error;
    const std::optional<JigMap> map = JigMap::parse(text, &error);
    QVERIFY2(map, qPrintable(error));
    QCOMPARE(map->name(), name);
    QCOMPARE(::wiring(*map), wiring);
}

void JigMapTest::shouldRefuseDamagedMap_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("message");

    const QByteArray outputs = "DO1 = DI1\nDO2 = DI2\nDO3 = DI3\nDO4 = DI4\n";
    QTest::newRow("unknown output") << QByteArray("name = A\n" + outputs + "DO5 = DI1\n")
                                    << "line 6: unknown name \"DO5\"";
    QTest::newRow("unknown input") << QByteArray("name = A\nDO1 = DI1 DI5\nDO2 = DI2\nDO3 = DI3\nDO4 = DI4\n")
                                   << "line 2: DO1: unknown input \"DI5\"";
    QTest::newRow("output twice") << QByteArray("name = A\n" + outputs + "do2 = DI1\n")
                                  << "line 6: DO2 is listed again (first on line 3)";
    QTest::newRow("output missing") << QByteArray("name = A\nDO1 = DI1\nDO2 = DI2\nDO4 = DI4\n")
                                    << "DO3 is missing";
    QTest::newRow("output without inputs") << QByteArray("name = A\nDO1 = DI1\nDO2 =\nDO3 = DI3\nDO4 = DI4\n")
                                           << "line 3: DO2 names no input";
    QTest::newRow("none beside an input") << QByteArray("name = A\nDO1 = DI1 none\nDO2 = DI2\nDO3 = DI3\nDO4 = DI4\n")
                                          << "line 2: DO1: unknown input \"none\"";
    QTest::newRow("input twice") << QByteArray("name = A\nDO1 = DI1, di1\nDO2 = DI2\nDO3 = DI3\nDO4 = DI4\n")
                                 << "line 2: DO1: DI1 is named twice";
    QTest::newRow("no name") << outputs << "no \"name = ...\" line";
    QTest::newRow("second name") << QByteArray("name = A\n" + outputs + "name = B\n")
                                  << "line 6: a second name line (the first is line 1)";
    QTest::newRow("empty name") << QByteArray("name = # later\n" + outputs) << "line 1: the name is empty";
    QTest::newRow("long name") << QByteArray("name = " + QByteArray(65, 'x') + "\n" + outputs)
                               << "line 1: the name is longer than 64";
    QTest::newRow("control in name") << QByteArray("name = A\x1b[31m\n" + outputs)
                                     << "line 1: the name holds a control character";
    QTest::newRow("garbage line") << QByteArray("name = A\n" + outputs + "DO1 DI1\n")
                                  << "line 6: expected \"DOn = inputs\"";
    QTest::newRow("too large") << QByteArray("name = A\n" + outputs + QByteArray(JigMap::MaxFileSize, '\n'))
                               << "a map file is at most 16384";
    QTest::newRow("UTF-16") << QByteArray("\xFF\xFEn\0a\0m\0e\0", 10) << "saved as UTF-16";
    QTest::newRow("NUL bytes") << QByteArray("name = A\0\n", 10) + outputs << "NUL bytes";
    QTest::newRow("Latin-1") << QByteArray("name = M\xFC" "ller\n" + outputs) << "not UTF-8";
}

void JigMapTest::shouldRefuseDamagedMap()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, message);

    QString error;
    QVERIFY(!JigMap::parse(text, &error));
    QVERIFY2(error.contains(message), qPrintable(error));
}

void JigMapTest::shouldExpectSimulatorWiringByDefault_data()
{
    QTest::addColumn<int>("output");
    QTest::addColumn<IeLamps>("ie");
    QTest::addColumn<DfLamps>("df");

    QTest::newRow("DO1") << 0 << IeLamps{ true, false, false, false } << DfLamps{};
    QTest::newRow("DO2") << 1 << IeLamps{ false, true, false, false } << DfLamps{};
    QTest::newRow("DO3") << 2 << IeLamps{ false, false, true, false } << DfLamps{ true, false };
    QTest::newRow("DO4") << 3 << IeLamps{ false, false, false, true } << DfLamps{ false, true };
}

void JigMapTest::shouldExpectSimulatorWiringByDefault()
{
    QFETCH(int, output);
    QFETCH(IeLamps, ie);
    QFETCH(DfLamps, df);

    // What the "IE" and "DF" replies of the simulator's jig show with this output alone on.
    QCOMPARE(JigMap::defaultMap().expectedWhenAlone(JigMap::Output(output)), JigMap::inputStates(ie, df));
}

void JigMapTest::shouldReadBackWhatItWrites_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("default") << JigMap::defaultMap().toText();
    QTest::newRow("outputs driving nothing") << QByteArray("name = A\nDO1 = none\nDO2 = none\nDO3 = none\nDO4 = DI1 DI2 DI3 DI4 DI7 DI8\n");
    QTest::newRow("shared input, UTF-8 name") << QByteArray("name = 線 2\nDO1 = DI7\nDO2 = DI7\nDO3 = DI3\nDO4 = DI4\n");
}

void JigMapTest::shouldReadBackWhatItWrites()
{
    QFETCH(QByteArray, text);

    const std::optional<JigMap> map = JigMap::parse(text);
    QVERIFY(map);
    QCOMPARE(JigMap::parse(map->toText()), map);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("jig.map"));
    QString error;
    QVERIFY2(map->save(path, &error), qPrintable(error));
    QCOMPARE(JigMap::load(path, &error), map);
}

void JigMapTest::shouldNameFileOfDamagedMap()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("jig.map"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("name = A\nDO1 = DI9\n");
    file.close();

    QString error;
    QVERIFY(!JigMap::load(path, &error));
    QCOMPARE(error, QStringLiteral("the jig map %1 is damaged: line 2: DO1: unknown input \"DI9\" (the inputs are DI1 DI2 DI3 DI4 DI7 DI8)").arg(path));
    QVERIFY(!JigMap::load(dir.filePath(QStringLiteral("missing.map")), &error));
    QVERIFY2(error.startsWith(QStringLiteral("cannot open the jig map %1").arg(dir.filePath(QStringLiteral("missing.map")))), qPrintable(error));
}

QTEST_APPLESS_MAIN(JigMapTest)
#include "jigmaptest.moc"
