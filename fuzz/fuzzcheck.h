#pragma once

// What every fuzz target needs: a broken invariant aborts with its name, so libFuzzer keeps the
// input that broke it; a scratch folder for the targets that go through real files.
#include <QDir>
#include <QString>
#include <QTemporaryDir>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

inline void require(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

// A folder of the run under TMPDIR (put it on a tmpfs for a long campaign), removed at exit.
inline const QTemporaryDir &scratchFolder()
{
    static const QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/zu42fuzz-XXXXXX"));
    require(dir.isValid(), "a scratch folder can be made");
    return dir;
}

// The warnings the readers give for what they refuse are expected here, millions of times.
inline void quietWarnings()
{
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &message) {
        if (type == QtFatalMsg || type == QtCriticalMsg) {
            std::fprintf(stderr, "%s\n", qPrintable(message));
            std::abort();
        }
    });
}
