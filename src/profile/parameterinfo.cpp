#include "profile/parameterinfo.h"

#include "controller/integertext.h"

#include <cmath>

namespace {

bool fail(QString *why, const QString &text)
{
    if (why)
        *why = text;
    return false;
}

// C0, DEL and the C1 controls (U+0080..U+009F): a display shows none of them as a character,
// and a profile that held one would be a different text on every controller it reached.
bool hasControlCharacter(const QString &text)
{
    for (const QChar c : text)
        if (c.category() == QChar::Other_Control)
            return true;
    return false;
}

} // namespace

std::optional<QString> ParameterInfo::parse(const QString &text, QString *why) const
{
    const auto refuse = [&](const QString &reason) -> std::optional<QString> {
        fail(why, QStringLiteral("%1: %2").arg(name, reason));
        return std::nullopt;
    };
    switch (kind) {
    case Kind::Choice: {
        const QString word = text.trimmed().toLower();
        if (!choices.contains(word))
            return refuse(QStringLiteral("\"%1\" is not one of %2").arg(text, allowed()));
        return word;
    }
    case Kind::Number: {
        const std::optional<qint64> value = IntegerText::parse(text.trimmed());
        if (!value)
            return refuse(QStringLiteral("\"%1\" is not a whole number").arg(text));
        if (*value < minimum || *value > maximum)
            return refuse(QStringLiteral("%1 is outside %2").arg(*value).arg(allowed()));
        return QString::number(*value);
    }
    case Kind::Flag: {
        const QString word = text.trimmed().toLower();
        if (word == QLatin1String("on") || word == QLatin1String("true") || word == QLatin1String("enable"))
            return QStringLiteral("on");
        if (word == QLatin1String("off") || word == QLatin1String("false") || word == QLatin1String("disable"))
            return QStringLiteral("off");
        return refuse(QStringLiteral("\"%1\" is not on or off").arg(text));
    }
    case Kind::Text:
        if (text.size() > maximum)
            return refuse(QStringLiteral("%1 characters, at most %2 fit").arg(text.size()).arg(maximum));
        if (hasControlCharacter(text))
            return refuse(QStringLiteral("holds a control character"));
        return text;
    }
    return std::nullopt;
}

std::optional<int> ParameterInfo::code(const QString &canonical) const
{
    if (kind == Kind::Text || parse(canonical) != canonical)
        return std::nullopt;
    switch (kind) {
    case Kind::Choice:
        return int(choices.indexOf(canonical));
    case Kind::Number:
        return canonical.toInt();
    case Kind::Flag:
        return canonical == QLatin1String("on") ? 1 : 0;
    case Kind::Text:
        break;
    }
    return std::nullopt;
}

QString ParameterInfo::fromCode(int code) const
{
    const QString outside = QStringLiteral("(%1)").arg(code);
    switch (kind) {
    case Kind::Choice:
        return code >= 0 && code < choices.size() ? choices.at(code) : outside;
    case Kind::Number:
        return code >= minimum && code <= maximum ? QString::number(code) : outside;
    case Kind::Flag:
        return code == 1 ? QStringLiteral("on") : code == 0 ? QStringLiteral("off") : outside;
    case Kind::Text:
        break;
    }
    return outside;
}

QJsonValue ParameterInfo::toJson(const QString &canonical) const
{
    const std::optional<int> c = code(canonical);
    if (kind == Kind::Number && c)
        return *c;
    if (kind == Kind::Flag && c)
        return *c == 1;
    return canonical;
}

std::optional<QString> ParameterInfo::fromJson(const QJsonValue &value, QString *why) const
{
    const auto refuse = [&](const char *wanted) -> std::optional<QString> {
        fail(why, QStringLiteral("%1: wants %2").arg(name, QLatin1String(wanted)));
        return std::nullopt;
    };
    switch (kind) {
    case Kind::Choice:
    case Kind::Text:
        if (!value.isString())
            return refuse("a string");
        return parse(value.toString(), why);
    case Kind::Number: {
        const double d = value.toDouble();
        // Only a whole number written as one; 2e9 and beyond would not survive the int.
        if (!value.isDouble() || std::floor(d) != d || std::fabs(d) > 1e9)
            return refuse("a whole number");
        return parse(QString::number(qint64(d)), why);
    }
    case Kind::Flag:
        if (!value.isBool())
            return refuse("true or false");
        return value.toBool() ? QStringLiteral("on") : QStringLiteral("off");
    }
    return std::nullopt;
}

QString ParameterInfo::allowed() const
{
    switch (kind) {
    case Kind::Choice:
        return choices.join(QStringLiteral(" | "));
    case Kind::Number:
        return QStringLiteral("%1 to %2").arg(minimum).arg(maximum);
    case Kind::Flag:
        return QStringLiteral("on | off");
    case Kind::Text:
        return QStringLiteral("a text of up to %1 characters").arg(maximum);
    }
    return QString();
}
