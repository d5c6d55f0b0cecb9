#include "records/recordexport.h"
#include "records/recordstore.h"
#include "testrecords.h"
#include "teststores.h"

#include <QDir>
#include <QJsonDocument>
#include <QTest>

namespace {

const QDateTime T0 = QDateTime::fromString(QStringLiteral("2024-03-15T06:25:30.123Z"), Qt::ISODateWithMs);

// A strict RFC 4180 reader: quotes only around a whole field, rows end in CR LF, nothing else.
std::optional<QList<QStringList>> parseCsv(const QString &text)
{
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    bool inQuotes = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (inQuotes) {
            if (c != QLatin1Char('"'))
                field += c;
            else if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"'))
                field += text[++i];
            else
                inQuotes = false;
        } else if (c == QLatin1Char('"') && field.isEmpty() && !quoted) {
            inQuotes = quoted = true;
        } else if (c == QLatin1Char(',') || (c == QLatin1Char('\r') && text.mid(i, 2) == QLatin1String("\r\n"))) {
            row << field;
            field.clear();
            quoted = false;
            if (c == QLatin1Char('\r')) {
                rows << row;
                row.clear();
                ++i;
            }
        } else if (quoted || c == QLatin1Char('"') || c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            return std::nullopt;
        } else {
            field += c;
        }
    }
    if (inQuotes || !row.isEmpty() || !field.isEmpty())
        return std::nullopt;
    return rows;
}

} // namespace

class RecordExportTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldReadBackCsvFields();
    void shouldExportRangeAsCsvAndJsonFiles();
    void shouldWriteFormulaLikeTextAsText_data();
    void shouldWriteFormulaLikeTextAsText();

private:
    TestStores m_stores;
};

void RecordExportTest::shouldReadBackCsvFields()
{
    const UnitRecord awkward = TestRecords::awkward(T0);
    UnitRecord noSteps = TestRecords::unit(QStringLiteral("N"), false, T0);
    noSteps.steps.clear();
    noSteps.finish(T0.addSecs(1));

    const QByteArray csv = RecordExport::csv({ awkward, noSteps });
    QVERIFY(csv.startsWith("\xEF\xBB\xBF"));
    for (const char c : csv)
        QVERIFY2(uchar(c) >= 0x20 || c == '\t' || c == '\r' || c == '\n', qPrintable(QString::number(uchar(c))));
    const std::optional<QList<QStringList>> rows = parseCsv(QString::fromUtf8(csv.mid(3)));
    QVERIFY(rows);
    QCOMPARE(rows->size(), 1 + awkward.steps.size() + 1);
    QCOMPARE(rows->at(0), RecordExport::csvHeader());

    // Control characters come out as their symbols; local time is eight hours east here.
    const QString shown = QStringLiteral(" lead, \"quoted\"; it's\r\nnext\tline \u2401\u241b[0m\u2421 門禁控制器 😀 trail ");
    const QStringList unit{ awkward.recordId.toString(QUuid::WithoutBraces), QStringLiteral("SN,\"7\"/A:1"), QStringLiteral("001"),
                            QStringLiteral("RO420"), QStringLiteral("V2.31"), shown, QStringLiteral("王小明, \"QA\""),
                            QStringLiteral("2024-03-15T14:25:30.123+08:00"), QStringLiteral("2024-03-15T14:25:50.123+08:00"),
                            QStringLiteral("Simulator jig"), QStringLiteral("FAIL"), QStringLiteral("no") };
    QCOMPARE(rows->at(1), (unit + QStringList{ "1", "Set clock", "±2 s", "'+1 s", "PASS", "" }));
    QCOMPARE(rows->at(2), (unit + QStringList{ "2", "DO1 alone", "DI1", shown, "FAIL", "no reply\nwithin 1200 ms" }));
    QCOMPARE(rows->at(4).mid(0, 2), (QStringList{ noSteps.recordId.toString(QUuid::WithoutBraces), "N" }));
    QCOMPARE(rows->at(4).mid(12), QStringList(6));
}

