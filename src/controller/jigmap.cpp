#include "controller/jigmap.h"

#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringDecoder>

namespace {

constexpr std::array<const char *, JigMap::OutputCount> OutputNames{ "DO1", "DO2", "DO3", "DO4" };
constexpr std::array<const char *, JigMap::InputCount> InputNames{ "DI1", "DI2", "DI3", "DI4", "DI7", "DI8" };

bool fail(QString *why, const QString &text)
{
    if (why)
        *why = text;
    return false;
}

// Enough of a bad line to recognise it, not a screenful of whatever the file really holds.
QString excerpt(const QString &text)
{
    constexpr int Max = 40;
    return text.size() <= Max ? text : text.left(Max) + QStringLiteral("...");
}

int indexOfName(const auto &names, const QString &word)
{
    for (int i = 0; i < int(names.size()); ++i) {
        if (word.compare(QLatin1String(names[i]), Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

// Decodes the whole file as UTF-8 or says why it is not text we read.
std::optional<QString> decodeText(QByteArray bytes, QString *why)
{
    if (bytes.size() > JigMap::MaxFileSize) {
        fail(why, QStringLiteral("the map is %1 bytes; a map file is at most %2")
                        .arg(bytes.size()).arg(JigMap::MaxFileSize));
        return std::nullopt;
    }
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        fail(why, QStringLiteral("the map is saved as UTF-16; save it as UTF-8"));
        return std::nullopt;
    }
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    if (bytes.contains('\0')) {
        fail(why, QStringLiteral("the map holds NUL bytes, so it is not a text file (UTF-16 without a byte order mark?)"));
        return std::nullopt;
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        fail(why, QStringLiteral("the map is not UTF-8 text; save it as UTF-8"));
        return std::nullopt;
    }
    return text;
}

} // namespace

JigMap JigMap::defaultMap()
{
    JigMap map;
    map.m_name = QStringLiteral("Simulator jig");
    map.m_drives[int(Output::DO1)][int(Input::DI1)] = true;
    map.m_drives[int(Output::DO2)][int(Input::DI2)] = true;
    map.m_drives[int(Output::DO3)][int(Input::DI3)] = true;
    map.m_drives[int(Output::DO3)][int(Input::DI7)] = true;
    map.m_drives[int(Output::DO4)][int(Input::DI4)] = true;
    map.m_drives[int(Output::DO4)][int(Input::DI8)] = true;
    return map;
}

std::optional<JigMap> JigMap::parse(const QByteArray &bytes, QString *why)
{
    const std::optional<QString> text = decodeText(bytes, why);
    if (!text)
        return std::nullopt;

    static const QRegularExpression lineEnds(QStringLiteral("\\r\\n|\\r|\\n"));
    static const QRegularExpression separators(QStringLiteral("[\\s,]+"));
    JigMap map;
    int nameLine = 0;
    std::array<int, OutputCount> outputLine{};
    const QStringList lines = text->split(lineEnds);
    for (int n = 1; n <= lines.size(); ++n) {
        QString line = lines[n - 1];
        const qsizetype hash = line.indexOf(QLatin1Char('#'));
        if (hash >= 0)
            line.truncate(hash);
        line = line.trimmed();
        if (line.isEmpty())
            continue;
        auto lineError = [&](const QString &message) {
            fail(why, QStringLiteral("line %1: %2").arg(n).arg(message));
            return std::nullopt;
        };

        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            return lineError(QStringLiteral("expected \"DOn = inputs\" or \"name = ...\", found \"%1\"").arg(excerpt(line)));
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();

        if (key.compare(QLatin1String("name"), Qt::CaseInsensitive) == 0) {
            if (nameLine)
                return lineError(QStringLiteral("a second name line (the first is line %1)").arg(nameLine));
            if (value.isEmpty())
                return lineError(QStringLiteral("the name is empty"));
            if (value.size() > MaxNameLength)
                return lineError(QStringLiteral("the name is longer than %1 characters").arg(MaxNameLength));
            for (const QChar c : value) {
                if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
                    return lineError(QStringLiteral("the name holds a control character"));
            }
            nameLine = n;
            map.m_name = value;
            continue;
        }

        const int output = indexOfName(OutputNames, key);
        if (output < 0)
            return lineError(QStringLiteral("unknown name \"%1\" (the outputs are DO1 DO2 DO3 DO4)").arg(excerpt(key)));
        if (outputLine[output])
            return lineError(QStringLiteral("%1 is listed again (first on line %2)").arg(QLatin1String(OutputNames[output])).arg(outputLine[output]));
        outputLine[output] = n;

        const QStringList words = value.split(separators, Qt::SkipEmptyParts);
        if (words.isEmpty())
            return lineError(QStringLiteral("%1 names no input; write \"none\" if it drives nothing").arg(QLatin1String(OutputNames[output])));
        if (words.size() == 1 && words[0].compare(QLatin1String("none"), Qt::CaseInsensitive) == 0)
            continue;
        for (const QString &word : words) {
            const int input = indexOfName(InputNames, word);
            if (input < 0)
                return lineError(QStringLiteral("%1: unknown input \"%2\" (the inputs are DI1 DI2 DI3 DI4 DI7 DI8)").arg(QLatin1String(OutputNames[output]), excerpt(word)));
            if (map.m_drives[output][input])
                return lineError(QStringLiteral("%1: %2 is named twice").arg(QLatin1String(OutputNames[output]), QLatin1String(InputNames[input])));
            map.m_drives[output][input] = true;
        }
    }

    if (!nameLine) {
        fail(why, QStringLiteral("the map has no \"name = ...\" line"));
        return std::nullopt;
    }
    for (int output = 0; output < OutputCount; ++output) {
        if (!outputLine[output]) {
            fail(why, QStringLiteral("%1 is missing; list every output, with \"none\" if it drives nothing").arg(QLatin1String(OutputNames[output])));
            return std::nullopt;
        }
    }
    return map;
}

std::optional<JigMap> JigMap::load(const QString &path, QString *why)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(why, QStringLiteral("cannot open the jig map %1: %2").arg(path, file.errorString()));
        return std::nullopt;
    }
    // Read one byte past the limit so that a device or a growing file is caught as well.
    const QByteArray bytes = file.read(MaxFileSize + 1);
    if (file.error() != QFileDevice::NoError) {
        fail(why, QStringLiteral("cannot read the jig map %1: %2").arg(path, file.errorString()));
        return std::nullopt;
    }
    QString cause;
    std::optional<JigMap> map = parse(bytes, &cause);
    if (!map)
        fail(why, QStringLiteral("the jig map %1 is damaged: %2").arg(path, cause));
    return map;
}

std::optional<JigMap> JigMap::fromSetting(const QString &path, QString *why)
{
    // A path of blanks is a slip, not a file; it means the same as no path.
    if (path.trimmed().isEmpty())
        return defaultMap();
    return load(path, why);
}

QByteArray JigMap::toText() const
{
    QString text = QStringLiteral("# Which inputs each output drives on the jig\nname = %1\n").arg(m_name);
    for (int output = 0; output < OutputCount; ++output) {
        QStringList inputs;
        for (int input = 0; input < InputCount; ++input) {
            if (m_drives[output][input])
                inputs << QLatin1String(InputNames[input]);
        }
        text += QStringLiteral("%1 = %2\n").arg(QLatin1String(OutputNames[output]),
                                                 inputs.isEmpty() ? QStringLiteral("none") : inputs.join(QLatin1Char(' ')));
    }
    return text.toUtf8();
}

bool JigMap::save(const QString &path, QString *why) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(toText()) < 0 || !file.commit())
        return fail(why, QStringLiteral("cannot write the jig map %1: %2").arg(path, file.errorString()));
    return true;
}

JigMap::InputStates JigMap::inputStates(const std::array<bool, 4> &ie, const std::array<bool, 2> &df)
{
    return { ie[0], ie[1], ie[2], ie[3], df[0], df[1] };
}

QString JigMap::outputName(Output output)
{
    return QLatin1String(OutputNames[int(output)]);
}

QString JigMap::inputName(Input input)
{
    return QLatin1String(InputNames[int(input)]);
}
