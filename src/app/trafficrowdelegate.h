#pragma once

#include <QFont>
#include <QStyledItemDelegate>

// How a row of the traffic monitor is drawn: an exchange that did not get its answer in dark
// red, the link opened and closed in grey, command and reply in a fixed-width face so that
// hexadecimal bytes line up from row to row.
class TrafficRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit TrafficRowDelegate(QObject *parent = nullptr);

    void setBytesFont(const QFont &font) { m_bytesFont = font; }

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    QFont m_bytesFont;
};
