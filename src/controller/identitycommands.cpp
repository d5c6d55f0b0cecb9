#include "controller/identitycommands.h"

#include "protocol/commandtextguard.h"
#include "controller/parameteraddress.h"
#include "controller/parametercommand.h"

namespace {

bool inList(int index, int items)
{
    return index >= 0 && index < items;
}

std::optional<QByteArray> withText(QByteArray head, const QByteArray &text)
{
    if (!CommandTextGuard::isSendable(text))
        return std::nullopt;
    return head + text;
}

} // namespace

std::optional<QByteArray> IdentityCommands::language(int languageIndex, int encodingIndex)
{
    if (!inList(languageIndex, LanguageItems) || !inList(encodingIndex, EncodingItems))
        return std::nullopt;
    return ParameterCommand::write(ParameterAddress::DisplayLanguage,
                                   { quint8(languageIndex), quint8(encodingIndex) });
}

std::optional<QByteArray> IdentityCommands::baud(int index)
{
    if (!inList(index, BaudItems))
        return std::nullopt;
    return "AE" + QByteArray::number(index, 16).toUpper();
}

std::optional<QByteArray> IdentityCommands::master(int pair, const QByteArray &uid, const QByteArray &pin)
{
    if (pair < 1 || pair > MasterPairs)
        return std::nullopt;
    return withText("BA" + QByteArray::number(pair) + "00", uid + pin);
}

std::optional<QByteArray> IdentityCommands::setId(const QByteArray &id)
{
    return withText("AC", id);
}

std::optional<QByteArray> IdentityCommands::title(int index)
{
    if (!inList(index, TitleItems))
        return std::nullopt;
    return "AT" + QByteArray::number(index, 16).toUpper().rightJustified(2, '0');
}

std::optional<QByteArray> IdentityCommands::titleLine(int line, const QByteArray &text)
{
    if (line < 1 || line > TitleLines)
        return std::nullopt;
    return withText("AT" + QByteArray::number(line), text);
}

std::optional<QByteArray> IdentityCommands::show(int cardShowIndex, bool showStatus, bool useStatus)
{
    if (!inList(cardShowIndex, CardShowItems))
        return std::nullopt;
    return ParameterCommand::write(ParameterAddress::CardDisplay,
                                   { quint8(cardShowIndex), quint8(showStatus ? 1 : 0), quint8(useStatus ? 1 : 0) });
}
