#include "controller/identitycommands.h"
#include "controller/parametercommand.h"
#include "controller/parametersetcommands.h"

#include <QTest>
#include <functional>

using Command = std::optional<QByteArray>;
using ListHandler = std::function<Command(int)>;
using TextHandler = std::function<Command(const QString &)>;
Q_DECLARE_METATYPE(ListHandler)
Q_DECLARE_METATYPE(TextHandler)

namespace {

Command text(const char *s)
{
    return QByteArray(s);
}

} // namespace

class ParameterCommandsTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldFormatParameterCommand_data();
    void shouldFormatParameterCommand();
    void shouldRefuseWriteWithoutFittingCount();
    void shouldSendListChoice_data();
    void shouldSendListChoice();
    void shouldSendEditFieldByte_data();
    void shouldSendEditFieldByte();
    void shouldBuildIdentityCommands_data();
    void shouldBuildIdentityCommands();
    void shouldSendEveryBaudCode();
};

void ParameterCommandsTest::shouldFormatParameterCommand_data()
{
    QTest::addColumn<Command>("actual");
    QTest::addColumn<Command>("expected");

    QTest::newRow("write one") << ParameterCommand::write(0x008B, { 0x01 }) << text("AP008B0101");
    QTest::newRow("write uppercase") << ParameterCommand::write(0xABCD, { 0xEF, 0x0A }) << text("APABCD02EF0A");
    QTest::newRow("write three") << ParameterCommand::write(0x001B, { 2, 1, 0 }) << text("AP001B03020100");
    QTest::newRow("read first range") << Command(ParameterCommand::read(0x000A, 21)) << text("AP000A15");
    QTest::newRow("read second range") << Command(ParameterCommand::read(0x0086, 8)) << text("AP008608");
    QTest::newRow("read top") << Command(ParameterCommand::read(0xFFFF, 255)) << text("APFFFFFF");
}

void ParameterCommandsTest::shouldFormatParameterCommand()
{
    QFETCH(Command, actual);
    QFETCH(Command, expected);
    QCOMPARE(actual, expected);
}

void ParameterCommandsTest::shouldRefuseWriteWithoutFittingCount()
{
    QVERIFY(!ParameterCommand::write(0x000A, {}));
    QVERIFY(!ParameterCommand::write(0x000A, QList<quint8>(256, 0)));
    const auto longest = ParameterCommand::write(0x000A, QList<quint8>(255, 0xAB));
    QVERIFY(longest);
    QVERIFY(longest->startsWith("AP000AFFABAB"));
    QCOMPARE(longest->size(), 8 + 2 * 255);
}

void ParameterCommandsTest::shouldSendListChoice_data()
{
    QTest::addColumn<ListHandler>("handler");
    QTest::addColumn<int>("index");
    QTest::addColumn<Command>("expected");

    const Command refused;
    const struct
    {
        const char *name;
        ListHandler handler;
        const char *head;
        int items;
    } lists[] = {
        { "date type", ParameterSetCommands::dateType, "AP000E01", 3 },
        { "hour type", ParameterSetCommands::hourType, "AP000C01", 2 },
        { "ext reader", ParameterSetCommands::extReader, "AP008C01", 2 },
        { "door log", ParameterSetCommands::doorLog, "AP008B01", 2 },
        { "door force", ParameterSetCommands::doorForce, "AP008601", 2 },
        { "door timeout", ParameterSetCommands::doorTimeout, "AP008801", 2 },
        { "DI mode", ParameterSetCommands::diMode, "AP008D01", 2 },
        { "reader type", ParameterSetCommands::readerType, "AP008A01", 2 },
    };
    for (const auto &list : lists) {
        for (int i = 0; i < list.items; ++i)
            QTest::addRow("%s %d", list.name, i) << list.handler << i
                                                 << Command(QByteArray(list.head) + QByteArray::number(i).rightJustified(2, '0'));
        QTest::addRow("%s no selection", list.name) << list.handler << -1 << refused;
        QTest::addRow("%s past the items", list.name) << list.handler << list.items << refused;
    }

    const ListHandler cardType = ParameterSetCommands::cardType;
    QTest::newRow("card type 1:Stand sends 01") << cardType << 0 << text("AP00150101");
    QTest::newRow("card type 2:Type #1 sends 02") << cardType << 1 << text("AP00150102");
    QTest::newRow("card type 3:Type #2 sends 03") << cardType << 2 << text("AP00150103");
    QTest::newRow("card type no selection") << cardType << -1 << refused;
    QTest::newRow("card type past the items") << cardType << 3 << refused;

    const ListHandler cardBits = ParameterSetCommands::cardBits;
    QTest::newRow("card bits 32") << cardBits << 1 << text("AP00160120");
    QTest::newRow("card bits 24") << cardBits << 0 << text("AP00160118");
    QTest::newRow("card bits no selection") << cardBits << -1 << refused;
    QTest::newRow("card bits past the items") << cardBits << 2 << refused;

    const ListHandler cardBits120 = ParameterSetCommands::cardBits120;
    QTest::newRow("RO420 card bits 32") << cardBits120 << 1 << text("AF32");
    QTest::newRow("RO420 card bits 24") << cardBits120 << 0 << text("AF24");
    QTest::newRow("RO420 card bits no selection") << cardBits120 << -1 << refused;
    QTest::newRow("RO420 card bits past the items") << cardBits120 << 2 << refused;
}

