#pragma once

#include "reports/recordchart.h"

#include <QWidget>

// A RecordChart in a window: the same drawing the PDF pages have.
class RecordChartView : public QWidget
{
    Q_OBJECT

public:
    explicit RecordChartView(QWidget *parent = nullptr);

    void setChart(const RecordChart &chart);
    const RecordChart &chart() const { return m_chart; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    RecordChart m_chart;
};
