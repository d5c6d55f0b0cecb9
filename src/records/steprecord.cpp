#include "records/steprecord.h"

#include "records/jsonfields.h"

QJsonObject StepRecord::toJson() const
{
    return QJsonObject{
        { QStringLiteral("index"), index },
        { QStringLiteral("name"), name },
        { QStringLiteral("expected"), expected },
        { QStringLiteral("measured"), measured },
        { QStringLiteral("passed"), passed },
        { QStringLiteral("reason"), why },
    };
}

std::optional<StepRecord> StepRecord::fromJson(const QJsonObject &object, const QString &place, QString *why)
{
    StepRecord step;
    JsonFields fields(object, place);
    if (fields.integer("index", &step.index) && fields.text("name", &step.name)
        && fields.text("expected", &step.expected) && fields.text("measured", &step.measured)
        && fields.boolean("passed", &step.passed) && fields.text("reason", &step.why)) {
        return step;
    }
    if (why)
        *why = fields.why();
    return std::nullopt;
}
