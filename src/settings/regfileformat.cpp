#include "settings/regfileformat.h"

#include <QStringDecoder>
#include <QStringList>

#include <algorithm>

namespace {

const QLatin1StringView magic("REGEDIT4");
const QLatin1StringView dwordPrefix("dword:");
const QLatin1StringView expandPrefix("hex(2):");

std::optional<QString> decodeUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// A quoted text starting at text[pos] == '"', with \\ and \" as its only escapes. On success
// pos is left after the closing quote.
std::optional<QString> takeQuoted(const QString &text, qsizetype &pos)
{
    if (pos >= text.size() || text[pos] != u'"')
        return std::nullopt;
    QString out;
    for (qsizetype i = pos + 1; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'"') {
            pos = i + 1;
            return out;
        }
        if (c == u'\\') {
            if (i + 1 >= text.size() || (text[i + 1] != u'\\' && text[i + 1] != u'"'))
                return std::nullopt;
            out += text[++i];
        } else {
            out += c;
        }
    }
    return std::nullopt;
}

QString quoted(const QString &text)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c == u'\\' || c == u'"')
            out += u'\\';
        out += c;
    }
    out += u'"';
    return out;
}

std::optional<quint32> parseDword(QStringView digits)
{
    if (digits.isEmpty() || digits.size() > 8)
        return std::nullopt;
    for (const QChar c : digits)
        if (!isHexDigit(c))
            return std::nullopt;
    bool ok = false;
    const quint32 value = digits.toUInt(&ok, 16);
    if (!ok)
        return std::nullopt;
    return value;
}

std::optional<QString> parseExpandString(QStringView data)
{
    QByteArray bytes;
    const QString list = data.toString().simplified().remove(u' ');
    if (!list.isEmpty()) {
        for (const QString &item : list.split(u',')) {
            if (item.size() != 2 || !isHexDigit(item[0]) || !isHexDigit(item[1]))
                return std::nullopt;
            bytes.append(char(item.toUInt(nullptr, 16)));
        }
    }
    // The text ends at its terminating zero; the registry does not insist on one.
    const qsizetype end = bytes.indexOf('\0');
    if (end >= 0)
        bytes.truncate(end);
    return decodeUtf8(bytes);
}

RegFileFormat::Value parseData(const QString &name, const QString &data)
{
    RegFileFormat::Value value;
    value.name = name;
    value.rawData = data;
    if (data.startsWith(dwordPrefix, Qt::CaseInsensitive)) {
        if (const auto number = parseDword(QStringView(data).mid(dwordPrefix.size()))) {
            value.type = SettingsKey::ValueType::Dword;
            value.dword = *number;
        }
    } else if (data.startsWith(u'"')) {
        qsizetype pos = 0;
        const auto text = takeQuoted(data, pos);
        if (text && pos == data.size()) {
            value.type = SettingsKey::ValueType::String;
            value.text = *text;
        }
    } else if (data.startsWith(expandPrefix, Qt::CaseInsensitive)) {
        if (const auto text = parseExpandString(QStringView(data).mid(expandPrefix.size()))) {
            value.type = SettingsKey::ValueType::ExpandString;
            value.text = *text;
        }
    }
    return value;
}

// Joins hex data continued with a trailing backslash, drops blank and comment lines and
// trailing blanks.
QStringList logicalLines(const QString &text)
{
    QStringList out;
    QString pending;
    bool continuing = false;
    for (QString line : text.split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        while (!line.isEmpty() && line.back().isSpace())
            line.chop(1);
        if (continuing) {
            pending += line.trimmed();
        } else {
            const QString trimmed = line.trimmed();
            if (trimmed.isEmpty() || trimmed.startsWith(u';'))
                continue;
            pending = line;
        }
        // regedit breaks long hex lists after a comma (or right after "hex(2):").
        continuing = (pending.startsWith(u'"') || pending.startsWith(u'@'))
                     && (pending.endsWith(QLatin1StringView(",\\"))
                         || pending.endsWith(QLatin1StringView(":\\")));
        if (continuing) {
            pending.chop(1);
            continue;
        }
        out.append(pending);
    }
    if (continuing)
        out.append(pending);
    return out;
}

} // namespace

QString RegFileFormat::keyPath()
{
    return QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\ZOVUR\\RO420DA_Tools");
}

std::optional<QList<RegFileFormat::Value>> RegFileFormat::parse(const QByteArray &bytes)
{
    if (bytes.size() > MaxFileSize)
        return std::nullopt;
    QByteArray body = bytes;
    if (body.startsWith("\xEF\xBB\xBF"))
        body.remove(0, 3);
    const auto text = decodeUtf8(body);
    if (!text || text->contains(QChar(0)))
        return std::nullopt;

    const QStringList lines = logicalLines(*text);
    if (lines.size() < 2 || lines[0] != magic)
        return std::nullopt;
    const QString section = QLatin1Char('[') + keyPath() + QLatin1Char(']');
    if (lines[1].compare(section, Qt::CaseInsensitive) != 0)
        return std::nullopt;

    QList<Value> values;
    for (qsizetype i = 2; i < lines.size(); ++i) {
        const QString &line = lines[i];
        QString name;
        qsizetype pos = 0;
        if (line.startsWith(u'@')) {
            pos = 1;
        } else {
            const auto quotedName = takeQuoted(line, pos);
            if (!quotedName)
                return std::nullopt;
            name = *quotedName;
        }
        while (pos < line.size() && line[pos].isSpace())
            ++pos;
        if (pos >= line.size() || line[pos] != u'=')
            return std::nullopt;
        const Value value = parseData(name, line.mid(pos + 1).trimmed());

        auto same = std::find_if(values.begin(), values.end(), [&](const Value &v) {
            return v.name.compare(name, Qt::CaseInsensitive) == 0;
        });
        if (same != values.end())
            *same = value;
        else
            values.append(value);
    }
    return values;
}

QByteArray RegFileFormat::format(const QList<Value> &values)
{
    QString out = magic + QStringLiteral("\n\n[") + keyPath() + QStringLiteral("]\n");
    for (const Value &value : values) {
        out += value.name.isEmpty() ? QStringLiteral("@") : quoted(value.name);
        out += u'=';
        switch (value.type) {
        case SettingsKey::ValueType::Dword:
            out += dwordPrefix + QStringLiteral("%1").arg(value.dword, 8, 16, QLatin1Char('0'));
            break;
        case SettingsKey::ValueType::String:
            out += quoted(value.text);
            break;
        case SettingsKey::ValueType::ExpandString: {
            QStringList bytes;
            for (const char b : value.text.toUtf8() + '\0')
                bytes.append(QStringLiteral("%1").arg(uchar(b), 2, 16, QLatin1Char('0')));
            out += expandPrefix + bytes.join(u',');
            break;
        }
        case SettingsKey::ValueType::Other:
        case SettingsKey::ValueType::Absent:
            out += value.rawData;
            break;
        }
        out += u'\n';
    }
    out += u'\n';
    return out.toUtf8();
}

bool RegFileFormat::canStore(const QString &text)
{
    return !text.contains(u'\n') && !text.contains(u'\r') && !text.contains(QChar(0));
}
