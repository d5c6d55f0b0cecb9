#pragma once

#include <QFont>
#include <QList>
#include <QString>

class QPainter;
class QRectF;

// A bar chart with an optional line of fractions over it, drawn on any QPainter: the records
// window paints it on a widget and the certificate and reports on a PDF page, the same drawing.
// Yield per day is bars of tests with the first-pass yield as the line; a Pareto is bars of
// failures, largest first, with the cumulative share as the line. The texts come in the caller's
// language; the chart only draws them.
class RecordChart
{
public:
    struct Bar
    {
        QString label;
        double value = 0.0;
    };

    void setTitle(const QString &title) { m_title = title; }
    void setBars(const QList<Bar> &bars) { m_bars = bars; }
    // Fractions 0..1, one per bar, on the axis at the right; empty: no line.
    void setLine(const QList<double> &fractions, const QString &name) { m_line = fractions; m_lineName = name; }
    // The words for an empty chart.
    void setEmptyText(const QString &text) { m_emptyText = text; }
    void setFont(const QFont &font) { m_font = font; }

    const QList<Bar> &bars() const { return m_bars; }

    void paint(QPainter &painter, const QRectF &area) const;

    // The largest value on the axis: four round steps at or above the largest bar, whole steps
    // when the bars are counts.
    static double axisTop(double largest, bool whole);

private:
    QString m_title;
    QList<Bar> m_bars;
    QList<double> m_line;
    QString m_lineName;
    QString m_emptyText;
    QFont m_font;
};
