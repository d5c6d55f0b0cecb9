#include "records/recordfilter.h"

#include <QDateTime>
#include <QStringList>

namespace {

qint64 dayStartMs(const QDate &day)
{
    return QDateTime(day, QTime(0, 0)).toMSecsSinceEpoch();
}

// LIKE takes % and _ as wildcards; a serial number holding them means them as they are.
QString likePrefix(const QString &prefix)
{
    QString escaped;
    for (const QChar c : prefix) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('%') || c == QLatin1Char('_'))
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    return escaped + QLatin1Char('%');
}

} // namespace

QString RecordFilter::whyInvalid() const
{
    if (!from.isValid() || !to.isValid())
        return QStringLiteral("the range wants a first and a last day");
    if (to < from)
        return QStringLiteral("the last day %1 is before the first %2").arg(to.toString(Qt::ISODate), from.toString(Qt::ISODate));
    return QString();
}

qint64 RecordFilter::fromMs() const
{
    return dayStartMs(from);
}

qint64 RecordFilter::toMs() const
{
    return dayStartMs(to.addDays(1));
}

QString RecordFilter::whereAnyVerdict(QVariantList *values) const
{
    QStringList conditions{ QStringLiteral("u.start_ms >= ?"), QStringLiteral("u.start_ms < ?") };
    *values << fromMs() << toMs();
    if (!withEngineering)
        conditions << QStringLiteral("u.engineering = 0");
    if (!station.isEmpty()) {
        conditions << QStringLiteral("u.station = ?");
        *values << station;
    }
    if (!operatorName.isEmpty()) {
        conditions << QStringLiteral("u.operator_name = ?");
        *values << operatorName;
    }
    if (!serialPrefix.isEmpty()) {
        conditions << QStringLiteral("u.serial_number LIKE ? ESCAPE '\\'");
        *values << likePrefix(serialPrefix);
    }
    return conditions.join(QLatin1String(" AND "));
}

QString RecordFilter::where(QVariantList *values) const
{
    QString condition = whereAnyVerdict(values);
    if (verdict) {
        condition += QStringLiteral(" AND u.verdict = ?");
        *values << UnitRecord::verdictText(*verdict);
    }
    return condition;
}