void ParameterCommandsTest::shouldSendListChoice()
{
    QFETCH(ListHandler, handler);
    QFETCH(int, index);
    QFETCH(Command, expected);
    QCOMPARE(handler(index), expected);
}

void ParameterCommandsTest::shouldSendEditFieldByte_data()
{
    QTest::addColumn<TextHandler>("handler");
    QTest::addColumn<QString>("field");
    QTest::addColumn<Command>("expected");

    const TextHandler sameCard = ParameterSetCommands::sameCard;
    const TextHandler timeout = ParameterSetCommands::doorTimeoutTime;
    QTest::newRow("same card 10") << sameCard << "10" << text("AP0017010A");
    QTest::newRow("same card 0") << sameCard << "0" << text("AP00170100");
    QTest::newRow("same card 255") << sameCard << "255" << text("AP001701FF");
    QTest::newRow("same card leading blank") << sameCard << " 10" << text("AP0017010A");
    QTest::newRow("same card plus") << sameCard << "+10" << text("AP0017010A");
    QTest::newRow("same card dollar hex") << sameCard << "$0A" << text("AP0017010A");
    QTest::newRow("same card 0x hex") << sameCard << "0x0a" << text("AP0017010A");
    QTest::newRow("same card 256") << sameCard << "256" << Command();
    QTest::newRow("same card -1") << sameCard << "-1" << Command();
    QTest::newRow("same card abc") << sameCard << "abc" << Command();
    QTest::newRow("same card empty") << sameCard << "" << Command();
    QTest::newRow("same card inner blank") << sameCard << "1 0" << Command();
    QTest::newRow("same card bare prefix") << sameCard << "0x" << Command();
    QTest::newRow("timeout 20") << timeout << "20" << text("AP00870114");
    QTest::newRow("timeout 255") << timeout << "255" << text("AP008701FF");
    QTest::newRow("timeout -0") << timeout << "-0" << text("AP00870100");
    QTest::newRow("timeout 300") << timeout << "300" << Command();
    QTest::newRow("timeout trailing blank") << timeout << "20 " << Command();
}

void ParameterCommandsTest::shouldSendEditFieldByte()
{
    QFETCH(TextHandler, handler);
    QFETCH(QString, field);
    QFETCH(Command, expected);
    QCOMPARE(handler(field), expected);
}

