#include "reports/certificatepdf.h"

#include "i18n/texttable.h"

#include <QBuffer>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

namespace {

QString localTime(const QDateTime &time)
{
    return time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

int verdictId(UnitRecord::Verdict verdict)
{
    switch (verdict) {
    case UnitRecord::Verdict::Pass:
        return TextTable::JigPass;
    case UnitRecord::Verdict::Fail:
        break;
    case UnitRecord::Verdict::Error:
        return TextTable::JigError;
    }
    return TextTable::JigFail;
}

} // namespace

void CertificatePdf::paint(QPainter &painter, const QRectF &page, const UnitRecord &record, int language, const QString &toolName,
                           const QFont &font)
{
    auto text = [language](int id) { return TextTable::text(id, language); };
    painter.save();
    painter.translate(page.topLeft());
    const double width = page.width();
    QFont body = font;
    body.setPointSizeF(10);
    QFont title = body;
    title.setPointSizeF(20);
    title.setBold(true);
    QFont big = body;
    big.setPointSizeF(40);
    big.setBold(true);

    double y = 0;
    painter.setFont(title);
    const double titleHeight = QFontMetricsF(title, painter.device()).height();
    painter.drawText(QRectF(0, y, width, titleHeight), Qt::AlignLeft | Qt::AlignVCenter, text(TextTable::CertificateTitle));
    y += titleHeight * 1.3;

    // Who the unit is and how it was tested, beside the verdict in a box.
    painter.setFont(body);
    const double line = QFontMetricsF(body, painter.device()).height() * 1.35;
    const QList<std::pair<int, QString>> fields{
        { TextTable::CertificateSerial, record.serialNumber },
        { TextTable::CertificateModel, record.model },
        { TextTable::CertificateVersion, record.version },
        { TextTable::CertificateId, record.controllerId },
        { TextTable::JigStationLabel, record.station },
        { TextTable::JigOperatorLabel, record.operatorName },
        { TextTable::CertificateStartEnd, QStringLiteral("%1 – %2").arg(localTime(record.start), localTime(record.end)) },
        { TextTable::JigMapLabel, record.jigMapName },
        { TextTable::CertificateTool, toolName },
        { TextTable::CertificateRecord, record.recordId.toString(QUuid::WithoutBraces) },
    };
    const double labelWidth = width * 0.2;
    const double fieldsWidth = width * 0.62;
    for (const auto &[id, value] : fields) {
        painter.drawText(QRectF(0, y, labelWidth, line), Qt::AlignLeft | Qt::AlignVCenter, text(id));
        painter.drawText(QRectF(labelWidth, y, fieldsWidth - labelWidth, line), Qt::AlignLeft | Qt::AlignVCenter,
                         QFontMetricsF(body, painter.device()).elidedText(value, Qt::ElideRight, fieldsWidth - labelWidth));
        y += line;
    }
    const QRectF verdictBox(fieldsWidth + width * 0.03, titleHeight * 1.3, width - fieldsWidth - width * 0.03, line * 5);
    painter.setPen(QPen(Qt::black, 6));
    painter.drawRect(verdictBox);
    painter.setFont(big);
    painter.drawText(verdictBox, Qt::AlignCenter, text(verdictId(record.verdict)));
    painter.setPen(Qt::black);
    painter.setFont(body);
    if (record.engineering)
        painter.drawText(QRectF(verdictBox.left(), verdictBox.bottom(), verdictBox.width(), line * 2), Qt::AlignCenter | Qt::TextWordWrap,
                         text(TextTable::CertificateEngineering));
    y += line;

    // The steps as a table: step, expected, measured, result.
    const double columns[] = { 0, width * 0.22, width * 0.52, width * 0.86, width };
    const int headers[] = { TextTable::JigStepColumn, TextTable::JigExpectedColumn, TextTable::JigMeasuredColumn, TextTable::JigResultColumn };
    QFont bold = body;
    bold.setBold(true);
    painter.setFont(bold);
    for (int c = 0; c < 4; ++c)
        painter.drawText(QRectF(columns[c] + 8, y, columns[c + 1] - columns[c] - 16, line), Qt::AlignLeft | Qt::AlignVCenter, text(headers[c]));
    y += line;
    painter.drawLine(QPointF(0, y), QPointF(width, y));
    painter.setFont(body);
    const QFontMetricsF metrics(body, painter.device());
    for (const StepRecord &step : record.steps) {
        if (y + line > page.height())
            break;
        const QString cells[] = { step.name, step.expected, step.measured,
                                  text(step.passed ? TextTable::JigPass : TextTable::JigFail) };
        for (int c = 0; c < 4; ++c) {
            const double cellWidth = columns[c + 1] - columns[c] - 16;
            painter.drawText(QRectF(columns[c] + 8, y, cellWidth, line), Qt::AlignLeft | Qt::AlignVCenter,
                             metrics.elidedText(cells[c], Qt::ElideRight, cellWidth));
        }
        y += line;
        painter.setPen(QPen(QColor(0xc0, 0xc0, 0xc0), 1));
        painter.drawLine(QPointF(0, y), QPointF(width, y));
        painter.setPen(Qt::black);
    }
    painter.restore();
}

bool CertificatePdf::write(const UnitRecord &record, int language, const QString &toolName, const QFont &font, const QString &path,
                           QString *why)
{
    // The page is drawn into memory first: a file half written by a painter that failed is
    // never left where the certificate should be.
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&buffer);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageMargins(QMarginsF(18, 18, 18, 18), QPageLayout::Millimeter);
        pdf.setResolution(300);
        pdf.setTitle(QStringLiteral("%1 %2").arg(TextTable::text(TextTable::CertificateTitle, language), record.serialNumber));
        pdf.setCreator(toolName);
        QPainter painter;
        if (!painter.begin(&pdf)) {
            if (why)
                *why = QStringLiteral("cannot draw the certificate of %1").arg(record.serialNumber);
            return false;
        }
        paint(painter, QRectF(QPointF(0, 0), QSizeF(painter.viewport().size())), record, language, toolName, font);
        painter.end();
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (why)
            *why = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}
