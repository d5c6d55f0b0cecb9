#include "site/sitereport.h"

#include "i18n/texttable.h"

#include <QFont>
#include <QFontMetrics>
#include <QMap>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <numeric>

namespace {

// A cell a spreadsheet takes as text: quoted where it holds a separator, and a leading quote
// mark where it would otherwise begin a formula.
QString csvField(QString text)
{
    if (!text.isEmpty() && QStringLiteral("=+-@\t\r").contains(text.front()) && !(text.front() == u'-' && text.size() > 1 && text[1].isDigit()))
        text.prepend(QLatin1Char('\''));
    const bool quote = text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) || text.contains(QLatin1Char('\n'))
        || text.contains(QLatin1Char('\r'));
    text.replace(QLatin1String("\""), QLatin1String("\"\""));
    return quote ? QLatin1Char('"') + text + QLatin1Char('"') : text;
}

QString localTime(const QDateTime &time)
{
    return time.toOffsetFromUtc(time.toLocalTime().offsetFromUtc()).toString(Qt::ISODate);
}

} // namespace

QStringList SiteReport::header(int language)
{
    QStringList cells;
    for (const int id : { TextTable::IdColumn, TextTable::SerialNumberColumn, TextTable::ModelColumn, TextTable::VersionColumn,
                          TextTable::ProfileColumn, TextTable::AtLastReadColumn, TextTable::ClockOffsetColumn,
                          TextTable::LastActionColumn, TextTable::ResultColumn, TextTable::ReplacedColumn })
        cells.append(TextTable::text(id, language));
    return cells;
}

QString SiteReport::profileText(const Site &site, const SiteUnit &unit, int language)
{
    if (site.profileName.isEmpty())
        return QString();
    switch (unit.profileState) {
    case SiteUnit::ProfileState::Matches:
        return TextTable::text(TextTable::ProfileMatches, language);
    case SiteUnit::ProfileState::Differs:
        return TextTable::text(TextTable::ProfileDiffers, language).arg(unit.differing);
    case SiteUnit::ProfileState::NotRead:
        break;
    }
    return TextTable::text(TextTable::ProfileNotRead, language);
}

QString SiteReport::failureText(SiteUnit::Failure failure, int language)
{
    using F = SiteUnit::Failure;
    static const QMap<F, int> ids { { F::Cancelled, TextTable::SiteFailCancelled },
                                    { F::NoAnswer, TextTable::SiteFailNoAnswer },
                                    { F::OtherUnit, TextTable::SiteFailOtherUnit },
                                    { F::NoProfile, TextTable::SiteFailNoProfile },
                                    { F::ProfileUnfit, TextTable::SiteFailProfileUnfit },
                                    { F::ReadFailed, TextTable::SiteFailReadFailed },
                                    { F::NotAcknowledged, TextTable::SiteFailNotAcknowledged },
                                    { F::NotTaken, TextTable::SiteFailNotTaken } };
    return ids.contains(failure) ? TextTable::text(ids.value(failure), language) : QString();
}

QString SiteReport::resultText(const SiteUnit &unit, int language)
{
    if (unit.failed)
        return TextTable::text(TextTable::MarkedFailed, language);
    if (unit.lastAction.isEmpty())
        return QString();
    if (unit.lastOk)
        return TextTable::text(TextTable::ResultOk, language);
    const QString kind = language == Language::English ? QString() : failureText(unit.lastFailure, language);
    return TextTable::text(TextTable::ResultFailed, language).arg(kind.isEmpty() ? unit.lastWhy : kind);
}

QString SiteReport::actionText(const QString &word, int language)
{
    static const QMap<QString, int> ids { { QStringLiteral("read"), TextTable::SiteReadButton },
                                          { QStringLiteral("apply"), TextTable::SiteApplyButton },
                                          { QStringLiteral("clock"), TextTable::JigStepSetClock },
                                          { QStringLiteral("reboot"), TextTable::SiteRebootButton },
                                          { QStringLiteral("address"), TextTable::SiteAddressButton },
                                          { QStringLiteral("replace"), TextTable::SiteReplaceButton } };
    return ids.contains(word) ? TextTable::text(ids.value(word), language) : word;
}

