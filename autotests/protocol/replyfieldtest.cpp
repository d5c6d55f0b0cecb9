#include "protocol/commandtextguard.h"
#include "protocol/replyfield.h"

#include <QTest>

class ReplyFieldTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldCutByOneBasedPosition_data();
    void shouldCutByOneBasedPosition();
    void shouldRefuseFrameDelimitersInCommandText_data();
    void shouldRefuseFrameDelimitersInCommandText();
};

void ReplyFieldTest::shouldCutByOneBasedPosition_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("length");
    QTest::addColumn<QByteArray>("expected");

    // The reply is "\x03" "001" "AB" "DATA": ID at 2, data at 7.
    QTest::newRow("first byte is ETX") << 1 << 1 << QByteArray("\x03");
    QTest::newRow("id") << 2 << 3 << QByteArray("001");
    QTest::newRow("data") << 7 << 4 << QByteArray("DATA");
    QTest::newRow("past the end is cut short") << 9 << 5 << QByteArray("TA");
    QTest::newRow("last byte") << 10 << 1 << QByteArray("A");
    QTest::newRow("start just past the end") << 11 << 2 << QByteArray();
    QTest::newRow("start far past the end") << 1000 << 2 << QByteArray();
    QTest::newRow("zero length") << 3 << 0 << QByteArray();
    QTest::newRow("negative length") << 3 << -4 << QByteArray();
    QTest::newRow("position 0 counts as 1") << 0 << 2 << QByteArray("\x03" "0");
    QTest::newRow("negative position counts as 1") << -5 << 4 << QByteArray("\x03" "001");
    QTest::newRow("huge length") << 5 << INT_MAX << QByteArray("ABDATA");
}

void ReplyFieldTest::shouldCutByOneBasedPosition()
{
    QFETCH(int, position);
    QFETCH(int, length);
    QFETCH(QByteArray, expected);
    QCOMPARE(ReplyField::mid(QByteArray("\x03" "001" "AB" "DATA"), position, length), expected);
}

void ReplyFieldTest::shouldRefuseFrameDelimitersInCommandText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("sendable");

    QTest::newRow("plain") << QByteArray("AT1ZOVUR CORP.") << true;
    QTest::newRow("empty") << QByteArray() << true;
    QTest::newRow("tab and line feed") << QByteArray("A\tB\nC") << true;
    QTest::newRow("high bytes") << QByteArray("\xD6\xD0\xCE\xC4") << true;
    QTest::newRow("NUL") << QByteArray("AB\0CD", 5) << false;
    QTest::newRow("SOH") << QByteArray("AB\x01") << false;
    QTest::newRow("STX") << QByteArray("\x02" "AB") << false;
    QTest::newRow("ETX") << QByteArray("A\x03" "B") << false;
    QTest::newRow("EOT") << QByteArray("A\x04" "B") << false;
    QTest::newRow("CR") << QByteArray("A\rB") << false;
}

void ReplyFieldTest::shouldRefuseFrameDelimitersInCommandText()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, sendable);
    QCOMPARE(CommandTextGuard::isSendable(text), sendable);
}

QTEST_APPLESS_MAIN(ReplyFieldTest)
#include "replyfieldtest.moc"
