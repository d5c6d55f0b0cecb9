#include "records/jsonfields.h"

#include <QJsonValue>
#include <cmath>

JsonFields::JsonFields(const QJsonObject &object, const QString &place)
    : m_object(object), m_place(place)
{
}

QString JsonFields::name(const char *key) const
{
    return m_place.isEmpty() ? QString::fromLatin1(key) : m_place + QLatin1Char('.') + QLatin1String(key);
}

bool JsonFields::fail(const QString &why)
{
    if (m_why.isEmpty())
        m_why = why;
    return false;
}

bool JsonFields::text(const char *key, QString *out)
{
    const QJsonValue value = m_object.value(QLatin1String(key));
    if (!value.isString())
        return fail(QStringLiteral("%1 is %2").arg(name(key), value.isUndefined() ? QStringLiteral("missing") : QStringLiteral("not a text")));
    *out = value.toString();
    return true;
}

bool JsonFields::boolean(const char *key, bool *out)
{
    const QJsonValue value = m_object.value(QLatin1String(key));
    if (!value.isBool())
        return fail(QStringLiteral("%1 is %2").arg(name(key), value.isUndefined() ? QStringLiteral("missing") : QStringLiteral("not true or false")));
    *out = value.toBool();
    return true;
}

bool JsonFields::integer(const char *key, int *out)
{
    const QJsonValue value = m_object.value(QLatin1String(key));
    const double number = value.toDouble(-1);
    if (!value.isDouble() || number < 0 || number > 1e9 || number != std::floor(number))
        return fail(QStringLiteral("%1 is %2").arg(name(key), value.isUndefined() ? QStringLiteral("missing") : QStringLiteral("not a whole number")));
    *out = int(number);
    return true;
}
