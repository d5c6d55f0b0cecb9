// What zu42cli refuses after its arguments read and before the link opens: a jig record must
// name who tested the unit. The link given leads nowhere, so a run that got past the refusal
// ends with status 3 instead.
#include "cli/cliarguments.h"
#include "cli/clirunner.h"

#include <QTest>

class CliRunnerTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldRefuseAJigRecordWithoutAnOperator_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("error"); // how standard error begins
        const QString refused = QStringLiteral("zu42cli: no operator is named; every record says who tested the unit (--operator NAME)\n");
        QTest::newRow("no operator") << QStringList { "jig" } << 2 << refused;
        QTest::newRow("empty operator") << QStringList { "jig", "--operator", "" } << 2 << refused;
        QTest::newRow("blank operator") << QStringList { "jig", "--operator", " \t" } << 2 << refused;
        QTest::newRow("operator named") << QStringList { "jig", "--operator", "Wang" } << 3
                                        << "zu42cli: The link did not open: ";
    }

    void shouldRefuseAJigRecordWithoutAnOperator()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, error);
        const CliArguments::Parsed parsed =
            CliArguments::parse(QStringList { "zu42cli", "--link", "tcp:127.0.0.1:1", "--station", "Line 2" } + args);
        QVERIFY2(parsed.request, qPrintable(parsed.text));
        QString out;
        QString err;
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        QCOMPARE(CliRunner(*parsed.request, outStream, errStream).run(), status);
        QVERIFY2(err.startsWith(error), qPrintable(err));
        QCOMPARE(out, QString());
    }
};

QTEST_GUILESS_MAIN(CliRunnerTest)
#include "clirunnertest.moc"
