#include "app/operationbracket.h"

#include "app/lamp.h"
#include "app/linkfailuretip.h"
#include "controller/controllersession.h"
#include "i18n/texttable.h"
#include "sound/tone.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <thread>

const QColor OperationBracket::LampRed(255, 0, 0);
const QColor OperationBracket::LampYellow(255, 255, 0);

namespace {
constexpr int BlinkIntervalMs = 200;
constexpr int ToneMs = 300;
constexpr int OkToneHz = 1000;
constexpr int FailToneHz = 300;
} // namespace

OperationBracket::OperationBracket(const Controls &controls, ControllerSession &session, std::function<QString(int)> text)
    : QObject(controls.window)
    , m_controls(controls)
    , m_session(session)
    , m_text(std::move(text))
    , m_tone(Tone::createSystemTone())
{
    // Parented to the window under its own name: the operators' checks find it there.
    m_blink = new QTimer(controls.window);
    m_blink->setObjectName(QStringLiteral("tmrBusy"));
    m_blink->setInterval(BlinkIntervalMs);
    connect(m_blink, &QTimer::timeout, this, &OperationBracket::blink);
}

OperationBracket::~OperationBracket()
{
    setBusyCursor(false);
}

void OperationBracket::setTone(std::unique_ptr<Tone> tone)
{
    m_tone = std::move(tone);
}

void OperationBracket::setEndedCallback(std::function<void()> ended)
{
    m_ended = std::move(ended);
}

void OperationBracket::setBanner(const QString &text)
{
    m_controls.banner->setText(text);
}

void OperationBracket::processMessages()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void OperationBracket::processMessagesUntil(std::chrono::steady_clock::time_point deadline)
{
    using namespace std::chrono;
    // What is pending is handled at once; then a short wait (the test's 20 ms steps) is one
    // plain sleep, which wakes at the deadline and costs one wake-up. A long one (100 ms after
    // an output switch or a record) keeps the window live: the event loop handles what comes,
    // the traffic monitor's rows among them, and hands the last stretch to the sleep, since it
    // wakes for timers in whole milliseconds and may wake one late.
    constexpr auto liveFrom = 50ms;
    constexpr auto sleptLast = 2ms;
    processMessages();
    const auto now = steady_clock::now();
    if (deadline - now >= liveFrom) {
        QTimer wake;
        wake.setSingleShot(true);
        wake.setTimerType(Qt::PreciseTimer);
        bool woke = false;
        connect(&wake, &QTimer::timeout, this, [&woke] { woke = true; });
        wake.start(duration_cast<milliseconds>(deadline - sleptLast - now));
        while (!woke)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    std::this_thread::sleep_until(deadline);
}

void OperationBracket::setBusyCursor(bool on)
{
    if (on == m_busyCursor)
        return;
    m_busyCursor = on;
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void OperationBracket::playTone(int frequencyHz, int durationMs)
{
    if (m_tone)
        m_tone->play(frequencyHz, durationMs);
}

void OperationBracket::setBusy(bool on)
{
    if (on) {
        m_blink->start();
        m_controls.window->setEnabled(false);
    } else {
        m_controls.window->setEnabled(true);
        m_blink->stop();
    }
}

void OperationBracket::blink()
{
    m_blinkPhase = 1 - m_blinkPhase;
    m_controls.lamp->setColor(m_blinkPhase == 1 ? LampRed : LampYellow);
}

bool OperationBracket::begin(const std::function<LinkSettings()> &settings)
{
    Q_ASSERT(!m_active);
    m_active = true;
    m_note.clear();
    m_controls.banner->setToolTip(QString());
    setBusyCursor(true);
    processMessages();
    m_controls.window->setEnabled(false);
    setBusy(true);
    setBanner(m_text(TextTable::ConnectingDevice));
    processMessages();
    return m_session.open(settings());
}

bool OperationBracket::startEnding()
{
    Q_ASSERT(m_active);
    return m_active;
}

void OperationBracket::finishEnding(bool closeLink)
{
    if (closeLink)
        m_session.close();
    setBusyCursor(false);
    m_controls.window->setEnabled(true);
    m_active = false;
    if (m_ended)
        m_ended();
}

void OperationBracket::endNoLink(const QString &why)
{
    if (!startEnding())
        return;
    // A link that opened but found no controller is closed here, before the report.
    m_session.close();
    setBusy(false);
    m_controls.lamp->setColor(LampRed);
    setBanner(m_text(TextTable::ConnectDeviceError));
    m_controls.banner->setToolTip(reason(why));
    playTone(FailToneHz, ToneMs);
    finishEnding(false);
}

QString OperationBracket::reason(const QString &why) const
{
    const ControllerLink &link = m_session.link();
    const QString linkSays = LinkFailureTip::text(link.openFailure(), link.openFailureDetail(), m_text);
    // A device that went away tells the operator more than what the exchange made of it, which
    // follows for whoever looks further.
    QString says;
    if (link.openFailure() == OpenFailure::DeviceRemoved)
        says = why.isEmpty() ? linkSays : why.contains(linkSays) ? why : linkSays + QLatin1Char('\n') + why;
    else
        says = why.isEmpty() ? linkSays : why;
    return m_note.isEmpty() ? says : m_note + QLatin1Char('\n') + says;
}

void OperationBracket::noteLink(const QString &note)
{
    m_note = note;
    m_controls.banner->setToolTip(note);
}

void OperationBracket::endOk()
{
    if (!startEnding())
        return;
    setBanner(m_text(TextTable::CommandOk));
    setBusy(false);
    m_controls.lamp->setColor(LampYellow);
    playTone(OkToneHz, ToneMs);
    finishEnding(true);
}

void OperationBracket::endFailed(const QString &why)
{
    if (!startEnding())
        return;
    setBanner(m_text(TextTable::CommandError));
    m_controls.banner->setToolTip(reason(why));
    setBusy(false);
    m_controls.lamp->setColor(LampRed);
    playTone(FailToneHz, ToneMs);
    finishEnding(true);
}

void OperationBracket::refuse(const QString &reason, int messageId)
{
    m_session.link().reportRefused(QByteArray(), reason);
    m_controls.lamp->setColor(LampRed);
    setBanner(m_text(messageId));
    m_controls.banner->setToolTip(reason);
    playTone(FailToneHz, ToneMs);
}
