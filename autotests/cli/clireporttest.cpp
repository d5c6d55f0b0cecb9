// What zu42cli tells, one way for a person and one for a script: the lines on standard output
// and the reason on standard error, or the one JSON object with its fixed fields.
#include "cli/clireport.h"

#include <QJsonDocument>
#include <QTest>

class CliReportTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldTellARunAsTextOrAsJson_data()
    {
        QTest::addColumn<bool>("json");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("why"); // empty: the run did not fail
        QTest::addColumn<QString>("out"); // the text, or the JSON object in compact form
        QTest::addColumn<QString>("err");
        QTest::newRow("text, done") << false << 0 << "" << "model RO426\n" << "";
        QTest::newRow("text, failed") << false << 1 << "No answer" << "model RO426\n" << "zu42cli: No answer\n";
        QTest::newRow("JSON, done") << true << 0 << ""
                                    << R"({"command":"identify","exit":0,"model":"RO426","ok":true})" << "";
        QTest::newRow("JSON, failed") << true << 1 << "No answer"
                                      << R"({"command":"identify","error":"No answer","exit":1,"model":"RO426","ok":false})"
                                      << "zu42cli: No answer\n";
    }

    void shouldTellARunAsTextOrAsJson()
    {
        QFETCH(bool, json);
        QFETCH(int, status);
        QFETCH(QString, why);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QString outText;
        QString errText;
        QTextStream outStream(&outText);
        QTextStream errStream(&errText);
        CliReport report(outStream, errStream, json, QStringLiteral("identify"));
        report.say(QStringLiteral("model RO426"));
        report.set(QStringLiteral("model"), QStringLiteral("RO426"));
        const int returned = why.isEmpty() ? status : report.fail(status, why);
        QCOMPARE(report.finish(returned), status);
        if (json) {
            QJsonParseError error;
            const QJsonDocument document = QJsonDocument::fromJson(outText.toUtf8(), &error);
            QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(outText));
            QCOMPARE(QString::fromUtf8(document.toJson(QJsonDocument::Compact)), out);
        } else {
            QCOMPARE(outText, out);
        }
        QCOMPARE(errText, err);
    }

    // A refusal before the run: the hint goes to standard error, the JSON names the command once
    // it was read.
    void shouldTellARefusalAsJson_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("out");
        QTest::newRow("no command read") << "" << R"({"error":"no command given","exit":2,"ok":false})";
        QTest::newRow("identify") << "identify" << R"({"command":"identify","error":"no command given","exit":2,"ok":false})";
    }

    void shouldTellARefusalAsJson()
    {
        QFETCH(QString, command);
        QFETCH(QString, out);
        QString outText;
        QString errText;
        QTextStream outStream(&outText);
        QTextStream errStream(&errText);
        const QString text = QStringLiteral("zu42cli: no command given\nTry 'zu42cli --help'.\n");
        QCOMPARE(CliReport(outStream, errStream, true, command).finishWithoutRequest(2, text), 2);
        QCOMPARE(QString::fromUtf8(QJsonDocument::fromJson(outText.toUtf8()).toJson(QJsonDocument::Compact)), out);
        QCOMPARE(errText, text);
    }
};

QTEST_APPLESS_MAIN(CliReportTest)
#include "clireporttest.moc"
