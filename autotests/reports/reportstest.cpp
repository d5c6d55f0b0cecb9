// The chart's axis and the certificate's page, as a PDF and as a picture.
#include "i18n/texttable.h"
#include "reports/certificatepdf.h"
#include "reports/recordchart.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

namespace {

UnitRecord failedUnit()
{
    UnitRecord r;
    r.serialNumber = QStringLiteral("24010042");
    r.controllerId = QStringLiteral("000");
    r.model = QStringLiteral("ZO425");
    r.version = QStringLiteral("RO420DA ZO425V05");
    r.station = QStringLiteral("Line 2");
    r.operatorName = QStringLiteral("王小明");
    r.jigMapName = QStringLiteral("Simulator jig");
    r.start = QDateTime(QDate(2024, 3, 15), QTime(14, 25, 30));
    r.steps = { { 0, QStringLiteral("Identify"), QStringLiteral("a controller answering ID 000"), QStringLiteral("ZO425 S/N 24010042 ID 000"), true, {} },
                { 0, QStringLiteral("DO2 alone"), QStringLiteral("DI2"), QStringLiteral("none"), false, {} } };
    r.finish(r.start.addSecs(12));
    return r;
}

// How much of a picture is not white: something was drawn there.
int inked(const QImage &image, const QRect &area)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += image.pixelColor(x, y).lightness() < 128;
    return count;
}

} // namespace

class ReportsTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldRoundTheAxisUp_data()
    {
        QTest::addColumn<double>("largest");
        QTest::addColumn<bool>("whole");
        QTest::addColumn<double>("top");
        QTest::newRow("no tests") << 0.0 << true << 4.0;
        QTest::newRow("one test: steps of one, never of a quarter") << 1.0 << true << 4.0;
        QTest::newRow("three") << 3.0 << true << 4.0;
        QTest::newRow("seven") << 7.0 << true << 8.0;
        QTest::newRow("eleven") << 11.0 << true << 20.0;
        QTest::newRow("exactly four steps of five") << 20.0 << true << 20.0;
        QTest::newRow("a busy day") << 2740.0 << true << 4000.0;
        QTest::newRow("nothing of a fraction") << 0.0 << false << 1.0;
        QTest::newRow("a fraction") << 0.42 << false << 0.8;
        QTest::newRow("a fraction in steps of 2.5") << 0.09 << false << 0.1;
    }
    void shouldRoundTheAxisUp()
    {
        QFETCH(double, largest);
        QFETCH(bool, whole);
        QFETCH(double, top);
        QCOMPARE(RecordChart::axisTop(largest, whole), top);
    }

    // The same drawing on a picture: bars where the values are, nothing drawn for an empty chart
    // but its words.
    void shouldDrawTheBarsInProportion()
    {
        QImage image(400, 300, QImage::Format_RGB32);
        image.fill(Qt::white);
        RecordChart chart;
        chart.setBars({ { QStringLiteral("DO2 alone"), 10 }, { QStringLiteral("Clock kept"), 5 } });
        chart.setLine({ 2.0 / 3, 1.0 }, QStringLiteral("cumulative"));
        QPainter painter(&image);
        chart.paint(painter, QRectF(0, 0, 400, 300));
        painter.end();
        // Each bar's column, just above the axis: the first is twice as tall as the second.
        auto barHeight = [&](int x) {
            int height = 0;
            for (int y = 0; y < 300; ++y)
                height += image.pixelColor(x, y) == QColor(0x3a, 0x6e, 0xa5);
            return height;
        };
        const QList<int> heights{ barHeight(int(400 * 0.3)), barHeight(int(400 * 0.7)) };
        QVERIFY2(heights[1] > 10, qPrintable(QString::number(heights[1])));
        QVERIFY2(qAbs(heights[0] - 2 * heights[1]) <= 3, qPrintable(QStringLiteral("%1 %2").arg(heights[0]).arg(heights[1])));
    }

    void shouldWriteACertificateOfOnePage_data()
    {
        QTest::addColumn<int>("language");
        QTest::newRow("English") << int(TextTable::English);
        QTest::newRow("Simplified Chinese") << int(TextTable::SimplifiedChinese);
    }
    void shouldWriteACertificateOfOnePage()
    {
        QFETCH(int, language);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("certificate.pdf"));
        QString why;
        QVERIFY2(CertificatePdf::write(failedUnit(), language, QStringLiteral("zu42 test"), QFont(), path, &why), qPrintable(why));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray pdf = file.readAll();
        QVERIFY(pdf.startsWith("%PDF-"));
        // One page: "/Type /Page" once beside the one "/Type /Pages" of the page tree.
        QCOMPARE(pdf.count("/Type /Page"), 2);
        QCOMPARE(pdf.count("/Type /Pages"), 1);

        // The page as a picture: the verdict's box at the top right, the steps' rows below.
        QImage page(827, 1169, QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter painter(&page);
        CertificatePdf::paint(painter, QRectF(60, 60, 707, 1049), failedUnit(), language, QStringLiteral("zu42 test"), QFont());
        painter.end();
        if (qEnvironmentVariableIsSet("ZU42_KEEP_PICTURES"))
            page.save(QStringLiteral("%1/certificate-%2.png").arg(qEnvironmentVariable("ZU42_KEEP_PICTURES")).arg(language));
        QVERIFY(inked(page, QRect(560, 100, 200, 120)) > 500);
        // The rows' height follows the fonts the system has (Wine's are smaller): a band wide
        // enough for either.
        QVERIFY(inked(page, QRect(60, 290, 700, 120)) > 100);
        QCOMPARE(inked(page, QRect(0, 0, 50, 1169)), 0);
    }
};

QTEST_MAIN(ReportsTest)
#include "reportstest.moc"
