#include "app/recordchartview.h"

#include <QPainter>

RecordChartView::RecordChartView(QWidget *parent)
    : QWidget(parent)
{
    setMinimumSize(320, 200);
}

void RecordChartView::setChart(const RecordChart &chart)
{
    m_chart = chart;
    m_chart.setFont(font());
    update();
}

void RecordChartView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    RecordChart chart = m_chart;
    // The window's face in its language, which may have changed since the chart was set.
    chart.setFont(font());
    chart.paint(painter, QRectF(rect()).adjusted(8, 8, -8, -8));
}
