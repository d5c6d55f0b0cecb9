#include "site/sitereport.h"

#include <QFont>
#include <QFontMetrics>
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

QString profileText(const Site &site, const SiteUnit &unit)
{
    if (site.profileName.isEmpty())
        return QString();
    switch (unit.profileState) {
    case SiteUnit::ProfileState::Matches:
        return QStringLiteral("matches");
    case SiteUnit::ProfileState::Differs:
        return QStringLiteral("%1 values differ").arg(unit.differing);
    case SiteUnit::ProfileState::NotRead:
        break;
    }
    return QStringLiteral("not read");
}

QString localTime(const QDateTime &time)
{
    return time.toOffsetFromUtc(time.toLocalTime().offsetFromUtc()).toString(Qt::ISODate);
}

} // namespace

QStringList SiteReport::header()
{
    return { QStringLiteral("ID"), QStringLiteral("Serial number"), QStringLiteral("Model"), QStringLiteral("Version"),
             QStringLiteral("Profile"), QStringLiteral("At the last read"), QStringLiteral("Clock offset (s)"),
             QStringLiteral("Last action"), QStringLiteral("Result"), QStringLiteral("Replaced") };
}

QList<QStringList> SiteReport::rows(const Site &site)
{
    QList<QStringList> rows;
    for (const SiteUnit &unit : site.units) {
        QStringList replaced;
        for (const ReplacedUnit &r : unit.replaced)
            replaced.append(QStringLiteral("%1 (%2)").arg(QString::fromLatin1(r.serialNumber), r.replacedAt.date().toString(Qt::ISODate)));
        QString result;
        if (unit.failed)
            result = QStringLiteral("marked failed");
        else if (!unit.lastAction.isEmpty())
            result = unit.lastOk ? QStringLiteral("ok") : QStringLiteral("failed: ") + unit.lastWhy;
        rows.append({ QString::fromLatin1(unit.id), QString::fromLatin1(unit.serialNumber), QString::fromLatin1(unit.model),
                      unit.version, site.profileName, profileText(site, unit),
                      unit.clockOffsetS ? QString::number(*unit.clockOffsetS) : QString(), unit.lastAction, result,
                      replaced.join(QStringLiteral("; ")) });
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
                      const QDateTime &date, const QString &madeBy)
{
    const QRect page = painter.viewport();
    const int dpi = device.logicalDpiY();
    QFont title(QStringLiteral("Sans"));
    title.setPointSizeF(16);
    title.setBold(true);
    QFont body(QStringLiteral("Sans"));
    body.setPointSizeF(8);
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
        painter.drawText(QRect(0, y, page.width(), h), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Handover report: %1").arg(site.name));
        y += h;
        painter.setFont(body);
        const int line = QFontMetrics(body, &device).height();
        painter.drawText(QRect(0, y, page.width(), line), Qt::AlignLeft | Qt::AlignVCenter,
                         QStringLiteral("Date: %1    Tool: %2    Controllers: %3%4")
                             .arg(localTime(date), madeBy)
                             .arg(site.units.size())
                             .arg(site.profileName.isEmpty() ? QString() : QStringLiteral("    Profile: ") + site.profileName));
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
    tableRow(header(), bold);
    for (const QStringList &row : rows(site))
        tableRow(row, body);
}

bool SiteReport::writePdf(const QString &path, const Site &site, const QDateTime &date, const QString &madeBy, QString *why)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (why)
            *why = QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    {
        QPdfWriter pdf(&file);
        pdf.setTitle(QStringLiteral("Handover report: %1").arg(site.name));
        pdf.setCreator(madeBy);
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter));
        pdf.setResolution(300);
        QPainter painter(&pdf);
        draw(painter, pdf, [&pdf] { pdf.newPage(); }, site, date, madeBy);
    }
    if (!file.commit()) {
        if (why)
            *why = QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}
