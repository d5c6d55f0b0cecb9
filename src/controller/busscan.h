#pragma once

#include "link/exchangelimits.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

class ControllerLink;

// Which IDs answer on the line: the connect's scan ("<ID>AS") for each ID of a range, one
// exchange each, then the version ("AV") of each one that answers. A silent ID costs one
// exchange limit (the serial line's idle limit, TCP's reply limit) and nothing more: no retry,
// no pause; after an answer the line gets the step pause before the next request.
class BusScan
{
public:
    static constexpr int FirstId = 0;
    static constexpr int LastId = 255;
    // IDs are three digits on the wire.
    static constexpr int HighestId = 999;

    struct Found
    {
        QByteArray id;           // "017"
        QByteArray serialNumber;
        QByteArray model;        // empty when the version did not come
        QString versionText;
    };

    struct Result
    {
        QList<Found> found;
        int scanned = 0;
        bool cancelled = false;
    };

    explicit BusScan(ControllerLink &link);

    // An inclusive range within 0..HighestId; false (and the range unchanged) otherwise.
    bool setRange(int first, int last);
    int first() const { return m_first; }
    int last() const { return m_last; }
    // "000-255", "17", "5-9": the range a person writes; nothing when it is not one.
    static std::optional<std::pair<int, int>> parseRange(const QString &text);

    // A shorter wait for each scan than the link's own limits (see docs): on a serial line the
    // idle limit, over TCP the reply limit. 0 keeps the link's limits.
    void setScanWaitMs(int milliseconds) { m_scanWaitMs = milliseconds; }

    // After each ID: how many are done of how many, and what answered there (nullptr: nothing).
    void setProgress(std::function<void(int done, int total, const Found *found)> progress);
    // Asked before each ID; true ends the scan there.
    void setCancelled(std::function<bool()> cancelled);
    // How the step pause after an answer is waited; a blocking sleep by default.
    void setPause(std::function<void(int milliseconds)> pause);

    // On the open link, which is left with its default limits.
    Result run();

private:
    ExchangeLimits scanLimits() const;

    ControllerLink &m_link;
    int m_first = FirstId;
    int m_last = LastId;
    int m_scanWaitMs = 0;
    std::function<void(int, int, const Found *)> m_progress;
    std::function<bool()> m_cancelled;
    std::function<void(int)> m_pause;
};
