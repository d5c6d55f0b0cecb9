#include "profile/parameterwriteplan.h"

#include "controller/identitycommands.h"
#include "controller/parametersetcommands.h"
#include "controller/writeplans.h"
#include "profile/parametercatalog.h"

namespace {

using C = ParameterCatalog;

class Builder
{
public:
    Builder(const ParameterValues &toWrite, const ParameterValues &controller, const QByteArray &model)
        : m_toWrite(toWrite)
        , m_controller(controller)
        , m_model(model)
    {
    }

    ParameterWritePlan build()
    {
        QList<QByteArray> commands;
        for (const ParameterInfo &parameter : C::all()) {
            if (!m_toWrite.contains(parameter.name))
                continue;
            if (!parameter.appliesTo(m_model))
                return refuse(QStringLiteral("%1: the %2 has no such value").arg(parameter.name, QString::fromLatin1(m_model)));
            const std::optional<QByteArray> command = commandFor(parameter);
            if (!m_refusal.isEmpty())
                return refuse(m_refusal);
            m_plan.names.append(parameter.name);
            m_plan.needsRestart = m_plan.needsRestart || parameter.needsRestart;
            // A command that carries several values goes out once, at the first of them.
            if (command && !commands.contains(*command))
                commands.append(*command);
        }
        m_plan.commands = CommandPlan::of(commands);
        return m_plan;
    }

private:
    ParameterWritePlan refuse(const QString &why)
    {
        ParameterWritePlan refused;
        refused.commands = CommandPlan::refuse(why);
        return refused;
    }

    // The value to write, or the controller's where the set leaves it out.
    QString value(const QString &name)
    {
        if (m_toWrite.contains(name))
            return m_toWrite.value(name);
        if (m_controller.contains(name))
            return m_controller.value(name);
        m_refusal = QStringLiteral("%1 goes out together with %2, whose value is not known").arg(m_current, name);
        return QString();
    }

    int code(const QString &name)
    {
        const QString text = value(name);
        if (!m_refusal.isEmpty())
            return -1;
        const std::optional<int> c = C::at(name).code(text);
        if (!c)
            m_refusal = QStringLiteral("%1: \"%2\" cannot be written").arg(name, text);
        return c.value_or(-1);
    }

    std::optional<QByteArray> titleLine(int line, const QString &name)
    {
        const int encoding = code(C::TextEncoding);
        if (!m_refusal.isEmpty())
            return std::nullopt;
        const QString encodingName = C::at(C::TextEncoding).fromCode(encoding);
        QString refusal;
        const auto bytes = WritePlans::encoded(value(name), encoding, encodingName, name, &refusal);
        const auto command = bytes ? IdentityCommands::titleLine(line, *bytes) : std::nullopt;
        if (!command)
            m_refusal = refusal;
        return command;
    }

    std::optional<QByteArray> commandFor(const ParameterInfo &parameter)
    {
        m_current = parameter.name;
        const QString name = parameter.name;
        const auto is = [&name](QLatin1String n) { return name == n; };
        std::optional<QByteArray> command;
        if (is(C::Language) || is(C::TextEncoding)) {
            const int language = code(C::Language), encoding = code(C::TextEncoding);
            if (m_refusal.isEmpty())
                command = IdentityCommands::language(language, encoding);
        } else if (is(C::CardDisplay) || is(C::ShowStatus) || is(C::UseStatus)) {
            const int display = code(C::CardDisplay), show = code(C::ShowStatus), use = code(C::UseStatus);
            if (m_refusal.isEmpty())
                command = IdentityCommands::show(display, show == 1, use == 1);
        } else if (is(C::BaudRate)) {
            m_plan.lineSettingsCommand = IdentityCommands::baud(code(C::BaudRate));
            return std::nullopt;
        } else if (is(C::TitleLine1)) {
            command = titleLine(1, C::TitleLine1);
        } else if (is(C::TitleLine2)) {
            command = titleLine(2, C::TitleLine2);
        } else {
            const int c = code(name);
            if (!m_refusal.isEmpty())
                return std::nullopt;
            if (is(C::TitleLines))
                command = IdentityCommands::title(c);
            else if (is(C::HourFormat))
                command = ParameterSetCommands::hourType(c);
            else if (is(C::DateFormat))
                command = ParameterSetCommands::dateType(c);
            else if (is(C::CardType))
                command = ParameterSetCommands::cardType(c);
            else if (is(C::CardBits))
                // The RO420 has a command of its own for the card bits.
                command = m_model == "RO420" ? ParameterSetCommands::cardBits120(c) : ParameterSetCommands::cardBits(c);
            else if (is(C::SameCardDelay))
                command = ParameterSetCommands::sameCard(QString::number(c));
            else if (is(C::DoorForce))
                command = ParameterSetCommands::doorForce(c);
            else if (is(C::DoorTimeoutTime))
                command = ParameterSetCommands::doorTimeoutTime(QString::number(c));
            else if (is(C::DoorTimeout))
                command = ParameterSetCommands::doorTimeout(c);
            else if (is(C::ReaderType))
                command = ParameterSetCommands::readerType(c);
            else if (is(C::DoorLog))
                command = ParameterSetCommands::doorLog(c);
            else if (is(C::ExtReader))
                command = ParameterSetCommands::extReader(c);
            else if (is(C::DiMode))
                command = ParameterSetCommands::diMode(c);
        }
        if (!command && m_refusal.isEmpty())
            m_refusal = QStringLiteral("%1: \"%2\" cannot be written").arg(name, m_toWrite.value(name));
        return command;
    }

    const ParameterValues &m_toWrite;
    const ParameterValues &m_controller;
    QByteArray m_model;
    ParameterWritePlan m_plan;
    QString m_current;
    QString m_refusal;
};

} // namespace

ParameterWritePlan ParameterWritePlan::build(const ParameterValues &toWrite, const ParameterValues &controller,
                                           const QByteArray &model)
{
    return Builder(toWrite, controller, model).build();
}
