#pragma once

#include "simoptions.h"

#include <QByteArray>
#include <QDateTime>
#include <array>
#include <optional>

// The simulated controller's state and its answers, free of any I/O.
class ControllerModel
{
public:
    explicit ControllerModel(const SimOptions &options);

    struct Reply
    {
        QByteArray head; // the two characters after the ID
        QByteArray data;
    };

    // The answer to one command text (ID included); nothing when the controller stays silent
    // (another ID, or a command it cannot parse).
    std::optional<Reply> handle(const QByteArray &command);

    QByteArray id() const { return m_id; }
    quint8 param(int address) const { return quint8(m_params.at(address)); }
    bool output(int n) const { return m_outputs.at(std::size_t(n)); }

private:
    std::optional<Reply> handleParameters(const QByteArray &body);
    QByteArray clockText() const;
    QByteArray inputs() const;
    void resetParameters();

    SimOptions m_options;
    QByteArray m_id;
    QByteArray m_params;
    std::array<bool, 4> m_outputs {};
    qint64 m_clockOffsetMs = 0;
    int m_ieCount = 0;
};
