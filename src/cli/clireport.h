#pragma once

#include <QJsonObject>
#include <QString>
#include <QTextStream>

// What one run of zu42cli tells: lines for a person on standard output and what went wrong on
// standard error, or with --json one object on standard output that always holds "command",
// "ok" and "exit", and "error" when it failed. A command says what it found once; the report
// decides how it is shown.
class CliReport
{
public:
    CliReport(QTextStream &out, QTextStream &err, bool json, const QString &command = QString());

    bool json() const { return m_json; }

    // A line for a person; nothing with --json.
    void say(const QString &line);
    // A remark on standard error that does not fail the run, shown also with --json.
    void warn(const QString &text);
    // Progress a person watches on standard error, as it is.
    void progress(const QString &text);
    // Out now, for a step a person watches.
    void flush();

    // A field of the JSON object, also what later steps of the run read back.
    void set(const QString &key, const QJsonValue &value);
    QJsonValue value(const QString &key) const { return m_object.value(key); }

    // Why the run failed; its status, for `return report.fail(...)`.
    int fail(int status, const QString &why);

    // The end of the run: the error and the JSON object written, everything flushed.
    int finish(int status);
    // Arguments that made no request: help or the version (status 0) as they are on standard
    // output, or bad usage on standard error, whose first line is the JSON's "error".
    int finishWithoutRequest(int status, const QString &text);

private:
    QTextStream &m_out;
    QTextStream &m_err;
    bool m_json;
    QJsonObject m_object;
    QString m_why;
};
