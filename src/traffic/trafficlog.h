#pragma once

#include "link/exchangeevent.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QObject>
#include <QString>
#include <deque>
#include <functional>

// The log file that keeps running: one file a day, traffic-YYYY-MM-DD.log in its folder,
// opened for appending, one line per event (TrafficExport::textLine) written and handed to
// the operating system as the event ends, so a crash of the tool loses nothing exchanged
// before it. A line goes into the file of the day its event started; the clock gives the day
// where an event has no time, and the day whose file is opened when the log is switched on.
//
// A folder that cannot be written never stops the tool: the log says why (why()), keeps the
// lines that could not be written, up to MaxWaitingLines (beyond that the oldest go and are
// counted), and tries again with the next event; the first line that gets through writes the
// waiting ones before it, and a note of any that were lost.
class TrafficLog : public QObject
{
    Q_OBJECT

public:
    using Clock = std::function<QDateTime()>;
    static constexpr int MaxWaitingLines = 10000;

    // An empty folder means defaultFolder().
    explicit TrafficLog(const QString &folder = QString(), Clock clock = {}, QObject *parent = nullptr);
    ~TrafficLog() override;

    // "traffic" in the user's data folder of the tool, beside the records.
    static QString defaultFolder();
    static QString fileName(const QDate &day);

    QString folder() const { return m_folder; }
    QString pathFor(const QDate &day) const;

    bool isEnabled() const { return m_enabled; }
    // Switching on opens today's file at once, so that a folder that cannot be written is
    // known before the first exchange. Returns whether the log can be written now. Switching
    // off closes the file and forgets the waiting lines.
    bool setEnabled(bool enabled);

    void write(const ExchangeEvent &event);

    // The file the log writes to (or would, today); empty while switched off.
    QString currentPath() const;
    // Why the last attempt failed ("<path>: <reason>"); empty while the log works.
    QString why() const { return m_why; }
    int waitingLines() const { return int(m_waiting.size()); }

Q_SIGNALS:
    // Whenever the path or the failure changes.
    void stateChanged();

private:
    QDateTime now() const;
    // Opens the day's file unless it is open; false with m_why set when it cannot be.
    bool openFor(const QDate &day);
    bool writeLine(const QDate &day, const QByteArray &line);
    void setWhy(const QString &why);
    void flushWaiting();

    QString m_folder;
    Clock m_clock;
    bool m_enabled = false;
    QFile m_file;
    QDate m_day; // of the open file
    QString m_why;
    std::deque<std::pair<QDate, QByteArray>> m_waiting;
    qint64 m_lost = 0;
};
