#include "records/unitrecord.h"

#include "records/jsonfields.h"

#include <QJsonArray>

namespace {

QString storable(QString text)
{
    text.replace(QChar(0), QChar(0x2400));
    if (text.size() > UnitRecord::MaxTextLength)
        text = text.left(UnitRecord::MaxTextLength - 1) + QChar(0x2026);
    return text;
}

QString textError(const QString &name, const QString &text)
{
    if (text.size() > UnitRecord::MaxTextLength)
        return QStringLiteral("%1 is longer than %2 characters").arg(name).arg(UnitRecord::MaxTextLength);
    // PostgreSQL's text cannot hold a NUL; a record that one store takes must fit the other.
    if (text.contains(QChar(0)))
        return QStringLiteral("%1 holds a NUL character").arg(name);
    return {};
}

QString timeError(const QString &name, const QDateTime &time)
{
    if (!time.isValid())
        return QStringLiteral("%1 is not a valid time").arg(name);
    // Four-digit years keep the stored texts sorting as times.
    const int year = time.toUTC().date().year();
    if (year < 1970 || year > 9999)
        return QStringLiteral("%1 is in the year %2").arg(name).arg(year);
    return {};
}

} // namespace

void UnitRecord::finish(const QDateTime &endTime, bool linkLost)
{
    recordId = QUuid::createUuid();
    end = endTime.toUTC();
    start = start.toUTC();
    bool allPassed = !steps.isEmpty();
    for (qsizetype i = 0; i < steps.size(); ++i) {
        StepRecord &step = steps[i];
        step.index = int(i + 1);
        allPassed = allPassed && step.passed;
        for (QString *text : { &step.name, &step.expected, &step.measured, &step.why })
            *text = storable(*text);
    }
    verdict = allPassed ? Verdict::Pass : linkLost ? Verdict::Error : Verdict::Fail;
    for (QString *text : { &serialNumber, &controllerId, &model, &version, &station, &operatorName, &jigMapName })
        *text = storable(*text);
}

QString UnitRecord::whyInvalid() const
{
    if (recordId.isNull())
        return QStringLiteral("recordId is not set");
    if (serialNumber.trimmed().isEmpty())
        return QStringLiteral("serialNumber is empty");
    const std::pair<const char *, const QString *> texts[] = {
        { "serialNumber", &serialNumber }, { "controllerId", &controllerId }, { "model", &model },
        { "version", &version }, { "station", &station }, { "operator", &operatorName }, { "jigMap", &jigMapName },
    };
    for (const auto &[name, text] : texts) {
        if (QString why = textError(QLatin1String(name), *text); !why.isEmpty())
            return why;
    }
    if (QString why = timeError(QStringLiteral("start"), start); !why.isEmpty())
        return why;
    if (QString why = timeError(QStringLiteral("end"), end); !why.isEmpty())
        return why;
    if (end < start)
        return QStringLiteral("end is before start");

    bool allPassed = !steps.isEmpty();
    for (qsizetype i = 0; i < steps.size(); ++i) {
        const StepRecord &step = steps[i];
        const QString place = QStringLiteral("steps[%1]").arg(i);
        if (step.index != i + 1)
            return QStringLiteral("%1.index is %2; steps are numbered 1, 2, ... in order").arg(place).arg(step.index);
        const std::pair<const char *, const QString *> stepTexts[] = {
            { "name", &step.name }, { "expected", &step.expected }, { "measured", &step.measured }, { "reason", &step.why },
        };
        for (const auto &[name, text] : stepTexts) {
            if (QString why = textError(place + QLatin1Char('.') + QLatin1String(name), *text); !why.isEmpty())
                return why;
        }
        allPassed = allPassed && step.passed;
    }
    if (verdict == Verdict::Pass && !allPassed)
        return steps.isEmpty() ? QStringLiteral("verdict is PASS without any step")
                               : QStringLiteral("verdict is PASS but a step failed");
    if (verdict != Verdict::Pass && allPassed)
        return QStringLiteral("verdict is %1 but every step passed").arg(verdictText(verdict));
    return {};
}

QJsonObject UnitRecord::toJson() const
{
    QJsonArray stepArray;
    for (const StepRecord &step : steps)
        stepArray.append(step.toJson());
    return QJsonObject{
        { QStringLiteral("format"), FormatVersion },
        { QStringLiteral("recordId"), recordId.toString(QUuid::WithoutBraces) },
        { QStringLiteral("serialNumber"), serialNumber },
        { QStringLiteral("controllerId"), controllerId },
        { QStringLiteral("model"), model },
        { QStringLiteral("version"), version },
        { QStringLiteral("station"), station },
        { QStringLiteral("operator"), operatorName },
        { QStringLiteral("start"), utcText(start) },
        { QStringLiteral("end"), utcText(end) },
        { QStringLiteral("jigMap"), jigMapName },
        { QStringLiteral("verdict"), verdictText(verdict) },
        { QStringLiteral("engineering"), engineering },
        { QStringLiteral("steps"), stepArray },
    };
}

