#include "profile/parametercatalog.h"

#include "controller/commandtextencoder.h"
#include "controller/identitycommands.h"

namespace {

using Kind = ParameterInfo::Kind;
using Access = ParameterInfo::Access;

ParameterInfo choice(QLatin1String name, QStringList words, const char *description)
{
    ParameterInfo s;
    s.name = name;
    s.kind = Kind::Choice;
    s.choices = std::move(words);
    s.description = QString::fromLatin1(description);
    return s;
}

ParameterInfo number(QLatin1String name, int minimum, int maximum, const char *description)
{
    ParameterInfo s;
    s.name = name;
    s.kind = Kind::Number;
    s.minimum = minimum;
    s.maximum = maximum;
    s.description = QString::fromLatin1(description);
    return s;
}

ParameterInfo flag(QLatin1String name, const char *description)
{
    ParameterInfo s;
    s.name = name;
    s.kind = Kind::Flag;
    s.maximum = 1;
    s.description = QString::fromLatin1(description);
    return s;
}

ParameterInfo restarting(ParameterInfo s)
{
    s.needsRestart = true;
    return s;
}

// The title lines fit the window's fields: 32 characters each.
constexpr int TitleLineLength = 32;

QList<ParameterInfo> build()
{
    using C = ParameterCatalog;
    // The lists keep the order of the window's lists, whose positions are the codes.
    QList<ParameterInfo> list {
        restarting(choice(C::Language, { QStringLiteral("english"), QStringLiteral("traditional-chinese"),
                                         QStringLiteral("simplified-chinese") },
                          "language of the display")),
        restarting(choice(C::TextEncoding, { QStringLiteral("unicode"), QStringLiteral("big5"), QStringLiteral("gb2312") },
                          "encoding of the display's texts (also of the title lines sent)")),
        choice(C::HourFormat, { QStringLiteral("24h"), QStringLiteral("12h") }, "clock shown with 24 or 12 hours"),
        number(C::TitleLines, 0, IdentityCommands::TitleItems - 1, "number of title lines shown"),
        choice(C::DateFormat, { QStringLiteral("yyyy/mm/dd"), QStringLiteral("dd/mm/yyyy"), QStringLiteral("mm/dd/yyyy") },
               "date format"),
        choice(C::CardType, { QStringLiteral("standard"), QStringLiteral("type-1"), QStringLiteral("type-2") },
               "card type"),
        choice(C::CardBits, { QStringLiteral("24"), QStringLiteral("32") }, "card bits (24 for 26-bit, 32 for 34-bit cards)"),
        number(C::SameCardDelay, 0, 255, "delay before the same card counts again"),
        restarting(choice(C::CardDisplay, { QStringLiteral("none"), QStringLiteral("card-number"),
                                            QStringLiteral("card-uid"), QStringLiteral("card-text") },
                          "what the display shows of a card")),
        restarting(flag(C::ShowStatus, "show the status (shift) on the display")),
        restarting(flag(C::UseStatus, "use the status (shift)")),
        flag(C::DoorForce, "door forced open alarm"),
        number(C::DoorTimeoutTime, 0, 255, "door open time-out"),
        flag(C::DoorTimeout, "door open time-out alarm"),
        choice(C::ReaderType, { QStringLiteral("keypad"), QStringLiteral("standard") }, "reader type"),
        flag(C::DoorLog, "log of door openings and closings"),
        choice(C::ExtReader, { QStringLiteral("exit"), QStringLiteral("entry") }, "external reader"),
        choice(C::DiMode, { QStringLiteral("di-input"), QStringLiteral("wiegand") }, "use of inputs DI3 and DI4"),
    };
    list.last().onlyModel = QByteArrayLiteral("RO426");

    QStringList speeds;
    for (const char *baud : { "4800", "9600", "19200", "38400", "57600", "115200", "230400", "460800", "921600" })
        for (const char *parity : { "n", "e" })
            speeds.append(QStringLiteral("%1,%2,8,1").arg(QLatin1String(baud), QLatin1String(parity)));
    Q_ASSERT(speeds.size() == IdentityCommands::BaudItems);
    ParameterInfo baud = choice(C::BaudRate, speeds, "line settings of the controller's serial port");
    baud.access = Access::LinkSpeed;
    list.append(baud);

    for (const QLatin1String name : { C::TitleLine1, C::TitleLine2 }) {
        ParameterInfo line;
        line.name = name;
        line.kind = Kind::Text;
        line.maximum = TitleLineLength;
        line.access = Access::WriteOnly;
        line.description = QStringLiteral("title line %1 of the display").arg(name.back());
        list.append(line);
    }
    Q_ASSERT(list.at(0).choices.size() == IdentityCommands::LanguageItems);
    Q_ASSERT(list.at(1).choices.size() == CommandTextEncoder::EncodingItems);
    return list;
}

} // namespace

const QList<ParameterInfo> &ParameterCatalog::all()
{
    static const QList<ParameterInfo> catalogue = build();
    return catalogue;
}

const ParameterInfo *ParameterCatalog::find(const QString &name)
{
    for (const ParameterInfo &s : all())
        if (s.name == name)
            return &s;
    return nullptr;
}

const ParameterInfo &ParameterCatalog::at(const QString &name)
{
    const ParameterInfo *s = find(name);
    Q_ASSERT(s);
    return *s;
}

int ParameterCatalog::orderOf(const QString &name)
{
    const QList<ParameterInfo> &list = all();
    for (qsizetype i = 0; i < list.size(); ++i)
        if (list.at(i).name == name)
            return int(i);
    return -1;
}
