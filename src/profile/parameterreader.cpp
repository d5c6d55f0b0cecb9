#include "profile/parameterreader.h"

#include "controller/controllersession.h"
#include "controller/identifyreplies.h"
#include "link/linesettings.h"
#include "profile/parametercatalog.h"

std::optional<ParameterReader::Model> ParameterReader::readModel(ControllerSession &session, QString *why)
{
    const Reply reply = session.freeCommand(IdentifyReplies::versionCommand());
    const auto version = reply.ok() ? IdentifyReplies::version(reply.bytes, reply.length()) : std::nullopt;
    if (!version) {
        *why = QStringLiteral("The version did not come: %1")
                   .arg(reply.why(QStringLiteral("%1 or %2")
                                         .arg(IdentifyReplies::ShortVersionLength)
                                         .arg(IdentifyReplies::LongVersionLength)));
        return std::nullopt;
    }
    return Model { version->model, version->panelText };
}

std::optional<ParameterValues> ParameterReader::readValues(ControllerSession &session, const QByteArray &model, QString *why)
{
    const ControllerSession::ReadBackResult read = session.readBack();
    if (!read.first || !read.second) {
        *why = read.ok() ? QStringLiteral("The read-back gave only its %1 range").arg(read.first ? "first" : "second")
                         : QStringLiteral("The read-back did not come: %1").arg(read.why);
        return std::nullopt;
    }
    ParameterValues values = fromReadBack(*read.first, *read.second, model);
    if (const std::optional<QString> baud = baudRateOf(session.link().settings()))
        values.insert(ParameterCatalog::BaudRate, *baud);
    return values;
}

ParameterValues ParameterReader::fromReadBack(const ReadBack::First &first, const ReadBack::Second &second,
                                           const QByteArray &model)
{
    using C = ParameterCatalog;
    ParameterValues values;
    const auto put = [&](QLatin1String name, const std::optional<int> &code) {
        const ParameterInfo &parameter = C::at(name);
        if (code && parameter.appliesTo(model))
            values.insert(parameter.name, parameter.fromCode(*code));
    };
    put(C::Language, first.language);
    put(C::TextEncoding, first.encoding);
    put(C::HourFormat, first.hourType);
    put(C::TitleLines, first.titleCount);
    put(C::DateFormat, first.dateType);
    put(C::CardType, first.cardTypeIndex);
    put(C::CardBits, first.cardBitsIndex);
    put(C::SameCardDelay, first.sameCardText.toInt());
    put(C::CardDisplay, first.cardDisplay);
    put(C::ShowStatus, first.showStatus);
    put(C::UseStatus, first.useStatus);
    put(C::DoorForce, second.doorForce);
    put(C::DoorTimeoutTime, second.timeoutTimeText.toInt());
    put(C::DoorTimeout, second.doorTimeout);
    put(C::ReaderType, second.readerType);
    put(C::DoorLog, second.doorLog);
    put(C::ExtReader, second.extReader);
    put(C::DiMode, second.diMode);
    return values;
}

std::optional<QString> ParameterReader::baudRateOf(const LinkSettings &link)
{
    if (link.isNet())
        return std::nullopt;
    const std::optional<LineSettings> line = LineSettings::parse(link.lineMode);
    if (!line)
        return std::nullopt;
    return ParameterCatalog::at(ParameterCatalog::BaudRate).parse(line->toString());
}
