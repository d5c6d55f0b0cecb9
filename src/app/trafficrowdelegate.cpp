#include "app/trafficrowdelegate.h"

#include "traffic/trafficfilter.h"
#include "traffic/trafficmodel.h"

#include <QFontDatabase>

TrafficRowDelegate::TrafficRowDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
    , m_bytesFont(QFontDatabase::systemFont(QFontDatabase::FixedFont))
{
}

void TrafficRowDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const auto outcome = TrafficRow::Outcome(index.data(TrafficModel::OutcomeRole).toInt());
    QColor text;
    if (TrafficFilter::Problems & TrafficFilter::bit(outcome))
        text = QColor(0xB0, 0x00, 0x00);
    else if (outcome == TrafficRow::Outcome::LinkOpened || outcome == TrafficRow::Outcome::LinkClosed)
        text = QColor(0x70, 0x70, 0x70);
    if (text.isValid())
        option->palette.setColor(QPalette::Text, text);
    if (index.column() == TrafficModel::CommandColumn || index.column() == TrafficModel::ReplyColumn) {
        QFont font = m_bytesFont;
        font.setPointSizeF(option->font.pointSizeF() > 0 ? option->font.pointSizeF() : font.pointSizeF());
        option->font = font;
        option->fontMetrics = QFontMetrics(font);
    }
}
