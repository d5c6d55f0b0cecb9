#pragma once

// A transport that plays a controller from a script, without I/O and without waiting: each
// request frame is decoded and answered at once, silence ends the exchange at once. The core's
// procedures are tested on it the way they run on a line.

#include "link/controllerlink.h"
#include "link/transport.h"
#include "protocol/commandframe.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <functional>
#include <memory>

struct ControllerScript
{
    // What the controller sends back for a command text (ID included): a reply frame, other
    // bytes, or nothing at all (silence). hangUp names commands after which the line goes away.
    std::function<QByteArray(const QByteArray &command)> answer;
    QList<QByteArray> hangUpAfter;
    bool openFails = false;

    QList<QByteArray> sent; // command texts, in order
    int opens = 0;
    int closes = 0;

    // A plain controller with ID "000": the data of each command's reply by its letters after
    // the ID ("AS" -> "24010042"), the acknowledgement for the rest.
    static std::shared_ptr<ControllerScript> withReplies(const QMap<QByteArray, QByteArray> &data,
                                                         const QByteArray &id = "000")
    {
        auto script = std::make_shared<ControllerScript>();
        script->answer = [data, id](const QByteArray &command) -> QByteArray {
            // The ID is whatever comes before the command letters ("7AS" scans for ID 7).
            qsizetype start = 0;
            while (start < command.size() && (command[start] < 'A' || command[start] > 'Z'))
                ++start;
            const QByteArray letters = command.mid(start);
            for (auto it = data.cbegin(); it != data.cend(); ++it)
                if (letters.startsWith(it.key()))
                    return it.value().isNull() ? QByteArray() : CommandFrame::encodeReply(id, letters.left(2), it.value());
            return CommandFrame::encodeReply(id, letters.left(2), QByteArray());
        };
        return script;
    }
};

class ScriptedTransport : public Transport
{
public:
    explicit ScriptedTransport(std::shared_ptr<ControllerScript> script)
        : m_script(std::move(script))
    {
    }

    bool open(OpenFailure *failure, QString *detail) override
    {
        if (m_script->openFails) {
            *failure = OpenFailure::NoSuchPort;
            *detail = QStringLiteral("scripted");
            return false;
        }
        ++m_script->opens;
        m_open = true;
        return true;
    }
    void close() override
    {
        if (m_open)
            ++m_script->closes;
        m_open = false;
    }
    bool isOpen() const override { return m_open; }
    ExchangeLimits defaultLimits() const override { return ExchangeLimits::serial(); }
    QString description() const override { return QStringLiteral("scripted"); }

    IoResult discardInput() override
    {
        m_pending.clear();
        return {};
    }
    IoResult write(QByteArrayView data, int) override
    {
        const std::optional<QByteArray> command = CommandFrame::decodeRequest(data);
        if (!command)
            return { Io::Ok, data.size(), QString() };
        m_script->sent.append(*command);
        m_pending = m_script->answer ? m_script->answer(*command) : QByteArray();
        m_hangUp = m_script->hangUpAfter.contains(command->mid(3));
        return { Io::Ok, data.size(), QString() };
    }
    IoResult read(char *buffer, qsizetype capacity, int) override
    {
        if (m_pending.isEmpty()) {
            if (m_hangUp) {
                m_open = false;
                ++m_script->closes; // the line closed itself
                return { Io::Closed, 0, QStringLiteral("scripted hang-up") };
            }
            return { Io::TimedOut, 0, QString() };
        }
        const qsizetype n = std::min<qsizetype>(capacity, m_pending.size());
        std::copy_n(m_pending.constData(), n, buffer);
        m_pending.remove(0, n);
        return { Io::Ok, n, QString() };
    }

    static ControllerLink::TransportFactory factory(std::shared_ptr<ControllerScript> script)
    {
        return [script](const LinkSettings &) { return std::make_unique<ScriptedTransport>(script); };
    }

private:
    std::shared_ptr<ControllerScript> m_script;
    QByteArray m_pending;
    bool m_hangUp = false;
    bool m_open = false;
};
