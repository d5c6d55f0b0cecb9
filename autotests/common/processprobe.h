#pragma once

#include <QDir>
#include <QFile>
#include <ctime>

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

// What a test or a benchmark can see of its own process: open descriptors, CPU time and
// resident memory, so that leaks and busy waits show up as numbers rather than as a slow machine.
class ProcessProbe
{
public:
    // Entries of /proc/self/fd (the listing's own descriptor is counted alike every time); on
    // Windows the process's open handles, where a port or a socket left open shows alike.
    static int openDescriptors()
    {
#ifdef Q_OS_WIN
        DWORD handles = 0;
        if (!GetProcessHandleCount(GetCurrentProcess(), &handles))
            qFatal("GetProcessHandleCount failed: %lu", GetLastError());
        return int(handles);
#else
        return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System).size());
#endif
    }

    // CPU time of the whole process (every thread), in milliseconds.
    static double cpuMs()
    {
        timespec ts {};
        ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
        return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
    }

    // VmRSS in KiB, or -1 where /proc cannot say.
    static long residentKiB()
    {
        QFile status(QStringLiteral("/proc/self/status"));
        if (!status.open(QIODevice::ReadOnly))
            return -1;
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("VmRSS:"))
                return line.mid(6).trimmed().split(' ').value(0).toLong();
        return -1;
    }
};
