#pragma once

#include <QJsonObject>
#include <QString>

// Reads the fields of one JSON object of a record and remembers the first that is missing or of
// the wrong kind, named with its place ("steps[2].measured"), so that a damaged record is
// refused with a reason a person can follow.
class JsonFields
{
public:
    JsonFields(const QJsonObject &object, const QString &place);

    // Each reads one field into *out and returns false, leaving why() set, when it is missing
    // or of another kind.
    bool text(const char *key, QString *out);
    bool boolean(const char *key, bool *out);
    bool integer(const char *key, int *out);

    bool fail(const QString &why);
    QString name(const char *key) const;
    QString why() const { return m_why; }

private:
    const QJsonObject &m_object;
    QString m_place;
    QString m_why;
};
