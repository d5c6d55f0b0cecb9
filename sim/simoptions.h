#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

// What can go wrong with one reply, on request, so that the tool's handling of it is tested for real.
struct SimFault
{
    enum class Kind { NoReply, Delay, BadCrc, Lowercase, NoEot, Noise, Split, Trailing, Endless, HangUp };
    QByteArray command; // command letters after the ID this fault applies to ("*": every command)
    Kind kind = Kind::NoReply;
    int arg1 = 0;       // delay: milliseconds; split: bytes per chunk
    int arg2 = 0;       // split: milliseconds between chunks

    static std::optional<SimFault> parse(const QString &text, QString *error);
};

// A controller that fails the production jig test, and how.
struct JigFaults
{
    enum class Clock { Keeps, IgnoresSetting, Offset };
    std::array<char, 6> stuckInputs {}; // DI1..DI4, DI7, DI8: '1' stuck on, '0' stuck off, 0 sound
    std::array<bool, 4> deadOutputs {}; // DO1..DO4 acknowledged but switching nothing
    Clock clock = Clock::Keeps;
    int clockOffsetSeconds = 0;

    // Adds one --jig-fault; false with *error when the text is wrong or contradicts an earlier one.
    bool add(const QString &text, QString *error);
};

// One of several controllers on the same line.
struct BusMember
{
    QByteArray id;
    QByteArray serial;
    QByteArray version;
    bool spare = false; // a new unit at 000, put on the line once the one before has left 000
};

struct SimOptions
{
    bool tcp = true;
    QHostAddress tcpAddress = QHostAddress(QHostAddress::LocalHost);
    quint16 tcpPort = 5003;
    bool pty = false;
    QString ptyLink;                      // a symbolic link to the pseudo-terminal (a Wine COM port)
    QString announcePath;                 // what stdout says at the start, also as a file
    QString untilGonePath;                // end when this file is removed (a parent that cannot signal)
    QByteArray id = "000";
    bool anyId = false;
    QByteArray serial = "24010042";
    QByteArray version = "ZO425V05";
    QString logPath;
    QMap<QByteArray, QByteArray> replies; // command letters -> reply data ("*": any unknown command)
    QList<SimFault> faults;
    QSet<int> failNth;                    // 1-based request numbers that get no reply
    bool jig = false;
    QByteArray inputs = "000000";         // DI1..DI4, DI7, DI8
    int recordEvery = 0;
    QByteArray record = "12345678901234DOOR01";
    QMap<int, quint8> params;             // initial parameter memory beyond the defaults
    QList<BusMember> bus;                 // empty: the one controller of id, serial and version
    JigFaults jigFaults;
    int loseEvery = 0;                    // one reply in each run of this many is not sent (0: none)
    int cutEvery = 0;                     // one reply in each run of this many is cut off (0: none)
    int vanishAfter = 0;                  // the pseudo-terminal goes after this request (0: never)
    int returnAfterMs = 0;                // and comes back, a new one, this long after (0: never)
    quint64 seed = 1;
    qint64 clockOffsetMs = 0;             // the clock at start, as an offset from the PC's
    bool collide = false;                 // replies of several controllers to one request mix byte by byte
    QSet<QByteArray> deadAfterRestart;    // controllers (by ID) that never answer again after a restart

    // Not on the command line: what the tests' in-process simulator can ask for besides, so that
    // the parameter procedures meet a controller that loses writes or restarts slowly.
    QSet<int> ignoredWrites;              // parameter addresses whose writes are acknowledged but not kept
    int silentAfterRestart = 0;           // requests left unanswered after each "AJ", as a restart does
                                          // (also --silent-after-restart)
    bool cardBitsByCommand = false;       // "AF24"/"AF32" land in the parameter memory, as on an RO420

    // Parses the command line; on error returns nothing and says why in *error.
    static std::optional<SimOptions> parse(const QStringList &arguments, QString *error);
};