void ParameterCommandsTest::shouldBuildIdentityCommands_data()
{
    QTest::addColumn<Command>("actual");
    QTest::addColumn<Command>("expected");

    const Command refused;
    QTest::newRow("Chinese Simplified with GB2312") << IdentityCommands::language(2, 2) << text("AP000A020202");
    QTest::newRow("English with UNICODE") << IdentityCommands::language(0, 0) << text("AP000A020000");
    QTest::newRow("Traditional with UNICODE") << IdentityCommands::language(1, 0) << text("AP000A020100");
    QTest::newRow("language no selection") << IdentityCommands::language(-1, 2) << refused;
    QTest::newRow("encoding no selection") << IdentityCommands::language(2, -1) << refused;
    QTest::newRow("language past the items") << IdentityCommands::language(3, 0) << refused;
    QTest::newRow("encoding past the items") << IdentityCommands::language(0, 3) << refused;

    QTest::newRow("master 1 UID before PIN") << IdentityCommands::master(1, "45515398", "7629")
                                             << text("BA100455153987629");
    QTest::newRow("master 3") << IdentityCommands::master(3, "ABCDEF01", "0000") << text("BA300ABCDEF010000");
    QTest::newRow("master empty fields") << IdentityCommands::master(2, "", "") << text("BA200");
    QTest::newRow("master 0") << IdentityCommands::master(0, "45515398", "7629") << refused;
    QTest::newRow("master 4") << IdentityCommands::master(4, "45515398", "7629") << refused;
    QTest::newRow("master PIN with CR") << IdentityCommands::master(1, "45515398", "76\r9") << refused;
    QTest::newRow("master UID with EOT") << IdentityCommands::master(1, "455\x04" "5398", "7629") << refused;

    QTest::newRow("set ID") << IdentityCommands::setId("042") << text("AC042");
    QTest::newRow("set ID as typed") << IdentityCommands::setId("7") << text("AC7");
    QTest::newRow("set ID with NUL") << IdentityCommands::setId(QByteArray("0\0" "1", 3)) << refused;

    QTest::newRow("title None") << IdentityCommands::title(0) << text("AT00");
    QTest::newRow("title Two") << IdentityCommands::title(2) << text("AT02");
    QTest::newRow("title no selection") << IdentityCommands::title(-1) << refused;
    QTest::newRow("title past the items") << IdentityCommands::title(3) << refused;
    QTest::newRow("title line 1") << IdentityCommands::titleLine(1, "ZOVUR CORP.") << text("AT1ZOVUR CORP.");
    QTest::newRow("title line 2") << IdentityCommands::titleLine(2, "RD OFFICE") << text("AT2RD OFFICE");
    QTest::newRow("title line 2 GB2312") << IdentityCommands::titleLine(2, "\xD6\xD0\xCE\xC4")
                                         << text("AT2\xD6\xD0\xCE\xC4");
    QTest::newRow("title line empty") << IdentityCommands::titleLine(1, "") << text("AT1");
    QTest::newRow("title line 3") << IdentityCommands::titleLine(3, "X") << refused;
    QTest::newRow("title line with STX") << IdentityCommands::titleLine(1, "A\x02" "B") << refused;

    QTest::newRow("show Card UID, shown, not in use") << IdentityCommands::show(2, true, false)
                                                     << text("AP001B03020100");
    QTest::newRow("show Card Text, both") << IdentityCommands::show(3, true, true) << text("AP001B03030101");
    QTest::newRow("show None, neither") << IdentityCommands::show(0, false, false) << text("AP001B03000000");
    QTest::newRow("show Card No, in use only") << IdentityCommands::show(1, false, true) << text("AP001B03010001");
    QTest::newRow("show no selection") << IdentityCommands::show(-1, true, true) << refused;
    QTest::newRow("show past the items") << IdentityCommands::show(4, true, true) << refused;
}

void ParameterCommandsTest::shouldBuildIdentityCommands()
{
    QFETCH(Command, actual);
    QFETCH(Command, expected);
    QCOMPARE(actual, expected);
}

void ParameterCommandsTest::shouldSendEveryBaudCode()
{
    const char *codes[] = { "0", "1", "2", "3", "4", "5", "6", "7", "8", "9",
                            "A", "B", "C", "D", "E", "F", "10", "11" };
    for (int i = 0; i < 18; ++i)
        QCOMPARE(IdentityCommands::baud(i), Command("AE" + QByteArray(codes[i])));
    QCOMPARE(IdentityCommands::baud(-1), Command());
    QCOMPARE(IdentityCommands::baud(18), Command());
}

QTEST_APPLESS_MAIN(ParameterCommandsTest)
#include "parametercommandstest.moc"
