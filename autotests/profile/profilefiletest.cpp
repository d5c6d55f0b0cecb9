// The profile file: what is written reads back the same, and every kind of damage is refused
// whole with a reason a person can act on.
#include "profile/profilefile.h"
#include "profile/parametercatalog.h"

#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

namespace {

Profile sample()
{
    Profile p;
    p.model = "ZO425";
    p.created = QDateTime(QDate(2026, 12, 7), QTime(14, 3, 11), Qt::OffsetFromUTC, 3600);
    p.madeBy = QStringLiteral("zu42cli 0.5.63");
    p.serialNumber = "24010042";
    using C = ParameterCatalog;
    p.values = { { C::Language, QStringLiteral("traditional-chinese") },
                 { C::TextEncoding, QStringLiteral("big5") },
                 { C::SameCardDelay, QStringLiteral("30") },
                 { C::DoorLog, QStringLiteral("off") },
                 { C::ShowStatus, QStringLiteral("on") },
                 { C::BaudRate, QStringLiteral("9600,n,8,1") },
                 { C::TitleLine1, QStringLiteral("東門 \"A\" \\ 1") },
                 { C::TitleLine2, QString() } };
    return p;
}

// A valid file with one line changed: `from` replaced by `to`.
QByteArray changed(const QByteArray &from, const QByteArray &to)
{
    QByteArray text = ProfileFile::toJson(sample());
    const qsizetype at = text.indexOf(from);
    Q_ASSERT(at >= 0);
    return text.replace(at, from.size(), to);
}

} // namespace

class ProfileFileTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldReadBackWhatItWrites()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("site.zu42profile.json"));
        QString error;
        QVERIFY2(ProfileFile::save(path, sample(), &error), qPrintable(error));
        const std::optional<Profile> read = ProfileFile::load(path, &error);
        QVERIFY2(read, qPrintable(error));
        QCOMPARE(read->model, sample().model);
        QCOMPARE(read->created, sample().created);
        QCOMPARE(read->madeBy, sample().madeBy);
        QCOMPARE(read->serialNumber, sample().serialNumber);
        QCOMPARE(read->values, sample().values);
        // Numbers and flags as JSON numbers and booleans, values in the catalogue's order.
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QVERIFY(text.contains("\"same-card-delay\": 30,"));
        QVERIFY(text.contains("\"door-log\": false,"));
        QVERIFY(text.indexOf("\"language\"") < text.indexOf("\"door-log\""));
        QVERIFY(text.indexOf("\"door-log\"") < text.indexOf("\"baud-rate\""));
        QVERIFY(text.contains("\"created\": \"2026-12-07T14:03:11+01:00\""));
    }

    // What is read is what is written again, whatever form of ISO 8601 a hand edit left, in
    // whatever zone the PC is.
    void shouldWriteTheTimeBackAsItWasRead_data()
    {
        QTest::addColumn<QByteArray>("zone"); // POSIX TZ of the PC; empty: as it is
        QTest::addColumn<QByteArray>("created");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("as the program writes it") << QByteArray() << QByteArray("2026-12-07T14:03:11+01:00") << QByteArray("2026-12-07T14:03:11+01:00");
        QTest::newRow("milliseconds") << QByteArray() << QByteArray("2026-12-07T14:03:11.250-05:30") << QByteArray("2026-12-07T14:03:11-05:30");
        QTest::newRow("last millisecond of a day") << QByteArray() << QByteArray("2026-12-31T23:59:59.999Z") << QByteArray("2026-12-31T23:59:59Z");
        QTest::newRow("UTC") << QByteArray() << QByteArray("2026-12-07T06:03:11Z") << QByteArray("2026-12-07T06:03:11Z");
        QTest::newRow("local time") << QByteArray("CET-1") << QByteArray("2026-12-07T14:03:10") << QByteArray("2026-12-07T14:03:10+01:00");
        // Local mean time, as many zones had before 1900: an offset of seconds.
        QTest::newRow("local mean time") << QByteArray("LMT-0:53:28") << QByteArray("2026-12-07T14:03:10") << QByteArray("2026-12-07T13:09:42Z");
    }

    void shouldWriteTheTimeBackAsItWasRead()
    {
        QFETCH(QByteArray, zone);
        QFETCH(QByteArray, created);
        QFETCH(QByteArray, written);
        const QByteArray zoneBefore = qgetenv("TZ");
        const bool hadZone = qEnvironmentVariableIsSet("TZ");
        const auto restore = qScopeGuard([&] {
            if (hadZone)
                qputenv("TZ", zoneBefore);
            else
                qunsetenv("TZ");
        });
#ifdef Q_OS_WIN
        if (!zone.isEmpty())
            QSKIP("Windows takes the PC's time zone from the system's settings; TZ does not change it");
#endif
        if (!zone.isEmpty())
            qputenv("TZ", zone);
        QString error;
        const std::optional<Profile> read = ProfileFile::parse(changed("2026-12-07T14:03:11+01:00", created), &error);
        QVERIFY2(read, qPrintable(error));
        const QByteArray text = ProfileFile::toJson(*read);
        QVERIFY2(text.contains("\"created\": \"" + written + "\""), text.constData());
        const std::optional<Profile> again = ProfileFile::parse(text, &error);
        QVERIFY2(again, qPrintable(error));
        QCOMPARE(again->created, read->created);
        QCOMPARE(again->created.offsetFromUtc(), read->created.offsetFromUtc());
        QCOMPARE(ProfileFile::toJson(*again), text);
    }

    void shouldRefuseADamagedFileWithItsReason_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("reason");

        QTest::newRow("empty file") << QByteArray() << "Not a profile: damaged JSON";
        QTest::newRow("cut short") << ProfileFile::toJson(sample()).chopped(20) << "Not a profile: damaged JSON";
        QTest::newRow("a JSON array") << QByteArray("[1, 2]") << "Not a profile: the file is not one JSON object";
        QTest::newRow("a jig map") << QByteArray("name = Fixture B\nDO1 = DI1\n") << "Not a profile: damaged JSON";
        QTest::newRow("another format") << changed("zu42-profile", "zu42-jigmap") << "Not a profile: \"format\" is not";
        QTest::newRow("newer version") << changed("\"version\": 1", "\"version\": 2")
                                       << "Profile version 2 is unknown to this program, which reads version 1";
        QTest::newRow("version as text") << changed("\"version\": 1", "\"version\": \"1\"") << "The profile has no version number";
        QTest::newRow("fractional version") << changed("\"version\": 1", "\"version\": 1.5") << "The profile has no version number";
        QTest::newRow("key of no version") << changed("\"made-by\"", "\"made-for\"") << "The profile holds \"made-for\"";
        QTest::newRow("no model") << changed("\"model\": \"ZO425\"", "\"model\": \"\"") << "The profile does not say its model";
        QTest::newRow("model of other characters") << changed("\"ZO425\"", "\"ZO 425\"") << "The profile does not say its model";
        QTest::newRow("no date") << changed("2026-12-07T14:03:11+01:00", "yesterday") << "The profile does not say when it was made";
        QTest::newRow("serial number as a number") << changed("\"24010042\"", "24010042") << "\"serial-number\" of the profile is not a text";
        QTest::newRow("unknown value name") << changed("\"door-log\"", "\"doorlog\"") << "Unknown value name \"doorlog\"";
        QTest::newRow("value out of range") << changed("\"same-card-delay\": 30", "\"same-card-delay\": 256")
                                            << "Value same-card-delay: 256 is outside 0 to 255";
        QTest::newRow("word not in the list") << changed("\"big5\"", "\"latin1\"") << "Value text-encoding: \"latin1\" is not one of";
        QTest::newRow("flag as a string") << changed("\"door-log\": false", "\"door-log\": \"off\"")
                                          << "Value door-log: wants true or false";
        QTest::newRow("title line too long") << changed("\"\"", "\"123456789012345678901234567890123\"")
                                             << "Value title-line-2: 33 characters, at most 32 fit";
        QTest::newRow("control character in a title") << changed("\"\"", "\"A\\u0003B\"") << "Value title-line-2: holds a control character";
        QTest::newRow("value of another model") << changed("\"door-log\"", "\"di-mode\": \"wiegand\", \"door-log\"")
                                                << "di-mode: the ZO425 has no such value (only the RO426)";
        QTest::newRow("values empty") << QByteArray(R"({"format": "zu42-profile", "version": 1, "model": "ZO425",
                                                       "created": "2026-12-07T14:03:11Z", "values": {}})")
                                      << "The profile holds no values";
        QTest::newRow("too big") << changed("\"made-by\": \"", "\"made-by\": \"" + QByteArray(70000, 'x'))
                                 << "Not a profile: more than 65536 bytes";
    }

    void shouldRefuseADamagedFileWithItsReason()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, reason);
        QString error;
        QVERIFY(!ProfileFile::parse(text, &error));
        QVERIFY2(error.startsWith(reason), qPrintable(error));

        // From a file, the message names the file.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("bad.json"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
        file.close();
        QVERIFY(!ProfileFile::load(path, &error));
        QVERIFY2(error.startsWith(path + QStringLiteral(": ") + reason), qPrintable(error));
    }

    void shouldSayWhyAFileCannotBeReadOrWritten()
    {
        QTemporaryDir dir;
        QString error;
        QVERIFY(!ProfileFile::load(dir.filePath(QStringLiteral("missing.json")), &error));
        QVERIFY2(error.startsWith(QStringLiteral("Cannot read ")), qPrintable(error));
        QVERIFY(!ProfileFile::save(dir.filePath(QStringLiteral("no/such/folder/p.json")), sample(), &error));
        QVERIFY2(error.startsWith(QStringLiteral("Cannot write ")), qPrintable(error));
    }
};

QTEST_APPLESS_MAIN(ProfileFileTest)
#include "profilefiletest.moc"
