#pragma once

#include <QColor>
#include <QObject>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>

class ControllerSession;
class Lamp;
class QLabel;
class QTimer;
class QWidget;
class Tone;
struct LinkSettings;

// Every operation that talks to the controller runs between begin() and exactly one of the
// three endings, which report the outcome through the banner, the lamp and a tone and close the
// link. While it runs the window is disabled, the cursor is the hourglass and the lamp blinks.
// An ending without a begin, or a second ending, is a fault and does nothing.
class OperationBracket : public QObject
{
    Q_OBJECT

public:
    static const QColor LampRed;
    static const QColor LampYellow;

    struct Controls
    {
        QWidget *window = nullptr;
        QLabel *banner = nullptr;
        Lamp *lamp = nullptr;
    };
    // text gives a message of the text table in the language in force.
    OperationBracket(const Controls &controls, ControllerSession &session, std::function<QString(int)> text);
    ~OperationBracket() override;

    void setTone(std::unique_ptr<Tone> tone);
    // Called after every ending, when the window may act on what waited for the operation.
    void setEndedCallback(std::function<void()> ended);

    bool active() const { return m_active; }

    // Shows the busy state, then opens the link with what settings() gives at that moment.
    // False when the link did not open: the caller ends with endNoLink().
    bool begin(const std::function<LinkSettings()> &settings);
    void endOk();
    // why: the reason for the tool tip; empty gives the reason the link gave. A serial device
    // that went away is said first, whatever why says.
    void endFailed(const QString &why);
    void endNoLink(const QString &why = QString());

    // An operator's value that cannot go out: said in the banner (with the reason in its tool
    // tip), red lamp, low tone; nothing is opened or sent.
    void refuse(const QString &reason, int messageId);

    // The busy state on its own: blinking lamp, disabled window.
    void setBusy(bool on);
    // The hourglass; the automatic test gives it back while it loops.
    void setBusyCursor(bool on);
    void setBanner(const QString &text);
    void processMessages();
    // A word about the link the operation opened (the adapter found under another name): the
    // banner's tool tip says it first, whatever the ending. Forgotten at the next begin().
    void noteLink(const QString &note);
    // Handles the window's messages as they come until the deadline, blocked in the system in
    // between: a wait of the automatic test, during which the window (and the traffic
    // monitor) stays live.
    void processMessagesUntil(std::chrono::steady_clock::time_point deadline);

private:
    QString reason(const QString &why) const;
    bool startEnding();
    void finishEnding(bool closeLink);
    void blink();
    void playTone(int frequencyHz, int durationMs);

    Controls m_controls;
    ControllerSession &m_session;
    std::function<QString(int)> m_text;
    std::function<void()> m_ended;
    QString m_note;
    std::unique_ptr<Tone> m_tone;
    QTimer *m_blink = nullptr;
    int m_blinkPhase = 0;
    bool m_busyCursor = false;
    bool m_active = false;
};