QList<QStringList> SiteReport::rows(const Site &site, int language)
{
    QList<QStringList> rows;
    for (const SiteUnit &unit : site.units) {
        QStringList replaced;
        for (const ReplacedUnit &r : unit.replaced)
            replaced.append(QStringLiteral("%1 (%2)").arg(QString::fromLatin1(r.serialNumber), r.replacedAt.date().toString(Qt::ISODate)));
        rows.append({ QString::fromLatin1(unit.id), QString::fromLatin1(unit.serialNumber), QString::fromLatin1(unit.model),
                      unit.version, site.profileName, profileText(site, unit, language),
                      unit.clockOffsetS ? QString::number(*unit.clockOffsetS) : QString(),
                      language == Language::English ? unit.lastAction : actionText(unit.lastAction, language),
                      resultText(unit, language), replaced.join(QStringLiteral("; ")) });
    }
    return rows;
}

QByteArray SiteReport::csv(const Site &site, const QDateTime &date, const QString &madeBy)
{
    QString out;
    const auto line = [&out](const QStringList &cells) {
        QStringList fields;
        for (const QString &cell : cells)
            fields.append(csvField(cell));
        out += fields.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    };
    line({ QStringLiteral("Site"), site.name });
    line({ QStringLiteral("Date"), localTime(date) });
    line({ QStringLiteral("Tool"), madeBy });
    line(header());
    for (const QStringList &row : rows(site))
        line(row);
    return out.toUtf8();
}

bool SiteReport::writeCsv(const QString &path, const Site &site, const QDateTime &date, const QString &madeBy, QString *why)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(csv(site, date, madeBy)) < 0 || !file.commit()) {
        if (why)
            *why = QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

void SiteReport::draw(QPainter &painter, QPaintDevice &device, const std::function<void()> &newPage, const Site &site,
                      const QDateTime &date, const QString &madeBy, int language, const QFont &font)
{
    const QRect page = painter.viewport();
    const int dpi = device.logicalDpiY();
    QFont title = font;
    title.setPointSizeF(16);
    title.setBold(true);
    QFont body = font;
    body.setPointSizeF(8);
    body.setBold(false);
    QFont bold = body;
    bold.setBold(true);

    // The columns' shares of the width, the result and version widest.
    const QList<int> shares { 4, 8, 6, 14, 10, 9, 7, 7, 22, 13 };
    const int total = std::accumulate(shares.cbegin(), shares.cend(), 0);
    QList<int> x { 0 };
    for (const int share : shares)
        x.append(x.last() + page.width() * share / total);

    int y = 0;
    const auto heading = [&] {
        painter.setFont(title);
        const int h = QFontMetrics(title, &device).height();
        painter.drawText(QRect(0, y, page.width(), h), Qt::AlignLeft | Qt::AlignVCenter,
                         TextTable::text(TextTable::SiteReportTitle, language).arg(site.name));
        y += h;
        painter.setFont(body);
        const int line = QFontMetrics(body, &device).height();
        painter.drawText(QRect(0, y, page.width(), line), Qt::AlignLeft | Qt::AlignVCenter,
                         TextTable::text(TextTable::SiteReportHeading, language)
                                 .arg(localTime(date), madeBy)
                                 .arg(site.units.size())
                             + (site.profileName.isEmpty() ? QString()
                                                           : TextTable::text(TextTable::SiteReportProfile, language).arg(site.profileName)));
        y += line * 2;
    };
    const auto tableRow = [&](const QStringList &cells, const QFont &font) {
        const QFontMetrics metrics(font, &device);
        int height = metrics.height();
        for (int c = 0; c < cells.size(); ++c)
            height = std::max(height, metrics.boundingRect(QRect(0, 0, x[c + 1] - x[c] - dpi / 25, 10000), Qt::TextWordWrap, cells[c]).height());
        height += dpi / 40;
        if (y + height > page.height()) {
            newPage();
            y = 0;
            heading();
        }
        painter.setFont(font);
        for (int c = 0; c < cells.size(); ++c)
            painter.drawText(QRect(x[c], y, x[c + 1] - x[c] - dpi / 25, height), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, cells[c]);
        y += height;
        painter.drawLine(0, y - dpi / 80, page.width(), y - dpi / 80);
    };
    heading();
    tableRow(header(language), bold);
    for (const QStringList &row : rows(site, language))
        tableRow(row, body);
}

bool SiteReport::writePdf(const QString &path, const Site &site, const QDateTime &date, const QString &madeBy, QString *why,
                          int language, const QFont &font)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (why)
            *why = QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    {
        QPdfWriter pdf(&file);
        pdf.setTitle(TextTable::text(TextTable::SiteReportTitle, language).arg(site.name));
        pdf.setCreator(madeBy);
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter));
        pdf.setResolution(300);
        QPainter painter(&pdf);
        draw(painter, pdf, [&pdf] { pdf.newPage(); }, site, date, madeBy, language, font);
    }
    if (!file.commit()) {
        if (why)
            *why = QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}