std::optional<UnitRecord> UnitRecord::fromJson(const QJsonObject &object, QString *why)
{
    auto refuse = [why](const QString &text) {
        if (why)
            *why = text;
        return std::nullopt;
    };

    JsonFields fields(object, QString());
    int format = 0;
    if (!fields.integer("format", &format))
        return refuse(fields.why());
    if (format < 1 || format > FormatVersion)
        return refuse(QStringLiteral("format %1 is not a record format this program reads (1 to %2)").arg(format).arg(FormatVersion));

    UnitRecord record;
    QString id, start, end, verdict;
    if (!(fields.text("recordId", &id) && fields.text("serialNumber", &record.serialNumber)
          && fields.text("controllerId", &record.controllerId) && fields.text("model", &record.model)
          && fields.text("version", &record.version) && fields.text("station", &record.station)
          && fields.text("operator", &record.operatorName) && fields.text("start", &start)
          && fields.text("end", &end) && fields.text("jigMap", &record.jigMapName)
          && fields.text("verdict", &verdict))) {
        return refuse(fields.why());
    }
    if (format >= 2 && !fields.boolean("engineering", &record.engineering))
        return refuse(fields.why());
    record.recordId = QUuid::fromString(id);
    if (record.recordId.isNull())
        return refuse(QStringLiteral("recordId \"%1\" is not a UUID").arg(id.left(40)));
    const std::optional<QDateTime> startTime = timeFromText(start);
    const std::optional<QDateTime> endTime = timeFromText(end);
    if (!startTime || !endTime)
        return refuse(QStringLiteral("%1 \"%2\" is not a time with its zone, such as 2024-03-15T14:25:30.000Z")
                          .arg(startTime ? QStringLiteral("end") : QStringLiteral("start"), (startTime ? end : start).left(40)));
    record.start = *startTime;
    record.end = *endTime;
    const std::optional<Verdict> v = verdictFromText(verdict);
    if (!v)
        return refuse(QStringLiteral("verdict \"%1\" is not PASS, FAIL or ERROR").arg(verdict.left(40)));
    // ERROR came with format 2.
    if (*v == Verdict::Error && format < 2)
        return refuse(QStringLiteral("verdict ERROR in a record of format 1"));
    record.verdict = *v;

    const QJsonValue stepsValue = object.value(QLatin1String("steps"));
    if (!stepsValue.isArray())
        return refuse(stepsValue.isUndefined() ? QStringLiteral("steps is missing") : QStringLiteral("steps is not a list"));
    const QJsonArray stepArray = stepsValue.toArray();
    for (qsizetype i = 0; i < stepArray.size(); ++i) {
        const QString place = QStringLiteral("steps[%1]").arg(i);
        if (!stepArray[i].isObject())
            return refuse(QStringLiteral("%1 is not an object").arg(place));
        QString why;
        const std::optional<StepRecord> step = StepRecord::fromJson(stepArray[i].toObject(), place, &why);
        if (!step)
            return refuse(why);
        record.steps.append(*step);
    }

    if (QString why = record.whyInvalid(); !why.isEmpty())
        return refuse(why);
    return record;
}

QString UnitRecord::verdictText(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Pass:
        return QStringLiteral("PASS");
    case Verdict::Fail:
        break;
    case Verdict::Error:
        return QStringLiteral("ERROR");
    }
    return QStringLiteral("FAIL");
}

std::optional<UnitRecord::Verdict> UnitRecord::verdictFromText(const QString &text)
{
    if (text == QLatin1String("PASS"))
        return Verdict::Pass;
    if (text == QLatin1String("FAIL"))
        return Verdict::Fail;
    if (text == QLatin1String("ERROR"))
        return Verdict::Error;
    return std::nullopt;
}

QString UnitRecord::utcText(const QDateTime &time)
{
    return time.toUTC().toString(Qt::ISODateWithMs);
}

std::optional<QDateTime> UnitRecord::timeFromText(const QString &text)
{
    const QDateTime time = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!time.isValid() || time.timeSpec() == Qt::LocalTime)
        return std::nullopt;
    return time.toUTC();
}
