#include "cli/clireport.h"

#include <QJsonDocument>

namespace {

const QString Prefix = QStringLiteral("zu42cli: ");

} // namespace

CliReport::CliReport(QTextStream &out, QTextStream &err, bool json, const QString &command)
    : m_out(out)
    , m_err(err)
    , m_json(json)
{
    // A usage error may come before any command was read: its object has no "command".
    if (!command.isEmpty())
        m_object.insert(QStringLiteral("command"), command);
}

void CliReport::say(const QString &line)
{
    if (!m_json)
        m_out << line << '\n';
}

void CliReport::warn(const QString &text)
{
    m_err << Prefix << text << '\n';
}

void CliReport::progress(const QString &text)
{
    m_err << text;
    m_err.flush();
}

void CliReport::flush()
{
    m_out.flush();
}

void CliReport::set(const QString &key, const QJsonValue &value)
{
    m_object.insert(key, value);
}

int CliReport::fail(int status, const QString &why)
{
    m_why = why;
    return status;
}

int CliReport::finish(int status)
{
    if (!m_why.isEmpty())
        m_err << Prefix << m_why << '\n';
    if (m_json) {
        m_object.insert(QStringLiteral("ok"), status == 0);
        m_object.insert(QStringLiteral("exit"), status);
        if (!m_why.isEmpty())
            m_object.insert(QStringLiteral("error"), m_why);
        m_out << QJsonDocument(m_object).toJson(QJsonDocument::Indented);
    }
    m_out.flush();
    m_err.flush();
    return status;
}

int CliReport::finishWithoutRequest(int status, const QString &text)
{
    (status == 0 ? m_out : m_err) << text;
    if (status != 0 && m_json) {
        // The text goes to standard error whole, with its hint; its first line is the reason.
        QJsonObject object = m_object;
        object.insert(QStringLiteral("ok"), false);
        object.insert(QStringLiteral("exit"), status);
        object.insert(QStringLiteral("error"), text.section(QLatin1Char('\n'), 0, 0).mid(Prefix.size()));
        m_out << QJsonDocument(object).toJson(QJsonDocument::Indented);
    }
    m_err.flush();
    m_out.flush();
    return status;
}
