#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <optional>

// Which inputs of the controller each of its outputs drives on a production jig, and so which
// inputs the jig test expects lit when it switches one output on alone, and when all are off.
//
// The map is a small UTF-8 text file that a technician writes by hand:
//
//     # Line 2, fixture B
//     name = Fixture B
//     DO1 = DI1
//     DO2 = DI2
//     DO3 = DI3 DI7     # the lock relay is also wired back to DI7
//     DO4 = DI4, DI8
//
// One "name =" line and one line for each of DO1..DO4, each naming the inputs that output
// drives (DI1 DI2 DI3 DI4 DI7 DI8, separated by spaces or commas), or "none". Names are not
// case sensitive; "#" starts a comment. Every output must be listed, so a forgotten line is an
// error rather than a silent "drives nothing" that would pass a unit with a dead output.
//
// Why not QSettings' INI or JSON: QSettings reports a broken file only as "format error" with no
// line, takes the last of two equal keys without a word, and loses the comments when it writes;
// JSON has no comments and its quotes and commas are what hand edits break. A damaged map is
// refused as a whole, with the line and what is wrong, and gives no map at all.
class JigMap
{
public:
    enum class Output { DO1, DO2, DO3, DO4 };
    enum class Input { DI1, DI2, DI3, DI4, DI7, DI8 };
    static constexpr int OutputCount = 4;
    static constexpr int InputCount = 6;
    // Lit inputs in the order DI1 DI2 DI3 DI4 DI7 DI8: the four of the "IE" reply, then the two
    // of the "DF" reply.
    using InputStates = std::array<bool, InputCount>;

    // A map file is a handful of lines; anything bigger is not one.
    static constexpr qint64 MaxFileSize = 16 * 1024;
    static constexpr int MaxNameLength = 64;

    // The wiring of the simulator's jig: DI1..DI4 follow DO1..DO4, DI7 follows DO3, DI8 DO4.
    static JigMap defaultMap();

    // The map a text describes, or nothing and why (with the line number).
    static std::optional<JigMap> parse(const QByteArray &text, QString *why = nullptr);
    static std::optional<JigMap> load(const QString &path, QString *why = nullptr);
    // The map a program's setting names: a path to load, or, when the setting is empty, the
    // default map. Every program that runs the jig test takes its map this way.
    static std::optional<JigMap> fromSetting(const QString &path, QString *why = nullptr);

    // The text form, which parse() reads back to an equal map.
    QByteArray toText() const;
    bool save(const QString &path, QString *why = nullptr) const;

    QString name() const { return m_name; }
    InputStates drivenBy(Output output) const { return m_drives[int(output)]; }
    // What the inputs show with only this output on.
    InputStates expectedWhenAlone(Output output) const { return drivenBy(output); }
    // With every output off no input may be lit, whatever the wiring.
    static InputStates expectedAllOff() { return {}; }

    // The six input states from the "IE" lamps (DI1..DI4) and the "DF" pair (DI7, DI8).
    static InputStates inputStates(const std::array<bool, 4> &ie, const std::array<bool, 2> &df);

    static QString outputName(Output output);
    static QString inputName(Input input);

    friend bool operator==(const JigMap &, const JigMap &) = default;

private:
    JigMap() = default;

    QString m_name;
    std::array<InputStates, OutputCount> m_drives{};
};
