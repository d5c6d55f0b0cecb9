// Fuzzes the profile reader with whatever a site's mail, a script or a hand edit could leave in a
// profile file, and follows a profile that reads as far as the commands it would send.
//
//  - A refused file gives no profile and says why; the reason is the same whether the caller
//    asks for it or not, and from the file as from its bytes.
//  - A profile that reads has a model a controller can report, a time, and only values of the
//    catalogue that its model has, each in its canonical form and within its range; a title line
//    holds no control character of any kind.
//  - Written out it reads back the same (the time to the millisecond, with its offset), and
//    writing that again gives the same text, through the real file as well.
//  - Its values written to a controller make commands that go out whole in a frame; only a
//    title line the text encoding cannot carry may refuse the plan.
#include "fuzzcheck.h"

#include "profile/profilefile.h"
#include "profile/parametercatalog.h"
#include "profile/parameterwriteplan.h"
#include "protocol/commandframe.h"
#include "protocol/commandtextguard.h"

#include <QFile>
#include <cstdint>

namespace {

bool sameProfile(const Profile &a, const Profile &b)
{
    return a.model == b.model && a.created == b.created && a.created.offsetFromUtc() == b.created.offsetFromUtc()
        && a.madeBy == b.madeBy && a.serialNumber == b.serialNumber && a.values == b.values;
}

void checkValue(const ParameterInfo &parameter, const QString &value, const QByteArray &model)
{
    require(parameter.appliesTo(model), "a value is one its model has");
    require(parameter.parse(value) == value, "a value is held in its canonical form");
    switch (parameter.kind) {
    case ParameterInfo::Kind::Number: {
        const std::optional<int> code = parameter.code(value);
        require(code && *code >= parameter.minimum && *code <= parameter.maximum, "a number is within its range");
        break;
    }
    case ParameterInfo::Kind::Choice:
        require(parameter.choices.contains(value), "a choice is a word of its list");
        break;
    case ParameterInfo::Kind::Flag:
        require(value == QLatin1String("on") || value == QLatin1String("off"), "a flag is on or off");
        break;
    case ParameterInfo::Kind::Text:
        require(value.size() <= parameter.maximum, "a text fits its length");
        for (const QChar c : value)
            require(c.category() != QChar::Other_Control, "a text holds no control character");
        break;
    }
}

// What a controller of the profile's model reports: the first entry of every value it can read.
ParameterValues controllerValues(const QByteArray &model)
{
    ParameterValues values;
    for (const ParameterInfo &s : ParameterCatalog::all())
        if (s.readable() && s.appliesTo(model))
            values.insert(s.name, s.fromCode(s.kind == ParameterInfo::Kind::Number ? s.minimum : 0));
    return values;
}

void checkCommand(const QByteArray &command)
{
    require(!command.isEmpty(), "a command has a text");
    require(CommandTextGuard::isSendable(command), "a command holds no byte that ends the frame");
    const QByteArray withId = "000" + command;
    const std::optional<QByteArray> frame = CommandFrame::encodeRequest(withId);
    require(frame.has_value(), "a command fits the frame");
    require(CommandFrame::decodeRequest(*frame) == withId, "a command goes out whole");
}

void checkWritePlan(const Profile &profile)
{
    const ParameterWritePlan plan = ParameterWritePlan::build(profile.values, controllerValues(profile.model), profile.model);
    if (plan.commands.refused()) {
        const bool titleLine = plan.commands.refusal.startsWith(ParameterCatalog::TitleLine1)
            || plan.commands.refusal.startsWith(ParameterCatalog::TitleLine2);
        require(titleLine, "only a title line the encoding cannot carry refuses a profile that read");
        require(plan.commands.commands.isEmpty() && !plan.lineSettingsCommand, "a refused plan sends nothing");
        return;
    }
    for (const QByteArray &command : plan.commands.commands)
        checkCommand(command);
    require(plan.lineSettingsCommand.has_value() == profile.values.contains(ParameterCatalog::BaudRate),
            "the line settings go out exactly when the profile holds them");
    if (plan.lineSettingsCommand)
        checkCommand(*plan.lineSettingsCommand);
    QStringList expected = profile.values.keys();
    QStringList written = plan.names;
    expected.sort();
    written.sort();
    require(written == expected, "every value of the profile is written, and nothing else");
}

void checkProfile(const Profile &profile)
{
    require(!profile.model.isEmpty() && profile.model.size() <= 16, "the model has 1 to 16 characters");
    for (const char c : profile.model)
        require((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'), "the model is letters and digits");
    require(profile.created.isValid(), "the profile says when it was made");
    require(!profile.values.isEmpty(), "the profile holds values");
    for (auto it = profile.values.cbegin(); it != profile.values.cend(); ++it) {
        const ParameterInfo *parameter = ParameterCatalog::find(it.key());
        require(parameter != nullptr, "a value name is in the catalogue");
        checkValue(*parameter, it.value(), profile.model);
    }

    const QByteArray text = ProfileFile::toJson(profile);
    QString why;
    const std::optional<Profile> again = ProfileFile::parse(text, &why);
    require(again.has_value(), "a profile written out reads back");
    require(sameProfile(*again, profile), "a profile written out reads back the same");
    require(ProfileFile::toJson(*again) == text, "writing what was read back gives the same text");

    const QString path = scratchFolder().filePath(QStringLiteral("saved.zu42profile.json"));
    require(ProfileFile::save(path, profile, &why), "a profile can be saved");
    const std::optional<Profile> loaded = ProfileFile::load(path, &why);
    require(loaded && sameProfile(*loaded, profile), "a saved profile loads as the same profile");

    checkWritePlan(profile);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    quietWarnings();
    (void)scratchFolder();
    // Times without an offset are the PC's local time; a zone with summer time makes the
    // round trip of such times a real question.
    qputenv("TZ", "Europe/Berlin");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString untouched = QStringLiteral("(untouched)");
    QString why = untouched;
    const std::optional<Profile> profile = ProfileFile::parse(bytes, &why);
    require(ProfileFile::parse(bytes).has_value() == profile.has_value(), "the outcome does not depend on asking why");
    if (profile) {
        require(why == untouched, "a profile that reads leaves the reason alone");
        checkProfile(*profile);
    } else {
        require(!why.isEmpty() && why != untouched, "a refused profile says why");
    }

    // The same bytes from a file, as the window and zu42cli load a profile.
    const QString path = scratchFolder().filePath(QStringLiteral("input.zu42profile.json"));
    {
        QFile file(path);
        require(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size(), "the input file is written");
    }
    QString loadWhy;
    const std::optional<Profile> loaded = ProfileFile::load(path, &loadWhy);
    require(loaded.has_value() == profile.has_value(), "the file reads exactly when its bytes do");
    if (loaded)
        require(sameProfile(*loaded, *profile), "the file gives the profile its bytes give");
    else
        require(loadWhy.endsWith(why), "the file is refused for the reason its bytes are");
    return 0;
}
