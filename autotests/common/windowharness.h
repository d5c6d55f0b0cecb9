#pragma once

// What every window test needs: the real window on the offscreen platform, its settings store in
// a temporary folder (on Windows a scratch registry key), a tone that records instead of
// sounding, and the simulator to talk to, in the test's own process or as a zu42sim process.

#include "app/tfrmmodule.h"
#include "exchangerecorder.h"
#include "registrystore.h"
#include "simprocess.h"
#include "simulator.h"
#include "sound/tone.h"

#include <QColor>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

class RecordingTone : public Tone
{
public:
    struct Played
    {
        int frequencyHz;
        int durationMs;
    };
    QList<Played> played;
    void play(int frequencyHz, int durationMs) override { played.append({ frequencyHz, durationMs }); }
};

class WindowHarness
{
public:
    // configure runs after the settings folder exists and before the window reads it.
    explicit WindowHarness(const std::function<void(const QString &configDir)> &configure = {})
    {
        qputenv("XDG_CONFIG_DIRS", m_configDir.path().toLocal8Bit());
        if (configure)
            configure(m_configDir.path());
        window = std::make_unique<TfrmModule>();
        auto recording = std::make_unique<RecordingTone>();
        tone = recording.get();
        window->setTone(std::move(recording));
        window->addExchangeObserver(&traffic);
    }
    ~WindowHarness() { window.reset(); }

    QString configDir() const { return m_configDir.path(); }

    template<typename T = QWidget>
    T *find(const char *name) const
    {
        T *w = window->findChild<T *>(QString::fromLatin1(name));
        if (!w)
            qWarning("no control named %s of the asked kind", name);
        return w;
    }

    // Presses a button as the operator would: nothing happens while it is disabled.
    void click(const char *button) { find<QPushButton>(button)->click(); }

    void useTcp(quint16 port)
    {
        auto pages = find<QTabWidget>("pcPort");
        pages->setCurrentWidget(find("tsNet"));
        find<QLineEdit>("edIP")->setText(QStringLiteral("127.0.0.1"));
        find<QLineEdit>("edPort")->setText(QString::number(port));
    }

    void useSerial(const QString &devicePath)
    {
        auto pages = find<QTabWidget>("pcPort");
        pages->setCurrentWidget(find("tsCom"));
        find<QComboBox>("cmbPort")->setEditText(devicePath);
        find<QComboBox>("cmbBaudrate")->setEditText(QStringLiteral("19200,e,8,1"));
    }

    // The link page pointed at the simulator, and the window's links made to reach it.
    void use(const Simulator &sim)
    {
        window->setTransportFactory(sim.factory());
        if (sim.wiring() == Simulator::Wiring::Pty)
            useSerial(sim.ptyPath());
        else
            useTcp(sim.port());
    }
    void use(const SimProcess &sim)
    {
        window->setTransportFactory({});
        if (sim.ptyPath().isEmpty())
            useTcp(sim.port());
        else
            useSerial(sim.ptyPath());
    }

    // The window's links to the real serial ports and TCP connections again, for a test of what
    // the operator meets when the link page names nothing that answers.
    void useRealLinks() { window->setTransportFactory({}); }

    // A real connect through the window; true when the work area came up.
    template<typename Sim>
    bool connectTo(const Sim &sim)
    {
        use(sim);
        click("btnConnect");
        return find("pcMain")->isEnabled();
    }

    QString banner() const { return find<QLabel>("pnMsg")->text(); }
    QColor lamp(const char *name) const { return find(name)->property("color").value<QColor>(); }

    // Declared before the window, which reports to it until it goes.
    ExchangeRecorder traffic;
    std::unique_ptr<TfrmModule> window;
    RecordingTone *tone = nullptr;

private:
#ifdef Q_OS_WIN
    RegistryStore::Scratch m_registry;
#endif
    QTemporaryDir m_configDir;
};
