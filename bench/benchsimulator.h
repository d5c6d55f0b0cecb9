#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// A zu42sim of the benchmark's own on a free loopback port (and a pseudo-terminal when the
// arguments ask for one), stopped when it goes. Unlike the tests' simulator it logs nothing
// unless asked, so the figures carry no file writes of the simulator's.
class BenchSimulator
{
public:
    BenchSimulator() = default;
    BenchSimulator(const BenchSimulator &) = delete;
    BenchSimulator &operator=(const BenchSimulator &) = delete;
    ~BenchSimulator();

    // Started with "--tcp 127.0.0.1:0" and these arguments; true once it says it is ready.
    bool start(const QString &program, const QStringList &arguments = {});

    quint16 port() const { return m_port; }
    QString pty() const { return m_pty; }

private:
    QProcess m_process;
    quint16 m_port = 0;
    QString m_pty;
};
