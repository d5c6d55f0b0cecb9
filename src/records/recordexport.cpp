#include "records/recordexport.h"

#include "records/recordstore.h"

#include <QDir>
#include <QJsonDocument>
#include <QSaveFile>

namespace {

bool fail(QString *why, const QString &text)
{
    if (why)
        *why = text;
    return false;
}

QString csvField(const QString &text)
{
    QString field;
    field.reserve(text.size() + 2);
    bool quote = !text.isEmpty() && (text.front().isSpace() || text.back().isSpace());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == ',' || u == '"' || u == '\t' || u == '\r' || u == '\n')
            quote = true;
        if (u == '"')
            field += QLatin1String("\"\"");
        else if (u < 0x20 && u != '\t' && u != '\r' && u != '\n')
            field += QChar(char16_t(0x2400 + u));
        else if (u == 0x7F)
            field += QChar(char16_t(0x2421));
        else
            field += c;
    }
    return quote ? QLatin1Char('"') + field + QLatin1Char('"') : field;
}

// A text a person or a controller wrote: a spreadsheet takes a cell that begins with = + - @ (or
// a tab or line end before them) for a formula and runs it. The apostrophe in front is the
// spreadsheets' own mark for "this is text"; it is shown by none of them and runs nothing.
QString textCell(const QString &text)
{
    static const QString formulaStarts = QStringLiteral("=+-@\t\r\n");
    return !text.isEmpty() && formulaStarts.contains(text.front()) ? QLatin1Char('\'') + text : text;
}

QString localTime(const QDateTime &time)
{
    // A local time with its offset, so the text still says which moment it is when read elsewhere.
    return time.toOffsetFromUtc(time.toLocalTime().offsetFromUtc()).toString(Qt::ISODateWithMs);
}

void appendRow(QString &out, const QStringList &fields)
{
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i)
            out += QLatin1Char(',');
        out += csvField(fields[i]);
    }
    out += QLatin1String("\r\n");
}

} // namespace

QStringList RecordExport::csvHeader()
{
    return { QStringLiteral("record_id"), QStringLiteral("serial_number"), QStringLiteral("controller_id"),
             QStringLiteral("model"), QStringLiteral("version"), QStringLiteral("station"), QStringLiteral("operator"),
             QStringLiteral("start"), QStringLiteral("end"), QStringLiteral("jig_map"), QStringLiteral("verdict"),
             QStringLiteral("engineering"), QStringLiteral("step"), QStringLiteral("step_name"), QStringLiteral("expected"), QStringLiteral("measured"),
             QStringLiteral("step_result"), QStringLiteral("reason") };
}

QByteArray RecordExport::csv(const QList<UnitRecord> &records)
{
    QString out;
    appendRow(out, csvHeader());
    for (const UnitRecord &r : records) {
        const QStringList unit{ r.recordId.toString(QUuid::WithoutBraces), textCell(r.serialNumber), textCell(r.controllerId),
                                textCell(r.model), textCell(r.version), textCell(r.station), textCell(r.operatorName),
                                localTime(r.start), localTime(r.end), textCell(r.jigMapName), UnitRecord::verdictText(r.verdict),
                                r.engineering ? QStringLiteral("yes") : QStringLiteral("no") };
        if (r.steps.isEmpty())
            appendRow(out, unit + QStringList{ {}, {}, {}, {}, {}, {} });
        for (const StepRecord &s : r.steps) {
            appendRow(out, unit + QStringList{ QString::number(s.index), textCell(s.name), textCell(s.expected), textCell(s.measured),
                                               s.passed ? QStringLiteral("PASS") : QStringLiteral("FAIL"), textCell(s.why) });
        }
    }
    return QByteArray("\xEF\xBB\xBF") + out.toUtf8();
}

bool RecordExport::writeCsv(const QList<UnitRecord> &records, const QString &path, QString *why)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(csv(records)) < 0 || !file.commit())
        return fail(why, QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    return true;
}

QString RecordExport::jsonFileName(const UnitRecord &record)
{
    QString serial = record.serialNumber.left(40);
    for (QChar &c : serial) {
        const char16_t u = c.unicode();
        const bool plain = (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '-' || u == '.';
        if (!plain)
            c = QLatin1Char('_');
    }
    return QStringLiteral("%1_%2_%3.json")
        .arg(record.start.toLocalTime().toString(QStringLiteral("yyyyMMdd-HHmmss")), serial,
             record.recordId.toString(QUuid::WithoutBraces));
}

bool RecordExport::writeJsonFiles(const QList<UnitRecord> &records, const QString &folder, QString *why)
{
    if (!QDir().mkpath(folder))
        return fail(why, QStringLiteral("cannot make the folder %1").arg(folder));
    const QDir dir(folder);
    for (const UnitRecord &record : records) {
        QSaveFile file(dir.filePath(jsonFileName(record)));
        if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(record.toJson()).toJson(QJsonDocument::Indented)) < 0
            || !file.commit()) {
            return fail(why, QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString()));
        }
    }
    return true;
}

bool RecordExport::exportRange(RecordStore &store, const QDateTime &from, const QDateTime &to, const QString &csvPath,
                               const QString &jsonFolder, QString *why)
{
    const std::optional<QList<UnitRecord>> records = store.unitsBetween(from, to);
    if (!records)
        return fail(why, store.why());
    if (!csvPath.isEmpty() && !writeCsv(*records, csvPath, why))
        return false;
    return jsonFolder.isEmpty() || writeJsonFiles(*records, jsonFolder, why);
}
