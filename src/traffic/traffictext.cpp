#include "traffic/traffictext.h"

namespace {

constexpr char Soh = 0x01;
constexpr char Stx = 0x02;

QChar picture(char16_t code)
{
    if (code < 0x20)
        return QChar(char16_t(0x2400 + code));
    if (code == 0x7F)
        return QChar(char16_t(0x2421));
    return QChar(code);
}

} // namespace

QString TrafficText::pictures(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes)
        text.append(picture(char16_t(static_cast<unsigned char>(c))));
    return text;
}

QString TrafficText::hex(QByteArrayView bytes)
{
    return QString::fromLatin1(bytes.toByteArray().toHex(' ').toUpper());
}

QString TrafficText::oneLine(const QString &text)
{
    QString line;
    line.reserve(text.size());
    for (const QChar c : text)
        line.append(c.unicode() < 0x20 || c.unicode() == 0x7F ? picture(c.unicode()) : c);
    return line;
}

QByteArray TrafficText::commandText(QByteArrayView request)
{
    if (!request.startsWith(Soh))
        return request.toByteArray();
    const qsizetype stx = request.indexOf(Stx);
    return request.sliced(1, (stx < 0 ? request.size() : stx) - 1).toByteArray();
}

QByteArray TrafficText::commandLetters(QByteArrayView request)
{
    const QByteArray text = commandText(request);
    qsizetype start = 0;
    while (start < text.size() && ((text[start] >= '0' && text[start] <= '9') || text[start] == ' '))
        ++start;
    return text.mid(start);
}

QString TrafficText::clockTime(const QDateTime &time)
{
    return time.toString(QStringLiteral("hh:mm:ss.zzz"));
}

QString TrafficText::fullTime(const QDateTime &time)
{
    if (!time.isValid())
        return QString();
    const int offset = time.offsetFromUtc();
    const int minutes = (offset < 0 ? -offset : offset) / 60;
    return time.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz "))
        + QStringLiteral("%1%2:%3")
              .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
              .arg(minutes / 60, 2, 10, QLatin1Char('0'))
              .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString TrafficText::roundTripMs(qint64 microseconds)
{
    if (microseconds < 0)
        return QString();
    return QString::number(double(microseconds) / 1000.0, 'f', 3);
}
