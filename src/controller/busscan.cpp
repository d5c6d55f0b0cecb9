#include "controller/busscan.h"

#include "controller/identifyreplies.h"
#include "controller/pauses.h"
#include "link/controllerlink.h"

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

ExchangeLimits BusScan::scanLimits() const
{
    ExchangeLimits limits = m_link.limits();
    // A serial line waits for the first byte under its idle limit, TCP under its overall one.
    if (m_scanWaitMs > 0) {
        if (limits.idleMs > 0)
            limits.idleMs = std::min(limits.idleMs, m_scanWaitMs);
        else
            limits.overallMs = std::min(limits.overallMs, m_scanWaitMs);
    }
    return limits;
}

BusScan::Result BusScan::run()
{
    Result result;
    const int total = m_last - m_first + 1;
    const ExchangeLimits limits = scanLimits();
    for (int n = m_first; n <= m_last; ++n) {
        if (m_cancelled && m_cancelled()) {
            result.cancelled = true;
            break;
        }
        const QByteArray id = QByteArray::number(n).rightJustified(3, '0');
        m_link.setLimits(limits);
        const Reply scan = m_link.exchange(id + "AS");
        m_link.useDefaultLimits();
        ++result.scanned;

        // Only a scan reply from this very ID counts: a late answer of another would otherwise
        // be listed under the wrong ID.
        std::optional<Found> found;
        if (scan.answeredWithLength(IdentifyReplies::ScanReplyLength) && IdentifyReplies::deviceIdFrom(scan.bytes) == id) {
            found = Found { id, IdentifyReplies::serial(scan.bytes, scan.length(), id)->serialNumber, {}, {} };
            m_pause(Pauses::Step);
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