void RecordExportTest::shouldExportRangeAsCsvAndJsonFiles()
{
    FRESH_STORE(settings, m_stores, QStringLiteral("sqlite"));
    RecordStore store(*settings);
    const UnitRecord inRange = TestRecords::awkward(T0);
    QVERIFY2(store.write(inRange) == RecordStore::WriteResult::Stored, qPrintable(store.why()));
    QCOMPARE(store.write(TestRecords::unit(QStringLiteral("later"), true, T0.addSecs(3600))), RecordStore::WriteResult::Stored);

    const QString csvPath = m_stores.filePath(QStringLiteral("export.csv"));
    const QString folder = m_stores.filePath(QStringLiteral("export"));
    QString error;
    QVERIFY2(RecordExport::exportRange(store, T0, T0.addSecs(3600), csvPath, folder, &error), qPrintable(error));

    QFile csv(csvPath);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    QCOMPARE(csv.readAll(), RecordExport::csv({ inRange }));

    // The serial number's comma, quotes, slash and colon make no folders and no trouble.
    const QStringList files = QDir(folder).entryList(QDir::Files);
    QCOMPARE(files.size(), 1);
    QVERIFY2(files[0].startsWith(QStringLiteral("20240315-142530_SN__7__A_1_")), qPrintable(files[0]));
    QFile json(QDir(folder).filePath(files[0]));
    QVERIFY(json.open(QIODevice::ReadOnly));
    QCOMPARE(UnitRecord::fromJson(QJsonDocument::fromJson(json.readAll()).object()), inRange);
}

void RecordExportTest::shouldWriteFormulaLikeTextAsText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("cell"); // as the CSV reader gives it back
    QTest::newRow("=") << "=HYPERLINK(\"http://x\")" << "'=HYPERLINK(\"http://x\")";
    QTest::newRow("+") << "+1+cmd|' /C calc'!A0" << "'+1+cmd|' /C calc'!A0";
    QTest::newRow("-") << "-2+3" << "'-2+3";
    QTest::newRow("@") << "@SUM(1)" << "'@SUM(1)";
    QTest::newRow("tab") << "\t=1" << "'\t=1";
    QTest::newRow("carriage return") << "\r=1" << "'\r=1";
    QTest::newRow("inside, not at the start") << "a=1" << "a=1";
    QTest::newRow("space first") << " =1" << " =1";
}

// Every text cell a person or a controller filled, each with the same text; the JSON keeps it.
void RecordExportTest::shouldWriteFormulaLikeTextAsText()
{
    QFETCH(QString, text);
    QFETCH(QString, cell);
    UnitRecord r = TestRecords::unit(QStringLiteral("X"), false, T0);
    for (QString *field : { &r.serialNumber, &r.controllerId, &r.model, &r.version, &r.station, &r.operatorName, &r.jigMapName })
        *field = text;
    for (StepRecord &step : r.steps)
        step.name = step.expected = step.measured = step.why = text;
    r.finish(T0.addSecs(2));

    const std::optional<QList<QStringList>> rows = parseCsv(QString::fromUtf8(RecordExport::csv({ r }).mid(3)));
    QVERIFY(rows);
    const QStringList row = rows->at(1);
    for (int column : { 1, 2, 3, 4, 5, 6, 9, 13, 14, 15, 17 })
        QCOMPARE(row.at(column), cell);
    QCOMPARE(row.at(10), QStringLiteral("FAIL"));
    QCOMPARE(UnitRecord::fromJson(QJsonDocument::fromJson(QJsonDocument(r.toJson()).toJson()).object()), r);
}

int main(int argc, char **argv)
{
    // Local time eight hours east of UTC, so that a time written in UTC shows.
    qputenv("TZ", "CST-8");
    QCoreApplication app(argc, argv);
    RecordExportTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "recordexporttest.moc"
