#include "reports/recordchart.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>
#include <cmath>

namespace {

const QColor BarColour(0x3a, 0x6e, 0xa5);
const QColor LineColour(0xd0, 0x5a, 0x14);
const QColor GridColour(0xd8, 0xd8, 0xd8);

} // namespace

double RecordChart::axisTop(double largest, bool whole)
{
    // Four steps up the axis, each 1, 2 or 5 times a power of ten (2.5 too for fractions); a
    // count never gets a step of half a test.
    if (largest <= 0)
        return whole ? 4.0 : 1.0;
    const double wanted = largest / 4;
    const double power = std::pow(10.0, std::floor(std::log10(wanted)));
    double step = 10.0 * power;
    for (double factor : { 1.0, 2.0, 2.5, 5.0 }) {
        if (whole && factor == 2.5)
            continue;
        if (factor * power >= wanted * (1 - 1e-12)) {
            step = factor * power;
            break;
        }
    }
    if (whole)
        step = std::max(step, 1.0);
    return 4 * step;
}

void RecordChart::paint(QPainter &painter, const QRectF &area) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QFont font = m_font;
    painter.setFont(font);
    const QFontMetricsF metrics(font, painter.device());
    const double line = metrics.height();

    QRectF rest = area;
    if (!m_title.isEmpty()) {
        QFont bold = font;
        bold.setBold(true);
        painter.setFont(bold);
        painter.drawText(QRectF(rest.left(), rest.top(), rest.width(), line * 1.4), Qt::AlignCenter, m_title);
        painter.setFont(font);
        rest.setTop(rest.top() + line * 1.6);
    }
    if (m_bars.isEmpty()) {
        painter.drawText(rest, Qt::AlignCenter, m_emptyText);
        painter.restore();
        return;
    }

    double largest = 0;
    bool whole = true;
    for (const Bar &bar : m_bars) {
        largest = std::max(largest, bar.value);
        whole = whole && bar.value == std::floor(bar.value);
    }
    const double top = axisTop(largest, whole);
    double widestTick = 0;
    for (int i = 0; i <= 4; ++i)
        widestTick = std::max(widestTick, metrics.horizontalAdvance(QString::number(top * i / 4, 'g', 6)));
    const double left = widestTick + line * 0.6;
    const double right = m_line.isEmpty() ? line * 0.5 : metrics.horizontalAdvance(QStringLiteral("100%")) + line * 0.6;
    const QRectF plot(rest.left() + left, rest.top() + line * 0.5, rest.width() - left - right, rest.height() - line * 3.2);
    if (plot.width() < 10 || plot.height() < 10) {
        painter.restore();
        return;
    }

    // Grid and axes: four steps up the left (values) and the right (percent).
    for (int i = 0; i <= 4; ++i) {
        const double y = plot.bottom() - plot.height() * i / 4;
        painter.setPen(i == 0 ? Qt::black : GridColour);
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(rest.left(), y - line / 2, left - line * 0.3, line), Qt::AlignRight | Qt::AlignVCenter,
                         QString::number(top * i / 4, 'g', 6));
        if (!m_line.isEmpty())
            painter.drawText(QRectF(plot.right() + line * 0.3, y - line / 2, right, line), Qt::AlignLeft | Qt::AlignVCenter,
                             QStringLiteral("%1%").arg(25 * i));
    }

    const double slot = plot.width() / m_bars.size();
    // Labels under every bar while they fit; else every n-th, so that they never overlap.
    double widest = 0;
    for (const Bar &bar : m_bars)
        widest = std::max(widest, metrics.horizontalAdvance(bar.label));
    const int every = std::max(1, int(std::ceil((widest + line * 0.5) / slot)));
    for (int i = 0; i < m_bars.size(); ++i) {
        const Bar &bar = m_bars[i];
        const double height = plot.height() * bar.value / top;
        // A few bars stay bars, not walls.
        const double barWidth = std::min(slot * 0.7, line * 5);
        const QRectF rect(plot.left() + slot * (i + 0.5) - barWidth / 2, plot.bottom() - height, barWidth, height);
        painter.fillRect(rect, BarColour);
        if (slot > metrics.horizontalAdvance(QString::number(bar.value)) && height + line < plot.height())
            painter.drawText(QRectF(rect.left() - slot, rect.top() - line, rect.width() + 2 * slot, line), Qt::AlignCenter | Qt::AlignBottom,
                             QString::number(bar.value, 'g', 6));
        if (i % every == 0)
            painter.drawText(QRectF(plot.left() + slot * (i + 0.5) - slot * every / 2, plot.bottom() + line * 0.2, slot * every, line),
                             Qt::AlignHCenter | Qt::AlignTop, metrics.elidedText(bar.label, Qt::ElideRight, slot * every));
    }

    if (!m_line.isEmpty()) {
        QPainterPath path;
        for (int i = 0; i < m_line.size() && i < m_bars.size(); ++i) {
            const QPointF point(plot.left() + slot * (i + 0.5), plot.bottom() - plot.height() * std::clamp(m_line[i], 0.0, 1.0));
            if (i == 0)
                path.moveTo(point);
            else
                path.lineTo(point);
            painter.setBrush(LineColour);
            painter.setPen(Qt::NoPen);
            painter.drawEllipse(point, line * 0.18, line * 0.18);
        }
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(LineColour, std::max(1.0, line / 8)));
        painter.drawPath(path);
        painter.setPen(LineColour);
        painter.drawText(QRectF(plot.left(), plot.bottom() + line * 1.4, plot.width(), line), Qt::AlignRight | Qt::AlignTop,
                         QStringLiteral("— %1").arg(m_lineName));
    }
    painter.restore();
}
