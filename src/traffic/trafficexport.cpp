#include "traffic/trafficexport.h"

#include "traffic/traffictext.h"

#include <QSaveFile>

QStringList TrafficExport::csvHeader()
{
    return { QStringLiteral("number"),      QStringLiteral("time"),      QStringLiteral("link"),
             QStringLiteral("verdict"),     QStringLiteral("round_trip_ms"), QStringLiteral("request"),
             QStringLiteral("reply"),       QStringLiteral("request_hex"), QStringLiteral("reply_hex"),
             QStringLiteral("detail") };
}

QStringList TrafficExport::csvFields(const TrafficRow &row)
{
    const ExchangeEvent &e = row.event;
    return { QString::number(row.number),
             TrafficText::fullTime(e.time),
             e.link,
             TrafficRow::outcomeName(row.outcome()),
             TrafficText::roundTripMs(e.roundTripUs),
             TrafficText::pictures(e.request),
             TrafficText::pictures(e.reply),
             TrafficText::hex(e.request),
             TrafficText::hex(e.reply),
             e.detail };
}

QString TrafficExport::csvField(const QString &text)
{
    QString field;
    field.reserve(text.size() + 2);
    bool quote = !text.isEmpty() && (text.front() == QLatin1Char(' ') || text.back() == QLatin1Char(' '));
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'"':
            field += QLatin1String("\"\"");
            quote = true;
            break;
        case u',':
        case u'\r':
        case u'\n':
        case u'\t':
            field += c;
            quote = true;
            break;
        default:
            // The other control characters as their pictures.
            if (c.unicode() < 0x20)
                field += QChar(char16_t(0x2400 + c.unicode()));
            else if (c.unicode() == 0x7F)
                field += QChar(char16_t(0x2421));
            else
                field += c;
        }
    }
    return quote ? QLatin1Char('"') + field + QLatin1Char('"') : field;
}

QByteArray TrafficExport::csv(const QList<TrafficRow> &rows)
{
    auto line = [](const QStringList &fields) {
        QString out;
        for (qsizetype i = 0; i < fields.size(); ++i) {
            if (i > 0)
                out += QLatin1Char(',');
            out += csvField(fields[i]);
        }
        out += QLatin1String("\r\n");
        return out.toUtf8();
    };
    QByteArray out("\xEF\xBB\xBF");
    out += line(csvHeader());
    for (const TrafficRow &row : rows)
        out += line(csvFields(row));
    return out;
}

QString TrafficExport::textLine(const ExchangeEvent &event)
{
    const QString roundTrip = TrafficText::roundTripMs(event.roundTripUs);
    const QStringList fields {
        TrafficText::fullTime(event.time),
        TrafficText::oneLine(event.link),
        TrafficRow::outcomeName(TrafficRow::outcomeOf(event)),
        roundTrip.isEmpty() ? roundTrip : roundTrip + QStringLiteral(" ms"),
        TrafficText::pictures(event.request),
        TrafficText::pictures(event.reply),
        TrafficText::oneLine(event.detail),
    };
    return fields.join(QLatin1Char('\t'));
}

QByteArray TrafficExport::text(const QList<TrafficRow> &rows)
{
    QByteArray out;
    for (const TrafficRow &row : rows) {
        out += textLine(row.event).toUtf8();
        out += '\n';
    }
    return out;
}

bool TrafficExport::save(const QString &path, const QByteArray &content, QString *why)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.commit())
        return true;
    if (why)
        *why = file.errorString();
    return false;
}
