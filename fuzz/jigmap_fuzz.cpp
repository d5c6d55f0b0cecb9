// Fuzzes the jig map reader with whatever a technician's editor, a mail program or a damaged
// stick could leave in a map file.
//
//  - A refused map gives no map and says why; a "line N" in the reason is a line of the file.
//  - A map that reads has a name a person can see (1 to 64 characters, no control character, no
//    blank at either end) and lists every output; written out it reads back to the same map,
//    and writing that again gives the same text, through the real file as well.
//  - Reading the file gives what reading the bytes gives.
#include "fuzzcheck.h"

#include "controller/jigmap.h"

#include <QFile>
#include <QRegularExpression>
#include <cstdint>

namespace {

void checkRefusal(const QByteArray &bytes, const QString &why)
{
    require(!why.isEmpty(), "a refused map says why");
    static const QRegularExpression lineRef(QStringLiteral("^line (\\d+): "));
    const QRegularExpressionMatch m = lineRef.match(why);
    if (!m.hasMatch())
        return;
    // Lines as the reader counts them: CR LF, CR and LF each end one.
    const qsizetype lines = QString::fromUtf8(bytes).split(QRegularExpression(QStringLiteral("\\r\\n|\\r|\\n"))).size();
    const qsizetype n = m.captured(1).toLongLong();
    require(n >= 1 && n <= lines, "the line named is a line of the file");
}

void checkMap(const JigMap &map)
{
    const QString name = map.name();
    require(!name.isEmpty() && name.size() <= JigMap::MaxNameLength, "the name has 1 to 64 characters");
    require(name == name.trimmed(), "the name has no blank at either end");
    for (const QChar c : name)
        require(c.category() != QChar::Other_Control && c.category() != QChar::Other_Format, "the name holds no control character");
    require(JigMap::expectedAllOff() == JigMap::InputStates{}, "with all outputs off nothing is lit");

    const QByteArray text = map.toText();
    QString why;
    const std::optional<JigMap> again = JigMap::parse(text, &why);
    require(again.has_value(), "a map written out reads back");
    require(*again == map, "a map written out reads back the same");
    require(again->toText() == text, "writing what was read back gives the same text");

    const QString path = scratchFolder().filePath(QStringLiteral("saved.jig"));
    require(map.save(path, &why), "a map can be saved");
    const std::optional<JigMap> loaded = JigMap::load(path, &why);
    require(loaded && *loaded == map, "a saved map loads as the same map");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    quietWarnings();
    (void)scratchFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QString why;
    const std::optional<JigMap> map = JigMap::parse(bytes, &why);
    if (map)
        checkMap(*map);
    else
        checkRefusal(bytes, why);

    // The same bytes from a file, as the jig window loads a map.
    const QString path = scratchFolder().filePath(QStringLiteral("input.jig"));
    {
        QFile file(path);
        require(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size(), "the input file is written");
    }
    QString loadWhy;
    const std::optional<JigMap> loaded = JigMap::load(path, &loadWhy);
    require(loaded.has_value() == map.has_value(), "the file reads exactly when its bytes do");
    if (loaded)
        require(*loaded == *map, "the file gives the map its bytes give");
    else
        require(loadWhy.endsWith(why), "the file is refused for the reason its bytes are");
    return 0;
}
