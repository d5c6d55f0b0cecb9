#include "sound/alsatone.h"
#include "sound/beeptone.h"
#include "sound/silenttone.h"
#include "sound/tone.h"

#include <QElapsedTimer>
#include <QTemporaryFile>
#include <QTest>

// The tone keeps the operator's timing whether or not the machine can make a sound.
class ToneTest : public QObject
{
    Q_OBJECT

    static constexpr qint64 Margin = 150;

private Q_SLOTS:
    void shouldWaitTheDurationWithoutSound_data()
    {
        QTest::addColumn<int>("frequency");
        QTest::addColumn<int>("duration");
        QTest::newRow("success tone") << 1000 << 300;
        QTest::newRow("failure tone") << 300 << 300;
        QTest::newRow("short") << 1000 << 20;
        QTest::newRow("nothing to wait") << 1000 << 0;
        QTest::newRow("negative duration") << 1000 << -50;
    }
    void shouldWaitTheDurationWithoutSound()
    {
        QFETCH(int, frequency);
        QFETCH(int, duration);
        SilentTone tone;
        QElapsedTimer clock;
        clock.start();
        tone.play(frequency, duration);
        const qint64 expected = qMax(duration, 0);
        QVERIFY2(clock.elapsed() >= expected, qPrintable(QString::number(clock.elapsed())));
        QVERIFY2(clock.elapsed() < expected + Margin, qPrintable(QString::number(clock.elapsed())));
    }

    void shouldFallBackToSilenceWhenNoDeviceOpens_data()
    {
        QTest::addColumn<QByteArray>("device");
        QTest::addColumn<int>("frequency");
        QTest::addColumn<int>("duration");
        QTest::newRow("unknown device") << QByteArray("zu42_no_such_pcm") << 1000 << 300;
        QTest::newRow("no such card") << QByteArray("hw:97,0") << 300 << 300;
        // Frequencies no device could play: the time is kept all the same.
        QTest::newRow("zero frequency") << QByteArray("default") << 0 << 200;
        QTest::newRow("above half the sample rate") << QByteArray("default") << 30000 << 200;
    }
    void shouldFallBackToSilenceWhenNoDeviceOpens()
    {
        QFETCH(QByteArray, device);
        QFETCH(int, frequency);
        QFETCH(int, duration);
        AlsaTone tone(device.toStdString());
        QElapsedTimer clock;
        clock.start();
        tone.play(frequency, duration);
        const qint64 elapsed = clock.elapsed();
        QVERIFY(!tone.lastSounded());
        QVERIFY2(elapsed >= duration, qPrintable(QString::number(elapsed)));
        // Failing to open a device is quick; the rest is the silent wait.
        QVERIFY2(elapsed < duration + 500, qPrintable(QString::number(elapsed)));
    }

    void shouldPlayThroughADeviceForTheWholeDuration()
    {
        if (!AlsaTone::builtWithAlsa())
            QSKIP("built without ALSA");
        // ALSA's "null" device takes the samples like a sound card would, on any machine.
        AlsaTone tone("null");
        QElapsedTimer clock;
        clock.start();
        tone.play(1000, 300);
        const qint64 elapsed = clock.elapsed();
        QVERIFY(tone.lastSounded());
        QVERIFY2(elapsed >= 300 && elapsed < 800, qPrintable(QString::number(elapsed)));
    }

    // The tone the window plays: the speaker call on Windows, ALSA elsewhere. Under Wine the
    // speaker call returns at once, so the rows show that the time is kept regardless.
    void shouldKeepTheDurationWithTheSystemTone_data()
    {
        QTest::addColumn<int>("frequency");
        QTest::addColumn<int>("duration");
        QTest::newRow("success tone") << 1000 << 300;
        QTest::newRow("failure tone") << 300 << 300;
        QTest::newRow("below the speaker's range") << 20 << 200;
        QTest::newRow("above the speaker's range") << 40000 << 200;
        QTest::newRow("nothing to play") << 1000 << 0;
    }
    void shouldKeepTheDurationWithTheSystemTone()
    {
        QFETCH(int, frequency);
        QFETCH(int, duration);
        const std::unique_ptr<Tone> tone = Tone::createSystemTone();
#ifdef Q_OS_WIN
        QVERIFY(dynamic_cast<BeepTone *>(tone.get()));
#else
        QVERIFY(dynamic_cast<AlsaTone *>(tone.get()));
#endif
        QElapsedTimer clock;
        clock.start();
        tone->play(frequency, duration);
        const qint64 elapsed = clock.elapsed();
        QVERIFY2(elapsed >= duration && elapsed < duration + 500, qPrintable(QString::number(elapsed)));
    }

    void shouldFallBackWhenAlsaHasNoConfiguration()
    {
        // An ALSA configuration that defines no device at all: even "default" cannot open.
        QTemporaryFile config;
        QVERIFY(config.open());
        config.write("# no devices\n");
        config.flush();
        qputenv("ALSA_CONFIG_PATH", config.fileName().toLocal8Bit());
        AlsaTone tone;
        QElapsedTimer clock;
        clock.start();
        tone.play(1000, 300);
        const qint64 elapsed = clock.elapsed();
        qunsetenv("ALSA_CONFIG_PATH");
        QVERIFY(!tone.lastSounded());
        QVERIFY2(elapsed >= 300 && elapsed < 800, qPrintable(QString::number(elapsed)));
    }
};

QTEST_GUILESS_MAIN(ToneTest)
#include "tonetest.moc"
