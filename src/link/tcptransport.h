#pragma once

#include "link/transport.h"

#include <QString>
#include <memory>

class QTcpSocket;

// A TCP connection to a controller at a dotted IPv4 address and a port read as atol reads it.
class TcpTransport : public Transport
{
public:
    TcpTransport(const QString &hostAddress, const QString &hostPort, int connectLimitMs = ExchangeLimits::ConnectMs);
    ~TcpTransport() override;

    bool open(OpenFailure *failure, QString *detail) override;
    void close() override;
    bool isOpen() const override;
    ExchangeLimits defaultLimits() const override { return ExchangeLimits::tcp(); }
    QString description() const override;

    IoResult discardInput() override;
    IoResult write(QByteArrayView data, int timeoutMs) override;
    IoResult read(char *buffer, qsizetype capacity, int timeoutMs) override;

private:
    IoResult closed(const QString &why);

    QString m_hostAddress;
    QString m_hostPort;
    mutable QString m_description; // made at the first ask
    int m_connectLimitMs;
    std::unique_ptr<QTcpSocket> m_socket;
};
