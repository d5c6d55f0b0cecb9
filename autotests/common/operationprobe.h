#pragma once

// Watches one operation of the window from inside its message-processing points: a fast timer
// records each banner text the operator could have seen, and the busy state at that moment.
// After the operation, checkEnding() asserts what every ending must leave behind.

#include "processprobe.h"
#include "storefile.h"
#include "windowharness.h"

#include <QApplication>
#include <QTimer>

inline const QColor LampRed(255, 0, 0);
inline const QColor LampYellow(255, 255, 0);

// Open descriptors of this process (on Windows its open handles); a failure path must not
// leave one behind.
inline int openDescriptors()
{
    return ProcessProbe::openDescriptors();
}

inline QString settingsFile(const WindowHarness &h)
{
    return StoreFile::path(h.configDir());
}

// Whether the window has stored its settings: the file, or on Windows the (scratch) machine key.
inline bool settingsStored(const WindowHarness &h)
{
    return StoreFile::exists(h.configDir());
}

inline void removeStoredSettings(const WindowHarness &h)
{
    StoreFile::remove(h.configDir());
}

class OperationProbe
{
public:
    explicit OperationProbe(WindowHarness &h)
        : m_h(h)
    {
        // A zero interval fires once at every pass of the message loop, so each point where the
        // handler processes messages is sampled exactly once.
        m_timer.setInterval(0);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { sample(); });
    }

    // Presses the button with the probe running; returns when the operation has ended.
    void click(const char *button)
    {
        banners = QStringList { m_h.banner() };
        busySamples = 0;
        notBusySamples = 0;
        m_timer.start();
        m_h.click(button);
        m_timer.stop();
        banners.removeFirst();
        banners.append(m_h.banner());
        if (banners.size() > 1 && banners.at(banners.size() - 2) == banners.last())
            banners.removeLast();
    }

    // Each distinct banner text in the order the operator could see it, the final one last
    // (the text before the press is left out).
    QStringList banners;
    int busySamples = 0;   // samples with window disabled, hourglass and blinking lamp
    int notBusySamples = 0;

private:
    void sample()
    {
        const QString text = m_h.banner();
        if (banners.isEmpty() || banners.last() != text)
            banners.append(text);
        const QCursor *cursor = QApplication::overrideCursor();
        const auto blink = m_h.window->findChild<QTimer *>(QStringLiteral("tmrBusy"));
        if (!m_h.window->isEnabled() && cursor && cursor->shape() == Qt::WaitCursor && blink && blink->isActive())
            ++busySamples;
        else
            ++notBusySamples;
    }

    WindowHarness &m_h;
    QTimer m_timer;
};

// What the operator is left with after an ending: banner, lamp, tone, cursor, enabled window,
// link closed and no open count without its close.
inline void checkEnding(WindowHarness &h, const QString &banner, bool success)
{
    QCOMPARE(h.banner(), banner);
    QCOMPARE(h.lamp("shComm"), success ? LampYellow : LampRed);
    QVERIFY(!h.tone->played.isEmpty());
    QCOMPARE(h.tone->played.last().frequencyHz, success ? 1000 : 300);
    QCOMPARE(h.tone->played.last().durationMs, 300);
    QVERIFY(h.window->isEnabled());
    QVERIFY(!QApplication::overrideCursor());
    QVERIFY(!h.window->findChild<QTimer *>(QStringLiteral("tmrBusy"))->isActive());
    QVERIFY(!h.window->session().link().isOpen());
    QCOMPARE(h.traffic.closes(), h.traffic.opens());
}
