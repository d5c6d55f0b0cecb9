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

void appendDigits(QString &text, int value, int width)
{
    const qsizetype at = text.size();
    text.resize(at + width);
    for (qsizetype i = at + width - 1; i >= at; --i) {
        text[i] = QLatin1Char(char('0' + value % 10));
        value /= 10;
    }
}

// "hh:mm:ss.zzz"
void appendClock(QString &text, const QTime &clock)
{
    appendDigits(text, clock.hour(), 2);
    text += QLatin1Char(':');
    appendDigits(text, clock.minute(), 2);
    text += QLatin1Char(':');
    appendDigits(text, clock.second(), 2);
    text += QLatin1Char('.');
    appendDigits(text, clock.msec(), 3);
}

// "+01:00", "-03:30"
QString offsetText(int seconds)
{
    QString text(seconds < 0 ? QLatin1Char('-') : QLatin1Char('+'));
    const int minutes = (seconds < 0 ? -seconds : seconds) / 60;
    appendDigits(text, minutes / 60, 2);
    text += QLatin1Char(':');
    appendDigits(text, minutes % 60, 2);
    return text;
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

// The times are written digit by digit: QDateTime::toString reads its format anew at every
// call, and the log and the table write a time for every exchange.
QString TrafficText::clockTime(const QDateTime &time)
{
    if (!time.isValid())
        return QString();
    QString text;
    appendClock(text, time.time());
    return text;
}

QString TrafficText::fullTime(const QDateTime &time)
{
    if (!time.isValid())
        return QString();
    const QDate date = time.date();
    if (date.year() < 1000 || date.year() > 9999)
        return time.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz ")) + offsetText(time.offsetFromUtc());
    QString text;
    text.reserve(30);
    appendDigits(text, date.year(), 4);
    text += QLatin1Char('-');
    appendDigits(text, date.month(), 2);
    text += QLatin1Char('-');
    appendDigits(text, date.day(), 2);
    text += QLatin1Char(' ');
    appendClock(text, time.time());
    text += QLatin1Char(' ');
    text += offsetText(time.offsetFromUtc());
    return text;
}

QString TrafficText::roundTripMs(qint64 microseconds)
{
    if (microseconds < 0)
        return QString();
    // The milliseconds with three decimals, from the whole microseconds: exact, where the
    // conversion of a double is slow.
    QString text = QString::number(microseconds / 1000);
    text += QLatin1Char('.');
    appendDigits(text, int(microseconds % 1000), 3);
    return text;
}
