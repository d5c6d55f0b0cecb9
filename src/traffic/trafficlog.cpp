#include "traffic/trafficlog.h"

#include "link/userdatafolder.h"
#include "traffic/trafficexport.h"

#include <QDir>

TrafficLog::TrafficLog(const QString &folder, Clock clock, QObject *parent)
    : QObject(parent)
    , m_folder(folder.isEmpty() ? defaultFolder() : folder)
    , m_clock(std::move(clock))
{
}

TrafficLog::~TrafficLog()
{
    // One more try for what waits: the folder may have come back since the last event.
    if (m_enabled && !m_waiting.empty())
        flushWaiting();
}

QString TrafficLog::defaultFolder()
{
    // The folder of the records (RecordStoreSettings::dataFolder): one place on this PC holds
    // what every program of the tool keeps, whatever the program's own name.
    return QDir(UserDataFolder::path()).filePath(QStringLiteral("traffic"));
}

QString TrafficLog::fileName(const QDate &day)
{
    return QStringLiteral("traffic-%1.log").arg(day.toString(QStringLiteral("yyyy-MM-dd")));
}

QString TrafficLog::pathFor(const QDate &day) const
{
    return QDir(m_folder).filePath(fileName(day));
}

QDateTime TrafficLog::now() const
{
    return m_clock ? m_clock() : QDateTime::currentDateTime();
}

bool TrafficLog::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return m_why.isEmpty();
    m_enabled = enabled;
    if (!enabled) {
        m_file.close();
        m_day = QDate();
        m_waiting.clear();
        m_lost = 0;
        m_why.clear();
        Q_EMIT stateChanged();
        return true;
    }
    const bool ok = openFor(now().date());
    if (ok)
        setWhy(QString());
    Q_EMIT stateChanged();
    return ok;
}

QString TrafficLog::currentPath() const
{
    if (!m_enabled)
        return QString();
    return pathFor(m_day.isValid() ? m_day : now().date());
}

bool TrafficLog::openFor(const QDate &day)
{
    if (m_file.isOpen() && day == m_day)
        return true;
    m_file.close();
    m_day = day;
    if (!QDir().mkpath(m_folder)) {
        setWhy(QStringLiteral("%1: the folder cannot be created").arg(QDir::toNativeSeparators(m_folder)));
        return false;
    }
    m_file.setFileName(pathFor(day));
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        setWhy(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(m_file.fileName()), m_file.errorString()));
        return false;
    }
    return true;
}

bool TrafficLog::writeLine(const QDate &day, const QByteArray &line)
{
    if (!openFor(day))
        return false;
    // flush() hands the line to the operating system: it survives a crash of the tool.
    if (m_file.write(line) != line.size() || !m_file.flush()) {
        setWhy(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(m_file.fileName()), m_file.errorString()));
        m_file.close();
        return false;
    }
    return true;
}

void TrafficLog::write(const ExchangeEvent &event)
{
    if (!m_enabled)
        return;
    const QDate day = event.time.isValid() ? event.time.date() : now().date();
    QByteArray line = TrafficExport::textLine(event).toUtf8();
    line += '\n';
    m_waiting.emplace_back(day, std::move(line));
    if (int(m_waiting.size()) > MaxWaitingLines) {
        m_waiting.pop_front();
        ++m_lost;
    }
    // While switched on the day of the file is always set: the path changes with it alone.
    const QDate before = m_day;
    flushWaiting();
    if (m_day != before)
        Q_EMIT stateChanged();
}

void TrafficLog::flushWaiting()
{
    if (m_lost > 0 && !m_waiting.empty()) {
        const QByteArray note = QStringLiteral("%1 lines could not be kept while the log could not be written\n")
                                    .arg(m_lost)
                                    .toUtf8();
        if (!writeLine(m_waiting.front().first, note))
            return;
        m_lost = 0;
    }
    while (!m_waiting.empty()) {
        if (!writeLine(m_waiting.front().first, m_waiting.front().second))
            return;
        m_waiting.pop_front();
    }
    setWhy(QString());
}

void TrafficLog::setWhy(const QString &why)
{
    if (why == m_why)
        return;
    m_why = why;
    Q_EMIT stateChanged();
}
