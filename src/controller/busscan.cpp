#include "controller/busscan.h"

#include "controller/identifyreplies.h"
#include "controller/pauses.h"
#include "link/controllerlink.h"
#include "link/linesettings.h"

#include <QElapsedTimer>

#include <QRegularExpression>
#include <QThread>

#include <algorithm>

BusScan::BusScan(ControllerLink &link)
    : m_link(link)
    , m_pause([](int ms) { QThread::msleep(static_cast<unsigned long>(ms)); })
{
}

bool BusScan::setRange(int first, int last)
{
    if (first < 0 || last > HighestId || first > last)
        return false;
    m_first = first;
    m_last = last;
    return true;
}

std::optional<std::pair<int, int>> BusScan::parseRange(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^\\s*(\\d{1,3})\\s*(?:-\\s*(\\d{1,3})\\s*)?$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const int first = match.captured(1).toInt();
    const int last = match.captured(2).isEmpty() ? first : match.captured(2).toInt();
    if (first > last)
        return std::nullopt;
    return std::make_pair(first, last);
}

void BusScan::setProgress(std::function<void(int, int, const Found *)> progress)
{
    m_progress = std::move(progress);
}

void BusScan::setCancelled(std::function<bool()> cancelled)
{
    m_cancelled = std::move(cancelled);
}

void BusScan::setPause(std::function<void(int)> pause)
{
    m_pause = std::move(pause);
}

void BusScan::setConflictSeen(std::function<void(const Conflict &)> seen)
{
    m_conflictSeen = std::move(seen);
}

int BusScan::wireMs(const LinkSettings &settings)
{
    if (settings.isNet())
        return 0;
    const std::optional<LineSettings> line = LineSettings::parse(settings.lineMode);
    if (!line || line->baudRate <= 0)
        return 0;
    // A start bit, the data bits, a parity bit if any, the stop bits (1.5 counted as 2).
    const int bits = 1 + int(line->dataBits) + (line->parity == QSerialPort::NoParity ? 0 : 1)
        + (line->stopBits == QSerialPort::OneStop ? 1 : 2);
    // "000AS" framed is 12 bytes; the scan reply 20.
    const qint64 bytes = 12 + IdentifyReplies::ScanReplyLength;
    return int((bytes * bits * 1000 + line->baudRate - 1) / line->baudRate);
}

int BusScan::quickWaitMs(const LinkSettings &settings, int slowestTurnaroundMs)
{
    const int own = settings.isNet() ? ExchangeLimits::NetReplyMs : ExchangeLimits::SerialIdleMs;
    const int wait = 2 * wireMs(settings) + std::max(0, slowestTurnaroundMs);
    return std::clamp(wait, QuickFloorMs, own);
}

int BusScan::currentWaitMs(int slowestTurnaroundMs) const
{
    if (m_scanWaitMs > 0)
        return m_scanWaitMs;
    return m_speed == Speed::Quick ? quickWaitMs(m_link.settings(), slowestTurnaroundMs) : 0;
}

ExchangeLimits BusScan::scanLimits(int waitMs) const
{
    ExchangeLimits limits = m_link.limits();
    // A serial line waits for the first byte under its idle limit, TCP under its overall one.
    if (waitMs > 0) {
        if (limits.idleMs > 0)
            limits.idleMs = std::min(limits.idleMs, waitMs);
        else
            limits.overallMs = std::min(limits.overallMs, waitMs);
    }
    // The step pause after an answer is spent listening for a second one.
    limits.listenAfterMs = Pauses::Step;
    return limits;
}

std::optional<BusScan::Conflict> BusScan::conflictIn(const Reply &scan, const QByteArray &id) const
{
    if (scan.verdict == Verdict::BadCheckDigits)
        return Conflict { id, QStringLiteral("Replies mixed on the line (check digits wrong): more than one controller answers ID %1")
                                  .arg(QLatin1String(id)) };
    if (scan.ok() && scan.bytesAfter > 0 && IdentifyReplies::deviceIdFrom(scan.bytes) == id)
        return Conflict { id, QStringLiteral("Two replies run together: more than one controller answers ID %1")
                                  .arg(QLatin1String(id)) };
    return std::nullopt;
}

BusScan::Result BusScan::run()
{
    Result result;
    const int total = m_last - m_first + 1;
    int slowestTurnaroundMs = 0;
    const int wireTimeMs = wireMs(m_link.settings());
    for (int n = m_first; n <= m_last; ++n) {
        if (m_cancelled && m_cancelled()) {
            result.cancelled = true;
            break;
        }
        const QByteArray id = QByteArray::number(n).rightJustified(3, '0');
        result.lastWaitMs = currentWaitMs(slowestTurnaroundMs);
        m_link.setLimits(scanLimits(result.lastWaitMs));
        QElapsedTimer turnaround;
        turnaround.start();
        const Reply scan = m_link.exchange(id + "AS");
        const int tookMs = int(turnaround.elapsed()) - (scan.ok() ? Pauses::Step : 0);
        m_link.useDefaultLimits();
        // A wait cut by Cancel says nothing of the ID: neither free nor a controller.
        if (m_cancelled && m_cancelled()) {
            result.cancelled = true;
            break;
        }
        ++result.scanned;

        std::optional<Found> found;
        if (const std::optional<Conflict> conflict = conflictIn(scan, id)) {
            result.conflicts.append(*conflict);
            if (m_conflictSeen)
                m_conflictSeen(*conflict);
        } else if (scan.answeredWithLength(IdentifyReplies::ScanReplyLength) && IdentifyReplies::deviceIdFrom(scan.bytes) == id) {
            // Only a scan reply from this very ID counts: a late answer of another would
            // otherwise be listed under the wrong ID.
            slowestTurnaroundMs = std::max(slowestTurnaroundMs, tookMs - wireTimeMs);
            found = Found { id, IdentifyReplies::serial(scan.bytes, scan.length(), id)->serialNumber, {}, {} };
            const Reply version = m_link.exchange(id + IdentifyReplies::versionCommand());
            if (const auto v = version.ok() ? IdentifyReplies::version(version.bytes, version.length()) : std::nullopt) {
                found->model = v->model;
                found->versionText = v->panelText;
            }
            m_pause(Pauses::Step);
            result.found.append(*found);
        }
        if (m_progress)
            m_progress(result.scanned, total, found ? &*found : nullptr);
    }
    return result;
}
