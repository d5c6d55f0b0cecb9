#include "controller/integertext.h"

#include <limits>

namespace {

int digitValue(QChar c, int base)
{
    const char16_t u = c.unicode();
    int v = -1;
    if (u >= u'0' && u <= u'9')
        v = u - u'0';
    else if (u >= u'a' && u <= u'f')
        v = u - u'a' + 10;
    else if (u >= u'A' && u <= u'F')
        v = u - u'A' + 10;
    return v < base ? v : -1;
}

} // namespace

std::optional<qint64> IntegerText::parse(const QString &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text.at(i) == u' ')
        ++i;

    bool negative = false;
    if (i < n && (text.at(i) == u'-' || text.at(i) == u'+')) {
        negative = text.at(i) == u'-';
        ++i;
    }

    int base = 10;
    if (i < n && text.at(i) == u'$') {
        base = 16;
        ++i;
    } else if (i + 1 < n && text.at(i) == u'0' && (text.at(i + 1) == u'x' || text.at(i + 1) == u'X')) {
        base = 16;
        i += 2;
    }

    if (i == n)
        return std::nullopt; // empty, a sign or a prefix without digits

    // The magnitude may reach 2^63 only for the most negative value.
    const quint64 limit = quint64(std::numeric_limits<qint64>::max()) + (negative ? 1 : 0);
    quint64 magnitude = 0;
    for (; i < n; ++i) {
        const int d = digitValue(text.at(i), base);
        if (d < 0)
            return std::nullopt;
        if (magnitude > (limit - quint64(d)) / quint64(base))
            return std::nullopt;
        magnitude = magnitude * quint64(base) + quint64(d);
    }
    if (!negative)
        return qint64(magnitude);
    return magnitude == quint64(std::numeric_limits<qint64>::max()) + 1 ? std::numeric_limits<qint64>::min()
                                                                       : -qint64(magnitude);
}

std::optional<quint8> IntegerText::parseByte(const QString &text)
{
    const std::optional<qint64> value = parse(text);
    if (!value || *value < 0 || *value > 0xFF)
        return std::nullopt;
    return quint8(*value);
}
